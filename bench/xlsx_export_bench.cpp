// Writing the Excel workbook of a large report: 1000 locations by 100 years
// (both tables each, then the three summaries), every location and year
// selected. Prints the seconds taken and the file's size.
//
//   xlsx_export_bench [--locations N] [--years N] [--constant-memory] [--keep FILE]
#include "results/output_results.h"
#include "results/view_choices.h"
#include "results/xlsx_export.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

vek::OutputResults makeResults(int locations, int years) {
    vek::OutputResults r;
    r.firstPrintYear = 1900;
    r.lastPrintYear = 1900 + years - 1;
    r.firstSynthYear = r.lastPrintYear + 1;
    r.lastSynthYear = r.lastPrintYear;
    r.units = "( acre feet )";
    r.monthHeader = "YEAR NOV DEC JAN FEB MAR APR MAY JUN JUL AUG SEP OCT TOTAL";
    r.conversionText = "MONTHLY TO DAILY CONVERSIONS USED AVERAGE DAYS PER MONTH (30.417).";
    auto fill = [&](vek::LocationResult &loc, float scale) {
        loc.rows.resize(static_cast<size_t>(years + 1));
        float cumulative = 0.0f;
        for (int y = 0; y <= years; ++y) {
            vek::YearRow &row = loc.rows[static_cast<size_t>(y)];
            float total = 0.0f;
            for (int m = 0; m < 12; ++m) {
                // One decimal, as the engine prints, with up to seven digits.
                const float v = scale * static_cast<float>((y * 37 + m * 11) % 99991) / 10.0f;
                row.diversion[m] = v;
                row.stream[m] = v * 0.75f;
                total += v;
            }
            row.diversionTotal = total;
            row.streamTotal = total * 0.75f;
            cumulative += total;
            row.diversionCumulative = cumulative;
            row.streamCumulative = cumulative * 0.75f;
        }
    };
    for (int i = 0; i < locations; ++i) {
        vek::LocationResult loc;
        loc.name = "Well " + std::to_string(i + 1);
        loc.depletionFactor = 10.0 + i;
        fill(loc, i % 5 == 4 ? 1.0f : -1.0f);
        r.locations.push_back(std::move(loc));
    }
    const char *summaries[3] = {"Recharge Summary", "CU of Ground Water Summary", "Net Impact on Stream"};
    const vek::LocationResult::Kind kinds[3] = {vek::LocationResult::Kind::RechargeSummary,
                                                vek::LocationResult::Kind::GroundWaterSummary,
                                                vek::LocationResult::Kind::NetImpact};
    for (int s = 0; s < 3; ++s) {
        vek::LocationResult loc;
        loc.name = summaries[s];
        loc.kind = kinds[s];
        fill(loc, 100.0f);
        r.locations.push_back(std::move(loc));
    }
    return r;
}

} // namespace

int main(int argc, char **argv) {
    int locations = 1000, years = 100;
    bool constantMemory = false;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--locations") && i + 1 < argc)
            locations = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--years") && i + 1 < argc)
            years = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--constant-memory"))
            constantMemory = true;
        else if (!std::strcmp(argv[i], "--keep") && i + 1 < argc)
            keep = argv[++i];
        else {
            std::fprintf(stderr, "usage: %s [--locations N] [--years N] [--constant-memory] [--keep FILE]\n", argv[0]);
            return 2;
        }
    }
    if (locations < 0 || years < 1) return 2;
    const vek::OutputResults results = makeResults(locations, years);
    vek::ViewChoices choices;
    for (int i = 0; i < static_cast<int>(results.locations.size()); ++i)
        choices.locations.push_back(i);
    for (int p = 0; p <= years; ++p)
        choices.years.push_back(p);

    const std::string path =
        keep.empty() ? (std::filesystem::temp_directory_path() / "xlsx_export_bench.xlsx").string() : keep;
    vek::WorkbookOptions options;
    options.constantMemory = constantMemory;
    std::string error;
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = vek::writeWorkbook(path, results, choices, vek::workbookInfoFor("bench.out"), &error, options);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    if (!ok) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    // CPU time too: on a busy machine the wall-clock time mostly measures the
    // other work.
    std::printf("%d locations x %d years%s: %.2f s (%.2f s CPU), %.1f MB\n", locations, years,
                constantMemory ? " (constant memory)" : "", seconds, cpu, static_cast<double>(bytes) / 1.0e6);
    if (keep.empty()) std::filesystem::remove(path, ec);
    return 0;
}
