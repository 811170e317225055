// Command line and console dialogue of vek.
#include "engine/vek_command.h"

#include "engine/real.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string_view>
#include <system_error>

namespace vek::engine {

std::string fileNameFrom(const std::string &text) {
    std::string name = text.substr(0, kEngineFileNameLength);
    const auto cr = name.find('\r');
    if (cr != std::string::npos) name.erase(cr);
    const auto last = name.find_last_not_of(' ');
    name.erase(last == std::string::npos ? 0 : last + 1);
    return name;
}

EngineOptions optionsFromEnvironment(const char *superposition, const char *threads, const char *kernels,
                                     std::ostream &notes) {
    EngineOptions options;
    if (superposition && std::string_view(superposition) == "reference") options.reference = true;
    if (threads) {
        // A count that is not a positive number is ignored.
        unsigned long long n = 0;
        const std::string_view t(threads);
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
        if (ec == std::errc::result_out_of_range || (ec == std::errc() && end == t.data() + t.size() && n > 0)) {
            const unsigned capped = computingThreads(static_cast<unsigned>(std::min<unsigned long long>(n, ~0u)));
            if (ec != std::errc() || n > capped)
                notes << " note: VEK_THREADS=" << t << " is more than this machine's " << capped
                      << " hardware threads; computing on " << capped << '\n';
            options.threads = capped;
        }
    }
    if (kernels) {
        KernelVariant wanted{};
        const std::vector<KernelVariant> available = availableKernelVariants();
        if (!kernelVariantFromName(kernels, wanted)) {
            notes << " note: VEK_KERNELS=" << kernels << " is not one of baseline, avx2, avx512; using "
                  << kernelVariantName(options.kernels) << '\n';
        } else if (std::find(available.begin(), available.end(), wanted) == available.end()) {
            notes << " note: this processor cannot run the " << kernels << " kernels (VEK_KERNELS); using "
                  << kernelVariantName(options.kernels) << '\n';
        } else {
            options.kernels = wanted;
        }
    }
    return options;
}

namespace {
bool askName(const char *prompt, std::istream &in, std::ostream &out, std::string &name) {
    out << ' ' << prompt << '\n' << '\n';
    out.flush();
    std::string line;
    if (!std::getline(in, line)) return false;
    name = fileNameFrom(line);
    return true;
}
} // namespace

int runVekCommand(const std::vector<std::string> &args, std::istream &in, std::ostream &out, std::ostream &err,
                  const EngineOptions &options) {
    std::string input, output;
    if (args.empty()) {
        if (!askName("ENTER THE INPUT DATA FILE NAME (45 CHARACTERS):  ", in, out, input)) {
            err << " run-time error: end of console input while reading the input data file name" << '\n';
            return kExitRuntimeError;
        }
        if (!askName("ENTER THE OUTPUT FILE NAME (45 CHARACTERS):  ", in, out, output)) {
            err << " run-time error: end of console input while reading the output file name" << '\n';
            return kExitRuntimeError;
        }
    } else if (args.size() == 1) {
        err << " run-time error: output file name missing (usage: vek input-file output-file)" << '\n';
        return kExitRuntimeError;
    } else {
        input = fileNameFrom(args[0]);
        output = fileNameFrom(args[1]);
    }
    if (input.empty() || output.empty()) {
        err << " run-time error: " << (input.empty() ? "input" : "output") << " file name is empty" << '\n';
        return kExitRuntimeError;
    }
    const int status = runEngine(input, output, options, out, err);
    // The console lines are part of what a run gives: when they cannot be
    // written (a full disk, a closed pipe) the run has failed.
    errno = 0;
    out.flush();
    if (!out) {
        const int why = errno;
        err << " run-time error: cannot write standard output" << (why ? ": " : "")
            << (why ? std::generic_category().message(why) : "") << '\n';
        err.flush();
        return status == kExitNormal ? kExitRuntimeError : status;
    }
    err.flush();
    return status;
}

} // namespace vek::engine
