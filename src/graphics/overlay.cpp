#include "graphics/overlay.h"

#include <GL/gl.h>

#include "sky/sky_clock.h"

void draw_text(const char* text, int font) {}
void begin_overlay() {}
void end_overlay() {}
void set_white_alpha(float alpha) {}

void celestial_vertex(float ra, float dec) { sky_vertex(ra, dec, sky_radius); }

void celestial_point(float ra, float dec, float size) {
    glPointSize(size);
    glBegin(GL_POINTS);
    celestial_vertex(ra, dec);
    glEnd();
}

void ripple_vertex(float radius, float angle, float z) {}
