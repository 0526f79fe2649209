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
#include "window_readback.h"
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

// Resumed near the end, so that the search panel gets a target at once; its
// window at the default size.
void start_near_the_end(TestClient& client, Display* display, WindowInfo* window) {
    client.write_checkpoint(1260, 1260);
    client.start();
    ASSERT_TRUE(wait_for_window(display, "Tidewrack", start_timeout, window)) << client.log();
    ASSERT_EQ(window->width, 640);
    ASSERT_EQ(window->height, 480);
}

}  // namespace

TEST(FrameWindow, OpensAndDrawsTitlePanelsAndRipples) {
    Display* display = open_test_display();
    ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
    TestClient client;
    WindowInfo window;
    ASSERT_NO_FATAL_FAILURE(start_near_the_end(client, display, &window));
    EXPECT_TRUE(client.wait_for_log("GFX: app_graphics_resize(640,480)", start_timeout)) << client.log();
    EXPECT_NE(client.log().find("APP: app_graphics_init()"), std::string::npos);

    // The search panel appears with the worker's first target; the worker
    // runs at idle priority, so poll (until the window is gone at the latest).
    window_pixels px;
    overlay_regions seen;
    double end = test_clock() + panel_timeout;
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        px.grab(display, window);
        if (!px.image) break;
        seen = measure(px);
    } while (!seen.all_there() && test_clock() < end);

    EXPECT_GT(seen.title, 40) << "title text near the top centre";
    EXPECT_GT(seen.user_panel, 150) << "user panel at the bottom left";
    EXPECT_GT(seen.search_panel, 150) << "search panel at the bottom right";
    EXPECT_GT(seen.version, 10) << "version line at the bottom centre";
    EXPECT_GT(seen.ripples, 2000) << "ripples in the top-left corner";
    client.kill_program();
    close_test_display(display);
}

// At the default size nothing of the title's text or of the panels touches
// the window's outermost rows and columns: what their given places would
// cut there is moved just inside. (The ripples and the title's picture run
// off the corners by design, so only the title's stretch of the top row is
// looked at for red.)
TEST(FrameWindow, TitleAndPanelsStayInsideTheDefaultWindow) {
    Display* display = open_test_display();
    ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
    TestClient client;
    WindowInfo window;
    ASSERT_NO_FATAL_FAILURE(start_near_the_end(client, display, &window));

    window_readback px;
    int search = 0;
    decorations_seen seen;
    double end = test_clock() + panel_timeout;
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!px.grab(display, window)) break;
        seen = measure_decorations(px);
        search = px.count({0.75, 1.0, 0.06, 0.21}, panel_blue);
    } while (!(seen.shown() && search > 150) && test_clock() < end);
    ASSERT_TRUE(px.valid());
    ASSERT_TRUE(seen.shown() && search > 150) << "title and both panels drawn";

    const int w = px.width(), h = px.height();
    int title_on_top = 0, panel_on_edges = 0;
    auto is_panel = [&](int x, int y) {
        int r, g, b;
        px.pixel(x, y, &r, &g, &b);
        return panel_blue(r, g, b);
    };
    for (int x = (int)(0.40 * w); x < (int)(0.70 * w); ++x) {
        int r, g, b;
        px.pixel(x, 0, &r, &g, &b);
        title_on_top += title_red(r, g, b);
    }
    for (int x = 0; x < w; ++x) panel_on_edges += is_panel(x, 0) + is_panel(x, h - 1);
    for (int y = 0; y < h; ++y) panel_on_edges += is_panel(0, y) + is_panel(w - 1, y);
    EXPECT_EQ(title_on_top, 0) << "the title's tall letters reach the top row";
    EXPECT_EQ(panel_on_edges, 0) << "panel text touches the window's edge";
    if (title_on_top || panel_on_edges) px.save(client.slot_file("edges.ppm"));
    client.kill_program();
    close_test_display(display);
}
