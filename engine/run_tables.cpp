// The report of a run kept in memory.
#include "engine/run_tables.h"

namespace vek::engine {

void writeReport(const RunTables &tables, const std::function<void(std::string_view)> &write) {
    const RunParameters &p = tables.parameters;
    std::string text;
    report::appendHeading(text, p);
    write(text);
    for (const RunTables::Location &loc : tables.locations) {
        text.clear();
        report::appendLocationBlock(text, loc.name, loc.factor, loc.locationType);
        report::appendLocationTables(text, loc.locationType, loc.diversion.data(), loc.effect.data(), p, tables.counts);
        write(text);
    }
    text.clear();
    report::appendSummaries(text, tables.summaries, p, tables.counts);
    report::appendResponseMethods(text, tables.responses, tables.responseTables, tables.unreadTextLine);
    report::appendReaches(text, tables.reaches, p, tables.counts);
    write(text);
}

} // namespace vek::engine
