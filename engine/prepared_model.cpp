// Reading a model once, and running it as it is or changed.
#include "engine/prepared_model.h"

#include <algorithm>
#include <atomic>
#include <cmath>
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
        for (long long n = 1; n <= deck.parameters().nwells; ++n) {
            DeckLocation location;
            if (!deck.readHeader(n, location)) continue;
            deck.readRates(n, location);
            model.locations.push_back(std::move(location));
        }
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

} // namespace

void runPrepared(const PreparedModel &model, const RunVariation &v, RunTables &tables, const EngineOptions &options) {
    if (std::string problem = variationProblem(model, v); !problem.empty()) throw std::invalid_argument(problem);
    const RunParameters &p = model.parameters;
    const int months = static_cast<int>(model.counts.runMonths);
    const auto size = static_cast<std::size_t>(months) + 1;
    // The straightforward computation runs on one thread, its console lines in order.
    const unsigned threads = options.reference ? 1u : computingThreads(options.threads);
    const LocationComputation computation(p, months, model.tables, options, threads);

    tables = RunTables{};
    tables.parameters = p;
    tables.counts = model.counts;
    tables.responseTables = model.responseTables;
    const std::size_t n = model.locations.size();
    std::vector<LocationResponse> responses(n);
    for (std::size_t i = 0; i < n; ++i) {
        const DeckLocation &l = model.locations[i];
        responses[i] = variedResponse(l, v, i);
        if (!responses[i].isInfiniteAquifer()) tables.responses.push_back({l.position, l.name, responses[i]});
    }
    // The locations' volumes are kept when the report lists them; otherwise
    // a chunk of them at a time, added to the summaries and then reused.
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
    }
    std::vector<Scratch> scratch(threads);
    for (Scratch &s : scratch) {
        s.e.assign(size, 0.0f);
        s.q.assign(size, 0.0f);
    }
    std::ostringstream ignored; // the pair loop's lag messages; the calendar never gives one
    for (std::size_t start = 0; start < n; start += chunk) {
        const std::size_t count = std::min(chunk, n - start);
        parallelFor(count, threads, [&](std::size_t k, unsigned worker) {
            const std::size_t i = start + k;
            const DeckLocation &l = model.locations[i];
            Scratch &s = scratch[worker];
            const Real *q = l.rates.data();
            if (!v.pumping.empty() && v.pumping[i] != 1.0f) {
                for (std::size_t m = 1; m < size; ++m)
                    s.q[m] = l.rates[m] * v.pumping[i];
                q = s.q.data();
            }
            RunTables::Location &out = buffers[keep ? i : k];
            computation.compute(responses[i], l.locationType, q, s.e.data(), out.diversion.data(), out.effect.data(),
                                worker, ignored);
        });
        // Each month's sums take the locations in file order; the months are
        // shared out between the threads.
        const int parts = static_cast<int>(threads);
        parallelFor(static_cast<std::size_t>(parts), threads, [&](std::size_t part, unsigned) {
            const int first = 1 + static_cast<int>(part) * months / parts;
            const int last = static_cast<int>(part + 1) * months / parts;
            for (std::size_t k = 0; k < count; ++k) {
                const RunTables::Location &out = buffers[keep ? start + k : k];
                tables.summaries.add(model.locations[start + k].locationType, out.diversion.data(), out.effect.data(),
                                     first, last);
            }
        });
    }
    if (keep) tables.locations = std::move(buffers);
}

} // namespace vek::engine
