// What switching between window and full screen costs in memory: runs the
// real program under the client runner, with the search suspended, sends it
// <mode_window/> and <mode_fullscreen/> in turn and prints the program's
// resident size every ten switches. Prints figures only.
//
// Usage: bench_window_switch [switches] [seconds between switches]
//        (default 140 and 0.5; needs an X server in DISPLAY)
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "client_emulation.h"

namespace {

double wall_seconds() { return client_emulation::clock_seconds(); }

std::string read_text(const std::string& path) {
    std::string text;
    client_emulation::read_text(path, text);
    return text;
}

// The runner's child: the program.
pid_t program_of(pid_t runner) {
    std::string path = "/proc/" + std::to_string(runner) + "/task/" + std::to_string(runner) + "/children";
    return (pid_t)atoi(read_text(path).c_str());   // "PID "
}

// Resident size in MB, or -1.
double resident_mb(pid_t pid) {
    std::istringstream status(read_text("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return atof(line.c_str() + 6) / 1024.0;
    return -1;
}

int count_lines(const std::string& text, const std::string& needle) {
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) n++;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    int switches = argc > 1 ? atoi(argv[1]) : 140;
    double step = argc > 2 ? atof(argv[2]) : 0.5;
    if (!getenv("DISPLAY")) {
        fprintf(stderr, "bench_window_switch needs an X server in DISPLAY\n");
        return 2;
    }
    const char* base = getenv("TMPDIR");
    std::string dir = std::string(base && *base ? base : "/tmp") + "/tidewrack_switch_XXXXXX";
    if (!mkdtemp(&dir[0])) return 1;
    std::string report = dir + "/runner.txt";

    // The first window opens at 2 s; the worker is suspended before, so the
    // run outlasts the switches.
    const double first = 2.0;
    std::vector<std::string> args = {BENCH_CLIENT, "--dir", dir + "/run", "--fresh", "--plain",
                                     "--at", "1", "suspend"};
    for (int k = 0; k <= switches; k++) {
        char when[32];
        snprintf(when, sizeof when, "%.2f", first + k * step);
        args.insert(args.end(), {"--at", when, k % 2 ? "fullscreen" : "window"});
    }
    char resume[32], end[32];
    snprintf(resume, sizeof resume, "%.2f", first + (switches + 2) * step);
    snprintf(end, sizeof end, "%.2f", first + (switches + 3) * step);
    args.insert(args.end(), {"--at", resume, "resume", "--at", end, "quit"});

    fflush(nullptr);
    pid_t runner = fork();
    if (runner == 0) {
        FILE* out = freopen(report.c_str(), "w", stdout);
        if (!out) _exit(127);
        std::vector<char*> argv_c;
        for (auto& a : args) argv_c.push_back(&a[0]);
        argv_c.push_back(nullptr);
        execv(argv_c[0], argv_c.data());
        _exit(127);
    }

    printf("switches  resident MB   (window <-> full screen, every %.2f s)\n", step);
    double start = wall_seconds();
    pid_t program = 0;
    for (int k = 0; k <= switches; k += 10) {
        // Just before switch k + 1: k switches done since the first window.
        double at = start + first + k * step + step * 0.9;
        while (wall_seconds() < at) usleep(20 * 1000);
        if (!program) program = program_of(runner);
        printf("%8d  %11.1f\n", k, program ? resident_mb(program) : -1.0);
        fflush(stdout);
    }
    int status = 0;
    waitpid(runner, &status, 0);
    std::string text = read_text(report);
    printf("graphics replies seen: %d window, %d full screen; runner exit %d\n",
           count_lines(text, "graphics reply: <mode_window/>"),
           count_lines(text, "graphics reply: <mode_fullscreen/>"),
           WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::string command = "rm -rf '" + dir + "'";
    if (system(command.c_str()) != 0) fprintf(stderr, "cannot remove %s\n", dir.c_str());
    return 0;
}
