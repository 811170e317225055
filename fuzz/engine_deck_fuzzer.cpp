// Fuzz target: one whole engine run over the input as its model input file,
// the report going to a scratch file. Any outcome but a crash, a hang or a
// sanitizer report is fine: the engine answers bad decks with console lines.
#include <ostream>
#include <streambuf>

#include "engine/engine_run.h"
#include "fuzz/fuzz_support.h"

namespace {

class NullBuffer : public std::streambuf {
  protected:
    int overflow(int c) override { return c == traits_type::eof() ? 0 : c; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static NullBuffer nullBuffer;
    static std::ostream discard(&nullBuffer);
    const std::string input = vek::fuzz::writeScratch("deck", data, size);
    const std::string report = vek::fuzz::scratchPath("report");
    vek::engine::EngineOptions options;
    options.threads = 1;
    vek::engine::runEngine(input, report, options, discard, discard);
    return 0;
}
