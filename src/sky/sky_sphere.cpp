// The sky sphere: catalogue layers and the coordinate grid as display lists,
// compiled once at start-up and replayed every frame while their switch is on.
#include "sky/sky_sphere.h"

#include <GL/gl.h>
#include <cmath>

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

void draw_sky_grid(float radius) {
    for (int i = 0; i < 24; i++) {
        float ra = 15.0f * i;
        glColor3fv(i == 0 ? grid_highlight : grid_colour);
        glBegin(GL_LINE_STRIP);
        for (int j = 0; j <= 100; j++) sky_vertex(ra, j * 180.0f / 100 - 90, radius);
        glEnd();
    }
    for (int i = 1; i <= 11; i++) {
        float dec = 90.0f - 15 * i;
        glColor3fv(dec == 0 ? grid_highlight : grid_colour);
        glBegin(GL_LINE_STRIP);
        for (int j = 0; j <= 100; j++) sky_vertex(j * 360.0f / 100, dec, radius);
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
        call_list(*layer.list);
        if (clipped) glDisable(GL_CLIP_PLANE0);
    }
}

float grid_radius() { return grid_built_radius; }
