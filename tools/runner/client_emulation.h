// What a BOINC client does around a task, for the client runner
// (tidewrack_client) and the end-to-end tests alike: the slot directory
// (init_data.xml, <soft_link> files), the shared memory boinc_mmap_file
// (heartbeat, process control, status read-back, graphics messages) and the
// processes it starts in the slot.
#pragma once

#include <sys/types.h>

#include <deque>
#include <string>
#include <vector>

struct APP_INIT_DATA;
struct SHARED_MEM;
struct MSG_CHANNEL;

namespace client_emulation {

// ---- files

// The file's bytes in `text`; false if it cannot be read.
bool read_text(const std::string& path, std::string& text);
// Writes through a temporary name, so that a reader never sees half a file.
bool write_file_atomically(const std::string& path, const std::string& text);
bool copy_file(const std::string& from, const std::string& to);
bool file_exists(const std::string& path);
bool dir_exists(const std::string& path);
std::string dir_of(const std::string& path);
std::string absolute(const std::string& path);
// A new directory $TMPDIR/NAME_XXXXXX (or under /tmp); "" if it cannot be made.
std::string make_temp_dir(const std::string& name);
// rm -rf, refusing short paths such as "/" or "/tmp".
void remove_tree(const std::string& path);

// ---- the slot

// The link file `name` in the slot, pointing at `target` (an absolute path).
bool write_soft_link(const std::string& slot_dir, const std::string& name, const std::string& target);
// A client's start-up data: version 7.20.5, the shared memory as the slot's
// boinc_mmap_file, this process as the client, the whole fraction range,
// one CPU, a 60 s checkpoint period and "tidewrack" as the application.
void default_init_data(APP_INIT_DATA& data);
// Writes the slot's init_data.xml (atomically) with `project_preferences`,
// given with or without their enclosing element.
bool write_init_data(const std::string& slot_dir, APP_INIT_DATA& data, const std::string& project_preferences);

// ---- the app version
// As the client takes a program and its files from an app version: each file
// is copied into the project directory under its physical name and linked
// into the slot under its logical (open) name, or its physical name when it
// has none; a file marked <copy_file/> is copied into the slot instead.

struct app_version_file {
    std::string physical;    // name in the project directory
    std::string open_name;   // name in the slot ("" = the physical name)
    bool main_program;
    bool copy_file = false;
};

struct app_version {
    std::string source_dir;         // where version.xml / app_info.xml is
    std::vector<app_version_file> files;
    std::string main_program;       // physical names
    std::string graphics_program;   // the file graphics_app, if any
};

// Reads version.xml (<file><physical_name/><logical_name/><main_program/>
// <copy_file/>) or, with `app_info`, app_info.xml (<app_version><file_ref>
// <file_name/><open_name/><main_program/><copy_file/>); false with the reason
// in `error`.
bool load_app_version(const std::string& xml_path, bool app_info, app_version& version, std::string& error);
// Copies what the project directory lacks (executables keep their mode);
// false with the file's name in `failed`.
bool install_app_version(const app_version& version, const std::string& project_dir, std::string& failed);
bool link_app_version(const app_version& version, const std::string& slot_dir, const std::string& project_dir);

// ---- the shared memory

// Creates the slot's boinc_mmap_file, zeroed; nullptr on failure.
SHARED_MEM* create_shared_memory(const std::string& slot_dir);
void clear_shared_memory(SHARED_MEM* shm);
void release_shared_memory(SHARED_MEM* shm);
void send_heartbeat(SHARED_MEM* shm);

// Messages wait in order; the next goes once the program has read the last.
struct message_queue {
    std::deque<std::string> pending;
    // Sends what the channel takes; true when nothing is left.
    bool flush(MSG_CHANNEL& channel);
};

// One app_status message; a value the message lacks stays -1.
struct app_status {
    double current_cpu = -1;
    double checkpoint_cpu = -1;
    double fraction_done = -1;
};
bool read_app_status(SHARED_MEM* shm, app_status& status);
bool read_graphics_reply(SHARED_MEM* shm, std::string& reply);

// ---- processes

struct process_options {
    std::vector<std::string> argv;    // argv[0] is the program (searched in PATH without a '/')
    std::string program;              // the file to run, if not argv[0]
    std::string dir;                  // working directory ("" = ours)
    bool remove_display = false;      // DISPLAY out of the environment
    std::string display;              // else, when not empty, DISPLAY to set
    std::string library_path;         // put first on LD_LIBRARY_PATH
    bool own_process_group = false;   // Ctrl+C on the terminal reaches only us
    int output_fd = -1;               // standard output and error, if >= 0
    std::string output_path;          // or this file, if not empty
};
// The child's pid, or -1.
pid_t start_process(const process_options& options);
// Reaps `pid` if it has ended (waits for it with `block`); `status` is its
// exit status, 128 + signal if killed; `signal` the signal or 0.
bool reap(pid_t pid, bool block, int& status, int& signal);
// SIGKILL, then reaped.
void kill_and_reap(pid_t pid);

// Seconds on a monotonic clock.
double clock_seconds();

}  // namespace client_emulation
