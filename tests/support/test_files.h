// File helpers shared by the tests: where the fixtures and built programs
// are, reading whole files, and golden-file comparison that leaves the actual
// output beside the expected one when they differ.
#pragma once

#include <cstddef>
#include <string>

namespace vek::test {

std::string dataDir();   // tests/data
std::string binDir();    // the directory holding vek, vektool, VEKView
std::string outputDir(); // scratch directory for test output
std::string dataPath(const std::string &relative);
std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);
// A fresh, empty directory under outputDir() named after the running test.
std::string freshDir(const std::string &name);
// How many entries a directory holds (a temporary file left behind shows).
std::size_t entriesIn(const std::string &dir);

// text as one word of a POSIX shell command line (in single quotes).
std::string shellQuote(const std::string &text);

// Compares actual with the golden file tests/data/<relative>. On a mismatch
// writes <outputDir>/<relative>.actual.txt and returns a diff-like text; on a
// match returns an empty string. With VEK_UPDATE_GOLDEN=1 set, rewrites the
// golden file instead.
std::string compareGolden(const std::string &relative, const std::string &actual);

} // namespace vek::test
