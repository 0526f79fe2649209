// The title decoration: a picture drawn half transparent beside the title.
#pragma once

#include "gutil.h"

//   variable             written by                        read by
//   title_texture        draw_title_decoration (loads)     draw_title_decoration
//   title_texture_tried  draw_title_decoration; graphics   draw_title_decoration
//                        start-up clears it for the new context
extern TEXTURE_DESC title_texture;
extern bool title_texture_tried;

// Where the decoration lies in the overlay space: its top-left corner (and
// depth), its size, its outline in texture coordinates, and its opacity.
extern const float title_pos[3];
extern const float title_scale[2];
extern const float title_perimeter[7][2];
extern const float title_opacity;

void draw_title_decoration();
