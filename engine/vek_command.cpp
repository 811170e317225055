// Command line and console dialogue of vek.
#include "engine/vek_command.h"

#include "engine/real.h"
#include "facts/message_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string_view>
#include <system_error>

namespace vek::engine {

std::string fileNameFrom(const std::string &text) {
    std::string name = text;
    const auto cr = name.find('\r');
    if (cr != std::string::npos) name.erase(cr);
    const auto last = name.find_last_not_of(' ');
    name.erase(last == std::string::npos ? 0 : last + 1);
    return name;
}

std::string fileNameProblem(const std::string &name) {
    if (name.empty()) return "is empty";
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return "\"" + messageText(name) + "\" holds a control character, which no file name can";
    return {};
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

enum class Answer { Read, End, TooLong };

// One line of the console, of at most kMaxLineBytes: a console that never
// ends its line (/dev/zero) must not fill the memory.
Answer readConsoleLine(std::istream &in, std::string &line) {
    line.clear();
    std::streambuf *buf = in.rdbuf();
    if (!buf || !in) return Answer::End;
    while (true) {
        const auto c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            return line.empty() ? Answer::End : Answer::Read;
        }
        if (c == '\n') return Answer::Read;
        if (line.size() == kMaxLineBytes) return Answer::TooLong;
        line.push_back(static_cast<char>(c));
    }
}

// Asks for one name; an empty string after writing the failure line.
bool askName(const char *prompt, const char *what, std::istream &in, std::ostream &out, std::ostream &err,
             std::string &name) {
    out << ' ' << prompt << '\n' << '\n';
    out.flush();
    std::string line;
    switch (readConsoleLine(in, line)) {
    case Answer::End:
        err << " run-time error: end of console input while reading the " << what << " name" << '\n';
        return false;
    case Answer::TooLong:
        err << " run-time error: the " << what << " name typed is longer than " << kMaxLineText << '\n';
        return false;
    case Answer::Read:
        break;
    }
    name = fileNameFrom(line);
    return true;
}

} // namespace

int runVekCommand(const std::vector<std::string> &args, std::istream &in, std::ostream &out, std::ostream &err,
                  const EngineOptions &options) {
    std::string input, output;
    if (args.empty()) {
        if (!askName("ENTER THE INPUT DATA FILE NAME (45 CHARACTERS):  ", "input data file", in, out, err, input) ||
            !askName("ENTER THE OUTPUT FILE NAME (45 CHARACTERS):  ", "output file", in, out, err, output))
            return kExitRuntimeError;
    } else if (args.size() == 1) {
        err << " run-time error: output file name missing (usage: vek input-file output-file)" << '\n';
        return kExitRuntimeError;
    } else {
        // Names are used whole: cutting one would read or write another file.
        input = args[0];
        output = args[1];
    }
    // Both names are judged before either file is opened.
    for (const auto &[name, what] : {std::pair{&input, "input"}, std::pair{&output, "output"}}) {
        if (std::string problem = fileNameProblem(*name); !problem.empty()) {
            err << " run-time error: " << what << " file name " << problem << '\n';
            return kExitRuntimeError;
        }
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
