#include "controls/project_prefs.h"

bool static_decorations = true;

void parse_projectd_prefs(const char* xml) {}
void app_graphics_reread_prefs() {}
