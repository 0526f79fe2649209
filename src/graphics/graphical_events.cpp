// Graphical events: after a random pause the scene is squashed and stretched
// for a random time, under a bell-shaped envelope, trembling from frame to
// frame; then the next pause is drawn.
#include "graphics/graphical_events.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <new>

#include "sky/sky_math.h"
#include "util.h"

graphical_event* event_state = nullptr;

namespace {

// The module's own generator (the classic 15-bit linear congruential one):
// the worker's rand() and these draws do not disturb each other.
uint32_t event_random_state = 1;

void seed_event_random() {
    // The seconds in 64 bits, folded: no overflow in 2038.
    uint64_t seconds = (uint64_t)dtime();
    event_random_state = (uint32_t)(seconds ^ (seconds >> 32));
}

int next_event_random() {
    event_random_state = event_random_state * 1103515245u + 12345u;
    return (int)((event_random_state >> 16) & 0x7fff);
}

const double EVENT_RANDOM_MAX = 32767.0;

double random_unit() { return next_event_random() / EVENT_RANDOM_MAX; }

double uniform_spread(double mean, double spread) {
    return mean + (2.0 * random_unit() - 1.0) * spread;
}

void start_graphical_events() {
    event_state->wait_mean = 30.0;
    event_state->wait_spread = 12.0;
    event_state->duration_mean = 60.0;
    event_state->duration_spread = 15.0;
    event_state->amplitude_mean = 0.01;
    event_state->amplitude_spread = 0.007;
    event_state->duration = 0.0;
    event_state->amplitude = 0.0;
    event_state->clock = 0.0;
    seed_event_random();
    event_state->state = EVENT_SCHEDULE;
}

void draw_event_amplitude() {
    event_state->amplitude = uniform_spread(event_state->amplitude_mean, event_state->amplitude_spread);
}

double bell(double t, double duration) {
    float sigma = (float)(duration / 6.0);
    float middle = (float)(duration / 2.0);
    double x = (t - middle) / sigma;
    return std::exp(-x * x);
}

}  // namespace

float event_envelope(double t, double duration) { return (float)bell(t, duration); }

float event_distortion(double t, double duration, double amplitude, double u) {
    // Drawn anew every frame while t runs to tens of seconds, the phase
    // jumps: the scene trembles rather than sways.
    float frequency = (float)(1.0 / (2.0 * u + 0.5));
    double wave = std::sin(2 * pi * frequency * t) * amplitude;
    return (float)(bell(t, duration) * wave);
}

namespace {

void apply_event_wobble() {
    float e = event_distortion(event_state->clock, event_state->duration, event_state->amplitude,
                               random_unit());
    glScalef(1.0f + e, 1.0f - e, 1.0f);
}

void schedule_next_event() {
    event_state->clock = -uniform_spread(event_state->wait_mean, event_state->wait_spread);
    event_state->duration = uniform_spread(event_state->duration_mean, event_state->duration_spread);
    draw_event_amplitude();
    event_state->state = EVENT_WAITING;
}

}  // namespace

void update_graphical_events(double dt) {
    if (!event_state) {
        event_state = new (std::nothrow) graphical_event;
        if (!event_state) return;  // the next frame tries again
        start_graphical_events();
    }
    event_state->clock += dt;
    // A frame that changes the state draws no distortion.
    switch (event_state->state) {
    case EVENT_WAITING:
        if (event_state->clock > 0) event_state->state = EVENT_ACTIVE;
        break;
    case EVENT_SCHEDULE:
        schedule_next_event();
        break;
    case EVENT_ACTIVE:
        if (event_state->clock > event_state->duration) {
            event_state->state = EVENT_SCHEDULE;
        } else {
            apply_event_wobble();
        }
        break;
    }
}
