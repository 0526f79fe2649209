// The sky sphere: one display list per catalogue layer plus the grid, and the
// sky section of each frame.
#pragma once

extern bool show_earth;    // gates the grid and the earth marble; false at start

void make_star_list();
void make_constellation_list();
void make_pulsar_list();
void make_snr_list();
void make_xray_list();
void make_grid_list(float radius_factor);
void draw_sky_grid(float radius);

// The sky section of a frame, with the camera placed: graphical events,
// the sky's turn, the layers, the target marker and the site-marker block.
// Leaves the matrix stack as it found it.
void draw_sky_section(double dt, float sky_rotation, double t);
