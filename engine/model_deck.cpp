// Reading the model input file for a run.
#include "engine/model_deck.h"

#include <algorithm>

#include "engine/file_tail.h"
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

// The section is found by a walk of its own to the end of the pumping
// records, before any location is read.
void ModelDeck::readResponseMethods() {
    try {
        const auto text = reader_.textInMemory();
        std::unique_ptr<DeckReader> walker =
            text ? std::make_unique<DeckReader>(*text, reader_.path()) : std::make_unique<DeckReader>(reader_.path());
        const FileTail tail = findFileTail(*walker, p_, c_);
        section_ = tail.section;
        unreadTextLine_ = tail.otherText;
    } catch (const ResponseSectionError &e) {
        throw RunError(std::string(e.what()) + " in input file \"" + reader_.path() + "\", record " +
                       std::to_string(e.line()) + " (response methods)");
    }
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
