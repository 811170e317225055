// Writing the selected tables of a report as an Excel workbook with
// libxlsxwriter.
#include "results/xlsx_export.h"

#include "common/ascii_case.h"
#include "common/safe_save.h"
#include "results/export_layout.h"

#ifdef VEK_HAVE_XLSXWRITER
#include <xlsxwriter.h>
#endif

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <locale.h>
#include <memory>
#include <set>
#include <system_error>

namespace vek {

namespace {

constexpr size_t kMaxSheetName = 31;

// Excel compares sheet names without case.
std::string foldCase(const std::string &s) { return asciiLowered(s); }

// The longest prefix of s that fits in max characters, never cutting a
// character in two.
std::string cutToLength(const std::string &s, size_t max) {
    size_t n = 0, i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        const size_t units = c >= 0xF0 ? 2 : 1;
        if (n + units > max) break;
        n += units;
        i += len;
    }
    return s.substr(0, std::min(i, s.size()));
}

std::string trimmed(const std::string &s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string cleanSheetName(const std::string &wanted) {
    std::string s = utf8Text(wanted);
    for (char &c : s)
        if (std::string_view("[]:*?/\\").find(c) != std::string_view::npos) c = '_';
    s = trimmed(s);
    while (!s.empty() && s.front() == '\'')
        s.erase(s.begin());
    s = trimmed(cutToLength(s, kMaxSheetName));
    while (!s.empty() && s.back() == '\'')
        s.pop_back();
    if (s.empty()) s = "Sheet";
    if (foldCase(s) == "history") s += " 1";
    return s;
}

#ifdef VEK_HAVE_XLSXWRITER
// libxlsxwriter prints numbers with printf, which follows the locale's decimal
// mark: a program running in a comma locale would write "1,5" into the
// workbook, which Excel then refuses. The writing thread uses the C numbers
// while a workbook is written.
class CNumericLocale {
  public:
    CNumericLocale() {
        locale_t base = duplocale(uselocale(nullptr));
        if (!base) return;
        c_ = newlocale(LC_NUMERIC_MASK, "C", base);
        if (!c_) {
            freelocale(base);
            return;
        }
        previous_ = uselocale(c_);
    }
    ~CNumericLocale() {
        if (!c_) return;
        uselocale(previous_);
        freelocale(c_);
    }
    CNumericLocale(const CNumericLocale &) = delete;
    CNumericLocale &operator=(const CNumericLocale &) = delete;

  private:
    locale_t c_ = nullptr;
    locale_t previous_ = nullptr;
};

// Our one message for a failure the library reported: it writes the
// workbook into a scratch file, so a file error of its own is one of the
// temporary folder.
std::string workbookFailure(const std::string &path, lxw_error e, int systemError, const std::string &scratch) {
    std::string why;
    switch (e) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        why = "there is not enough memory to put the workbook together";
        break;
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
        why = "the workbook could not be put together in the temporary folder " +
              std::filesystem::path(scratch).parent_path().string() + " (" +
              (systemError ? std::generic_category().message(systemError) : std::string(lxw_strerror(e))) + ")";
        break;
    default:
        why = lxw_strerror(e);
        while (!why.empty() && why.back() == '.')
            why.pop_back();
    }
    return "Unable to write " + path + ": " + why + ".";
}

struct WorkbookCloser {
    void operator()(lxw_workbook *wb) const {
        if (wb) workbook_close(wb);
    }
};

struct Formats {
    lxw_format *title, *group, *heading, *year, *label;
};

// The report's list of response methods, as it prints it: number, name,
// method and parameters; the locations it leaves out used the infinite
// aquifer.
lxw_row_t writeMethodList(lxw_worksheet *ws, const Formats &f, const OutputResults &results, lxw_row_t r) {
    worksheet_write_string(ws, r++, 0, "Response methods", f.label);
    if (results.reportedMethods.empty()) {
        worksheet_write_string(ws, r++, 1, "Every location used the infinite aquifer.", nullptr);
        return r;
    }
    worksheet_write_string(ws, r, 0, "NO.", f.heading);
    worksheet_write_string(ws, r, 1, "NAME", f.heading);
    worksheet_write_string(ws, r++, 2, "METHOD AND PARAMETERS", f.heading);
    for (const ReportedMethod &m : results.reportedMethods) {
        worksheet_write_number(ws, r, 0, m.number, f.year);
        worksheet_write_string(ws, r, 1, utf8Text(m.name).c_str(), nullptr);
        worksheet_write_string(ws, r++, 2, utf8Text(m.response.description).c_str(), nullptr);
    }
    worksheet_write_string(ws, r++, 1, "Every other location used the infinite aquifer.", nullptr);
    return r;
}

void writeRunSheet(lxw_worksheet *ws, const Formats &f, const OutputResults &results, const ExportLayout &layout,
                   const WorkbookInfo &info, const std::vector<std::string> &sheets) {
    worksheet_set_column(ws, 0, 0, 28, nullptr);
    worksheet_set_column(ws, 1, 1, 60, nullptr);
    worksheet_set_column(ws, 2, 2, 70, nullptr);
    worksheet_write_string(ws, 0, 0, "VEK stream depletion results", f.title);
    lxw_row_t r = 2;
    auto text = [&](const char *key, const std::string &value) {
        worksheet_write_string(ws, r, 0, key, f.label);
        worksheet_write_string(ws, r, 1, utf8Text(value).c_str(), nullptr);
        ++r;
    };
    auto number = [&](const char *key, double value) {
        worksheet_write_string(ws, r, 0, key, f.label);
        worksheet_write_number(ws, r, 1, value, f.year);
        ++r;
    };
    text("Model", info.model);
    text("Report", info.reportPath);
    number("First run year", results.firstPrintYear);
    number("Last run year", results.lastPrintYear);
    number("Last year of historical data", results.firstSynthYear - 1);
    const int synth = results.lastSynthYear - results.firstSynthYear + 1;
    number("Years of synthesized data", synth > 0 ? synth : 0);
    if (synth > 0) text("Synthesized data", results.synthesisText);
    text("Monthly to daily conversion", results.conversionText);
    text("Year type", yearTypeHeading(results.yearType));
    text("Units", unitsDescription(results, layout.units));
    if (!info.reportVersion.empty())
        text("Version of the program that wrote the report", info.reportVersion);
    else
        text((info.program + " version").c_str(), info.programVersion);
    ++r;
    r = writeMethodList(ws, f, results, r);
    ++r;
    worksheet_write_string(ws, r++, 0, "Sheets", f.label);
    for (const std::string &name : sheets)
        worksheet_write_string(ws, r++, 0, name.c_str(), nullptr);
}

// Row 1 of a location's sheet: the text report's title line, the method
// when it is not the infinite aquifer, the year type and the units.
std::string sheetTitle(const OutputResults &results, const ExportLayout &layout, const ExportBlock &b) {
    std::string title = b.title;
    const LocationResult &loc = *b.location;
    if (!loc.isSummary() && loc.response.method != ResponseInfo::Method::Infinite)
        title += "  |  " +
                 (loc.response.description.empty() ? std::string(loc.response.methodWord()) : loc.response.description);
    title += "  |  " + yearTypeHeading(results.yearType);
    const std::string units = plainUnits(unitsLine(results, layout.units));
    if (!units.empty()) title += "  |  " + units;
    return title;
}

void writeLocationSheet(lxw_worksheet *ws, const Formats &f, const OutputResults &results, const ExportLayout &layout,
                        const ExportBlock &b) {
    const LocationResult &loc = *b.location;
    const int width = layout.monthly ? 14 : 2; // columns per table: months, TOTAL, CUMULATIVE TOTAL
    worksheet_write_string(ws, 0, 0, utf8Text(sheetTitle(results, layout, b)).c_str(), f.title);

    int tables = 0;
    for (int table = 0; table < 2; ++table) {
        const bool stream = table == 1;
        if (!(stream ? b.stream : b.diversion)) continue;
        const lxw_col_t first = static_cast<lxw_col_t>(1 + tables * width);
        const char *name = stream ? "Stream Depletion or Accretion Data" : "CU or Recharge Data";
        worksheet_merge_range(ws, 1, first, 1, static_cast<lxw_col_t>(first + width - 1), name, f.group);
        ++tables;
    }
    worksheet_write_string(ws, 2, 0, "YEAR", f.heading);
    for (int t = 0; t < tables; ++t) {
        const lxw_col_t first = static_cast<lxw_col_t>(1 + t * width);
        if (layout.monthly)
            for (int m = 0; m < 12; ++m)
                worksheet_write_string(ws, 2, static_cast<lxw_col_t>(first + m), utf8Text(layout.months[m]).c_str(),
                                       f.heading);
        worksheet_write_string(ws, 2, static_cast<lxw_col_t>(first + width - 2), "TOTAL", f.heading);
        worksheet_write_string(ws, 2, static_cast<lxw_col_t>(first + width - 1), "CUMULATIVE TOTAL", f.heading);
    }

    lxw_row_t r = 3;
    for (int p : layout.rows) {
        if (p >= static_cast<int>(loc.rows.size())) continue;
        const bool average = p == results.printedYears();
        if (average)
            worksheet_write_string(ws, r, 0, "Avg", f.year);
        else
            worksheet_write_number(ws, r, 0, results.firstPrintYear + p, f.year);
        int t = 0;
        for (int table = 0; table < 2; ++table) {
            const bool stream = table == 1;
            if (!(stream ? b.stream : b.diversion)) continue;
            const lxw_col_t first = static_cast<lxw_col_t>(1 + t * width);
            auto put = [&](lxw_col_t col, std::optional<double> value) {
                if (value) worksheet_write_number(ws, r, col, *value, nullptr);
            };
            if (layout.monthly)
                for (int m = 0; m < 12; ++m)
                    put(static_cast<lxw_col_t>(first + m), valueIn(results, loc, p, stream, m, layout.units, true));
            put(static_cast<lxw_col_t>(first + width - 2), valueIn(results, loc, p, stream, 12, layout.units, true));
            if (!average)
                put(static_cast<lxw_col_t>(first + width - 1),
                    cumulativeIn(results, loc, p, stream, layout.units, true));
            ++t;
        }
        ++r;
    }
    worksheet_set_column(ws, 0, 0, 8, nullptr);
    if (tables > 0) worksheet_set_column(ws, 1, static_cast<lxw_col_t>(tables * width), 11, nullptr);
    worksheet_freeze_panes(ws, 3, 1);
}

#endif // VEK_HAVE_XLSXWRITER

} // namespace

WorkbookInfo workbookInfoFor(const std::string &reportPath, const std::string &program) {
    WorkbookInfo info;
    info.reportPath = reportPath;
    info.model = std::filesystem::path(reportPath).stem().string();
    info.program = program;
    info.programVersion = releaseVersion();
    return info;
}

std::vector<std::string> excelSheetNames(const std::vector<std::string> &wanted, std::vector<std::string> taken) {
    std::set<std::string> used;
    for (const std::string &t : taken)
        used.insert(foldCase(t));
    std::vector<std::string> out;
    out.reserve(wanted.size());
    for (const std::string &w : wanted) {
        const std::string base = cleanSheetName(w);
        std::string name = base;
        for (int n = 2; used.count(foldCase(name)); ++n) {
            const std::string suffix = " (" + std::to_string(n) + ")";
            name = trimmed(cutToLength(base, kMaxSheetName - suffix.size())) + suffix;
        }
        used.insert(foldCase(name));
        out.push_back(name);
    }
    return out;
}

bool writeWorkbook(const std::string &path, const OutputResults &results, const ViewChoices &choices,
                   const WorkbookInfo &info, std::string *error, const WorkbookOptions &options) {
#ifndef VEK_HAVE_XLSXWRITER
    (void)path, (void)results, (void)choices, (void)info, (void)options;
    if (error) *error = "This build of the program cannot write Excel workbooks (it was built without libxlsxwriter).";
    return false;
#else
    auto fail = [&](const std::string &why) {
        if (error) *error = why;
        return false;
    };
    const ExportLayout layout = exportLayout(results, choices);
    std::vector<std::string> wanted;
    for (const ExportBlock &b : layout.blocks)
        wanted.push_back(b.location->name);
    const std::string runSheet = "Run";
    const std::vector<std::string> names = excelSheetNames(wanted, {runSheet});

    // The library writes only to a file name of its own: it gets a scratch
    // file, whose bytes then go to the target through the safe save. The
    // target is checked first, so a workbook is never built for nothing.
    SafeSave out;
    if (!out.open(path, options.replace)) return fail(out.error());
    ScratchFile scratch;
    std::string why;
    if (!scratch.create("vek-workbook.xlsx", &why)) return fail("Unable to write " + path + ": " + why);

    {
        // libxlsxwriter also prints its failures on standard error (a line
        // of its own, in the rare case of one); the program's message is
        // made from the error code it returns. Standard error belongs to the
        // whole process and stays where it is.
        const CNumericLocale cNumbers;
        lxw_workbook_options opts = {};
        opts.constant_memory = options.constantMemory ? LXW_TRUE : LXW_FALSE;
        lxw_workbook *raw = workbook_new_opt(scratch.path().c_str(), &opts);
        if (!raw) return fail(workbookFailure(path, LXW_ERROR_MEMORY_MALLOC_FAILED, 0, scratch.path()));
        std::unique_ptr<lxw_workbook, WorkbookCloser> wb(raw);

        lxw_doc_properties props = {};
        const std::string docTitle = utf8Text("VEK results: " + info.model);
        props.title = const_cast<char *>(docTitle.c_str());
        workbook_set_properties(raw, &props);

        Formats f{};
        f.title = workbook_add_format(raw);
        format_set_bold(f.title);
        f.group = workbook_add_format(raw);
        format_set_bold(f.group);
        format_set_align(f.group, LXW_ALIGN_CENTER);
        f.heading = workbook_add_format(raw);
        format_set_bold(f.heading);
        format_set_align(f.heading, LXW_ALIGN_CENTER);
        format_set_bottom(f.heading, LXW_BORDER_THIN);
        f.year = workbook_add_format(raw);
        format_set_align(f.year, LXW_ALIGN_LEFT);
        f.label = workbook_add_format(raw);
        format_set_bold(f.label);

        lxw_worksheet *run = workbook_add_worksheet(raw, runSheet.c_str());
        if (!run) return fail("Unable to add the sheet " + runSheet + " to " + path + ".");
        writeRunSheet(run, f, results, layout, info, names);
        for (size_t i = 0; i < layout.blocks.size(); ++i) {
            lxw_worksheet *ws = workbook_add_worksheet(raw, names[i].c_str());
            if (!ws) return fail("Unable to add the sheet " + names[i] + " to " + path + ".");
            writeLocationSheet(ws, f, results, layout, layout.blocks[i]);
        }
        errno = 0;
        const lxw_error closed = workbook_close(wb.release());
        if (closed != LXW_NO_ERROR) return fail(workbookFailure(path, closed, errno, scratch.path()));
    }
    if (!scratch.copyInto(out, &why) || !out.commit()) return fail(why.empty() ? out.error() : why);
    return true;
#endif
}

#ifdef VEK_HAVE_XLSXWRITER
namespace {

// One table sheet: its titles, then its rows.
bool writeTableSheet(lxw_workbook *wb, lxw_format *heading, const TableSheet &sheet, const std::string &name) {
    lxw_worksheet *ws = workbook_add_worksheet(wb, name.c_str());
    if (!ws) return false;
    for (std::size_t c = 0; c < sheet.columns.size(); ++c)
        worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), utf8Text(sheet.columns[c]).c_str(), heading);
    worksheet_freeze_panes(ws, 1, 0);
    double number = 0.0;
    std::string text;
    for (std::size_t r = 0; r < sheet.rows && r + 1 < LXW_ROW_MAX; ++r)
        for (std::size_t c = 0; c < sheet.columns.size(); ++c) {
            const auto row = static_cast<lxw_row_t>(r + 1);
            const auto col = static_cast<lxw_col_t>(c);
            if (sheet.cell(r, c, number, text))
                worksheet_write_number(ws, row, col, number, nullptr);
            else if (!text.empty())
                worksheet_write_string(ws, row, col, utf8Text(text).c_str(), nullptr);
        }
    return true;
}

} // namespace
#endif

bool writeTableWorkbook(const std::string &path, const std::string &title, const std::vector<TableSheet> &sheets,
                        std::string *error) {
#ifndef VEK_HAVE_XLSXWRITER
    (void)path, (void)title, (void)sheets;
    if (error) *error = "This build of the program cannot write Excel workbooks (it was built without libxlsxwriter).";
    return false;
#else
    auto fail = [&](const std::string &why) {
        if (error) *error = why;
        return false;
    };
    std::vector<std::string> wanted;
    for (const TableSheet &t : sheets)
        wanted.push_back(t.name);
    const std::vector<std::string> names = excelSheetNames(wanted);
    SafeSave out;
    if (!out.open(path)) return fail(out.error());
    ScratchFile scratch;
    std::string why;
    if (!scratch.create("vek-workbook.xlsx", &why)) return fail("Unable to write " + path + ": " + why);
    {
        const CNumericLocale cNumbers;
        lxw_workbook_options opts = {};
        opts.constant_memory = LXW_TRUE;
        lxw_workbook *raw = workbook_new_opt(scratch.path().c_str(), &opts);
        if (!raw) return fail(workbookFailure(path, LXW_ERROR_MEMORY_MALLOC_FAILED, 0, scratch.path()));
        std::unique_ptr<lxw_workbook, WorkbookCloser> wb(raw);
        lxw_doc_properties props = {};
        const std::string docTitle = utf8Text(title);
        props.title = const_cast<char *>(docTitle.c_str());
        workbook_set_properties(raw, &props);
        lxw_format *heading = workbook_add_format(raw);
        format_set_bold(heading);
        for (std::size_t i = 0; i < sheets.size(); ++i)
            if (!writeTableSheet(raw, heading, sheets[i], names[i]))
                return fail("Unable to add the sheet " + names[i] + " to " + path + ".");
        errno = 0;
        const lxw_error closed = workbook_close(wb.release());
        if (closed != LXW_NO_ERROR) return fail(workbookFailure(path, closed, errno, scratch.path()));
    }
    if (!scratch.copyInto(out, &why) || !out.commit()) return fail(why.empty() ? out.error() : why);
    return true;
#endif
}

} // namespace vek
