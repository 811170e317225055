// Benchmark of the apportionment among stream reaches: 5000 wells among 200
// reaches by web squared and by Thiessen polygons (every core, then one),
// and what that is beside a run of the same model by the vek program beside
// this one, with and without the reach tables.
//
//   apportion_bench [--years N (1 to 400; 100)] [--keep DIR]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/model_generator.h"
#include "geo/reach_resolution.h"
#include "model/input_file.h"
#include "model/model_document.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWells = 5000;
constexpr int kReaches = 200;
constexpr double kSide = 100000.0; // metres

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// 200 reaches as random walks of 12 points 500 m apart over a 100 km
// square, and wells spread over it.
void addMap(vek::ModelInput &m) {
    vek::bench::detail::Lcg rng(40);
    for (int r = 0; r < kReaches; ++r) {
        vek::MapLine line;
        double x = kSide * rng.next(), y = kSide * rng.next(), heading = 6.283185307179586 * rng.next();
        for (int k = 0; k < 12; ++k) {
            line.push_back({x, y});
            heading += (rng.next() - 0.5) * 0.8;
            x += 500.0 * std::cos(heading);
            y += 500.0 * std::sin(heading);
        }
        m.network.reaches.push_back({"Reach " + std::to_string(r + 1), {line}});
    }
    m.network.unit = vek::LengthUnit::Metres;
    for (auto &loc : m.locations)
        loc.onMap.position = vek::MapPoint{kSide * rng.next(), kSide * rng.next()};
}

double timeResolve(vek::ModelInput &m, vek::Apportionment method, unsigned threads, std::size_t *shares) {
    m.network.rule = {method, 2, 0.0, 0.0, 0.0};
    const auto start = std::chrono::steady_clock::now();
    const vek::geo::Resolution r = vek::geo::resolveReaches(m, threads);
    const double s = seconds(start);
    if (!r.ok() || !r.troubles.empty()) {
        std::fprintf(stderr, "apportion_bench: resolution failed: %s\n",
                     r.ok() ? r.troubles.front().text.c_str() : r.failure.c_str());
        std::exit(1);
    }
    *shares = 0;
    for (const auto &loc : m.locations)
        *shares += loc.onMap.shares.size();
    return s;
}

double runVek(const std::string &vek, const std::string &model, const std::string &report) {
    // Lines still in the buffer would be written again by the child, whose
    // freopen flushes its copy into the pipe before it goes to /dev/null.
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        execl(vek.c_str(), vek.c_str(), model.c_str(), report.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "apportion_bench: vek failed on %s\n", model.c_str());
        std::exit(1);
    }
    return seconds(start);
}

} // namespace

int main(int argc, char **argv) {
    int years = 100;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--years" && i + 1 < argc) {
            const std::string value = argv[++i];
            char *end = nullptr;
            const long n = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || n < 1 || n > vek::bench::kMostRunYears) {
                std::fprintf(stderr,
                             "apportion_bench: --years takes a whole number of run years from 1 to %d, not \"%s\"\n",
                             vek::bench::kMostRunYears, value.c_str());
                return 2;
            }
            years = static_cast<int>(n);
        } else if (a == "--keep" && i + 1 < argc)
            keep = argv[++i];
        else {
            std::fprintf(stderr, "usage: apportion_bench [--years N] [--keep DIR]\n");
            return 2;
        }
    }
    const fs::path dir =
        keep.empty() ? fs::temp_directory_path() / ("apportion_bench." + std::to_string(getpid())) : fs::path(keep);
    fs::create_directories(dir);
    const std::string vek = (fs::path(argv[0]).parent_path() / "vek").string();

    vek::bench::ModelShape shape;
    shape.locations = kWells;
    vek::bench::setRunYears(shape, years);
    const std::string plain = (dir / "plain.vek").string();
    {
        std::FILE *f = std::fopen(plain.c_str(), "wb");
        const std::string text = vek::bench::generateModel(shape);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    vek::ModelDocument doc;
    if (const vek::OperationResult read = vek::readModelInput(doc.model, plain); !read.ok()) {
        std::fprintf(stderr, "apportion_bench: the generated model %s cannot be read: %s\n", plain.c_str(),
                     read.error ? read.error->message.c_str() : "unknown reason");
        return 1;
    }
    addMap(doc.model);

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("%d wells among %d reaches (%d-year run), %u cores\n", kWells, kReaches, years, cores);
    std::size_t shares = 0;
    const double polygonAll = timeResolve(doc.model, vek::Apportionment::Polygon, 0, &shares);
    const double polygonOne = timeResolve(doc.model, vek::Apportionment::Polygon, 1, &shares);
    std::printf("  Thiessen polygons: %7.3f s on every core, %7.3f s on one (%.2f ms a well); %zu shares\n", polygonAll,
                polygonOne, 1000.0 * polygonOne / kWells, shares);
    const double webOne = timeResolve(doc.model, vek::Apportionment::Web, 1, &shares);
    const double webAll = timeResolve(doc.model, vek::Apportionment::Web, 0, &shares);
    std::printf("  web squared:       %7.3f s on every core, %7.3f s on one (%.2f ms a well); %zu shares\n", webAll,
                webOne, 1000.0 * webOne / kWells, shares);

    const std::string reaches = (dir / "reaches.vek").string();
    vek::SilentPrompter quiet;
    if (!vek::SaveInput(doc, quiet, reaches)) {
        std::fprintf(stderr, "apportion_bench: cannot write %s\n", reaches.c_str());
        return 1;
    }
    const double runPlain = runVek(vek, plain, (dir / "plain.out").string());
    const double runReaches = runVek(vek, reaches, (dir / "reaches.out").string());
    std::printf("  vek run: %.3f s without reaches, %.3f s with the 200 reach tables (web squared shares)\n", runPlain,
                runReaches);
    std::printf("  apportionment's share of a run with reaches: web squared %.1f %%, polygons %.1f %% (every core)\n",
                100.0 * webAll / (webAll + runReaches), 100.0 * polygonAll / (polygonAll + runReaches));
    if (keep.empty()) fs::remove_all(dir);
    return 0;
}
