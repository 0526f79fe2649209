// client_emulation's processes: started in the slot as the client starts
// them, reaped, killed.
#include "client_emulation.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace client_emulation {

pid_t start_process(const process_options& options) {
    std::vector<char*> argv;
    for (const std::string& a : options.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    fflush(nullptr);
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (options.own_process_group) {
        setpgid(0, 0);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
    }
    int out = options.output_fd;
    if (!options.output_path.empty()) out = open(options.output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
        if (out > 2) close(out);
    } else if (!options.output_path.empty()) {
        _exit(126);
    }
    if (!options.dir.empty() && chdir(options.dir.c_str())) _exit(126);
    if (options.remove_display) unsetenv("DISPLAY");
    else if (!options.display.empty()) setenv("DISPLAY", options.display.c_str(), 1);
    if (!options.library_path.empty()) {
        std::string path = options.library_path;
        const char* old = getenv("LD_LIBRARY_PATH");
        if (old && *old) path += std::string(":") + old;
        setenv("LD_LIBRARY_PATH", path.c_str(), 1);
    }
    execvp(options.program.empty() ? argv[0] : options.program.c_str(), argv.data());
    _exit(127);
}

bool reap(pid_t pid, bool block, int& status, int& signal) {
    int s;
    if (pid <= 0 || waitpid(pid, &s, block ? 0 : WNOHANG) != pid) return false;
    signal = WIFSIGNALED(s) ? WTERMSIG(s) : 0;
    status = signal ? 128 + signal : WEXITSTATUS(s);
    return true;
}

void kill_and_reap(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

double clock_seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

}  // namespace client_emulation
