#include "graphics/frame.h"

float sky_spin_rate = 180.0f;
double sky_spin_angle = 0.0;
float sky_spin_offset = 0.0f;
float camera_azimuth = 30.0f;
float camera_elevation = 23.6f;
float camera_distance = 8.0f;
float elevation_swing = 37.0f;
float elevation_swing_period = 17.0f;
double first_frame_time = -1.0;
double last_frame_time = -1.0;
int window_width = 640;
int window_height = 480;
float aspect_ratio = 640.0f / 480.0f;
bool show_decorations = true;
bool show_ripples = true;
bool show_clock = false;
APP_INIT_DATA gfx_init_data;

void app_graphics_init() {}
void app_graphics_render(int width, int height, double t) {}
void app_graphics_resize(int width, int height) {}
double advance_frame_clock(double t, double* elapsed) { return 0; }
void advance_sky_spin(double dt) {}
void place_camera(double elapsed) {}
void camera_eye_and_centre(double elapsed, double eye[3], double centre[3]) {}
