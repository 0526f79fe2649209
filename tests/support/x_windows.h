// X11 helpers for end-to-end tests: find the program's top-level window by
// title, close it the way a window manager does, and run an X server of the
// test's own (for tests that take the server away).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct WindowInfo {
    unsigned long id = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// Connection to DISPLAY (or `display`); nullptr when none can be opened.
struct _XDisplay* open_test_display(const char* display = nullptr);
void close_test_display(struct _XDisplay* display);

// The first mapped top-level window titled `title`.
bool find_window(struct _XDisplay* display, const std::string& title, WindowInfo* found);
bool wait_for_window(struct _XDisplay* display, const std::string& title, double timeout_seconds,
                     WindowInfo* found);
// True once no mapped window has that title.
bool wait_for_no_window(struct _XDisplay* display, const std::string& title, double timeout_seconds);

// WM_CLASS (instance and class) and WM_COMMAND of a window; false when the
// window has neither.
struct window_identity {
    std::string instance, app_class;
    std::vector<std::string> command;
};
bool read_window_identity(struct _XDisplay* display, unsigned long window, window_identity* identity);

// The root window's size.
void screen_size(struct _XDisplay* display, int* width, int* height);

// The window manager's close: a WM_DELETE_WINDOW client message.
void send_window_close(struct _XDisplay* display, unsigned long window);

// An Xvfb of the test's own on a free display number; without GLX on request
// (no OpenGL windows can be made there).
class PrivateXServer {
public:
    explicit PrivateXServer(bool with_glx = true);   // waits until it accepts clients
    ~PrivateXServer();   // stops it if it still runs
    bool started() const { return !name.empty(); }
    const std::string& display() const { return name; }   // ":N"
    void stop();

private:
    pid_t server = 0;
    std::string name;
};
