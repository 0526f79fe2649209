#include "controls/view_presets.h"

void preset_reset_view() {}
void preset_world_view() {}
void preset_inside_view() {}
void preset_outside_view() {}
