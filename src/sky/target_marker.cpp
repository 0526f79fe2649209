// The gunsight around the worker's current target, rebuilt when the target
// moves and replayed every frame inside the sky's turn.
#include "sky/target_marker.h"

#include <GL/gl.h>
#include <cmath>

#include "core/search_state.h"
#include "sky/display_lists.h"
#include "sky/sky_clock.h"
#include "sky/sky_math.h"

unsigned int gunsight_list = 0;

namespace {

const float frame_gunsight_size = 0.5f;

// What the current list shows, to record it again in a new context.
float shown_ra = 0, shown_dec = 0, shown_size = 0;

// A closed ring of 20 vertices around (0, 0), in degrees of RA and Dec. It is
// recorded as a strip that ends on its first vertex: the same 20 segments as a
// line loop, which Mesa mishandles in display lists replayed in feedback mode.
void draw_ring(float radius) {
    glBegin(GL_LINE_STRIP);
    for (int k = 0; k <= 20; k++) {
        int i = k % 20;
        double theta = radians(i * 360.0 / 20);
        celestial_vertex((float)(radius * std::cos(theta)), (float)(radius * std::sin(theta)));
    }
    glEnd();
}

}  // namespace

void draw_gunsight(float ra, float dec, float size) {
    // The two turns carry (RA 0, Dec 0) onto the target, so the shape is laid
    // out around (0, 0) and is well formed at the poles too.
    glPushMatrix();
    glRotatef(ra, 0.0f, 1.0f, 0.0f);
    glRotatef(dec, 0.0f, 0.0f, 1.0f);
    draw_ring(size);
    draw_ring(3 * size);
    glBegin(GL_LINES);
    celestial_vertex(0, size);
    celestial_vertex(0, 4 * size);
    celestial_vertex(0, -size);
    celestial_vertex(0, -4 * size);
    celestial_vertex(-size, 0);
    celestial_vertex(-4 * size, 0);
    celestial_vertex(size, 0);
    celestial_vertex(4 * size, 0);
    glEnd();
    glPopMatrix();
}

void make_gunsight_list(float ra, float dec, float size) {
    if (gunsight_list != 0) glDeleteLists(gunsight_list, 1);
    gunsight_list = 0;
    if (!begin_list(gunsight_list)) return;
    glLineWidth(3.0f);
    glColor3f(1.0f, 0.5f, 0.0f);
    draw_gunsight(ra, dec, size);
    glEndList();
    shown_ra = ra;
    shown_dec = dec;
    shown_size = size;
}

void draw_target_marker() {
    // The target is taken before it is drawn: one the worker sets while the
    // list is rebuilt leaves TARGET_NEW again for the next frame.
    float ra, dec;
    if (take_new_target(ra, dec)) {
        make_gunsight_list(ra, dec, frame_gunsight_size);
    } else if (gunsight_list != 0 && !glIsList(gunsight_list)) {
        // A recreated window has a new context without our list: record the
        // same target again instead of waiting for the next one.
        make_gunsight_list(shown_ra, shown_dec, shown_size);
    }
    call_list(gunsight_list);
}
