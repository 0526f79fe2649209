// The keyboard table (without the presets, which need a GL context) and the
// mouse drags.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "controls/controls.h"
#include "graphics/frame.h"
#include "sky/catalogues.h"
#include "sky/site_markers.h"
#include "sky/sky_sphere.h"
#include "stderr_capture.h"

namespace {

const int KEY_DATA = 0x1e0001;  // a key-data word, passed on to the query line
const int KEY_F5 = 116;

std::string pressed_line(int code) {
    return "boinc_app_key_press(): key " + std::to_string(code) + " pressed.\n";
}

std::string query_line(int code, int data) {
    return "GFX: boinc_app_key_release(" + std::to_string(code) + "," + std::to_string(data) + ") ?\n";
}

// Presses `code` (Control held or not) and returns the log lines it wrote.
std::string press(int code, bool with_control) {
    if (with_control) {
        StderrCapture quiet;
        boinc_app_key_press(KEY_CONTROL, 0);
    } else {
        boinc_app_key_release(KEY_CONTROL, 0);
    }
    StderrCapture log;
    boinc_app_key_press(code, KEY_DATA);
    std::string text = log.text();
    boinc_app_key_release(KEY_CONTROL, 0);
    return text;
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        ctrl_held = false;
        sky_spin_rate = view_start.sky_spin_rate;
        sky_spin_offset = 0.0f;
        camera_elevation = view_start.camera_elevation;
        camera_distance = view_start.camera_distance;
        last_mouse_x = last_mouse_y = 0;
    }
};

struct toggle_key {
    int code;
    bool* display_switch;
};

const std::vector<toggle_key> toggle_keys = {
    {'B', &show_decorations}, {'C', &show_constellations}, {'G', &show_earth},
    {'L', &show_sites},       {'N', &show_snr},            {'P', &show_pulsars},
    {'S', &show_stars},       {'T', &show_clock},          {'X', &show_xray},
};

}  // namespace

TEST_F(Controls, ToggleKeysWorkOnlyWithControl) {
    for (const toggle_key& key : toggle_keys) {
        for (bool start : {false, true}) {
            *key.display_switch = start;
            EXPECT_EQ(press(key.code, false), pressed_line(key.code));
            EXPECT_EQ(*key.display_switch, start) << (char)key.code << " without Control";
            EXPECT_EQ(press(key.code, true), pressed_line(key.code));
            EXPECT_EQ(*key.display_switch, !start) << (char)key.code << " with Control";
        }
    }
}

// Without Control every key writes only its "pressed" line and changes nothing.
TEST_F(Controls, WithoutControlOnlyTheLogLine) {
    for (int code : std::vector<int>{'A', 'Z', 33, 34, KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN, 'R', '0', 'W', 'I', 'O', 'Q',
                     KEY_F5, KEY_SHIFT}) {
        EXPECT_EQ(press(code, false), pressed_line(code)) << code;
    }
    EXPECT_EQ(sky_spin_rate, 180.0f);
    EXPECT_EQ(sky_spin_offset, 0.0f);
    EXPECT_EQ(camera_elevation, 23.6f);
    EXPECT_EQ(camera_distance, 8.0f);
}

TEST_F(Controls, ControlIsHeldUntilReleased) {
    StderrCapture log;
    EXPECT_FALSE(ctrl_held);
    boinc_app_key_press(KEY_CONTROL, 0);
    EXPECT_TRUE(ctrl_held);
    boinc_app_key_release(KEY_SHIFT, 0);
    boinc_app_key_release('A', 0);
    EXPECT_TRUE(ctrl_held);
    boinc_app_key_press('A', 0);
    boinc_app_key_press('A', 0);
    EXPECT_FLOAT_EQ(sky_spin_rate, 189.4f);
    boinc_app_key_release(KEY_CONTROL, 0);
    EXPECT_FALSE(ctrl_held);
    EXPECT_EQ(log.text(), pressed_line(KEY_CONTROL) + pressed_line('A') + pressed_line('A'));
}

TEST_F(Controls, ShiftAndControlQWriteNoQueryLine) {
    EXPECT_EQ(press(KEY_SHIFT, true), pressed_line(KEY_SHIFT));
    EXPECT_EQ(press('Q', true), pressed_line('Q'));
    for (int letter = 'A'; letter <= 'Z'; ++letter) {
        if (letter == 'R' || letter == 'W' || letter == 'I' || letter == 'O') continue;  // presets: GL tests
        EXPECT_EQ(press(letter, true), pressed_line(letter)) << (char)letter;
    }
}

TEST_F(Controls, UnassignedCodesWriteTheQueryLine) {
    for (int code : std::vector<int>{KEY_F5, 0, 1, 32, 35, 47, 49, 57, 91, 97, 256}) {
        EXPECT_EQ(press(code, true), pressed_line(code) + query_line(code, KEY_DATA)) << code;
    }
}

TEST_F(Controls, OutOfRangeCodesAreReportedThenUnassigned) {
    for (int code : std::vector<int>{300, 257, -1, INT_MIN, INT_MAX}) {
        std::string out_of_range = "GFX: key out of range. Value: " + std::to_string(code) + " \n";
        EXPECT_EQ(press(code, false), pressed_line(code) + out_of_range);
        EXPECT_EQ(press(code, true), pressed_line(code) + out_of_range + query_line(code, KEY_DATA));
    }
    // Codes that alias assigned keys modulo 256 do nothing.
    EXPECT_NE(press(256 + 'A', true).find("out of range"), std::string::npos);
    EXPECT_EQ(sky_spin_rate, 180.0f);
}

TEST_F(Controls, SpinRateStepsAreUnequalAndLimited) {
    press('Z', true);
    EXPECT_EQ(sky_spin_rate, (float)(180.0 - 5.1));
    EXPECT_FLOAT_EQ(sky_spin_rate, 174.9f);
    sky_spin_rate = 180.0f;
    press('A', true);
    EXPECT_EQ(sky_spin_rate, (float)(180.0 + 4.7));
    EXPECT_FLOAT_EQ(sky_spin_rate, 184.7f);
    sky_spin_rate = 180.0f;
    press(KEY_PAGE_DOWN, true);
    EXPECT_FLOAT_EQ(sky_spin_rate, 174.9f);
    press(KEY_PAGE_UP, true);
    EXPECT_FLOAT_EQ(sky_spin_rate, 179.6f);

    int presses = 0;
    while (sky_spin_rate < 1500.0f && presses < 1000) press('A', true), ++presses;
    EXPECT_EQ(sky_spin_rate, 1500.0f);
    EXPECT_EQ(presses, 281);  // (1500 - 179.6) / 4.7, rounded up
    press(KEY_PAGE_UP, true);
    EXPECT_EQ(sky_spin_rate, 1500.0f);
    while (sky_spin_rate > -1500.0f && presses < 2000) press('Z', true), ++presses;
    EXPECT_EQ(sky_spin_rate, -1500.0f);
    press(KEY_PAGE_DOWN, true);
    EXPECT_EQ(sky_spin_rate, -1500.0f);
    press('A', true);
    EXPECT_FLOAT_EQ(sky_spin_rate, -1495.3f);
}

TEST_F(Controls, ArrowKeysHaveNoLimits) {
    camera_elevation = 89.0f;
    press(KEY_DOWN, true);
    press(KEY_DOWN, true);
    EXPECT_EQ(camera_elevation, 91.0f);
    press(KEY_UP, true);
    EXPECT_EQ(camera_elevation, 90.0f);
    for (int i = 0; i < 400; ++i) press(KEY_LEFT, true);
    EXPECT_EQ(sky_spin_offset, 400.0f);
    press(KEY_RIGHT, true);
    EXPECT_EQ(sky_spin_offset, 399.0f);
}

TEST_F(Controls, LeftDragTurnsAndTiltsWithinLimits) {
    boinc_app_mouse_button(100, 100, 0, 1);
    boinc_app_mouse_move(150, 130, 1, 0, 0);  // 10 px a degree
    EXPECT_FLOAT_EQ(camera_elevation, 26.6f);
    EXPECT_FLOAT_EQ(sky_spin_offset, -5.0f);
    EXPECT_EQ(last_mouse_x, 150);
    EXPECT_EQ(last_mouse_y, 130);
    boinc_app_mouse_move(150, 1130, 1, 0, 0);  // 1000 px down
    EXPECT_EQ(camera_elevation, 89.0f);
    boinc_app_mouse_move(147, -1870, 1, 0, 0);
    EXPECT_EQ(camera_elevation, -89.0f);
    EXPECT_FLOAT_EQ(sky_spin_offset, -4.7f);
    // Left and right together: the left rule only.
    boinc_app_mouse_move(147, -1860, 1, 0, 1);
    EXPECT_EQ(camera_elevation, -88.0f);
    EXPECT_EQ(camera_distance, 8.0f);
}

TEST_F(Controls, RightDragMovesTheCamera) {
    boinc_app_mouse_button(10, 10, 2, 1);
    boinc_app_mouse_move(10, 30, 0, 0, 1);  // 20 px at distance 8
    EXPECT_EQ(camera_distance, 7.0f);
    camera_distance = 0.0f;
    boinc_app_mouse_move(10, -70, 0, 0, 1);  // 100 px a unit at the centre
    EXPECT_EQ(camera_distance, 1.0f);
    camera_distance = 12.0f;
    boinc_app_mouse_move(10, -80, 0, 0, 1);  // 10 px a unit from 9 on
    EXPECT_EQ(camera_distance, 13.0f);
    boinc_app_mouse_move(10, -5000, 0, 0, 1);
    EXPECT_EQ(camera_distance, 15.0f);
    boinc_app_mouse_move(10, 5000, 0, 0, 1);
    EXPECT_EQ(camera_distance, 0.0f);
    EXPECT_EQ(camera_elevation, 23.6f);
    EXPECT_EQ(sky_spin_offset, 0.0f);
}

TEST_F(Controls, MiddleButtonOrNoneOnlyFollowsTheCursor) {
    boinc_app_mouse_move(300, 400, 0, 1, 0);
    boinc_app_mouse_move(-20, 900, 0, 0, 0);
    EXPECT_EQ(last_mouse_x, -20);
    EXPECT_EQ(last_mouse_y, 900);
    EXPECT_EQ(camera_elevation, 23.6f);
    EXPECT_EQ(camera_distance, 8.0f);
    EXPECT_EQ(sky_spin_offset, 0.0f);
    boinc_app_mouse_button(5, 6, 1, 0);
    EXPECT_EQ(last_mouse_x, 5);
    EXPECT_EQ(last_mouse_y, 6);
}

// Cursor positions at the ends of the int range: the difference must not
// wrap around (which would turn a drag downwards into one upwards).
TEST_F(Controls, ExtremeCursorPositionsDoNotWrap) {
    boinc_app_mouse_button(INT_MIN, INT_MIN, 0, 1);
    boinc_app_mouse_move(INT_MIN, INT_MAX, 1, 0, 0);
    EXPECT_EQ(camera_elevation, 89.0f);
    boinc_app_mouse_move(INT_MAX, INT_MIN, 0, 0, 1);
    EXPECT_EQ(camera_distance, 15.0f);
}
