// Where the engine finds what follows the pumping records: it walks the deck
// as it will read it (the location groups by its own reading rules, then the
// pumping records it otherwise never reads) and judges the rest.
#pragma once

#include "engine/deck_reader.h"
#include "engine/response_section.h"
#include "engine/run_parameters.h"

namespace vek::engine {

// Walks `walker`, a reader of the deck not yet read, past the version line,
// the run parameters, the location groups and the pumping records, and
// returns the judgement of the rest (see readFileTail). A deck that ends or
// breaks inside the location groups has no tail: the run itself stops there.
// One that ends or breaks inside the pumping records has none either, unless
// a line after that point is meant as the section's first line: then the
// section cannot be placed, and ResponseSectionError says so.
FileTail findFileTail(DeckReader &walker, const RunParameters &p, const RunCounts &c);

} // namespace vek::engine
