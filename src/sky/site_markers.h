// Three places on earth, marked at the point of the sky overhead of each.
// Graphics thread only.
//
//   variable        written by                      read by
//   show_sites      controls (L), presets           sky section
//   sites_built_at  make_site_markers               draw_site_markers
//   site_lists      make_site_markers               draw_site_markers
#pragma once

extern bool show_sites;          // true at start
extern double sites_built_at;    // dtime() of the last build

// List names of the green, blue and red figures; 0 until first built.
extern unsigned int site_lists[3];

void make_site_markers(float radius_factor);

// Frame step (while show_sites): turn with the clock since the last build,
// replay the three figures and, while show_earth, the earth marble.
void draw_site_markers(double t);
