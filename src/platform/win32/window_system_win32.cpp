// The graphics host's window system on Windows. There is no X server to lose
// and no window manager destroying windows behind freeglut's back, and the
// screensaver starts the graphics program full screen and hands it no window.
#include "platform/window_system.h"

#include <windows.h>

#include <GL/freeglut.h>

bool window_system_available() { return true; }

void window_system_init_glut(int* argc, char** argv) { glutInit(argc, argv); }

// From Windows itself: freeglut's screen size stays 0 where its
// CreateDC("DISPLAY") fails (seen under Wine), and a window of that size is
// refused.
void window_system_screen_size(int* width, int* height) {
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

// freeglut releases a window's context before it deletes it.
void window_system_release_closed_context() {}

void window_system_window_made(int, char**) {}

void window_system_window_gone() {}

bool window_system_destroyed_elsewhere() { return false; }

bool window_system_hands_us_a_window() { return false; }

bool window_system_embed_window() { return false; }

window_place window_system_follow_embedding() { return WINDOW_TOP_LEVEL; }

void window_system_prepare_wait(bool) {}

// Until a message arrives for this thread.
void window_system_wait(double seconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, (DWORD)(seconds * 1000), QS_ALLINPUT);
}
