#include "sky/sky_sphere.h"

bool show_earth = false;

void make_star_list() {}
void make_constellation_list() {}
void make_pulsar_list() {}
void make_snr_list() {}
void make_xray_list() {}
void make_grid_list(float radius_factor) {}
void draw_sky_grid(float radius) {}
void draw_sky_section(double dt, float sky_rotation, double t) {}
