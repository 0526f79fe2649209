// The graphics initialisation callback, run after each window is created. It
// sits above the frame because it applies the volunteer's preferences and
// the world view preset once the frame has set the new context up.
#include <GL/gl.h>

#include <cstdio>

#include "controls/project_prefs.h"
#include "controls/view_presets.h"
#include "graphics/frame.h"
#include "platform/host_callbacks.h"
#include "platform/latest_init_data.h"

void app_graphics_init() {
    fprintf(stderr, "APP: app_graphics_init()\n");
    get_latest_init_data(gfx_init_data);
    parse_projectd_prefs(gfx_init_data.project_preferences);
    set_up_frame();
    preset_world_view();
    glFlush();
}
