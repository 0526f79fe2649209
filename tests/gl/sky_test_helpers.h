// Helpers of the sky and scenery GL tests: feedback of one list or one call
// under a box that encloses the sky, and points turned back into RA/Dec.
#pragma once

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "fbcapture.h"
#include "sky/sky_math.h"
#include "graphics/sky_section.h"
#include "sky/sky_sphere.h"
#include "graphics/graphical_events.h"

namespace sky_test {

// Feedback coordinates pass through the viewport in floats: 12 units over
// 640 pixels leave about 1e-6 of rounding, far below any real mistake.
const double tolerance = 1e-4;

inline FbCapture capture_enclosed(const std::function<void()>& draw) {
    load_enclosing_ortho(6.0);
    return capture_feedback(draw);
}

inline FbCapture capture_list(unsigned int list) {
    return capture_enclosed([list] { if (list) glCallList(list); });
}

struct RaDec { double ra, dec, radius; };

// The inverse of sky_vertex: RA in [0, 360).
inline RaDec ra_dec_of(const FbVertex& v) {
    double r = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    double ra = std::atan2(-v.z, v.x) * 180 / pi;
    if (ra < 0) ra += 360;
    return {ra, std::asin(v.y / r) * 180 / pi, r};
}

// Difference of two angles in degrees, reduced to [-180, 180).
inline double angle_difference(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d < -180) d += 360;
    if (d >= 180) d -= 360;
    return d;
}

inline double distance(const FbVertex& v, const float p[3]) {
    return std::sqrt((v.x - p[0]) * (v.x - p[0]) + (v.y - p[1]) * (v.y - p[1]) + (v.z - p[2]) * (v.z - p[2]));
}

inline bool colour_is(const FbVertex& v, float r, float g, float b) {
    return std::fabs(v.r - r) < 1e-6 && std::fabs(v.g - g) < 1e-6 && std::fabs(v.b - b) < 1e-6;
}

// Keeps the graphical events waiting while alive, so that the sky section
// does not squash the scene at a random moment of a test.
class QuietEvents {
  public:
    QuietEvents() {
        glPushMatrix();
        update_graphical_events(0);   // makes the state if no frame has yet
        glPopMatrix();
        if (event_state) {
            saved_ = *event_state;
            event_state->state = EVENT_WAITING;
            event_state->clock = -1e9;
        }
    }
    ~QuietEvents() {
        if (event_state) *event_state = saved_;
    }
  private:
    graphical_event saved_{};
};

// One sky section, as a frame draws it after placing the camera.
inline FbCapture capture_sky_section(float rotation, double t) {
    QuietEvents quiet;
    return capture_enclosed([rotation, t] { draw_sky_section(0.0, rotation, t); });
}

// The window's RGB pixels after `draw` on a cleared window (the frame's
// clear colour), the matrices left as they were.
inline std::vector<unsigned char> rendered(const std::function<void()>& draw) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, 640, 480);
    glClearColor(0, 0, 0.15f, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    draw();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glFinish();
    std::vector<unsigned char> px(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    return px;
}

// How two pictures of `rendered` differ.
struct picture_difference {
    size_t pixels = 0;        // pixels that differ at all
    size_t over_one = 0;      // pixels with a channel more than 1 apart
    size_t brighter = 0;      // pixels with a channel more than 1 brighter in `b`
    size_t lit_a = 0, lit_b = 0;   // pixels that are not the clear colour
};

inline picture_difference compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    picture_difference d;
    auto lit = [](const unsigned char* p) { return p[0] != 0 || p[1] != 0 || p[2] != 38; };
    for (size_t i = 0; i < a.size(); i += 3) {
        bool differs = false, over_one = false, brighter = false;
        for (size_t c = i; c < i + 3; c++) {
            int delta = (int)b[c] - (int)a[c];
            differs = differs || delta != 0;
            over_one = over_one || std::abs(delta) > 1;
            brighter = brighter || delta > 1;
        }
        d.pixels += differs;
        d.over_one += over_one;
        d.brighter += brighter;
        d.lit_a += lit(&a[i]);
        d.lit_b += lit(&b[i]);
    }
    return d;
}

}  // namespace sky_test
