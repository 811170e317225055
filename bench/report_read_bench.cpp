// Reading speed of engine reports: a generated report of 1000 locations by
// 100 years (both tables each, then the summaries) read from memory and from
// disk, in megabytes per second.
#include "common/prompter.h"
#include "results/output_results.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void table(std::string &out, int firstYear, int years, float scale) {
    char buf[16];
    out += "YEAR   NOV      DEC      JAN      FEB      MAR      APR      MAY      JUN      JUL      AUG      SEP      "
           "OCT       TOTAL\r\n";
    for (int y = 0; y <= years; ++y) {
        if (y == years)
            out += "\r\n AVG";
        else {
            std::snprintf(buf, sizeof buf, "%4d", firstYear + y);
            out += buf;
        }
        float total = 0;
        for (int m = 0; m < 12; ++m) {
            float v = scale * static_cast<float>((y * 37 + m * 11) % 997) / 3.0f;
            total += v;
            std::snprintf(buf, sizeof buf, "%9.1f", static_cast<double>(v));
            out += buf;
        }
        std::snprintf(buf, sizeof buf, "%9.1f", static_cast<double>(total));
        out += buf;
        out += "\r\n";
    }
}

void titled(std::string &out, const char *title, int firstYear, int years, float scale) {
    out += "\r\n";
    out += title;
    out += "\r\n ( acre feet )\r\n \r\n";
    table(out, firstYear, years, scale);
}

std::string makeReport(int locations, int years) {
    const int first = 1900, last = first + years - 1;
    char buf[1024];
    std::string out = std::string(54, ' ') + "STREAM DEPLETION\r\n" + std::string(45, ' ') +
                      "CALCULATED BY U.S.G.S. VEK METHOD\r\n\r\n\r\n\r\n\r\n";
    std::snprintf(buf, sizeof buf,
                  "          THE LAST YEAR OF HISTORICAL DATA IS%5d.\r\n\r\n"
                  "          NUMBER OF YEARS OF SYNTHESIZED DATA ARE     0\r\n\r\n"
                  "          SYNTHESIZED DATA WAS GENERATED USING %-50s\r\n\r\n"
                  "          PUMPING BEGINS IN%5d AND CONTINUES%3d MORE YEARS.\r\n\r\n"
                  "          PRINT OUT OF DEPLETIONS IS FOR YEARS %4d TO %4d INCLUSIVE.\r\n"
                  "          MONTHLY TO DAILY CONVERSIONS USED AVERAGE DAYS PER MONTH (30.417).\r\n",
                  last, "", first, years - 1, first, last);
    out += buf;
    for (int i = 0; i < locations; ++i) {
        std::snprintf(buf, sizeof buf,
                      " \r\nLOCATION:        %-60s\r\nVEK FACTOR:      %9.1f\r\nTYPE OF SITE:    PUMPING   \r\n"
                      "DEPTH:           SHALLOW   \r\n \r\n",
                      ("Well " + std::to_string(i)).c_str(), 10.0 + i);
        out += buf;
        titled(out, "DIVERSIONS FROM WELLS", first, years, -1.0f);
        titled(out, "DEPLETIONS OCCURRING FROM THE STREAM DUE TO WELLS", first, years, -0.5f);
    }
    const char *groups[][2] = {{"NET DIVERSION INTO RECHARGE SITES", "ACCRETION TO THE STREAM RESULTING FROM RECHARGE"},
                               {"DIVERSIONS FROM WELLS", "DEPLETIONS OCCURRING FROM THE STREAM DUE TO WELLS"}};
    for (auto &g : groups) {
        out += " \r\nSUMMARY OF ALL LOCATIONS\r\n";
        titled(out, g[0], first, years, 100.0f);
        out += " \r\nSUMMARY OF ALL LOCATIONS\r\n";
        titled(out, g[1], first, years, 50.0f);
        out += " \r\n";
    }
    out += "\r\nNET IMPACT UPON THE STREAM\r\n Depletions + Accretions";
    titled(out, "", first, years, 10.0f);
    return out;
}

const std::string &report() {
    static const std::string r = makeReport(1000, 100);
    return r;
}

void BM_ReadReportFromMemory(benchmark::State &state) {
    const std::string &text = report();
    vek::SilentPrompter p;
    for (auto _ : state) {
        vek::OutputResults r;
        bool ok = r.LoadText(text, "bench.out", p);
        if (!ok || r.locations.size() != 1003) state.SkipWithError("report did not read");
        benchmark::DoNotOptimize(r.locations.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_ReadReportFromMemory)->Unit(benchmark::kMillisecond);

void BM_ReadReportFromFile(benchmark::State &state) {
    const std::string path = (std::filesystem::temp_directory_path() / "vek_report_read_bench.out").string();
    {
        std::ofstream f(path, std::ios::binary);
        f << report();
    }
    vek::SilentPrompter p;
    for (auto _ : state) {
        vek::OutputResults r;
        if (!r.Load(path, p)) state.SkipWithError("report did not read");
        benchmark::DoNotOptimize(r.locations.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(report().size()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadReportFromFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
