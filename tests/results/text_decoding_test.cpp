// The one decoding of report text: valid UTF-8 kept, a character cut at the
// end of a full field dropped, every other byte a Windows-1252 character.
#include "results/text_decoding.h"

#include <gtest/gtest.h>

using vek::decodeReportText;

TEST(TextDecoding, EachKindOfByte) {
    const struct {
        const char *bytes;
        bool full; // the text filled its field
        const char *utf8;
    } rows[] = {
        {"Well 7", false, "Well 7"},
        {"Pozo de la Se\xC3\xB1ora \xE2\x82\xAC \xF0\x9F\x92\xA7", false,
         "Pozo de la Se\xC3\xB1ora \xE2\x82\xAC \xF0\x9F\x92\xA7"},
        // Windows-1252: Latin-1 above 0x9F, its own characters below.
        {"Se\xF1ora", false, "Se\xC3\xB1ora"},
        {"\x80 \x85 \x93q\x94 \x9F", false, "\xE2\x82\xAC \xE2\x80\xA6 \xE2\x80\x9Cq\xE2\x80\x9D \xC5\xB8"},
        // The five bytes it leaves undefined.
        {"\x81\x8D\x8F\x90\x9D", false, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        // A character cut at the end of a full field is dropped; in a text
        // that ended on its own its bytes are Windows-1252 (a name ending in
        // a Windows-1252 "é" keeps it).
        {"Pozo \xE2\x82", true, "Pozo "},
        {"Pozo \xC3", true, "Pozo "},
        {"Caf\xE9", true, "Caf"},
        {"Caf\xE9", false, "Caf\xC3\xA9"},
        {"Pozo \xE2\x82", false, "Pozo \xC3\xA2\xE2\x80\x9A"},
        // Not cut at the end: a broken sequence inside, overlong forms,
        // surrogates and code points beyond U+10FFFF are no UTF-8.
        {"\xE2\x82 x", true, "\xC3\xA2\xE2\x80\x9A x"},
        {"\xC0\xAF", false, "\xC3\x80\xC2\xAF"},
        {"\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"\xF4\x90\x80\x80", false, "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},
        {"\xF0\x9F\x92", true, ""},
        {"", true, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bytes);
        const std::string got = decodeReportText(row.bytes, row.full);
        EXPECT_EQ(got, row.utf8);
        EXPECT_EQ(decodeReportText(got, row.full), got) << "decoding twice changes nothing";
    }
}
