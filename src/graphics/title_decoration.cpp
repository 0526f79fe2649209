// The translucent picture beside the title, in the overlay space.
#include "graphics/title_decoration.h"

#include <GL/gl.h>

#include "graphics/overlay.h"
#include "scenery/textures.h"

TEXTURE_DESC title_texture;
bool title_texture_tried = false;

namespace {

// The decoration's outline in texture coordinates, and where it lies.
const char title_image[] = "leftimage2.jpg";
const float title_pos[3] = {0.75f, 1.07f, -1.0f};
const float title_scale[2] = {0.28f, 0.28f};
const float title_perimeter[7][2] = {{0.0f, 0.1f}, {0.9f, 0.1f},  {0.9f, 1.0f}, {0.25f, 1.0f},
                                     {0.1f, 0.9f}, {0.05f, 0.8f}, {0.0f, 0.7f}};
const float title_opacity = 0.5f;

}  // namespace

void draw_title_decoration() {
    if (!title_texture_tried) {
        load_texture_image(title_texture, title_image);
        title_texture_tried = true;
    }
    if (!title_texture.present) return;
    begin_overlay();
    // mode_unshaded also turns on smooth shading, depth writes and its own
    // blend function; the rest of the frame keeps its own state.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_LIGHTING_BIT);
    mode_unshaded();
    set_white_alpha(title_opacity);
    draw_textured_polygon(title_texture, title_pos, title_scale, title_perimeter, 7);
    glPopAttrib();
    set_white_alpha(-1);
    end_overlay();
}
