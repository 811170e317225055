// vektool report: reads an engine report and prints the output view's text
// report for a selection, or the Plot command's graph data as JSON.
#include "common/safe_save.h"
#include "common/utf8_path.h"
#include "results/csv_export.h"
#include "results/export_layout.h"
#include "results/graph_data.h"
#include "results/output_results.h"
#include "results/text_report.h"
#include "results/xlsx_export.h"
#include "vektool/command.h"
#include "vektool/messages.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The workbook library prints its own failures on standard error
// ("[ERROR] ..."); vektool says each failure once, in its words, for the
// scripts that read its standard error. vektool runs one thread and prints
// nothing while a workbook is written, so it can point its standard error at
// the null device for that time (the library itself never does: in another
// program other threads would lose their messages).
class LibraryMessagesDropped {
  public:
    LibraryMessagesDropped() {
        std::fflush(stderr);
#ifdef _WIN32
        saved_ = _dup(2);
        const int null = _open("NUL", _O_WRONLY);
        if (saved_ >= 0 && null >= 0) _dup2(null, 2);
        if (null >= 0) _close(null);
#else
        saved_ = ::dup(2);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) ::dup2(null, 2);
        if (null >= 0) ::close(null);
#endif
    }
    ~LibraryMessagesDropped() {
        std::fflush(stderr);
        if (saved_ < 0) return;
#ifdef _WIN32
        _dup2(saved_, 2);
        _close(saved_);
#else
        ::dup2(saved_, 2);
        ::close(saved_);
#endif
    }
    LibraryMessagesDropped(const LibraryMessagesDropped &) = delete;
    LibraryMessagesDropped &operator=(const LibraryMessagesDropped &) = delete;

  private:
    int saved_ = -1;
};

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
                     "                            twelve months,total\n"
                     "  --output FILE, -o FILE    write the text report or the graph data to FILE\n"
                     "                            instead of standard output\n\n"
                     "A report written without location tables (output format 2) gives its two\n"
                     "summaries. No output may be the report itself. When the report cannot be read\n"
                     "completely, what was read is still printed or written, but never over an\n"
                     "existing file: it goes to a new file beside it (NAME.partial.EXT), and the\n"
                     "message says where.\n\n"
                     "Exit status: 0 read and printed, 1 the report could not be read completely\n"
                     "or a file could not be written, 2 bad options.\n";

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

namespace fs = std::filesystem;

// Writes one output file to target (replace says whether an existing file
// may go); false with the reason in error.
using Writer = std::function<bool(const std::string &target, vek::SafeSave::Replace replace, std::string *error)>;

// Where what was read of a report that did not read completely goes when
// path holds a file already: run.csv gives run.partial.csv, then
// run.partial-2.csv, ... (the first name not taken).
std::string partialName(const std::string &path) {
    const fs::path p = vek::pathFromUtf8(path);
    const std::string stem = vek::utf8FromPath(p.stem()), ext = vek::utf8FromPath(p.extension());
    std::string name;
    for (int n = 1; n <= 1000; ++n) {
        name = vek::utf8FromPath(p.parent_path() /
                                 vek::pathFromUtf8(stem + ".partial" + (n > 1 ? "-" + std::to_string(n) : "") + ext));
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(vek::pathFromUtf8(name), ec))) break;
    }
    return name;
}

// Writes one output through the safe save. What was read of a report that
// did not read completely never replaces an existing file (an export of an
// earlier, complete read may be there): it goes to a new file, and standard
// error says which.
bool writeOutput(const std::string &path, bool complete, const std::string &report, const Writer &write) {
    std::string target = path;
    auto replace = vek::SafeSave::Replace::Allowed;
    if (!complete) {
        std::error_code ec;
        const fs::file_status st = fs::status(vek::pathFromUtf8(path), ec);
        if (fs::is_regular_file(st)) target = partialName(path);
        // A FIFO or a device is a stream, not a file that is kept: it is
        // written as usual.
        if (!fs::exists(st) || fs::is_regular_file(st)) replace = vek::SafeSave::Replace::Never;
    }
    std::string error;
    if (!write(target, replace, &error)) {
        std::fprintf(stderr, "vektool report: %s\n", error.c_str());
        return false;
    }
    if (!complete)
        std::fprintf(stderr, "vektool report: %s was not read completely; what was read was written to %s%s.\n",
                     report.c_str(), target.c_str(),
                     target == path ? "" : (", and " + path + " was left as it was").c_str());
    return true;
}

Writer bytesWriter(const std::string &bytes) {
    return [&bytes](const std::string &target, vek::SafeSave::Replace replace, std::string *error) {
        return vek::saveFile(target, bytes, error, replace);
    };
}

int runReport(const vektool::Args &args) {
    std::string path, locations = "all", years = "all", screen, xlsxPath, csvPath, outputPath;
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
        } else if (a == "--output" || a == "-o") {
            if (!value(outputPath) || outputPath.empty()) return usageError(a + " needs a file name");
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
    if (!outputPath.empty() && (!xlsxPath.empty() || !csvPath.empty()))
        return usageError("--output names the file of the text report or the graph data; --xlsx and --csv name "
                          "their own");
    // An output onto the report itself would destroy what is being read.
    for (const std::string *out : {&xlsxPath, &csvPath, &outputPath})
        if (!out->empty() && *out != "-" && vek::sameFile(path, *out))
            return usageError(*out + " is the report being read; give the output another name");
    if (!xlsxPath.empty() && !csvPath.empty() && (xlsxPath == csvPath || vek::sameFile(xlsxPath, csvPath)))
        return usageError("--xlsx and --csv name the same file");
    int screenWidth = 1280, screenHeight = 1024;
    if (!screen.empty()) {
        size_t x = screen.find('x');
        auto w = x == std::string::npos ? std::nullopt : toInt(screen.substr(0, x));
        auto h = x == std::string::npos ? std::nullopt : toInt(screen.substr(x + 1));
        if (!w || !h || *w <= 0 || *h <= 0) return usageError("--screen must look like 1280x1024");
        screenWidth = *w;
        screenHeight = *h;
    }

    vektool::MessagePrinter prompter;
    prompter.hold = true; // what was read is printed before the reader's message
    vek::OutputResults results;
    bool complete = results.Load(path, prompter);
    // A report without titled tables: its untitled summaries.
    if (complete && results.locations.empty()) complete = results.LoadUntitledSummaries(path, prompter);
    if (!results.headingRead) {
        // Nothing read that could be shown: the message alone.
        prompter.printHeld();
        return 1;
    }
    if (yearType >= 0) results.changeYearType(yearType);
    choices.yearType = results.yearType;

    const int count = static_cast<int>(results.locations.size());
    auto selectionError = [&](const std::string &what) {
        prompter.printHeld();
        return usageError(what);
    };
    if (locations == "all") {
        for (int i = 0; i < count; ++i)
            choices.locations.push_back(i);
    } else {
        for (const std::string &s : splitCommas(locations)) {
            auto v = toInt(s);
            if (!v || *v < 0 || *v >= count)
                return selectionError("no location '" + s + "' (the report has " + std::to_string(count) + ")");
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
                return selectionError("no year '" + s + "' (the report prints " +
                                      std::to_string(results.firstPrintYear) + " to " +
                                      std::to_string(results.lastPrintYear) + ")");
            choices.years.push_back(*v - results.firstPrintYear);
        }
    }

    bool written = true;
    if (!xlsxPath.empty() || !csvPath.empty()) {
        const std::string csv = csvPath.empty() ? std::string() : vek::buildCsv(results, choices);
        if (csvPath == "-") vektool::writeStandardOutput(csv);
        prompter.printHeld();
        if (!xlsxPath.empty()) {
            const vek::WorkbookInfo info = vek::workbookInfoFor(path);
            written = writeOutput(xlsxPath, complete, path,
                                  [&](const std::string &target, vek::SafeSave::Replace replace, std::string *error) {
                                      vek::WorkbookOptions options;
                                      options.replace = replace;
                                      const LibraryMessagesDropped quiet;
                                      return vek::writeWorkbook(target, results, choices, info, error, options);
                                  });
        }
        if (!csvPath.empty() && csvPath != "-")
            written = writeOutput(csvPath, complete, path, bytesWriter(csv)) && written;
    } else {
        const std::string out = graphData
                                    ? vek::plotToJson(vek::preparePlot(results, choices, screenWidth, screenHeight))
                                    : vek::buildTextReport(results, choices, crlf ? "\r\n" : "\n", &prompter);
        if (outputPath.empty() || outputPath == "-") vektool::writeStandardOutput(out);
        prompter.printHeld();
        if (!outputPath.empty() && outputPath != "-")
            written = writeOutput(outputPath, complete, path, bytesWriter(out));
    }
    // Say so when the output holds no table: a selection of nothing, or a
    // report without any.
    if (written && (complete || count > 0) && vek::exportLayout(results, choices).blocks.empty())
        std::fprintf(stderr, "vektool report: %s; only the heading facts were written.\n",
                     count == 0 ? (path + " holds no tables").c_str() : "the selection holds no table");
    return complete && written ? 0 : 1;
}

} // namespace

VEKTOOL_COMMAND("report", "print the text report or graph data of an engine report (.out)", kUsage, runReport);
