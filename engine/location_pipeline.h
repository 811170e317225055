// Location jobs in flight between the reader and the writer. The reader fills
// a job with one location's daily rates; worker threads compute its stream
// effect, volumes and table text; the writer takes finished jobs strictly in
// input order, so the summaries and the report do not depend on timing. A
// fixed pool of jobs bounds the memory whatever the number of locations.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/model_deck.h"
#include "engine/real.h"

namespace vek::engine {

struct LocationJob {
    LocationJob() : e(kMaxMonths + 1, 0.0f), diversion(kMaxMonths + 1, 0.0f), effect(kMaxMonths + 1, 0.0f) {}
    DeckLocation location;                  // as read: name, type, response, daily rates
    std::string block;                      // location block lines, written before the tables
    std::string tables;                     // the location's two tables
    std::vector<Real> e, diversion, effect; // 1-based months
    std::vector<Real> reachEffect;          // by reach distance: each share's volumes, months + 1 apiece
    bool done = false;
    std::exception_ptr error; // a failure while computing, raised on the writer's side
};

class LocationPipeline {
  public:
    using Compute = std::function<void(LocationJob &, unsigned worker)>;
    using Finish = std::function<void(LocationJob &)>;

    // workers 0: every job is computed and finished on the caller's thread.
    LocationPipeline(unsigned workers, Compute compute, Finish finish);
    ~LocationPipeline();
    LocationPipeline(const LocationPipeline &) = delete;
    LocationPipeline &operator=(const LocationPipeline &) = delete;

    // A free job; may first finish the oldest job in flight.
    LocationJob &acquire();
    // Hands a filled job (from acquire) to the workers.
    void submit(LocationJob &job);
    // Gives back an acquired job that was not filled.
    void release(LocationJob &job);
    // Waits for every job in flight and finishes them in order.
    void drain();
    // Runs part(0) .. part(count - 1), each once, on the calling thread and
    // on every worker that is free (a worker takes parts before jobs), and
    // returns when all are done. For the writer's side (a finish); parts must
    // not throw.
    void runParts(std::size_t count, const std::function<void(std::size_t)> &part);

  private:
    void work(unsigned worker);
    void finishReady(bool wait);
    bool partWaiting() const { return part_ != nullptr && nextPart_ < partCount_; }
    void runPart(std::size_t index);

    Compute compute_;
    Finish finish_;
    std::vector<std::unique_ptr<LocationJob>> pool_;
    std::vector<LocationJob *> free_;
    std::deque<LocationJob *> inFlight_; // input order
    std::deque<LocationJob *> queue_;    // waiting for a worker
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable jobDone_;
    bool stopping_ = false;
    // The parts being run (runParts), the next to take and how many are done.
    const std::function<void(std::size_t)> *part_ = nullptr;
    std::size_t partCount_ = 0, nextPart_ = 0, partsDone_ = 0;
    std::vector<std::thread> threads_;
};

} // namespace vek::engine
