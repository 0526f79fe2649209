#include "graphics/panels.h"

double ripples_start_time = 0;

void draw_user_panel() {}
void draw_search_panel(double t) {}
void draw_title() {}
void draw_corner_ripples(double t) {}
