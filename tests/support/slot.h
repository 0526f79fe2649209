// Helpers for the end-to-end tests: temporary run directories, the client
// runner (tidewrack_client) as a child process, and readers for what a run
// leaves behind (out.txt, ckpt_state, stderr.txt, the runner's report).
#pragma once

#include <string>
#include <vector>

#include "text_files.h"

namespace e2e {

// A run directory as the client runner lays it out.
struct run_dir {
    std::string root;      // temporary directory, removed by remove_run_dir
    std::string slot;      // root/slot: init_data.xml, link files, stderr.txt
    std::string project;   // root/project: out.txt, ckpt_state, images
};

run_dir make_run_dir(const char* tag);
void remove_run_dir(const run_dir& dir);

// A run directory removed when the test ends, whichever way it ends.
struct scoped_run_dir : run_dir {
    explicit scoped_run_dir(const char* tag) : run_dir(make_run_dir(tag)) {}
    ~scoped_run_dir() { remove_run_dir(*this); }
    scoped_run_dir(const scoped_run_dir&) = delete;
    scoped_run_dir& operator=(const scoped_run_dir&) = delete;
};

// What one run of the client runner printed, and how it ended.
struct runner_result {
    int exit_code = -1;          // the runner's exit status (-1: did not exit)
    std::vector<std::string> lines;
    std::string text() const;    // all lines joined, for failure messages
};

// Runs tidewrack_client on the real program in `dir`, without a display and
// with plain progress lines; `args` are further runner options.
runner_result run_client(const run_dir& dir, const std::vector<std::string>& args);

// A command in the background, started in `cwd` (the test's own if empty)
// with the test's DISPLAY unless `keep_display` is false; its standard output
// and error go to `output_path`. Stopped when the object goes, as Ctrl+C
// stops it (twice, then SIGKILL).
class background_process {
public:
    background_process(const std::vector<std::string>& argv, const std::string& output_path,
                       const std::string& cwd = "", bool keep_display = true);
    ~background_process();
    background_process(const background_process&) = delete;
    background_process& operator=(const background_process&) = delete;
    bool running();
    // The exit status (128 + signal if killed), -1 at the timeout.
    int wait(double timeout_seconds);
    // What it has printed so far, line by line, with the exit status.
    runner_result result() const;
    // Waits until a line contains `needle`; false at the timeout or once
    // the process has ended without printing it.
    bool wait_for_line(const std::string& needle, double timeout_seconds);

private:
    int pid = 0;
    int status = -1;
    std::string output_path;
};

// The client runner in the background, for tests that look at windows while
// it runs: the graphics program it starts keeps the test's DISPLAY, the
// computation runs without one (--no-display). Output in root/runner.txt.
struct background_runner : background_process {
    background_runner(const run_dir& dir, const std::vector<std::string>& args);
};

// The path of an executable found in PATH, or "".
std::string find_in_path(const std::string& name);

// Runs a command in `cwd` with DISPLAY removed from its environment; returns
// its exit status (128 + signal if killed) and its output in `output`.
int run_command(const std::string& cwd, const std::vector<std::string>& argv, std::string& output);

// The fractions the runner saw reported ("progress: fraction_done F"), in
// order, for the program's episode `episode` (1-based; 0 = all episodes).
std::vector<double> reported_fractions(const runner_result& r, int episode = 0);

// Number of runner lines that contain `needle`.
int count_lines(const runner_result& r, const std::string& needle);

bool path_exists(const std::string& path);

// Writes the link file `link_file` naming the program's picture `name`
// ("earthlights2.jpg", "leftimage2.jpg") in the source tree.
void link_picture(const std::string& link_file, const char* name);

// A checkpoint as the program writes it: exactly " %d \n %d \n".
bool parse_checkpoint_strict(const std::string& text, int& index, int& count);
std::string checkpoint_text(int index, int count);

// Every "worker: restarting at Pulsar %d with %d searched." line of a log.
struct restart_line {
    int index;
    int searched;
};
std::vector<restart_line> restart_lines(const std::string& log);

// The index i when `fraction` is i / denominator (as reported with the
// client's six significant digits), or -1.
int fraction_index(double fraction, int denominator);

// The time stamp of a runner line ("[client   12.34] ..."), or -1.
double line_time(const std::string& line);

}  // namespace e2e
