// Keyboard and mouse controls (the framework's input callbacks, declared in
// platform/host_callbacks.h) and their input state.
#pragma once

extern bool ctrl_held;
extern int last_mouse_x;
extern int last_mouse_y;

// Virtual-key codes the controls look at (the letters are their capitals).
enum {
    KEY_SHIFT = 16,
    KEY_CONTROL = 17,
    KEY_PAGE_UP = 33,
    KEY_PAGE_DOWN = 34,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
    KEY_DIGIT_0 = 48,
};

// Limits of the controls.
const double SPIN_RATE_LIMIT = 1500.0;    // degrees per minute, either way
const double SPIN_RATE_UP_STEP = 4.7;     // A / Page Up
const double SPIN_RATE_DOWN_STEP = 5.1;   // Z / Page Down
const double DRAG_ELEVATION_LIMIT = 89.0; // degrees, either way
const double DRAG_DISTANCE_MAX = 15.0;    // world units

void boinc_app_key_press(int code, int data);
void boinc_app_key_release(int code, int data);
void boinc_app_mouse_move(int x, int y, int left, int middle, int right);
void boinc_app_mouse_button(int x, int y, int which, int is_down);
