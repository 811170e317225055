// Fuzz target: the model input file reader over the input in the current
// format and in the old character-column format, then the writer over
// whatever was read (a model filled by a damaged file must still save).
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "model/input_file.h"
#include "model/model_input.h"

namespace {

class CountingSink : public vek::LineSink {
  public:
    std::size_t bytes = 0;
    bool writeLine(std::string_view line) override {
        bytes += line.size() + 1;
        return true;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = vek::fuzz::writeScratch("vek", data, size);
    for (bool oldFormat : {false, true}) {
        vek::ModelInput model;
        vek::readModelInput(model, path, oldFormat);
        CountingSink sink;
        vek::writeModelInput(model, sink);
    }
    return 0;
}
