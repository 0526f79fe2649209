// Loading images by logical name into textures, and drawing textured polygons.
#pragma once

#include "gutil.h"

int load_texture_image(TEXTURE_DESC& tex, const char* name);
void draw_textured_polygon(const TEXTURE_DESC& tex, const float pos[3], const float scale[2],
                           const float perimeter[][2], int count);
