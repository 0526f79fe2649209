// Project preferences. The text is searched element by element with the
// framework's parse_str / parse_int / parse_double, which find an element
// wherever it stands, so the enclosing <project_preferences> element that a
// client sends, the order of the elements and any unknown elements make no
// difference.
#include "controls/project_prefs.h"

#include <cstdio>
#include <string>

#include "parse.h"

#include "graphics/frame.h"
#include "platform/host_callbacks.h"
#include "platform/latest_init_data.h"

bool static_decorations = true;
int language_code = LANGUAGE_NONE;
int lucky_number = 0;
double search_location_lon = 0.0;
double search_location_lat = 0.0;
int punishment_code = PUNISHMENT_NONE;

static void apply_static_decorations(const std::string& text) {
    if (text == "yes") static_decorations = true;
    if (text == "no") static_decorations = false;
    // Present with any text: the switch follows the preference again.
    show_decorations = static_decorations;
}

static void apply_language(const std::string& text) {
    if (text == "English") language_code = LANGUAGE_ENGLISH;
    if (text == "Deutsch") language_code = LANGUAGE_DEUTSCH;
}

static void apply_punishment(const std::string& text) {
    if (text == "Mess Duty") punishment_code = PUNISHMENT_MESS_DUTY;
    if (text == "Keel Haul") punishment_code = PUNISHMENT_KEEL_HAUL;
    if (text == "Cat o' Nine Tails") punishment_code = PUNISHMENT_KEEL_HAUL;
}

void parse_projectd_prefs(const char* xml) {
    // printf's "%s" of a null pointer is undefined: spell it out.
    fprintf(stderr, "GFX: parse_projectd_prefs(..) parsing:\n%s\n", xml ? xml : "(null)");
    if (!xml) return;

    std::string text;
    if (parse_str(xml, "<static_decorations>", text)) apply_static_decorations(text);
    text.clear();
    if (parse_str(xml, "<language>", text)) apply_language(text);
    parse_int(xml, "<lucky_number>", lucky_number);
    parse_double(xml, "<search_location_lon>", search_location_lon);
    parse_double(xml, "<search_location_lat>", search_location_lat);
    text.clear();
    if (parse_str(xml, "<punishment>", text)) apply_punishment(text);
}

void app_graphics_reread_prefs() {
    fprintf(stderr, "GFX: app_graphics_reread_prefs() called.\n");
    // A 7.x client announces new preferences only by rewriting init_data.xml;
    // the library's own copy is the one read at start-up.
    get_latest_init_data(gfx_init_data);
    parse_projectd_prefs(gfx_init_data.project_preferences);
}
