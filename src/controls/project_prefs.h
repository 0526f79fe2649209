// Project preferences: the volunteer's settings from the project's web site.
#pragma once

extern bool static_decorations;   // true at start

void parse_projectd_prefs(const char* xml);
void app_graphics_reread_prefs();
