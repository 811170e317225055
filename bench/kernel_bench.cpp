// Time per location of the computation alone (response table and
// superposition, no reading or report) on 400-year locations shaped like the
// model generator's: seasonal wells and winter recharge, each location its
// own factor. One JSON line per kernel variant:
//
//   kernel_bench [--locations N] [--repeat R]
//   {"variant": "...", "ms_per_location": ..., "cpu_ms_per_location": ...}
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "engine/day_calendar.h"
#include "engine/response_kernels.h"

namespace {

using vek::engine::Real;

struct Location {
    Real factor;
    std::vector<Real> q; // 1-based daily rates
};

std::vector<Location> makeLocations(int count, int months) {
    static const double kWell[12] = {0, 0, 0, 0, 0, 0.4, 0.8, 1.0, 1.0, 0.7, 0.3, 0};
    static const double kRecharge[12] = {0.6, 1.0, 1.0, 0.8, 0.5, 0, 0, 0, 0, 0, 0, 0};
    std::uint64_t state = 12345;
    auto next = [&] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
    };
    std::vector<Location> out(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n) {
        Location &l = out[static_cast<std::size_t>(n)];
        l.factor = static_cast<Real>(5.0 + 19995.0 * next());
        l.q.assign(static_cast<std::size_t>(months) + 1, 0.0f);
        const double *shape = n % 5 == 4 ? kRecharge : kWell;
        const double size = 50.0 + 400.0 * next();
        for (int m = 1; m <= months; ++m) {
            if ((m - 1) % 12 == 0) state ^= static_cast<std::uint64_t>(m);
            const double wet = 0.6 + 0.8 * next();
            l.q[static_cast<std::size_t>(m)] = static_cast<Real>(shape[(m - 1) % 12] * size * wet / 30.4);
        }
    }
    return out;
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

} // namespace

int main(int argc, char **argv) {
    int count = 200, repeat = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--locations") count = std::max(1, std::atoi(argv[i + 1]));
        if (a == "--repeat") repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    const int months = 4800;
    const vek::engine::DayCalendar calendar(1700);
    const std::vector<Location> locations = makeLocations(count, months);
    std::vector<Real> e(static_cast<std::size_t>(months) + 1);
    volatile Real sink = 0.0f;
    for (vek::engine::KernelVariant variant : vek::engine::availableKernelVariants()) {
        const vek::engine::KernelLayout layout(calendar, months, variant);
        vek::engine::ResponseKernels kernels(layout, 1.0f);
        // Best of `repeat` passes over every location; CPU and wall seconds.
        auto time = [&](auto &&perLocation) {
            double wall = 1e30, cpu = 1e30;
            for (int r = 0; r < repeat; ++r) {
                const auto start = std::chrono::steady_clock::now();
                const double cpu0 = cpuSeconds();
                for (const Location &l : locations)
                    perLocation(l);
                cpu = std::min(cpu, cpuSeconds() - cpu0);
                wall = std::min(wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            }
            return std::pair<double, double>(1000.0 * wall / count, 1000.0 * cpu / count);
        };
        const auto table = time([&](const Location &l) { kernels.build(layout, l.factor); });
        const auto superpose = time([&](const Location &l) {
            std::fill(e.begin(), e.end(), 0.0f);
            vek::engine::superposeKernels(l.q.data(), e.data(), months, kernels);
            sink = sink + e[static_cast<std::size_t>(months)];
        });
        std::printf("{\"variant\": \"%s\", \"ms_per_location\": %.4f, \"cpu_ms_per_location\": %.4f, "
                    "\"table_cpu_ms\": %.4f, \"superposition_cpu_ms\": %.4f}\n",
                    vek::engine::kernelVariantName(variant), table.first + superpose.first,
                    table.second + superpose.second, table.second, superpose.second);
    }
    return 0;
}
