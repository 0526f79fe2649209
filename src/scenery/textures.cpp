// Images by logical name into textures, and textured polygons.
#include "scenery/textures.h"

#include <GL/gl.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <string>

#include "boinc_api.h"
#include "error_numbers.h"
#include "platform/file_time.h"
#include "platform/gl_context.h"
#include "scenery/jpeg_check.h"

namespace {

char file_path[256];

// Where each loaded texture came from: the context it lives in (a texture
// name means something only there, and in a new context the same number may
// be another texture) and the file with its size and time at loading.
struct loaded_texture {
    gl_context_id context;
    std::string path;
    off_t size;
    timespec modified;
};
std::map<const TEXTURE_DESC*, loaded_texture> loaded;

bool file_stamp(const char* path, off_t* size, timespec* modified) {
    struct stat st;
    if (stat(path, &st) != 0) return false;
    *size = st.st_size;
    *modified = modification_time(st);
    return true;
}

// True when `tex` already holds `path`, unchanged, in the current context.
// Windows share one context, and the software driver never frees the storage
// of a texture that frames drew around bitmap text, even once deleted: each
// window's start-up loading its pictures again grew the process.
bool still_loaded(const TEXTURE_DESC& tex, const char* path) {
    auto it = loaded.find(&tex);
    off_t size;
    timespec modified;
    return tex.present && it != loaded.end() && same_gl_context(it->second.context, current_gl_context()) &&
           it->second.path == path && file_stamp(path, &size, &modified) && size == it->second.size &&
           modified.tv_sec == it->second.modified.tv_sec && modified.tv_nsec == it->second.modified.tv_nsec;
}

// Frees what an earlier load put into `tex` in this context, so that loading
// a changed picture does not leak its name.
void release_texture(TEXTURE_DESC& tex) {
    auto it = loaded.find(&tex);
    if (it != loaded.end() && tex.id != 0 && same_gl_context(it->second.context, current_gl_context()) &&
        glIsTexture(tex.id)) {
        GLuint id = tex.id;
        glDeleteTextures(1, &id);
    }
    if (it != loaded.end()) loaded.erase(it);
    tex = TEXTURE_DESC();
}

// The framework's loader crashes without a context and on files it cannot
// read whole; it is only given what passes these checks.
int load_checked(TEXTURE_DESC& tex, const char* path) {
    if (!gl_context_current()) return ERR_READ;
    if (still_loaded(tex, path)) return 0;
    release_texture(tex);
    if (!jpeg_is_complete_colour(path)) return ERR_READ;
    loaded_texture from = {current_gl_context(), path, 0, {0, 0}};
    file_stamp(path, &from.size, &from.modified);
    int rc = tex.load_image_file(path);
    // The loader leaves GL_INVALID_ENUM behind; later checks must not see it.
    while (glGetError() != GL_NO_ERROR) {}
    if (tex.id != 0) loaded[&tex] = from;
    return rc;
}

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
