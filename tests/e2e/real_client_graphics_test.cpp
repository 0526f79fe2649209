// The graphics program with the real 7.20 client: a hand-made client data
// directory (tests/support/boinc_client.py) holds one task whose app version
// has a graphics_app; the client runs it at once. The test then does what the
// Manager's "Show graphics" does: it reads graphics_exec_path and slot_path
// from the GUI RPC get_results and starts that program in that slot.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <unistd.h>

#include <string>

#include "real_client.h"
#include "slot.h"
#include "test_client.h"
#include "window_readback.h"
#include "x_windows.h"

namespace {

using namespace e2e;

const double start_timeout = 180;   // seconds; the machine may be busy
const std::string window_title = "tidewrack";   // the app's name in the slot's init_data.xml

}  // namespace

// The client running its task, the slot and the graphics program known.
class RealClientGraphics : public ::testing::Test {
protected:
    Display* display = nullptr;
    real_client boinc{40000 + getpid() % 20000};
    std::string slot, graphics;

    void SetUp() override {
        if (find_in_path("boinc").empty()) GTEST_SKIP() << "the BOINC client (boinc) is not installed";
        display = open_test_display();
        ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
        ASSERT_TRUE(boinc.start());
        ASSERT_TRUE(boinc.running_task(start_timeout, &slot, &graphics)) << boinc.log();
    }
    void TearDown() override { close_test_display(display); }
};

TEST_F(RealClientGraphics, ShowGraphicsRunsTheGraphicsProgramInTheSlotWithTheLiveSky) {
    EXPECT_NE(graphics.find("/projects/127.0.0.1_9_tw/tidewrack_graphics_4.87_x86_64-pc-linux-gnu"),
              std::string::npos)
        << graphics;

    // "Show graphics": the slot as working directory, no arguments.
    background_process shown({graphics}, boinc.dir.root + "/window.txt", slot);
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(display, window_title, start_timeout, &window)) << read_file(slot + "/stderrgfx.txt");
    window_readback later;
    EXPECT_EQ(watch_live_search(display, window, start_timeout, &later), "");
    EXPECT_GT(measure_decorations(later).user_panel, 150) << "user, team and credits from the slot";
}

// The screensaver's start: --fullscreen covers the screen from the origin.
TEST_F(RealClientGraphics, ScreensaverStartCoversTheScreenFromTheOrigin) {
    background_process screensaver({graphics, "--fullscreen"}, boinc.dir.root + "/fullscreen.txt", slot);
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(display, window_title, start_timeout, &window)) << read_file(slot + "/stderrgfx.txt");
    int width, height;
    screen_size(display, &width, &height);
    double end = test_clock() + 30;
    while ((window.width != width || window.height != height) && test_clock() < end) {
        usleep(200 * 1000);
        find_window(display, window_title, &window);
    }
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, width);
    EXPECT_EQ(window.height, height);
}
