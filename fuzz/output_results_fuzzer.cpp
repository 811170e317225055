// Fuzz target: the engine report reader, then the year-type changes and the
// list entries the output view builds from what was read.
#include "common/prompter.h"
#include "fuzz/fuzz_support.h"
#include "results/output_results.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = vek::fuzz::writeScratch("out", data, size);
    vek::SilentPrompter prompter;
    vek::OutputResults results;
    results.Load(path, prompter);
    results.yearListEntries();
    results.locationListEntries();
    for (int t : {0, 2, 1})
        results.changeYearType(t);
    return 0;
}
