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
