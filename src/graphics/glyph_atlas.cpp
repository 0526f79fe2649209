#define GL_GLEXT_PROTOTYPES
#include "graphics/glyph_atlas.h"

#include <GL/freeglut.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gl_context.h"

namespace {

// Each glyph is captured in a cell of its own, drawn from a raster position
// at (origin_x, origin_y) within the cell; the cells make a 16 x 16 grid,
// which is also the texture.
const int cell_width = 48, cell_height = 64;
const int origin_x = 8, origin_y = 24;
const int grid = 16;
const int atlas_width = cell_width * grid, atlas_height = cell_height * grid;

// A glyph's lit pixels, as a box relative to the raster position (x1 and y1
// exclusive; empty when x1 <= x0), and how far it moves the raster position.
struct glyph {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int advance = 0;
};

struct atlas {
    void* font = nullptr;
    gl_context_id context{};
    bool ready = false;
    bool fog_reaches_bitmaps = true;   // as the driver draws them
    unsigned int texture = 0;
    glyph glyphs[256];
};

atlas atlases[2];   // the title's font and the panels' font

bool framebuffer_objects() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && atoi(version) >= 3) return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && strstr(extensions, "GL_ARB_framebuffer_object");
}

// Draws every glyph with freeglut into a framebuffer object of its own, in
// white on black, and reads the picture back (one byte a pixel, lit or not);
// also finds whether the driver's fog reaches bitmaps.
bool capture_glyphs(void* font, std::vector<unsigned char>& lit, bool* fogged) {
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    GLuint framebuffer = 0, renderbuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, atlas_width, atlas_height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        glViewport(0, 0, atlas_width, atlas_height);
        for (GLenum off : {GL_BLEND, GL_DEPTH_TEST, GL_FOG, GL_TEXTURE_2D, GL_ALPHA_TEST, GL_LIGHTING,
                           GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_DITHER, GL_COLOR_LOGIC_OP})
            glDisable(off);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4f(1, 1, 1, 1);
        for (int c = 1; c < 256; c++) {
            glWindowPos2i(c % grid * cell_width + origin_x, c / grid * cell_height + origin_y);
            glutBitmapCharacter(font, c);
        }
        // Whether the driver fogs bitmaps (the standard says it should; some
        // drivers leave them as they are): a glyph in the unused cell 0, half
        // a unit from the eye under a dense fog, comes out dim or not.
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_EXP2);
        glFogf(GL_FOG_DENSITY, 2.0f);
        glRasterPos3f(2.0f * (origin_x + 0.5f) / atlas_width - 1, 2.0f * (origin_y + 0.5f) / atlas_height - 1, 0.5f);
        glutBitmapCharacter(font, '#');
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        std::vector<unsigned char> red(atlas_width * atlas_height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glReadPixels(0, 0, atlas_width, atlas_height, GL_RED, GL_UNSIGNED_BYTE, red.data());
        lit.resize(red.size());
        for (size_t i = 0; i < red.size(); i++) lit[i] = red[i] > 127 ? 255 : 0;
        unsigned char probe = 0;
        for (int y = 0; y < cell_height; y++)
            for (int x = 0; x < cell_width; x++) probe = std::max(probe, red[y * atlas_width + x]);
        *fogged = probe < 250;
        for (int y = 0; y < cell_height; y++)
            for (int x = 0; x < cell_width; x++) lit[y * atlas_width + x] = 0;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, previous);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &renderbuffer);
    glPopClientAttrib();
    glPopAttrib();
    return complete && glGetError() == GL_NO_ERROR;
}

// Each glyph's box within its cell; false when one reaches its cell's edge,
// which would mean the cell was too small to hold it whole.
bool measure_glyphs(atlas& a, const std::vector<unsigned char>& lit) {
    for (int c = 0; c < 256; c++) {
        glyph g;
        g.advance = c == 0 ? 0 : glutBitmapWidth(a.font, c);
        int cell_x = c % grid * cell_width, cell_y = c / grid * cell_height;
        int x0 = cell_width, y0 = cell_height, x1 = -1, y1 = -1;
        for (int y = 0; y < cell_height; y++)
            for (int x = 0; x < cell_width; x++)
                if (lit[(cell_y + y) * atlas_width + cell_x + x]) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
                    y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
        if (x1 >= 0) {
            if (x0 == 0 || y0 == 0 || x1 == cell_width - 1 || y1 == cell_height - 1) return false;
            g.x0 = x0 - origin_x, g.x1 = x1 + 1 - origin_x;
            g.y0 = y0 - origin_y, g.y1 = y1 + 1 - origin_y;
        }
        a.glyphs[c] = g;
    }
    return true;
}

void build_atlas(atlas& a) {
    a.ready = false;
    a.context = current_gl_context();
    std::vector<unsigned char> lit;
    if (!framebuffer_objects() || !capture_glyphs(a.font, lit, &a.fog_reaches_bitmaps) || !measure_glyphs(a, lit)) return;
    glPushAttrib(GL_TEXTURE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    // A new name each build: a build is for a context that has none of ours.
    glGenTextures(1, &a.texture);
    glBindTexture(GL_TEXTURE_2D, a.texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, atlas_width, atlas_height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, lit.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPopClientAttrib();
    glPopAttrib();
    a.ready = glGetError() == GL_NO_ERROR;
}

atlas* atlas_for(void* font) {
    atlas* a = nullptr;
    for (atlas& candidate : atlases)
        if (candidate.font == font || (!a && candidate.font == nullptr)) a = &candidate;
    if (!a || (a->font == font && same_gl_context(a->context, current_gl_context()))) return a;
    a->font = font;   // not yet built in this context
    build_atlas(*a);
    return a;
}

}  // namespace

bool draw_glyphs_from_atlas(void* font, const std::string& glyphs) {
    GLint render_mode;
    glGetIntegerv(GL_RENDER_MODE, &render_mode);
    if (render_mode != GL_RENDER || glIsEnabled(GL_TEXTURE_1D) || glIsEnabled(GL_TEXTURE_2D) ||
        glIsEnabled(GL_ALPHA_TEST))
        return false;
    GLfloat range[2];
    glGetFloatv(GL_DEPTH_RANGE, range);
    if (range[0] != 0 || range[1] != 1) return false;
    GLboolean valid;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    GLfloat position[4], colour[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    if (valid && colour[3] <= 0) return false;   // the alpha test would drop what glBitmap draws
    atlas* a = atlas_for(font);
    // Where the driver fogs bitmaps, its fog is left to it.
    if (!a || !a->ready || (a->fog_reaches_bitmaps && glIsEnabled(GL_FOG))) return false;
    if (!valid) return true;   // glBitmap draws nothing and leaves the position

    // Window coordinates, and the raster position's depth.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_FOG);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, a->texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    glColor4fv(colour);
    const float z = 1.0f - 2.0f * position[2];
    // glBitmap puts a glyph's pixels at the floor of the raster position
    // plus the glyph's own offsets, and moves the position on by whole pixels.
    // The floor is taken a hair above, as the driver does, so that a position
    // a rounding short of a whole pixel counts as that pixel.
    const float hair = 0.0001f;
    const int start_x = (int)std::floor(position[0] + hair), y = (int)std::floor(position[1] + hair);
    int x = start_x;
    glBegin(GL_QUADS);
    for (unsigned char c : glyphs) {
        const glyph& g = a->glyphs[c];
        if (g.x1 > g.x0) {
            float s0 = (float)(c % grid * cell_width + origin_x + g.x0) / atlas_width;
            float s1 = (float)(c % grid * cell_width + origin_x + g.x1) / atlas_width;
            float t0 = (float)(c / grid * cell_height + origin_y + g.y0) / atlas_height;
            float t1 = (float)(c / grid * cell_height + origin_y + g.y1) / atlas_height;
            glTexCoord2f(s0, t0);
            glVertex3f((float)(x + g.x0), (float)(y + g.y0), z);
            glTexCoord2f(s1, t0);
            glVertex3f((float)(x + g.x1), (float)(y + g.y0), z);
            glTexCoord2f(s1, t1);
            glVertex3f((float)(x + g.x1), (float)(y + g.y1), z);
            glTexCoord2f(s0, t1);
            glVertex3f((float)(x + g.x0), (float)(y + g.y1), z);
        }
        x += g.advance;
    }
    glEnd();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    glBitmap(0, 0, 0, 0, (float)(x - start_x), 0, nullptr);
    return true;
}
