// Fuzz target: the tab-delimited import.
#include "common/prompter.h"
#include "fuzz/fuzz_support.h"
#include "model/imports.h"
#include "model/model_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = vek::fuzz::writeScratch("txt", data, size);
    vek::SilentPrompter prompter;
    vek::ModelDocument doc(&prompter);
    vek::importTabDelimited(doc, path);
    return 0;
}
