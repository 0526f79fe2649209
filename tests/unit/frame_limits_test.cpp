// The display's frame limits, driven with made-up clocks, and the graphics
// messages of the client channel.
#include <gtest/gtest.h>

#include "platform/client_channel.h"
#include "platform/frame_throttle.h"

namespace {

const double tick = 0.030;

// Frames allowed in `seconds` of 30 ms ticks when each frame costs
// `frame_cpu` seconds of display processor time.
int frames_in(double seconds, double frame_cpu, double max_fps, double max_share) {
    FrameThrottle throttle;
    double now = 1000, cpu = 50;
    int frames = 0;
    for (int i = 0; i < int(seconds / tick); i++, now += tick) {
        if (frame_allowed(throttle, now, cpu, max_fps, max_share)) {
            frames++;
            cpu += frame_cpu;
        }
    }
    return frames;
}

TEST(FrameLimits, CheapFramesRunAtTheTickRateUnderThirtyAFrameSecond) {
    int frames = frames_in(60, 0.001, 30, 0.2);
    EXPECT_GE(frames, 60 * 30 - 30);
    EXPECT_LE(frames, 60 * 30 + 1);
}

TEST(FrameLimits, CostlyFramesAreHeldToTheProcessorShare) {
    // 40 ms of processor time a frame (a software renderer on two threads):
    // 0.2 of each second allows five frames a second.
    int frames = frames_in(120, 0.040, 30, 0.2);
    EXPECT_GE(frames, 120 * 5 - 10);
    EXPECT_LE(frames, 120 * 5 + 10);
}

TEST(FrameLimits, ZeroMeansNoLimit) {
    EXPECT_EQ(frames_in(3, 0.5, 0, 0), 100);
}

TEST(FrameLimits, TheFirstTickDrawsAndAStallIsNotMeasured) {
    FrameThrottle throttle;
    EXPECT_TRUE(frame_allowed(throttle, 100.0, 10.0, 30, 0.2));
    // 50 s without a tick and 2 s of processor time in them: no credit of
    // idle time, no debt of processor time; the frame rate goes on.
    EXPECT_FALSE(frame_allowed(throttle, 150.0, 12.0, 30, 0.2));
    EXPECT_FALSE(frame_allowed(throttle, 150.03, 12.0, 30, 0.2));
    EXPECT_TRUE(frame_allowed(throttle, 150.06, 12.0, 30, 0.2));
}

TEST(FrameLimits, RestartForgetsTheMeasurement) {
    FrameThrottle throttle;
    EXPECT_TRUE(frame_allowed(throttle, 100.0, 10.0, 30, 0.2));
    EXPECT_FALSE(frame_allowed(throttle, 100.03, 11.0, 30, 0.2));   // over the share
    restart_frame_throttle(throttle);
    EXPECT_TRUE(frame_allowed(throttle, 100.06, 11.0, 30, 0.2));
}

TEST(FrameLimits, OldIdleTimeIsForgotten) {
    // A minute of frames that cost nothing, then costly ones: the limit bites
    // within the share horizon instead of living on the minute's credit.
    FrameThrottle throttle;
    double now = 0, cpu = 0;
    for (int i = 0; i < 2000; i++, now += tick) frame_allowed(throttle, now, cpu, 30, 0.2);
    int frames = 0;
    for (int i = 0; i < 2000; i++, now += tick) {
        if (frame_allowed(throttle, now, cpu, 30, 0.2)) {
            frames++;
            cpu += 0.1;
        }
    }
    EXPECT_LE(frames, 60 * 2 + 150);   // 2 frames a second, plus what the horizon held
}

TEST(ClientChannel, MessagesAndModesMatch) {
    EXPECT_EQ(graphics_mode_from_message("<mode_hide_graphics/>"), MODE_HIDE_GRAPHICS);
    EXPECT_EQ(graphics_mode_from_message("<mode_window/>"), MODE_WINDOW);
    EXPECT_EQ(graphics_mode_from_message("<mode_fullscreen/>"), MODE_FULLSCREEN);
    EXPECT_EQ(graphics_mode_from_message("<mode_blankscreen/>"), MODE_BLANKSCREEN);
    EXPECT_EQ(graphics_mode_from_message("<reread_prefs/>"), MODE_REREAD_PREFS);
    EXPECT_EQ(graphics_mode_from_message("<mode_quit/>"), MODE_QUIT);
    EXPECT_EQ(graphics_mode_from_message("<heartbeat/>"), -1);
    EXPECT_EQ(graphics_mode_from_message(""), -1);
    for (int mode = MODE_UNSUPPORTED; mode <= MODE_QUIT; mode++)
        EXPECT_EQ(graphics_mode_from_message(graphics_mode_tag(mode)), mode);
    EXPECT_STREQ(graphics_mode_tag(7), "");
    EXPECT_STREQ(graphics_mode_tag(-1), "");
}

TEST(ClientChannel, StandaloneHasNoRequests) { EXPECT_EQ(next_graphics_request(), -1); }

}  // namespace
