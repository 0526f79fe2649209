// The title, the two text panels and the red ripples in the top-left corner,
// drawn flat over the window before the sky.
#include "graphics/panels.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/search_state.h"
#include "graphics/frame.h"
#include "graphics/overlay.h"
#include "scenery/textures.h"
#include "sky/sky_clock.h"

double ripples_start_time = 0;

namespace {

const int major_version = 4;
const int minor_version = 87;

// Panel text: light blue, in front of the far end of the depth range.
void set_panel_colour() { glColor3f(0.5f, 0.5f, 1.0f); }
const float panel_depth = -0.5f;

// Moves the raster position one line down and draws a formatted line there.
struct panel_writer {
    float x, y;
    void next_line(const char* text) {
        y -= line_step;
        glRasterPos3f(x, y, panel_depth);
        draw_text(text, panel_font);
    }
};

// Drops a UTF-8 lead byte and its continuation bytes left dangling at the end.
void trim_partial_character(char* buffer) {
    size_t n = strlen(buffer);
    size_t start = n;
    while (start > 0 && (buffer[start - 1] & 0xC0) == 0x80) --start;
    if (start == 0) return;
    unsigned char lead = buffer[start - 1];
    size_t have = n - start + 1;
    size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (lead >= 0xC0 && have < need) buffer[start - 1] = '\0';
}

}  // namespace

void format_line(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int written = vsnprintf(buffer, size, format, args);
    va_end(args);
    if (written >= 0 && (size_t)written >= size) trim_partial_character(buffer);
}

int seconds_into_day(double t) {
    if (!std::isfinite(t)) return 0;
    double s = std::fmod(std::trunc(t), 86400.0);
    if (s < 0) s += 86400.0;
    return (int)s;
}

void draw_title() {
    if (!show_decorations) return;
    begin_overlay();
    glColor3f(0.7f, 0.0f, 0.0f);
    glRasterPos3f(0.45f, 0.97f, -0.95f);
    draw_text("Tidewrack", title_font);
    end_overlay();
    draw_title_decoration();
}

void draw_user_panel() {
    if (!show_decorations) return;
    char line[256];
    panel_writer panel{0.03f, 5 * line_step};

    begin_overlay();
    set_panel_colour();
    glRasterPos3f(panel.x, panel.y, panel_depth);
    draw_text("User: ", panel_font);
    draw_text(gfx_init_data.user_name, panel_font);

    format_line(line, sizeof line, "Total Credit: %7.2f", gfx_init_data.user_total_credit);
    panel.next_line(line);
    format_line(line, sizeof line, "Host Credit:  %7.2f ", gfx_init_data.host_total_credit);
    panel.next_line(line);
    if (gfx_init_data.team_name[0]) {
        format_line(line, sizeof line, "Team: %s", gfx_init_data.team_name);
        panel.next_line(line);
    }
    double done = fraction_done.load();
    if (done > 0.0001) {
        format_line(line, sizeof line, "Percent Done: %04.2f%%", done * 100);
        panel.next_line(line);
    }
    end_overlay();
}

namespace {

// Above the search panel: a suspended task says so.
void draw_suspended_notice() {
    begin_overlay();
    set_panel_colour();
    glRasterPos3f(0.87f, 7 * line_step, panel_depth);
    draw_text("Suspended", panel_font);
    end_overlay();
}

}  // namespace

void draw_search_panel(double t) {
    if (task_suspended.load()) draw_suspended_notice();
    if (!search_started.load() || !show_decorations) return;
    char line[255];
    panel_writer panel{0.87f, 6 * line_step};

    begin_overlay();
    set_panel_colour();
    glRasterPos3f(panel.x, panel.y, panel_depth);
    draw_text("Search Information:", panel_font);

    format_line(line, sizeof line, " RA:    %7.2f", search_ra.load());
    panel.next_line(line);
    format_line(line, sizeof line, " DEC:  %7.2f", search_dec.load());
    panel.next_line(line);
    format_line(line, sizeof line, " Searched: %9d", n_searched.load());
    panel.next_line(line);
    if (show_clock) {
        int s = seconds_into_day(t + clock_offset);
        format_line(line, sizeof line, " %2.2d:%2.2d:%2.2d GMT", s / 3600, (s / 60) % 60, s % 60);
        panel.next_line(line);
    }
    // The version line stands apart, near the bottom centre, in front.
    glRasterPos3f(0.47f, 0.5f * line_step, 0.15f);
    format_line(line, sizeof line, "%s %d.%2d", gfx_init_data.app_name, major_version, minor_version);
    draw_text(line, panel_font);
    end_overlay();
}

void draw_corner_ripples(double t) {
    if (!show_ripples) return;
    const int bands = 7;
    const int segments = 16;
    const float segment_angle = 90.0f / 15;
    const double period = 2.0;          // seconds for one band spacing
    const float fade_radius = 0.2f;     // where a band's alpha reaches 0
    const float width = fade_radius / 14;
    const float depth = -1.0f;

    if (ripples_start_time == 0) ripples_start_time = t;
    double u = (t - ripples_start_time) / period;
    float shift = (float)((u - std::trunc(u)) * 2 * width);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_LINE_SMOOTH);
    begin_overlay();
    for (int i = 0; i < bands; ++i) {
        float r = i * 2 * width - width + shift;
        glColor4f(0.9f, 0.0f, 0.0f, 1 - r / fade_radius);
        for (int j = 0; j < segments; ++j) {
            float a = j * segment_angle;
            glBegin(GL_POLYGON);
            ripple_vertex(r, a, depth);
            ripple_vertex(r + width, a, depth);
            ripple_vertex(r + width, a + segment_angle, depth);
            ripple_vertex(r, a + segment_angle, depth);
            glEnd();
        }
    }
    glDisable(GL_BLEND);
    end_overlay();
}
