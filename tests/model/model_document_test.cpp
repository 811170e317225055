// Structural operations of the model document: where inserted locations go,
// how years are added and removed at either end, the stale-synthesis flag
// and the synthesized-year count.
#include "model/model_document.h"
#include "model/synthesis.h"

#include <gtest/gtest.h>

using vek::Location;
using vek::ModelDocument;

namespace {

// A document with historical years 2000..2003, synthesized 2004..2005 and
// `n` locations named L0.., whose historical entry k of month m is
// 100*k + m (and the pumping columns the same), synthesized 1000*k + m.
ModelDocument makeDoc(int n) {
    ModelDocument d;
    d.model.inputStartYear = 2000;
    d.model.inputEndYear = 2003;
    d.model.synthStartYear = 2004;
    d.model.synthEndYear = 2005;
    d.resetLocations(n);
    for (int i = 0; i < n; ++i) {
        Location &l = d.model.locations[i];
        l.name = "L" + std::to_string(i);
        l.UsePumpingRecord = 1;
        for (int m = 0; m < 12; ++m) {
            for (int k = 0; k < 4; ++k)
                l.historicalData[m][k] = l.pumpingFlow[m][k] = float(100 * k + m);
            for (int k = 0; k < 2; ++k)
                l.synthesizedData[m][k] = float(1000 * k + m);
        }
    }
    d.setModified(false);
    return d;
}

std::string names(const ModelDocument &d) {
    std::string s;
    for (const auto &l : d.model.locations)
        s += l.name + ",";
    return s;
}

void expectColumns(const ModelDocument &d, size_t hist, size_t synth) {
    for (const auto &l : d.model.locations)
        for (int m = 0; m < 12; ++m) {
            EXPECT_EQ(l.historicalData[m].size(), hist);
            EXPECT_EQ(l.pumpingFlow[m].size(), hist);
            EXPECT_EQ(l.daysOn[m].size(), hist);
            EXPECT_EQ(l.synthesizedData[m].size(), synth);
        }
}

} // namespace

TEST(ModelDocument, NewDocumentHasNoYearsAndInsertMakesEmptyColumns) {
    ModelDocument d;
    EXPECT_EQ(d.model.historicalYears(), 0);
    EXPECT_EQ(d.model.synthesizedYears(), 0);
    d.insertLocations(0, 2);
    ASSERT_EQ(d.model.locations.size(), 2u);
    expectColumns(d, 0, 0);
    EXPECT_EQ(d.model.locations[0].name, "<none>");
    EXPECT_TRUE(d.isModified());
    EXPECT_FALSE(d.historicalDataChanged);
}

TEST(ModelDocument, ResetLocationsSizesColumnsAndDaysOnIsOne) {
    ModelDocument d = makeDoc(0);
    d.resetLocations(3);
    ASSERT_EQ(d.model.locations.size(), 3u);
    expectColumns(d, 4, 2);
    EXPECT_EQ(d.model.locations[2].daysOn[11][3], 1.0f);
    EXPECT_EQ(d.model.locations[2].historicalData[11][3], 0.0f);
}

TEST(ModelDocument, InsertPositions) {
    struct Row {
        int size, index, count;
        const char *expect;
    } rows[] = {
        {1, 0, 1, "<none>,L0,"}, // index 0 of a one-element list: first
        {2, 1, 1, "L0,L1,<none>,"},
        {3, 2, 1, "L0,L1,L2,<none>,"},        // last index: after it
        {3, 0, 2, "<none>,<none>,L0,L1,L2,"}, // valid index: before it
        {3, 1, 1, "L0,<none>,L1,L2,"},
        {3, -1, 1, "L0,L1,L2,<none>,"}, // outside: at the end
        {3, 7, 1, "L0,L1,L2,<none>,"},
        {3, 1, 0, "L0,L1,L2,"}, // nothing inserted
        {0, 0, 1, "<none>,"},
    };
    for (const auto &r : rows) {
        ModelDocument d = makeDoc(r.size);
        d.insertLocations(r.index, r.count);
        EXPECT_EQ(names(d), r.expect) << "size " << r.size << " index " << r.index << " count " << r.count;
        expectColumns(d, 4, 2);
        // New locations: zero tables, days on 0 as well.
        for (const auto &l : d.model.locations)
            if (l.name == "<none>") {
                EXPECT_EQ(l.daysOn[0][0], 0.0f);
                EXPECT_EQ(l.historicalData[5][3], 0.0f);
            }
    }
}

TEST(ModelDocument, InsertSetsStaleFlagOnlyWhenSynthesizedYearsExist) {
    ModelDocument d = makeDoc(1);
    d.insertLocations(0, 0);
    EXPECT_TRUE(d.historicalDataChanged); // set even when nothing was inserted
    d.clearSynthesizedYears();
    d.historicalDataChanged = true;
    d.insertLocations(0, 1);
    EXPECT_FALSE(d.historicalDataChanged);
}

TEST(ModelDocument, DeleteLocationsStopsAtTheEnd) {
    struct Row {
        int index, count;
        const char *expect;
    } rows[] = {{1, 1, "L0,L2,L3,"},    {1, 2, "L0,L3,"},        {2, 5, "L0,L1,"},
                {4, 1, "L0,L1,L2,L3,"}, {-1, 1, "L0,L1,L2,L3,"}, {0, 4, ""}};
    for (const auto &r : rows) {
        ModelDocument d = makeDoc(4);
        d.deleteLocations(r.index, r.count);
        EXPECT_EQ(names(d), r.expect) << r.index << "," << r.count;
    }
}

TEST(ModelDocument, AddHistoricalYearAtStartShiftsEntriesAndClearsPumpingRecordUse) {
    ModelDocument d = makeDoc(2);
    ASSERT_TRUE(d.addHistoricalYear(0, false));
    EXPECT_EQ(d.model.inputStartYear, 1999);
    EXPECT_EQ(d.model.inputEndYear, 2003);
    EXPECT_EQ(d.model.synthStartYear, 2004);
    expectColumns(d, 5, 2);
    for (const auto &l : d.model.locations) {
        EXPECT_EQ(l.UsePumpingRecord, 0);
        EXPECT_EQ(l.historicalData[3][0], 0.0f);
        EXPECT_EQ(l.historicalData[3][1], 3.0f);
        EXPECT_EQ(l.pumpingFlow[3][4], 303.0f);
        EXPECT_EQ(l.daysOn[3][0], 0.0f);
    }
    EXPECT_TRUE(d.isModified());
}

TEST(ModelDocument, AddHistoricalYearAtEndOrInside) {
    struct Row {
        int offset;
        bool atEnd;
        int zeroAt; // where the new 0 entry lands
    } rows[] = {{3, true, 4}, {3, false, 4}, {9, false, 4}, {1, false, 1}, {2, true, 2}, {0, true, 0}};
    for (const auto &r : rows) {
        ModelDocument d = makeDoc(1);
        ASSERT_TRUE(d.addHistoricalYear(r.offset, r.atEnd));
        EXPECT_EQ(d.model.inputStartYear, 2000);
        EXPECT_EQ(d.model.inputEndYear, 2004);
        EXPECT_EQ(d.model.synthStartYear, 2005);
        EXPECT_EQ(d.model.synthEndYear, 2006);
        expectColumns(d, 5, 2);
        const auto &col = d.model.locations[0].historicalData[0];
        std::vector<float> expect{0, 100, 200, 300};
        expect.insert(expect.begin() + r.zeroAt, 0.0f);
        EXPECT_EQ(col, expect) << "offset " << r.offset << " atEnd " << r.atEnd;
    }
}

TEST(ModelDocument, DeleteHistoricalYearAtEitherEnd) {
    ModelDocument d = makeDoc(1);
    d.deleteHistoricalYear(0);
    EXPECT_EQ(d.model.inputStartYear, 2001);
    EXPECT_EQ(d.model.inputEndYear, 2003);
    EXPECT_EQ(d.model.synthStartYear, 2004);
    EXPECT_EQ(d.model.locations[0].historicalData[1], (std::vector<float>{101, 201, 301}));
    d.deleteHistoricalYear(1);
    EXPECT_EQ(d.model.inputStartYear, 2001);
    EXPECT_EQ(d.model.inputEndYear, 2002);
    EXPECT_EQ(d.model.synthStartYear, 2003);
    EXPECT_EQ(d.model.synthEndYear, 2004);
    EXPECT_EQ(d.model.locations[0].historicalData[1], (std::vector<float>{101, 301}));
    EXPECT_EQ(d.model.locations[0].pumpingFlow[1], (std::vector<float>{101, 301}));
    expectColumns(d, 2, 2);
    // Offsets outside the period change nothing.
    d.deleteHistoricalYear(2);
    d.deleteHistoricalYear(-1);
    EXPECT_EQ(d.model.historicalYears(), 2);
    expectColumns(d, 2, 2);
}

TEST(ModelDocument, DeleteHistoricalYearStaleFlagFollowsSynthesisParameters) {
    struct Row {
        int offset;
        bool before, after;
    } rows[] = {{3, false, true}, {2, false, true}, {1, false, false}, {0, false, false}, {1, true, true}};
    for (const auto &r : rows) {
        ModelDocument d = makeDoc(1);
        d.addHistoricalYear(3, true);
        d.addHistoricalYear(4, true);
        d.addHistoricalYear(5, true);
        d.addHistoricalYear(6, true); // 2000..2007
        d.model.projYearStart = 2;
        d.model.projYearEnd = 5;
        d.historicalDataChanged = r.before;
        d.deleteHistoricalYear(r.offset);
        EXPECT_EQ(d.historicalDataChanged, r.after) << r.offset;
    }
    ModelDocument d = makeDoc(1);
    for (int i = 0; i < 4; ++i)
        d.addHistoricalYear(3 + i, true);
    d.model.projYearStart = 2;
    d.model.projYearEnd = 5;
    d.deleteHistoricalYear(7);
    EXPECT_FALSE(d.historicalDataChanged);
}

TEST(ModelDocument, SynthesizedYears) {
    ModelDocument d = makeDoc(2);
    ASSERT_TRUE(d.addSynthesizedYear());
    EXPECT_EQ(d.model.synthEndYear, 2006);
    expectColumns(d, 4, 3);
    d.deleteSynthesizedYear(0);
    EXPECT_EQ(d.model.synthStartYear, 2005);
    EXPECT_EQ(d.model.locations[0].synthesizedData[2], (std::vector<float>{1002, 0}));
    d.deleteSynthesizedYear(99); // limited to the last offset
    EXPECT_EQ(d.model.synthEndYear, 2005);
    EXPECT_EQ(d.model.locations[0].synthesizedData[2], (std::vector<float>{1002}));

    d = makeDoc(2);
    EXPECT_FALSE(d.setSynthesizedYearCount(2));
    EXPECT_FALSE(d.isModified());
    EXPECT_TRUE(d.setSynthesizedYearCount(5));
    EXPECT_EQ(d.model.synthStartYear, 2004);
    EXPECT_EQ(d.model.synthEndYear, 2008);
    expectColumns(d, 4, 5);
    EXPECT_EQ(d.model.locations[1].synthesizedData[0][1], 1000.0f);
    EXPECT_TRUE(d.setSynthesizedYearCount(1));
    EXPECT_EQ(d.model.synthEndYear, 2004);
    EXPECT_EQ(d.model.locations[1].synthesizedData[0], (std::vector<float>{0.0f}));
    EXPECT_TRUE(d.setSynthesizedYearCount(0));
    EXPECT_EQ(d.model.synthStartYear, 2004);
    EXPECT_EQ(d.model.synthEndYear, 2003);
    expectColumns(d, 4, 0);
    // After clearing, adding starts right after the historical years.
    EXPECT_TRUE(d.setSynthesizedYearCount(2));
    EXPECT_EQ(d.model.synthStartYear, 2004);
    EXPECT_EQ(d.model.synthEndYear, 2005);
    expectColumns(d, 4, 2);
}

// Without historical years a synthesized period cannot describe its columns
// (a start of 0 would hide them), so the count stays as it is.
TEST(ModelDocument, SynthesizedYearsNeedHistoricalYears) {
    struct Row {
        int start, end;
    } rows[] = {{0, -1}, {0, 0}, {2000, 1999}};
    for (const auto &r : rows) {
        ModelDocument d;
        d.model.inputStartYear = r.start;
        d.model.inputEndYear = r.end;
        d.model.synthStartYear = r.end + 1;
        d.model.synthEndYear = r.end;
        d.insertLocations(0, 1);
        EXPECT_FALSE(d.addSynthesizedYear());
        EXPECT_FALSE(d.setSynthesizedYearCount(3));
        EXPECT_EQ(d.model.synthesizedYears(), 0);
        expectColumns(d, size_t(d.model.historicalYears()), 0);
    }
    // A new document has start and end 0 and -1: one year added at the end
    // would make both 0, a period without years.
    ModelDocument d;
    d.insertLocations(0, 1);
    EXPECT_FALSE(d.addHistoricalYear(0, true));
    expectColumns(d, 0, 0);
    // The way the form starts a period: start and end set first.
    d.model.inputStartYear = 1990;
    d.model.inputEndYear = 1989;
    d.model.synthStartYear = 1990;
    d.model.synthEndYear = 1989;
    EXPECT_TRUE(d.addHistoricalYear(0, true));
    EXPECT_EQ(d.model.historicalYears(), 1);
    EXPECT_TRUE(d.setSynthesizedYearCount(2));
    EXPECT_EQ(d.model.synthStartYear, 1991);
    EXPECT_EQ(d.model.synthEndYear, 1992);
    expectColumns(d, 1, 2);
}

// The cell-edit rules: which historical years make the synthesized ones
// stale under each recorded method, when a synthesized edit counts, and that
// an edit which changes nothing leaves the document unmodified.
TEST(ModelDocumentCellEdits, HistoricalEditMarksStaleOnlyWithinTheMethodsSourceYears) {
    struct Case {
        int format, projStart, projEnd;
        int year;
        bool stale;
    };
    const Case cases[] = {
        {vek::SynthesizedAverage, 1, 2, 0, false},     {vek::SynthesizedAverage, 1, 2, 1, true},
        {vek::SynthesizedAverage, 1, 2, 2, true},      {vek::SynthesizedAverage, 1, 2, 3, false},
        {vek::SynthesizedGivenYear, 2, 0, 2, true},    {vek::SynthesizedGivenYear, 2, 0, 3, false},
        {vek::SynthesizedCycle, 1, 2, 3, true},        {vek::SynthesizedCycle, 1, 1, 3, false},
        {vek::SynthesizedUserDefined, 0, 3, 0, false},
    };
    for (const Case &c : cases) {
        ModelDocument d = makeDoc(2);
        d.model.synthesizeFormat = c.format;
        d.model.projYearStart = c.projStart;
        d.model.projYearEnd = c.projEnd;
        EXPECT_TRUE(d.setHistoricalValue(1, c.year, 5, -7.5f));
        EXPECT_EQ(d.model.locations[1].historicalData[5][c.year], -7.5f);
        EXPECT_EQ(d.historicalDataChanged, c.stale) << "format " << c.format << " year " << c.year;
        EXPECT_TRUE(d.isModified());
    }
    // Without synthesized years nothing can go stale.
    ModelDocument d = makeDoc(1);
    d.clearSynthesizedYears();
    d.model.synthesizeFormat = vek::SynthesizedAverage;
    d.model.projYearEnd = 3;
    EXPECT_TRUE(d.setHistoricalValue(0, 1, 0, 3.0f));
    EXPECT_FALSE(d.historicalDataChanged);
}

TEST(ModelDocumentCellEdits, UnchangedOrMissingCellsChangeNothing) {
    ModelDocument d = makeDoc(2);
    d.model.synthesizeFormat = vek::SynthesizedAverage;
    d.model.projYearEnd = 3;
    const vek::ModelInput before = d.model;
    EXPECT_FALSE(d.setHistoricalValue(0, 1, 2, 102.0f)); // the value it holds
    EXPECT_FALSE(d.setHistoricalValue(2, 0, 0, 1.0f));   // no such location
    EXPECT_FALSE(d.setHistoricalValue(0, 4, 0, 1.0f));   // no such year
    EXPECT_FALSE(d.setHistoricalValue(0, 0, 12, 1.0f));  // no such month
    EXPECT_FALSE(d.setHistoricalValue(-1, -1, -1, 1.0f));
    EXPECT_FALSE(d.setSynthesizedValue(0, 1, 3, 1003.00005f)); // within 0.0001
    EXPECT_FALSE(d.setSynthesizedValue(0, 2, 3, 1.0f));
    EXPECT_FALSE(d.setLocationName(1, "L1"));
    EXPECT_FALSE(d.setLocationName(5, "x"));
    EXPECT_FALSE(d.setLocationFactor(0, 0.0f));
    EXPECT_TRUE(d.model == before);
    EXPECT_FALSE(d.isModified());
    EXPECT_FALSE(d.historicalDataChanged);
}

TEST(ModelDocumentCellEdits, SynthesizedEditMakesTheSynthesisUserDefined) {
    ModelDocument d = makeDoc(2);
    d.model.synthesizeFormat = vek::SynthesizedCycle;
    EXPECT_TRUE(d.setSynthesizedValue(1, 1, 11, 1011.01f));
    EXPECT_EQ(d.model.locations[1].synthesizedData[11][1], 1011.01f);
    EXPECT_EQ(d.model.synthesizeFormat, vek::SynthesizedUserDefined);
    EXPECT_TRUE(d.isModified());
    EXPECT_FALSE(d.historicalDataChanged);

    EXPECT_TRUE(d.setLocationName(0, "North well"));
    EXPECT_TRUE(d.setLocationFactor(0, 42.5f));
    EXPECT_EQ(d.model.locations[0].name, "North well");
    EXPECT_EQ(d.model.locations[0].VEK, 42.5f);
}
