// Resolving the locations' shares of the reaches, spread over threads.
#include "geo/reach_resolution.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "geo/apportioner.h"

namespace vek::geo {

namespace {

std::string reachName(const ModelInput &m, int reach) {
    return "\"" + m.network.reaches[static_cast<std::size_t>(reach)].name + "\"";
}

// The shares of one location before the factors: its typed shares, the one
// reach of a model that has only one, or what its rule gives on the map.
std::string baseShares(const ModelInput &m, const Apportioner &a, const Location &loc, std::vector<ReachShare> &out,
                       const std::vector<double> &d) {
    const ApportionRule &rule = ruleOf(m, loc);
    if (rule.method == Apportionment::Shares) {
        if (std::string p = typedSharesProblem(m, loc); !p.empty()) return p;
        for (const ReachShare &t : loc.onMap.typed)
            if (t.fraction > 0.0) out.push_back({t.reach, t.fraction, -1.0, false, 0.0f});
    } else if (m.network.reaches.size() == 1 && (!loc.onMap.position || !m.network.reaches[0].hasGeometry())) {
        out.push_back({0, 1.0, -1.0, false, 0.0f});
    } else {
        if (!loc.onMap.position) return "it has no position on the map";
        Apportioned got = a.apportion(*loc.onMap.position, rule);
        if (!got.problem.empty()) return got.problem;
        out = std::move(got.shares);
    }
    for (ReachShare &s : out)
        if (!d.empty() && d[static_cast<std::size_t>(s.reach)] >= 0.0)
            s.distance = d[static_cast<std::size_t>(s.reach)];
    return {};
}

std::string aquiferTrouble(const LocationMap &map) {
    if (!map.storativity || !map.transmissivity) return "it has no S and T";
    if (!(*map.storativity > 0.0 && *map.storativity <= 1.0)) return "its S is not above 0 and at most 1";
    if (!(*map.transmissivity > 0.0)) return "its T is not above 0";
    return {};
}

// What one location resolves to.
struct Outcome {
    std::vector<ReachShare> shares;
    bool factorSet = false;
    float factor = 0.0f;
    std::string trouble;
};

std::string resolveShares(const ModelInput &m, const Apportioner &a, const Location &loc, Outcome &o,
                          const std::vector<double> &d) {
    const LocationMap &map = loc.onMap;
    std::vector<ReachShare> shares;
    if (std::string p = baseShares(m, a, loc, shares, d); !p.empty()) return p;
    if (m.network.depletion == ReachDepletion::ByDistance) {
        if (std::string p = aquiferTrouble(map); !p.empty()) return p + ", which the depletion by reach distance needs";
        for (ReachShare &s : shares) {
            if (s.distance < 0.0) return "its distance to reach " + reachName(m, s.reach) + " is not known";
            s.hasFactor = true;
            s.factor = factorFromDistance(s.distance, *map.storativity, *map.transmissivity);
        }
    }
    o.shares = std::move(shares);
    return {};
}

std::string resolveFactor(const Location &loc, Outcome &o, const std::vector<double> &d) {
    const LocationMap &map = loc.onMap;
    if (std::string p = aquiferTrouble(map); !p.empty()) return p + ", which its factor from the map needs";
    double nearest = -1.0;
    for (double x : d)
        if (x >= 0.0 && (nearest < 0.0 || x < nearest)) nearest = x;
    if (nearest < 0.0) return "its factor is to come from the map, but it has no position or no reach has a line";
    o.factorSet = true;
    o.factor = factorFromDistance(nearest, *map.storativity, *map.transmissivity);
    return {};
}

Outcome resolveOne(const ModelInput &m, const Apportioner &a, const Location &loc) {
    Outcome o;
    if (m.network.reaches.empty()) {
        if (loc.onMap.factorFromMap) o.trouble = "its factor is to come from the map, which has no reaches";
        return o;
    }
    const std::vector<double> d = loc.onMap.position ? a.distances(*loc.onMap.position) : std::vector<double>{};
    o.trouble = resolveShares(m, a, loc, o, d);
    if (loc.onMap.factorFromMap) {
        std::string p = resolveFactor(loc, o, d);
        if (o.trouble.empty()) o.trouble = std::move(p);
    }
    return o;
}

} // namespace

float factorFromDistance(double distance, double storativity, double transmissivity) {
    return static_cast<float>(distance * distance * storativity / transmissivity);
}

Resolution resolveReaches(ModelInput &model, unsigned threads) {
    Resolution out;
    if (!mapSupport()) {
        out.failure = kNoMapSupport;
        return out;
    }
    const std::size_t n = model.locations.size();
    std::vector<Outcome> outcomes(n);
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::clamp<std::size_t>(n / 64, 1, threads));
    std::vector<std::exception_ptr> errors(threads);
    auto work = [&](unsigned t) {
        try {
            const Apportioner a(model.network);
            for (std::size_t i = t; i < n; i += threads)
                outcomes[i] = resolveOne(model, a, model.locations[i]);
        } catch (...) {
            errors[t] = std::current_exception();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(work, t);
    work(0);
    for (auto &th : pool)
        th.join();
    for (const auto &e : errors) {
        if (!e) continue;
        try {
            std::rethrow_exception(e);
        } catch (const std::exception &x) {
            out.failure = x.what();
        }
        return out;
    }
    for (std::size_t i = 0; i < n; ++i) {
        Outcome &o = outcomes[i];
        Location &loc = model.locations[i];
        loc.onMap.shares = std::move(o.shares);
        if (o.factorSet) {
            loc.VEK = o.factor;
            ++out.factorsSet;
        }
        if (!o.trouble.empty()) out.troubles.push_back({static_cast<int>(i), std::move(o.trouble)});
    }
    return out;
}

} // namespace vek::geo
