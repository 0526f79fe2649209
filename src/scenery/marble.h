// The earth marble: a textured sphere turned to the sidereal time.
#pragma once

#include "gutil.h"

extern char marble_image_name[256];
extern TEXTURE_DESC marble_texture;
extern bool marble_texture_tried;
extern unsigned int marble_list;
extern float earth_offset;

void make_marble(float radius_factor, bool blend);
void marble_texture_coords(float lon, float lat, float* s, float* t);
void draw_marble();
bool marble_far_side_hidden(const float modelview[16], const float projection[16], float radius);
