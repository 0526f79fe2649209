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

// Null until the first frame step.
extern graphical_event* event_state;

// Frame step, with the modelview matrix current; may multiply it by a scale.
void update_graphical_events(double dt);
