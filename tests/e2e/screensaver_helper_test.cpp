// The sky as the Linux screensaver shows it: Debian's real helper boincscr,
// started as XScreenSaver starts its display programs (-root, with the
// saver's full-screen override-redirect window in XSCREENSAVER_WINDOW),
// finds the real client's running task on the default GUI RPC port and
// starts its graphics program, once with a window manager running and once
// without. On an X server of the test's own, so that the window manager
// touches no other test's windows.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "real_client.h"
#include "slot.h"
#include "test_client.h"
#include "window_readback.h"
#include "x_windows.h"

namespace {

using namespace e2e;

const int default_gui_rpc_port = 31416;   // the only one boincscr knows
const double start_timeout = 180;         // seconds; the machine may be busy
const char* const program_ended = "GFX: graphics program ends (status 0).";

void pause_for(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

bool port_taken(int port) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int one = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    bool taken = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0;
    close(s);
    return taken;
}

// The pid of a running process whose executable is `path`, or 0 (also for
// one that has ended and not yet been waited for: the helper is slow to).
pid_t find_process(const std::string& path) {
    pid_t found = 0;
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc ? readdir(proc) : nullptr) {
        pid_t pid = atoi(entry->d_name);
        char exe[4096];
        std::string link = std::string("/proc/") + entry->d_name + "/exe";
        ssize_t n = pid > 0 ? readlink(link.c_str(), exe, sizeof exe - 1) : -1;
        if (n > 0 && std::string(exe, n) == path) found = pid;
    }
    if (proc) closedir(proc);
    return found;
}

// The window XScreenSaver makes for its display programs: override-redirect,
// covering the screen.
Window make_saver_window(Display* display) {
    XSetWindowAttributes attributes;
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    int width, height;
    screen_size(display, &width, &height);
    Window window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, CopyFromParent,
                                  InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, window);
    XSync(display, False);
    return window;
}

bool window_manager_running(Display* display) {
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType,
                                    &type, &format, &count, &after, &data) == Success &&
                 data && count == 1;
    if (data) XFree(data);
    return found;
}

// Our window: the saver window's child.
bool embedded_window(Display* display, Window saver, WindowInfo* found) {
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, saver, &root, &parent, &children, &count)) return false;
    bool any = count > 0;
    if (any) {
        XWindowAttributes a;
        found->id = children[count - 1];
        any = XGetWindowAttributes(display, found->id, &a) && a.map_state == IsViewable;
        found->x = a.x, found->y = a.y, found->width = a.width, found->height = a.height;
    }
    if (children) XFree(children);
    return any;
}

class ScreensaverHelper : public ::testing::TestWithParam<bool> {
protected:
    PrivateXServer server;
    Display* display = nullptr;
    real_client boinc{default_gui_rpc_port};
    std::unique_ptr<background_process> window_manager, helper;
    std::string slot, graphics;
    std::string saved_display;

    void SetUp() override {
        for (const char* program : {"boinc", "boincscr", "xdotool"})
            if (find_in_path(program).empty()) GTEST_SKIP() << program << " is not installed";
        if (GetParam() && find_in_path("openbox").empty()) GTEST_SKIP() << "openbox is not installed";
        if (port_taken(default_gui_rpc_port))
            GTEST_SKIP() << "port " << default_gui_rpc_port << " is taken: another BOINC client runs";
        ASSERT_TRUE(server.started());
        display = open_test_display(server.display().c_str());
        ASSERT_NE(display, nullptr);
        // Everything started from here on draws on the test's own server.
        const char* before = getenv("DISPLAY");
        saved_display = before ? before : "";
        setenv("DISPLAY", server.display().c_str(), 1);
        if (GetParam()) {
            window_manager.reset(new background_process({"openbox"}, boinc.dir.root + "/openbox.txt"));
            double end = test_clock() + 30;
            while (!window_manager_running(display) && test_clock() < end) pause_for(0.1);
            ASSERT_TRUE(window_manager_running(display)) << read_file(boinc.dir.root + "/openbox.txt");
        }
        ASSERT_TRUE(boinc.start(true));
        ASSERT_TRUE(boinc.running_task(start_timeout, &slot, &graphics)) << boinc.log();
    }

    void TearDown() override {
        helper.reset();
        // The helper leaves the program it started behind when it is killed.
        if (!graphics.empty())
            if (pid_t left = find_process(graphics)) kill(left, SIGKILL);
        window_manager.reset();
        if (display) close_test_display(display);
        if (!saved_display.empty()) setenv("DISPLAY", saved_display.c_str(), 1);
    }

    std::string graphics_log() const { return read_file(slot + "/stderrgfx.txt"); }
};

}  // namespace

// Within seconds the whole screen shows the live sky from its corner: the
// title near the top centre, the panels near the bottom corners. Control+B
// steers it; when the saver's window goes, the program ends with 0.
TEST_P(ScreensaverHelper, CoversTheScreenSteersAndEndsWithTheSaversWindow) {
    Window saver = make_saver_window(display);
    setenv("XSCREENSAVER_WINDOW", std::to_string(saver).c_str(), 1);
    double started = test_clock();
    helper.reset(new background_process({"boincscr", "-root", "-boinc_dir", boinc.data},
                                        boinc.dir.root + "/boincscr.txt"));
    unsetenv("XSCREENSAVER_WINDOW");

    WindowInfo screen;
    screen.id = DefaultRootWindow(display);
    screen_size(display, &screen.width, &screen.height);
    window_readback px;
    bool seen = watch_window(display, screen, start_timeout, &px,
                             [](const window_readback& p) { return measure_decorations(p).shown(); });
    printf("the sky covered the screen %.1f s after the helper started\n", test_clock() - started);
    EXPECT_TRUE(seen) << graphics_log();
    WindowInfo ours;
    ASSERT_TRUE(embedded_window(display, saver, &ours)) << graphics_log();
    EXPECT_EQ(ours.x, 0);
    EXPECT_EQ(ours.y, 0);
    EXPECT_EQ(ours.width, screen.width);
    EXPECT_EQ(ours.height, screen.height);

    ASSERT_TRUE(xdotool("key --window " + std::to_string(ours.id) + " ctrl+b"));
    EXPECT_TRUE(watch_window(display, screen, 30, &px,
                             [](const window_readback& p) { return measure_decorations(p).hidden(); }))
        << "Control+B hides the title and panels\n" << graphics_log();

    XDestroyWindow(display, saver);
    XSync(display, False);
    double destroyed = test_clock(), end = destroyed + 60;
    while (graphics_log().find(program_ended) == std::string::npos && test_clock() < end) pause_for(0.1);
    printf("the graphics program ended %.1f s after the saver's window went\n", test_clock() - destroyed);
    EXPECT_NE(graphics_log().find(program_ended), std::string::npos) << graphics_log();
    while (find_process(graphics) && test_clock() < end) pause_for(0.1);
    EXPECT_EQ(find_process(graphics), 0) << "the graphics program is still running";
}

INSTANTIATE_TEST_SUITE_P(Desktop, ScreensaverHelper, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WithAWindowManager" : "WithoutAWindowManager");
                         });
