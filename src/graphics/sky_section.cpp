// The sky section of a frame: the layers of the sky sphere, the gunsight and
// the site block, squashed by the graphical events and turned by the spin.
#include "graphics/sky_section.h"

#include <GL/gl.h>

#include "graphics/graphical_events.h"
#include "scenery/marble.h"
#include "sky/site_markers.h"
#include "sky/sky_sphere.h"
#include "sky/target_marker.h"

void draw_sky_section(double dt, float sky_rotation, double t) {
    glPushMatrix();
    update_graphical_events(dt);
    glPushMatrix();
    glRotatef(sky_rotation, 0.0f, 1.0f, 0.0f);
    // The half of the grid behind the opaque earth is left out: the earth,
    // drawn after it in the site block, hides it, and its thousands of smooth
    // line segments were a quarter of the frame on a software renderer. Only
    // the light such lines added where a line in front crossed them, shining
    // through the earth, goes.
    double plane[4];
    bool earth_hides = show_earth && show_sites && marble_hiding_plane(grid_radius(), plane);
    draw_sky_layers(earth_hides ? plane : nullptr);
    draw_target_marker();
    if (show_sites) draw_site_markers(t);
    glPopMatrix();
    glPopMatrix();
}
