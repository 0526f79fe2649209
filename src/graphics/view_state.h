// The view: spin, camera, window aspect, the frame-level display switches and
// the graphics thread's copy of the start-up data. All of it belongs to the
// graphics thread.
//
//   variable                  written by                          read by
//   sky_spin_rate             controls (A, Z), presets            frame (spin step)
//   sky_spin_angle            frame (spin step)                   frame
//   sky_spin_offset           controls (arrows, drag), presets    frame
//   camera_azimuth            presets                             frame (camera)
//   camera_elevation          controls (arrows, drag), presets    frame (camera)
//   camera_distance           controls (drag), presets            frame (camera)
//   elevation_swing, _period  (start values only)                 frame (camera)
//   aspect_ratio              frame (resize)                      frame, overlay (ripples)
//   window_width, _height     frame (resize)                      panels (text kept inside)
//   show_decorations          controls (B), presets, preferences  panels, title
//   show_ripples              presets                             panels (ripples)
//   show_clock                controls (T), graphics start-up     search panel
//   gfx_init_data             start-up, resize, preference read   panels, preferences
#pragma once

#include "boinc_api.h"

// The view at start; the reset preset returns to it.
struct view_values {
    float sky_spin_rate;      // degrees per minute
    float camera_azimuth;     // degrees
    float camera_elevation;   // degrees
    float camera_distance;    // world units
};
constexpr view_values view_start = {180.0f, 30.0f, 23.6f, 8.0f};

extern float sky_spin_rate;           // degrees per minute
extern double sky_spin_angle;         // degrees
extern float sky_spin_offset;         // degrees subtracted from the spin angle
extern float camera_azimuth;          // degrees
extern float camera_elevation;        // degrees
extern float camera_distance;         // world units
extern float elevation_swing;         // degrees
extern float elevation_swing_period;  // minutes

extern float aspect_ratio;            // window width / height
extern int window_width;              // pixels
extern int window_height;             // pixels

extern bool show_decorations;
extern bool show_ripples;
extern bool show_clock;

extern APP_INIT_DATA gfx_init_data;
