// Images by logical name into textures, and the translucent title decoration.
#include "scenery/textures.h"

#include <GL/gl.h>
#include <cstdio>
#include <map>

#include "boinc_api.h"
#include "error_numbers.h"
#include "graphics/overlay.h"
#include "platform/gl_context.h"
#include "scenery/jpeg_check.h"

TEXTURE_DESC title_texture;
bool title_texture_tried = false;

namespace {

char file_path[256];

// The context each loaded texture lives in: a texture name means something
// only there, and in a new context the same number may be another texture.
std::map<const TEXTURE_DESC*, gl_context_id> texture_context;

// Frees what an earlier load put into `tex` in this context, so that loading
// again (a graphics initialisation in the same context) does not leak.
void release_texture(TEXTURE_DESC& tex) {
    auto it = texture_context.find(&tex);
    if (it != texture_context.end() && tex.id != 0 &&
        same_gl_context(it->second, current_gl_context()) && glIsTexture(tex.id)) {
        GLuint id = tex.id;
        glDeleteTextures(1, &id);
    }
    if (it != texture_context.end()) texture_context.erase(it);
    tex = TEXTURE_DESC();
}

// The framework's loader crashes without a context and on files it cannot
// read whole; it is only given what passes these checks.
int load_checked(TEXTURE_DESC& tex, const char* path) {
    if (!gl_context_current()) return ERR_READ;
    release_texture(tex);
    if (!jpeg_is_complete_colour(path)) return ERR_READ;
    int rc = tex.load_image_file(path);
    // The loader leaves GL_INVALID_ENUM behind; later checks must not see it.
    while (glGetError() != GL_NO_ERROR) {}
    if (tex.id != 0) texture_context[&tex] = current_gl_context();
    return rc;
}

// The decoration's outline in texture coordinates, and where it lies.
const char title_image[] = "leftimage2.jpg";
const float title_pos[3] = {0.75f, 1.07f, -1.0f};
const float title_scale[2] = {0.28f, 0.28f};
const float title_perimeter[7][2] = {{0.0f, 0.1f}, {0.9f, 0.1f},  {0.9f, 1.0f}, {0.25f, 1.0f},
                                     {0.1f, 0.9f}, {0.05f, 0.8f}, {0.0f, 0.7f}};
const float title_opacity = 0.5f;

}  // namespace

int load_texture_image(TEXTURE_DESC& tex, const char* name) {
    boinc_resolve_filename(name, file_path, sizeof file_path);
    fprintf(stderr, "GFX: trying to load texture from %s \n", file_path);
    int rc = load_checked(tex, file_path);
    if (rc != 0) {
        fprintf(stderr, "GFX: Error: could not load image from %s, rc=%d.\n", name, rc);
        return rc;
    }
    fprintf(stderr, "GFX: loaded image from file %s.\n", name);
    return 0;
}

void draw_textured_polygon(const TEXTURE_DESC& tex, const float pos[3], const float scale[2],
                           const float perimeter[][2], int count) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, tex.id);
    glBegin(GL_POLYGON);
    for (int i = 0; i < count; i++) {
        float s = perimeter[i][0], t = perimeter[i][1];
        // t grows downwards: the image's first row is drawn at the top.
        glTexCoord2f(s, t);
        glVertex3f(pos[0] + s * scale[0], pos[1] - t * scale[1], pos[2]);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

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
