// The frame: the graphics callbacks' set-up, resize and render steps, the
// frame clock and the window. Graphics thread only; the view they draw is in
// view_state.h.
#pragma once

#include "graphics/view_state.h"
#include "platform/host_callbacks.h"

// Frame clock, -1 until the first frame: written and read by
// advance_frame_clock alone; tests set it.
extern double first_frame_time;
extern double last_frame_time;

// app_graphics_render and app_graphics_resize are here; platform/
// host_callbacks.h declares them. app_graphics_init (controls/graphics_init.cpp)
// reads the start-up data and preferences, calls set_up_frame and applies the
// world view.

// A new context made ready for frames: OpenGL state, projection, the sky's
// lists, the clock line, the pictures loaded again when next needed, the marble.
void set_up_frame();

// Frame clock step: returns dt and sets `elapsed` (seconds since first frame).
double advance_frame_clock(double t, double* elapsed);
// Spin step: turns sky_spin_angle by the rate over dt, with the wrap rules.
void advance_sky_spin(double dt);
// Camera placement for a frame `elapsed` seconds after the first.
void place_camera(double elapsed);
// The camera's eye and centre, as place_camera would pass them to gluLookAt.
void camera_eye_and_centre(double elapsed, double eye[3], double centre[3]);
