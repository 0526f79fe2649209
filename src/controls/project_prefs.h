// Project preferences: the volunteer's settings from the project's web site.
#pragma once

extern bool static_decorations;   // true at start

// The other settings are read and kept; nothing draws with them yet.
enum { LANGUAGE_NONE = -1, LANGUAGE_ENGLISH = 0, LANGUAGE_DEUTSCH = 1 };
enum { PUNISHMENT_NONE = 0, PUNISHMENT_MESS_DUTY = 2, PUNISHMENT_KEEL_HAUL = 3 };

extern int language_code;            // LANGUAGE_NONE at start
extern int lucky_number;             // 0 at start
extern double search_location_lon;   // degrees, 0 at start
extern double search_location_lat;   // degrees, 0 at start
extern int punishment_code;          // PUNISHMENT_NONE at start

// Applies the preference text (may be null) to the settings above and, when
// it carries <static_decorations>, to show_decorations. Graphics thread.
void parse_projectd_prefs(const char* xml);

// app_graphics_reread_prefs (declared in platform/host_callbacks.h) is here:
// it reads the latest start-up data into gfx_init_data and parses its
// preferences.
