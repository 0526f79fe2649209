// WM_COMMAND and WM_CLASS, which freeglut does not set as a screensaver helper
// needs them: the helper finds the window of the program it started by them.
#include "platform/x11/window_properties_x11.h"

#include <string.h>

#include <X11/Xutil.h>

void set_window_identity(Display* display, Window window, int argc, char** argv) {
    if (!display || !window || argc < 1) return;
    XSetCommand(display, window, argv, argc);
    const char* slash = strrchr(argv[0], '/');
    char instance[256], app_class[] = "Tidewrack";
    strncpy(instance, slash ? slash + 1 : argv[0], sizeof instance - 1);
    instance[sizeof instance - 1] = 0;
    XClassHint hint;
    hint.res_name = instance;
    hint.res_class = app_class;
    XSetClassHint(display, window, &hint);
    XFlush(display);
}
