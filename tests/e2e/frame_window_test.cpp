// The real program in a window of the X server: its log shows the graphics
// callbacks, and the window's pixels show the title, both panels and the
// ripples where the overlays put them.
#include <gtest/gtest.h>
#include <signal.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <string>
#include <thread>

#include "test_client.h"
#include "x_windows.h"

namespace {

const double start_timeout = 120;   // seconds; the machine may be busy
const double panel_timeout = 120;   // for the worker's first target

// Counts pixels of one colour class inside a box in overlay units
// (x from the left edge, y from the bottom edge).
struct window_pixels {
    XImage* image = nullptr;
    ~window_pixels() {
        if (image) XDestroyImage(image);
    }
    void grab(Display* display, const WindowInfo& window) {
        if (image) XDestroyImage(image);
        image = XGetImage(display, window.id, 0, 0, window.width, window.height, AllPlanes, ZPixmap);
    }
    template <class Test>
    int count(double x0, double x1, double y0, double y1, Test is) const {
        int n = 0;
        for (int y = 0; y < image->height; ++y) {
            double oy = 1.0 - (y + 0.5) / image->height;
            if (oy < y0 || oy > y1) continue;
            for (int x = 0; x < image->width; ++x) {
                double ox = (x + 0.5) / image->width;
                if (ox < x0 || ox > x1) continue;
                unsigned long p = XGetPixel(image, x, y);
                n += is((int)(p >> 16 & 0xFF), (int)(p >> 8 & 0xFF), (int)(p & 0xFF));
            }
        }
        return n;
    }
};

bool title_red(int r, int g, int b) { return r > 110 && g < 40 && b < 90; }
bool panel_blue(int r, int g, int b) { return b > 200 && r > 80 && r < 180 && g > 80 && g < 180; }
bool ripple_red(int r, int g, int b) { return r > 50 && g < 30 && r > b + 20; }

struct overlay_regions {
    int title = 0, user_panel = 0, search_panel = 0, version = 0, ripples = 0;
    bool all_there() const {
        return title > 40 && user_panel > 150 && search_panel > 150 && version > 10 && ripples > 2000;
    }
};

overlay_regions measure(const window_pixels& px) {
    overlay_regions seen;
    seen.title = px.count(0.42, 0.75, 0.90, 1.0, title_red);
    seen.user_panel = px.count(0.0, 0.45, 0.04, 0.18, panel_blue);
    seen.search_panel = px.count(0.85, 1.0, 0.06, 0.21, panel_blue);
    seen.version = px.count(0.45, 0.75, 0.0, 0.05, panel_blue);
    seen.ripples = px.count(0.0, 0.2, 0.72, 1.0, ripple_red);
    return seen;
}

}  // namespace

TEST(FrameWindow, OpensAndDrawsTitlePanelsAndRipples) {
    Display* display = open_test_display();
    ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
    TestClient client;
    // Resume near the end: the search panel gets a target at once and the
    // program still runs a while.
    client.write_checkpoint(1260, 1260);
    client.start();

    EXPECT_TRUE(client.wait_for_log("GFX: app_graphics_resize(640,480)", start_timeout)) << client.log();
    EXPECT_NE(client.log().find("APP: app_graphics_init()"), std::string::npos);
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(display, "Tidewrack", start_timeout, &window));
    ASSERT_EQ(window.width, 640);
    ASSERT_EQ(window.height, 480);

    // The search panel appears with the worker's first target; the worker
    // runs at idle priority, so poll.
    window_pixels px;
    overlay_regions seen;
    double end = test_clock() + panel_timeout;
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        px.grab(display, window);
        ASSERT_NE(px.image, nullptr);
        seen = measure(px);
    } while (!seen.all_there() && client.running() && test_clock() < end);

    EXPECT_GT(seen.title, 40) << "title text near the top centre";
    EXPECT_GT(seen.user_panel, 150) << "user panel at the bottom left";
    EXPECT_GT(seen.search_panel, 150) << "search panel at the bottom right";
    EXPECT_GT(seen.version, 10) << "version line at the bottom centre";
    EXPECT_GT(seen.ripples, 2000) << "ripples in the top-left corner";
    EXPECT_TRUE(client.running());
    client.kill_program();
    close_test_display(display);
}
