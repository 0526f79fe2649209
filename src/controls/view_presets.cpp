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

const float world_view_distance = 2.25f;   // close to the earth

void reset_camera_and_spin(float distance) {
    sky_spin_rate = view_start.sky_spin_rate;
    camera_azimuth = view_start.camera_azimuth;
    camera_elevation = view_start.camera_elevation;
    camera_distance = distance;
    sky_spin_offset = 0.0f;
}

}  // namespace

void preset_reset_view() {
    reset_camera_and_spin(view_start.camera_distance);
    show_points_and_sites();
    show_constellations = true;
    show_earth = false;
    show_decorations = static_decorations;
    make_site_markers(1.0f);
    make_marble(marble_scale, false);
}

void preset_world_view() {
    reset_camera_and_spin(world_view_distance);
    show_points_and_sites();
    show_constellations = false;
    show_earth = true;
    show_decorations = static_decorations;
    make_site_markers(marble_scale);
    make_marble(marble_scale, false);
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
    make_marble(marble_scale, true);
    make_site_markers(1.0f);
}

void preset_outside_view() {
    camera_distance = view_start.camera_distance;
    show_points_and_sites();
    show_constellations = true;
    show_earth = true;
    show_decorations = static_decorations;
    show_ripples = true;
    make_marble(marble_scale, false);
    make_site_markers(marble_scale);
}
