// Keyboard and mouse of the graphics window on Windows. Keys are taken from
// the window's own key messages, whose codes already are the virtual-key
// codes the program's callbacks expect; freeglut's key callbacks, which pass
// characters, stay unset. The mouse goes through freeglut, as on X11
// (window_input.cpp). While the screensaver shows, input made without
// Control ends it instead.
#include "platform/graphics_host.h"

#include <windows.h>

#include "platform/host_callbacks.h"
#include "platform/virtual_keys.h"

#include <GL/freeglut.h>

namespace {

bool control_down = false;
bool button_down[3] = {false, false, false};
bool have_pointer_origin = false;   // first pointer position in the screensaver
int pointer_origin_x = 0, pointer_origin_y = 0;
WNDPROC freeglut_window_proc = nullptr;

int screen_x(int x) { return x + glutGet(GLUT_WINDOW_X); }
int screen_y(int y) { return y + glutGet(GLUT_WINDOW_Y); }

void release_control() {
    if (control_down) boinc_app_key_release(KEY_CONTROL, 0);
    control_down = false;
}

// The keyboard state as of the message being handled: it also catches a
// Control pressed or released while another window had the focus.
void read_control_state() {
    bool down = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (!down) release_control();
    control_down = down;
}

bool input_ends_screensaver() { return screensaver_showing() && !control_down; }

void key_down(int code) {
    if (code == KEY_CONTROL) control_down = true;
    if (input_ends_screensaver()) end_screensaver();
    else boinc_app_key_press(code, 0);
}

// A release ends nothing: it closes a press already dealt with.
void key_up(int code) {
    boinc_app_key_release(code, 0);
    if (code == KEY_CONTROL) control_down = false;
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        read_control_state();
        key_down((int)wparam);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        read_control_state();
        key_up((int)wparam);
        break;
    case WM_KILLFOCUS:
        release_control();
        break;
    }
    return CallWindowProc(freeglut_window_proc, window, message, wparam, lparam);
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

// The window of the current context: freeglut keeps its handle to itself.
void take_key_messages() {
    HWND window = WindowFromDC(wglGetCurrentDC());
    if (!window) return;
    WNDPROC previous = (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)window_proc);
    if (previous != window_proc) freeglut_window_proc = previous;
}

}  // namespace

void attach_input_to_window() {
    control_down = false;
    button_down[0] = button_down[1] = button_down[2] = false;
    have_pointer_origin = false;
    take_key_messages();
    glutMouseFunc(on_mouse_button);
    glutMotionFunc(on_motion);
    glutPassiveMotionFunc(on_passive_motion);
}
