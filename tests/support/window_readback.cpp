// Read-backs of a program's window (see window_readback.h).
#include "window_readback.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "test_client.h"

const box title_box = {0.42, 0.75, 0.90, 1.0};
const box user_panel_box = {0.0, 0.45, 0.04, 0.18};
const box search_panel_box = {0.85, 1.0, 0.06, 0.21};
const box ripple_box = {0.0, 0.2, 0.72, 1.0};
const box centre_box = {0.4, 0.6, 0.4, 0.6};
const box percent_line_box = {0.02, 0.40, 0.015, 0.052};
const box open_sky_box = {0.0, 1.0, 0.22, 0.85};

window_readback::~window_readback() {
    if (image) XDestroyImage(image);
}

window_readback::window_readback(window_readback&& other) noexcept : image(other.image) {
    other.image = nullptr;
}

window_readback& window_readback::operator=(window_readback&& other) noexcept {
    std::swap(image, other.image);
    return *this;
}

bool window_readback::grab(Display* display, const WindowInfo& window) {
    if (image) XDestroyImage(image);
    image = XGetImage(display, window.id, 0, 0, window.width, window.height, AllPlanes, ZPixmap);
    return image != nullptr;
}

int window_readback::width() const { return image ? image->width : 0; }
int window_readback::height() const { return image ? image->height : 0; }

void window_readback::pixel(int x, int y, int* r, int* g, int* b) const {
    unsigned long p = XGetPixel(image, x, y);
    *r = (int)(p >> 16 & 0xFF);
    *g = (int)(p >> 8 & 0xFF);
    *b = (int)(p & 0xFF);
}

namespace {

// The pixel rows and columns that a box in overlay units covers.
struct pixel_range {
    int x0, x1, y0, y1;   // half-open, y from the top
};

pixel_range range_of(const box& where, int width, int height) {
    pixel_range r;
    r.x0 = (int)(where.x0 * width + 0.5);
    r.x1 = (int)(where.x1 * width + 0.5);
    r.y0 = (int)((1.0 - where.y1) * height + 0.5);
    r.y1 = (int)((1.0 - where.y0) * height + 0.5);
    return r;
}

struct point {
    int x, y;
};

std::vector<point> points_of_class(const window_readback& px, const box& where,
                                   const pixel_class& is) {
    std::vector<point> found;
    pixel_range r = range_of(where, px.width(), px.height());
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            int red, green, blue;
            px.pixel(x, y, &red, &green, &blue);
            if (is(red, green, blue)) found.push_back({x, y});
        }
    return found;
}

// Every `step`-th point, so that a crowded picture stays cheap to compare.
std::vector<point> thinned(const std::vector<point>& all, size_t most) {
    if (all.size() <= most) return all;
    std::vector<point> kept;
    size_t step = (all.size() + most - 1) / most;
    for (size_t i = 0; i < all.size(); i += step) kept.push_back(all[i]);
    return kept;
}

}  // namespace

int window_readback::count(const box& where, const pixel_class& is) const {
    if (!image) return 0;
    return (int)points_of_class(*this, where, is).size();
}

int window_readback::pixels_in(const box& where) const {
    pixel_range r = range_of(where, width(), height());
    return (r.x1 - r.x0) * (r.y1 - r.y0);
}

int window_readback::differing(const window_readback& other, const box& where) const {
    if (!image || !other.image || width() != other.width() || height() != other.height()) return -1;
    pixel_range r = range_of(where, width(), height());
    int n = 0;
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) n += XGetPixel(image, x, y) != XGetPixel(other.image, x, y);
    return n;
}

int class_changes(const window_readback& a, const window_readback& b, const box& where, const pixel_class& is) {
    if (!a.valid() || !b.valid() || a.width() != b.width() || a.height() != b.height()) return -1;
    pixel_range r = range_of(where, a.width(), a.height());
    int n = 0;
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            int r1, g1, b1, r2, g2, b2;
            a.pixel(x, y, &r1, &g1, &b1);
            b.pixel(x, y, &r2, &g2, &b2);
            n += is(r1, g1, b1) != is(r2, g2, b2);
        }
    return n;
}

bool watch_window(Display* display, const WindowInfo& window, double seconds, window_readback* px,
                  const std::function<bool(const window_readback&)>& seen) {
    double end = test_clock() + seconds;
    while (test_clock() < end) {
        if (px->grab(display, window) && seen(*px)) return true;
        usleep(250 * 1000);
    }
    return false;
}

std::string watch_live_search(Display* display, const WindowInfo& window, double seconds, window_readback* last) {
    window_readback first;
    if (!watch_window(display, window, seconds, &first, [](const window_readback& px) {
            return px.count(open_sky_box, gunsight_orange) > 20 && px.count(percent_line_box, panel_blue) > 30;
        }))
        return "no gunsight with a percentage line";
    if (!watch_window(display, window, seconds, last, [&](const window_readback& px) {
            return class_changes(first, px, percent_line_box, panel_blue) > 10;
        }))
        return "the percentage line does not change";
    return "";
}

void window_readback::save(const std::string& path) const {
    if (!image) return;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fprintf(f, "P6\n%d %d\n255\n", width(), height());
    for (int y = 0; y < height(); ++y)
        for (int x = 0; x < width(); ++x) {
            int r, g, b;
            pixel(x, y, &r, &g, &b);
            fputc(r, f);
            fputc(g, f);
            fputc(b, f);
        }
    fclose(f);
}

point_shift dominant_shift(const window_readback& before, const window_readback& after,
                           const box& where, const pixel_class& is, int reach) {
    std::vector<point> from = thinned(points_of_class(before, where, is), 3000);
    std::vector<point> to = thinned(points_of_class(after, where, is), 3000);
    int side = 2 * reach + 1;
    std::vector<int> votes(side * side, 0);
    for (const point& a : from)
        for (const point& b : to) {
            int dx = b.x - a.x, dy = b.y - a.y;
            if (dx < -reach || dx > reach || dy < -reach || dy > reach) continue;
            votes[(dy + reach) * side + dx + reach]++;
        }
    // A point is a few pixels wide: sum the votes of each 3 x 3 neighbourhood.
    point_shift best;
    for (int dy = -reach + 1; dy < reach; ++dy)
        for (int dx = -reach + 1; dx < reach; ++dx) {
            int sum = 0;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) sum += votes[(dy + j + reach) * side + dx + i + reach];
            if (sum > best.votes) best = {dx, dy, sum};
        }
    return best;
}

bool title_red(int r, int g, int b) { return r > 110 && g < 40 && b < 90; }
bool panel_blue(int r, int g, int b) { return b > 200 && r > 80 && r < 180 && g > 80 && g < 180; }
bool ripple_red(int r, int g, int b) { return r > 50 && g < 30 && r > b + 20; }
bool earth_dark(int r, int g, int b) { return r < 30 && g < 30 && b < 24; }
bool bright_point(int r, int g, int b) { return r > 180 && g > 180 && b > 180; }
bool gunsight_orange(int r, int g, int b) {
    return r > 120 && g > r * 3 / 10 && g < r * 7 / 10 && b < 40;
}
bool constellation_yellow(int r, int g, int b) {
    return r > 70 && g > 70 && b < 40 && abs(r - g) < 25;
}

decorations_seen measure_decorations(const window_readback& px) {
    decorations_seen seen;
    seen.title = px.count(title_box, title_red);
    seen.user_panel = px.count(user_panel_box, panel_blue);
    seen.ripples = px.count(ripple_box, ripple_red);
    return seen;
}

bool xdotool(const std::string& arguments) {
    std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    return system(command.c_str()) == 0;
}
