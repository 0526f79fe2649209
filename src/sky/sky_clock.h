// Sky coordinates and the sky clock.
//
// Scene axes: +y to the north celestial pole, +x to RA 0 on the equator,
// -z to RA 90, +z to RA 270.
#pragma once

const float sky_radius = 5.5f;

// Seconds: sky_time() - dtime() as last measured. Written by
// make_site_markers and the frame's resize, read by the search panel's clock
// line; graphics thread.
extern double clock_offset;

// Emits one glVertex3f for (ra, dec) in degrees at `radius`.
void sky_vertex(float ra, float dec, float radius);

// sky_vertex on the sky sphere itself (sky_radius).
void celestial_vertex(float ra, float dec);

// The same point as sky_vertex emits, without emitting it.
void sky_point(float ra, float dec, float radius, float out[3]);

// UTC seconds since 1970, dtime() carried onto the calendar clock's epoch.
double sky_time();

// Local mean sidereal angle in degrees at time t for a west longitude
// (positive west of Greenwich); not reduced to [0, 360).
float sidereal_angle(double t, float west_longitude);
