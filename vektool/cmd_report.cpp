// vektool report: reads an engine report and prints the output view's text
// report for a selection, or the Plot command's graph data as JSON.
#include "common/safe_save.h"
#include "common/utf8_path.h"
#include "results/csv_export.h"
#include "results/export_layout.h"
#include "results/graph_data.h"
#include "results/output_results.h"
#include "results/selection.h"
#include "results/text_report.h"
#include "results/xlsx_export.h"
#include "vektool/command.h"
#include "vektool/messages.h"
#include "vektool/usage_errors.h"

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
                     "  --units UNIT              af (acre-feet, the report's own; default), m3, ML,\n"
                     "                            dam3, or mean rates cfs, m3/s\n"
                     "  --no-diversion            leave out the CU of ground water/net recharge tables\n"
                     "  --no-stream               leave out the depletion/accretion tables\n"
                     "  --graph-data              print the graph data as JSON instead\n"
                     "  --screen WIDTHxHEIGHT     screen size for the graph placement (1280x1024)\n"
                     "  --crlf                    end report lines with CR LF\n"
                     "  --xlsx FILE.xlsx          write an Excel workbook: a run sheet (heading facts,\n"
                     "                            units, response methods), then one sheet per\n"
                     "                            selected location and summary\n"
                     "  --csv FILE                write CSV (- for standard output), one record per\n"
                     "                            location, table and year: position,kind,location,\n"
                     "                            site_type,factor,quantity,year, twelve months,total,\n"
                     "                            cumulative,row,units,year_type,method,sdf,a_w,lambda,\n"
                     "                            response_table,table_after\n"
                     "  --layout wide|long        the CSV's layout; long: one record per location,\n"
                     "                            table and month: position,kind,location,site_type,\n"
                     "                            factor,quantity,year,month (ISO, 1980-11),days,value,\n"
                     "                            units,year_type,method,sdf,a_w,lambda,\n"
                     "                            response_table,table_after\n"
                     "  --output FILE, -o FILE    write the text report or the graph data to FILE\n"
                     "                            instead of standard output\n\n"
                     "docs/file-formats.md describes every column. A report written without\n"
                     "location tables (output format 2) gives its two summaries. No output may be\n"
                     "the report itself. When the report cannot be read completely, what was read\n"
                     "is still printed or written, but never over an existing file: it goes to a\n"
                     "new file beside it (NAME.partial.EXT), and the message says where. Values the\n"
                     "report printed as asterisks are counted on standard error (vektool run\n"
                     "MODEL.vek --csv FILE exports them from the engine).\n\n"
                     "Exit status: 0 read and printed, 1 the report could not be read completely\n"
                     "or a file could not be written, 2 bad options.\n";

std::optional<int> toInt(const std::string &s) {
    int v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

int usageError(const std::string &what) { return vektool::usageError("report", what, kUsage); }

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

struct ReportOptions {
    std::string path, locations = "all", years = "all", screen, xlsxPath, csvPath, outputPath;
    int yearType = -1;
    bool graphData = false, crlf = false;
    vek::CsvLayout layout = vek::CsvLayout::Wide;
    bool layoutGiven = false;
    int screenWidth = 1280, screenHeight = 1024;
    vek::ViewChoices choices;
};

// The option at args[i] (and its value); an empty string, or what is wrong.
std::string parseOption(const vektool::Args &args, size_t &i, ReportOptions &o) {
    const std::string &a = args[i];
    auto value = [&](std::string &into) {
        if (i + 1 >= args.size()) return false;
        into = args[++i];
        return true;
    };
    std::string v;
    if (a == "--locations") return value(o.locations) ? "" : "--locations needs a value";
    if (a == "--years") return value(o.years) ? "" : "--years needs a value";
    if (a == "--yearly") return o.choices.scale = vek::ViewChoices::Yearly, "";
    if (a == "--no-diversion") return o.choices.showDiversion = false, "";
    if (a == "--no-stream") return o.choices.showStream = false, "";
    if (a == "--graph-data") return o.graphData = true, "";
    if (a == "--crlf") return o.crlf = true, "";
    if (a == "--screen") return value(o.screen) ? "" : "--screen needs a value";
    if (a == "--xlsx") return value(o.xlsxPath) && !o.xlsxPath.empty() ? "" : "--xlsx needs a file name";
    if (a == "--csv") return value(o.csvPath) && !o.csvPath.empty() ? "" : "--csv needs a file name";
    if (a == "--output" || a == "-o")
        return value(o.outputPath) && !o.outputPath.empty() ? "" : a + " needs a file name";
    if (a == "--year-type") {
        if (!value(v)) return "--year-type needs a value";
        const auto t = toInt(v);
        if (!t || *t < 0 || *t > 2) return "--year-type must be 0, 1 or 2";
        o.yearType = *t;
        return "";
    }
    if (a == "--units") {
        if (!value(v)) return "--units needs a value";
        const auto u = vek::unitFromOption(v);
        if (!u) return "--units takes " + vek::unitOptionList() + ", not '" + v + "'";
        o.choices.units = *u;
        return "";
    }
    if (a == "--layout") {
        if (!value(v) || (v != "wide" && v != "long")) return "--layout takes wide or long";
        o.layout = v == "long" ? vek::CsvLayout::Long : vek::CsvLayout::Wide;
        o.layoutGiven = true;
        return "";
    }
    if (!a.empty() && a[0] == '-' && a != "-") return "unknown option " + a;
    if (!o.path.empty()) return "only one report can be read";
    o.path = a;
    return "";
}

// The options and how they go together; an empty string, or what is wrong.
std::string parseOptions(const vektool::Args &args, ReportOptions &o) {
    for (size_t i = 0; i < args.size(); ++i)
        if (std::string err = parseOption(args, i, o); !err.empty()) return err;
    if (o.path.empty()) return "no report named";
    const bool exports = !o.xlsxPath.empty() || !o.csvPath.empty();
    if (o.graphData && exports) return "--graph-data cannot be combined with --xlsx or --csv";
    if (!o.outputPath.empty() && exports)
        return "--output names the file of the text report or the graph data; --xlsx and --csv name their own";
    if (o.layoutGiven && o.csvPath.empty()) return "--layout is the layout of the CSV (--csv)";
    if (o.layout == vek::CsvLayout::Long && o.choices.scale == vek::ViewChoices::Yearly)
        return "--layout long has a record per month; --yearly has no months";
    // An output onto the report itself would destroy what is being read.
    for (const std::string *out : {&o.xlsxPath, &o.csvPath, &o.outputPath})
        if (!out->empty() && *out != "-" && vek::sameFile(o.path, *out))
            return *out + " is the report being read; give the output another name";
    if (!o.xlsxPath.empty() && !o.csvPath.empty() && (o.xlsxPath == o.csvPath || vek::sameFile(o.xlsxPath, o.csvPath)))
        return "--xlsx and --csv name the same file";
    if (!o.screen.empty()) {
        const size_t x = o.screen.find('x');
        const auto w = x == std::string::npos ? std::nullopt : toInt(o.screen.substr(0, x));
        const auto h = x == std::string::npos ? std::nullopt : toInt(o.screen.substr(x + 1));
        if (!w || !h || *w <= 0 || *h <= 0) return "--screen must look like 1280x1024";
        o.screenWidth = *w;
        o.screenHeight = *h;
    }
    return "";
}

// The selected locations and years into the choices; an empty string, or
// what names nothing in the report.
std::string select(const vek::OutputResults &results, ReportOptions &o) {
    if (std::string err = vek::selectLocations(results, o.locations, o.choices.locations); !err.empty()) return err;
    return vek::selectYears(results, o.years, o.choices.years);
}

// The workbook and the CSV; false when one could not be written.
bool writeExports(const vek::OutputResults &results, const ReportOptions &o, bool complete,
                  vektool::MessagePrinter &prompter) {
    bool written = true;
    const std::string csv = o.csvPath.empty() ? std::string() : vek::buildCsv(results, o.choices, o.layout);
    if (o.csvPath == "-") vektool::writeStandardOutput(csv);
    prompter.printHeld();
    if (!o.xlsxPath.empty()) {
        const vek::WorkbookInfo info = vek::workbookInfoFor(o.path);
        written = writeOutput(o.xlsxPath, complete, o.path,
                              [&](const std::string &target, vek::SafeSave::Replace replace, std::string *error) {
                                  vek::WorkbookOptions options;
                                  options.replace = replace;
                                  const LibraryMessagesDropped quiet;
                                  return vek::writeWorkbook(target, results, o.choices, info, error, options);
                              });
    }
    if (!o.csvPath.empty() && o.csvPath != "-")
        written = writeOutput(o.csvPath, complete, o.path, bytesWriter(csv)) && written;
    return written;
}

// Values of the output that the report printed as asterisks: said, with
// where to get them.
void sayUnprinted(const vek::OutputResults &results, const vek::ViewChoices &choices, const std::string &path) {
    const long long n = vek::unprintedInLayout(results, vek::exportLayout(results, choices));
    if (n == 0) return;
    std::fprintf(stderr,
                 "vektool report: %lld value%s of %s did not fit the report's 9-column fields (printed as "
                 "asterisks) and %s left out (\"-\", or an empty cell); vektool run MODEL.vek --csv FILE (or "
                 "--xlsx FILE) exports every value straight from the engine.\n",
                 n, n == 1 ? "" : "s", path.c_str(), n == 1 ? "is" : "are");
}

int runReport(const vektool::Args &args) {
    ReportOptions o;
    if (std::string err = parseOptions(args, o); !err.empty()) return usageError(err);

    vektool::MessagePrinter prompter;
    prompter.hold = true; // what was read is printed before the reader's message
    vek::OutputResults results;
    bool complete = results.Load(o.path, prompter);
    // A report without titled tables: its untitled summaries.
    if (complete && results.locations.empty()) complete = results.LoadUntitledSummaries(o.path, prompter);
    if (!results.headingRead) {
        // Nothing read that could be shown: the message alone.
        prompter.printHeld();
        return 1;
    }
    if (o.yearType >= 0) results.changeYearType(o.yearType);
    o.choices.yearType = results.yearType;
    if (std::string err = select(results, o); !err.empty()) {
        prompter.printHeld();
        return usageError(err);
    }

    bool written = true;
    if (!o.xlsxPath.empty() || !o.csvPath.empty()) {
        written = writeExports(results, o, complete, prompter);
    } else {
        const std::string out =
            o.graphData ? vek::plotToJson(vek::preparePlot(results, o.choices, o.screenWidth, o.screenHeight))
                        : vek::buildTextReport(results, o.choices, o.crlf ? "\r\n" : "\n", &prompter);
        if (o.outputPath.empty() || o.outputPath == "-") vektool::writeStandardOutput(out);
        prompter.printHeld();
        if (!o.outputPath.empty() && o.outputPath != "-")
            written = writeOutput(o.outputPath, complete, o.path, bytesWriter(out));
    }
    if (written) sayUnprinted(results, o.choices, o.path);
    // Say so when the output holds no table: a selection of nothing, or a
    // report without any.
    const int count = static_cast<int>(results.locations.size());
    if (written && (complete || count > 0) && vek::exportLayout(results, o.choices).blocks.empty())
        std::fprintf(stderr, "vektool report: %s; only the heading facts were written.\n",
                     count == 0 ? (o.path + " holds no tables").c_str() : "the selection holds no table");
    return complete && written ? 0 : 1;
}

} // namespace

VEKTOOL_COMMAND("report", "print the text report or graph data of an engine report (.out)", kUsage, runReport);
