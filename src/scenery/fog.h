// The frame's fog worked out without the driver. The frame fogs by fragment
// depth, exponential squared, towards black: then the fog only scales a
// fragment's colour by a factor of its depth, and where that factor is known
// (a constant depth) or changes too little to matter (across one quad of the
// earth), scaling the drawn colour by it gives the same pixels, to a rounding,
// for much less work on a software renderer than the per-pixel fog.
#pragma once

#include <cmath>

// True, with the fog's density, when the fog is on and of that kind and the
// drawing fills pixels (feedback and selection get what is drawn, unchanged).
bool black_exp2_fog(float* density);

// The fog's factor at an eye-space depth (either sign).
inline float exp2_fog_factor(float density, float depth) {
    float x = density * std::fabs(depth);
    return std::exp(-x * x);
}
