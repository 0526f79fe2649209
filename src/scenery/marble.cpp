// The earth marble: a textured sphere of 50 by 25 quads, turned so that each
// place on earth lies beneath the sky at its zenith at the time of the build.
#include "scenery/marble.h"

#include <GL/gl.h>
#include <cmath>
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

// What the list holds, for the frame's decision to skip the far side.
bool marble_blended = false;
float marble_radius = 0;

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

// The sphere's quads wind counter-clockwise seen from outside. Seen from
// outside, the opaque earth's near half covers its far half, so that half can
// be skipped rather than textured and fogged only to be hidden. That holds
// when the whole sphere lies beyond the near plane (nothing of the near half
// is cut away): the largest eye-space z of the (possibly squashed) sphere is
// its centre's z plus the radius times the length of the matrix's third row.
bool marble_far_side_hidden(const float m[16], const float p[16], float radius) {
    if (p[11] != -1.0f || p[15] != 0.0f) return false;   // not a perspective projection
    float near_distance = p[14] / (p[10] - 1.0f);
    float nearest_z = m[14] + radius * std::sqrt(m[2] * m[2] + m[6] * m[6] + m[10] * m[10]);
    return nearest_z < -near_distance;
}

void draw_marble() {
    if (marble_list == 0) return;
    // Feedback and selection fill nothing: they get every triangle.
    GLint render_mode;
    glGetIntegerv(GL_RENDER_MODE, &render_mode);
    float m[16], p[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    bool cull = !marble_blended && render_mode == GL_RENDER && marble_far_side_hidden(m, p, marble_radius);
    if (!cull) {
        glCallList(marble_list);
        return;
    }
    // A mirroring matrix turns the winding on the screen around.
    float det = m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
                m[8] * (m[1] * m[6] - m[5] * m[2]);
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glFrontFace(det < 0 ? GL_CW : GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glCallList(marble_list);
    glPopAttrib();
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
    marble_blended = blend;
    marble_radius = radius_factor * sky_radius;
    draw_marble_quads(marble_radius);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEndList();
}
