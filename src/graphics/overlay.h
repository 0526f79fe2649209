// The small drawing routines the rest of the graphics share: bitmap text,
// the 2-D overlay space, white with an opacity, vertices on the sky sphere.
#pragma once

#include <string>

// Font ids as the program passes them; mapped to freeglut's fonts.
const int title_font = 5;    // Times Roman 24
const int panel_font = 7;    // Helvetica 12

void draw_text(const char* text, int font);
void begin_overlay();
void end_overlay();
void set_white_alpha(float alpha);
void celestial_vertex(float ra, float dec);
void ripple_vertex(float radius, float angle, float z);

// The glyph codes draw_text passes to the font for a UTF-8 text: characters
// U+0001..U+00FF as their Latin-1 code, any other character and every
// malformed sequence as '?'.
std::string latin1_glyphs(const char* utf8);
