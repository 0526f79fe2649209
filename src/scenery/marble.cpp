// The earth marble: a textured sphere of 50 by 25 quads, turned so that each
// place on earth lies beneath the sky at its zenith at the time of the build.
#include "scenery/marble.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstring>

#include "scenery/textures.h"
#include "sky/display_lists.h"
#include "sky/sky_clock.h"

char marble_image_name[256] = "";
TEXTURE_DESC marble_texture;
bool marble_texture_tried = false;
unsigned int marble_list = 0;
float earth_offset = 180.0f;

namespace {

const int marble_projection = 0;   // equirectangular, the only mapping
const int longitude_steps = 50;
const int latitude_steps = 25;

void marble_corner(float lon, float lat, float r) {
    float s, t;
    marble_texture_coords(lon, lat, &s, &t);
    glTexCoord2f(s, t);
    sky_vertex(lon, lat, r);
}

void draw_marble_quads(float r) {
    const float lon_step = 360.0f / longitude_steps;
    const float lat_step = 180.0f / latitude_steps;
    for (int i = 0; i < longitude_steps; i++) {
        float lon = i * lon_step;
        for (int j = 0; j < latitude_steps; j++) {
            float lat = 90 - j * lat_step;
            glBegin(GL_QUADS);
            marble_corner(lon, lat, r);
            marble_corner(lon, lat - lat_step, r);
            marble_corner(lon + lon_step, lat - lat_step, r);
            marble_corner(lon + lon_step, lat, r);
            glEnd();
        }
    }
}

// A list from an earlier build in this context would bind a texture that is
// gone: leave it empty so that nothing is drawn, as with no list at all.
void empty_marble_list() {
    if (marble_list != 0 && glIsList(marble_list)) {
        glNewList(marble_list, GL_COMPILE);
        glEndList();
    }
}

}  // namespace

void marble_texture_coords(float lon, float lat, float* s, float* t) {
    *s = lon / 360;
    *t = 0.5f - 0.5f * lat / 90;
}

void make_marble(float radius_factor, bool blend) {
    if (marble_image_name[0] == '\0') strcpy(marble_image_name, "earthlights2.jpg");
    if (!marble_texture_tried) {
        load_texture_image(marble_texture, marble_image_name);
        marble_texture_tried = true;
    }
    if (!marble_texture.present) {
        empty_marble_list();
        return;
    }
    fprintf(stderr, "make_marble(): Projection is %d\n", marble_projection);
    if (!begin_list(marble_list)) return;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_BLEND);
    if (blend) glEnable(GL_BLEND);   // the frame's factors: source alpha, one
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, marble_texture.id);
    float angle = sidereal_angle(sky_time(), earth_offset);
    glRotatef(angle, 0.0f, 1.0f, 0.0f);
    fprintf(stderr, "make_marble(): Offset %f is RA %f\n", earth_offset, angle);
    draw_marble_quads(radius_factor * sky_radius);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEndList();
}
