// The graphics program beside the computation, started in the slot as a
// volunteer's Manager and screensaver start it: it follows the computation
// through the search record alone, waits while there is none, refuses a
// record that is not ours, says when the task is suspended, and ends by
// itself once the computation has ended.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>

#include "shmem.h"
#include "core/search_record.h"
#include "slot.h"
#include "test_client.h"
#include "util.h"
#include "window_readback.h"
#include "x_windows.h"

namespace {

using namespace e2e;

const double start_timeout = 120;   // seconds; the machine may be busy
const std::string runner_title = "tidewrack";   // the runner's app_name

// Above the search panel: "Suspended".
const box suspended_box = {0.85, 1.0, 0.205, 0.245};

void pause_for(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// A record as the computation writes it, in the slot's shared memory file.
search_record* make_record_file(const TestClient& slot) {
    void* memory = nullptr;
    std::string path = slot.slot_file("boinc_tidewrack_0");
    if (create_shmem_mmap(path.c_str(), sizeof(search_record), &memory)) return nullptr;
    return static_cast<search_record*>(memory);
}

// The graphics program started in a client's slot as the Manager starts it,
// titled `title`: its window, and the identity a screensaver helper reads.
void start_as_the_client_does(TestClient& slot, Display* display, const char* title, const std::string& argv0,
                              WindowInfo* window, window_identity* id) {
    slot.attach_as_client(title);
    slot.start_graphics(argv0);
    ASSERT_TRUE(wait_for_window(display, title, start_timeout, window)) << slot.graphics_log();
    ASSERT_TRUE(read_window_identity(display, window->id, id));
}

}  // namespace

// Under the runner, in slot 3: "Show graphics" shows the live search in a
// window of its own; a suspend longer than 10 s keeps it up and says so; it
// ends with status 0 by itself after the computation.
TEST(GraphicsProgram, FollowsTheLiveSearchSaysSuspendedAndEndsAfterTheComputation) {
    Display* display = open_test_display();
    ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
    scoped_run_dir dir("gfxlive");
    ASSERT_TRUE(write_file(dir.project + "/ckpt_state", checkpoint_text(700, 700)));
    background_runner runner(dir, {"--slot-number", "3", "--ckpt-period", "600", "--at", "0", "show-graphics",
                                   "--at", "frac:0.90", "suspend", "--at", "frac:0.90+14", "resume"});

    WindowInfo window;
    ASSERT_TRUE(wait_for_window(display, runner_title, start_timeout, &window)) << runner.result().text();
    EXPECT_TRUE(path_exists(dir.slot + "/boinc_tidewrack_3")) << "the record is named after the slot";

    // The live search: the gunsight on the current target, the percentage moving.
    window_readback later;
    EXPECT_EQ(watch_live_search(display, window, start_timeout, &later), "");

    // Suspended for 14 s: the record's time stays fresh, the notice shows.
    ASSERT_TRUE(runner.wait_for_line("sent <suspend/>", start_timeout)) << runner.result().text();
    window_readback px;
    EXPECT_TRUE(watch_window(display, window, 8, &px, [](const window_readback& p) {
        return p.count(suspended_box, panel_blue) > 20;
    })) << "the suspended notice";
    ASSERT_TRUE(runner.wait_for_line("sent <resume/>", 30)) << runner.result().text();
    EXPECT_EQ(count_lines(runner.result(), "graphics program: exit"), 0) << "still up after 14 s suspended\n" << runner.result().text();
    EXPECT_TRUE(watch_window(display, window, 10, &px, [](const window_readback& p) {
        return p.count(suspended_box, panel_blue) < 5;
    })) << "the notice goes with the resume";

    // The end: the computation finishes, the graphics program follows.
    EXPECT_EQ(runner.wait(300), 0) << runner.result().text();
    runner_result r = runner.result();
    EXPECT_EQ(count_lines(r, "graphics program: exit status 0"), 1) << r.text();
    EXPECT_EQ(count_lines(r, "SIGKILL to the graphics program"), 0) << r.text();
    std::string gfx_log = read_file(dir.slot + "/stderrgfx.txt");
    EXPECT_NE(gfx_log.find("GFX: the computation is ending; closing the graphics."), std::string::npos) << gfx_log;
    EXPECT_EQ(read_file(dir.slot + "/stderr.txt").find("graphics program"), std::string::npos)
        << "the graphics program's log stays out of the task's";
    close_test_display(display);
}

// Started before any computation: it waits without error, then refuses a
// record that is not ours without reading it, takes a valid one when it
// comes, and ends 10 s after its last update. Its window carries WM_CLASS and
// WM_COMMAND as a screensaver helper looks for them.
TEST(GraphicsProgram, WaitsRefusesADamagedRecordAndEndsWhenTheRecordGoesStale) {
    Display* display = open_test_display();
    ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
    TestClient slot;
    const std::string argv0 = "../../projects/example/tidewrack_graphics_4.87_x86_64-pc-linux-gnu";
    WindowInfo window;
    window_identity id;
    ASSERT_NO_FATAL_FAILURE(start_as_the_client_does(slot, display, "Tidewrack graphics test", argv0, &window, &id));
    EXPECT_EQ(id.instance, "tidewrack_graphics_4.87_x86_64-pc-linux-gnu");
    ASSERT_EQ(id.command.size(), 1u);
    EXPECT_EQ(id.command[0], argv0);

    window_readback px;
    EXPECT_TRUE(watch_window(display, window, 60, &px, [](const window_readback& p) {
        return p.count(open_sky_box, bright_point) > 100;
    })) << "the sky without a computation";
    EXPECT_EQ(px.count(open_sky_box, gunsight_orange), 0) << "no target yet";
    EXPECT_NE(slot.graphics_log().find("GFX: waiting for the computation's search record."), std::string::npos);

    search_record* record = make_record_file(slot);
    ASSERT_NE(record, nullptr);
    init_search_record(record);
    record->layout_version.store(search_record_layout + 1);
    pause_for(3);
    EXPECT_TRUE(slot.running()) << slot.graphics_log();
    std::string refused = "GFX: search record refused (wrong layout version); not reading it";
    EXPECT_EQ(count_occurrences(slot.graphics_log(), refused), 1) << slot.graphics_log();

    // A valid record: the program goes on with it, then ends when it goes stale.
    search_snapshot s;
    s.update_time = dtime();
    s.fraction_done = 0.5;
    s.target_ra = 83.6f;
    s.target_dec = 22.0f;
    s.target_index = 17;
    s.n_searched = 18;
    init_search_record(record);
    ASSERT_TRUE(write_search_record(record, s));
    EXPECT_TRUE(watch_window(display, window, 30, &px, [](const window_readback& p) {
        return p.count(open_sky_box, gunsight_orange) > 20;
    })) << "the gunsight on the record's target";
    double written = test_clock();
    EXPECT_EQ(slot.wait_for_exit(60), 0) << slot.graphics_log();
    EXPECT_GT(test_clock() - written, 5.0) << "ends only once the record is 10 s old";
    EXPECT_NE(slot.graphics_log().find("has not been updated for 10 s"), std::string::npos) << slot.graphics_log();
    EXPECT_EQ(slot.log(), "") << "nothing in the task's stderr.txt";
    detach_shmem_mmap(record, sizeof(search_record));
    close_test_display(display);
}

// Embedded as the Linux screensaver helper embeds it: found by its WM_CLASS,
// reparented into the helper's window and resized to it, it follows the new
// size, and a key pressed without Control ends it with 0.
TEST(GraphicsProgram, EmbeddedInAScreensaversWindowFollowsItsSizeAndEndsOnAPlainKey) {
    Display* display = open_test_display();
    ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
    TestClient slot;
    WindowInfo window;
    window_identity id;
    ASSERT_NO_FATAL_FAILURE(start_as_the_client_does(slot, display, "Tidewrack embedded", TIDEWRACK_GRAPHICS_EXE, &window, &id));
    EXPECT_EQ(id.instance, "tidewrack_graphics");

    Window helper = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 500, 300, 0, 0, 0);
    XMapWindow(display, helper);
    XReparentWindow(display, window.id, helper, 0, 0);
    XResizeWindow(display, window.id, 500, 300);
    XSync(display, False);
    const std::string resized = "GFX: app_graphics_resize(500,300)";
    const std::string embedded = "GFX: shown inside another program's window, as a screensaver.";
    double end = test_clock() + 60;
    auto log_has = [&](const std::string& line) { return slot.graphics_log().find(line) != std::string::npos; };
    while (!(log_has(resized) && log_has(embedded)) && test_clock() < end) pause_for(0.2);
    EXPECT_TRUE(log_has(resized)) << slot.graphics_log();

    // Inside the helper's window it is a screensaver: a plain key ends it.
    ASSERT_TRUE(log_has(embedded)) << slot.graphics_log();
    // xdotool fails when the window has gone before the key's release.
    xdotool("key --window " + std::to_string(window.id) + " q");
    EXPECT_EQ(slot.wait_for_exit(60), 0) << slot.graphics_log();
    XDestroyWindow(display, helper);
    close_test_display(display);
}

// Started by a desktop user in a slot it cannot write (the client runs tasks
// as its own user): the log goes to standard error, the window comes all the
// same. As root, a directory in place of stderrgfx.txt stands for that.
TEST(GraphicsProgram, InASlotItCannotWriteLogsToStandardErrorAndRunsOn) {
    Display* display = open_test_display();
    ASSERT_NE(display, nullptr) << "this test needs an X server in DISPLAY";
    TestClient slot;
    slot.attach_as_client("Tidewrack unwritable slot");
    ASSERT_EQ(mkdir(slot.slot_file("stderrgfx.txt").c_str(), 0755), 0);
    std::string output = slot.slot_file("output.txt");
    background_process program({TIDEWRACK_GRAPHICS_EXE}, output, slot.slot());
    WindowInfo window;
    EXPECT_TRUE(wait_for_window(display, "Tidewrack unwritable slot", start_timeout, &window)) << read_file(output);
    EXPECT_TRUE(program.wait_for_line("GFX: cannot write stderrgfx.txt in the slot; logging here.", 10))
        << read_file(output);
    EXPECT_TRUE(program.wait_for_line("GFX: waiting for the computation's search record.", 10)) << read_file(output);
    close_test_display(display);
}
