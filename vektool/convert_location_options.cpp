// Form options of vektool convert (see convert_location_options.h).
#include "vektool/convert_location_options.h"

#include "common/numbers.h"
#include "facts/vek_facts.h"
#include "model/model_input.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vektool {

const char *const kFormOptionsUsage =
    "\nWhat the desktop form sets (after the year type, units and synthesized years,\n"
    "before the response methods; LOCATIONS as for --method, or name=NAME for every\n"
    "location of that name):\n"
    "  --run-start YEAR        first year of the run (a year of the data)\n"
    "  --run-end YEAR          last year of the run (at most 400 years in all; years\n"
    "                          after the data show how the stream keeps feeling it)\n"
    "  --output-type 0|1       report by well/recharge site, or only the totals\n"
    "  --location-type LOCATIONS:well|recharge\n"
    "  --use LOCATIONS:yes|no  whether the locations take part in the run\n"
    "  --factor LOCATIONS:DAYS depletion factor in days (0 or more)\n"
    "  --name LOCATIONS:NAME   rename (locations by number)\n";

namespace {

bool wholeNumber(const std::string &text, long long &value) {
    const char *end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && p == end;
}

bool fail(const std::string &text) {
    std::fprintf(stderr, "vektool convert: %s\n", text.c_str());
    return false;
}

const char *const kLocationOptions[] = {"--location-type", "--use", "--factor", "--name"};

// A location setting's value, checked before anything is changed; an error
// text when it cannot be used.
std::string settingValue(const std::string &option, const std::string &value, float &number) {
    if (option == "--location-type") {
        if (value == "well" || value == "-1")
            number = vek::IrrigationWell;
        else if (value == "recharge" || value == "1")
            number = vek::RechargeSite;
        else
            return "--location-type takes well or recharge, not '" + value + "'";
    } else if (option == "--use") {
        if (value == "yes" || value == "1")
            number = 1.0f;
        else if (value == "no" || value == "0")
            number = 0.0f;
        else
            return "--use takes yes or no, not '" + value + "'";
    } else if (option == "--factor") {
        double days = 0.0;
        const char *end = value.data() + value.size();
        const auto [p, ec] = std::from_chars(value.data(), end, days);
        if (value.empty() || ec != std::errc() || p != end || !std::isfinite(static_cast<float>(days)) || days < 0.0)
            return "--factor takes a depletion factor of 0 or more days, not '" + value + "'";
        number = static_cast<float>(days);
    }
    return {};
}

} // namespace

std::string locationList(const std::string &text, const vek::ModelInput &model, std::vector<std::size_t> &out) {
    out.clear();
    const std::size_t count = model.locations.size();
    if (text == "all") {
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(i);
        return {};
    }
    if (text.rfind("name=", 0) == 0) {
        const std::string name(vek::trim(std::string_view(text).substr(5)));
        for (std::size_t i = 0; i < count; ++i)
            if (model.locations[i].name == name) out.push_back(i);
        return out.empty() ? "no location is named \"" + name + "\"" : std::string();
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t dash = item.find('-');
        long long a = 0, b = 0;
        if (!wholeNumber(item.substr(0, dash), a) ||
            !wholeNumber(dash == std::string::npos ? item : item.substr(dash + 1), b) || a < 1 || b < a)
            return "'" + item + "' is not a location number or range";
        if (static_cast<unsigned long long>(b) > count)
            return "location " + item + " does not exist (the model has " + std::to_string(count) + ")";
        for (auto n = static_cast<std::size_t>(a); n <= static_cast<std::size_t>(b); ++n)
            out.push_back(n - 1);
        if (comma == std::string::npos) return {};
        start = comma + 1;
    }
}

bool parseFormOption(const Args &args, std::size_t &i, FormOptions &o, std::string &err) {
    const std::string &name = args[i];
    std::optional<int> *year = name == "--run-start"     ? &o.runStart
                               : name == "--run-end"     ? &o.runEnd
                               : name == "--output-type" ? &o.outputType
                                                         : nullptr;
    bool setting = false;
    for (const char *option : kLocationOptions)
        setting = setting || name == option;
    if (!year && !setting) return false;
    if (i + 1 >= args.size()) {
        err = name + " needs a value";
        return true;
    }
    const std::string &value = args[++i];
    if (year) {
        long long v = 0;
        const bool outputType = year == &o.outputType;
        if (!wholeNumber(value, v) || v < (outputType ? 0 : -99999999) || v > (outputType ? 1 : 99999999))
            err = outputType ? "--output-type takes 0 (by well/recharge site) or 1 (only totals), not '" + value + "'"
                             : name + " takes a year, not '" + value + "'";
        else
            *year = static_cast<int>(v);
        return true;
    }
    // The value follows the colon; a name may itself hold colons, so --name
    // takes the first, the others (whose values never hold one) the last.
    const std::size_t at = name == "--name" ? value.find(':') : value.rfind(':');
    if (at == std::string::npos || at == 0 || vek::trim(std::string_view(value).substr(at + 1)).empty()) {
        err = name + " takes LOCATIONS:" + (name == "--name" ? "NAME" : "VALUE") + ", not '" + value + "'";
        return true;
    }
    float number = 0.0f;
    err = settingValue(name, value.substr(at + 1), number);
    o.locations.emplace_back(name, value);
    return true;
}

bool applyFormOptions(vek::ModelInput &m, const FormOptions &o) {
    if (o.runStart) m.outputStartYear = *o.runStart;
    if (o.runEnd) m.outputEndYear = *o.runEnd;
    if (o.runStart || o.runEnd) {
        const long long last = static_cast<long long>(m.inputEndYear) + std::max(0, m.synthesizedYears());
        const std::string years = std::to_string(m.outputStartYear) + " to " + std::to_string(m.outputEndYear);
        if (m.outputStartYear < m.inputStartYear || m.outputStartYear > last)
            return fail("--run-start: the run must start in a year of the data (" + std::to_string(m.inputStartYear) +
                        " to " + std::to_string(last) + "), not in " + std::to_string(m.outputStartYear));
        if (m.outputEndYear < m.outputStartYear)
            return fail("--run-end: the run " + years + " ends before it starts" +
                        (o.runEnd ? "" : "; give --run-end as well"));
        if (static_cast<long long>(m.outputEndYear) - m.outputStartYear + 1 > vek::kEngineMaxRunYears)
            return fail("--run-end: the run " + years + " is longer than the " +
                        std::to_string(vek::kEngineMaxRunYears) + " years the engine runs");
    }
    if (o.outputType) m.outputFormat = *o.outputType;
    for (const auto &[option, value] : o.locations) {
        const std::size_t at = option == "--name" ? value.find(':') : value.rfind(':');
        const std::string list = value.substr(0, at), setting = value.substr(at + 1);
        std::vector<std::size_t> chosen;
        if (std::string err = locationList(list, m, chosen); !err.empty())
            return fail(option + " " + value + ": " + err);
        float number = 0.0f;
        settingValue(option, setting, number);
        for (std::size_t i : chosen) {
            vek::Location &loc = m.locations[i];
            if (option == "--location-type")
                loc.LocationType = static_cast<int>(number);
            else if (option == "--use")
                loc.UseInOutput = static_cast<int>(number);
            else if (option == "--factor")
                loc.VEK = number;
            else
                loc.name = std::string(vek::trim(setting));
        }
    }
    return true;
}

} // namespace vektool
