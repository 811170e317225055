// Reading a model once, and running it as it is or changed.
#include "engine/prepared_model.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <exception>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "engine/location_computation.h"

namespace vek::engine {

int prepareModel(DeckSource input, PreparedModel &model, std::ostream &console, std::ostream &errors) {
    return guardedEngineCall(errors, [&] {
        model = PreparedModel{};
        model.source = input.path;
        ModelDeck deck(std::move(input));
        if (!deck.readParameters()) {
            console << yearLimitLine() << '\n';
            return kExitYearLimit;
        }
        deck.readResponseMethods();
        model.parameters = deck.parameters();
        model.counts = deck.counts();
        model.responseTables = deck.section().tables;
        model.tables = deck.tables();
        model.unreadTextLine = deck.unreadTextLine();
        if (model.unreadTextLine > 0)
            console << " WARNING: the input file goes on after its pumping records at record " << model.unreadTextLine
                    << " with text that is no response-method section; it is not read, and every location uses the "
                       "infinite aquifer."
                    << '\n';
        for (long long n = 1; n <= deck.parameters().nwells; ++n) {
            DeckLocation location;
            if (!deck.readHeader(n, location)) continue;
            deck.readRates(n, location);
            model.locations.push_back(std::move(location));
        }
        model.reaches = deck.reaches();
        deck.close();
        return kExitNormal;
    });
}

namespace {

std::string locationText(const DeckLocation &l) { return "location " + std::to_string(l.position); }

// Calls f(index, worker) for every index below count on `threads` threads
// (the caller's among them), each taking the next index when it is done;
// the first exception is raised again once all have stopped.
template <typename F> void parallelFor(std::size_t count, unsigned threads, F &&f) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failed;
    auto work = [&](unsigned worker) {
        try {
            for (std::size_t i = next++; i < count; i = next++)
                f(i, worker);
        } catch (...) {
            std::lock_guard<std::mutex> lock(failed);
            if (!failure) failure = std::current_exception();
            next = count;
        }
    };
    const unsigned helpers = static_cast<unsigned>(std::min<std::size_t>(threads, count)) - (count > 0 ? 1 : 0);
    std::vector<std::thread> pool;
    for (unsigned w = 1; w <= helpers; ++w)
        pool.emplace_back(work, w);
    work(0);
    for (auto &t : pool)
        t.join();
    if (failure) std::rethrow_exception(failure);
}

} // namespace

std::string variationProblem(const PreparedModel &model, const RunVariation &v) {
    const std::size_t n = model.locations.size();
    for (const auto *list : {&v.factor, &v.parameter, &v.pumping}) {
        if (!list->empty() && list->size() != n)
            return "a variation lists " + std::to_string(list->size()) + " values where the model has " +
                   std::to_string(n) + " locations in the run";
    }
    for (std::size_t i = 0; i < n; ++i) {
        const DeckLocation &l = model.locations[i];
        if (!v.factor.empty() && !(v.factor[i] >= 0.0f && std::isfinite(v.factor[i])))
            return locationText(l) + ": the depletion factor must be a finite number of days, 0 or more";
        if (!v.parameter.empty()) {
            const double x = static_cast<double>(v.parameter[i]);
            std::string p;
            if (l.response.method == ResponseMethod::AlluvialAquifer) p = alluvialProblem(x);
            if (l.response.method == ResponseMethod::StreambedResistance) p = streambedProblem(x);
            if (!p.empty()) return locationText(l) + ": " + p;
        }
        if (!v.pumping.empty() && !std::isfinite(v.pumping[i]))
            return locationText(l) + ": the pumping multiplier must be a finite number";
    }
    return {};
}

namespace {

LocationResponse variedResponse(const DeckLocation &l, const RunVariation &v, std::size_t i) {
    LocationResponse r = l.response;
    if (!v.factor.empty()) r.factor = v.factor[i];
    if (!v.parameter.empty() &&
        (r.method == ResponseMethod::AlluvialAquifer || r.method == ResponseMethod::StreambedResistance))
        r.parameter = v.parameter[i];
    return r;
}

// Per-thread scratch: the stream effect rates and the changed rates.
struct Scratch {
    std::vector<Real> e, q;
};

std::vector<Scratch> scratchFor(unsigned threads, std::size_t size) {
    std::vector<Scratch> scratch(threads);
    for (Scratch &s : scratch) {
        s.e.assign(size, 0.0f);
        s.q.assign(size, 0.0f);
    }
    return scratch;
}

Real multiplierOf(const RunVariation &v, std::size_t i) { return v.pumping.empty() ? 1.0f : v.pumping[i]; }

// Starts `tables` for a run of `model` changed by `v`: the run's facts, and
// the list of the locations on another method than the infinite aquifer.
// Returns every location's response.
std::vector<LocationResponse> startTables(const PreparedModel &model, const RunVariation &v, RunTables &tables) {
    if (std::string problem = variationProblem(model, v); !problem.empty()) throw std::invalid_argument(problem);
    tables = RunTables{};
    tables.parameters = model.parameters;
    tables.counts = model.counts;
    tables.responseTables = model.responseTables;
    tables.unreadTextLine = model.unreadTextLine;
    tables.reaches = model.reaches;
    const std::size_t n = model.locations.size();
    std::vector<LocationResponse> responses(n);
    for (std::size_t i = 0; i < n; ++i) {
        const DeckLocation &l = model.locations[i];
        responses[i] = variedResponse(l, v, i);
        if (!responses[i].isInfiniteAquifer()) tables.responses.push_back({l.position, l.name, responses[i]});
    }
    return responses;
}

bool byDistance(const PreparedModel &model) {
    return model.reaches.depletion == ReachDepletion::ByDistance && model.reaches.present();
}

// One location's volumes into `out` (its series sized for the run) and, with
// the depletion by reach distance, its shares' volumes into `reachVolumes`.
void computeLocation(const LocationComputation &computation, const DeckLocation &l, const LocationResponse &response,
                     Real multiplier, Scratch &s, unsigned worker, RunTables::Location &out,
                     std::vector<Real> *reachVolumes) {
    const Real *q = l.rates.data();
    if (multiplier != 1.0f) {
        for (std::size_t m = 1; m < l.rates.size(); ++m)
            s.q[m] = l.rates[m] * multiplier;
        q = s.q.data();
    }
    std::ostringstream ignored; // the pair loop's lag messages; the calendar never gives one
    computation.compute(response, l.locationType, q, s.e.data(), out.diversion.data(), out.effect.data(), worker,
                        ignored);
    if (reachVolumes)
        computation.computeByDistance(response, l.locationType, q, l.shares, s.e.data(), *reachVolumes, worker,
                                      ignored);
}

// Adds the stream effects of locations start .. start + count - 1 to the
// reaches' sums: each month's sums take the locations in file order; the
// months are shared out between the threads.
template <typename VolumesOf, typename ReachVolumesOf>
void addReaches(RunTables &tables, const PreparedModel &model, std::size_t start, std::size_t count, unsigned threads,
                VolumesOf volumesOf, ReachVolumesOf reachVolumesOf) {
    if (!tables.reaches.present()) return;
    const int months = static_cast<int>(model.counts.runMonths);
    const std::size_t parts = reachSumParts(months, threads);
    parallelFor(parts, threads, [&](std::size_t part, unsigned) {
        const MonthRange r = monthsOfPart(part, parts, months);
        for (std::size_t k = 0; k < count; ++k)
            addReachShares(tables.reaches, model.locations[start + k].shares, volumesOf(k).effect.data(),
                           reachVolumesOf(k), months, r.first, r.last);
    });
}

// Adds the volumes of locations start .. start + count - 1 (volumesOf(k) for
// the k-th of them) to the summaries: each month's sums take the locations
// in file order; the months are shared out between the threads.
template <typename VolumesOf>
void addSummaries(RunTables &tables, const PreparedModel &model, std::size_t start, std::size_t count, unsigned threads,
                  VolumesOf volumesOf) {
    const int months = static_cast<int>(model.counts.runMonths);
    const int parts = static_cast<int>(threads);
    parallelFor(static_cast<std::size_t>(parts), threads, [&](std::size_t part, unsigned) {
        const int first = 1 + static_cast<int>(part) * months / parts;
        const int last = static_cast<int>(part + 1) * months / parts;
        for (std::size_t k = 0; k < count; ++k) {
            const RunTables::Location &out = volumesOf(k);
            tables.summaries.add(model.locations[start + k].locationType, out.diversion.data(), out.effect.data(),
                                 first, last);
        }
    });
}

// The straightforward computation runs on one thread, its console lines in order.
unsigned threadsFor(const EngineOptions &options) { return options.reference ? 1u : computingThreads(options.threads); }

} // namespace

void runPrepared(const PreparedModel &model, const RunVariation &v, RunTables &tables, const EngineOptions &options) {
    const std::vector<LocationResponse> responses = startTables(model, v, tables);
    const RunParameters &p = model.parameters;
    const int months = static_cast<int>(model.counts.runMonths);
    const auto size = static_cast<std::size_t>(months) + 1;
    const unsigned threads = threadsFor(options);
    const LocationComputation computation(p, months, model.tables, options, threads);
    // The locations' volumes are kept when the report lists them; otherwise
    // a chunk of them at a time, added to the summaries and then reused.
    const std::size_t n = model.locations.size();
    const bool keep = layoutFor(p.outputFormat) == ReportLayout::ByLocation;
    const std::size_t chunk = keep ? std::max<std::size_t>(n, 1) : 32 * static_cast<std::size_t>(threads);
    std::vector<RunTables::Location> buffers(keep ? n : std::min(n, chunk));
    for (std::size_t i = 0; i < buffers.size(); ++i) {
        buffers[i].diversion.assign(size, 0.0f);
        buffers[i].effect.assign(size, 0.0f);
        if (!keep) continue;
        const DeckLocation &l = model.locations[i];
        buffers[i].name = l.name;
        buffers[i].factor = responses[i].factor;
        buffers[i].locationType = l.locationType;
        buffers[i].number = l.position;
        buffers[i].response = responses[i];
    }
    std::vector<Scratch> scratch = scratchFor(threads, size);
    std::vector<std::vector<Real>> reachVolumes(byDistance(model) ? buffers.size() : 0);
    for (std::size_t start = 0; start < n; start += chunk) {
        const std::size_t count = std::min(chunk, n - start);
        auto volumesOf = [&](std::size_t k) -> RunTables::Location & { return buffers[keep ? start + k : k]; };
        auto reachVolumesOf = [&](std::size_t k) -> std::vector<Real> * {
            return reachVolumes.empty() ? nullptr : &reachVolumes[keep ? start + k : k];
        };
        parallelFor(count, threads, [&](std::size_t k, unsigned worker) {
            const std::size_t i = start + k;
            computeLocation(computation, model.locations[i], responses[i], multiplierOf(v, i), scratch[worker], worker,
                            volumesOf(k), reachVolumesOf(k));
        });
        addSummaries(tables, model, start, count, threads, volumesOf);
        addReaches(tables, model, start, count, threads, volumesOf, [&](std::size_t k) -> const Real * {
            return reachVolumes.empty() ? nullptr : reachVolumesOf(k)->data();
        });
    }
    if (keep) tables.locations = std::move(buffers);
}

struct PreparedRunner::Computation {
    Computation(const PreparedModel &model, const EngineOptions &options, unsigned threads)
        : computation(model.parameters, static_cast<int>(model.counts.runMonths), model.tables, options, threads),
          scratch(scratchFor(threads, static_cast<std::size_t>(model.counts.runMonths) + 1)) {}
    LocationComputation computation;
    std::vector<Scratch> scratch;
};

PreparedRunner::PreparedRunner(const PreparedModel &model, const EngineOptions &options)
    : model_(model), threads_(threadsFor(options)),
      computation_(std::make_unique<Computation>(model, options, threads_)) {}

PreparedRunner::~PreparedRunner() = default;

void PreparedRunner::run(const RunVariation &v, RunTables &tables) {
    const std::vector<LocationResponse> responses = startTables(model_, v, tables);
    const std::size_t n = model_.locations.size();
    const auto size = static_cast<std::size_t>(model_.counts.runMonths) + 1;
    if (!ran_) {
        reachVolumes_.resize(byDistance(model_) ? n : 0);
        volumes_.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const DeckLocation &l = model_.locations[i];
            RunTables::Location &out = volumes_[i];
            out.name = l.name;
            out.locationType = l.locationType;
            out.number = l.position;
            out.diversion.assign(size, 0.0f);
            out.effect.assign(size, 0.0f);
        }
    }
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < n; ++i) {
        const Real multiplier = multiplierOf(v, i);
        if (!ran_ || !responses[i].sameResponse(responses_[i]) ||
            std::bit_cast<std::uint32_t>(multiplier) != std::bit_cast<std::uint32_t>(multipliers_[i]))
            changed.push_back(i);
        volumes_[i].factor = responses[i].factor; // the report shows it even where the response ignores it
        volumes_[i].response = responses[i];
    }
    // Until the changed locations are all computed the kept volumes are not
    // those of any one run: a failure makes the next run compute them all.
    ran_ = false;
    parallelFor(changed.size(), threads_, [&](std::size_t k, unsigned worker) {
        const std::size_t i = changed[k];
        computeLocation(computation_->computation, model_.locations[i], responses[i], multiplierOf(v, i),
                        computation_->scratch[worker], worker, volumes_[i],
                        reachVolumes_.empty() ? nullptr : &reachVolumes_[i]);
    });
    responses_ = responses;
    multipliers_.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        multipliers_[i] = multiplierOf(v, i);
    ran_ = true;
    recomputed_ = changed.size();
    auto volumesOf = [&](std::size_t k) -> const RunTables::Location & { return volumes_[k]; };
    addSummaries(tables, model_, 0, n, threads_, volumesOf);
    addReaches(tables, model_, 0, n, threads_, volumesOf, [&](std::size_t k) -> const Real * {
        return reachVolumes_.empty() ? nullptr : reachVolumes_[k].data();
    });
    if (layoutFor(model_.parameters.outputFormat) == ReportLayout::ByLocation) tables.locations = volumes_;
}

} // namespace vek::engine
