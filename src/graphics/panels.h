// The overlays: title, user panel, search panel and corner ripples.
#pragma once

// Time of the first ripple frame: written and read by draw_corner_ripples
// alone (graphics thread); tests set it.
extern double ripples_start_time;

const float line_step = 0.03f;   // overlay units between two panel lines

void draw_user_panel();
void draw_search_panel(double t);
void draw_title();
void draw_corner_ripples(double t);

// Overlay positions that keep text of the given pixel extent inside the
// window: the position itself where it fits, else the nearest that does.
float fit_left_edge(float x, int width_px);       // text starting at x, `width_px` wide
float fit_baseline(float y, int ascent_px, int descent_px);
