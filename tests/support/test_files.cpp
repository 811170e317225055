#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace vek::test {

namespace {
std::string envOr(const char *name, const std::string &fallback) {
    const char *v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}
} // namespace

// The build fills in the defaults; the environment may override them.
std::string dataDir() { return envOr("VEK_TEST_DATA", VEK_TEST_DATA_DEFAULT); }
std::string binDir() { return envOr("VEK_BIN_DIR", VEK_BIN_DIR_DEFAULT); }
std::string outputDir() {
    std::string d = envOr("VEK_TEST_OUT", VEK_TEST_OUT_DEFAULT);
    fs::create_directories(d);
    return d;
}

std::string dataPath(const std::string &relative) { return dataDir() + "/" + relative; }

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string &path, const std::string &bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

// ctest runs each test as a process of its own, side by side with others:
// a directory is the running test's alone, whatever name its file gives. The
// test is named by a short hash, so paths stay short.
std::size_t entriesIn(const std::string &dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

std::string freshDir(const std::string &name) {
    std::string own = name;
    if (const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info()) {
        std::uint32_t hash = 2166136261u;
        for (const std::string &part : {std::string(test->test_suite_name()), std::string(test->name())})
            for (unsigned char c : part + '.')
                hash = (hash ^ c) * 16777619u;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "@%08x", static_cast<unsigned>(hash));
        own += suffix;
    }
    fs::path d = fs::path(outputDir()) / own;
    fs::remove_all(d);
    fs::create_directories(d);
    return d.string();
}

std::string shellQuote(const std::string &text) {
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string compareGolden(const std::string &relative, const std::string &actual) {
    std::string golden = dataPath(relative);
    if (envOr("VEK_UPDATE_GOLDEN", "") == "1") {
        writeFile(golden, actual);
        return {};
    }
    std::string expected;
    try {
        expected = readFile(golden);
    } catch (const std::exception &) {
        expected = "<missing golden file>";
    }
    if (expected == actual) return {};
    std::string actualPath = outputDir() + "/" + relative + ".actual.txt";
    writeFile(actualPath, actual);
    // Point at the first differing line.
    std::istringstream e(expected), a(actual);
    std::string le, la;
    int line = 1;
    while (true) {
        bool ge = static_cast<bool>(std::getline(e, le));
        bool ga = static_cast<bool>(std::getline(a, la));
        if (!ge && !ga) break;
        if (!ge || !ga || le != la) {
            return "golden " + golden + " differs at line " + std::to_string(line) +
                   "\n  expected: " + (ge ? le : "<end>") + "\n  actual:   " + (ga ? la : "<end>") +
                   "\n  actual output: " + actualPath + "\n  (diff -u " + golden + " " + actualPath + ")";
        }
        ++line;
    }
    return "golden " + golden + " differs (line ends?); actual output: " + actualPath;
}

} // namespace vek::test
