// vektool convert: reads a model input file (or imports a file), optionally
// transforms it, and writes it with SaveInput. Each option is one row of a
// table with a small setter that fills ConvertOptions; the work is three
// stages (read, transform, write) that call the model operations with those
// options and print what they report. A stage that fails stops the command
// before anything is written.
#include "common/ascii_case.h"
#include "model/imports.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/synthesis.h"
#include "model/year_types.h"
#include "vektool/command.h"
#include "vektool/convert_location_options.h"
#include "vektool/convert_map_options.h"
#include "vektool/convert_response_options.h"
#include "vektool/messages.h"
#include "vektool/usage_errors.h"

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

// ---- Options ------------------------------------------------------------------

enum class InputKind { Vek, WellOutput, TabDelimited, OldFormat };
enum class Method { None, Average, Given, Cycle };

struct ConvertOptions {
    std::string in, out;
    std::optional<InputKind> from;
    std::optional<vek::SoilMoisture> soilMoisture;
    std::optional<int> yearType, units, avgDays, synthYears;
    Method method = Method::None;
    std::vector<int> years; // years named by --average, --given or --cycle
    vektool::FormOptions form;
    vektool::ResponseOptions response;
    vektool::MapOptions map;
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

// A setter stores an option's value; it returns an error text, empty when
// the value is fine.
using Setter = std::string (*)(ConvertOptions &, const std::string &name, const std::string &value);

template <std::optional<int> ConvertOptions::*slot, int lo, int hi>
std::string setNumber(ConvertOptions &o, const std::string &name, const std::string &value) {
    int v = 0;
    if (!parseWholeNumber(value, v) || v < lo || v > hi)
        return name + " takes a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) + ", not '" +
               value + "'";
    o.*slot = v;
    return {};
}

std::string setFrom(ConvertOptions &o, const std::string &, const std::string &value) {
    const std::pair<const char *, InputKind> kinds[] = {{"vek", InputKind::Vek},
                                                        {"owl", InputKind::WellOutput},
                                                        {"tab", InputKind::TabDelimited},
                                                        {"old", InputKind::OldFormat}};
    for (const auto &[word, kind] : kinds)
        if (value == word) {
            o.from = kind;
            return {};
        }
    return "--from takes vek, owl, tab or old, not '" + value + "'";
}

std::string setSoilMoisture(ConvertOptions &o, const std::string &, const std::string &value) {
    if (value == "no")
        o.soilMoisture = vek::SoilMoisture::Without;
    else if (value == "with")
        o.soilMoisture = vek::SoilMoisture::With;
    else
        return "--soil-moisture takes no or with, not '" + value + "'";
    return {};
}

template <Method method> std::string setMethod(ConvertOptions &o, const std::string &name, const std::string &value) {
    if (o.method != Method::None) return "give only one of --average, --given and --cycle";
    if (!parseYearList(value, o.years)) return name + " takes years separated by commas, not '" + value + "'";
    if (method == Method::Given && o.years.size() != 1) return "--given takes one year, not '" + value + "'";
    if (method == Method::Cycle) {
        if (o.years.size() != 2) return "--cycle takes START,END, not '" + value + "'";
        if (o.years[1] < o.years[0])
            return "--cycle: the cycle's last year " + std::to_string(o.years[1]) + " comes before its first year " +
                   std::to_string(o.years[0]);
    }
    o.method = method;
    return {};
}

struct Option {
    const char *name;
    Setter set;
};

const Option kOptions[] = {
    {"--from", setFrom},
    {"--soil-moisture", setSoilMoisture},
    {"--avg-days", setNumber<&ConvertOptions::avgDays, 0, 1>},
    {"--year-type", setNumber<&ConvertOptions::yearType, 0, 2>},
    {"--units", setNumber<&ConvertOptions::units, 0, 1>},
    {"--synth-years", setNumber<&ConvertOptions::synthYears, 0, 9999>},
    {"--average", setMethod<Method::Average>},
    {"--given", setMethod<Method::Given>},
    {"--cycle", setMethod<Method::Cycle>},
};

// The kind of IN: --from, or by extension as the document's open decides.
InputKind inputKind(const ConvertOptions &o) {
    if (o.from) return *o.from;
    const std::string ext = vek::asciiLowered(o.in.size() >= 4 ? o.in.substr(o.in.size() - 4) : std::string());
    return ext == ".vek" ? InputKind::Vek : InputKind::WellOutput;
}

// Options that only make sense for some kinds of input; empty when fine.
std::string checkInputOptions(const ConvertOptions &o) {
    const InputKind kind = inputKind(o);
    if (kind == InputKind::WellOutput && !o.soilMoisture) return "a well output file needs --soil-moisture no|with";
    if (kind != InputKind::WellOutput && o.soilMoisture) return "--soil-moisture applies only to well output files";
    if (kind == InputKind::TabDelimited && (o.avgDays || o.synthYears || o.method != Method::None))
        return "with --from tab only --year-type and --units may be given (they say what the file holds)";
    return {};
}

// Fills `o` from the arguments; returns an error text, empty when fine.
std::string parseArgs(const vektool::Args &args, ConvertOptions &o) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        const Option *option = nullptr;
        for (const Option &candidate : kOptions)
            if (a == candidate.name) option = &candidate;
        if (option) {
            if (i + 1 >= args.size()) return a + " needs a value";
            if (std::string err = option->set(o, a, args[++i]); !err.empty()) return err;
            continue;
        }
        std::string err;
        if (vektool::parseFormOption(args, i, o.form, err)) {
            if (!err.empty()) return err;
            continue;
        }
        if (vektool::parseResponseOption(args, i, o.response, err)) {
            if (!err.empty()) return err;
            continue;
        }
        if (vektool::parseMapOption(args, i, o.map, err)) {
            if (!err.empty()) return err;
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

// ---- Stages -------------------------------------------------------------------

// A read that did not succeed leaves the model incomplete: nothing is
// written from it. Warnings (a well output file ending in a data block, a
// short sub-area) are printed and the import counts as read.
bool readStage(vek::ModelInput &model, ConvertOptions &o) {
    switch (inputKind(o)) {
    case InputKind::Vek:
        return vektool::report(vek::readModelInput(model, o.in));
    case InputKind::WellOutput:
        return vektool::report(vek::importWendraFile(model, o.in, *o.soilMoisture));
    case InputKind::TabDelimited: {
        // The year type and units say what the file holds; nothing to convert.
        const int yearType = o.yearType.value_or(0), units = o.units.value_or(1);
        o.yearType.reset();
        o.units.reset();
        return vektool::report(vek::importTabDelimited(model, o.in, yearType, units));
    }
    case InputKind::OldFormat:
        return vektool::report(vek::importOldFormat(model, o.in));
    }
    return false;
}

// The monthly-to-daily rule, year type, units and synthesized years, in this
// order whatever order the options came in: the rule first, so that a unit
// conversion counts the days of each month by the rule the written file
// states.
bool transformStage(vek::ModelDocument &doc, const ConvertOptions &o) {
    vek::ModelInput &md = doc.model;
    if (o.avgDays) md.useAvgDaysPerMonth = *o.avgDays == 1;
    if (o.yearType && !vektool::report(vek::changeYearType(md, *o.yearType))) return false;
    if (o.units && !vektool::report(vek::changeUnits(md, *o.units))) return false;
    if (o.synthYears) {
        doc.setSynthesizedYearCount(*o.synthYears);
        if (md.synthesizedYears() != *o.synthYears) {
            vektool::say("vektool convert: the model cannot hold " + std::to_string(*o.synthYears) +
                         " synthesized years");
            return false;
        }
    }
    // Years are year labels; a year-type change may have added one before the
    // first.
    vek::OperationResult synthesized;
    switch (o.method) {
    case Method::None:
        break;
    case Method::Average:
        synthesized = vek::synthesizeAverage(md, o.years);
        break;
    case Method::Given:
        synthesized = vek::synthesizeGivenYear(md, o.years[0]);
        break;
    case Method::Cycle:
        synthesized = vek::synthesizeCycle(md, o.years[0], o.years[1] - o.years[0] + 1);
        break;
    }
    if (!vektool::report(synthesized)) {
        // The message is the desktop program's; the option that mends it is ours.
        if (synthesized.error->kind == vek::OperationError::Kind::NoSynthesizedYears)
            vektool::say("vektool convert: give the number of synthesized years with --synth-years N");
        return false;
    }
    // What the form sets, then the response methods (which may set a factor
    // again): they refer to locations as the file will hold them.
    if (!o.form.empty()) {
        if (!vektool::applyFormOptions(md, o.form)) return false;
        doc.setModified();
    }
    return vektool::applyResponseOptions(doc, o.response) && vektool::applyMapOptions(md, o.map, "convert");
}

bool writeStage(vek::ModelDocument &doc, const ConvertOptions &o) {
    return vek::SaveInput(doc, vektool::messages(), o.out);
}

int runConvert(const vektool::Args &args) {
    ConvertOptions o;
    if (std::string err = parseArgs(args, o); !err.empty())
        return vektool::usageError("convert", err,
                                   std::string(kUsage) + vektool::kFormOptionsUsage + vektool::kResponseOptionsUsage);
    // The document gives the writer its messages and holds the structural
    // change of the synthesized years.
    vek::ModelDocument doc;
    if (!readStage(doc.model, o)) return 1;
    if (!transformStage(doc, o)) return 1;
    if (!writeStage(doc, o)) return 1;
    return 0;
}

} // namespace

const std::string kFullUsage =
    std::string(kUsage) + vektool::kFormOptionsUsage + vektool::kResponseOptionsUsage + vektool::kMapOptionsUsage;

VEKTOOL_COMMAND("convert", "read a model input file and write it in the current format", kFullUsage.c_str(),
                runConvert);
