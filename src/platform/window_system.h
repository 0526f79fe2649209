// The window system under freeglut, as the graphics host (graphics_host.cpp)
// and the input (window_input.cpp) need it: each operation declared once here
// and implemented once per system, in x11/ on Linux and in win32/ on Windows.
// Graphics thread only.
#pragma once

// ---- implemented by the window system (x11/window_system_x11.cpp,
// win32/window_system_win32.cpp)

// Whether a display can be opened at all; what it opened to find out stays
// open until window_system_init_glut.
bool window_system_available();
// glutInit, with the system's safety nets around it.
void window_system_init_glut(int* argc, char** argv);
void window_system_screen_size(int* width, int* height);

// Before a new window: a closed window's context must not stay current.
void window_system_release_closed_context();
// The window just made is current. `argc` words of `argv` name it for
// screensaver helpers; 0 leaves it unnamed.
void window_system_window_made(int argc, char** argv);
// The current window went without freeglut's help (see
// window_system_destroyed_elsewhere): errors about it are expected from now.
void window_system_window_gone();
// True once if another program destroyed the current window.
bool window_system_destroyed_elsewhere();

// A screensaver that hands its programs a window to draw in named one.
bool window_system_hands_us_a_window();
// Puts the current window into that window; false if none was handed over.
bool window_system_embed_window();
enum window_place {
    WINDOW_TOP_LEVEL,   // a child of the root or of a window manager's frame
    WINDOW_EMBEDDED,    // a child of another program's window, kept mapped and filling it
    WINDOW_GONE         // destroyed, with its parent or by itself
};
// Where the current window is now; one embedded is kept covering its parent.
window_place window_system_follow_embedding();

// Under the display lock: what the next wait listens to.
void window_system_prepare_wait(bool window_open);
// Outside it: sleeps up to `seconds`, or until the system has input for us.
void window_system_wait(double seconds);

// Keys come from the system's own events (x11/window_keys_x11.cpp,
// win32/window_keys_win32.cpp): starts them for the current window.
void window_system_attach_keys();
// Control is down as of the event being handled.
bool window_system_control_held();

// ---- implemented by the host, for the window system

bool on_graphics_thread();
// The display has failed for good: this thread stops, the worker goes on.
[[noreturn]] void stop_display();

// A key event as a virtual-key code (-1: a key without one).
void window_key_pressed(int code);
void window_key_released(int code);
// Control let go where this window does not see it.
void window_control_lost();
