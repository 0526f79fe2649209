// The graphics window of the real program under Xvfb: standalone window and
// its close, the client's graphics modes and their acknowledgements, full
// screen and the input that ends it, and a display that is missing or goes
// away while the search runs. Timeouts are generous: the worker runs at idle
// priority and starves while the software renderer keeps the cores busy.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "slot.h"
#include "test_client.h"
#include "text_files.h"
#include "window_readback.h"
#include "x_windows.h"

namespace {

const double start_timeout = 120;    // seconds for a window to appear
const double change_timeout = 60;    // for a mode change or an input's effect
const double finish_timeout = 600;   // for the worker's last pulsars

// Pulsars to resume at: near the end for runs that must finish, at the start
// for runs the test ends itself.
const int last_few_pulsars = 1268;
const int a_dozen_pulsars = 1262;
const int some_pulsars = 1250;
const int all_pulsars = 0;

const char* const loop_ended_line = "main: ALL DONE (this should never print)\n";
const char* const reread_line = "GFX: app_graphics_reread_prefs() called.\n";

// Waits until the log holds `part` at least `count` times.
bool wait_for_count(TestClient& client, const std::string& part, int count) {
    double deadline = test_clock() + change_timeout;
    while (count_occurrences(client.log(), part) < count) {
        if (!client.running() || test_clock() > deadline) return false;
        usleep(100 * 1000);
    }
    return true;
}

void xdotool(const std::string& arguments) {
    std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    ASSERT_EQ(system(command.c_str()), 0) << command;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        display = open_test_display();
        ASSERT_NE(display, nullptr) << "these tests need an X server in DISPLAY";
    }
    void TearDown() override { close_test_display(display); }

    // Standalone: the window is titled "Tidewrack". The X server clears away
    // an earlier test's window only some time after its program was killed.
    void start_standalone(int pulsar) {
        ASSERT_TRUE(wait_for_no_window(display, "Tidewrack", change_timeout));
        client.write_checkpoint(pulsar, pulsar);
        client.start();
    }

    // A client's slot whose window is titled `title`.
    void start_under_client(const std::string& title) {
        client.write_checkpoint(all_pulsars, all_pulsars);
        client.attach_as_client(title);
        client.start();
        ASSERT_EQ(client.wait_for_graphics_reply(start_timeout), "<mode_hide_graphics/>");
    }

    // Sends a request and expects its acknowledgement.
    void request_mode(const char* request, const char* expected_reply) {
        client.send_graphics_request(request);
        EXPECT_EQ(client.wait_for_graphics_reply(change_timeout), expected_reply) << request;
    }

    struct _XDisplay* display = nullptr;
    TestClient client;
};

TEST_F(WindowTest, StandaloneWindowOpensAt640x480AndClosingItEndsMainWith47) {
    start_standalone(all_pulsars);
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(display, "Tidewrack", start_timeout, &window));
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);

    send_window_close(display, window.id);   // what a window manager sends
    EXPECT_EQ(client.wait_for_exit(change_timeout), 47);
    std::string log = client.log();
    EXPECT_NE(log.find("Graphics event loop returned\n"), std::string::npos);
    EXPECT_NE(log.find(loop_ended_line), std::string::npos);
    EXPECT_EQ(log.find("worker: CPU time"), std::string::npos) << "the search had to be cut short";
}

TEST_F(WindowTest, TheSearchEndsTheProcessCleanlyWhileTheWindowDraws) {
    // boinc_finish exits on the worker thread, in the middle of whatever frame
    // the graphics thread is drawing: a few runs, each must end with 0.
    for (int run = 0; run < 3; run++) {
        TestClient search;
        ASSERT_TRUE(wait_for_no_window(display, "Tidewrack", change_timeout));
        search.write_checkpoint(a_dozen_pulsars, a_dozen_pulsars);
        search.start();
        EXPECT_EQ(search.wait_for_exit(finish_timeout), 0) << "run " << run;
        std::string log = search.log();
        EXPECT_NE(log.find("worker: CPU time"), std::string::npos) << "run " << run;
        EXPECT_EQ(log.find("GFX: freeglut error"), std::string::npos) << "run " << run << log;
    }
}

TEST_F(WindowTest, StandaloneWindowDestroyedByAnotherClientCountsAsClosed) {
    start_standalone(all_pulsars);
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(display, "Tidewrack", start_timeout, &window));

    xdotool("windowclose " + std::to_string(window.id));   // XDestroyWindow
    EXPECT_EQ(client.wait_for_exit(change_timeout), 47);
    EXPECT_NE(client.log().find(loop_ended_line), std::string::npos);
    EXPECT_EQ(client.log().find("X error"), std::string::npos) << client.log();
}

TEST_F(WindowTest, UnderAClientGraphicsStartHiddenAndFollowModeRequests) {
    const std::string title = "tidewrack_modes_" + std::to_string(getpid());
    start_under_client(title);
    EXPECT_FALSE(find_window(display, title, nullptr));

    // Hidden, there is nothing to re-read. Each send waits until the program
    // has taken the message before, so after the third the first is done.
    client.send_graphics_request("<reread_prefs/>");
    client.send_graphics_request("<mode_hide_graphics/>");
    client.send_graphics_request("<mode_hide_graphics/>");
    EXPECT_EQ(client.log().find(reread_line), std::string::npos);

    request_mode("<mode_window/>", "<mode_window/>");
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, &window));
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    int rereads_before = count_occurrences(client.log(), reread_line);
    client.send_graphics_request("<reread_prefs/>");
    EXPECT_TRUE(wait_for_count(client, reread_line, rereads_before + 1));

    request_mode("<mode_hide_graphics/>", "<mode_hide_graphics/>");
    EXPECT_TRUE(wait_for_no_window(display, title, change_timeout));

    // Quit only hides the graphics: the client's task goes on.
    request_mode("<mode_window/>", "<mode_window/>");
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, &window));
    request_mode("<mode_quit/>", "<mode_hide_graphics/>");
    EXPECT_TRUE(wait_for_no_window(display, title, change_timeout));
    EXPECT_TRUE(client.running());

    // So does the user's close.
    request_mode("<mode_window/>", "<mode_window/>");
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, &window));
    send_window_close(display, window.id);
    EXPECT_EQ(client.wait_for_graphics_reply(change_timeout), "<mode_hide_graphics/>");
    EXPECT_TRUE(client.running());
    EXPECT_EQ(client.log().find(loop_ended_line), std::string::npos);
}

// Each switch starts the graphics anew in the one window; the program's exit
// handler is registered once, not once per switch, and the pictures are not
// made again: the driver keeps every texture's storage. The preloaded logger writes one line per
// exit handler registered and per texture made.
TEST_F(WindowTest, SwitchingBetweenWindowAndFullScreenAddsNoExitHandlersNorTextures) {
    const std::string title = "tidewrack_switch_" + std::to_string(getpid());
    const std::string registered = "exit handler: ", texture_made = "texture made\n";
    const std::string title_picture_loaded = "GFX: loaded image from file leftimage2.jpg.\n";
    for (const char* picture : {"earthlights2.jpg", "leftimage2.jpg"})
        e2e::link_picture(client.slot_file(picture), picture);
    setenv("LD_PRELOAD", EXIT_HANDLER_LOG, 1);
    start_under_client(title);
    unsetenv("LD_PRELOAD");
    request_mode("<mode_window/>", "<mode_window/>");
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, nullptr));
    ASSERT_TRUE(wait_for_count(client, title_picture_loaded, 1)) << client.log();
    std::string first_window = client.log();
    EXPECT_GT(count_occurrences(first_window, registered), 0u) << "the logger is loaded";
    // By the title picture's first frame: the earth, the two fonts' glyphs
    // (the panels come first) and the title picture.
    EXPECT_EQ(count_occurrences(first_window, texture_made), 4) << first_window;
    const int round_trips = 3;
    for (int i = 0; i < round_trips; i++) {
        request_mode("<mode_fullscreen/>", "<mode_fullscreen/>");
        request_mode("<mode_window/>", "<mode_window/>");
    }
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, nullptr));
    // Every window's first frame shows the title picture.
    ASSERT_TRUE(wait_for_count(client, title_picture_loaded, 1 + 2 * round_trips)) << client.log();
    std::string log = client.log();
    EXPECT_EQ(count_occurrences(log, registered), count_occurrences(first_window, registered)) << log;
    EXPECT_EQ(count_occurrences(log, texture_made), 4) << log;
}

// Every window of a run draws, however it came: after the user closed one,
// between window and full screen, and after hiding. Each shows the sky and
// stays up until asked to go.
TEST_F(WindowTest, EveryWindowOfTheRunDrawsTheSkyAndStays) {
    const std::string title = "tidewrack_windows_" + std::to_string(getpid());
    start_under_client(title);
    auto expect_sky_that_stays = [&](const char* what) {
        WindowInfo window;
        ASSERT_TRUE(wait_for_window(display, title, start_timeout, &window)) << what;
        window_readback px;
        EXPECT_TRUE(watch_window(display, window, change_timeout, &px,
                                 [](const window_readback& p) { return measure_decorations(p).shown(); }))
            << what << ": no title and panels";
        EXPECT_EQ(client.wait_for_graphics_reply(3), "") << what << " ended by itself";
        ASSERT_TRUE(find_window(display, title, &window)) << what << " went";
        EXPECT_TRUE(px.grab(display, window) && measure_decorations(px).shown()) << what << " stopped drawing";
    };

    request_mode("<mode_window/>", "<mode_window/>");
    expect_sky_that_stays("the first window");
    WindowInfo window;
    ASSERT_TRUE(find_window(display, title, &window));
    send_window_close(display, window.id);
    EXPECT_EQ(client.wait_for_graphics_reply(change_timeout), "<mode_hide_graphics/>");
    request_mode("<mode_window/>", "<mode_window/>");
    expect_sky_that_stays("a window after the user closed one");

    request_mode("<mode_fullscreen/>", "<mode_fullscreen/>");
    expect_sky_that_stays("full screen after a window");
    request_mode("<mode_window/>", "<mode_window/>");
    expect_sky_that_stays("a window after full screen");
    ASSERT_TRUE(find_window(display, title, &window));
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);

    request_mode("<mode_fullscreen/>", "<mode_fullscreen/>");
    request_mode("<mode_hide_graphics/>", "<mode_hide_graphics/>");
    EXPECT_TRUE(wait_for_no_window(display, title, change_timeout));
    request_mode("<mode_window/>", "<mode_window/>");
    expect_sky_that_stays("a window after full screen and hiding");
    EXPECT_EQ(client.log().find("X error"), std::string::npos) << client.log();
}

TEST_F(WindowTest, ChangedStartUpDataIsReReadWhileAWindowIsShown) {
    const std::string title = "tidewrack_prefs_" + std::to_string(getpid());
    start_under_client(title);
    request_mode("<mode_window/>", "<mode_window/>");
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, nullptr));
    ASSERT_TRUE(client.wait_for_log("app_graphics_init", change_timeout));
    sleep(2);   // the file is looked at once a second; let it settle
    int rereads_before = count_occurrences(client.log(), reread_line);

    client.rewrite_init_data("<project_preferences><static_decorations>0</static_decorations>"
                             "</project_preferences>");
    EXPECT_TRUE(wait_for_count(client, reread_line, rereads_before + 1));
}

TEST_F(WindowTest, FullScreenEndsOnAPlainKeyButNotOnControlKey) {
    const std::string title = "tidewrack_fullscreen_" + std::to_string(getpid());
    int screen_width, screen_height;
    screen_size(display, &screen_width, &screen_height);
    xdotool("mousemove 100 100");   // keys go to the window under the pointer
    start_under_client(title);

    request_mode("<mode_fullscreen/>", "<mode_fullscreen/>");
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, &window));

    xdotool("key ctrl+b");
    ASSERT_TRUE(client.wait_for_log("boinc_app_key_press(): key 66 pressed.", change_timeout));
    EXPECT_NE(client.log().find("boinc_app_key_press(): key 17 pressed."), std::string::npos);
    EXPECT_EQ(client.wait_for_graphics_reply(1), "") << "Control+B ended full screen";
    ASSERT_TRUE(find_window(display, title, &window));
    EXPECT_EQ(window.x, 0) << "full screen covers the screen from its corner";
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, screen_width);
    EXPECT_EQ(window.height, screen_height);

    xdotool("key q");
    EXPECT_EQ(client.wait_for_graphics_reply(change_timeout), "<mode_hide_graphics/>");
    EXPECT_TRUE(wait_for_no_window(display, title, change_timeout));
    EXPECT_EQ(client.log().find("boinc_app_key_press(): key 81 pressed."), std::string::npos)
        << "the key that ends full screen is not a command";
}

TEST_F(WindowTest, FullScreenAndBlankScreenEndOnPointerMoveOrButton) {
    const std::string title = "tidewrack_pointer_" + std::to_string(getpid());
    xdotool("mousemove 100 100");
    start_under_client(title);

    request_mode("<mode_fullscreen/>", "<mode_fullscreen/>");
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, nullptr));
    xdotool("mousemove 200 200");
    xdotool("mousemove 300 250");
    EXPECT_EQ(client.wait_for_graphics_reply(change_timeout), "<mode_hide_graphics/>");
    EXPECT_TRUE(wait_for_no_window(display, title, change_timeout));

    request_mode("<mode_blankscreen/>", "<mode_blankscreen/>");
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, nullptr));
    xdotool("click 1");
    EXPECT_EQ(client.wait_for_graphics_reply(change_timeout), "<mode_hide_graphics/>");
    EXPECT_TRUE(wait_for_no_window(display, title, change_timeout));
}

TEST_F(WindowTest, WithoutADisplayTheWorkerRunsAloneToTheEnd) {
    const char* const no_display[] = {nullptr, ":4711"};   // unset; nothing there
    for (const char* display_name : no_display) {
        TestClient search;
        search.write_checkpoint(last_few_pulsars, last_few_pulsars);
        search.start(display_name);
        EXPECT_EQ(search.wait_for_exit(finish_timeout), 0);
        std::string log = search.log();
        EXPECT_NE(log.find("GFX: no display available"), std::string::npos) << log;
        EXPECT_NE(log.find("worker: CPU time"), std::string::npos) << log;
        EXPECT_EQ(log.find(loop_ended_line), std::string::npos);
    }
}

TEST_F(WindowTest, LosingTheXServerStopsTheDisplayButNotTheSearch) {
    PrivateXServer server;
    ASSERT_TRUE(server.started());
    struct _XDisplay* own_display = open_test_display(server.display().c_str());
    ASSERT_NE(own_display, nullptr);
    client.write_checkpoint(some_pulsars, some_pulsars);
    client.start(server.display().c_str());
    bool window_seen = wait_for_window(own_display, "Tidewrack", start_timeout, nullptr);
    close_test_display(own_display);
    server.stop();
    ASSERT_TRUE(window_seen);

    EXPECT_EQ(client.wait_for_exit(finish_timeout), 0);
    std::string log = client.log();
    EXPECT_NE(log.find("GFX: lost the X server connection"), std::string::npos) << log;
    EXPECT_NE(log.find("worker: CPU time"), std::string::npos) << log;
}

TEST_F(WindowTest, AFreeglutErrorStopsTheDisplayButNotTheSearch) {
    PrivateXServer server_without_glx(false);   // freeglut cannot make an OpenGL window
    ASSERT_TRUE(server_without_glx.started());
    client.write_checkpoint(last_few_pulsars, last_few_pulsars);
    client.start(server_without_glx.display().c_str());
    EXPECT_EQ(client.wait_for_exit(finish_timeout), 0);
    std::string log = client.log();
    EXPECT_NE(log.find("GFX: freeglut error"), std::string::npos) << log;
    EXPECT_NE(log.find("worker: CPU time"), std::string::npos) << log;
}

}  // namespace
