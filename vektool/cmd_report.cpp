// vektool report: reads an engine report and prints the output view's text
// report for a selection, or the Plot command's graph data as JSON.
#include "results/csv_export.h"
#include "results/graph_data.h"
#include "results/output_results.h"
#include "results/text_report.h"
#include "results/xlsx_export.h"
#include "vektool/command.h"
#include "vektool/messages.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

const char *kUsage = "usage: vektool report REPORT.out [options]\n\n"
                     "Prints the text report of the selected locations and years (tab-separated,\n"
                     "as the output view shows it), or with --graph-data the data of the graphs\n"
                     "Plot would draw, as JSON. With --xlsx or --csv the same selection is written\n"
                     "to a workbook or a CSV file instead of the text report.\n\n"
                     "options:\n"
                     "  --locations all|I,J,...   locations by 0-based position; the last three are\n"
                     "                            the recharge, ground-water and net-impact summaries\n"
                     "                            (default all)\n"
                     "  --years all|Y1,Y2,...,avg printed years, and avg for the average row\n"
                     "                            (default all)\n"
                     "  --yearly                  year totals only (default monthly)\n"
                     "  --year-type 0|1|2         show months in Calendar (0), Irrigation (1, the\n"
                     "                            report's own) or USGS (2) years\n"
                     "  --no-diversion            leave out the CU of ground water/net recharge tables\n"
                     "  --no-stream               leave out the depletion/accretion tables\n"
                     "  --graph-data              print the graph data as JSON instead\n"
                     "  --screen WIDTHxHEIGHT     screen size for the graph placement (1280x1024)\n"
                     "  --crlf                    end report lines with CR LF\n"
                     "  --xlsx FILE.xlsx          write an Excel workbook: a run sheet, then one sheet\n"
                     "                            per selected location and summary\n"
                     "  --csv FILE                write CSV (- for standard output): one record per\n"
                     "                            location, table and year: location,type,year,\n"
                     "                            twelve months,total\n\n"
                     "Exit status: 0 read and printed, 1 the report could not be read completely\n"
                     "(what was read is still printed or written) or a file could not be written,\n"
                     "2 bad options.\n";

std::optional<int> toInt(const std::string &s) {
    int v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::vector<std::string> splitCommas(const std::string &s) {
    std::vector<std::string> out;
    size_t b = 0;
    while (true) {
        size_t e = s.find(',', b);
        out.push_back(s.substr(b, e == std::string::npos ? std::string::npos : e - b));
        if (e == std::string::npos) break;
        b = e + 1;
    }
    return out;
}

int usageError(const std::string &what) {
    std::fprintf(stderr, "vektool report: %s\n", what.c_str());
    return 2;
}

// Written aside and renamed, so a failed write leaves an earlier file whole.
bool writeWholeFile(const std::string &path, const std::string &bytes) {
    if (path == "-") return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    const std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(part.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(part, path, ec);
    if (ec) std::remove(part.c_str());
    return !ec;
}

int runReport(const vektool::Args &args) {
    std::string path, locations = "all", years = "all", screen, xlsxPath, csvPath;
    int yearType = -1;
    bool graphData = false, crlf = false;
    vek::ViewChoices choices;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        auto value = [&](std::string &into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        if (a == "--locations") {
            if (!value(locations)) return usageError("--locations needs a value");
        } else if (a == "--years") {
            if (!value(years)) return usageError("--years needs a value");
        } else if (a == "--yearly") {
            choices.scale = vek::ViewChoices::Yearly;
        } else if (a == "--year-type") {
            std::string v;
            if (!value(v)) return usageError("--year-type needs a value");
            auto t = toInt(v);
            if (!t || *t < 0 || *t > 2) return usageError("--year-type must be 0, 1 or 2");
            yearType = *t;
        } else if (a == "--no-diversion") {
            choices.showDiversion = false;
        } else if (a == "--no-stream") {
            choices.showStream = false;
        } else if (a == "--graph-data") {
            graphData = true;
        } else if (a == "--crlf") {
            crlf = true;
        } else if (a == "--xlsx") {
            if (!value(xlsxPath) || xlsxPath.empty()) return usageError("--xlsx needs a file name");
        } else if (a == "--csv") {
            if (!value(csvPath) || csvPath.empty()) return usageError("--csv needs a file name");
        } else if (a == "--screen") {
            if (!value(screen)) return usageError("--screen needs a value");
        } else if (!a.empty() && a[0] == '-') {
            return usageError("unknown option " + a);
        } else if (path.empty()) {
            path = a;
        } else {
            return usageError("only one report can be read");
        }
    }
    if (path.empty()) return usageError("no report named (see vektool report --help)");
    if (graphData && (!xlsxPath.empty() || !csvPath.empty()))
        return usageError("--graph-data cannot be combined with --xlsx or --csv");
    int screenWidth = 1280, screenHeight = 1024;
    if (!screen.empty()) {
        size_t x = screen.find('x');
        auto w = x == std::string::npos ? std::nullopt : toInt(screen.substr(0, x));
        auto h = x == std::string::npos ? std::nullopt : toInt(screen.substr(x + 1));
        if (!w || !h || *w <= 0 || *h <= 0) return usageError("--screen must look like 1280x1024");
        screenWidth = *w;
        screenHeight = *h;
    }

    vek::OutputResults results;
    const bool complete = results.Load(path, vektool::messages());
    if (yearType >= 0) results.changeYearType(yearType);
    choices.yearType = results.yearType;

    // A report cut short still shows what was read; one that gave nothing
    // but its message shows nothing.
    if (!complete && results.locations.empty()) return 1;
    const int count = static_cast<int>(results.locations.size());
    if (locations == "all") {
        for (int i = 0; i < count; ++i)
            choices.locations.push_back(i);
    } else {
        for (const std::string &s : splitCommas(locations)) {
            auto v = toInt(s);
            if (!v || *v < 0 || *v >= count)
                return usageError("no location '" + s + "' (the report has " + std::to_string(count) + ")");
            choices.locations.push_back(*v);
        }
    }
    const int printed = results.printedYears();
    if (years == "all") {
        for (int p = 0; p <= printed; ++p)
            choices.years.push_back(p);
    } else {
        for (const std::string &s : splitCommas(years)) {
            if (s == "avg" || s == "Avg" || s == "Average") {
                choices.years.push_back(printed);
                continue;
            }
            auto v = toInt(s);
            if (!v || *v < results.firstPrintYear || *v > results.lastPrintYear)
                return usageError("no year '" + s + "' (the report prints " + std::to_string(results.firstPrintYear) +
                                  " to " + std::to_string(results.lastPrintYear) + ")");
            choices.years.push_back(*v - results.firstPrintYear);
        }
    }

    if (!xlsxPath.empty() || !csvPath.empty()) {
        if (!xlsxPath.empty()) {
            std::string error;
            if (!vek::writeWorkbook(xlsxPath, results, choices, vek::workbookInfoFor(path), &error)) {
                std::fprintf(stderr, "vektool report: %s\n", error.c_str());
                return 1;
            }
        }
        if (!csvPath.empty() && !writeWholeFile(csvPath, vek::buildCsv(results, choices))) {
            std::fprintf(stderr, "vektool report: Unable to write %s.\n", csvPath.c_str());
            return 1;
        }
        return complete ? 0 : 1;
    }

    std::string out = graphData ? vek::plotToJson(vek::preparePlot(results, choices, screenWidth, screenHeight))
                                : vek::buildTextReport(results, choices, crlf ? "\r\n" : "\n", &vektool::messages());
    std::fwrite(out.data(), 1, out.size(), stdout);
    return complete ? 0 : 1;
}

} // namespace

VEKTOOL_COMMAND("report", "print the text report or graph data of an engine report (.out)", kUsage, runReport);
