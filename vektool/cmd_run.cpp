// vektool run: runs the engine on a model input file as the desktop
// program's Run does, on the file as it is on disk; with --csv or --xlsx in
// this process, exporting the run's own numbers.
#include "common/safe_save.h"
#include "common/utf8_path.h"
#include "engine/engine_run.h"
#include "model/engine_runner.h"
#include "model/model_validation.h"
#include "model/program_directory.h"
#include "programs/ending_signals.h"
#include "results/csv_export.h"
#include "results/run_results.h"
#include "results/xlsx_export.h"
#include "vektool/command.h"
#include "vektool/messages.h"
#include "vektool/usage_errors.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

const char *kUsage = "usage: vektool run MODEL.vek [--csv FILE] [--xlsx FILE] [--units UNIT] [--layout wide|long]\n\n"
                     "Runs the engine vek (from vektool's own folder) on MODEL.vek in that file's\n"
                     "folder and prints the absolute path of the report it wrote. The file on disk\n"
                     "is what runs, also when it does not read cleanly (the engine judges it).\n"
                     "It is judged first as vektool check judges it: what the engine would\n"
                     "refuse is printed with the vektool convert options that mend it and the\n"
                     "engine is not started; warnings are printed and the engine runs. --yes is\n"
                     "accepted for scripts written for earlier versions and changes nothing.\n\n"
                     "options:\n"
                     "  --csv FILE        also write every location, summary and year as CSV (- for\n"
                     "                    standard output), as vektool report --csv writes it\n"
                     "  --xlsx FILE       also write them as an Excel workbook\n"
                     "  --units UNIT      the exports' unit: af (default), m3, ML, dam3, cfs, m3/s\n"
                     "  --layout wide|long  the CSV's layout (see vektool report --help)\n\n"
                     "With --csv or --xlsx the engine runs in this process, the report it writes\n"
                     "is the same, byte for byte, and the exports hold the engine's own values\n"
                     "rounded to the tenth as the report rounds them, also those the report's\n"
                     "nine columns cannot hold (printed there as asterisks).\n\n"
                     "Exit status: 0 the engine ran cleanly, 1 it did not, the run was refused\n"
                     "or a file could not be written, 2 bad arguments.\n";

struct RunOptions {
    std::string path, csvPath, xlsxPath;
    vek::ViewChoices choices;
    vek::CsvLayout layout = vek::CsvLayout::Wide;
    bool layoutGiven = false, unitsGiven = false;
};

std::string parse(const vektool::Args &args, RunOptions &o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        auto value = [&](std::string &into) {
            if (i + 1 >= args.size() || args[i + 1].empty()) return false;
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--yes") continue;
        if (a == "--csv" || a == "--xlsx") {
            if (!value(a == "--csv" ? o.csvPath : o.xlsxPath)) return a + " needs a file name";
        } else if (a == "--units") {
            const auto u = value(v) ? vek::unitFromOption(v) : std::nullopt;
            if (!u) return "--units takes " + vek::unitOptionList();
            o.choices.units = *u;
            o.unitsGiven = true;
        } else if (a == "--layout") {
            if (!value(v) || (v != "wide" && v != "long")) return "--layout takes wide or long";
            o.layout = v == "long" ? vek::CsvLayout::Long : vek::CsvLayout::Wide;
            o.layoutGiven = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else if (o.path.empty()) {
            o.path = a;
        } else {
            return "only one model can be run";
        }
    }
    if (o.path.empty()) return "no model named";
    if (o.layoutGiven && o.csvPath.empty()) return "--layout is the layout of the CSV (--csv)";
    if (o.unitsGiven && o.csvPath.empty() && o.xlsxPath.empty()) return "--units is the unit of --csv and --xlsx";
    if (!o.csvPath.empty() && o.csvPath == o.xlsxPath) return "--xlsx and --csv name the same file";
    return "";
}

// The engine in this process: the report written through the safe save,
// the exports from the run's tables. The report's path, or empty after a
// failure (said).
std::string runInProcess(const RunOptions &o) {
    namespace fs = std::filesystem;
    const fs::path input = fs::absolute(vek::pathFromUtf8(o.path));
    const std::string report = vek::utf8FromPath(input.parent_path() / input.stem()) + ".out";
    for (const std::string *out : {&o.csvPath, &o.xlsxPath})
        if (!out->empty() && *out != "-" && (vek::sameFile(o.path, *out) || vek::sameFile(report, *out))) {
            vektool::say("vektool run: " + *out + " is the model or its report; give the export another name");
            return "";
        }
    vek::engine::RunTables tables;
    std::ostringstream console, errors;
    const int status = vek::engine::runEngine({o.path, std::nullopt}, tables, {}, console, errors);
    if (status != vek::engine::kExitNormal) {
        vektool::say("Error running the engine on " + o.path + ":\n" + console.str() + errors.str());
        return "";
    }
    vek::SafeSave save;
    bool ok = save.open(report);
    if (ok) vek::engine::writeReport(tables, [&](std::string_view text) { ok = ok && save.write(text); });
    if (!ok || !save.commit()) {
        vektool::say(save.error());
        save.abandon();
        return "";
    }
    vek::OutputResults results;
    vek::fillRunResults(results, tables);
    vek::ViewChoices choices = o.choices;
    for (int i = 0; i < static_cast<int>(results.locations.size()); ++i)
        choices.locations.push_back(i);
    for (int p = 0; p <= results.printedYears(); ++p)
        choices.years.push_back(p);
    bool written = true;
    std::string error;
    if (!o.csvPath.empty()) {
        const std::string csv = vek::buildCsv(results, choices, o.layout);
        if (o.csvPath == "-")
            vektool::writeStandardOutput(csv);
        else if (!vek::saveFile(o.csvPath, csv, &error))
            vektool::say("vektool run: " + error), written = false;
    }
    if (!o.xlsxPath.empty() && !vek::writeWorkbook(o.xlsxPath, results, choices, vek::workbookInfoFor(report), &error))
        vektool::say("vektool run: " + error), written = false;
    return written ? report : "";
}

int runRun(const vektool::Args &args) {
    RunOptions o;
    if (std::string err = parse(args, o); !err.empty()) return vektool::usageError("run", err, kUsage);
    if (!vektool::canOpen("run", o.path)) return 1;
    const vek::ModelFileCheck check = vek::checkModelFile(o.path);
    vektool::report(check.read);
    if (!std::filesystem::is_regular_file(vek::pathFromUtf8(o.path))) return 1;
    if (!vektool::reportProblems(o.path, check.validation)) return 1;
    if (!o.csvPath.empty() || !o.xlsxPath.empty()) {
        const std::string report = runInProcess(o);
        if (report.empty()) return 1;
        if (o.csvPath != "-") std::printf("%s\n", report.c_str());
        return 0;
    }
    // An ending signal while the engine runs goes on to the engine; vektool
    // waits for it and then ends by that signal.
    const vek::EngineRunResult run =
        vek::runEngineFile(o.path, vek::programDirectory(), "vek", vek::passEndingSignalsTo);
    vek::endByPassedSignal();
    if (!run.succeeded()) {
        vektool::say(run.message);
        return 1;
    }
    std::printf("%s\n", run.reportPath.c_str());
    return 0;
}

} // namespace

VEKTOOL_COMMAND("run", "run the engine on a model input file", kUsage, runRun);
