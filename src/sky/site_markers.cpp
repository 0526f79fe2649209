// Site markers: small L-shaped figures over three places on earth, placed by
// the sidereal angle when built and turned with the clock afterwards.
#include "sky/site_markers.h"

#include <GL/gl.h>
#include <cmath>

#include "scenery/marble.h"
#include "sky/display_lists.h"
#include "sky/sky_clock.h"
#include "sky/sky_math.h"
#include "sky/sky_sphere.h"
#include "util.h"

bool show_sites = true;
double sites_built_at = 0;
unsigned int site_lists[3] = {0, 0, 0};

namespace {

struct site {
    float colour[3];
    float latitude;
    float west_longitude;
};

const site sites[3] = {
    {{0.0f, 1.0f, 0.0f}, 30.56377f, 90.77408f},    // green
    {{0.0f, 0.0f, 1.0f}, 46.4551f, 119.40627f},    // blue
    {{1.0f, 0.0f, 0.0f}, 52.24452f, -9.80683f},    // red
};

// Offsets are plain degrees of RA and Dec, not corrected for declination.
void segment(float ra0, float dec0, float ra1, float dec1, float r) {
    sky_vertex(ra0, dec0, r);
    sky_vertex(ra1, dec1, r);
}

// One L of arms 3 turned by 21 degrees.
void green_figure(float a, float phi, float r) {
    const double L = 3, alpha = radians(21);
    segment(a, phi, (float)(a + L * std::sin(alpha)), (float)(phi - L * std::cos(alpha)), r);
    segment(a, phi, (float)(a - L * std::cos(alpha)), (float)(phi - L * std::sin(alpha)), r);
}

// Two nested Ls, the second half the size, 0.4 west and 0.2 north.
void blue_figure(float a, float phi, float r) {
    const float L = 3, s = 0.4f;
    segment(a, phi, a, phi + L, r);
    segment(a, phi, a - L, phi, r);
    segment(a - s, phi + s / 2, a - s, phi + s / 2 + L / 2, r);
    segment(a - s, phi + s / 2, a - s - L / 2, phi + s / 2, r);
}

// One L of arms 1.5.
void red_figure(float a, float phi, float r) {
    const float L = 1.5f;
    segment(a, phi, a, phi + L, r);
    segment(a, phi, a + L, phi, r);
}

void (*const figures[3])(float, float, float) = {green_figure, blue_figure, red_figure};

}  // namespace

void make_site_markers(float radius_factor) {
    double t = sky_time();
    sites_built_at = dtime();
    clock_offset = t - sites_built_at;
    float r = radius_factor * sky_radius;
    for (int k = 0; k < 3; k++) {
        float a = sidereal_angle(t, sites[k].west_longitude);
        if (!begin_list(site_lists[k])) continue;
        glColor3fv(sites[k].colour);
        glLineWidth(4.0f);
        glBegin(GL_LINES);
        figures[k](a, sites[k].latitude, r);
        glEnd();
        glEndList();
    }
}

void draw_site_markers(double t) {
    glPushMatrix();
    glRotatef((float)((t - sites_built_at) * 15 / 3600), 0.0f, 1.0f, 0.0f);
    for (unsigned int list : site_lists) call_list(list);
    if (show_earth) draw_marble();
    glPopMatrix();
}
