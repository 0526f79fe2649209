// Now and then the whole 3-D scene is squashed and stretched for about a minute.
#pragma once

enum { EVENT_WAITING = 1, EVENT_ACTIVE = 2, EVENT_SCHEDULE = 3 };

struct graphical_event {
    int state;
    double clock;             // seconds; negative while waiting
    double wait_mean, wait_spread;
    double duration_mean, duration_spread;
    double duration;
    double amplitude;
    double amplitude_mean, amplitude_spread;
};

// Null until the first frame step; written and read by
// update_graphical_events alone (graphics thread); tests set it.
extern graphical_event* event_state;

// Frame step, with the modelview matrix current; may multiply it by a scale.
void update_graphical_events(double dt);

// The bell over an event of `duration` seconds, `t` seconds into it: 1 in the
// middle, e^-1 a sixth of the duration either side, e^-9 at both ends.
float event_envelope(double t, double duration);

// The distortion e of one frame (the scene is scaled by 1 + e along x and
// 1 - e along y): the bell times a sine of frequency 1 / (2u + 0.5) Hz, where
// u in [0, 1] is that frame's random draw.
float event_distortion(double t, double duration, double amplitude, double u);
