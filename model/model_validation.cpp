// The one validation of a model for a run (see model_validation.h).
#include "model/model_validation.h"
#include "model/reach_checks.h"

#include "common/numbers.h"
#include "facts/vek_facts.h"
#include "model/synthesis.h"
#include "model/year_types.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace vek {

namespace {

using Severity = ModelProblem::Severity;
using Field = ModelProblem::Field;

std::string locationLabel(const ModelInput &m, std::size_t i) {
    return "Location " + std::to_string(i + 1) + " (" + m.locations[i].name + ")";
}

std::string monthName(const ModelInput &m, int column) {
    return calendarMonthAbbreviation(calendarMonth(m.yearMode, column));
}

const char *yearTypeName(int yearMode) {
    switch (yearMode) {
    case CalendarYear:
        return "Calendar";
    case IrrigationYear:
        return "Irrigation Year";
    case UsgsYear:
        return "USGS Year";
    default:
        return nullptr;
    }
}

// Collects the problems in the order they are found.
class Checker {
  public:
    Checker(const ModelInput &m, const ValidationOptions &o) : m_(m), o_(o) {}

    ModelValidation run() {
        checkYearType();
        checkRunYears();
        checkLocations();
        for (ModelProblem &p : checkResponseMethods(m_))
            out_.push_back(std::move(p));
        for (ModelProblem &p : checkStreamReaches(m_))
            out_.push_back(std::move(p));
        checkFileValues();
        if (o_.synthesis) checkSynthesis();
        checkNames();
        ModelValidation v;
        // Refusals first: they decide; warnings after, each kind in model order.
        std::stable_partition(out_.begin(), out_.end(), [](const ModelProblem &p) { return p.refused(); });
        v.problems = std::move(out_);
        return v;
    }

  private:
    const ModelInput &m_;
    const ValidationOptions &o_;
    std::vector<ModelProblem> out_;

    ModelProblem &add(Severity severity, int location, Field field, std::string text, std::string option = {}) {
        ModelProblem p;
        p.severity = severity;
        p.location = location;
        p.field = field;
        p.text = std::move(text);
        p.option = std::move(option);
        out_.push_back(std::move(p));
        return out_.back();
    }

    // Years as the engine derives them from the parameter line the writer
    // writes: the last year of data and the years of the run.
    long long synthesizedCount() const {
        return std::max(0LL, static_cast<long long>(m_.synthEndYear) - m_.synthStartYear + 1);
    }
    long long lastDataYear() const { return static_cast<long long>(m_.inputEndYear) + synthesizedCount(); }
    long long runYears() const { return static_cast<long long>(m_.outputEndYear) - m_.outputStartYear + 1; }
    std::string dataYearsOption() const {
        return "--run-start " + std::to_string(m_.inputStartYear) + " --run-end " + std::to_string(lastDataYear());
    }

    void checkYearType() {
        if (m_.yearMode == IrrigationYear) return;
        const char *name = yearTypeName(m_.yearMode);
        add(Severity::Refused, -1, Field::YearMode,
            (name ? std::string("The model's tables are in ") + name + " years"
                  : "The model's year type is " + std::to_string(m_.yearMode)) +
                "; the engine runs only tables in Irrigation Year format (November to October).",
            "--year-type 1");
    }

    void checkRunYears() {
        const long long years = runYears();
        const std::string run =
            "The run (" + std::to_string(m_.outputStartYear) + " to " + std::to_string(m_.outputEndYear) + ")";
        if (years < 1 && m_.historicalYears() == 0) {
            // A new model: its run range follows its years, so the years are
            // what to set first.
            add(Severity::Refused, -1, Field::OutputEndYear,
                "The model has no years yet: set its Historical Start Year and End Year, then the run's years.");
            return;
        }
        if (years < 1) {
            add(Severity::Refused, -1, Field::OutputEndYear,
                "The run has no years: it ends in " + std::to_string(m_.outputEndYear) + ", before it starts in " +
                    std::to_string(m_.outputStartYear) + ".",
                dataYearsOption());
            return;
        }
        if (years > kEngineMaxRunYears)
            add(Severity::Refused, -1, Field::OutputEndYear,
                run + " has " + std::to_string(years) + " years; the engine runs at most " +
                    std::to_string(kEngineMaxRunYears) + ".",
                "--run-end " + std::to_string(static_cast<long long>(m_.outputStartYear) + kEngineMaxRunYears - 1));
        // The engine takes the run's first year to be the row it finds after
        // skipping the years before it: a run that starts before the data
        // would take the first year's values for an earlier year, and one
        // that starts after the data would read the next location's rows.
        if (m_.outputStartYear < m_.inputStartYear)
            add(Severity::Refused, -1, Field::OutputStartYear,
                run + " starts before the first historical year " + std::to_string(m_.inputStartYear) +
                    "; the engine would take the values of " + std::to_string(m_.inputStartYear) + " for " +
                    std::to_string(m_.outputStartYear) + ".",
                "--run-start " + std::to_string(m_.inputStartYear));
        else if (m_.outputStartYear > lastDataYear())
            add(Severity::Refused, -1, Field::OutputStartYear,
                run + " starts after the last year of data " + std::to_string(lastDataYear()) +
                    "; the engine would read past each location's years.",
                "--run-start " + std::to_string(m_.inputStartYear));
    }

    // The factors and values of the locations the engine reads.
    void checkLocations() {
        for (std::size_t i = 0; i < m_.locations.size(); ++i) {
            const Location &loc = m_.locations[i];
            if (loc.UseInOutput == 0) continue; // the engine skips its records unread
            const int at = static_cast<int>(i);
            const std::string n = std::to_string(i + 1);
            if (!std::isfinite(loc.VEK))
                add(Severity::Refused, at, Field::VEK,
                    locationLabel(m_, i) + ": its depletion factor is not a number the engine can read.",
                    "--factor " + n + ":DAYS");
            else if (loc.VEK < 0.0f)
                add(Severity::Refused, at, Field::VEK,
                    locationLabel(m_, i) + ": its depletion factor " + formatG(static_cast<double>(loc.VEK)) +
                        " is negative; the engine refuses it.",
                    "--factor " + n + ":DAYS or --use " + n + ":no");
            checkValues(i, loc.historicalData, m_.inputStartYear, Field::HistoricalData);
            checkValues(i, loc.synthesizedData, m_.synthStartYear, Field::SynthesizedData);
        }
    }

    // A value the file cannot hold as a number (an infinity after a
    // conversion) stops the engine at its row.
    void checkValues(std::size_t i, const MonthColumns &cols, int firstYear, Field field) {
        const int years = shortestColumn(cols);
        for (int k = 0; k < years; ++k)
            for (int c = 0; c < 12; ++c)
                if (!std::isfinite(cols[static_cast<std::size_t>(c)][static_cast<std::size_t>(k)])) {
                    ModelProblem &p = add(Severity::Refused, static_cast<int>(i), field,
                                          locationLabel(m_, i) + ", year " + std::to_string(firstYear + k) + ", " +
                                              monthName(m_, c) + ": the value is not a number the engine can read.");
                    p.year = firstYear + k;
                    p.month = c;
                    return;
                }
    }

    // Numbers of the file that the editor reads otherwise than the engine.
    void checkFileValues() {
        const ModelFileValues *f = o_.fileValues;
        if (!f) return;
        // A number counts while the model still holds what the reader made
        // of it: a document edited since says what it will write.
        if (f->useAvgDaysPerMonth != 0 && f->useAvgDaysPerMonth != 1 && !m_.useAvgDaysPerMonth)
            add(Severity::Warning, -1, Field::UseAvgDaysPerMonth,
                "The monthly-to-daily rule is " + std::to_string(f->useAvgDaysPerMonth) +
                    " in the file: the engine then converts no monthly value to a daily one and counts 30 days in "
                    "every month, while its report says \"ACTUAL DAYS IN THE MONTH\"; the desktop program reads it "
                    "as the actual days (0) and saves it so.",
                "--avg-days 0 or --avg-days 1");
        const std::size_t n = std::min(f->locationTypes.size(), m_.locations.size());
        for (std::size_t i = 0; i < n; ++i) {
            const int type = f->locationTypes[i];
            const Location &loc = m_.locations[i];
            if (type == IrrigationWell || type == RechargeSite || loc.UseInOutput == 0 || loc.isWell()) continue;
            const std::string effect = type == 0 ? "multiplies its volumes by 0 (it adds nothing to the stream)"
                                                 : "multiplies its volumes by " + std::to_string(type);
            add(Severity::Warning, static_cast<int>(i), Field::LocationType,
                locationLabel(m_, i) + ": its type is " + std::to_string(type) + " in the file: the engine " + effect +
                    " and reports it as pumping, while the desktop program reads it as a recharge site and saves "
                    "it as 1.",
                "--location-type " + std::to_string(i + 1) + ":well or --location-type " + std::to_string(i + 1) +
                    ":recharge");
        }
    }

    // Names the report cuts: it prints the first 60 bytes of the name
    // record (of which the engine keeps 90).
    void checkNames() {
        for (std::size_t i = 0; i < m_.locations.size(); ++i) {
            if (m_.locations[i].UseInOutput == 0) continue;
            const std::string &name = m_.locations[i].name;
            const bool asRead =
                o_.fileValues && i < o_.fileValues->nameRecords.size() && trim(o_.fileValues->nameRecords[i]) == name;
            const std::string &record = asRead ? o_.fileValues->nameRecords[i] : name;
            const std::string kept = record.substr(0, static_cast<std::size_t>(kEngineLocationNameLength));
            if (kept.size() <= static_cast<std::size_t>(kReportLocationNameWidth)) continue;
            const std::size_t cut = static_cast<std::size_t>(kReportLocationNameWidth);
            // Inside a character: a UTF-8 name whose byte at the cut continues
            // the character before it.
            const bool inside = isUtf8(record) && (static_cast<unsigned char>(kept[cut]) & 0xC0) == 0x80;
            add(Severity::Warning, static_cast<int>(i), Field::Name,
                locationLabel(m_, i) + ": its name is " + std::to_string(record.size()) +
                    " bytes long; the engine's report shows only its first " +
                    std::to_string(kReportLocationNameWidth) +
                    (inside ? " bytes, cutting it inside a character" : " bytes") + ".",
                "--name " + std::to_string(i + 1) + ":NAME");
        }
    }

    static bool isUtf8(const std::string &s) {
        for (std::size_t i = 0; i < s.size();) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            const std::size_t n = c < 0x80                 ? 1
                                  : c >= 0xC2 && c <= 0xDF ? 2
                                  : c >= 0xE0 && c <= 0xEF ? 3
                                  : c >= 0xF0 && c <= 0xF4 ? 4
                                                           : 0;
            if (n == 0 || i + n > s.size()) return false;
            for (std::size_t k = 1; k < n; ++k)
                if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
            i += n;
        }
        return true;
    }

    // ---- Synthesized years ------------------------------------------------------

    // Equal as far as the file keeps them: values are written with six
    // significant digits, so a value made from full-precision historical
    // values may differ from one made from their written form by a few
    // units of the sixth digit of the largest value involved.
    static bool close(float stored, float made, double scale) {
        if (stored == made) return true;
        const double a = static_cast<double>(stored), b = static_cast<double>(made);
        const double tolerance = 2e-5 * std::max({std::fabs(a), std::fabs(b), scale});
        return std::fabs(a - b) <= tolerance;
    }

    // Largest magnitude of column c over the historical offsets [from, to].
    static double scaleOf(const Location &loc, int c, int from, int to) {
        double s = 0.0;
        const auto &col = loc.historicalData[static_cast<std::size_t>(c)];
        for (int j = std::max(0, from); j <= to && static_cast<std::size_t>(j) < col.size(); ++j)
            s = std::max(s, std::fabs(static_cast<double>(col[static_cast<std::size_t>(j)])));
        return s;
    }

    struct Mismatch {
        std::size_t location;
        int year, column;
        float stored, made;
    };

    // Adds the first value of location i whose synthesized years differ from
    // what `synthesize` makes of its historical years (offsets a to b) to
    // `mismatches`. False when the synthesis refuses the location's tables.
    bool findMismatch(std::size_t i, const std::function<OperationResult(ModelInput &)> &synthesize, int method, int a,
                      int b, std::vector<Mismatch> &mismatches) const {
        const Location &loc = m_.locations[i];
        ModelInput one;
        one.inputStartYear = m_.inputStartYear;
        one.inputEndYear = m_.inputEndYear;
        one.synthStartYear = m_.synthStartYear;
        one.synthEndYear = m_.synthEndYear;
        one.locations.resize(1);
        one.locations[0].historicalData = loc.historicalData;
        one.locations[0].synthesizedData = loc.synthesizedData;
        if (!synthesize(one).ok()) return false;
        const MonthColumns &want = one.locations[0].synthesizedData;
        const int years = shortestColumn(loc.synthesizedData);
        for (int k = 0; k < years; ++k)
            for (int c = 0; c < 12; ++c) {
                const int j = method == SynthesizedCycle ? a + k % (b - a + 1) : a;
                const float s = loc.synthesizedData[static_cast<std::size_t>(c)][static_cast<std::size_t>(k)];
                const float w = want[static_cast<std::size_t>(c)][static_cast<std::size_t>(k)];
                if (!close(
                        s, w,
                        scaleOf(loc, c, method == SynthesizedAverage ? a : j, method == SynthesizedAverage ? b : j))) {
                    mismatches.push_back({i, m_.synthStartYear + k, c, s, w});
                    return true;
                }
            }
        return true;
    }

    void checkSynthesis() {
        const int method = m_.synthesizeFormat;
        if (method < SynthesizedAverage || method > SynthesizedCycle) return;
        if (m_.locations.empty() || m_.synthesizedYears() <= 0 || m_.historicalYears() <= 0) return;
        const long long first = static_cast<long long>(m_.inputStartYear) + m_.projYearStart;
        long long last = first;
        std::string made, option;
        if (method == SynthesizedAverage) {
            last = static_cast<long long>(m_.inputStartYear) + m_.projYearEnd;
            made = "the average of the historical years " + std::to_string(first) + " to " + std::to_string(last);
            option = "--average " + std::to_string(first) + (last > first + 1 ? ",...," : ",") + std::to_string(last);
        } else if (method == SynthesizedGivenYear) {
            made = "copies of the historical year " + std::to_string(first);
            option = "--given " + std::to_string(first);
        } else {
            last = first + m_.projYearEnd;
            made = "the historical cycle " + std::to_string(first) + " to " + std::to_string(last);
            option = "--cycle " + std::to_string(first) + "," + std::to_string(last);
        }
        if (first < m_.inputStartYear || last > m_.inputEndYear || last < first) {
            add(Severity::Warning, -1, Field::SynthesizeFormat,
                "The synthesized years say they are " + made + ", which are not historical years (" +
                    std::to_string(m_.inputStartYear) + " to " + std::to_string(m_.inputEndYear) +
                    "); the engine's report names that method all the same.",
                option);
            return;
        }
        const int a = static_cast<int>(first - m_.inputStartYear), b = static_cast<int>(last - m_.inputStartYear);
        // What the recorded method makes of each location, made by the
        // synthesis itself on a copy of the location's tables.
        std::function<OperationResult(ModelInput &)> synthesize = [&](ModelInput &one) {
            if (method == SynthesizedGivenYear) return synthesizeGivenYear(one, static_cast<int>(first));
            if (method == SynthesizedCycle)
                return synthesizeCycle(one, static_cast<int>(first), static_cast<int>(last - first + 1));
            std::vector<int> years;
            for (long long y = first; y <= last; ++y)
                years.push_back(static_cast<int>(y));
            return synthesizeAverage(one, years);
        };
        std::vector<Mismatch> mismatches;
        for (std::size_t i = 0; i < m_.locations.size(); ++i)
            if (!findMismatch(i, synthesize, method, a, b, mismatches)) return; // the record was checked above
        if (mismatches.empty()) return;
        // An average records only its earliest and latest year: the years
        // between them need not all have been chosen.
        if (method == SynthesizedAverage && averageOfSomeYears(a, b)) return;
        for (const Mismatch &w : mismatches) {
            ModelProblem &p = add(Severity::Warning, static_cast<int>(w.location), Field::SynthesizedData,
                                  locationLabel(m_, w.location) + ": its synthesized years are not " + made +
                                      " as the model records (" + std::to_string(w.year) + " " +
                                      monthName(m_, w.column) + ": " + formatG(static_cast<double>(w.stored)) +
                                      ", where the method makes " + formatG(static_cast<double>(w.made)) +
                                      "); the historical years changed after they were synthesized.",
                                  option);
            p.year = w.year;
            p.month = w.column;
        }
    }

    // Whether some choice of historical offsets that holds a and b (and any
    // of the offsets between them) averages to every location's synthesized
    // values, every synthesized year holding the same. With more than 16
    // offsets between a and b the choices are too many to try: every value
    // within the smallest and largest of its month over a..b then passes,
    // so that a stale average may go unnoticed but a right one is never
    // called stale.
    bool averageOfSomeYears(int a, int b) const {
        for (const Location &loc : m_.locations) {
            const int years = shortestColumn(loc.synthesizedData);
            for (int c = 0; c < 12; ++c)
                for (int k = 1; k < years; ++k)
                    if (loc.synthesizedData[static_cast<std::size_t>(c)][static_cast<std::size_t>(k)] !=
                        loc.synthesizedData[static_cast<std::size_t>(c)][0])
                        return false;
        }
        auto historical = [](const Location &loc, int c, int j) {
            const auto &col = loc.historicalData[static_cast<std::size_t>(c)];
            return static_cast<std::size_t>(j) < col.size() ? col[static_cast<std::size_t>(j)] : 0.0f;
        };
        const int inner = b - a - 1;
        if (inner > 16) {
            for (const Location &loc : m_.locations) {
                if (shortestColumn(loc.synthesizedData) == 0) continue;
                for (int c = 0; c < 12; ++c) {
                    float lo = historical(loc, c, a), hi = lo;
                    for (int j = a; j <= b; ++j) {
                        lo = std::min(lo, historical(loc, c, j));
                        hi = std::max(hi, historical(loc, c, j));
                    }
                    const float s = loc.synthesizedData[static_cast<std::size_t>(c)][0];
                    const double scale = scaleOf(loc, c, a, b);
                    if (!(s >= lo || close(s, lo, scale)) || !(s <= hi || close(s, hi, scale))) return false;
                }
            }
            return true;
        }
        for (unsigned long mask = 0; mask < (1UL << std::max(inner, 0)); ++mask) {
            std::vector<int> chosen{a};
            for (int j = 0; j < inner; ++j)
                if (mask & (1UL << j)) chosen.push_back(a + 1 + j);
            if (b != a) chosen.push_back(b);
            bool all = true;
            for (std::size_t i = 0; all && i < m_.locations.size(); ++i) {
                const Location &loc = m_.locations[i];
                if (shortestColumn(loc.synthesizedData) == 0) continue;
                for (int c = 0; all && c < 12; ++c) {
                    // As the synthesis averages: summed in double, stored in single.
                    double sum = 0.0;
                    for (int j : chosen)
                        sum += static_cast<double>(historical(loc, c, j));
                    const float mean = static_cast<float>(sum / static_cast<double>(chosen.size()));
                    all = close(loc.synthesizedData[static_cast<std::size_t>(c)][0], mean, scaleOf(loc, c, a, b));
                }
            }
            if (all) return true;
        }
        return false;
    }
};

} // namespace

bool ModelValidation::refused() const {
    return std::any_of(problems.begin(), problems.end(), [](const ModelProblem &p) { return p.refused(); });
}

bool ModelValidation::hasWarnings() const {
    return std::any_of(problems.begin(), problems.end(), [](const ModelProblem &p) { return !p.refused(); });
}

std::vector<ModelProblem> ModelValidation::refusals() const {
    std::vector<ModelProblem> out;
    std::copy_if(problems.begin(), problems.end(), std::back_inserter(out),
                 [](const ModelProblem &p) { return p.refused(); });
    return out;
}

std::vector<ModelProblem> ModelValidation::warnings() const {
    std::vector<ModelProblem> out;
    std::copy_if(problems.begin(), problems.end(), std::back_inserter(out),
                 [](const ModelProblem &p) { return !p.refused(); });
    return out;
}

std::vector<const ModelProblem *> ModelValidation::problemsOf(int location) const {
    std::vector<const ModelProblem *> out;
    for (const ModelProblem &p : problems)
        if (p.location == location) out.push_back(&p);
    return out;
}

std::vector<const ModelProblem *> ModelValidation::problemsOf(int location, ModelProblem::Field field) const {
    std::vector<const ModelProblem *> out;
    for (const ModelProblem &p : problems)
        if (p.location == location && p.field == field) out.push_back(&p);
    return out;
}

std::string ModelValidation::text(ModelProblem::Severity severity, std::size_t most) const {
    std::string out;
    std::size_t shown = 0, more = 0;
    for (const ModelProblem &p : problems) {
        if (p.severity != severity) continue;
        if (shown == most) {
            ++more;
            continue;
        }
        out += (out.empty() ? "" : "\n") + p.text;
        ++shown;
    }
    if (more) out += "\n... and " + std::to_string(more) + " more (vektool check lists them all).";
    return out;
}

std::string doubtfulValue(const Location &location, float value, int unitMode) {
    // A month's volume beyond this many acre-feet is no well's or site's.
    constexpr double kMostAcreFeetAMonth = 1.0e6;
    const double v = static_cast<double>(value);
    // Average daily acre-feet: at most 31 days make the month's volume.
    const double monthly = unitMode == AverageDailyAcreFeet ? v * 31.0 : v;
    if (!std::isfinite(v)) return {}; // refused on its own
    if (std::fabs(monthly) > kMostAcreFeetAMonth)
        return formatG(v) + " is more than a million acre-feet in one month: check the units and the decimal point.";
    if (location.isWell() && value < 0.0f)
        return formatG(v) + " is negative: a well's values are the ground water it uses (a recharge site's are its "
                            "net recharge).";
    return {};
}

ModelValidation validateModel(const ModelInput &model, const ValidationOptions &options) {
    return Checker(model, options).run();
}

ModelValidation validateRunParameters(const engine::RunParameters &p) {
    // The model the reader makes of the parameter record, without locations.
    ModelInput m;
    m.inputStartYear = p.inputStartYear;
    m.inputEndYear = p.inputEndYear;
    auto clamp = [](long long v) {
        return static_cast<int>(
            std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    m.synthStartYear = clamp(static_cast<long long>(p.inputEndYear) + 1);
    m.synthEndYear = clamp(static_cast<long long>(p.inputEndYear) + p.noOfSimulationYears);
    m.outputStartYear = p.outputStartYear;
    m.outputEndYear = p.outputEndYear;
    m.yearMode = p.yearMode;
    ValidationOptions o;
    o.synthesis = false;
    return validateModel(m, o);
}

ModelFileCheck checkModelFile(const std::string &path) {
    ModelFileCheck c;
    c.read = readModelInput(c.model, path, false, &c.fileValues);
    if (!c.read.changed) return c; // not opened: nothing to judge
    ValidationOptions o;
    o.fileValues = &c.fileValues;
    o.synthesis = c.read.ok();
    c.validation = validateModel(c.model, o);
    return c;
}

} // namespace vek
