// The four view presets: each sets the camera and the switches at once and
// rebuilds the site markers and the earth marble for the new view.
#include "controls/view_presets.h"

#include "controls/project_prefs.h"
#include "graphics/view_state.h"
#include "scenery/marble.h"
#include "sky/catalogues.h"
#include "sky/site_markers.h"
#include "sky/sky_sphere.h"

namespace {

// Every preset shows the points and the site block.
void show_points_and_sites() {
    show_stars = true;
    show_pulsars = true;
    show_snr = true;
    show_xray = true;
    show_sites = true;
}

void reset_camera_and_spin(float distance) {
    sky_spin_rate = 180.0f;
    camera_azimuth = 30.0f;
    camera_elevation = 23.6f;
    camera_distance = distance;
    sky_spin_offset = 0.0f;
}

}  // namespace

void preset_reset_view() {
    reset_camera_and_spin(8.0f);
    show_points_and_sites();
    show_constellations = true;
    show_earth = false;
    show_decorations = static_decorations;
    make_site_markers(1.0f);
    make_marble(0.25f, false);
}

void preset_world_view() {
    reset_camera_and_spin(2.25f);
    show_points_and_sites();
    show_constellations = false;
    show_earth = true;
    show_decorations = static_decorations;
    make_site_markers(0.25f);
    make_marble(0.25f, false);
}

// From the centre, looking out through a see-through earth.
void preset_inside_view() {
    camera_distance = 0.0f;
    sky_spin_offset = 0.0f;
    show_points_and_sites();
    show_constellations = true;
    show_earth = true;
    show_decorations = false;
    show_ripples = false;
    make_marble(0.25f, true);
    make_site_markers(1.0f);
}

void preset_outside_view() {
    camera_distance = 8.0f;
    show_points_and_sites();
    show_constellations = true;
    show_earth = true;
    show_decorations = static_decorations;
    show_ripples = true;
    make_marble(0.25f, false);
    make_site_markers(0.25f);
}
