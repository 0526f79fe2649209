// The earth marble: a textured sphere of 50 by 25 quads, turned so that each
// place on earth lies beneath the sky at its zenith at the time of the build.
#include "scenery/marble.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "scenery/fog.h"
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

// What the list holds, for the frame's decisions to skip the far side and to
// fog the earth by its corners.
bool marble_built = false;   // the list holds the sphere (not left empty)
bool marble_blended = false;
float marble_radius = 0;
float marble_turn = 0;   // the list's turn about the axis, degrees
const int corner_count = longitude_steps * latitude_steps * 4;
float corner_points[corner_count][3];
float corner_texcoords[corner_count][2];
float corner_colours[corner_count][4];
unsigned short corner_triangles[corner_count / 4 * 6];

// The sphere's quads, four corners each in drawing order.
void compute_marble_corners(float r) {
    const float lon_step = 360.0f / longitude_steps;
    const float lat_step = 180.0f / latitude_steps;
    int k = 0;
    for (int i = 0; i < longitude_steps; i++) {
        float lon = i * lon_step;
        for (int j = 0; j < latitude_steps; j++) {
            float lat = 90 - j * lat_step;
            const float corners[4][2] = {
                {lon, lat}, {lon, lat - lat_step}, {lon + lon_step, lat - lat_step}, {lon + lon_step, lat}};
            for (const auto& c : corners) {
                marble_texture_coords(c[0], c[1], &corner_texcoords[k][0], &corner_texcoords[k][1]);
                sky_point(c[0], c[1], r, corner_points[k]);
                k++;
            }
            // Each quad as the two triangles the driver makes of the list's
            // quad, so that the texture lies on the screen exactly as the list
            // puts it.
            const int first = k - 4, q = first / 4 * 6;
            const int split[6] = {0, 1, 3, 1, 2, 3};
            for (int n = 0; n < 6; n++) corner_triangles[q + n] = (unsigned short)(first + split[n]);
        }
    }
}

void draw_marble_quads() {
    for (int k = 0; k < corner_count; k += 4) {
        glBegin(GL_QUADS);
        for (int c = k; c < k + 4; c++) {
            glTexCoord2fv(corner_texcoords[c]);
            glVertex3fv(corner_points[c]);
        }
        glEnd();
    }
}

// What the list draws, with the fog given as the corners' colour: it was a
// third of the earth's cost. The list's state changes are made the same way,
// so the frame goes on as after the list.
void draw_marble_with_corner_fog(float density) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_BLEND);
    if (marble_blended) glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, marble_texture.id);
    glRotatef(marble_turn, 0.0f, 1.0f, 0.0f);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int k = 0; k < corner_count; k++) {
        const float* v = corner_points[k];
        float f = exp2_fog_factor(density, m[2] * v[0] + m[6] * v[1] + m[10] * v[2] + m[14]);
        corner_colours[k][0] = corner_colours[k][1] = corner_colours[k][2] = f;
        corner_colours[k][3] = 1.0f;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_FOG);
    glShadeModel(GL_SMOOTH);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, corner_points);
    glTexCoordPointer(2, GL_FLOAT, 0, corner_texcoords);
    glColorPointer(4, GL_FLOAT, 0, corner_colours);
    glDrawElements(GL_TRIANGLES, corner_count / 4 * 6, GL_UNSIGNED_SHORT, corner_triangles);
    glPopClientAttrib();
    glPopAttrib();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);   // the colour array leaves it undefined
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

// A list from an earlier build in this context would bind a texture that is
// gone: leave it empty so that nothing is drawn, as with no list at all.
void empty_marble_list() {
    marble_built = false;
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

// Seen from outside, the opaque earth hides everything behind it. Returns,
// in object coordinates, a plane (keep a x + b y + c z + d >= 0) beyond which
// every point within `radius` of the centre lies behind the earth as the frame
// draws it, or false when the earth hides nothing for certain (not drawn,
// see-through, or cut by the near plane). The earth is taken as the ball
// inside its quads, which lie within 1% of its radius.
bool marble_hiding_plane(float radius, double plane[4]) {
    if (marble_list == 0 || !marble_built || marble_blended) return false;
    GLint render_mode;
    glGetIntegerv(GL_RENDER_MODE, &render_mode);
    if (render_mode != GL_RENDER) return false;
    float m[16], p[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    if (!marble_far_side_hidden(m, p, marble_radius)) return false;
    // The eye in object coordinates: minus the inverse of the matrix's linear
    // part applied to its translation (squashing events make it non-uniform).
    double a[3][3], inv[3][3];
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) a[r][c] = m[c * 4 + r];
    double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                 a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                 a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (std::fabs(det) < 1e-12) return false;
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) {
            int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1]) / det;
        }
    double eye[3], d = 0;
    for (int r = 0; r < 3; r++) {
        eye[r] = -(inv[r][0] * m[12] + inv[r][1] * m[13] + inv[r][2] * m[14]);
        d += eye[r] * eye[r];
    }
    d = std::sqrt(d);
    const double ball = 0.99 * marble_radius;
    if (radius < ball || d <= 1.01 * radius) return false;
    // A point at `radius` whose height along the eye's direction is h lies
    // behind the ball when the sight line from the eye passes within the ball,
    // that is for h below the root of
    //   (d^2 - ball^2)(radius^2 - h^2) = ball^2 (d - h)^2.
    double h = (ball * ball - std::sqrt((radius * radius - ball * ball) * (d * d - ball * ball))) / d;
    h -= 0.001 * radius;   // a margin for rounding
    for (int r = 0; r < 3; r++) plane[r] = eye[r] / d;
    plane[3] = -h;
    return true;
}

void draw_marble() {
    if (marble_list == 0 || !marble_built) return;   // an empty list draws nothing
    // Feedback and selection fill nothing: they get every triangle.
    GLint render_mode;
    glGetIntegerv(GL_RENDER_MODE, &render_mode);
    float m[16], p[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    if (render_mode != GL_RENDER) {
        glCallList(marble_list);
        return;
    }
    float density;
    bool corner_fog = black_exp2_fog(&density);
    bool cull = !marble_blended && marble_far_side_hidden(m, p, marble_radius);
    if (cull) {
        // A mirroring matrix turns the winding on the screen around.
        float det = m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
                    m[8] * (m[1] * m[6] - m[5] * m[2]);
        glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
        glFrontFace(det < 0 ? GL_CW : GL_CCW);
        glCullFace(GL_BACK);
        glEnable(GL_CULL_FACE);
    }
    if (corner_fog)
        draw_marble_with_corner_fog(density);
    else
        glCallList(marble_list);
    if (cull) glPopAttrib();
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
    marble_built = true;
    marble_radius = radius_factor * sky_radius;
    marble_turn = angle;
    compute_marble_corners(marble_radius);
    draw_marble_quads();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEndList();
}
