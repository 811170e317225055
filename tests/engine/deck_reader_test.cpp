// Reading the model input file: free-form numeric records, fixed-width names,
// line ends, and failures that name the file, the record and what was read.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/deck_reader.h"
#include "support/test_files.h"

namespace {

using namespace vek::engine;
namespace t = vek::test;

std::string deckFile(const std::string &name, const std::string &text) {
    const std::string path = t::freshDir("engine_deck_" + name) + "/deck.vek";
    t::writeFile(path, text);
    return path;
}

TEST(DeckReader, FreeFormRecords) {
    struct Row {
        const char *name;
        const char *text;
        float expected[3];
    } rows[] = {
        {"blanks", "1 2.5 -3\n", {1.0f, 2.5f, -3.0f}},
        {"commas", "1,2.5,-3\n", {1.0f, 2.5f, -3.0f}},
        {"tabs_and_commas", "\t1 ,\t2.5 , -3\n", {1.0f, 2.5f, -3.0f}},
        {"continued", "1\n2.5\n-3 9 9\n", {1.0f, 2.5f, -3.0f}},
        {"trailing_text", "1 2.5 -3 # three reals\n", {1.0f, 2.5f, -3.0f}},
        {"crlf", "1 2.5 -3\r\n", {1.0f, 2.5f, -3.0f}},
        {"no_line_end", "1 2.5 -3", {1.0f, 2.5f, -3.0f}},
        {"notations", "+1. .5 -3e0\n", {1.0f, 0.5f, -3.0f}},
        {"fortran_exponent", "1D2 2.5d-1 1E-50\n", {100.0f, 0.25f, 0.0f}},
    };
    for (const auto &r : rows) {
        DeckReader deck(deckFile(r.name, r.text));
        float v[3] = {};
        deck.readReals(v, 3, {"row"});
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(v[i], r.expected[i]) << r.name << " value " << i;
    }
}

TEST(DeckReader, EachReadStartsAtANewRecord) {
    DeckReader deck(deckFile("new_record", "1 2 3 4\n5 6\nname line that is long\n7,1,0 # comment\n"));
    int a[2];
    deck.readInts(a, 2, {"ints"});
    int b[1];
    deck.readInts(b, 1, {"ints"});
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 2);
    EXPECT_EQ(b[0], 5) << "the rest of record 1 is ignored";
    EXPECT_EQ(deck.readText(8, {"name"}), "name lin");
    float f;
    int type, use;
    deck.readRealIntInt(f, type, use, {"header"});
    EXPECT_EQ(f, 7.0f);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(use, 0);
    EXPECT_EQ(deck.recordNumber(), 4);
}

TEST(DeckReader, NamesArePaddedAndKeepNoCarriageReturn) {
    DeckReader deck(deckFile("names", "Short\r\n" + std::string(100, 'x') + "\n\n"));
    EXPECT_EQ(deck.readText(10, {"name"}), "Short     ");
    EXPECT_EQ(deck.readText(90, {"name"}), std::string(90, 'x'));
    EXPECT_EQ(deck.readText(4, {"name"}), "    ");
}

TEST(DeckReader, LongLinesAcrossBufferRefills) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += std::to_string(i % 10) + " ";
    text += "\n42\n";
    DeckReader deck(deckFile("long", text));
    std::vector<float> v(20000);
    deck.readReals(v.data(), 20000, {"row"});
    EXPECT_EQ(v[19999], 9.0f);
    int x;
    deck.readInts(&x, 1, {"ints"});
    EXPECT_EQ(x, 42);
}

TEST(DeckReader, FailuresNameFileRecordAndItem) {
    struct Row {
        const char *name;
        const char *text;
        bool integers;
        const char *message;
    } rows[] = {
        {"letters", "1 2\nx 5\n", false,
         "unreadable number \"x\" in input file \"@\", record 2 (year row 4 of location 2)"},
        {"eof", "1 2\n", false, "end of file in input file \"@\", record 2 (year row 4 of location 2)"},
        {"empty", "", true, "end of file in input file \"@\", record 1 (year row 4 of location 2)"},
        {"real_as_int", "2000.5 1\n", true, "unreadable integer \"2000.5\""},
        {"int_overflow", "99999999999 1\n", true, "integer out of range \"99999999999\""},
        {"real_overflow", "1e39 1 1\n", false, "number out of range \"1e39\""},
        {"nan", "nan 1 1\n", false, "unreadable number \"nan\""},
        {"hex", "0x10 1 1\n", false, "unreadable number \"0x10\""},
        {"comment_too_early", "1 2 # three\n", false, "unreadable number \"#\""},
    };
    for (const auto &r : rows) {
        const std::string path = deckFile(r.name, r.text);
        DeckReader deck(path);
        std::string message;
        try {
            float f[3];
            int i[2];
            if (r.integers)
                deck.readInts(i, 2, {"year row", 2, 4});
            else
                deck.readReals(f, 3, {"year row", 2, 4});
        } catch (const DeckError &e) {
            message = e.what();
        }
        std::string expected = r.message;
        if (auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, path);
        EXPECT_NE(message.find(expected), std::string::npos) << r.name << ": " << message;
    }
}

// A record longer than 1 MiB stops the reader instead of filling the memory
// (a file without line ends, /dev/zero); one of exactly 1 MiB, its line end
// apart, is read. A message quotes at most 80 characters of a word, with
// control characters written out.
TEST(DeckReader, LinesAreCappedAndQuotesBounded) {
    const std::size_t mib = std::size_t{1} << 20;
    for (const char *end : {"\n7\n", "\r\n7\n", ""}) {
        DeckReader fits(deckFile("mib", std::string(mib, 'N') + end));
        EXPECT_EQ(fits.readText(90, {"name"}), std::string(90, 'N'));
    }
    std::string inMemory = "1\n" + std::string(mib + 1, 'N') + "\n7\n";
    for (bool memory : {false, true}) {
        const std::string path = deckFile("over_mib", inMemory);
        DeckReader over = memory ? DeckReader(DeckSource{path, inMemory}) : DeckReader(path);
        int one = 0;
        over.readInts(&one, 1, {"ints"});
        try {
            over.readText(90, {"name", 3});
            FAIL() << "a line of more than 1 MiB was read";
        } catch (const DeckError &e) {
            EXPECT_NE(std::string(e.what()).find("a line longer than 1 MiB (1048576 bytes) in input file \"" + path +
                                                 "\", record 2 (name of location 3)"),
                      std::string::npos)
                << e.what();
        }
    }
#ifndef _WIN32
    try {
        DeckReader zero("/dev/zero");
        zero.skipRecords(1, {"version line"});
        FAIL() << "/dev/zero read as a line";
    } catch (const DeckError &e) {
        EXPECT_NE(std::string(e.what()).find("a line longer than 1 MiB"), std::string::npos) << e.what();
    }
#endif
    DeckReader escapes(deckFile("escapes", "\x1b[2J" + std::string(100, 'x') + " 1\n"));
    try {
        float v;
        escapes.readReals(&v, 1, {"row"});
        FAIL() << "a word read as a number";
    } catch (const DeckError &e) {
        EXPECT_NE(std::string(e.what()).find("unreadable number \"\\x1b[2J" + std::string(76, 'x') + "...\""),
                  std::string::npos)
            << e.what();
    }
}

TEST(DeckReader, MissingFileIsReported) {
    try {
        DeckReader deck(t::freshDir("engine_deck_missing") + "/none.vek");
        FAIL() << "opened a missing file";
    } catch (const DeckError &e) {
        EXPECT_NE(std::string(e.what()).find("cannot open input file"), std::string::npos);
    }
}

} // namespace
