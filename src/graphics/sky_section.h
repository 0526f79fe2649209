// The sky section of a frame.
#pragma once

// With the camera placed: graphical events, the sky's turn, the layers, the
// target marker and the site-marker block. Leaves the matrix stack as it
// found it.
void draw_sky_section(double dt, float sky_rotation, double t);
