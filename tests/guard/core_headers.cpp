// The control for the guard tests: every core header compiles with the
// include directories of the libraries that make up the cores.
#include "common/numbers.h"
#include "common/prompter.h"
#include "facts/vek_facts.h"
#include "model/imports.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/year_types.h"
#include "results/graph_data.h"
#include "results/output_results.h"
#include "results/text_report.h"

int probe() { return vek::calendarMonth(vek::IrrigationYear, 0); }
