// The view's program-wide values at start.
#include "graphics/view_state.h"

float sky_spin_rate = view_start.sky_spin_rate;
double sky_spin_angle = 0.0;
float sky_spin_offset = 0.0f;
float camera_azimuth = view_start.camera_azimuth;
float camera_elevation = view_start.camera_elevation;
float camera_distance = view_start.camera_distance;
float elevation_swing = 37.0f;
float elevation_swing_period = 17.0f;
float aspect_ratio = 640.0f / 480.0f;
int window_width = 640;
int window_height = 480;
bool show_decorations = true;
bool show_ripples = true;
bool show_clock = false;
APP_INIT_DATA gfx_init_data;
