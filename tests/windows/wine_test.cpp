// The Windows programs (tools/build/build_platform.sh windows_x86_64) under Wine, in
// a Wine prefix made fresh for the run and on an X server of each test's own:
// the computation's work unit against the Linux program's, a kill and a
// restart, the computation's own window, standalone and under a client, and
// the graphics program following a running computation through the shared
// memory.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "slot.h"
#include "test_client.h"
#include "text_files.h"
#include "window_readback.h"
#include "x_windows.h"

namespace fs = std::filesystem;

namespace {

const std::string windows_build = TIDEWRACK_WINDOWS_BUILD;
const std::string computation = windows_build + "/tidewrack.exe";
const std::string graphics_program = windows_build + "/tidewrack_graphics.exe";
const double run_limit = 480;     // seconds; only a net for a hung run on a busy machine
const double window_limit = 120;  // for a window and its picture to appear

const char init_data_xml[] =
    "<app_init_data>\n"
    "<user_name>Ann Example</user_name>\n"
    "<team_name>Tide Team</team_name>\n"
    "<authenticator>abc123</authenticator>\n"
    "<app_name>tidewrack</app_name>\n"
    "<wu_name>tw_wu_1</wu_name>\n"
    "<user_total_credit>1234.5</user_total_credit>\n"
    "<checkpoint_period>1</checkpoint_period>\n"
    "</app_init_data>\n";

// A program under Wine in the run's prefix; `opengl` false withholds
// opengl32, as on a host without OpenGL.
std::vector<std::string> under_wine(const std::string& exe, bool opengl) {
    return {"env",
            "WINEPREFIX=" TIDEWRACK_WINE_PREFIX,
            "WINEDEBUG=-all",
            std::string("WINEDLLOVERRIDES=mscoree,mshtml=") + (opengl ? "" : ";opengl32=d"),
            "LIBGL_ALWAYS_SOFTWARE=1",
            "wine",
            exe};
}

// And waits until the server has gone, so that the next test's programs
// start one of their own.
void stop_wine() {
    std::string output;
    e2e::run_command("", {"env", "WINEPREFIX=" TIDEWRACK_WINE_PREFIX, "wineserver", "-k"}, output);
    e2e::run_command("", {"env", "WINEPREFIX=" TIDEWRACK_WINE_PREFIX, "wineserver", "-w"}, output);
}

// A slot directory with the start-up data and a checkpoint at `index`.
struct wine_slot {
    std::string path;
    explicit wine_slot(int index) {
        std::string pattern = (fs::temp_directory_path() / "tidewrack-wine-XXXXXX").string();
        path = mkdtemp(pattern.data()) ? pattern : "";
        write_file(path + "/init_data.xml", init_data_xml);
        write_file(path + "/ckpt_state", e2e::checkpoint_text(index, index));
        for (const char* picture : {"earthlights2.jpg", "leftimage2.jpg"})
            fs::copy_file(std::string(TIDEWRACK_SOURCE_DIR) + "/data/" + picture, path + "/" + picture);
    }
    ~wine_slot() {
        stop_wine();
        fs::remove_all(path);
    }
    std::string file(const char* name) const { return read_file(path + "/" + name); }
    // The checkpoint as the program writes it, in text mode: CRLF line ends.
    bool checkpoint(int& index, int& count) const {
        std::string text = file("ckpt_state");
        if (text.find("\r\n") == std::string::npos) return false;
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return e2e::parse_checkpoint_strict(text, index, count);
    }
};

// The lines of a log or report with what differs between runs and systems
// made alike: line ends, the library's time and process stamps, and numbers
// with a fraction (times).
std::vector<std::string> comparable_lines(const std::string& text) {
    static const std::regex stamp("^[0-9]{2}:[0-9]{2}:[0-9]{2} \\([0-9]+\\): ");
    static const std::regex fraction("[0-9]+\\.[0-9]+");
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = std::regex_replace(std::regex_replace(line, stamp, "TIME: "), fraction, "N");
        lines.push_back(line);
    }
    return lines;
}

// The log without the display's one line, which names why there is none,
// and without the library's own complaint on Linux that a slot with
// init_data.xml has no client's shared memory (its Windows side says
// nothing before the line both print).
std::vector<std::string> without_display_line(const std::vector<std::string>& lines, std::string* display_line) {
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        if (line.rfind("GFX: ", 0) == 0) *display_line = line;
        else if (line != "shmget in attach_shmem: Invalid argument") kept.push_back(line);
    }
    return kept;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// An X server of the test's own for Wine's windows.
struct wine_display {
    PrivateXServer server;
    struct _XDisplay* display = nullptr;
    wine_display() {
        if (!server.started()) return;
        setenv("DISPLAY", server.display().c_str(), 1);
        display = open_test_display(server.display().c_str());
    }
    ~wine_display() {
        if (display) close_test_display(display);
    }
};

// Title, panels and the live search in the window: "" when all were seen.
std::string sky_shown(struct _XDisplay* display, const WindowInfo& window) {
    window_readback px;
    decorations_seen seen;
    watch_window(display, window, window_limit, &px, [&](const window_readback& p) {
        seen = measure_decorations(p);
        return seen.shown() && p.count(open_sky_box, bright_point) > 50;
    });
    if (!seen.shown())
        return "no title and panels (title " + std::to_string(seen.title) + ", panel " +
               std::to_string(seen.user_panel) + " pixels)";
    return watch_live_search(display, window, window_limit, &px);
}

// Wine's name for a path of this machine.
std::string windows_path(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

// The computation run as a Windows client runs it: init_data.xml names the
// shared memory, which the stand-in holds under that name, and names no
// client process to watch (the test's own pid means nothing under Wine).
struct wine_client : TestClient {
    const std::string shared_memory = "tidewrack_test_" + std::to_string(getpid());
    explicit wine_client(const std::string& title) {
        write_checkpoint(0, 0);
        attach_as_client(title);
        std::string text = read_file(slot_file("init_data.xml"));
        text = std::regex_replace(text, std::regex("<client_pid>[0-9]+</client_pid>\n"), "");
        text.insert(text.find('\n') + 1, "<comm_obj_name>" + shared_memory + "</comm_obj_name>\n");
        write_file(slot_file("init_data.xml"), text);
        for (const char* picture : {"earthlights2.jpg", "leftimage2.jpg"})
            fs::copy_file(std::string(TIDEWRACK_SOURCE_DIR) + "/data/" + picture, slot_file(picture));
    }
    ~wine_client() { stop_wine(); }
    void start_computation() {
        std::vector<std::string> argv = under_wine(TIDEWRACK_CLIENT_STAND_IN, true);
        argv.insert(argv.end(), {"shm_" + shared_memory, "boinc_mmap_file", windows_path(computation)});
        start_command(argv, "wine.txt");
    }
    std::string logs() const { return log() + read_file(slot_file("wine.txt")); }
};

}  // namespace

TEST(WindowsComputation, RunsAWorkUnitFromAResumeWithTheLinuxProgramsReportAndLog) {
    wine_slot linux_run(1266), windows_run(1266);
    std::string output;
    ASSERT_EQ(e2e::run_command(linux_run.path, {TIDEWRACK_EXE}, output), 0) << output;
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(e2e::run_command(windows_run.path, under_wine(computation, false), output), 0) << output;
    printf("Wine: the work unit's last 8 pulsars took %.1f s, start-up included\n", seconds_since(start));

    EXPECT_EQ(comparable_lines(windows_run.file("out.txt")), comparable_lines(linux_run.file("out.txt")));
    // The genuine report, CRLF line ends and all, is what the project's validator accepts.
    EXPECT_EQ(e2e::run_command(windows_run.path, {TIDEWRACK_SOURCE_DIR "/tools/kit/validate_report.py", "out.txt"}, output), 0)
        << output;
    std::string linux_display, windows_display;
    EXPECT_EQ(without_display_line(comparable_lines(windows_run.file("stderr.txt")), &windows_display),
              without_display_line(comparable_lines(linux_run.file("stderr.txt")), &linux_display));
    EXPECT_EQ(linux_display, "GFX: no display available - running without graphics");
    EXPECT_EQ(windows_display, "GFX: cannot load the display: opengl32.dll (error 126) - running without graphics");
    EXPECT_TRUE(e2e::path_exists(windows_run.path + "/boinc_finish_called"));
}

TEST(WindowsComputation, ResumesFromItsCheckpointAfterAKill) {
    wine_slot slot(1200);
    int saved = -1, count = -1;
    {
        e2e::background_process run(under_wine(computation, false), slot.path + "/wine.txt", slot.path, false);
        auto start = std::chrono::steady_clock::now();
        // A checkpoint a second: wait for one past the first pulsar.
        while (run.running() && seconds_since(start) < run_limit) {
            if (slot.checkpoint(saved, count) && saved > 1201) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ASSERT_GT(saved, 1201) << "no new checkpoint:\n" << slot.file("stderr.txt");
        stop_wine();   // the whole process, as a crash or a power cut ends it
        run.wait(60);
    }
    ASSERT_TRUE(slot.checkpoint(saved, count)) << slot.file("ckpt_state");
    std::string output;
    ASSERT_EQ(e2e::run_command(slot.path, under_wine(computation, false), output), 0) << output;

    std::vector<e2e::restart_line> restarts = e2e::restart_lines(slot.file("stderr.txt"));
    ASSERT_EQ(restarts.size(), 2u) << slot.file("stderr.txt");
    EXPECT_EQ(restarts[0].index, 1200);
    EXPECT_EQ(restarts[1].index, saved);
    EXPECT_EQ(restarts[1].searched, count);
    std::string out = slot.file("out.txt");
    EXPECT_EQ(count_occurrences(out, "Hello, BOINC World!"), 2) << out;
    EXPECT_EQ(count_occurrences(out, "Blow me down!"), 1) << out;
}

TEST(WindowsDisplay, TheComputationsOwnWindowShowsTheSky) {
    wine_display x;
    ASSERT_NE(x.display, nullptr);
    wine_slot slot(200);
    e2e::background_process run(under_wine(computation, true), slot.path + "/wine.txt", slot.path);
    WindowInfo window;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(wait_for_window(x.display, "tidewrack", window_limit, &window)) << slot.file("stderr.txt");
    printf("Wine: the computation's window appeared after %.1f s\n", seconds_since(start));
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    EXPECT_EQ(sky_shown(x.display, window), "") << slot.file("stderr.txt");
    // Closing the window ends a standalone run, as the old graphics loop did.
    send_window_close(x.display, window.id);
    EXPECT_EQ(run.wait(60), 47) << slot.file("stderr.txt");
}

// The one window of the run, steered through the client's graphics messages:
// every window draws the sky, however it came, and stays until asked to go.
TEST(WindowsDisplay, EveryWindowOfARunUnderAClientDrawsTheSkyAndStays) {
    wine_display x;
    ASSERT_NE(x.display, nullptr);
    const std::string title = "tidewrack_windows_" + std::to_string(getpid());
    wine_client client(title);
    client.start_computation();
    ASSERT_EQ(client.wait_for_graphics_reply(window_limit), "<mode_hide_graphics/>") << client.logs();
    auto request_mode = [&](const char* mode) {
        client.send_graphics_request(mode);
        EXPECT_EQ(client.wait_for_graphics_reply(window_limit), mode) << client.logs();
    };
    WindowInfo window;
    auto expect_sky_that_stays = [&](const char* what) {
        ASSERT_TRUE(wait_for_window(x.display, title, window_limit, &window)) << what << client.logs();
        window_readback px;
        EXPECT_TRUE(watch_window(x.display, window, window_limit, &px,
                                 [](const window_readback& p) { return measure_decorations(p).shown(); }))
            << what << ": no title and panels";
        EXPECT_EQ(client.wait_for_graphics_reply(3), "") << what << " ended by itself";
        ASSERT_TRUE(find_window(x.display, title, &window)) << what << " went";
        EXPECT_TRUE(px.grab(x.display, window) && measure_decorations(px).shown()) << what << " stopped drawing";
    };

    request_mode("<mode_window/>");
    expect_sky_that_stays("the first window");
    send_window_close(x.display, window.id);
    EXPECT_EQ(client.wait_for_graphics_reply(window_limit), "<mode_hide_graphics/>") << client.logs();
    request_mode("<mode_window/>");
    expect_sky_that_stays("a window after the user closed one");
    // From here on the run's one window: full screen and hiding keep it.
    unsigned long window_after_close = window.id;

    request_mode("<mode_fullscreen/>");
    expect_sky_that_stays("full screen after a window");
    request_mode("<mode_window/>");
    expect_sky_that_stays("a window after full screen");
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);

    request_mode("<mode_fullscreen/>");
    request_mode("<mode_hide_graphics/>");
    EXPECT_TRUE(wait_for_no_window(x.display, title, window_limit));
    request_mode("<mode_window/>");
    expect_sky_that_stays("a window after full screen and hiding");
    EXPECT_EQ(window.id, window_after_close) << "a new window for a new mode";
    EXPECT_TRUE(client.running()) << client.logs();
}

TEST(WindowsGraphicsProgram, FollowsARunningComputationAndEndsAfterIt) {
    wine_display x;
    ASSERT_NE(x.display, nullptr);
    wine_slot slot(900);
    // With the display, though without OpenGL: the first program of a Wine
    // server starts Wine's desktop, which every later window needs.
    e2e::background_process run(under_wine(computation, false), slot.path + "/wine.txt", slot.path);
    ASSERT_TRUE(run.running());
    auto start = std::chrono::steady_clock::now();
    e2e::background_process graphics(under_wine(graphics_program, true), slot.path + "/wine_gfx.txt", slot.path);
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(x.display, "tidewrack", window_limit, &window))
        << slot.file("stderrgfx.txt") << slot.file("wine_gfx.txt");
    printf("Wine: the graphics program's window appeared after %.1f s\n", seconds_since(start));
    EXPECT_EQ(sky_shown(x.display, window), "") << slot.file("stderrgfx.txt");
    EXPECT_EQ(run.wait(run_limit), 0) << slot.file("stderr.txt");
    EXPECT_EQ(graphics.wait(60), 0) << slot.file("stderrgfx.txt");
    EXPECT_NE(slot.file("stderrgfx.txt").find("GFX: graphics program ends (status 0)."), std::string::npos)
        << slot.file("stderrgfx.txt");
    // init_data.xml never changed: no re-read of the preferences.
    EXPECT_EQ(count_occurrences(slot.file("stderrgfx.txt"), "app_graphics_reread_prefs() called"), 0);
}

TEST(WindowsGraphicsProgram, RunsFullScreenAsTheScreensaverStartsItAndEndsOnAPointerMove) {
    wine_display x;
    ASSERT_NE(x.display, nullptr);
    wine_slot slot(0);
    std::vector<std::string> argv = under_wine(graphics_program, true);
    argv.push_back("--fullscreen");
    e2e::background_process graphics(argv, slot.path + "/wine_gfx.txt", slot.path);
    WindowInfo window;
    ASSERT_TRUE(wait_for_window(x.display, "tidewrack", window_limit, &window)) << slot.file("stderrgfx.txt");
    int width = 0, height = 0;
    screen_size(x.display, &width, &height);
    // The window is made, then made full screen.
    auto start = std::chrono::steady_clock::now();
    auto covers_screen = [&] { return window.x == 0 && window.y == 0 && window.width == width && window.height == height; };
    while (!covers_screen() && seconds_since(start) < window_limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        find_window(x.display, "tidewrack", &window);
    }
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, width);
    EXPECT_EQ(window.height, height);
    window_readback px;
    EXPECT_TRUE(watch_window(x.display, window, window_limit, &px,
                             [](const window_readback& p) { return measure_decorations(p).title > 40; }))
        << "no title in full screen";
    // The first position is where the pointer rests; a second one is a move.
    EXPECT_TRUE(xdotool("mousemove 100 100"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(xdotool("mousemove 140 130"));
    EXPECT_EQ(graphics.wait(60), 0) << slot.file("stderrgfx.txt");
}
