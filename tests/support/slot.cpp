#include "slot.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace e2e {

namespace {

std::string temp_base() {
    const char* t = getenv("TMPDIR");
    return t && *t ? t : "/tmp";
}

void remove_tree(const std::string& path) {
    if (path.size() < 8) return;   // never anything like "/" or "/tmp"
    std::string cmd = "rm -rf '" + path + "'";
    if (system(cmd.c_str()) != 0) fprintf(stderr, "cannot remove %s\n", path.c_str());
}

}  // namespace

run_dir make_run_dir(const char* tag) {
    std::string templ = temp_base() + "/tidewrack-" + tag + "-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back(0);
    run_dir dir;
    if (!mkdtemp(buf.data())) return dir;
    dir.root = buf.data();
    dir.slot = dir.root + "/slot";
    dir.project = dir.root + "/project";
    mkdir(dir.slot.c_str(), 0755);
    mkdir(dir.project.c_str(), 0755);
    return dir;
}

void remove_run_dir(const run_dir& dir) {
    if (!dir.root.empty()) remove_tree(dir.root);
}

std::string runner_result::text() const {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

int run_command(const std::string& cwd, const std::vector<std::string>& argv, std::string& output) {
    int fds[2];
    if (pipe(fds)) return -1;
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        if (!cwd.empty() && chdir(cwd.c_str())) _exit(126);
        unsetenv("DISPLAY");
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    output.clear();
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) output.append(buf, n);
    close(fds[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

runner_result run_client(const run_dir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {TIDEWRACK_BINARY_DIR "/tidewrack_client", "--dir", dir.root,
                                     "--app", TIDEWRACK_EXE, "--no-display", "--plain"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string output;
    runner_result r;
    r.exit_code = run_command("", argv, output);
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) r.lines.push_back(line);
    return r;
}

namespace {

std::vector<std::string> runner_argv(const run_dir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {TIDEWRACK_BINARY_DIR "/tidewrack_client", "--dir", dir.root,
                                     "--app", TIDEWRACK_EXE, "--no-display", "--plain"};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

}  // namespace

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
    fflush(nullptr);
    pid = fork();
    if (pid == 0) {
        int fd = open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) _exit(126);
        dup2(fd, 1);
        dup2(fd, 2);
        if (!cwd.empty() && chdir(cwd.c_str())) _exit(126);
        if (!keep_display) unsetenv("DISPLAY");
        std::vector<char*> a;
        for (const std::string& s : argv) a.push_back(const_cast<char*>(s.c_str()));
        a.push_back(nullptr);
        execv(a[0], a.data());
        _exit(127);
    }
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
    if (pid <= 0) return false;
    int s;
    if (waitpid(pid, &s, WNOHANG) != pid) return true;
    status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
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
