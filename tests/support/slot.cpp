#include "slot.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "client_emulation.h"

namespace e2e {

using namespace client_emulation;

run_dir make_run_dir(const char* tag) {
    run_dir dir;
    dir.root = make_temp_dir(std::string("tidewrack-") + tag);
    if (dir.root.empty()) return dir;
    dir.slot = dir.root + "/slot";
    dir.project = dir.root + "/project";
    mkdir(dir.slot.c_str(), 0755);
    mkdir(dir.project.c_str(), 0755);
    return dir;
}

void remove_run_dir(const run_dir& dir) {
    remove_tree(dir.root);
}

std::string runner_result::text() const {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

int run_command(const std::string& cwd, const std::vector<std::string>& argv, std::string& output) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC)) return -1;
    process_options options;
    options.argv = argv;
    options.dir = cwd;
    options.remove_display = true;
    options.output_fd = fds[1];
    pid_t pid = start_process(options);
    close(fds[1]);
    output.clear();
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) output.append(buf, n);
    close(fds[0]);
    int status, sig;
    return reap(pid, true, status, sig) ? status : -1;
}

namespace {

std::vector<std::string> runner_argv(const run_dir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {TIDEWRACK_BINARY_DIR "/tidewrack_client", "--dir", dir.root,
                                     "--app", TIDEWRACK_EXE, "--no-display", "--plain"};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

}  // namespace

runner_result run_client(const run_dir& dir, const std::vector<std::string>& args) {
    std::string output;
    runner_result r;
    r.exit_code = run_command("", runner_argv(dir, args), output);
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) r.lines.push_back(line);
    return r;
}

background_runner::background_runner(const run_dir& dir, const std::vector<std::string>& args)
    : background_process(runner_argv(dir, args), dir.root + "/runner.txt") {}

std::string find_in_path(const std::string& name) {
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

background_process::background_process(const std::vector<std::string>& argv, const std::string& output,
                                       const std::string& cwd, bool keep_display)
    : output_path(output) {
    process_options options;
    options.argv = argv;
    options.dir = cwd;
    options.remove_display = !keep_display;
    options.output_path = output_path;
    pid = start_process(options);
}

background_process::~background_process() {
    // Ctrl+C asks the program to quit, a second one kills it.
    for (int attempt = 0; attempt < 2 && running(); attempt++) {
        kill(pid, SIGINT);
        wait(20);
    }
    if (running()) {
        kill(pid, SIGKILL);
        wait(5);
    }
}

bool background_process::running() {
    int sig;
    if (pid <= 0) return false;
    if (!reap(pid, false, status, sig)) return true;
    pid = 0;
    return false;
}

int background_process::wait(double timeout_seconds) {
    for (double waited = 0; running(); waited += 0.05) {
        if (waited > timeout_seconds) return -1;
        usleep(50 * 1000);
    }
    return status;
}

runner_result background_process::result() const {
    runner_result r;
    r.exit_code = status;
    std::istringstream in(read_file(output_path));
    std::string line;
    while (std::getline(in, line)) r.lines.push_back(line);
    return r;
}

bool background_process::wait_for_line(const std::string& needle, double timeout_seconds) {
    for (double waited = 0;; waited += 0.1) {
        bool alive = running();
        if (count_lines(result(), needle) > 0) return true;
        if (!alive || waited > timeout_seconds) return false;
        usleep(100 * 1000);
    }
}

std::vector<double> reported_fractions(const runner_result& r, int episode) {
    std::vector<double> out;
    int current = 0;
    for (const std::string& l : r.lines) {
        if (l.find("] episode ") != std::string::npos) current++;
        size_t at = l.find("progress: fraction_done ");
        if (at == std::string::npos || (episode && current != episode)) continue;
        out.push_back(atof(l.c_str() + at + strlen("progress: fraction_done ")));
    }
    return out;
}

int count_lines(const runner_result& r, const std::string& needle) {
    int n = 0;
    for (const std::string& l : r.lines)
        if (l.find(needle) != std::string::npos) n++;
    return n;
}

bool path_exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string checkpoint_text(int index, int count) {
    char buf[64];
    snprintf(buf, sizeof buf, " %d \n %d \n", index, count);
    return buf;
}

bool parse_checkpoint_strict(const std::string& text, int& index, int& count) {
    if (sscanf(text.c_str(), " %d  %d", &index, &count) != 2) return false;
    return text == checkpoint_text(index, count);
}

std::vector<restart_line> restart_lines(const std::string& log) {
    std::vector<restart_line> out;
    const std::string head = "worker: restarting at Pulsar ";
    for (size_t at = log.find(head); at != std::string::npos; at = log.find(head, at + 1)) {
        restart_line r;
        if (sscanf(log.c_str() + at, "worker: restarting at Pulsar %d with %d searched.", &r.index, &r.searched) == 2)
            out.push_back(r);
    }
    return out;
}

int fraction_index(double fraction, int denominator) {
    double x = fraction * denominator;
    double i = std::round(x);
    return std::fabs(x - i) < 1e-3 ? (int)i : -1;
}

double line_time(const std::string& line) {
    double t = -1;
    if (sscanf(line.c_str(), "[client %lf]", &t) != 1) return -1;
    return t;
}

void link_picture(const std::string& link_file, const char* name) {
    std::ofstream(link_file) << "<soft_link>" << TIDEWRACK_SOURCE_DIR "/data/" << name << "</soft_link>\n";
}

}  // namespace e2e
