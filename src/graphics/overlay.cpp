// Bitmap text, the 2-D overlay space and the small vertex routines.
#include "graphics/overlay.h"

#include <GL/freeglut.h>

#include <cmath>

#include "graphics/glyph_atlas.h"
#include "graphics/text_utils.h"
#include "graphics/view_state.h"
#include "sky/sky_clock.h"
#include "sky/sky_math.h"

namespace {

// The ids 5 and 7 are the fonts' numbers on Windows; freeglut on other
// systems knows its fonts only by these addresses.
void* glut_font(int font) {
    switch (font) {
    case title_font: return GLUT_BITMAP_TIMES_ROMAN_24;
    case panel_font: return GLUT_BITMAP_HELVETICA_12;
    default: return nullptr;
    }
}

}  // namespace

void draw_text(const char* text, int font) {
    void* glut = glut_font(font);
    if (!glut) return;
    std::string glyphs = latin1_glyphs(text);
    if (draw_glyphs_from_atlas(glut, glyphs)) return;
    for (unsigned char c : glyphs) glutBitmapCharacter(glut, c);
}

int text_width(const char* text, int font) {
    void* glut = glut_font(font);
    if (!glut) return 0;
    std::string glyphs = latin1_glyphs(text);
    return glutBitmapLength(glut, reinterpret_cast<const unsigned char*>(glyphs.c_str()));
}

void begin_overlay() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
}

void end_overlay() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void set_white_alpha(float alpha) {
    if (alpha < 0) {
        glDisable(GL_BLEND);
        glColor4f(1, 1, 1, 1);
    } else {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glColor4f(1, 1, 1, alpha);
    }
}


// On a circle about the overlay's top-left corner; the aspect keeps it round
// on the screen.
void ripple_vertex(float radius, float angle, float z) {
    double a = radians(angle);
    glVertex3f((float)(cos(a) * radius), (float)(1.0 - sin(a) * radius * aspect_ratio), z);
}
