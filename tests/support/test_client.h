// A small scripted client for end-to-end tests: runs the real executable in a
// fresh slot directory, either standalone or the way a client starts it
// (init_data.xml with shmem_seg_name -1 and the mmap'ed shared memory, a
// heartbeat every second), sends graphics requests and reads the replies.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct SHARED_MEM;
namespace client_emulation {
struct process_options;
}

class TestClient {
public:
    TestClient();    // makes the slot directory under $TMPDIR or /tmp
    ~TestClient();   // kills the program if it still runs, removes the slot

    const std::string& slot() const { return slot_dir; }
    std::string slot_file(const char* name) const { return slot_dir + "/" + name; }

    // ckpt_state: resume at pulsar `index` with `searched` counted.
    void write_checkpoint(int index, int searched);

    // Makes the slot a client's: init_data.xml naming the application
    // `app_name` (the window title) and the shared memory. Without this call
    // the program runs standalone.
    void attach_as_client(const std::string& app_name);
    // Rewrites init_data.xml with new project preferences, as a client does
    // when the volunteer changes them.
    void rewrite_init_data(const std::string& project_preferences);

    // Runs a copy of the program in the slot instead of the build's own, so
    // that nothing of the build directory lies beside it (no display module).
    // False if the copy cannot be made.
    bool copy_program_into_slot();

    // Starts the program in the slot. `display` is put into DISPLAY; nullptr
    // removes DISPLAY from the program's environment, "" keeps the test's.
    void start(const char* display = "");
    // Starts `argv` in the slot instead, the program under a stand-in (Wine),
    // with the client's heartbeats as start() sends them; its output goes to
    // the slot's file `output`.
    void start_command(const std::vector<std::string>& argv, const char* output);
    // Starts the graphics program in the slot instead, as a client's "Show
    // graphics" or a screensaver does, with `argv0` as its argv[0] and
    // `args` after it; DISPLAY as the test's.
    void start_graphics(const std::string& argv0, const std::vector<std::string>& args = {});

    pid_t pid() const { return child; }
    bool running();
    // Exit status (0..255), -2 when killed by a signal, -1 at the timeout.
    int wait_for_exit(double timeout_seconds);
    void kill_program();

    // Under a client: sends a message on graphics_request (waits until the
    // program has taken the previous one).
    void send_graphics_request(const char* msg);
    // The next message on graphics_reply, or "" after the timeout or once the
    // program has ended.
    std::string wait_for_graphics_reply(double timeout_seconds);

    // stderr.txt of the slot as it is now.
    std::string log() const;
    // stderrgfx.txt, the graphics program's log.
    std::string graphics_log() const;
    // Waits until stderr.txt contains `text`; false at the timeout or when
    // the program has ended without writing it.
    bool wait_for_log(const std::string& text, double timeout_seconds);

private:
    void launch(const client_emulation::process_options& options);
    void send_heartbeats();
    void write_init_data(const std::string& project_preferences);

    std::string slot_dir;
    std::string program = TIDEWRACK_EXE;
    std::string app_name;
    SHARED_MEM* shm = nullptr;
    pid_t child = 0;
    int exit_status = -1;
    std::atomic<bool> heartbeat_running{false};
    std::thread heartbeat_thread;
};

// Seconds on a monotonic clock, for timeouts.
double test_clock();
