// Control+R, 0, W, I and O apply the view presets (they rebuild the earth's
// display lists, hence a GL context), and the switches can be toggled after.
#include <gtest/gtest.h>

#include <string>

#include "controls/controls.h"
#include "controls/project_prefs.h"
#include "graphics/frame.h"
#include "sky/catalogues.h"
#include "sky/site_markers.h"
#include "sky/sky_sphere.h"
#include "stderr_capture.h"

namespace {

// Presses Control+key and returns the log lines of the key itself.
std::string control_key(int code) {
    StderrCapture log;
    boinc_app_key_press(KEY_CONTROL, 0);
    boinc_app_key_press(code, 0);
    boinc_app_key_release(KEY_CONTROL, 0);
    return log.text();
}

// Odd values everywhere, so that a preset must set what it claims to set.
void scramble_view() {
    sky_spin_rate = -700.0f;
    camera_azimuth = 111.0f;
    camera_elevation = -45.0f;
    camera_distance = 13.0f;
    sky_spin_offset = 77.0f;
    show_stars = show_pulsars = show_snr = show_xray = show_sites = false;
    show_constellations = show_earth = show_decorations = false;
    show_clock = true;
    show_ripples = false;
}

void expect_catalogues_and_sites_shown() {
    EXPECT_TRUE(show_stars);
    EXPECT_TRUE(show_pulsars);
    EXPECT_TRUE(show_snr);
    EXPECT_TRUE(show_xray);
    EXPECT_TRUE(show_sites);
}

// The view and switches as they were before each test, put back after it.
struct view_snapshot {
    float spin_rate, azimuth, elevation, distance, spin_offset;
    bool stars, pulsars, snr, xray, sites, constellations, earth, decorations, clock, ripples;
};

view_snapshot take_snapshot() {
    return {sky_spin_rate, camera_azimuth, camera_elevation, camera_distance, sky_spin_offset,
            show_stars, show_pulsars, show_snr, show_xray, show_sites, show_constellations,
            show_earth, show_decorations, show_clock, show_ripples};
}

void restore_snapshot(const view_snapshot& v) {
    sky_spin_rate = v.spin_rate;
    camera_azimuth = v.azimuth;
    camera_elevation = v.elevation;
    camera_distance = v.distance;
    sky_spin_offset = v.spin_offset;
    show_stars = v.stars;
    show_pulsars = v.pulsars;
    show_snr = v.snr;
    show_xray = v.xray;
    show_sites = v.sites;
    show_constellations = v.constellations;
    show_earth = v.earth;
    show_decorations = v.decorations;
    show_clock = v.clock;
    show_ripples = v.ripples;
}

class Presets : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = take_snapshot();
        static_decorations = true;
    }
    void TearDown() override {
        static_decorations = true;
        restore_snapshot(saved_);
    }
    view_snapshot saved_;
};

}  // namespace

TEST_F(Presets, ResetViewOnRAndZero) {
    for (int code : {'R', '0'}) {
        scramble_view();
        std::string log = control_key(code);
        EXPECT_EQ(log.find("?"), std::string::npos) << log;
        EXPECT_EQ(sky_spin_rate, 180.0f);
        EXPECT_EQ(camera_azimuth, 30.0f);
        EXPECT_EQ(camera_elevation, 23.6f);
        EXPECT_EQ(camera_distance, 8.0f);
        EXPECT_EQ(sky_spin_offset, 0.0f);
        expect_catalogues_and_sites_shown();
        EXPECT_TRUE(show_constellations);
        EXPECT_FALSE(show_earth);  // grid and marble hidden although rebuilt
        EXPECT_TRUE(show_decorations);
        EXPECT_FALSE(show_ripples);  // left as it was
        EXPECT_TRUE(show_clock);
        control_key('G');
        EXPECT_TRUE(show_earth);
    }
}

TEST_F(Presets, WorldViewOnW) {
    scramble_view();
    control_key('W');
    EXPECT_EQ(sky_spin_rate, 180.0f);
    EXPECT_EQ(camera_azimuth, 30.0f);
    EXPECT_EQ(camera_elevation, 23.6f);
    EXPECT_EQ(camera_distance, 2.25f);
    EXPECT_EQ(sky_spin_offset, 0.0f);
    expect_catalogues_and_sites_shown();
    EXPECT_FALSE(show_constellations);
    EXPECT_TRUE(show_earth);
    EXPECT_TRUE(show_decorations);
    EXPECT_FALSE(show_ripples);
    EXPECT_TRUE(show_clock);
}

// Inside: the camera at the centre, panels hidden whatever the preference.
TEST_F(Presets, InsideViewOnIHidesThePanels) {
    scramble_view();
    show_decorations = true;
    show_ripples = true;
    control_key('I');
    EXPECT_EQ(sky_spin_rate, -700.0f);
    EXPECT_EQ(camera_azimuth, 111.0f);
    EXPECT_EQ(camera_elevation, -45.0f);
    EXPECT_EQ(camera_distance, 0.0f);
    EXPECT_EQ(sky_spin_offset, 0.0f);
    expect_catalogues_and_sites_shown();
    EXPECT_TRUE(show_constellations);
    EXPECT_TRUE(show_earth);
    EXPECT_FALSE(show_decorations);
    EXPECT_FALSE(show_ripples);
    control_key('B');
    EXPECT_TRUE(show_decorations);
}

TEST_F(Presets, OutsideViewOnO) {
    scramble_view();
    control_key('O');
    EXPECT_EQ(sky_spin_rate, -700.0f);
    EXPECT_EQ(camera_azimuth, 111.0f);
    EXPECT_EQ(camera_elevation, -45.0f);
    EXPECT_EQ(camera_distance, 8.0f);
    EXPECT_EQ(sky_spin_offset, 77.0f);
    expect_catalogues_and_sites_shown();
    EXPECT_TRUE(show_constellations);
    EXPECT_TRUE(show_earth);
    EXPECT_TRUE(show_decorations);
    EXPECT_TRUE(show_ripples);
}

// A volunteer who chose no decorations keeps them hidden through the presets.
TEST_F(Presets, PresetsFollowTheDecorationsPreference) {
    {
        StderrCapture quiet;
        parse_projectd_prefs("<project_preferences><static_decorations>no</static_decorations></project_preferences>");
    }
    EXPECT_FALSE(show_decorations);
    for (int code : {'R', '0', 'W', 'O', 'I'}) {
        show_decorations = true;
        control_key(code);
        EXPECT_FALSE(show_decorations) << (char)code;
    }
}

// Without Control held the preset keys do nothing.
TEST_F(Presets, NeedControl) {
    scramble_view();
    StderrCapture log;
    for (int code : {'R', '0', 'W', 'I', 'O'}) boinc_app_key_press(code, 0);
    EXPECT_EQ(camera_distance, 13.0f);
    EXPECT_FALSE(show_stars);
}
