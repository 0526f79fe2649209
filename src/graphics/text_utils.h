// Text for the panels: UTF-8 names as the fonts' Latin-1 glyphs, lines cut
// to their buffer, and the time of day. No drawing here.
#pragma once

#include <cstddef>
#include <string>

// The glyph codes draw_text passes to the font for a UTF-8 text: characters
// U+0001..U+00FF as their Latin-1 code, any other character and every
// malformed sequence as '?'.
std::string latin1_glyphs(const char* utf8);

// snprintf into a line buffer, cut to fit; a cut never leaves half a UTF-8
// character at the end.
void format_line(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Whole seconds since 0h UTC of the day of `t` (seconds since 1970 UTC),
// 0..86399; computed without a 32-bit limit, so it holds past 2038.
int seconds_into_day(double t);
