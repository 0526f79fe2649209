// Sky coordinates and the sky clock: where a sky position lands in the scene,
// the sidereal angle that turns the earth, and the UTC clock beside dtime().
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "sky/sky_clock.h"
#include "util.h"

namespace {

const double noon_2000_01_01 = 946728000.0;      // 2000-01-01 12:00:00 UTC
const double midnight_2000_01_01 = 946684800.0;  // 2000-01-01 00:00:00 UTC
const double midnight_2005_06_01 = 1117584000.0; // 2005-06-01 00:00:00 UTC

struct Point { float x, y, z; };

Point point_of(float ra, float dec, float radius) {
    float p[3];
    sky_point(ra, dec, radius, p);
    return {p[0], p[1], p[2]};
}

}  // namespace

// ------------------------------------------------------------------ sky_point

TEST(SkyPoint, CardinalPoints) {
    for (float r : {sky_radius, 0.25f * sky_radius, 1.0f}) {
        SCOPED_TRACE(r);
        const float tiny = 1e-6f * r;
        Point p = point_of(0, 0, r);  // RA 0 on the equator: +x
        EXPECT_FLOAT_EQ(p.x, r);
        EXPECT_NEAR(p.y, 0, tiny);
        EXPECT_NEAR(p.z, 0, tiny);
        p = point_of(90, 0, r);  // RA 90: -z
        EXPECT_NEAR(p.x, 0, tiny);
        EXPECT_NEAR(p.y, 0, tiny);
        EXPECT_FLOAT_EQ(p.z, -r);
        p = point_of(270, 0, r);  // RA 270: +z
        EXPECT_NEAR(p.x, 0, tiny);
        EXPECT_NEAR(p.y, 0, tiny);
        EXPECT_FLOAT_EQ(p.z, r);
        p = point_of(180, 0, r);
        EXPECT_FLOAT_EQ(p.x, -r);
        EXPECT_NEAR(p.z, 0, tiny);
        for (float ra : {0.0f, 37.9f, 90.0f, 181.5f, 270.0f, 359.99f}) {
            SCOPED_TRACE(ra);
            p = point_of(ra, 90, r);  // the north pole: +y for any RA
            EXPECT_NEAR(p.x, 0, tiny);
            EXPECT_FLOAT_EQ(p.y, r);
            EXPECT_NEAR(p.z, 0, tiny);
            p = point_of(ra, -90, r);
            EXPECT_FLOAT_EQ(p.y, -r);
        }
    }
}

TEST(SkyPoint, RightAscensionGrowsCounterClockwiseSeenFromTheNorth) {
    // Midway points fix the signs that the axes alone would not: RA 45 lies
    // between +x and -z, and a declination of 45 lifts a point to y = r / sqrt 2.
    const float r = sky_radius;
    Point p = point_of(45, 45, r);
    EXPECT_NEAR(p.x, r / 2, 1e-5);
    EXPECT_NEAR(p.y, r / std::sqrt(2.0), 1e-5);
    EXPECT_NEAR(p.z, -r / 2, 1e-5);
    p = point_of(135, -30, r);
    EXPECT_NEAR(p.x, -r * std::sqrt(3.0) / 2 / std::sqrt(2.0), 1e-5);
    EXPECT_NEAR(p.y, -r / 2, 1e-5);
    EXPECT_NEAR(p.z, -r * std::sqrt(3.0) / 2 / std::sqrt(2.0), 1e-5);
}

// ------------------------------------------------------------------ sidereal_angle

TEST(SiderealAngle, KnownInstants) {
    const struct { double t; float west; double turns, angle, tolerance; } cases[] = {
        {noon_2000_01_01, 0, 0, 280.46063, 1e-4},
        {midnight_2000_01_01, 0, 0, 99.96779, 1e-4},
        // Five and a half years on, the angle is not reduced to [0, 360);
        // a float of about 2000 holds it to 0.00025.
        {midnight_2005_06_01, 0, 5, 249.5783, 4e-4},
        {midnight_2005_06_01, 90.77408f, 5, 158.8042, 4e-4},
        {midnight_2005_06_01, -9.80683f, 5, 259.3851, 4e-4},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "t " << (long long)c.t << ", west " << c.west);
        EXPECT_NEAR(sidereal_angle(c.t, c.west), c.turns * 360 + c.angle, c.tolerance);
    }
}

TEST(SiderealAngle, LongitudeShiftsTheAngleOneForOne) {
    // East longitudes are negative: the meridian east of Greenwich holds a larger RA.
    for (float west : {-170.0f, -9.80683f, 0.0f, 90.77408f, 179.5f})
        EXPECT_NEAR(sidereal_angle(noon_2000_01_01, west), sidereal_angle(noon_2000_01_01, 0) - west, 1e-4);
}

TEST(SiderealAngle, SiderealDayIsShorterThanASolarDay) {
    // Within a day the angle grows 1.002738 times faster than the solar hour angle.
    double t = midnight_2005_06_01;
    EXPECT_NEAR(sidereal_angle(t + 3600, 0) - sidereal_angle(t, 0), 15 * 1.002738, 1e-3);
    // From one 0h UTC to the next the Greenwich angle gains about 0.9856 degrees.
    EXPECT_NEAR(sidereal_angle(t + 86400, 0) - sidereal_angle(t, 0), 0.98565, 1e-3);
}

// ------------------------------------------------------------------ sky_time

TEST(SkyTime, FixedOffsetFromDtimeOnTheUtcEpoch) {
    // Each call is bracketed by two dtime() readings, which bound its offset
    // without any assumption on how fast the calls follow each other.
    double lowest_upper = 1e300, highest_lower = -1e300;
    double previous = 0;
    for (int i = 0; i < 4; i++) {
        double before = dtime();
        double now = sky_time();
        double after = dtime();
        highest_lower = std::max(highest_lower, now - after);
        lowest_upper = std::min(lowest_upper, now - before);
        EXPECT_GE(now, previous);
        previous = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_LE(highest_lower, lowest_upper) << "the offset from dtime() changed between calls";
    // Both clocks count UTC seconds since 1970: the offset is at most the
    // milliseconds dropped from the calendar reading (1 s keeps it robust).
    EXPECT_LT(std::fabs(lowest_upper), 1.0);
    EXPECT_LT(std::fabs(highest_lower), 1.0);
}
