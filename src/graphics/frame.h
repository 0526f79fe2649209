// The graphics callbacks' program-wide state: view, frame clock, window,
// frame-level switches and the graphics thread's copy of the start-up data.
// All of it belongs to the graphics thread.
#pragma once

#include "boinc_api.h"
#include "platform/host_callbacks.h"

// View state.
extern float sky_spin_rate;           // degrees per minute, 180 at start
extern double sky_spin_angle;         // degrees
extern float sky_spin_offset;         // degrees subtracted from the spin angle
extern float camera_azimuth;          // degrees, 30
extern float camera_elevation;        // degrees, 23.6
extern float camera_distance;         // world units, 8
extern float elevation_swing;         // degrees, 37
extern float elevation_swing_period;  // minutes, 17

// Frame clock, -1 until the first frame.
extern double first_frame_time;
extern double last_frame_time;

// Window.
extern int window_width;
extern int window_height;
extern float aspect_ratio;

// Frame-level display switches.
extern bool show_decorations;
extern bool show_ripples;
extern bool show_clock;

extern APP_INIT_DATA gfx_init_data;

// app_graphics_init, app_graphics_render and app_graphics_resize are here;
// platform/host_callbacks.h declares them.

// Frame clock step: returns dt and sets `elapsed` (seconds since first frame).
double advance_frame_clock(double t, double* elapsed);
// Spin step: turns sky_spin_angle by the rate over dt, with the wrap rules.
void advance_sky_spin(double dt);
// Camera placement for a frame `elapsed` seconds after the first.
void place_camera(double elapsed);
// The camera's eye and centre, as place_camera would pass them to gluLookAt.
void camera_eye_and_centre(double elapsed, double eye[3], double centre[3]);
