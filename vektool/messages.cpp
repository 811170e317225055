// vektool's messages (see messages.h).
#include "vektool/messages.h"

#include "common/utf8_path.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vektool {

namespace {

void refuse(const std::string &question, const char *answer) {
    say(question + " -> " + answer + " (not asked in batch mode)");
}

} // namespace

bool canOpen(const std::string &command, const std::string &path) {
    const std::filesystem::path p = vek::pathFromUtf8(path);
    std::error_code ec;
    const auto st = std::filesystem::status(p, ec);
    std::string why;
    if (!std::filesystem::exists(st))
        why = std::generic_category().message(ec ? ec.value() : ENOENT);
    else if (std::filesystem::is_directory(st))
        why = "it is a folder";
    else {
        errno = 0;
        std::ifstream in(p, std::ios::binary);
        if (in) return true;
        why = std::generic_category().message(errno ? errno : EACCES);
    }
    std::fprintf(stderr, "vektool %s: cannot open %s: %s\n", command.c_str(), path.c_str(), why.c_str());
    return false;
}

void MessagePrinter::message(const std::string &text) {
    shown.push_back(text);
    if (!hold) printHeld();
}

void MessagePrinter::printHeld() {
    for (; printed_ < shown.size(); ++printed_)
        say(shown[printed_]);
}

bool MessagePrinter::askYesNo(const std::string &text) { return refuse(text, "No"), false; }
vek::Answer MessagePrinter::askYesNoCancel(const std::string &text) {
    return refuse(text, "Cancel"), vek::Answer::Cancel;
}
bool MessagePrinter::askOkCancel(const std::string &text) { return refuse(text, "Cancel"), false; }
std::optional<int> MessagePrinter::chooseSynthesisMethod() {
    return refuse("Choose a method for synthesizing the data:", "Cancel"), std::nullopt;
}
std::optional<std::vector<int>> MessagePrinter::selectYearsToAverage(int, int) {
    return refuse("Select Years to Average", "Cancel"), std::nullopt;
}
std::optional<int> MessagePrinter::chooseGivenYear(int, int) {
    return refuse("Synthesize Using Given Year", "Cancel"), std::nullopt;
}
std::optional<std::pair<int, int>> MessagePrinter::chooseCycle(int, int) {
    return refuse("Synthesize Using Historical Cycle", "Cancel"), std::nullopt;
}
std::optional<std::vector<int>> MessagePrinter::chooseItemsToDelete(const std::vector<std::string> &, int) {
    return refuse("Choose Items to Delete", "Cancel"), std::nullopt;
}
std::optional<std::pair<int, int>> MessagePrinter::chooseImportOptions() {
    return refuse("Set Import Options", "Cancel"), std::nullopt;
}
int MessagePrinter::chooseSoilMoisture() { return refuse("Use Computed CU of GW Based on:", "dismissed"), 0; }

void say(const std::string &text) { std::fprintf(stderr, "%s\n", text.c_str()); }

bool report(const vek::OperationResult &result) {
    for (const vek::OperationError &w : result.warnings)
        say(w.message);
    if (result.error) say(result.error->message);
    return result.ok();
}

namespace {

// A file name as a shell reads it back: quoted when it holds more than
// letters, digits and . _ - / + , : @ %.
std::string shellWord(const std::string &s) {
    const bool plain = !s.empty() && s.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                         "0123456789._-/+,:@%") == std::string::npos;
    if (plain) return s;
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

bool reportProblems(const std::string &file, const vek::ModelValidation &validation) {
    for (const vek::ModelProblem &p : validation.problems) {
        std::string line = file + ": " + (p.refused() ? "" : "warning: ") + p.text;
        if (!p.option.empty())
            line += "  Mend: vektool convert " + shellWord(file) + " " + shellWord(file) + " " + p.option;
        say(line);
    }
    return !validation.refused();
}

vek::Prompter &messages() {
    static MessagePrinter printer;
    return printer;
}

} // namespace vektool
