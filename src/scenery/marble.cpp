#include "scenery/marble.h"

char marble_image_name[256] = "";
TEXTURE_DESC marble_texture;
bool marble_texture_tried = false;
unsigned int marble_list = 0;
float earth_offset = 180.0f;

void make_marble(float radius_factor, bool blend) {}
void marble_texture_coords(float lon, float lat, float* s, float* t) {}
