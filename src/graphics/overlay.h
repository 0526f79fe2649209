// The small drawing routines the rest of the graphics share: bitmap text,
// the 2-D overlay space, white with an opacity, the ripples' vertices.
#pragma once

// Font ids as the program passes them; mapped to freeglut's fonts.
const int title_font = 5;    // Times Roman 24
const int panel_font = 7;    // Helvetica 12

void draw_text(const char* text, int font);
int text_width(const char* text, int font);   // pixels the raster position advances
void begin_overlay();
void end_overlay();
void set_white_alpha(float alpha);
void ripple_vertex(float radius, float angle, float z);
