// vektool convert: reads a model input file, optionally transforms it, and
// writes it with SaveInput. Options are parsed into ConvertOptions; the work
// is three stages (read, transform, write), each refusing by returning false
// after its message, in which case no output is written.
#include "model/imports.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/synthesis.h"
#include "model/year_types.h"
#include "vektool/batch_prompter.h"
#include "vektool/command.h"
#include "vektool/convert_response_options.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

const char *kUsage = "usage: vektool convert IN OUT.vek [options]\n\n"
                     "Reads IN and writes it to OUT in the current model input format (the\n"
                     "format the desktop program saves). Reader messages go to standard error;\n"
                     "when IN does not read cleanly nothing is written.\n\n"
                     "What IN is (without --from, a .vek path is a model input file and any\n"
                     "other path a well output file, as the desktop program opens them):\n"
                     "  --from vek            model input file\n"
                     "  --from owl            well output file of the outside consumptive-use model\n"
                     "  --soil-moisture no|with  which computed CU of GW a well output file gives\n"
                     "                        (required for well output files)\n"
                     "  --from tab            tab-delimited file; --year-type and --units then say\n"
                     "                        what the file holds (default 0 and 1), nothing is converted\n"
                     "  --from old            old-format model input file\n\n"
                     "Monthly-to-daily rule, year type, units and synthesized years (applied in\n"
                     "this order whatever order they are given in: the rule first, so that a unit\n"
                     "conversion uses the rule the written file states):\n"
                     "  --avg-days 0|1        monthly-to-daily rule: actual days or 30.417 days a month\n"
                     "  --year-type 0|1|2     Calendar, Irrigation Year (Nov-Oct), USGS Year (Oct-Sep)\n"
                     "  --units 0|1           average daily or monthly acre-feet\n"
                     "  --synth-years N       number of synthesized years\n"
                     "  --average Y1,Y2,...   synthesize the average of these historical years\n"
                     "  --given Y             synthesize copies of historical year Y\n"
                     "  --cycle START,END     synthesize the historical years START..END repeated\n\n"
                     "Exit status: 0 written, 1 not read, refused or not written, 2 bad options.\n";

// ---- Monthly-to-daily rule, year type, units and synthesized years --------
// Applied after reading and before writing, in this order, through the same
// document operations the editor's Properties dialog and form use. The rule
// comes first: a unit conversion counts the days of each month by it.

struct YearOptions {
    std::optional<int> yearType, units, avgDays, synthYears;
    enum class Method { None, Average, Given, Cycle } method = Method::None;
    std::vector<int> years; // years named by --average, --given or --cycle
};

bool parseWholeNumber(const std::string &text, int &value) {
    const char *end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end && !text.empty();
}

bool parseYearList(const std::string &text, std::vector<int> &years) {
    years.clear();
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        int y = 0;
        if (!parseWholeNumber(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), y))
            return false;
        years.push_back(y);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

// Reads the option at args[i] when it is one of the year options (then true,
// with i on its value and `err` set when the option is unusable); false when
// it is not one of them.
bool parseYearOption(const vektool::Args &args, size_t &i, YearOptions &o, std::string &err) {
    auto yearOptionError = [&err](const std::string &text) {
        err = text;
        return true;
    };
    const std::string &name = args[i];
    struct Number {
        const char *name;
        std::optional<int> *slot;
        int lo, hi;
    };
    const Number numbers[] = {{"--year-type", &o.yearType, 0, 2},
                              {"--units", &o.units, 0, 1},
                              {"--avg-days", &o.avgDays, 0, 1},
                              {"--synth-years", &o.synthYears, 0, 9999}};
    const bool isMethod = name == "--average" || name == "--given" || name == "--cycle";
    const Number *number = nullptr;
    for (const auto &n : numbers)
        if (name == n.name) number = &n;
    if (!number && !isMethod) return false;
    if (i + 1 >= args.size()) return yearOptionError(name + " needs a value");
    const std::string &value = args[++i];
    if (number) {
        int v = 0;
        if (!parseWholeNumber(value, v) || v < number->lo || v > number->hi)
            return yearOptionError(name + " takes a whole number from " + std::to_string(number->lo) + " to " +
                                   std::to_string(number->hi) + ", not '" + value + "'");
        *number->slot = v;
        return true;
    }
    if (o.method != YearOptions::Method::None)
        return yearOptionError("give only one of --average, --given and --cycle");
    if (!parseYearList(value, o.years))
        return yearOptionError(name + " takes years separated by commas, not '" + value + "'");
    if (name == "--average") {
        o.method = YearOptions::Method::Average;
    } else if (name == "--given") {
        if (o.years.size() != 1) return yearOptionError("--given takes one year, not '" + value + "'");
        o.method = YearOptions::Method::Given;
    } else {
        if (o.years.size() != 2) return yearOptionError("--cycle takes START,END, not '" + value + "'");
        if (o.years[1] < o.years[0])
            return yearOptionError("--cycle: the cycle's last year " + std::to_string(o.years[1]) +
                                   " comes before its first year " + std::to_string(o.years[0]));
        o.method = YearOptions::Method::Cycle;
    }
    return true;
}

// False when the document refused an option (its message has been shown).
bool applyYearOptions(vek::ModelDocument &doc, vektool::BatchPrompter &prompter, const YearOptions &o) {
    vek::ModelInput &md = doc.model;
    if (o.avgDays) vek::setUseAvgDaysPerMonth(doc, *o.avgDays == 1);
    if (o.yearType) {
        vek::changeYearType(doc, *o.yearType);
        if (md.yearMode != *o.yearType) return false;
    }
    if (o.units) {
        vek::changeUnits(doc, *o.units);
        if (md.unitMode != *o.units) return false;
    }
    if (o.synthYears) {
        doc.setSynthesizedYearCount(*o.synthYears);
        if (md.synthesizedYears() != *o.synthYears) {
            std::fprintf(stderr, "vektool convert: the model cannot hold %d synthesized years\n", *o.synthYears);
            return false;
        }
    }
    if (o.method == YearOptions::Method::None) return true;

    // Years become positions in the dialogs' year lists, which start at the
    // first historical year (after any year the year-type change added).
    std::vector<int> offsets;
    for (int y : o.years)
        offsets.push_back(y - md.inputStartYear);
    switch (o.method) {
    case YearOptions::Method::Average:
        prompter.methodAnswer = 0;
        prompter.averageAnswer = offsets;
        break;
    case YearOptions::Method::Given:
        prompter.methodAnswer = 1;
        prompter.givenAnswer = offsets[0];
        break;
    default:
        prompter.methodAnswer = 2;
        prompter.cycleAnswer = std::pair{offsets[0], offsets[1] - offsets[0]};
        break;
    }
    // A method that refuses says why through the prompter; it shows nothing
    // when it has synthesized.
    const size_t shownBefore = prompter.shown.size();
    const int wanted = o.method == YearOptions::Method::Average ? 1 : o.method == YearOptions::Method::Given ? 2 : 3;
    vek::chooseSynthesisMethod(doc);
    return prompter.shown.size() == shownBefore && md.synthesizeFormat == wanted;
}

// ---- Input kinds: model input file or one of the imports ----------------

enum class InputKind { Vek, WellOutput, TabDelimited, OldFormat };

struct ConvertOptions {
    std::string in, out;
    YearOptions year;
    std::optional<InputKind> from;
    int soilMoisture = 0; // 1 no soil moisture, 2 with soil moisture
    vektool::ResponseOptions response;
};

// Reads --from and --soil-moisture at args[i] (true, with i on the value and
// `err` set when unusable); false for any other argument.
bool parseInputOption(const vektool::Args &args, size_t &i, ConvertOptions &o, std::string &err) {
    const std::string &name = args[i];
    if (name != "--from" && name != "--soil-moisture") return false;
    if (i + 1 >= args.size()) {
        err = name + " needs a value";
        return true;
    }
    const std::string &value = args[++i];
    if (name == "--from") {
        if (value == "vek")
            o.from = InputKind::Vek;
        else if (value == "owl")
            o.from = InputKind::WellOutput;
        else if (value == "tab")
            o.from = InputKind::TabDelimited;
        else if (value == "old")
            o.from = InputKind::OldFormat;
        else
            err = "--from takes vek, owl, tab or old, not '" + value + "'";
    } else {
        if (value == "no")
            o.soilMoisture = 1;
        else if (value == "with")
            o.soilMoisture = 2;
        else
            err = "--soil-moisture takes no or with, not '" + value + "'";
    }
    return true;
}

// The kind of IN: --from, or by extension as the document's open decides.
InputKind inputKind(const ConvertOptions &o) {
    if (o.from) return *o.from;
    std::string ext = o.in.size() >= 4 ? o.in.substr(o.in.size() - 4) : std::string();
    for (char &c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".vek" ? InputKind::Vek : InputKind::WellOutput;
}

// Options that only make sense for some kinds of input; empty when fine.
std::string checkInputOptions(const ConvertOptions &o) {
    const InputKind kind = inputKind(o);
    if (kind == InputKind::WellOutput && o.soilMoisture == 0) return "a well output file needs --soil-moisture no|with";
    if (kind != InputKind::WellOutput && o.soilMoisture != 0)
        return "--soil-moisture applies only to well output files";
    if (kind == InputKind::TabDelimited &&
        (o.year.avgDays || o.year.synthYears || o.year.method != YearOptions::Method::None))
        return "with --from tab only --year-type and --units may be given (they say what the file holds)";
    return {};
}

// Fills `o` from the arguments; returns an error text, empty when fine.
std::string parseArgs(const vektool::Args &args, ConvertOptions &o) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        // The value after an option, when there is one.
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        (void)value;
        std::string yearErr;
        if (parseInputOption(args, i, o, yearErr) || parseYearOption(args, i, o.year, yearErr) ||
            vektool::parseResponseOption(args, i, o.response, yearErr)) {
            if (!yearErr.empty()) return yearErr;
            continue;
        }
        if (a.size() > 1 && a[0] == '-') return "unknown option " + a;
        positional.push_back(a);
    }
    if (positional.size() != 2) return "expected IN and OUT";
    o.in = positional[0];
    o.out = positional[1];
    return checkInputOptions(o);
}

bool readStage(vek::ModelDocument &doc, ConvertOptions &o, vektool::BatchPrompter &prompter) {
    // The caller does not act on a failed read: the document is incomplete.
    switch (inputKind(o)) {
    case InputKind::Vek:
        return vek::ReadInput(doc, o.in) && prompter.shown.empty();
    case InputKind::WellOutput:
        // Its messages about a file ending in a data block or a short
        // sub-area are warnings: the import goes on and counts as read.
        prompter.soilMoistureAnswer = o.soilMoisture;
        return vek::importWendraFile(doc, o.in);
    case InputKind::TabDelimited: {
        // The year type and units say what the file holds; nothing to convert.
        const int yearType = o.year.yearType.value_or(0), units = o.year.units.value_or(1);
        o.year.yearType.reset();
        o.year.units.reset();
        return vek::importTabDelimitedWithOptions(doc, o.in, yearType, units);
    }
    case InputKind::OldFormat:
        return vek::importOldFormat(doc, o.in) && prompter.shown.empty();
    }
    return false;
}

bool transformStage(vek::ModelDocument &doc, const ConvertOptions &o, vektool::BatchPrompter &prompter) {
    return applyYearOptions(doc, prompter, o.year) && vektool::applyResponseOptions(doc, o.response);
}

bool writeStage(vek::ModelDocument &doc, const ConvertOptions &o) { return vek::SaveInput(doc, o.out); }

int runConvert(const vektool::Args &args) {
    ConvertOptions o;
    if (std::string err = parseArgs(args, o); !err.empty()) {
        std::fprintf(stderr, "vektool convert: %s\n\n%s", err.c_str(), kUsage);
        return 2;
    }
    vektool::BatchPrompter prompter;
    vek::ModelDocument doc(&prompter);
    if (!readStage(doc, o, prompter)) return 1;
    if (!transformStage(doc, o, prompter)) return 1;
    if (!writeStage(doc, o)) return 1;
    return 0;
}

} // namespace

const std::string kFullUsage = std::string(kUsage) + vektool::kResponseOptionsUsage;

VEKTOOL_COMMAND("convert", "read a model input file and write it in the current format", kFullUsage.c_str(),
                runConvert);
