// Everything the graphics host calls in the program: the framework's graphics
// and input callbacks, as graphics2.h declares them (the framework's graphics
// library calls the same names), and the preference re-read. The host knows
// the program only through this header. All are called on the graphics
// thread; the graphics callbacks with the window's context current.
#pragma once

#include "graphics2.h"

// app_graphics_init()                   after each window is created
// app_graphics_resize(width, height)    on each change of the window's size
// app_graphics_render(width, height, t) once per allowed frame; the host swaps
// boinc_app_key_press / _release(code, 0)       Windows virtual-key codes
// boinc_app_mouse_button(x, y, which, is_down)  screen positions
// boinc_app_mouse_move(x, y, left, middle, right)

// The client sent <reread_prefs/> or rewrote init_data.xml.
void app_graphics_reread_prefs();
