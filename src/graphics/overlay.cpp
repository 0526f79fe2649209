// Bitmap text, the 2-D overlay space and the small vertex routines.
#include "graphics/overlay.h"

#include <GL/freeglut.h>

#include <cmath>

#include "graphics/frame.h"
#include "sky/sky_clock.h"

namespace {

const double pi = 3.141592653589793;

// The ids 5 and 7 are the fonts' numbers on Windows; freeglut on other
// systems knows its fonts only by these addresses.
void* glut_font(int font) {
    switch (font) {
    case title_font: return GLUT_BITMAP_TIMES_ROMAN_24;
    case panel_font: return GLUT_BITMAP_HELVETICA_12;
    default: return nullptr;
    }
}

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of a sequence from its lead byte and the allowed range of its
// second byte (which rules out overlong forms, surrogates and > U+10FFFF);
// 0 for a byte that cannot start a sequence.
int sequence_length(unsigned char lead, unsigned char* low, unsigned char* high) {
    *low = 0x80;
    *high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0) *low = 0xA0;
        if (lead == 0xED) *high = 0x9F;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0) *low = 0x90;
        if (lead == 0xF4) *high = 0x8F;
        return 4;
    }
    return 0;
}

}  // namespace

std::string latin1_glyphs(const char* utf8) {
    std::string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        unsigned char lead = *p++;
        if (lead < 0x80) {
            out += (char)lead;
            continue;
        }
        unsigned char low, high;
        int length = sequence_length(lead, &low, &high);
        if (length == 0) {
            out += '?';
            continue;
        }
        // Take continuation bytes while they fit; a sequence cut short
        // stands for one '?' and decoding resumes at the byte that broke it.
        unsigned long code = lead & (0xFF >> (length + 1));
        int taken = 1;
        while (taken < length) {
            unsigned char c = *p;
            bool fits = taken == 1 ? (c >= low && c <= high) : is_continuation(c);
            if (!fits) break;
            code = (code << 6) | (c & 0x3F);
            ++p;
            ++taken;
        }
        out += (taken == length && code <= 0xFF) ? (char)code : '?';
    }
    return out;
}

void draw_text(const char* text, int font) {
    void* glut = glut_font(font);
    if (!glut) return;
    for (unsigned char c : latin1_glyphs(text)) glutBitmapCharacter(glut, c);
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

void celestial_vertex(float ra, float dec) { sky_vertex(ra, dec, sky_radius); }

// On a circle about the overlay's top-left corner; the aspect keeps it round
// on the screen.
void ripple_vertex(float radius, float angle, float z) {
    double a = angle * 2.0 * pi / 360.0;
    glVertex3f((float)(cos(a) * radius), (float)(1.0 - sin(a) * radius * aspect_ratio), z);
}
