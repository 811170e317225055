// Saves that cannot complete, and model files at the edges of what a reader
// must survive: the previous file stays byte for byte, every failure is
// a message, and big or damaged inputs give a clear message or the right
// model.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <system_error>
#include <unistd.h>

#include "model/imports.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/stream_reaches.h"
#include "model/value_limits.h"
#include "support/scripted_prompter.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
namespace t = vek::test;
using vek::ModelDocument;
using vek::test::ScriptedPrompter;

const char *kRow = "1 2 3 4 5 6 7 8 9 10 11 12";

// A current-format model file: `wells` locations of `years` historical years
// each, with their pumping records. `name` is every location's name.
std::string modelText(int wells, int years, const std::string &name = "Well") {
    std::string s = "Version 1.12\n1990 " + std::to_string(1989 + years) + " 0 1990 " + std::to_string(1989 + years) +
                    " " + std::to_string(wells) + " 0 4 0 0 1 1 0 # parameters\n";
    for (int w = 0; w < wells; ++w) {
        s += "120 -1 1 # VEK LocationType UseInOutput\n" + name + "\n";
        for (int y = 0; y < years; ++y)
            s += std::string(kRow) + "\n";
    }
    for (int w = 0; w < wells; ++w) {
        s += name + "\n0 1 # UsePumpingRecord Units\n1 1 1 1 1 1 1 1 1 1 1 1\n";
        for (int y = 0; y < years; ++y)
            s += std::string(kRow) + "\n";
    }
    return s;
}

// Lines SaveInput writes for the document.
int savedLineCount(const ModelDocument &doc) {
    struct Counter : vek::LineSink {
        int lines = 0;
        bool writeLine(std::string_view) override { return ++lines > 0; }
    } counter;
    EXPECT_TRUE(vek::writeModelInput(doc.model, counter));
    return counter.lines;
}

std::size_t entriesIn(const std::string &dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

struct Loaded {
    ScriptedPrompter prompter;
    ModelDocument doc;
    bool ok = false;
};

void load(Loaded &l, const std::string &dir, const std::string &text) {
    t::writeFile(dir + "/in.vek", text);
    l.ok = vek::ReadInput(l.doc, l.prompter, dir + "/in.vek");
}

// A write that fails at any line, first to last, leaves the earlier file as
// it was, tells the user, leaves no temporary file and keeps the document
// marked modified.
TEST(SafeSave, FailureAtEveryLineKeepsThePreviousFile) {
    const std::string dir = t::freshDir("safe_save_every_line");
    Loaded l;
    load(l, dir, modelText(2, 3));
    ASSERT_TRUE(l.ok);
    const std::string path = dir + "/model.vek";
    const std::string previous = "Version 1.12\nprevious contents, kept byte for byte\r\n";
    t::writeFile(path, previous);
    const int lines = savedLineCount(l.doc);
    ASSERT_GT(lines, 20);
    l.doc.setModified(true);
    for (int failAt = 1; failAt <= lines; ++failAt) {
        vek::SaveInputOptions o;
        o.beforeLine = [failAt](int line) { return line != failAt; };
        l.prompter.messages.clear();
        EXPECT_FALSE(vek::SaveInput(l.doc, l.prompter, path, o)) << "line " << failAt;
        EXPECT_EQ(t::readFile(path), previous) << "line " << failAt;
        ASSERT_EQ(l.prompter.messages.size(), 1u);
        EXPECT_EQ(l.prompter.messages[0].substr(0, l.prompter.messages[0].find('\n')),
                  "SaveInput: Unable to write VEK input file " + path);
        EXPECT_EQ(entriesIn(dir), 2u) << "line " << failAt; // in.vek and model.vek only
    }
    EXPECT_TRUE(l.doc.isModified());
}

// A real write failure, not an injected one: the file size limit makes the
// system refuse the bytes past it, as a full disk would.
TEST(SafeSave, FullFileSystemKeepsThePreviousFile) {
    const std::string dir = t::freshDir("safe_save_full");
    Loaded l;
    load(l, dir, modelText(40, 30));
    ASSERT_TRUE(l.ok);
    const std::string path = dir + "/model.vek";
    const std::string previous = modelText(1, 1);
    t::writeFile(path, previous);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16 * 1024; // the model's file is several times larger
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    l.doc.setModified(true);
    const bool saved_ok = l.doc.save(path, l.prompter);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(t::readFile(path), previous);
    ASSERT_FALSE(l.prompter.messages.empty());
    EXPECT_EQ(l.prompter.messages.back(), "SaveInput: Unable to write VEK input file " + path + "\nUnable to write " +
                                              path + ": " + std::generic_category().message(EFBIG) +
                                              ".  The model was not saved; choose another name with Save As.");
    EXPECT_TRUE(l.doc.isModified());
    EXPECT_EQ(entriesIn(dir), 2u);
    // With room again the same document saves and reads back whole.
    ASSERT_TRUE(l.doc.save(path, l.prompter));
    Loaded back;
    load(back, dir, t::readFile(path));
    EXPECT_TRUE(back.ok);
    EXPECT_EQ(back.doc.model.locations.size(), 40u);
}

// Places that cannot take the file: each gets a message and changes nothing.
TEST(SafeSave, UnwritablePlaces) {
    const std::string dir = t::freshDir("safe_save_places");
    Loaded l;
    load(l, dir, modelText(1, 2));
    ASSERT_TRUE(l.ok);

    // A folder of that name: refused, and said so.
    fs::create_directories(dir + "/folder.vek/inside");
    EXPECT_FALSE(vek::SaveInput(l.doc, l.prompter, dir + "/folder.vek"));
    EXPECT_EQ(l.prompter.messages.back(), "SaveInput: Unable to open VEK input file " + dir +
                                              "/folder.vek\nUnable to write " + dir +
                                              "/folder.vek: it is a folder.  The model was not saved; choose "
                                              "another name with Save As.");
    EXPECT_TRUE(fs::is_directory(dir + "/folder.vek/inside"));

    // A missing folder, and a file standing where a folder should be.
    t::writeFile(dir + "/plain", "x");
    for (const std::string &p : {dir + "/missing/model.vek", dir + "/plain/model.vek"}) {
        EXPECT_FALSE(vek::SaveInput(l.doc, l.prompter, p));
        EXPECT_EQ(l.prompter.messages.back().substr(0, l.prompter.messages.back().find('\n')),
                  "SaveInput: Unable to open VEK input file " + p);
    }
    EXPECT_EQ(t::readFile(dir + "/plain"), "x");
    EXPECT_EQ(entriesIn(dir), 3u); // in.vek, folder.vek, plain

    // A folder the user may not write to (permissions do not bind root).
    if (geteuid() != 0) {
        fs::create_directories(dir + "/locked");
        t::writeFile(dir + "/locked/model.vek", "old\n");
        fs::permissions(dir + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(vek::SaveInput(l.doc, l.prompter, dir + "/locked/model.vek"));
        fs::permissions(dir + "/locked", fs::perms::owner_all);
        EXPECT_EQ(t::readFile(dir + "/locked/model.vek"), "old\n");
    }
}

// Saving through a symbolic link updates the file it names and keeps the
// link; the file keeps its permissions.
TEST(SafeSave, LinkAndPermissionsKept) {
    const std::string dir = t::freshDir("safe_save_link");
    Loaded l;
    load(l, dir, modelText(1, 2));
    ASSERT_TRUE(l.ok);
    fs::create_directories(dir + "/shared");
    const std::string real = dir + "/shared/model.vek";
    t::writeFile(real, "old\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("shared/model.vek", dir + "/link.vek");

    ASSERT_TRUE(vek::SaveInput(l.doc, l.prompter, dir + "/link.vek"));
    EXPECT_TRUE(fs::is_symlink(dir + "/link.vek"));
    ASSERT_TRUE(vek::SaveInput(l.doc, l.prompter, dir + "/plain.vek"));
    EXPECT_EQ(t::readFile(real), t::readFile(dir + "/plain.vek"));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entriesIn(dir + "/shared"), 1u);
}

// Numbers no float can hold, or that are no numbers, count as missing: the
// row is short and the reader says so instead of keeping an infinity the
// engine would refuse later. Tiny magnitudes read as the nearest float.
TEST(ReaderLimits, NonFiniteValuesAreRefused) {
    const std::string dir = t::freshDir("reader_limits_nonfinite");
    const std::string head = "Version 1.12\n1990 1990 0 1990 1990 1 0 4 0 0 1 1 0\n120 -1 1\nWell\n";
    const std::string third = "Wrong number of values read for third data card.  Expected 12 flow values.  Line is: ";
    struct Row {
        const char *value;
        bool ok;
    } rows[] = {{"1e39", false},      {"-1e39", false}, {"nan", false},  {"inf", false},
                {"-infinity", false}, {"1e-50", true},  {"3.4e38", true}};
    for (const Row &r : rows) {
        const std::string line = std::string(r.value) + " 2 3 4 5 6 7 8 9 10 11 12\n";
        Loaded l;
        load(l, dir, head + line + "Well\n0 1\n1 1 1 1 1 1 1 1 1 1 1 1\n" + kRow + "\n");
        EXPECT_EQ(l.ok, r.ok) << r.value;
        if (r.ok) {
            EXPECT_TRUE(std::isfinite(l.doc.model.locations.at(0).historicalData[0][0])) << r.value;
        } else {
            ASSERT_EQ(l.prompter.messages.size(), 1u) << r.value;
            // The quoted line, then which location, year and value, in plain words.
            EXPECT_EQ(l.prompter.messages[0],
                      third + line + "Location 1 (Well), historical year 1990, line 5: the text \"" + r.value +
                          "\" of month 1 is not a number a model can use.  Each line "
                          "holds 12 monthly numbers.  Correct it in a text editor and "
                          "open the file again.");
        }
    }
    // The same in a pumping row.
    Loaded l;
    load(l, dir, head + kRow + "\nWell\n0 1\n1 1 1 1 1 1 1 1 1 1 1 1\n1 2 nan 4 5 6 7 8 9 10 11 12\n");
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.prompter.messages, std::vector<std::string>{"Parse error reading flows for well#0, year 0"});
}

// A name of one megabyte is one record: it is kept whole, the records after
// it stay in step, and it survives a save.
TEST(ReaderLimits, MegabyteNameStaysOneRecord) {
    const std::string dir = t::freshDir("reader_limits_long_name");
    const std::string name(1 << 20, 'N');
    Loaded l;
    load(l, dir, modelText(2, 2, name));
    ASSERT_TRUE(l.ok) << (l.prompter.messages.empty() ? "" : l.prompter.messages[0].substr(0, 200));
    ASSERT_EQ(l.doc.model.locations.size(), 2u);
    EXPECT_EQ(l.doc.model.locations[1].name, name);
    EXPECT_EQ(l.doc.model.locations[1].historicalData[11][1], 12.0f);
    ASSERT_TRUE(vek::SaveInput(l.doc, l.prompter, dir + "/saved.vek"));
    Loaded back;
    load(back, dir, t::readFile(dir + "/saved.vek"));
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.doc.model.locations[0].name, name);
}

// What the readers refuse cannot be set, and a line they would refuse is
// never saved: a name one byte over its limit is refused where one at it is
// taken, and a name put into the model behind the setters' back stops the
// save with a message, the earlier file kept.
TEST(ReaderLimits, WhatTheReadersRefuseIsNeitherSetNorSaved) {
    const std::string dir = t::freshDir("reader_limits_set");
    Loaded l;
    load(l, dir, modelText(1, 1));
    ASSERT_TRUE(l.ok);
    const std::string atLimit(vek::kMostLocationNameBytes, 'N');
    EXPECT_FALSE(l.doc.setLocationName(0, atLimit + "N"));
    EXPECT_FALSE(l.doc.setLocationName(0, "two\nlines"));
    EXPECT_EQ(l.doc.model.locations[0].name, "Well");
    EXPECT_TRUE(l.doc.setLocationName(0, atLimit));

    const std::string label(vek::kMostLabelBytes, 'R');
    EXPECT_FALSE(vek::addReach(l.doc.model, vek::StreamReach{label + "R", {}}));
    EXPECT_TRUE(vek::addReach(l.doc.model, vek::StreamReach{label, {}}));
    EXPECT_FALSE(vek::renameReach(l.doc.model, 0, label + "R"));
    EXPECT_NE(vek::finiteProblem(std::nan(""), "T"), "");
    EXPECT_EQ(vek::finiteProblem(1.0e30, "T"), "");

    ASSERT_TRUE(vek::SaveInput(l.doc, l.prompter, dir + "/saved.vek"));
    Loaded back;
    load(back, dir, t::readFile(dir + "/saved.vek"));
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.doc.model.locations[0].name, atLimit);

    l.doc.model.locations[0].name = atLimit + "N";
    const std::string before = t::readFile(dir + "/saved.vek");
    EXPECT_FALSE(vek::SaveInput(l.doc, l.prompter, dir + "/saved.vek"));
    ASSERT_FALSE(l.prompter.messages.empty());
    EXPECT_NE(l.prompter.messages.back().find("line 4 would be 1048577 bytes long"), std::string::npos)
        << l.prompter.messages.back().substr(0, 300);
    EXPECT_EQ(t::readFile(dir + "/saved.vek"), before);
    EXPECT_EQ(entriesIn(dir), 2u);
}

// A line of more than 1 MiB stops the reader with a message naming it; a
// megabyte name (above) is the longest that reads. A file without line ends
// is refused at its first megabyte instead of being read to its end.
TEST(ReaderLimits, LinesLongerThanAMebibyteAreRefused) {
    const std::string dir = t::freshDir("reader_limits_line_cap");
    for (const char *end : {"\n", "\r\n"}) {
        std::string text = modelText(1, 1, std::string((1 << 20) + 1, 'N'));
        text.replace(text.find("\n", text.find("NNN")), 1, end);
        Loaded l;
        load(l, dir, text);
        EXPECT_FALSE(l.ok);
        ASSERT_EQ(l.prompter.messages.size(), 1u);
        EXPECT_EQ(l.prompter.messages[0], "ReadInput: Line 4 of " + dir +
                                              "/in.vek is longer than 1 MiB (1048576 "
                                              "bytes); no line of a model input file is that long, and the file is not "
                                              "read.");
    }
    ScriptedPrompter p;
    ModelDocument doc;
    EXPECT_FALSE(vek::ReadInput(doc, p, "/dev/zero"));
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].rfind("ReadInput: Line 1 of /dev/zero is longer than 1 MiB", 0), 0u) << p.messages[0];
}

// Counts no file can mean are refused with the field they stand in, before a
// location is made: once they gave a model without locations or rows that
// every program took, and the engine ran on to an all-zero report.
TEST(ReaderLimits, MeaninglessCountsAreRefused) {
    const std::string dir = t::freshDir("reader_limits_meaningless");
    struct Row {
        const char *from, *to, *field, *message;
    } rows[] = {
        {"1990 1990 0 1990 1990 1 ", "1990 1990 0 1990 1990 -2 ", "nwells",
         "nwells -2: the number of locations cannot be negative"},
        {"1990 1990 0 1990 1990 1 ", "1991 1990 1 1991 1991 1 ", "inputStartYear",
         "inputStartYear 1991 after inputEndYear 1990: the first historical year cannot come after the last"},
        {"1990 1990 0 1990 1990 1 ", "1990 1990 -1 1990 1990 1 ", "noOfSimulationYears",
         "noOfSimulationYears -1: the number of synthesized years cannot be negative"},
    };
    for (const Row &r : rows) {
        std::string text = modelText(1, 1);
        text.replace(text.find(r.from), std::string(r.from).size(), r.to);
        t::writeFile(dir + "/in.vek", text);
        vek::ModelInput m;
        const vek::OperationResult res = vek::readModelInput(m, dir + "/in.vek");
        ASSERT_FALSE(res.ok()) << r.field;
        EXPECT_EQ(res.error->field, r.field);
        EXPECT_EQ(res.error->message.rfind(
                      "ReadInput: The first data card gives " + std::string(r.message) + ".  Line is: " + r.to, 0),
                  0u)
            << res.error->message;
        EXPECT_TRUE(m.locations.empty()) << r.field;
    }
}

// One hundred thousand locations read, save and read back exactly.
TEST(ReaderLimits, HundredThousandLocations) {
    const std::string dir = t::freshDir("reader_limits_many");
    Loaded l;
    load(l, dir, modelText(100000, 1));
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(l.doc.model.locations.size(), 100000u);
    EXPECT_EQ(l.doc.model.locations.back().historicalData[5][0], 6.0f);
    ASSERT_TRUE(vek::SaveInput(l.doc, l.prompter, dir + "/saved.vek"));
    Loaded back;
    load(back, dir, t::readFile(dir + "/saved.vek"));
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.doc.model.locations.size(), 100000u);
    ASSERT_TRUE(vek::SaveInput(back.doc, back.prompter, dir + "/again.vek"));
    EXPECT_EQ(t::readFile(dir + "/again.vek"), t::readFile(dir + "/saved.vek"));
}

// A first card asking for billions of locations is refused before anything
// is allocated when the file could never hold them, whatever the format and
// even when the locations have no years.
TEST(ReaderLimits, AbsurdLocationCountsAreRefused) {
    const std::string dir = t::freshDir("reader_limits_counts");
    struct Row {
        const char *text;
        bool oldFormat;
    } rows[] = {
        {"Version 1.12\n1 0 2000000000 1 2 2000000000 0 4 0 0 1 1 0\n1 -1 1\nx\n", true},
        {"Version 1.12\n0 0 0 0 0 2000000000 0 4 0 0 1 1 0\n1 -1 1\nx\n", false},
        {"Version 1.12\n1990 1990 0 1990 1990 2000000000 0 4 0 0 1 1 0\n1 -1 1\nx\n", false},
        {"1999 0 1999 19991999 0 199919 99 4 0 0 1 0 2\n", true}, // 200 000 wells from one line
    };
    for (const Row &r : rows) {
        t::writeFile(dir + "/in.vek", r.text);
        ScriptedPrompter p;
        ModelDocument doc;
        EXPECT_FALSE(vek::ReadInput(doc, p, dir + "/in.vek", r.oldFormat)) << r.text;
        ASSERT_EQ(p.messages.size(), 1u) << r.text;
        EXPECT_EQ(p.messages[0].rfind("ReadInput: The first data card asks for more wells and years than the file "
                                      "holds.  Line is: ",
                                      0),
                  0u);
        EXPECT_TRUE(doc.model.locations.empty());
    }
}

// Imports whose last year has no year after it (the synthesized period would
// start there) are refused with the period message instead of overflowing.
TEST(ReaderLimits, ImportsEndingInTheLastRepresentableYear) {
    const std::string dir = t::freshDir("reader_limits_import_years");
    const std::string area = "2 Well(s) in SubArea North Fork\nskip\nhead 1\nhead 2\nskip\n";
    t::writeFile(dir + "/wells.owl",
                 area + "2147483647 1 1 1 2 3 4 5 6 7 8 9 10 11 12 78\n" + std::string(44, '-') + "\n");
    t::writeFile(dir + "/wells.txt", "2147483647 2147483647\nWell A\t1\t0\n2147483647 1 2 3 4 5 6 7 8 9 10 11 12\n");
    const std::string tail = "; at most 2000 years can be imported.";
    {
        vek::ModelInput m;
        const vek::OperationResult r = vek::importWendraFile(m, dir + "/wells.owl", vek::SoilMoisture::Without);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error->message, "The years of " + dir + "/wells.owl run from 2147483647 to 2147483647" + tail);
        EXPECT_TRUE(m.locations.empty());
    }
    {
        vek::ModelInput m;
        const vek::OperationResult r = vek::importTabDelimited(m, dir + "/wells.txt", 1, 1);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error->message, "The years of " + dir + "/wells.txt run from 2147483647 to 2147483647" + tail);
        EXPECT_TRUE(m.locations.empty());
    }
}

} // namespace
