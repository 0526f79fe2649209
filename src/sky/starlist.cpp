#include "sky/catalogues.h"

const sky_position starlist[] = {{0.0f, 0.0f}};
const int starlist_count = 0;
bool show_stars = true;
bool show_constellations = true;
