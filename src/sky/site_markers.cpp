#include "sky/site_markers.h"

bool show_sites = true;
double sites_built_at = 0;

void make_site_markers(float radius_factor) {}
void draw_site_markers(double t) {}
