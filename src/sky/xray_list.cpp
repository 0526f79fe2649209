#include "sky/catalogues.h"

const sky_position xray_list[] = {{0.0f, 0.0f}};
const int xray_count = 0;
bool show_xray = true;
