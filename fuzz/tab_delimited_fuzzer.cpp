// Fuzz target: the tab-delimited import.
#include "fuzz/fuzz_support.h"
#include "model/imports.h"
#include "model/model_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = vek::fuzz::writeScratch("txt", data, size);
    vek::ModelInput model;
    vek::importTabDelimited(model, path, static_cast<int>(size % 3), static_cast<int>(size % 2));
    return 0;
}
