#include "sky/sky_clock.h"

double clock_offset = 0;

void sky_vertex(float ra, float dec, float radius) {}
void sky_point(float ra, float dec, float radius, float out[3]) {}
double sky_time() { return 0; }
float sidereal_angle(double t, float west_longitude) { return 0; }
