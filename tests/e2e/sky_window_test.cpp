// The real program in a window of the X server, with the pictures linked into
// its slot as a client links them: the window shows star points, the orange
// gunsight on the worker's target, the textured earth at the centre, and a
// sky that moves from frame to frame.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "slot.h"
#include "test_client.h"
#include "x_windows.h"

namespace {

const double start_timeout = 120;   // seconds; the machine may be busy
const double look_timeout = 120;    // for everything to come into view

struct rgb { int r, g, b; };

// One grab of the window, addressed in overlay units (y from the bottom).
struct window_grab {
    int width = 0, height = 0;
    std::vector<rgb> pixels;

    bool take(Display* display, const WindowInfo& window) {
        XImage* image = XGetImage(display, window.id, 0, 0, window.width, window.height, AllPlanes, ZPixmap);
        if (!image) return false;
        width = image->width;
        height = image->height;
        pixels.resize((size_t)width * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                unsigned long p = XGetPixel(image, x, y);
                pixels[(size_t)y * width + x] = {(int)(p >> 16 & 0xFF), (int)(p >> 8 & 0xFF), (int)(p & 0xFF)};
            }
        XDestroyImage(image);
        return true;
    }
    template <class Test>
    std::vector<size_t> where(double x0, double x1, double y0, double y1, Test is) const {
        std::vector<size_t> found;
        for (int y = 0; y < height; ++y) {
            double oy = 1.0 - (y + 0.5) / height;
            if (oy < y0 || oy > y1) continue;
            for (int x = 0; x < width; ++x) {
                double ox = (x + 0.5) / width;
                if (ox < x0 || ox > x1) continue;
                const rgb& p = pixels[(size_t)y * width + x];
                if (is(p.r, p.g, p.b)) found.push_back((size_t)y * width + x);
            }
        }
        return found;
    }
    template <class Test>
    size_t count(double x0, double x1, double y0, double y1, Test is) const {
        return where(x0, x1, y0, y1, is).size();
    }
};

// Fog dims the far side of the sky by up to a quarter; the grid (grey 0.6,
// near the camera) stays below these bounds.
bool star_white(int r, int g, int b) { return r > 170 && g > 170 && b > 170; }
// (1, 0.5, 0), and not the remnants' (0.7, 0.176, 0) nor the red ripples.
bool gunsight_orange(int r, int g, int b) { return r > 100 && g > 0.35 * r && g < 0.65 * r && b < 0.2 * r; }
// The earth picture is a night side: near black, apart from city lights.
bool earth_dark(int r, int g, int b) { return r < 60 && g < 60 && b < 30; }
bool city_light(int r, int g, int b) { return r > 100 && g > 70 && g <= r && b < r - 30; }

// The sky, away from the panels at the bottom and the title picture at the top right.
const double sky_x0 = 0.0, sky_x1 = 1.0, sky_y0 = 0.22, sky_y1 = 0.75;

struct sightings {
    size_t stars = 0, gunsight = 0, earth_dark_centre = 0, centre_pixels = 0, city_lights = 0;
};

void look(const window_grab& g, sightings* most) {
    most->stars = std::max(most->stars, g.count(sky_x0, sky_x1, sky_y0, sky_y1, star_white));
    most->gunsight = std::max(most->gunsight, g.count(0.0, 1.0, 0.2, 0.9, gunsight_orange));
    most->earth_dark_centre = std::max(most->earth_dark_centre, g.count(0.42, 0.58, 0.42, 0.58, earth_dark));
    most->centre_pixels = g.count(0.42, 0.58, 0.42, 0.58, [](int, int, int) { return true; });
    most->city_lights = std::max(most->city_lights, g.count(0.3, 0.7, 0.3, 0.7, city_light));
}

bool everything_seen(const sightings& s) {
    return s.stars > 100 && s.gunsight > 20 && s.earth_dark_centre > s.centre_pixels * 6 / 10 && s.city_lights > 5;
}

// Share of the first grab's star pixels that are star pixels in the second.
double stars_in_place(const window_grab& a, const window_grab& b) {
    std::vector<size_t> stars = a.where(sky_x0, sky_x1, sky_y0, sky_y1, star_white);
    if (stars.empty()) return 1.0;
    size_t kept = 0;
    for (size_t i : stars) kept += star_white(b.pixels[i].r, b.pixels[i].g, b.pixels[i].b);
    return (double)kept / stars.size();
}

}  // namespace

TEST(SkyWindow, ShowsStarsGunsightAndTexturedEarthInAMovingSky) {
    Display* display = open_test_display();
    ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
    TestClient client;
    e2e::link_picture(client.slot_file("earthlights2.jpg"), "earthlights2.jpg");
    e2e::link_picture(client.slot_file("leftimage2.jpg"), "leftimage2.jpg");
    client.start();

    ASSERT_TRUE(client.wait_for_log("make_marble(): Offset 180.000000 is RA", start_timeout)) << client.log();
    EXPECT_NE(client.log().find("GFX: loaded image from file earthlights2.jpg.\n"), std::string::npos);
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(display, "Tidewrack", start_timeout, &window));

    // The first grab with stars in it is the reference for the movement.
    window_grab first, grab;
    double first_at = -1;
    sightings seen;
    double moved_share = 1.0;
    double end = test_clock() + look_timeout;
    while ((!everything_seen(seen) || moved_share > 0.7) && client.running() && test_clock() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        ASSERT_TRUE(grab.take(display, window));
        look(grab, &seen);
        bool has_stars = grab.count(sky_x0, sky_x1, sky_y0, sky_y1, star_white) > 100;
        if (first_at < 0 && has_stars) {
            first = grab;
            first_at = test_clock();
        } else if (first_at >= 0 && test_clock() - first_at > 2) {
            moved_share = std::min(moved_share, stars_in_place(first, grab));
        }
    }

    EXPECT_GT(seen.stars, 100u) << "white star points in the sky";
    EXPECT_GT(seen.gunsight, 20u) << "the orange gunsight on the worker's target";
    EXPECT_GT(seen.earth_dark_centre, seen.centre_pixels * 6 / 10) << "the night-side earth fills the centre";
    EXPECT_GT(seen.city_lights, 5u) << "the earth picture's city lights";
    EXPECT_LT(moved_share, 0.7) << "the stars have moved between frames";
    EXPECT_TRUE(client.running());
    client.kill_program();
    close_test_display(display);
}
