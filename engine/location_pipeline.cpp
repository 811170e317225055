// Bounded, ordered pipeline of location jobs.
#include "engine/location_pipeline.h"

#include <utility>

namespace vek::engine {

LocationPipeline::LocationPipeline(unsigned workers, Compute compute, Finish finish)
    : compute_(std::move(compute)), finish_(std::move(finish)) {
    // Two jobs per worker keep every worker busy while the reader fills the
    // next one and the writer empties the last.
    const std::size_t jobs = workers == 0 ? 1 : 2 * static_cast<std::size_t>(workers) + 1;
    for (std::size_t i = 0; i < jobs; ++i) {
        pool_.push_back(std::make_unique<LocationJob>());
        free_.push_back(pool_.back().get());
    }
    for (unsigned w = 0; w < workers; ++w)
        threads_.emplace_back([this, w] { work(w); });
}

LocationPipeline::~LocationPipeline() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    workReady_.notify_all();
    for (auto &t : threads_)
        t.join();
}

void LocationPipeline::work(unsigned worker) {
    while (true) {
        LocationJob *job = nullptr;
        std::size_t part = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            workReady_.wait(lock, [this] { return stopping_ || !queue_.empty() || partWaiting(); });
            if (partWaiting()) {
                part = nextPart_++;
            } else {
                if (queue_.empty()) return;
                job = queue_.front();
                queue_.pop_front();
            }
        }
        if (!job) {
            runPart(part);
            continue;
        }
        try {
            compute_(*job, worker);
        } catch (...) {
            job->error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job->done = true;
        }
        jobDone_.notify_all();
    }
}

void LocationPipeline::finishReady(bool wait) {
    while (true) {
        LocationJob *job = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (inFlight_.empty()) return;
            if (wait) jobDone_.wait(lock, [this] { return inFlight_.front()->done; });
            if (!inFlight_.front()->done) return;
            job = inFlight_.front();
            inFlight_.pop_front();
        }
        free_.push_back(job);
        if (job->error) std::rethrow_exception(std::exchange(job->error, nullptr));
        finish_(*job);
        if (wait) return;
    }
}

LocationJob &LocationPipeline::acquire() {
    finishReady(false);
    while (free_.empty())
        finishReady(true);
    LocationJob *job = free_.back();
    free_.pop_back();
    job->done = false;
    return *job;
}

void LocationPipeline::submit(LocationJob &job) {
    if (threads_.empty()) {
        free_.push_back(&job);
        compute_(job, 0);
        finish_(job);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        inFlight_.push_back(&job);
        queue_.push_back(&job);
    }
    workReady_.notify_one();
}

void LocationPipeline::release(LocationJob &job) { free_.push_back(&job); }

void LocationPipeline::runPart(std::size_t index) {
    (*part_)(index);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++partsDone_;
    }
    jobDone_.notify_all();
}

void LocationPipeline::runParts(std::size_t count, const std::function<void(std::size_t)> &part) {
    if (threads_.empty()) {
        for (std::size_t i = 0; i < count; ++i)
            part(i);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        part_ = &part;
        partCount_ = count;
        nextPart_ = 0;
        partsDone_ = 0;
    }
    workReady_.notify_all();
    while (true) {
        std::size_t index = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!partWaiting()) break;
            index = nextPart_++;
        }
        runPart(index);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    jobDone_.wait(lock, [this] { return partsDone_ == partCount_; });
    part_ = nullptr;
}

void LocationPipeline::drain() {
    while (true) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (inFlight_.empty()) return;
        }
        finishReady(true);
    }
}

} // namespace vek::engine
