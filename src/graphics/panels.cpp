// The title, the two text panels and the red ripples in the top-left corner,
// drawn flat over the window before the sky.
#include "graphics/panels.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/search_state.h"
#include "graphics/overlay.h"
#include "graphics/text_utils.h"
#include "graphics/title_decoration.h"
#include "graphics/view_state.h"
#include "scenery/fog.h"
#include "sky/sky_clock.h"

double ripples_start_time = 0;

namespace {

const int major_version = 4;
const int minor_version = 87;

// How far the glyphs we draw reach above and below the baseline, in pixels,
// and the gap kept to the window's edge by text moved to fit.
const int title_ascent = 17, title_descent = 5;   // Times Roman 24
const int panel_ascent = 9, panel_descent = 3;    // Helvetica 12
const int edge_gap = 2;

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

}  // namespace

float fit_left_edge(float x, int width_px) {
    if (window_width <= 0) return x;
    float last = 1.0f - (float)(width_px + edge_gap) / window_width;
    return x <= last ? x : std::max(last, 0.0f);
}

float fit_baseline(float y, int ascent_px, int descent_px) {
    if (window_height <= 0) return y;
    float highest = 1.0f - (float)(ascent_px + edge_gap) / window_height;
    float lowest = (float)(descent_px + edge_gap) / window_height;
    return y > highest ? highest : y < lowest ? lowest : y;
}

void draw_title() {
    if (!show_decorations) return;
    const char title[] = "Tidewrack";
    begin_overlay();
    glColor3f(0.7f, 0.0f, 0.0f);
    glRasterPos3f(fit_left_edge(0.45f, text_width(title, title_font)),
                  fit_baseline(0.97f, title_ascent, title_descent), -0.95f);
    draw_text(title, title_font);
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
    // All lines first: the panel moves left as a whole when its widest line
    // would run past the window's right edge.
    char lines[5][255];
    int count = 0;
    format_line(lines[count++], sizeof lines[0], "Search Information:");
    format_line(lines[count++], sizeof lines[0], " RA:    %7.2f", search_ra.load());
    format_line(lines[count++], sizeof lines[0], " DEC:  %7.2f", search_dec.load());
    format_line(lines[count++], sizeof lines[0], " Searched: %9d", n_searched.load());
    if (show_clock) {
        int s = seconds_into_day(t + clock_offset);
        format_line(lines[count++], sizeof lines[0], " %2.2d:%2.2d:%2.2d GMT", s / 3600, (s / 60) % 60, s % 60);
    }
    int widest = 0;
    for (int k = 0; k < count; k++) widest = std::max(widest, text_width(lines[k], panel_font));
    panel_writer panel{fit_left_edge(0.87f, widest), 6 * line_step};

    begin_overlay();
    set_panel_colour();
    glRasterPos3f(panel.x, panel.y, panel_depth);
    draw_text(lines[0], panel_font);
    for (int k = 1; k < count; k++) panel.next_line(lines[k]);
    // The version line stands apart, near the bottom centre, in front.
    char line[255];
    format_line(line, sizeof line, "%s %d.%2d", gfx_init_data.app_name, major_version, minor_version);
    glRasterPos3f(fit_left_edge(0.47f, text_width(line, panel_font)),
                  fit_baseline(0.5f * line_step, panel_ascent, panel_descent), 0.15f);
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
    // At the bands' one depth the fog is one factor: given in their colour.
    float density, fogged = 1.0f;
    bool fog_in_colour = black_exp2_fog(&density);
    if (fog_in_colour) {
        fogged = exp2_fog_factor(density, depth);
        glDisable(GL_FOG);
    }
    begin_overlay();
    // Each band in one primitive: every segment's quad as the two triangles
    // that its polygon is drawn as, without a draw call for each segment.
    for (int i = 0; i < bands; ++i) {
        float r = i * 2 * width - width + shift;
        glColor4f(0.9f * fogged, 0.0f, 0.0f, 1 - r / fade_radius);
        glBegin(GL_TRIANGLES);
        for (int j = 0; j < segments; ++j) {
            float a = j * segment_angle;
            ripple_vertex(r, a, depth);
            ripple_vertex(r + width, a, depth);
            ripple_vertex(r + width, a + segment_angle, depth);
            ripple_vertex(r, a, depth);
            ripple_vertex(r + width, a + segment_angle, depth);
            ripple_vertex(r, a + segment_angle, depth);
        }
        glEnd();
    }
    glDisable(GL_BLEND);
    if (fog_in_colour) glEnable(GL_FOG);
    end_overlay();
}
