// Fuzz target: the well output file import, reader and the building of one
// location per well, with the soil-moisture choice taken from the input's
// length so both method sections get exercised.
#include "common/prompter.h"
#include "fuzz/fuzz_support.h"
#include "model/imports.h"
#include "model/model_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = vek::fuzz::writeScratch("owl", data, size);
    vek::SilentPrompter prompter;
    prompter.soilMoisture = size % 2 == 0 ? 1 : 2;
    vek::ModelDocument doc(&prompter);
    vek::importWendraFile(doc, path);
    return 0;
}
