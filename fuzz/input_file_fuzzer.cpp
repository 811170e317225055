// Fuzz target: ReadInput over the input in the current format and in the old
// character-column format, then the writer over whatever was read (a model
// filled by a damaged file must still save).
#include <string_view>

#include "common/prompter.h"
#include "fuzz/fuzz_support.h"
#include "model/input_file.h"
#include "model/model_document.h"

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
        vek::SilentPrompter prompter;
        vek::ModelDocument doc(&prompter);
        vek::ReadInput(doc, path, oldFormat);
        CountingSink sink;
        vek::writeModelInput(doc.model, sink);
    }
    return 0;
}
