// Reading the model input file for a run.
#include "engine/model_deck.h"

#include <algorithm>

#include "engine/file_tail.h"
#include "engine/model_sections.h"
#include "facts/message_text.h"
#include "facts/vek_facts.h"

namespace vek::engine {

bool ModelDeck::readParameters() {
    reader_.skipRecords(1, {"version line"});
    int v[13];
    reader_.readInts(v, 13, {"run parameters"});
    p_ = RunParameters{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12]};
    refuseMeaninglessParameters();
    c_ = deriveCounts(p_);
    if (c_.runYears > kMaxRunYears) return false;
    if (c_.runYears < 1) {
        // Nothing to tabulate; averages would divide by zero.
        throw RunError("the run has no years: outputEndYear " + std::to_string(p_.outputEndYear) +
                       " is before outputStartYear " + std::to_string(p_.outputStartYear) + " in input file \"" +
                       reader_.path() + "\", record 2");
    }
    calendar_ = std::make_unique<DayCalendar>(p_.outputStartYear);
    return true;
}

// Counts that no file can mean: the run would otherwise go on with a
// location silently gone or no year rows at all.
void ModelDeck::refuseMeaninglessParameters() const {
    const std::string where = " in input file \"" + reader_.path() + "\", record 2";
    if (p_.nwells < 0)
        throw RunError("nwells is " + std::to_string(p_.nwells) + where +
                       "; the number of locations cannot be negative");
    if (p_.inputStartYear > p_.inputEndYear)
        throw RunError("inputStartYear " + std::to_string(p_.inputStartYear) + " is after inputEndYear " +
                       std::to_string(p_.inputEndYear) + where +
                       "; the first historical year cannot come after the last");
    if (p_.noOfSimulationYears < 0)
        throw RunError("noOfSimulationYears is " + std::to_string(p_.noOfSimulationYears) + where +
                       "; the number of synthesized years cannot be negative");
}

// The sections are found before any location is read.
void ModelDeck::readResponseMethods() {
    ModelSections sections;
    try {
        const auto text = reader_.textInMemory();
        std::unique_ptr<DeckReader> walker =
            text ? std::make_unique<DeckReader>(*text, reader_.path()) : std::make_unique<DeckReader>(reader_.path());
        // The walk judges what follows the pumping records (a damaged or
        // second section is refused there); the scan reads the sections.
        unreadTextLine_ = findFileTail(*walker, p_, c_).otherText;
        sections = text ? findModelSections(*text) : readModelSections(reader_.path());
    } catch (const SectionError &e) {
        throw RunError(std::string(e.what()) + " in input file \"" + reader_.path() + "\", record " +
                       std::to_string(e.line()) + " (" + (e.part().empty() ? "response methods" : e.part()) + ")");
    }
    readReaches(std::move(sections.reaches));
    section_ = std::move(sections.response);
    if (!section_.present) return;
    auto refuse = [&](long long line, const std::string &problem) {
        throw RunError(problem + " in input file \"" + reader_.path() + "\", record " + std::to_string(line) +
                       " (response methods)");
    };
    for (const auto &t : section_.tables) {
        if (std::string p = tableProblem(t.shares); !p.empty())
            refuse(t.line, "table \"" + messageText(t.name) + "\": " + p);
        tables_.push_back(StepResponse::responseTable(t.shares, t.afterOne));
    }
    methods_ = section_.locations;
    for (const auto &m : methods_) {
        if (m.location > p_.nwells)
            refuse(m.line, "location " + std::to_string(m.location) + " does not exist (the file has " +
                               std::to_string(p_.nwells) + ")");
        std::string p;
        if (m.method == ResponseMethod::AlluvialAquifer) p = alluvialProblem(static_cast<double>(m.aOverW));
        if (m.method == ResponseMethod::StreambedResistance) p = streambedProblem(static_cast<double>(m.lambda));
        if (m.method == ResponseMethod::ResponseTable && !section_.table(m.table))
            p = "there is no table \"" + messageText(m.table) + "\"";
        if (!p.empty()) refuse(m.line, "location " + std::to_string(m.location) + ": " + p);
    }
    std::sort(methods_.begin(), methods_.end(),
              [](const SectionLocation &a, const SectionLocation &b) { return a.location < b.location; });
}

// Locations are read in file order, so the sorted entries are met in turn.
LocationResponse ModelDeck::responseOf(long long location, Real factor) {
    while (nextMethod_ < methods_.size() && methods_[nextMethod_].location < location)
        ++nextMethod_;
    LocationResponse r = LocationResponse::infiniteAquifer(factor);
    if (nextMethod_ == methods_.size() || methods_[nextMethod_].location != location) return r;
    const SectionLocation &m = methods_[nextMethod_];
    r.method = m.method;
    if (m.method == ResponseMethod::AlluvialAquifer) r.parameter = m.aOverW;
    if (m.method == ResponseMethod::StreambedResistance) r.parameter = m.lambda;
    if (m.method == ResponseMethod::ResponseTable) {
        for (std::size_t t = 0; t < section_.tables.size(); ++t)
            if (section_.tables[t].name == m.table) r.table = static_cast<int>(t);
    }
    return r;
}

// The stream reaches: their shares are checked now, like the response
// methods.
void ModelDeck::readReaches(ReachSection section) {
    if (!section.present || section.reaches.empty()) return;
    auto refuse = [&](long long line, const std::string &problem) {
        throw RunError(problem + " in input file \"" + reader_.path() + "\", record " + std::to_string(line) +
                       " (stream reaches)");
    };
    long long line = section.line;
    if (std::string p = reachSharesProblem(section, &line); !p.empty()) refuse(line, p);
    for (const auto &sh : section.shares)
        if (sh.location > p_.nwells)
            refuse(sh.line, "location " + std::to_string(sh.location) + " does not exist (the file has " +
                                std::to_string(p_.nwells) + ")");
    shares_ = std::move(section.shares);
    std::stable_sort(shares_.begin(), shares_.end(),
                     [](const SectionShare &a, const SectionShare &b) { return a.location < b.location; });
    modelRule_ = apportionmentName(section.rule);
    for (const auto &place : section.places)
        if (place.ownRule) ruleNames_.emplace_back(place.location, apportionmentName(place.rule));
    std::sort(ruleNames_.begin(), ruleNames_.end());
    reaches_.depletion = section.depletion;
    reaches_.metres = section.metres;
    for (auto &r : section.reaches)
        reaches_.reaches.push_back(
            {std::move(r.name), std::vector<Real>(static_cast<std::size_t>(months()) + 1, 0.0f)});
}

// A used location's shares, met in file order like the response methods.
void ModelDeck::sharesOf(DeckLocation &location) {
    location.shares.clear();
    if (!reaches_.present()) return;
    const long long n = location.position;
    while (nextShare_ < shares_.size() && shares_[nextShare_].location < n)
        ++nextShare_;
    std::string rule = modelRule_;
    const auto own = std::lower_bound(ruleNames_.begin(), ruleNames_.end(), std::make_pair(n, std::string()));
    if (own != ruleNames_.end() && own->first == n) rule = own->second;
    for (; nextShare_ < shares_.size() && shares_[nextShare_].location == n; ++nextShare_) {
        const SectionShare &sh = shares_[nextShare_];
        location.shares.push_back({static_cast<std::size_t>(sh.reach - 1), static_cast<Real>(sh.fraction), sh.factor});
        reaches_.shares.push_back(
            {n, location.name, sh.reach, sh.fraction, sh.distance, sh.hasFactor, sh.factor, rule});
    }
    if (location.shares.empty())
        throw RunError("location " + std::to_string(n) + " has no share of the stream reaches in input file \"" +
                       reader_.path() + "\" (stream reaches); the program that saves the model apportions it");
}

bool ModelDeck::readHeader(long long n, DeckLocation &location) {
    Real factor = 0.0f;
    int type = 0, use = 0;
    reader_.readRealIntInt(factor, type, use, {"depletion factor, location type and use flag", n});
    if (use == 0) {
        // Consumed whole so that the next group starts at its own record.
        reader_.skipRecords(1, {"name", n});
        reader_.skipRecords(c_.rowsBefore + c_.rowsRead + c_.rowsAfter, {"year row", n, 1});
        return false;
    }
    if (!(factor >= 0.0f)) {
        throw RunError("negative depletion factor in input file \"" + reader_.path() + "\", record " +
                       std::to_string(reader_.recordNumber()) + " (location " + std::to_string(n) + ")");
    }
    location.position = n;
    location.name = reader_.readText(kEngineLocationNameLength, {"name", n});
    location.locationType = type;
    location.response = responseOf(n, factor);
    sharesOf(location);
    return true;
}

void ModelDeck::readRates(long long n, DeckLocation &location) {
    const int months = this->months();
    location.rates.resize(static_cast<std::size_t>(months) + 1);
    Real *q = location.rates.data();
    std::fill(q, q + months + 1, 0.0f);
    location.longRows = 0;
    reader_.skipRecords(c_.rowsBefore, {"year row", n, 1});
    const bool convert = p_.unitMode != 0 && (p_.useAvgDaysPerMonth == 0 || p_.useAvgDaysPerMonth == 1);
    for (long long r = 0; r < c_.rowsRead; ++r) {
        Real *row = q + 1 + 12 * r;
        if (reader_.readReals(row, 12, {"year row", n, c_.rowsBefore + r + 1}) && location.longRows++ == 0) {
            location.firstLongRow = c_.rowsBefore + r;
            location.firstLongRecord = reader_.recordNumber();
        }
        if (!convert) continue;
        for (int j = 0; j < 12; ++j) {
            const int m = static_cast<int>(12 * r) + j + 1;
            const Real days =
                p_.useAvgDaysPerMonth == 1 ? kMonthlyToDailyRuleDays : static_cast<Real>(calendar_->daysInMonth(m));
            row[j] = row[j] / days;
        }
    }
    reader_.skipRecords(c_.rowsAfter, {"year row", n, c_.rowsBefore + c_.rowsRead + 1});
}

} // namespace vek::engine
