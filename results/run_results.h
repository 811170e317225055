// The results of a run held in memory (the engine's tables, as vek.run and
// vektool run's exports get them) made into the results a report of that
// run reads back as: the same entries, heading facts and response methods,
// the values at the engine's full precision with their tenths rounded as the
// report rounds them, also where the report's nine columns could not hold
// them.
#pragma once

#include "engine/run_tables.h"
#include "results/output_results.h"

#include <string>
#include <vector>

namespace vek {

// Fills `out` (a fresh OutputResults). `types`, when given, receives per
// entry "Irrig. well", "Recharge site" or "summary".
void fillRunResults(OutputResults &out, const engine::RunTables &run, std::vector<std::string> *types = nullptr);

// The same in two steps, for callers that make an entry's tables only when
// they are asked for: fillRunEntries gives the heading facts and every entry
// (name, kind, response) with no rows; fillRunEntryTables then makes the
// rows of entry `i` of those.
void fillRunEntries(OutputResults &out, const engine::RunTables &run, std::vector<std::string> *types = nullptr);
void fillRunEntryTables(OutputResults &out, const engine::RunTables &run, std::size_t i);

} // namespace vek
