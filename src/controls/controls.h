// Keyboard and mouse controls (the framework's input callbacks, declared in
// graphics2.h) and their input state.
#pragma once

extern bool ctrl_held;
extern int last_mouse_x;
extern int last_mouse_y;

void boinc_app_key_press(int code, int data);
void boinc_app_key_release(int code, int data);
void boinc_app_mouse_move(int x, int y, int left, int middle, int right);
void boinc_app_mouse_button(int x, int y, int which, int is_down);
