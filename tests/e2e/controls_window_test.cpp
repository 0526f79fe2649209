// The real program in a window, commanded the way a volunteer does: Control
// + key through xdotool, pointer drags, and the project preferences a client
// hands over in init_data.xml (with or without the <reread_prefs/> message).
// What changes is checked on read-backs of the window: pixel counts in the
// regions of the title, the panels, the ripples and the centre of the view.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

#include "test_client.h"
#include "text_files.h"
#include "window_readback.h"
#include "x_windows.h"

namespace {

const double start_timeout = 120;   // seconds; the machine may be busy
const double change_timeout = 60;   // for a key's or a drag's effect to show

const char* const reread_line = "GFX: app_graphics_reread_prefs() called.\n";

std::string key_line(int code) {
    return "boinc_app_key_press(): key " + std::to_string(code) + " pressed.\n";
}

std::string prefs_with_decorations(const char* value) {
    return std::string("<project_preferences>\n<static_decorations>") + value +
           "</static_decorations>\n</project_preferences>\n";
}

// The earth fills the centre of the world view: darker than the clear colour.
bool earth_at_centre(const window_readback& px) {
    return px.count(centre_box, earth_dark) > px.pixels_in(centre_box) / 3;
}
bool no_earth_at_centre(const window_readback& px) {
    return px.count(centre_box, earth_dark) < px.pixels_in(centre_box) / 50;
}

class ControlsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        display = open_test_display();
        ASSERT_NE(display, nullptr) << "these tests need an X server in DISPLAY";
        ASSERT_TRUE(wait_for_no_window(display, "Tidewrack", change_timeout));
        link_images();
        // The whole search: it outlasts the test, which ends the program.
        client.write_checkpoint(0, 0);
    }

    void TearDown() override {
        if (HasFailure() && px.valid()) {
            std::string picture = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") +
                                  "/controls_window_failure.ppm";
            px.save(picture);
            printf("last read-back: %s\nlog:\n%s\n", picture.c_str(), client.log().c_str());
        }
        client.kill_program();
        close_test_display(display);
    }

    // The pictures the program asks for by logical name, linked as a client
    // links them.
    void link_images() {
        for (const char* image : {"earthlights2.jpg", "leftimage2.jpg"}) {
            std::string physical = std::string(TIDEWRACK_BINARY_DIR) + "/" + image;
            if (access(physical.c_str(), R_OK) != 0)
                physical = std::string(TIDEWRACK_SOURCE_DIR) + "/data/" + image;
            std::ofstream(client.slot_file(image)) << "<soft_link>" << physical << "</soft_link>\n";
        }
    }

    void start_standalone() {
        client.start();
        ASSERT_TRUE(wait_for_window(display, "Tidewrack", start_timeout, &window)) << client.log();
        point_into_window();
    }

    // Under a client the window opens on request; its title is the app name.
    void start_under_client(const std::string& prefs) {
        title = "tidewrack_controls_" + std::to_string(getpid());
        client.attach_as_client(title);
        client.rewrite_init_data(prefs);
        client.start();
        ASSERT_EQ(client.wait_for_graphics_reply(start_timeout), "<mode_hide_graphics/>");
        client.send_graphics_request("<mode_window/>");
        ASSERT_EQ(client.wait_for_graphics_reply(change_timeout), "<mode_window/>");
        ASSERT_TRUE(wait_for_window(display, title, start_timeout, &window)) << client.log();
        point_into_window();
    }

    // Without a window manager keys go to the window under the pointer.
    void point_into_window() {
        ASSERT_TRUE(xdotool("mousemove " + std::to_string(window.x + window.width / 2) + " " +
                            std::to_string(window.y + window.height / 2)));
    }

    void key(const std::string& keys) {
        point_into_window();
        ASSERT_TRUE(xdotool("key " + keys)) << keys;
    }

    // Presses `keys` and waits until the program has logged the last key.
    void command(const std::string& keys, int last_code) {
        int before = count_occurrences(client.log(), key_line(last_code));
        key(keys);
        double end = test_clock() + change_timeout;
        while (count_occurrences(client.log(), key_line(last_code)) == before && test_clock() < end)
            usleep(50 * 1000);
        ASSERT_GT(count_occurrences(client.log(), key_line(last_code)), before) << keys;
    }

    bool grab() { return px.grab(display, window); }

    // Polls read-backs until `seen` holds; false at the timeout or when the
    // window is gone.
    bool wait_for_picture(const std::function<bool(const window_readback&)>& seen,
                          double timeout = change_timeout) {
        double end = test_clock() + timeout;
        for (;;) {
            if (!grab()) return false;
            if (seen(px)) return true;
            if (test_clock() > end) return false;
            usleep(100 * 1000);
        }
    }

    // Waits until the window shows a frame other than the last read-back
    // (the ripples move in every frame they are drawn in).
    bool wait_for_new_frame(const box& changing = ripple_box) {
        window_readback last = std::move(px);
        return wait_for_picture(
            [&](const window_readback& now) { return now.differing(last, changing) > 0; });
    }

    bool decorations_shown() {
        return wait_for_picture([](const window_readback& p) { return measure_decorations(p).shown(); });
    }
    bool decorations_hidden() {
        return wait_for_picture([](const window_readback& p) { return measure_decorations(p).hidden(); });
    }

    // Control+Z 74 times and Control+A 42 times bring the spin rate from 180
    // to 0 degrees a minute (180 - 74 x 5.1 + 42 x 4.7).
    void stop_the_spin() {
        std::string keys;
        for (int i = 0; i < 74; i++) keys += " ctrl+z";
        for (int i = 0; i < 42; i++) keys += " ctrl+a";
        int z_before = count_occurrences(client.log(), key_line(90));
        command(keys, 65);
        ASSERT_TRUE(client.wait_for_log(key_line(65), change_timeout));
        double end = test_clock() + change_timeout;
        while (count_occurrences(client.log(), key_line(65)) < 42 && test_clock() < end) usleep(50 * 1000);
        ASSERT_EQ(count_occurrences(client.log(), key_line(90)) - z_before, 74);
        ASSERT_EQ(count_occurrences(client.log(), key_line(65)), 42);
    }

    // A drag with `button` by (dx, dy), in steps, across the middle of the window.
    void drag(int button, int dx, int dy) {
        int x = window.x + window.width / 2 - dx / 2, y = window.y + window.height / 2 - dy / 2;
        std::string steps = "mousemove " + std::to_string(x) + " " + std::to_string(y) +
                            " mousedown " + std::to_string(button);
        for (int i = 1; i <= 10; i++)
            steps += " mousemove " + std::to_string(x + dx * i / 10) + " " +
                     std::to_string(y + dy * i / 10) + " sleep 0.02";
        steps += " mouseup " + std::to_string(button);
        ASSERT_TRUE(xdotool(steps)) << steps;
    }

    struct _XDisplay* display = nullptr;
    TestClient client;
    WindowInfo window;
    std::string title = "Tidewrack";
    window_readback px;
};

TEST_F(ControlsWindow, ControlBHidesTitleAndPanelsAndBringsThemBack) {
    start_standalone();
    ASSERT_TRUE(decorations_shown()) << "title and user panel at start";

    command("ctrl+b", 66);
    EXPECT_NE(client.log().find(key_line(17)), std::string::npos) << "Control is logged too";
    ASSERT_TRUE(decorations_hidden()) << "after Control+B";
    EXPECT_GT(measure_decorations(px).ripples, 2000) << "the ripples are not decorations";

    command("ctrl+b", 66);
    EXPECT_TRUE(decorations_shown()) << "after the second Control+B";
}

TEST_F(ControlsWindow, BWithoutControlIsOnlyLogged) {
    start_standalone();
    ASSERT_TRUE(decorations_shown());
    ASSERT_TRUE(wait_for_picture(earth_at_centre)) << "world view at start";

    std::string before = client.log();
    command("b", 66);
    // Three frames drawn after the key: nothing has changed.
    for (int frame = 0; frame < 3; frame++) {
        ASSERT_TRUE(wait_for_new_frame());
        decorations_seen seen = measure_decorations(px);
        EXPECT_TRUE(seen.shown()) << "frame " << frame << ": title " << seen.title << ", user panel "
                                  << seen.user_panel;
        EXPECT_TRUE(earth_at_centre(px)) << "frame " << frame;
    }
    std::string added = client.log().substr(before.size());
    EXPECT_EQ(count_occurrences(added, "boinc_app_key_press()"), 1) << added;
    EXPECT_NE(added.find(key_line(66)), std::string::npos) << added;
    EXPECT_EQ(added.find("GFX:"), std::string::npos) << added;
    EXPECT_EQ(added.find("make_marble"), std::string::npos) << "no preset ran: " << added;
}

// Control pressed in the window and let go outside it, where the window
// does not see the release: a later plain B must not toggle the decorations.
TEST_F(ControlsWindow, ControlReleasedOutsideTheWindowIsReleased) {
    start_standalone();
    ASSERT_TRUE(decorations_shown());
    int x = window.x + window.width / 2, y = window.y + window.height / 2;
    int outside_x = window.x + window.width + 40;
    ASSERT_TRUE(xdotool("keydown ctrl mousemove " + std::to_string(outside_x) + " " + std::to_string(y) +
                        " sleep 0.3 keyup ctrl sleep 0.3 mousemove " + std::to_string(x) + " " +
                        std::to_string(y) + " sleep 0.3"));
    command("b", 66);
    for (int frame = 0; frame < 3; frame++) {
        ASSERT_TRUE(wait_for_new_frame());
        EXPECT_TRUE(measure_decorations(px).shown()) << "frame " << frame;
    }
}

TEST_F(ControlsWindow, ViewPresetKeysChangeThePicture) {
    start_standalone();
    ASSERT_TRUE(wait_for_picture(earth_at_centre)) << "world view: the earth at the centre";
    int yellow_world = px.count({0, 1, 0, 1}, constellation_yellow);

    // Reset: the camera steps back, grid and earth go, constellation lines come.
    command("ctrl+r", 82);
    EXPECT_TRUE(wait_for_picture([&](const window_readback& p) {
        return no_earth_at_centre(p) && p.count({0, 1, 0, 1}, constellation_yellow) > yellow_world + 100;
    })) << "reset view: no earth, constellation lines";

    command("ctrl+w", 87);
    EXPECT_TRUE(wait_for_picture(earth_at_centre)) << "world view again";

    // Inside: the camera at the centre, no title, panels or ripples.
    command("ctrl+i", 73);
    EXPECT_TRUE(wait_for_picture([](const window_readback& p) {
        decorations_seen seen = measure_decorations(p);
        return seen.hidden() && seen.ripples < 100;
    })) << "inside view";
    EXPECT_TRUE(no_earth_at_centre(px)) << "the earth is around the camera, seen through";

    // Outside: the title, panels and ripples again, the earth small at the centre.
    command("ctrl+o", 79);
    EXPECT_TRUE(wait_for_picture([](const window_readback& p) {
        decorations_seen seen = measure_decorations(p);
        return seen.shown() && seen.ripples > 2000 &&
               p.count({0.47, 0.53, 0.47, 0.53}, earth_dark) > p.pixels_in({0.47, 0.53, 0.47, 0.53}) / 3;
    })) << "outside view";
    // Control+B still toggles what a preset has set.
    command("ctrl+b", 66);
    EXPECT_TRUE(decorations_hidden());
}

TEST_F(ControlsWindow, LeftDragTurnsTheViewAndRightDragMovesTheCameraAway) {
    start_standalone();
    ASSERT_TRUE(decorations_shown());

    // Inside view with the spin stopped: the camera stands at the centre, so
    // turning it shifts the whole picture alike, and without input the
    // picture stays all but still (the elevation swing is a degree in 4 s).
    command("ctrl+i", 73);
    ASSERT_TRUE(decorations_hidden());
    stop_the_spin();
    const box field = {0.1, 0.9, 0.1, 0.9};
    const int reach = 220;
    ASSERT_TRUE(grab());
    window_readback still = std::move(px);
    ASSERT_GT(still.count(field, bright_point), 30) << "stars in view";
    usleep(1000 * 1000);
    ASSERT_TRUE(grab());
    point_shift idle = dominant_shift(still, px, field, bright_point, reach);
    EXPECT_LE(abs(idle.dx) + abs(idle.dy), 12) << "without input: " << idle.dx << "," << idle.dy;

    // 200 pixels to the side: the sky turns by 20 degrees about its axis.
    window_readback before = std::move(px);
    drag(1, 200, 0);
    point_shift sideways;
    EXPECT_TRUE(wait_for_picture([&](const window_readback& p) {
        sideways = dominant_shift(before, p, field, bright_point, reach);
        return abs(sideways.dx) > 30 && abs(sideways.dy) * 2 < abs(sideways.dx);
    })) << "horizontal drag: " << sideways.dx << "," << sideways.dy << " (" << sideways.votes << ")";

    // 300 pixels down: 30 degrees more elevation, the picture moves up or down.
    ASSERT_TRUE(grab());
    before = std::move(px);
    drag(1, 0, 300);
    point_shift vertical;
    EXPECT_TRUE(wait_for_picture([&](const window_readback& p) {
        vertical = dominant_shift(before, p, field, bright_point, reach);
        return abs(vertical.dy) > 60 && abs(vertical.dx) * 3 < abs(vertical.dy);
    })) << "vertical drag: " << vertical.dx << "," << vertical.dy << " (" << vertical.votes << ")";

    // Outside view: the whole sky sphere lies in front of the camera (8 units
    // away). An upward right drag takes the camera out to 15 units, where the
    // sphere shrinks to less than half its size on the screen: the strips
    // left and right of the centre empty, whatever the spin and the swing.
    command("ctrl+o", 79);
    const box left_strip = {0.22, 0.33, 0.4, 0.6}, right_strip = {0.67, 0.78, 0.4, 0.6};
    auto stars_beside_centre = [&](const window_readback& p) {
        return p.count(left_strip, bright_point) + p.count(right_strip, bright_point);
    };
    EXPECT_TRUE(wait_for_picture([&](const window_readback& p) { return stars_beside_centre(p) > 20; }))
        << "outside view: " << stars_beside_centre(px);
    drag(3, 0, -200);
    EXPECT_TRUE(wait_for_picture([&](const window_readback& p) { return stars_beside_centre(p) < 3; }))
        << "camera moved away: " << stars_beside_centre(px);
}

TEST_F(ControlsWindow, StaticDecorationsNoHidesTitleAndPanelsFromTheFirstFrame) {
    start_under_client(prefs_with_decorations("no"));
    // Frames are drawn (the ripples move), none of them with a title or panel.
    int frames = 0;
    double end = test_clock() + start_timeout;
    window_readback last;
    while (frames < 5 && test_clock() < end) {
        ASSERT_TRUE(grab());
        decorations_seen seen = measure_decorations(px);
        EXPECT_LT(seen.title, 10) << "frame " << frames;
        EXPECT_LT(seen.user_panel, 40) << "frame " << frames;
        if (seen.ripples > 2000 && last.valid() && px.differing(last, ripple_box) > 0) frames++;
        last = std::move(px);
        usleep(100 * 1000);
    }
    EXPECT_EQ(frames, 5) << "frames with ripples were drawn";
    EXPECT_NE(client.log().find("<static_decorations>no</static_decorations>"), std::string::npos);

    // The presets keep them hidden.
    command("ctrl+w", 87);
    ASSERT_TRUE(wait_for_new_frame());
    EXPECT_TRUE(measure_decorations(px).hidden());

    // The volunteer changes the preference: the client rewrites init_data.xml
    // and asks for a re-read.
    client.rewrite_init_data(prefs_with_decorations("yes"));
    client.send_graphics_request("<reread_prefs/>");
    EXPECT_TRUE(client.wait_for_log(reread_line, change_timeout));
    EXPECT_TRUE(decorations_shown()) << "after the re-read";
}

TEST_F(ControlsWindow, RewritingInitDataAloneBringsTheDecorationsBack) {
    // What a 7.x client does: it sends no message, it only rewrites the file.
    start_under_client(prefs_with_decorations("no"));
    ASSERT_TRUE(client.wait_for_log("APP: app_graphics_init()", change_timeout));
    ASSERT_TRUE(wait_for_picture([](const window_readback& p) { return measure_decorations(p).ripples > 2000; }));
    EXPECT_TRUE(measure_decorations(px).hidden());
    EXPECT_EQ(client.log().find(reread_line), std::string::npos);

    client.rewrite_init_data(prefs_with_decorations("yes"));
    EXPECT_TRUE(client.wait_for_log(reread_line, change_timeout));
    EXPECT_TRUE(decorations_shown()) << "after the file was rewritten";
}

TEST_F(ControlsWindow, ReReadMessageUndoesAKeyboardToggle) {
    // The file does not change: only the message makes the program re-read
    // it, and the preference in it resets the switch that Control+B set.
    start_under_client(prefs_with_decorations("yes"));
    ASSERT_TRUE(decorations_shown());
    command("ctrl+b", 66);
    ASSERT_TRUE(decorations_hidden());
    EXPECT_EQ(count_occurrences(client.log(), reread_line), 0);

    client.send_graphics_request("<reread_prefs/>");
    EXPECT_TRUE(client.wait_for_log(reread_line, change_timeout));
    EXPECT_TRUE(decorations_shown()) << "after the re-read";
    EXPECT_EQ(count_occurrences(client.log(), reread_line), 1);
}

}  // namespace
