// The earth marble: a textured sphere turned to the sidereal time. Graphics
// thread only.
//
//   variable              written by                        read by
//   marble_texture_tried  make_marble; graphics start-up    make_marble
//                         clears it for the new context
//   marble_list           make_marble                       site block (while show_earth)
//   marble_image_name,    make_marble                       make_marble, tests
//   marble_texture,
//   earth_offset
#pragma once

#include "gutil.h"

// The earth's radius as a share of the sky's; the site markers sit on it in
// the views from outside.
const float marble_scale = 0.25f;

extern char marble_image_name[256];
extern TEXTURE_DESC marble_texture;
extern bool marble_texture_tried;
extern unsigned int marble_list;
extern float earth_offset;

void make_marble(float radius_factor, bool blend);
void marble_texture_coords(float lon, float lat, float* s, float* t);
void draw_marble();
// A plane in object coordinates (keep a x + b y + c z + d >= 0) beyond which
// all within `radius` of the centre is hidden behind the opaque earth as
// draw_marble draws it under the current matrices; false when there is none.
bool marble_hiding_plane(float radius, double plane[4]);
bool marble_far_side_hidden(const float modelview[16], const float projection[16], float radius);
