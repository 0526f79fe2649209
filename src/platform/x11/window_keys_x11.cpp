// Keys on X11, through freeglut's key callbacks: characters and special keys
// translated to virtual-key codes (keymap.h), Control read from freeglut's
// modifier state.
#include "platform/window_system.h"

#include "platform/keymap.h"

#include <GL/freeglut.h>

namespace {

void on_keyboard(unsigned char key, int, int) {
    window_key_pressed(virtual_key_from_glut_char(key, window_system_control_held()));
}

void on_keyboard_up(unsigned char key, int, int) {
    window_key_released(virtual_key_from_glut_char(key, window_system_control_held()));
}

void on_special(int key, int, int) { window_key_pressed(virtual_key_from_glut_special(key)); }

void on_special_up(int key, int, int) { window_key_released(virtual_key_from_glut_special(key)); }

// Without a window manager the keys follow the pointer: once it has left, a
// release of Control goes elsewhere.
void on_entry(int state) {
    if (state == GLUT_LEFT) window_control_lost();
}

}  // namespace

bool window_system_control_held() { return (glutGetModifiers() & GLUT_ACTIVE_CTRL) != 0; }

void window_system_attach_keys() {
    glutKeyboardFunc(on_keyboard);
    glutKeyboardUpFunc(on_keyboard_up);
    glutSpecialFunc(on_special);
    glutSpecialUpFunc(on_special_up);
    glutEntryFunc(on_entry);
}
