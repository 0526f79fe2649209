// The graphics host's window system on X11: freeglut's X connection and the
// window on it, Xlib's error handlers, which would end the process, the
// screensaver helpers' windows, and the wait on the connection.
#include "platform/window_system.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/select.h>

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include "platform/x11/window_embedding_x11.h"
#include "platform/x11/window_properties_x11.h"

namespace {

Display* x_display = nullptr;   // freeglut's X connection
Window x_window = 0;            // and the current window on it
Window destroyed_window = 0;    // destroyed by another client: errors expected
int glx_error_base = -1000;
const int glx_bad_drawable = 2;   // GLXBadDrawable, after the GLX error base
// The screensaver's window we were handed (XSCREENSAVER_WINDOW).
Window saver_window = 0;
int wait_connection = -1;

// An X server with no client left resets itself, and glutInit would then fail
// to connect: this probe connection stays open until freeglut has its own.
Display* probe_connection = nullptr;

// Xlib's default handler of protocol errors exits the process; one failed
// request is not worth the computation.
int on_x_error(Display* display, XErrorEvent* error) {
    static int logged = 0;
    bool our_window = error->resourceid != 0 &&
                      (error->resourceid == x_window || error->resourceid == destroyed_window);
    bool window_gone = error->error_code == BadWindow || error->error_code == BadDrawable ||
                       error->error_code == glx_error_base + glx_bad_drawable;
    if (our_window && window_gone) return 0;   // see window_system_destroyed_elsewhere
    if (logged < 10) {
        logged++;
        char text[128];
        XGetErrorText(display, error->error_code, text, sizeof text);
        fprintf(stderr, "GFX: X error ignored: %s (request %d)\n", text, error->request_code);
    }
    return 0;
}

// The X server went away. Returning would make Xlib exit the process. Xlib
// holds the display's user lock here: release it, or freeglut's exit handler
// would block for ever when the worker ends the process.
int on_x_connection_lost(Display* display) {
    fprintf(stderr, "GFX: lost the X server connection - graphics stopped, computation goes on\n");
    if (on_graphics_thread()) {
        XUnlockDisplay(display);
        stop_display();
    }
    return 0;
}

}  // namespace

bool window_system_available() {
    const char* name = getenv("DISPLAY");
    if (!name || !*name) return false;
    probe_connection = XOpenDisplay(nullptr);
    return probe_connection != nullptr;
}

void window_system_init_glut(int* argc, char** argv) {
    // Before glutInit, which already asks the X server about a window
    // manager: one that has gone may have left a stale window behind.
    XSetErrorHandler(on_x_error);
    XSetIOErrorHandler(on_x_connection_lost);
    glutInit(argc, argv);
    XCloseDisplay(probe_connection);
    probe_connection = nullptr;
}

void window_system_screen_size(int* width, int* height) {
    *width = glutGet(GLUT_SCREEN_WIDTH);
    *height = glutGet(GLUT_SCREEN_HEIGHT);
}

// The driver keeps a closed window's context current, bound to nothing: the
// new window's context could not be made current.
void window_system_release_closed_context() {
    if (x_display && glXGetCurrentContext()) glXMakeCurrent(x_display, None, nullptr);
}

void window_system_window_made(int argc, char** argv) {
    x_display = glXGetCurrentDisplay();
    x_window = glXGetCurrentDrawable();
    int glx_event_base;
    if (x_display) glXQueryExtension(x_display, &glx_error_base, &glx_event_base);
    set_window_identity(x_display, x_window, argc, argv);
}

void window_system_window_gone() { destroyed_window = x_window; }

// freeglut does not watch for its window being destroyed by another client.
bool window_system_destroyed_elsewhere() {
    XEvent event;
    return x_display && XCheckTypedWindowEvent(x_display, x_window, DestroyNotify, &event);
}

bool window_system_hands_us_a_window() {
    saver_window = screensaver_window_from_environment(probe_connection);
    if (saver_window)
        fprintf(stderr, "GFX: drawing into the screensaver's window 0x%lx.\n", (unsigned long)saver_window);
    return saver_window != 0;
}

bool window_system_embed_window() {
    if (saver_window) embed_window(x_display, x_window, saver_window);
    return saver_window != 0;
}

window_place window_system_follow_embedding() { return follow_embedding(x_display, x_window); }

// Read under the display lock: an exit on the worker thread closes the
// connection.
void window_system_prepare_wait(bool window_open) {
    wait_connection = (window_open && x_display) ? ConnectionNumber(x_display) : -1;
}

void window_system_wait(double seconds) {
    timeval timeout;
    timeout.tv_sec = (time_t)seconds;
    timeout.tv_usec = (suseconds_t)((seconds - timeout.tv_sec) * 1e6);
    if (wait_connection >= 0) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(wait_connection, &readable);
        select(wait_connection + 1, &readable, nullptr, nullptr, &timeout);
    } else {
        select(0, nullptr, nullptr, nullptr, &timeout);
    }
}
