// Loading images by logical name into textures, and the title decoration.
#pragma once

#include "gutil.h"

extern TEXTURE_DESC title_texture;
extern bool title_texture_tried;

int load_texture_image(TEXTURE_DESC& tex, const char* name);
void draw_textured_polygon(const TEXTURE_DESC& tex, const float pos[3], const float scale[2],
                           const float perimeter[][2], int count);
void draw_title_decoration();
