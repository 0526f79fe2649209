// The graphics program with the real 7.20 client: a hand-made client data
// directory (tests/support/boinc_client.py) holds one task whose app version
// has a graphics_app; the client runs it at once. The test then does what the
// Manager's "Show graphics" does: it reads graphics_exec_path and slot_path
// from the GUI RPC get_results and starts that program in that slot.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <unistd.h>

#include <memory>
#include <sstream>
#include <string>

#include "slot.h"
#include "test_client.h"
#include "window_readback.h"
#include "x_windows.h"

namespace {

using namespace e2e;

const double start_timeout = 180;   // seconds; the machine may be busy
const std::string window_title = "tidewrack";   // the app's name in the slot's init_data.xml

// The client with its hand-made data directory, stopped (and the task quit)
// when the test ends.
struct real_client {
    scoped_run_dir dir{"realgfx"};
    std::string data = dir.root + "/client";
    int port = 40000 + getpid() % 20000;
    std::unique_ptr<background_process> client;

    // The build's programs and pictures as an app version the project sent.
    bool make_app_version(const std::string& version_dir) {
        const char* const files[][3] = {
            {TIDEWRACK_EXE, "tidewrack_4.87_x86_64-pc-linux-gnu", ""},
            {TIDEWRACK_GRAPHICS_EXE, "tidewrack_graphics_4.87_x86_64-pc-linux-gnu", "graphics_app"},
            {TIDEWRACK_SOURCE_DIR "/data/earthlights2.jpg", "earthlights2_4.87.jpg", "earthlights2.jpg"},
            {TIDEWRACK_SOURCE_DIR "/data/leftimage2.jpg", "leftimage2_4.87.jpg", "leftimage2.jpg"}};
        std::string output, xml = "<version>\n";
        if (run_command("", {"mkdir", "-p", version_dir}, output) != 0) return false;
        for (const auto& f : files) {
            if (run_command("", {"cp", f[0], version_dir + "/" + f[1]}, output) != 0) return false;
            xml += std::string("<file><physical_name>") + f[1] + "</physical_name>" +
                   (*f[2] ? std::string("<logical_name>") + f[2] + "</logical_name>" : "<main_program/>") +
                   "</file>\n";
        }
        return write_file(version_dir + "/version.xml", xml + "<api_version>7.20.5</api_version>\n</version>\n");
    }

    bool start() {
        std::string version_dir = dir.root + "/apps/tidewrack/4.87/x86_64-pc-linux-gnu", output;
        if (!make_app_version(version_dir) ||
            run_command("", {"python3", TIDEWRACK_SOURCE_DIR "/tests/support/boinc_client.py", "layout", data,
                             "--app-version", version_dir},
                        output) != 0)
            return false;
        // No DISPLAY for the client: the computation's own display stays out of the way.
        client.reset(new background_process({find_in_path("boinc"), "--dir", data, "--no_gpus",
                                             "--skip_cpu_benchmarks", "--no_info_fetch", "--gui_rpc_port",
                                             std::to_string(port)},
                                            dir.root + "/client.txt", "", false));
        return true;
    }

    // The task's slot and graphics program as the Manager reads them.
    bool running_task(std::string* slot, std::string* graphics) {
        double end = test_clock() + start_timeout;
        while (test_clock() < end && client->running()) {
            std::string output;
            run_command("", {"python3", TIDEWRACK_SOURCE_DIR "/tests/support/boinc_client.py", "results",
                             std::to_string(port)},
                        output);
            // name, state, exit status, pid, slot, graphics program
            std::istringstream lines(output);
            std::string skipped;
            while (std::getline(lines, skipped, '\t') && std::getline(lines, skipped, '\t') &&
                   std::getline(lines, skipped, '\t') && std::getline(lines, skipped, '\t') &&
                   std::getline(lines, *slot, '\t') && std::getline(lines, *graphics)) {
                if (!slot->empty() && !graphics->empty() && path_exists(*slot + "/stderr.txt")) return true;
            }
            usleep(500 * 1000);
        }
        return false;
    }

    std::string log() const { return read_file(dir.root + "/client.txt"); }
};

}  // namespace

// The client running its task, the slot and the graphics program known.
class RealClientGraphics : public ::testing::Test {
protected:
    Display* display = nullptr;
    real_client boinc;
    std::string slot, graphics;

    void SetUp() override {
        if (find_in_path("boinc").empty()) GTEST_SKIP() << "the BOINC client (boinc) is not installed";
        display = open_test_display();
        ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
        ASSERT_TRUE(boinc.start());
        ASSERT_TRUE(boinc.running_task(&slot, &graphics)) << boinc.log();
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
