// The overlays: title, user panel, search panel and corner ripples.
#pragma once

#include <cstddef>

extern double ripples_start_time;

const float line_step = 0.03f;   // overlay units between two panel lines

void draw_user_panel();
void draw_search_panel(double t);
void draw_title();
void draw_corner_ripples(double t);

// Whole seconds since 0h UTC of the day of `t` (seconds since 1970 UTC),
// 0..86399; computed without a 32-bit limit, so it holds past 2038.
int seconds_into_day(double t);

// Overlay positions that keep text of the given pixel extent inside the
// window: the position itself where it fits, else the nearest that does.
float fit_left_edge(float x, int width_px);       // text starting at x, `width_px` wide
float fit_baseline(float y, int ascent_px, int descent_px);

// snprintf into a line buffer, cut to fit; a cut never leaves half a UTF-8
// character at the end.
void format_line(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
