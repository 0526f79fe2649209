// Keyboard and mouse controls. Every key command needs Control held, since in
// full-screen mode the host passes keys on only while Control is down; the
// mouse drags turn the sky and move the camera.
#include "controls/controls.h"

#include <cstdio>

#include "controls/view_presets.h"
#include "graphics/view_state.h"
#include "sky/catalogues.h"
#include "sky/site_markers.h"
#include "sky/sky_sphere.h"

bool ctrl_held = false;
int last_mouse_x = 0;
int last_mouse_y = 0;

namespace {

// The sums are formed in double and stored back as float.
void change_spin_rate(double step) {
    double rate = sky_spin_rate + step;
    if (rate > SPIN_RATE_LIMIT) rate = SPIN_RATE_LIMIT;
    if (rate < -SPIN_RATE_LIMIT) rate = -SPIN_RATE_LIMIT;
    sky_spin_rate = (float)rate;
}

void toggle(bool& display_switch) { display_switch = !display_switch; }

bool is_letter(int code) { return code >= 'A' && code <= 'Z'; }

// The table of Control+key commands. Returns false for an unassigned code.
bool run_key_command(int code) {
    switch (code) {
    case 'A': case KEY_PAGE_UP: change_spin_rate(SPIN_RATE_UP_STEP); break;
    case 'Z': case KEY_PAGE_DOWN: change_spin_rate(-SPIN_RATE_DOWN_STEP); break;
    case 'B': toggle(show_decorations); break;
    case 'C': toggle(show_constellations); break;
    case 'G': toggle(show_earth); break;
    case 'L': toggle(show_sites); break;
    case 'N': toggle(show_snr); break;
    case 'P': toggle(show_pulsars); break;
    case 'S': toggle(show_stars); break;
    case 'T': toggle(show_clock); break;
    case 'X': toggle(show_xray); break;
    case 'R': case KEY_DIGIT_0: preset_reset_view(); break;
    case 'W': preset_world_view(); break;
    case 'I': preset_inside_view(); break;
    case 'O': preset_outside_view(); break;
    case KEY_LEFT: sky_spin_offset = (float)(sky_spin_offset + 1.0); break;
    case KEY_RIGHT: sky_spin_offset = (float)(sky_spin_offset - 1.0); break;
    case KEY_UP: camera_elevation = (float)(camera_elevation - 1.0); break;
    case KEY_DOWN: camera_elevation = (float)(camera_elevation + 1.0); break;
    default: return is_letter(code);  // other letters, Q included, do nothing
    }
    return true;
}

}  // namespace

void boinc_app_key_press(int code, int data) {
    fprintf(stderr, "boinc_app_key_press(): key %d pressed.\n", code);
    // Codes outside the virtual-key range are only reported: the table is a
    // switch, so no code can index past anything.
    if (code < 0 || code > 256) fprintf(stderr, "GFX: key out of range. Value: %d \n", code);
    if (code == KEY_SHIFT) return;
    if (code == KEY_CONTROL) {
        ctrl_held = true;
        return;
    }
    if (!ctrl_held) return;
    if (!run_key_command(code)) fprintf(stderr, "GFX: boinc_app_key_release(%d,%d) ?\n", code, data);
}

void boinc_app_key_release(int code, int data) {
    if (code == KEY_CONTROL) ctrl_held = false;
}

void boinc_app_mouse_button(int x, int y, int which, int is_down) {
    last_mouse_x = x;
    last_mouse_y = y;
}

namespace {

double clamp(double value, double low, double high) {
    if (value > high) return high;
    if (value < low) return low;
    return value;
}

// Ten pixels make a degree; downwards raises the camera's elevation.
void drag_left(double dx, double dy) {
    camera_elevation = (float)clamp(camera_elevation + dy / 10.0, -DRAG_ELEVATION_LIMIT, DRAG_ELEVATION_LIMIT);
    sky_spin_offset = (float)(sky_spin_offset - dx / 10.0);
}

// Faster the farther the camera is: 100 pixels a unit at the centre, 10 from
// distance 9 on; downwards brings the camera closer.
void drag_right(double dy) {
    double m = camera_distance < 9.0f ? camera_distance : 9.0;
    camera_distance = (float)clamp(camera_distance - dy / (100.0 - 10.0 * m), 0.0, DRAG_DISTANCE_MAX);
}

}  // namespace

void boinc_app_mouse_move(int x, int y, int left, int middle, int right) {
    // Differences in double: screen positions far apart must not overflow an int.
    double dx = (double)x - last_mouse_x;
    double dy = (double)y - last_mouse_y;
    if (left) {
        drag_left(dx, dy);
    } else if (right) {
        drag_right(dy);
    }
    last_mouse_x = x;
    last_mouse_y = y;
}
