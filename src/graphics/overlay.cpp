#include "graphics/overlay.h"

void draw_text(const char* text, int font) {}
void begin_overlay() {}
void end_overlay() {}
void set_white_alpha(float alpha) {}
void celestial_vertex(float ra, float dec) {}
void celestial_point(float ra, float dec, float size) {}
void ripple_vertex(float radius, float angle, float z) {}
