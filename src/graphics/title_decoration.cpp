// The translucent picture beside the title, in the overlay space.
#include "graphics/title_decoration.h"

#include <GL/gl.h>

#include "graphics/overlay.h"
#include "scenery/fog.h"
#include "scenery/textures.h"

TEXTURE_DESC title_texture;
bool title_texture_tried = false;

const float title_pos[3] = {0.75f, 1.07f, -1.0f};
const float title_scale[2] = {0.28f, 0.28f};
const float title_perimeter[7][2] = {{0.0f, 0.1f}, {0.9f, 0.1f},  {0.9f, 1.0f}, {0.25f, 1.0f},
                                     {0.1f, 0.9f}, {0.05f, 0.8f}, {0.0f, 0.7f}};
const float title_opacity = 0.5f;

namespace {

const char title_image[] = "leftimage2.jpg";

// The minifying filter the loader gave the picture, and the one set now.
GLint loaders_filter = 0;
GLint chosen_filter = 0;

void load_title_picture() {
    load_texture_image(title_texture, title_image);
    title_texture_tried = true;
    if (!title_texture.present) return;
    glBindTexture(GL_TEXTURE_2D, title_texture.id);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &loaders_filter);
    chosen_filter = loaders_filter;
}

// Drawn at least its own size in both directions (a full-screen window), the
// picture is only ever magnified and its mipmaps are never sampled: a plain
// linear minifying filter then gives the same pixels without the driver's
// level-of-detail work, a tenth of such a frame on a software renderer.
// Smaller, it keeps the loader's filter. The picture must be bound.
void choose_title_filter() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    bool magnified = title_scale[0] * viewport[2] >= title_texture.xsize &&
                     title_scale[1] * viewport[3] >= title_texture.ysize;
    GLint filter = magnified ? GL_LINEAR : loaders_filter;
    if (filter != chosen_filter) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        chosen_filter = filter;
    }
}

}  // namespace

void draw_title_decoration() {
    if (!title_texture_tried) load_title_picture();
    if (!title_texture.present) return;
    begin_overlay();
    // mode_unshaded also turns on smooth shading, depth writes and its own
    // blend function; the rest of the frame keeps its own state.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LIGHTING_BIT);
    mode_unshaded();
    set_white_alpha(title_opacity);
    // At its one depth the fog is one factor: given in the colour instead.
    float density;
    if (black_exp2_fog(&density)) {
        float f = exp2_fog_factor(density, title_pos[2]);
        glDisable(GL_FOG);
        glColor4f(f, f, f, title_opacity);
    }
    glBindTexture(GL_TEXTURE_2D, title_texture.id);
    choose_title_filter();
    draw_textured_polygon(title_texture, title_pos, title_scale, title_perimeter, 7);
    glPopAttrib();
    set_white_alpha(-1);
    end_overlay();
}
