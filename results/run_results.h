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

} // namespace vek
