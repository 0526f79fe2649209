// The sky sphere: catalogue layers and the coordinate grid as display lists,
// compiled once at start-up and replayed every frame while their switch is on.
#include "sky/sky_sphere.h"

#include <GL/gl.h>
#include <cmath>

#include "scenery/fog.h"
#include "sky/catalogues.h"
#include "sky/display_lists.h"
#include "sky/sky_clock.h"

bool show_earth = false;

unsigned int star_points_list = 0;
unsigned int constellation_lines_list = 0;
unsigned int pulsar_points_list = 0;
unsigned int snr_points_list = 0;
unsigned int xray_points_list = 0;
unsigned int grid_list = 0;

namespace {

float grid_built_radius = 0;   // the grid list's radius

// Points of one size go into one GL_POINTS primitive: one begin/end per point
// doubles the frame time on a software renderer, and draws the same pixels.
void record_point_layer(unsigned int& name, const sky_position* list, int count,
                        float r, float g, float b) {
    if (!begin_list(name)) return;
    glColor3f(r, g, b);
    glPointSize(3.0f);
    glBegin(GL_POINTS);
    for (int i = 0; i < count; i++) celestial_vertex(list[i].ra, list[i].dec);
    glEnd();
    glEndList();
}

// Figure lines share their stars: draw each position once.
bool drawn_before(int i) {
    for (int j = 0; j < i; j++) {
        if (starlist[j].ra == starlist[i].ra && starlist[j].dec == starlist[i].dec) return true;
    }
    return false;
}

const float grid_colour[3] = {0.6f, 0.6f, 0.6f};
const float grid_highlight[3] = {0.8f, 0.8f, 0.6f};   // RA 0 and the equator

}  // namespace

void make_star_list() {
    if (!begin_list(star_points_list)) return;
    glLineWidth(3.0f);
    glPointSize(3.5f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_POINTS);
    for (int i = 0; i < starlist_count; i++) {
        if (!drawn_before(i)) celestial_vertex(starlist[i].ra, starlist[i].dec);
    }
    glEnd();
    glEndList();
}

void make_constellation_list() {
    if (!begin_list(constellation_lines_list)) return;
    glLineWidth(1.0f);
    glColor3f(0.6f, 0.6f, 0.0f);
    glBegin(GL_LINES);
    for (int i = 0; i + 1 < starlist_count; i += 2) {
        celestial_vertex(starlist[i].ra, starlist[i].dec);
        celestial_vertex(starlist[i + 1].ra, starlist[i + 1].dec);
    }
    glEnd();
    glEndList();
}

void make_pulsar_list() { record_point_layer(pulsar_points_list, pulsar_list, pulsar_count, 0.8f, 0.0f, 0.85f); }
void make_snr_list() { record_point_layer(snr_points_list, snr_list, snr_count, 0.7f, 0.176f, 0.0f); }
void make_xray_list() { record_point_layer(xray_points_list, xray_list, xray_count, 0.5f, 0.5f, 1.0f); }

namespace {

// The grid: 24 meridians from pole to pole and 11 parallels, each a strip of
// 100 segments, kept as points so that the frame can also draw it with its
// fog worked out at the points.
const int grid_strips = 35;
const int grid_strip_points = 101;
float grid_points[grid_strips * grid_strip_points][3];
float grid_strip_colours[grid_strips][3];
float grid_point_colours[grid_strips * grid_strip_points][3];
bool grid_built = false;   // the list holds the grid

void compute_sky_grid(float radius) {
    int strip = 0, k = 0;
    for (int i = 0; i < 24; i++, strip++) {
        float ra = 15.0f * i;
        for (int c = 0; c < 3; c++) grid_strip_colours[strip][c] = i == 0 ? grid_highlight[c] : grid_colour[c];
        for (int j = 0; j <= 100; j++) sky_point(ra, j * 180.0f / 100 - 90, radius, grid_points[k++]);
    }
    for (int i = 1; i <= 11; i++, strip++) {
        float dec = 90.0f - 15 * i;
        for (int c = 0; c < 3; c++) grid_strip_colours[strip][c] = dec == 0 ? grid_highlight[c] : grid_colour[c];
        for (int j = 0; j <= 100; j++) sky_point(j * 360.0f / 100, dec, radius, grid_points[k++]);
    }
}

// What the list draws, with the fog given as the points' colour, shaded
// smoothly along each segment: the fog hardly changes along one, and the
// driver's fog at every pixel of the smooth lines was a tenth of a
// full-screen frame. The list's state changes are made the same way.
void draw_grid_with_point_fog(float density) {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int strip = 0, k = 0; strip < grid_strips; strip++) {
        for (int j = 0; j < grid_strip_points; j++, k++) {
            const float* v = grid_points[k];
            float f = exp2_fog_factor(density, m[2] * v[0] + m[6] * v[1] + m[10] * v[2] + m[14]);
            for (int c = 0; c < 3; c++) grid_point_colours[k][c] = f * grid_strip_colours[strip][c];
        }
    }
    glLineWidth(1.0f);
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_FOG);
    glShadeModel(GL_SMOOTH);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, grid_points);
    glColorPointer(3, GL_FLOAT, 0, grid_point_colours);
    for (int strip = 0; strip < grid_strips; strip++)
        glDrawArrays(GL_LINE_STRIP, strip * grid_strip_points, grid_strip_points);
    glPopClientAttrib();
    glPopAttrib();
    glColor3fv(grid_strip_colours[grid_strips - 1]);
}

void draw_grid() {
    float density;
    if (grid_built && black_exp2_fog(&density))
        draw_grid_with_point_fog(density);
    else
        call_list(grid_list);
}

}  // namespace

void draw_sky_grid(float radius) {
    compute_sky_grid(radius);
    for (int strip = 0; strip < grid_strips; strip++) {
        glColor3fv(grid_strip_colours[strip]);
        glBegin(GL_LINE_STRIP);
        for (int j = 0; j < grid_strip_points; j++) glVertex3fv(grid_points[strip * grid_strip_points + j]);
        glEnd();
    }
}

void make_grid_list(float radius_factor) {
    float radius = std::fabs(radius_factor) * sky_radius;
    if (!begin_list(grid_list)) return;
    grid_built_radius = radius;
    glLineWidth(1.0f);
    draw_sky_grid(radius);
    glEndList();
    grid_built = true;
}

namespace {
const float grid_radius_factor = 0.2501f;   // just outside the earth marble
void make_grid_layer() { make_grid_list(grid_radius_factor); }
}  // namespace

const sky_layer sky_layers[] = {
    {"stars", &star_points_list, &show_stars, make_star_list},
    {"pulsars", &pulsar_points_list, &show_pulsars, make_pulsar_list},
    {"remnants", &snr_points_list, &show_snr, make_snr_list},
    {"x-ray sources", &xray_points_list, &show_xray, make_xray_list},
    {"constellations", &constellation_lines_list, &show_constellations, make_constellation_list},
    {"grid", &grid_list, &show_earth, make_grid_layer},
};
const int sky_layer_count = sizeof sky_layers / sizeof sky_layers[0];

void build_sky_layers() {
    for (const sky_layer& layer : sky_layers) layer.build();
}

void draw_sky_layers(const double* grid_clip_plane) {
    for (const sky_layer& layer : sky_layers) {
        if (!*layer.shown) continue;
        bool clipped = grid_clip_plane && layer.list == &grid_list;
        if (clipped) {
            glClipPlane(GL_CLIP_PLANE0, grid_clip_plane);
            glEnable(GL_CLIP_PLANE0);
        }
        if (layer.list == &grid_list)
            draw_grid();
        else
            call_list(*layer.list);
        if (clipped) glDisable(GL_CLIP_PLANE0);
    }
}

float grid_radius() { return grid_built_radius; }
