// The sky section of a frame: the layers of the sky sphere, the gunsight and
// the site block, squashed by the graphical events and turned by the spin.
#include "graphics/sky_section.h"

#include <GL/gl.h>

#include "graphics/graphical_events.h"
#include "sky/site_markers.h"
#include "sky/sky_sphere.h"
#include "sky/target_marker.h"

void draw_sky_section(double dt, float sky_rotation, double t) {
    glPushMatrix();
    update_graphical_events(dt);
    glPushMatrix();
    glRotatef(sky_rotation, 0.0f, 1.0f, 0.0f);
    draw_sky_layers();
    draw_target_marker();
    if (show_sites) draw_site_markers(t);
    glPopMatrix();
    glPopMatrix();
}
