// X11 helpers for end-to-end tests (see x_windows.h).
#include "x_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_client.h"

namespace {

bool mapped_window_titled(Display* display, Window window, const std::string& title,
                          WindowInfo* found) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return false;
    if (attributes.map_state != IsViewable) return false;
    char* name = nullptr;
    if (!XFetchName(display, window, &name) || !name) return false;
    bool match = (title == name);
    XFree(name);
    if (match && found) {
        found->id = window;
        found->x = attributes.x;
        found->y = attributes.y;
        found->width = attributes.width;
        found->height = attributes.height;
    }
    return match;
}

int ignore_x_errors(Display*, XErrorEvent*) { return 0; }   // windows come and go

}  // namespace

Display* open_test_display(const char* display) {
    XSetErrorHandler(ignore_x_errors);
    return XOpenDisplay(display);
}

void close_test_display(Display* display) {
    if (display) XCloseDisplay(display);
}

bool find_window(Display* display, const std::string& title, WindowInfo* found) {
    Window root_return, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root_return, &parent, &children, &count))
        return false;
    bool seen = false;
    for (unsigned int i = 0; i < count && !seen; i++)
        seen = mapped_window_titled(display, children[i], title, found);
    if (children) XFree(children);
    return seen;
}

bool wait_for_window(Display* display, const std::string& title, double timeout_seconds,
                     WindowInfo* found) {
    double deadline = test_clock() + timeout_seconds;
    while (!find_window(display, title, found)) {
        if (test_clock() > deadline) return false;
        usleep(50 * 1000);
    }
    return true;
}

bool wait_for_no_window(Display* display, const std::string& title, double timeout_seconds) {
    double deadline = test_clock() + timeout_seconds;
    while (find_window(display, title, nullptr)) {
        if (test_clock() > deadline) return false;
        usleep(50 * 1000);
    }
    return true;
}

bool read_window_identity(Display* display, unsigned long window, window_identity* identity) {
    *identity = window_identity();
    XClassHint hint;
    bool has_class = XGetClassHint(display, window, &hint) != 0;
    if (has_class) {
        identity->instance = hint.res_name ? hint.res_name : "";
        identity->app_class = hint.res_class ? hint.res_class : "";
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    char** words = nullptr;
    int count = 0;
    bool has_command = XGetCommand(display, window, &words, &count) != 0;
    if (has_command) {
        for (int i = 0; i < count; i++) identity->command.push_back(words[i]);
        XFreeStringList(words);
    }
    return has_class || has_command;
}

void screen_size(Display* display, int* width, int* height) {
    *width = DisplayWidth(display, DefaultScreen(display));
    *height = DisplayHeight(display, DefaultScreen(display));
}

void send_window_close(Display* display, unsigned long window) {
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

PrivateXServer::PrivateXServer(bool with_glx) {
    int ready[2];
    if (pipe(ready) != 0) return;
    server = fork();
    if (server == 0) {
        close(ready[0]);
        std::string fd = std::to_string(ready[1]);
        const char* glx = with_glx ? "+extension" : "-extension";
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten",
               "tcp", glx, "GLX", (char*)nullptr);
        _exit(127);
    }
    close(ready[1]);
    std::string number;   // "N\n" once the server accepts clients
    char c;
    while (server > 0 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    if (!number.empty()) name = ":" + number;
}

PrivateXServer::~PrivateXServer() { stop(); }

void PrivateXServer::stop() {
    if (server <= 0) return;
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    server = 0;
}
