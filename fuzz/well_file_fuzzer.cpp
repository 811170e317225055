// Fuzz target: the well output file import, reader and the building of one
// location per well, with the soil-moisture basis taken from the input's
// length so both method sections get exercised.
#include "fuzz/fuzz_support.h"
#include "model/imports.h"
#include "model/model_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = vek::fuzz::writeScratch("owl", data, size);
    vek::ModelInput model;
    vek::importWendraFile(model, path, size % 2 == 0 ? vek::SoilMoisture::Without : vek::SoilMoisture::With);
    return 0;
}
