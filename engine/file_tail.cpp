// Walking the deck to the end of its pumping records.
#include "engine/file_tail.h"

#include "facts/message_text.h"

#include <optional>
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
bool passPumpingRecords(DeckReader &d, const RunParameters &p, long long &titleLike,
                        std::optional<std::string> &firstRecord) {
    const bool rows = !(p.inputStartYear == 0 && p.inputEndYear == 0);
    const long long years = rows ? static_cast<long long>(p.inputEndYear) - p.inputStartYear + 1 : 0;
    const auto pass = [&] {
        if (!d.skipRecord()) return false;
        if (!firstRecord) firstRecord = std::string(d.lastRecord());
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
    std::optional<std::string> firstRecord;
    const bool complete = passPumpingRecords(d, p, titleLike, firstRecord);
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
    if (firstRecord && isModelSectionStart(*firstRecord)) {
        // No pumping records at all (a deck written for the engine alone):
        // the sections follow the location groups.
        std::vector<std::string> lines{*firstRecord};
        if (first - 1 > pumpingStart) {
            lines.resize(static_cast<std::size_t>(first - 1 - pumpingStart));
            lines.push_back(breaking);
        }
        lines.insert(lines.end(), rest->begin(), rest->end());
        return readFileTail(views(lines), pumpingStart);
    }
    // Pumping records that break before a well-formed section (the engine
    // never reads them, and decks written for it alone may hold anything
    // there): the tail starts at that section.
    std::vector<std::string> lines;
    const long long base = first - 1 >= pumpingStart ? first - 1 : first;
    if (first - 1 >= pumpingStart) lines.push_back(breaking);
    lines.insert(lines.end(), rest->begin(), rest->end());
    for (std::size_t k = 0; k < lines.size(); ++k) {
        // A damaged first line is refused there, with the reason.
        if (isModelSectionStart(lines[k]) || looksLikeSectionTitle(lines[k]))
            return readFileTail(views(std::vector<std::string>(lines.begin() + static_cast<long>(k), lines.end())),
                                base + static_cast<long long>(k));
    }
    if (titleLike > 0) refuse(titleLike);
    return {};
}

} // namespace vek::engine
