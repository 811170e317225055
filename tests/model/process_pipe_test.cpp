// The Windows command line ProcessPipe builds: every argument reaches the
// child as itself, whatever blanks, quotes, shell characters or backslashes
// it holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/process_pipe.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <shellapi.h>
#endif

namespace {

using vek::windowsCommandLine;

const std::vector<std::string> kAwkward = {
    "C:/Program Files/VEK/vek.exe",
    "plain",
    "with blank",
    "",
    "\"quoted\"",
    "say \"hi\" there",
    "a&b|c<d>e^f%PATH%!x!",
    "trailing\\",
    "trailing blank \\",
    "two\\\\",
    "back\\\"quote",
    "C:\\dir\\file.vek",
    "\\\\server\\share\\",
    "tab\there",
    "caf\xc3\xa9 \xc3\xbcn\xc3\xaf",
};

TEST(WindowsCommandLine, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(windowsCommandLine({"C:/vek.exe", "model.vek", "model.out", "/dde"}),
              "\"C:/vek.exe\" model.vek model.out /dde");
    EXPECT_EQ(windowsCommandLine({"p", "a b", ""}), "\"p\" \"a b\" \"\"");
    EXPECT_EQ(windowsCommandLine({"p", "a&b^c%d%"}), "\"p\" a&b^c%d%");
    EXPECT_EQ(windowsCommandLine({"p", "C:\\dir\\"}), "\"p\" C:\\dir\\");
    EXPECT_EQ(windowsCommandLine({"p", "C:\\my dir\\"}), "\"p\" \"C:\\my dir\\\\\"");
    EXPECT_EQ(windowsCommandLine({"p", "say \"hi\""}), "\"p\" \"say \\\"hi\\\"\"");
    EXPECT_EQ(windowsCommandLine({"p", "a\\\"b"}), "\"p\" \"a\\\\\\\"b\"");
}

#ifdef _WIN32
std::string utf8(const wchar_t *w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
    return s;
}

// Windows' own reader of command lines gives back every argument.
TEST(WindowsCommandLine, CommandLineToArgvWReadsTheArgumentsBack) {
    const std::string line = windowsCommandLine(kAwkward);
    const int n = MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, w.data(), n);
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(w.c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    ASSERT_EQ(static_cast<std::size_t>(argc), kAwkward.size()) << line;
    for (int i = 0; i < argc; ++i)
        EXPECT_EQ(utf8(argv[i]), kAwkward[static_cast<std::size_t>(i)]) << line;
    LocalFree(argv);
}
#endif

} // namespace
