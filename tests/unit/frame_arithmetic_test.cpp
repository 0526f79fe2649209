// The frame's arithmetic without a display: frame clock, sky spin, camera.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/frame.h"
#include "sky/sky_math.h"

namespace {

struct saved_view {
    double first, last, angle;
    float rate, azimuth, elevation, distance;
};

// Every test starts from the program's start values and leaves them so.
class FrameArithmetic : public ::testing::Test {
  protected:
    saved_view saved;
    void SetUp() override {
        saved = {first_frame_time, last_frame_time, sky_spin_angle, sky_spin_rate,
                 camera_azimuth, camera_elevation, camera_distance};
        first_frame_time = last_frame_time = -1.0;
        sky_spin_angle = 0.0;
        sky_spin_rate = view_start.sky_spin_rate;
        camera_azimuth = view_start.camera_azimuth;
        camera_elevation = view_start.camera_elevation;
        camera_distance = view_start.camera_distance;
    }
    void TearDown() override {
        first_frame_time = saved.first;
        last_frame_time = saved.last;
        sky_spin_angle = saved.angle;
        sky_spin_rate = saved.rate;
        camera_azimuth = saved.azimuth;
        camera_elevation = saved.elevation;
        camera_distance = saved.distance;
    }
};


}  // namespace

TEST_F(FrameArithmetic, StartsWithAFourToThreeAspect) {
    EXPECT_EQ(aspect_ratio, 1.3333334f);
}

TEST_F(FrameArithmetic, FirstFrameSeesTenMillisecondsAndNoElapsedTime) {
    double elapsed = -5;
    // (the frame time's resolution near 1.7e9 s is about 0.24 microseconds)
    EXPECT_NEAR(advance_frame_clock(1.7e9, &elapsed), 0.01, 1e-6);
    EXPECT_EQ(elapsed, 0.0);
    EXPECT_EQ(first_frame_time, 1.7e9);
    EXPECT_NEAR(advance_frame_clock(1.7e9 + 0.03, &elapsed), 0.03, 1e-6);
    EXPECT_NEAR(elapsed, 0.03, 1e-6);
    // A long pause is taken whole.
    EXPECT_NEAR(advance_frame_clock(1.7e9 + 100.03, &elapsed), 100.0, 1e-6);
    EXPECT_NEAR(elapsed, 100.03, 1e-6);
}

TEST_F(FrameArithmetic, SpinFallsByRateOverDtAndTurnsBackwardsForNegativeRate) {
    advance_sky_spin(0.03);
    EXPECT_NEAR(sky_spin_angle, -0.09, 1e-9);
    sky_spin_rate = -180.0f;
    advance_sky_spin(0.03);
    advance_sky_spin(0.03);
    EXPECT_NEAR(sky_spin_angle, 0.09, 1e-9);
}

TEST_F(FrameArithmetic, SpinWrapsOnceBeyondPlusMinus360ButNotAt360) {
    sky_spin_rate = 0.0f;
    sky_spin_angle = -360.0;
    advance_sky_spin(0.03);
    EXPECT_EQ(sky_spin_angle, -360.0);
    sky_spin_angle = 360.0;
    advance_sky_spin(0.03);
    EXPECT_EQ(sky_spin_angle, 360.0);
    sky_spin_angle = -360.05;
    advance_sky_spin(0.03);
    EXPECT_NEAR(sky_spin_angle, -0.05, 1e-9);
    sky_spin_angle = 360.05;
    advance_sky_spin(0.03);
    EXPECT_NEAR(sky_spin_angle, 0.05, 1e-9);
    // Far out of range: one correction per call.
    sky_spin_angle = -1000.0;
    advance_sky_spin(0.03);
    EXPECT_NEAR(sky_spin_angle, -640.0, 1e-9);
    advance_sky_spin(0.03);
    EXPECT_NEAR(sky_spin_angle, -280.0, 1e-9);
    advance_sky_spin(0.03);
    EXPECT_NEAR(sky_spin_angle, -280.0, 1e-9);
}

TEST_F(FrameArithmetic, CameraAtStartValuesLooksThroughTheCentre) {
    double eye[3], centre[3];
    camera_eye_and_centre(0.0, eye, centre);
    // theta = 66.4, phi = 30, r = 8
    EXPECT_NEAR(eye[0], 3.6654510, 1e-6);
    EXPECT_NEAR(eye[1], 3.2027921, 1e-6);
    EXPECT_NEAR(eye[2], 6.3487473, 1e-6);
    EXPECT_NEAR(centre[0], -0.2290907, 1e-6);
    EXPECT_NEAR(centre[1], -0.2001745, 1e-6);
    EXPECT_NEAR(centre[2], -0.3967967, 1e-6);
}

TEST_F(FrameArithmetic, CameraSwingsToItsWidestAngleAfterAQuarterPeriod) {
    double eye[3], centre[3];
    camera_azimuth = 0.0f;
    camera_distance = 1.0f;
    camera_eye_and_centre(17 * 60 / 4.0, eye, centre);   // theta = 66.4 + 37
    EXPECT_NEAR(eye[1], std::cos(103.4 * pi / 180), 1e-6);
    EXPECT_NEAR(eye[2], std::sin(103.4 * pi / 180), 1e-6);
    EXPECT_NEAR(eye[0], 0.0, 1e-9);
    camera_eye_and_centre(17 * 60 * 0.75, eye, centre);  // theta = 66.4 - 37
    EXPECT_NEAR(eye[1], std::cos(29.4 * pi / 180), 1e-6);
}

TEST_F(FrameArithmetic, CameraAtZeroOrNegativeDistanceStandsAtTheCentre) {
    for (float distance : {0.0f, -3.0f}) {
        camera_distance = distance;
        double eye[3], centre[3];
        camera_eye_and_centre(0.0, eye, centre);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(eye[k], 0.0) << distance;
        // Looks outward, 0.5 units away, on the side opposite the swing's unit vector.
        EXPECT_NEAR(std::hypot(std::hypot(centre[0], centre[1]), centre[2]), 0.5, 1e-9);
        EXPECT_NEAR(centre[1], -0.2001745, 1e-6);
    }
}
