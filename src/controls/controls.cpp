#include "controls/controls.h"

bool ctrl_held = false;
int last_mouse_x = 0;
int last_mouse_y = 0;

void boinc_app_key_press(int code, int data) {}
void boinc_app_key_release(int code, int data) {}
void boinc_app_mouse_move(int x, int y, int left, int middle, int right) {}
void boinc_app_mouse_button(int x, int y, int which, int is_down) {}
