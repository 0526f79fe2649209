#include "scenery/textures.h"

TEXTURE_DESC title_texture;
bool title_texture_tried = false;

int load_texture_image(TEXTURE_DESC& tex, const char* name) { return -1; }
void draw_textured_polygon(const TEXTURE_DESC& tex, const float pos[3], const float scale[2],
                           const float perimeter[][2], int count) {}
void draw_title_decoration() {}
