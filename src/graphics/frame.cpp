// The graphics callbacks: OpenGL set-up, window resize, and the composition
// of one frame (clock, spin, overlays, camera, sky section). The
// initialisation callback itself is in controls/graphics_init.cpp: it also
// applies the preferences and the world view.
#include "graphics/frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>

#include "graphics/panels.h"
#include "graphics/sky_section.h"
#include "graphics/title_decoration.h"
#include "platform/latest_init_data.h"
#include "scenery/marble.h"
#include "sky/site_markers.h"
#include "sky/sky_clock.h"
#include "sky/sky_math.h"
#include "sky/sky_sphere.h"
#include "util.h"

double first_frame_time = -1.0;
double last_frame_time = -1.0;

namespace {

const double field_of_view = 95.0;  // degrees, vertical
const double near_plane = 0.5;
const double far_plane = 25.0;

void load_projection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(field_of_view, aspect_ratio, near_plane, far_plane);
    glMatrixMode(GL_MODELVIEW);
}

void set_up_gl_state() {
    glClearColor(0.0f, 0.0f, 0.15f, 0.0f);
    glShadeModel(GL_FLAT);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CLIP_PLANE0);
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.07f);
}

void build_sky_lists() {
    build_sky_layers();
    make_site_markers(1.0f);
}

void draw_overlays(double t) {
    draw_user_panel();
    draw_search_panel(t);
    draw_title();
    draw_corner_ripples(t);
}

}  // namespace

void set_up_frame() {
    set_up_gl_state();
    load_projection();
    build_sky_lists();
    show_clock = true;
    // A new context has no textures: load both images again when next needed.
    title_texture_tried = false;
    marble_texture_tried = false;
    make_marble(marble_scale, false);
}

void app_graphics_resize(int width, int height) {
    fprintf(stderr, "GFX: app_graphics_resize(%d,%d)\n", width, height);
    // A minimised window reports a zero size; keep the last usable aspect
    // rather than divide by zero.
    if (width > 0 && height > 0) aspect_ratio = (float)width / (float)height;
    glViewport(0, 0, width, height);
    load_projection();
    // Not marked as seen: a preference rewrite read here is still found
    // and applied by the host's once-a-second check.
    peek_latest_init_data(gfx_init_data);
    clock_offset = sky_time() - dtime();
}

double advance_frame_clock(double t, double* elapsed) {
    if (first_frame_time < 0) first_frame_time = t;
    *elapsed = t - first_frame_time;
    if (last_frame_time < 0) last_frame_time = t - 0.01;
    double dt = t - last_frame_time;
    last_frame_time = t;
    return dt;
}

void advance_sky_spin(double dt) {
    sky_spin_angle -= sky_spin_rate * dt / 60.0;
    // One correction per frame: after a long pause the angle comes back
    // within range over a few frames, which does not change the picture.
    if (sky_spin_angle < -360.0) sky_spin_angle += 360.0;
    if (sky_spin_angle > 360.0) sky_spin_angle -= 360.0;
}

void camera_eye_and_centre(double elapsed, double eye[3], double centre[3]) {
    float theta = (float)((90.0 - camera_elevation) +
                          elevation_swing * sin(2.0 * pi * elapsed / (elevation_swing_period * 60.0)));
    double phi = camera_azimuth;
    double r = camera_distance < 0 ? 0.0 : camera_distance;
    double th = radians(theta), ph = radians(phi);
    double u[3] = {sin(th) * sin(ph), cos(th), sin(th) * cos(ph)};
    for (int k = 0; k < 3; ++k) {
        eye[k] = r * u[k];
        centre[k] = -0.5 * u[k];
    }
}

void place_camera(double elapsed) {
    double eye[3], centre[3];
    camera_eye_and_centre(elapsed, eye, centre);
    gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0.0, 1.0, 0.0);
}

void app_graphics_render(int width, int height, double t) {
    double elapsed;
    double dt = advance_frame_clock(t, &elapsed);
    advance_sky_spin(dt);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_POINT_SMOOTH);
    draw_overlays(t);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    place_camera(elapsed);
    draw_sky_section(dt, (float)(sky_spin_angle - sky_spin_offset), t);
    glFlush();
}
