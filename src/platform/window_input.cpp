// Keyboard and mouse of the graphics window, passed to the program's input
// callbacks as Windows-style virtual-key codes and screen positions. While the
// screensaver shows, a key press, button or pointer move made without Control
// ends it instead. The keys come from the window system's side
// (window_system.h), the mouse from freeglut.
#include "platform/graphics_host.h"

#include "platform/host_callbacks.h"
#include "platform/virtual_keys.h"
#include "platform/window_system.h"

#include <GL/freeglut.h>

namespace {

bool control_down = false;
bool button_down[3] = {false, false, false};
bool have_pointer_origin = false;   // first pointer position in the screensaver
int pointer_origin_x = 0, pointer_origin_y = 0;

int screen_x(int x) { return x + glutGet(GLUT_WINDOW_X); }
int screen_y(int y) { return y + glutGet(GLUT_WINDOW_Y); }

// Control let go where this window does not see it (the pointer or the focus
// elsewhere): the program's Control is released too, or a later plain key
// would run a command.
void release_control() {
    if (control_down) boinc_app_key_release(KEY_CONTROL, 0);
    control_down = false;
}

// The modifier state as of this event; only valid inside key and button
// callbacks. It also catches a Control pressed while another window had the
// focus, or released there.
void read_control_state() {
    bool down = window_system_control_held();
    if (!down) release_control();
    control_down = down;
}

bool input_ends_screensaver() { return screensaver_showing() && !control_down; }

void key_down(int code) {
    if (code < 0) return;
    if (code == KEY_CONTROL) control_down = true;
    if (input_ends_screensaver()) end_screensaver();
    else boinc_app_key_press(code, 0);
}

// A release ends nothing: it closes a press already dealt with, and users
// (and xdotool) often let go of Control before the letter.
void key_up(int code) {
    if (code < 0) return;
    boinc_app_key_release(code, 0);
    if (code == KEY_CONTROL) control_down = false;
}

void on_mouse_button(int button, int state, int x, int y) {
    read_control_state();
    if (input_ends_screensaver()) {
        end_screensaver();
        return;
    }
    if (button < 0 || button > 2) return;   // wheel steps
    button_down[button] = (state == GLUT_DOWN);
    boinc_app_mouse_button(screen_x(x), screen_y(y), button, state == GLUT_DOWN);
}

// The screensaver's window appears under the pointer: the first position it
// reports is where the pointer rests, any other one a move.
bool pointer_moved_in_screensaver(int sx, int sy) {
    if (!have_pointer_origin) {
        have_pointer_origin = true;
        pointer_origin_x = sx;
        pointer_origin_y = sy;
        return false;
    }
    return sx != pointer_origin_x || sy != pointer_origin_y;
}

void pointer_moved(int x, int y) {
    int sx = screen_x(x), sy = screen_y(y);
    if (input_ends_screensaver()) {
        if (pointer_moved_in_screensaver(sx, sy)) end_screensaver();
        return;
    }
    boinc_app_mouse_move(sx, sy, button_down[0], button_down[1], button_down[2]);
}

void on_motion(int x, int y) { pointer_moved(x, y); }

void on_passive_motion(int x, int y) {
    button_down[0] = button_down[1] = button_down[2] = false;
    pointer_moved(x, y);
}

}  // namespace

void window_key_pressed(int code) {
    read_control_state();
    key_down(code);
}

void window_key_released(int code) {
    read_control_state();
    key_up(code);
}

void window_control_lost() { release_control(); }

void attach_input_to_window() {
    control_down = false;
    button_down[0] = button_down[1] = button_down[2] = false;
    have_pointer_origin = false;
    window_system_attach_keys();
    glutMouseFunc(on_mouse_button);
    glutMotionFunc(on_motion);
    glutPassiveMotionFunc(on_passive_motion);
}
