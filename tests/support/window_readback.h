// Read-backs of a program's window for end-to-end tests: pixel counts by
// colour class inside boxes given in overlay units (x from the left edge,
// y from the bottom edge, both 0..1), and the dominant shift of the bright
// points between two read-backs.
#pragma once

#include <functional>
#include <string>

#include "x_windows.h"

struct _XDisplay;

using pixel_class = std::function<bool(int r, int g, int b)>;

struct box {
    double x0, x1, y0, y1;
};

class window_readback {
public:
    window_readback() = default;
    ~window_readback();
    window_readback(const window_readback&) = delete;
    window_readback& operator=(const window_readback&) = delete;
    window_readback(window_readback&& other) noexcept;
    window_readback& operator=(window_readback&& other) noexcept;

    // False when the window is gone.
    bool grab(struct _XDisplay* display, const WindowInfo& window);
    bool valid() const { return image != nullptr; }
    int width() const;
    int height() const;

    void pixel(int x, int y, int* r, int* g, int* b) const;   // x, y from the top left
    int count(const box& where, const pixel_class& is) const;
    int pixels_in(const box& where) const;
    // Pixels that differ between two read-backs of the same window.
    int differing(const window_readback& other, const box& where) const;
    // Writes a PPM picture (for looking at a failure).
    void save(const std::string& path) const;

private:
    struct _XImage* image = nullptr;
};

// The displacement (dx, dy) in pixels, within `reach`, that carries most
// pixels of class `is` in `before` onto pixels of that class in `after`;
// votes holds the number of pixel pairs that agree with it.
struct point_shift {
    int dx = 0, dy = 0, votes = 0;
};
point_shift dominant_shift(const window_readback& before, const window_readback& after,
                           const box& where, const pixel_class& is, int reach);

// Pixels of class `is` in one read-back and not in the other, inside `where`
// (-1 when the sizes differ): text that changed, whatever moves behind it.
int class_changes(const window_readback& a, const window_readback& b, const box& where, const pixel_class& is);

// Grabs the window into `px` every quarter second until `seen` holds for a
// read-back (true) or `seconds` have passed (false).
bool watch_window(struct _XDisplay* display, const WindowInfo& window, double seconds, window_readback* px,
                  const std::function<bool(const window_readback&)>& seen);

// Watches a window for the live search: the orange gunsight in the sky with a
// "Percent Done" line, then that line changing. Returns "" when both were
// seen within `seconds` each, else what was not; `last` keeps the last grab.
std::string watch_live_search(struct _XDisplay* display, const WindowInfo& window, double seconds,
                              window_readback* last);

// Colour classes of the picture.
bool title_red(int r, int g, int b);
bool panel_blue(int r, int g, int b);
bool ripple_red(int r, int g, int b);
bool earth_dark(int r, int g, int b);     // darker than the clear colour
bool bright_point(int r, int g, int b);   // near stars; brighter than the grey grid
bool gunsight_orange(int r, int g, int b);
bool constellation_yellow(int r, int g, int b);

// Where the overlays stand.
extern const box title_box, user_panel_box, search_panel_box, ripple_box, centre_box;
// The user panel's fifth line, "Percent Done: ..." when a team is set; the
// sky away from the panels and the title.
extern const box percent_line_box, open_sky_box;

// Title and panels as a read-back shows them.
struct decorations_seen {
    int title = 0, user_panel = 0, ripples = 0;
    bool shown() const { return title > 40 && user_panel > 150; }
    bool hidden() const { return title < 10 && user_panel < 40; }
};
decorations_seen measure_decorations(const window_readback& px);

// Keys and pointer through xdotool; true when the command ran.
bool xdotool(const std::string& arguments);
