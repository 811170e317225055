// Walking the deck to the end of its pumping records.
#include "engine/file_tail.h"

#include "facts/message_text.h"

#include <string>
#include <vector>

namespace vek::engine {

namespace {

// The location groups exactly as the run reads them; false where the run
// itself would stop.
bool passLocationGroups(DeckReader &d, const RunParameters &p, const RunCounts &c) {
    const DeckItem none;
    for (long long n = 1; n <= p.nwells; ++n) {
        Real factor = 0.0f;
        int type = 0, use = 0;
        d.readRealIntInt(factor, type, use, none);
        d.skipRecords(1, none); // the name
        if (use == 0) {
            d.skipRecords(c.rowsBefore + c.rowsRead + c.rowsAfter, none);
            continue;
        }
        d.skipRecords(c.rowsBefore, none);
        for (long long r = 0; r < c.rowsRead; ++r)
            if (!d.skipValues(12)) return false;
        d.skipRecords(c.rowsAfter, none);
    }
    return true;
}

// The pumping records as the model file's reader reads them: a name, the
// flags (UsePumpingRecord and Units), the efficiencies and one row per
// historical year of 12 flows, or 24 numbers (flows and days on) when Units
// is 0, on as many lines as they take.
// `titleLike` receives the first record taken for a name or the
// efficiencies that reads like the section's first line: when the records
// break later, that line may have been the section all along.
bool passPumpingRecords(DeckReader &d, const RunParameters &p, long long &titleLike) {
    const bool rows = !(p.inputStartYear == 0 && p.inputEndYear == 0);
    const long long years = rows ? static_cast<long long>(p.inputEndYear) - p.inputStartYear + 1 : 0;
    const auto pass = [&] {
        if (!d.skipRecord()) return false;
        if (titleLike == 0 && looksLikeSectionTitle(d.lastRecord())) titleLike = d.recordNumber();
        return true;
    };
    for (long long n = 1; n <= p.nwells; ++n) {
        int use = 0, units = 0;
        if (!pass() || !d.readIntPair(use, units) || !pass()) return false;
        for (long long k = 0; k < years; ++k)
            if (!d.skipValues(units == 0 ? 24 : 12)) return false;
    }
    return true;
}

std::vector<std::string_view> views(const std::vector<std::string> &lines) {
    return std::vector<std::string_view>(lines.begin(), lines.end());
}

} // namespace

FileTail findFileTail(DeckReader &d, const RunParameters &p, const RunCounts &c) {
    try {
        d.skipRecords(1, {});
        int parameters[13];
        d.readInts(parameters, 13, {});
        if (!passLocationGroups(d, p, c)) return {};
    } catch (const DeckError &) {
        return {};
    }
    const long long pumpingStart = d.recordNumber() + 1;
    long long titleLike = 0;
    const bool complete = passPumpingRecords(d, p, titleLike);
    // Where the pumping records break, the record that broke them may be the
    // section's first line.
    const std::string breaking = complete ? std::string() : std::string(d.lastRecord());
    const long long first = d.recordNumber() + 1;
    const auto rest = d.metOverlongRecord() ? std::nullopt : d.remainingRecords();
    if (!rest) throw ResponseSectionError(std::string("a line longer than ") + kMaxLineText, d.recordNumber());
    if (complete) return readFileTail(views(*rest), first);
    const auto refuse = [&](long long line) {
        throw ResponseSectionError("the response methods follow pumping records that end early or are damaged (they "
                                   "start on line " +
                                       std::to_string(pumpingStart) + "); the section must follow them complete",
                                   line);
    };
    if (titleLike > 0) refuse(titleLike);
    if (first - 1 >= pumpingStart && looksLikeSectionTitle(breaking)) refuse(first - 1);
    for (std::size_t i = 0; i < rest->size(); ++i)
        if (looksLikeSectionTitle((*rest)[i])) refuse(first + static_cast<long long>(i));
    return {};
}

} // namespace vek::engine
