// Sky coordinates and the sky clock; graphics thread only.
#include "sky/sky_clock.h"

#include <GL/gl.h>
#include <cmath>
#include <ctime>

#include "sky/sky_math.h"
#include "util.h"

double clock_offset = 0;

void sky_point(float ra, float dec, float radius, float out[3]) {
    double a = radians(ra), d = radians(dec);
    out[0] = (float)(std::cos(a) * std::cos(d) * radius);
    out[1] = (float)(std::sin(d) * radius);
    out[2] = (float)(-std::sin(a) * std::cos(d) * radius);
}

void sky_vertex(float ra, float dec, float radius) {
    float p[3];
    sky_point(ra, dec, radius, p);
    glVertex3f(p[0], p[1], p[2]);
}

void celestial_vertex(float ra, float dec) { sky_vertex(ra, dec, sky_radius); }

double sky_time() {
    // The offset is measured once, so later changes of the system clock move
    // dtime() and the sky clock together.
    static bool first_call = true;
    static double fixed_offset = 0;
    if (first_call) {
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        double t0 = (double)now.tv_sec + (double)(now.tv_nsec / 1000000) / 1000.0;
        fixed_offset = t0 - dtime();
        first_call = false;
    }
    return dtime() + fixed_offset;
}

float sidereal_angle(double t, float west_longitude) {
    double u = std::fmod(t, 86400.0);
    double T = (t - u - 946728000.0) / 3155760000.0;
    double g0 = (0.093104 * T + 8640184.812866) * T + 24110.54841;
    double g = 1.002738 * u + g0;
    return (float)(g / 86400.0 * 360.0 - west_longitude);
}
