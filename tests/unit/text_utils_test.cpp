// The panels' text without a display: time of day, text decoding and line
// cutting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "graphics/text_utils.h"

TEST(PanelClock, TimeOfDayIsTakenInSixtyFourBits) {
    const double midnight = 1765152000.0;   // 2025-12-08 00:00:00 UTC
    EXPECT_EQ(seconds_into_day(midnight + 0.7), 0);
    EXPECT_EQ(seconds_into_day(midnight + 45296.9), 45296);
    EXPECT_EQ(seconds_into_day(midnight - 0.2), 86399);
    // 2038-01-19 03:14:08 UTC, one second past the 32-bit limit.
    EXPECT_EQ(seconds_into_day(2147483648.0), 3 * 3600 + 14 * 60 + 8);
    // 2040-01-01 12:34:56 UTC
    EXPECT_EQ(seconds_into_day(2208988800.0 + 45296), 45296);
    EXPECT_EQ(seconds_into_day(NAN), 0);
}

TEST(TextGlyphs, AsciiPassesUnchanged) {
    EXPECT_EQ(latin1_glyphs("User: Ann 4.87 %~"), "User: Ann 4.87 %~");
    EXPECT_EQ(latin1_glyphs(""), "");
}

TEST(TextGlyphs, Utf8LatinOneCharactersBecomeTheirGlyphs) {
    EXPECT_EQ(latin1_glyphs("Zo\xC3\xAB"), "Zo\xEB");             // Zoë
    EXPECT_EQ(latin1_glyphs("\xC3\x80\xC3\xBF\xC2\xA0"), "\xC0\xFF\xA0");
}

TEST(TextGlyphs, OtherCharactersAndMalformedBytesBecomeQuestionMarks) {
    EXPECT_EQ(latin1_glyphs("\xE6\x9D\x8E" "A"), "?A");           // a CJK character
    EXPECT_EQ(latin1_glyphs("\xF0\x9F\x98\x80"), "?");            // an emoji
    EXPECT_EQ(latin1_glyphs("\xC5\x81" "odz"), "?odz");           // U+0141
    EXPECT_EQ(latin1_glyphs("Zo\xEB"), "Zo?");                    // Latin-1, not UTF-8
    EXPECT_EQ(latin1_glyphs("\x80\xBF"), "??");                   // stray continuations
    EXPECT_EQ(latin1_glyphs("\xC0\xAB"), "??");                   // overlong
    EXPECT_EQ(latin1_glyphs("\xED\xA0\x80"), "???");              // a surrogate
    EXPECT_EQ(latin1_glyphs("\xE6\x9D"), "?");                    // cut at the end
    EXPECT_EQ(latin1_glyphs("\xE6\x9D" "B"), "?B");               // cut before ASCII
    EXPECT_EQ(latin1_glyphs("\xF8\xFF"), "??");
}

TEST(PanelLines, LongLinesAreCutToTheBufferAndNeverSplitACharacter) {
    char line[16];
    std::memset(line, '#', sizeof line);
    format_line(line, 12, "Team: %s", "abcdefghijkl");
    EXPECT_STREQ(line, "Team: abcde");
    EXPECT_EQ(line[12], '#');
    format_line(line, 12, "Team: %s", "abcd\xC3\xAB" "fgh");   // cut inside the ë
    EXPECT_STREQ(line, "Team: abcd");
    format_line(line, 12, "Team: %s", "abc\xC3\xAB" "fgh");    // ë fits whole
    EXPECT_STREQ(line, "Team: abc\xC3\xAB");
    format_line(line, 12, "%s %d.%2d", "app", 4, 87);
    EXPECT_STREQ(line, "app 4.87");
}
