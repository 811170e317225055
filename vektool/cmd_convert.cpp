// vektool convert: reads a model input file, optionally transforms it, and
// writes it with SaveInput. Options are parsed into ConvertOptions; the work
// is three stages (read, transform, write), each refusing by returning false
// after its message, in which case no output is written.
#include "model/input_file.h"
#include "model/model_document.h"
#include "vektool/batch_prompter.h"
#include "vektool/command.h"

#include <cstdio>
#include <optional>
#include <string>

namespace {

const char *kUsage = "usage: vektool convert IN.vek OUT.vek [options]\n\n"
                     "Reads IN and writes it to OUT in the current model input format (the\n"
                     "format the desktop program saves). Reader messages go to standard error;\n"
                     "when IN does not read cleanly nothing is written.\n\n"
                     "Exit status: 0 written, 1 not read, refused or not written, 2 bad options.\n";

struct ConvertOptions {
    std::string in, out;
};

// Fills `o` from the arguments; returns an error text, empty when fine.
std::string parseArgs(const vektool::Args &args, ConvertOptions &o) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        // The value after an option, when there is one.
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        (void)value;
        if (a.size() > 1 && a[0] == '-') return "unknown option " + a;
        positional.push_back(a);
    }
    if (positional.size() != 2) return "expected IN and OUT";
    o.in = positional[0];
    o.out = positional[1];
    return {};
}

bool readStage(vek::ModelDocument &doc, const ConvertOptions &o, vektool::BatchPrompter &prompter) {
    // The caller does not act on a failed read: the document is incomplete.
    return vek::ReadInput(doc, o.in) && prompter.shown.empty();
}

bool transformStage(vek::ModelDocument &doc, const ConvertOptions &o) {
    (void)doc;
    (void)o;
    return true;
}

bool writeStage(vek::ModelDocument &doc, const ConvertOptions &o) { return vek::SaveInput(doc, o.out); }

int runConvert(const vektool::Args &args) {
    ConvertOptions o;
    if (std::string err = parseArgs(args, o); !err.empty()) {
        std::fprintf(stderr, "vektool convert: %s\n\n%s", err.c_str(), kUsage);
        return 2;
    }
    vektool::BatchPrompter prompter;
    vek::ModelDocument doc(&prompter);
    if (!readStage(doc, o, prompter)) return 1;
    if (!transformStage(doc, o)) return 1;
    if (!writeStage(doc, o)) return 1;
    return 0;
}

} // namespace

VEKTOOL_COMMAND("convert", "read a model input file and write it in the current format", kUsage, runConvert);
