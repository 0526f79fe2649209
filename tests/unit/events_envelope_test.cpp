// The pure part of a graphical event: the bell and one frame's distortion.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/graphical_events.h"

TEST(EventEnvelope, BellOverTheEvent) {
    for (double duration : {45.0, 60.0, 75.0}) {
        EXPECT_FLOAT_EQ(event_envelope(duration / 2, duration), 1.0f);
        EXPECT_NEAR(event_envelope(duration / 2 - duration / 6, duration), std::exp(-1.0), 1e-6);
        EXPECT_NEAR(event_envelope(duration / 2 + duration / 6, duration), std::exp(-1.0), 1e-6);
        EXPECT_NEAR(event_envelope(0.0, duration), std::exp(-9.0), 1e-8);
        EXPECT_NEAR(event_envelope(duration, duration), std::exp(-9.0), 1e-8);
        EXPECT_LT(event_envelope(duration / 4, duration), event_envelope(duration / 3, duration));
    }
}

// f = 1 / (2u + 0.5): 2 Hz at u = 0, 0.4 Hz at u = 1; the sine's first
// crest is a quarter period in.
TEST(EventEnvelope, DistortionFrequencyFollowsTheDraw) {
    const double duration = 60.0, amplitude = 0.01;
    EXPECT_NEAR(event_distortion(0.125, duration, amplitude, 0.0),
                amplitude * event_envelope(0.125, duration), 1e-9);
    EXPECT_NEAR(event_distortion(0.625, duration, amplitude, 1.0),
                amplitude * event_envelope(0.625, duration), 1e-9);
    EXPECT_NEAR(event_distortion(30.5, duration, amplitude, 0.25), 0.0, 1e-6);  // f = 1 Hz
    EXPECT_NEAR(event_distortion(30.25, duration, amplitude, 0.25),
                amplitude * event_envelope(30.25, duration), 1e-9);  // crest
}

TEST(EventEnvelope, ScaleStaysWithinThePeakDistortion) {
    const double amplitude = 0.017;  // the largest peak a draw can give
    for (double duration : {45.0, 75.0}) {
        for (double t = 0.001; t <= duration; t += 0.037) {
            for (double u = 0.0; u <= 1.0; u += 0.0625) {
                float e = event_distortion(t, duration, amplitude, u);
                EXPECT_LE(std::fabs(e), amplitude * event_envelope(t, duration) + 1e-9);
                EXPECT_LE(1.0f + e, 1.017f);
                EXPECT_GE(1.0f - e, 0.983f);
            }
        }
    }
}
