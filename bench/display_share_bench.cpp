// What the display costs: runs a graphics program (by default Tidewrack, the
// whole search with its window) in a window of the current X display and,
// for each window size, reports
//  - the start-up: from the program's start to its first frame shown;
//  - over `seconds`: the frames per second shown (buffer swaps, counted by
//    the preloaded swap counter), the processor share of each kind of thread
//    (the worker is the SCHED_IDLE one; the graphics thread is the first; the
//    rest are the framework's timer and the OpenGL driver's threads) beside
//    the host's limit of 0.2 for the display, and the display's CPU per frame;
//  - the floor: the same figures for a window that only clears and swaps.
// The program is started in a slot directory of its own holding the two
// pictures' link files; --program runs another one the same way (for
// instance a graphics program fed by a computation started beside it), with
// the arguments that follow it up to "--".
// With --slowdown K R, also the worker's wall-clock time for the last K
// pulsars with the window open and with no display at all, over R rounds.
// Prints figures only.
//
// Usage: bench_display [--size WxH]... [--seconds S] [--slowdown K R]
//                      [--program PATH [ARGS...] --] [--title TITLE] [--no-floor]
//   --title: the program's window title (default: its file name, any case)
//   default: --size 640x480 --size 1920x1080 --seconds 15
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "client_emulation.h"

namespace {

const int pulsars = 1274;
const int sched_idle_policy = 5;   // SCHED_IDLE

struct options {
    std::vector<std::string> program{TIDEWRACK_EXE};   // path and arguments
    std::string title;   // of its window; by default the program's file name
    std::vector<std::pair<int, int>> sizes;
    double seconds = 15;
    int slowdown_pulsars = 0, slowdown_rounds = 0;
    bool floor = true;
};

double wall_seconds() { return client_emulation::clock_seconds(); }

std::string read_text(const std::string& path) {
    std::string text;
    client_emulation::read_text(path, text);
    return text;
}

// ---- one run of a program in a slot of its own ----

struct program_run {
    std::string slot;
    pid_t pid = 0;
    double started = 0;   // CLOCK_MONOTONIC seconds

    std::string file(const char* name) const { return slot + "/" + name; }
    std::string log() const { return read_text(file("stderr.txt")); }

    // The swap counter's two figures: swaps so far, and the time of the first.
    uint64_t counter(int which) const {
        uint64_t n = 0;
        int fd = open(file("swap_count").c_str(), O_RDONLY);
        if (fd >= 0) {
            if (pread(fd, &n, sizeof n, which * sizeof n) != (ssize_t)sizeof n) n = 0;
            close(fd);
        }
        return n;
    }
    uint64_t swaps() const { return counter(0); }
    double first_frame_after_start() const {
        uint64_t at = counter(1);
        return at ? at * 1e-9 - started : -1;
    }
};

void link_images(const program_run& run) {
    for (const char* image : {"earthlights2.jpg", "leftimage2.jpg"}) {
        std::string physical = std::string(TIDEWRACK_BINARY_DIR) + "/" + image;
        if (access(physical.c_str(), R_OK) != 0)
            physical = std::string(TIDEWRACK_SOURCE_DIR) + "/data/" + image;
        std::ofstream(run.file(image)) << "<soft_link>" << physical << "</soft_link>\n";
    }
}

// Starts `program` in a new slot, resuming the search at pulsar `first`;
// with_display false removes DISPLAY from its environment.
program_run start_program(const std::vector<std::string>& program, int first, bool with_display) {
    program_run run;
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tidewrack_bench_XXXXXX";
    if (!mkdtemp(&pattern[0])) return run;
    run.slot = pattern;
    link_images(run);
    std::ofstream(run.file("ckpt_state")) << " " << first << " \n " << first << " \n";
    uint64_t zero[2] = {0, 0};
    std::ofstream(run.file("swap_count"), std::ios::binary).write((const char*)zero, sizeof zero);

    std::vector<char*> argv;
    for (const std::string& word : program) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    fflush(nullptr);
    run.started = wall_seconds();
    run.pid = fork();
    if (run.pid == 0) {
        if (chdir(run.slot.c_str()) != 0) _exit(127);
        if (!with_display) unsetenv("DISPLAY");
        setenv("LD_PRELOAD", SWAP_COUNTER_LIB, 1);
        setenv("BENCH_SWAP_COUNT_FILE", run.file("swap_count").c_str(), 1);
        int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) dup2(quiet, 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return run;
}

void stop_program(program_run& run) {
    if (run.pid > 0) {
        kill(run.pid, SIGKILL);
        waitpid(run.pid, nullptr, 0);
        run.pid = 0;
    }
}

// Exit status, or -1 when it had to be killed at the timeout.
int wait_for_program(program_run& run, double timeout) {
    double end = wall_seconds() + timeout;
    int status = 0;
    while (waitpid(run.pid, &status, WNOHANG) == 0) {
        if (wall_seconds() > end) {
            kill(run.pid, SIGKILL);
            waitpid(run.pid, &status, 0);
            return -1;
        }
        usleep(100 * 1000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void remove_slot(const program_run& run) {
    if (run.slot.empty()) return;
    std::string command = "rm -rf '" + run.slot + "'";
    if (system(command.c_str()) != 0) fprintf(stderr, "cannot remove %s\n", run.slot.c_str());
}

// The program's top-level window, found by its title (the whole title, in
// any case), moved to the screen's corner and given the size asked for.
bool place_window(const std::string& title, int width, int height) {
    std::string command = "xdotool search --onlyvisible --name '^" + title + "$'" +
                          " windowmove %@ 0 0 windowsize %@ " + std::to_string(width) + " " +
                          std::to_string(height) + " >/dev/null 2>&1";
    return system(command.c_str()) == 0;
}

// ---- processor time per thread, from /proc ----

struct thread_times {
    std::string name;
    int policy = -1;
    double cpu = 0;   // seconds, user + system
};

using thread_table = std::map<int, thread_times>;

thread_table sample_threads(pid_t pid) {
    thread_table table;
    std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d) return table;
    double tick = (double)sysconf(_SC_CLK_TCK);
    while (dirent* entry = readdir(d)) {
        if (entry->d_name[0] == '.') continue;
        int tid = atoi(entry->d_name);
        std::string stat = read_text(dir + "/" + entry->d_name + "/stat");
        size_t close_paren = stat.rfind(')');
        if (close_paren == std::string::npos) continue;
        // After the name: field 3 (state) onwards; utime and stime are
        // fields 14 and 15, the scheduling policy field 41.
        std::istringstream fields(stat.substr(close_paren + 2));
        std::vector<std::string> f;
        for (std::string word; fields >> word;) f.push_back(word);
        if (f.size() < 39) continue;
        thread_times t;
        t.cpu = (atof(f[11].c_str()) + atof(f[12].c_str())) / tick;
        t.policy = atoi(f[38].c_str());
        t.name = read_text(dir + "/" + entry->d_name + "/comm");
        if (!t.name.empty() && t.name.back() == '\n') t.name.pop_back();
        table[tid] = t;
    }
    closedir(d);
    return table;
}

// ---- the rest of the machine ----

struct machine_times {
    double busy = 0, all = 0;   // seconds of all cores
};

machine_times sample_machine() {
    machine_times m;
    std::istringstream line(read_text("/proc/stat"));
    std::string cpu;
    line >> cpu;
    double tick = (double)sysconf(_SC_CLK_TCK);
    std::vector<double> v;
    for (double x; v.size() < 8 && line >> x;) v.push_back(x / tick);
    for (size_t i = 0; i < v.size(); i++) {
        m.all += v[i];
        if (i != 3 && i != 4) m.busy += v[i];   // idle and iowait
    }
    return m;
}

std::string load_average() {
    std::string text = read_text("/proc/loadavg");
    return text.substr(0, text.find(' ', text.find(' ', text.find(' ') + 1) + 1));
}

// ---- 1. the display's cost while the search runs ----

bool wait_for_first_frame(const program_run& run, double timeout) {
    double end = wall_seconds() + timeout;
    while (wall_seconds() < end) {
        if (run.swaps() > 0) return true;
        if (waitpid(run.pid, nullptr, WNOHANG) != 0) return false;
        usleep(2 * 1000);
    }
    return false;
}

struct display_figures {
    bool ok = false;
    double startup = -1, frames_per_second = 0, share = 0, graphics = 0, others = 0, worker = 0;
    double cpu_ms_per_frame = 0;
};

display_figures measure_display(const std::vector<std::string>& program, const std::string& title,
                                const char* label, int width, int height, double seconds, bool show_threads) {
    display_figures figures;
    program_run run = start_program(program, 0, true);
    if (!wait_for_first_frame(run, 120)) {
        printf("   %s: no frames within 120 s (is DISPLAY an X server with GLX?)\n", label);
        stop_program(run);
        remove_slot(run);
        return figures;
    }
    figures.startup = run.first_frame_after_start();
    if (!place_window(title, width, height))
        printf("   %s: could not size the window with xdotool; measured at its own size\n", label);
    sleep(2);   // textures loaded, lists built, the new size settled
    thread_table before = sample_threads(run.pid);
    machine_times machine_before = sample_machine();
    uint64_t swaps_before = run.swaps();
    double t0 = wall_seconds();
    usleep((useconds_t)(seconds * 1e6));
    thread_table after = sample_threads(run.pid);
    machine_times machine_after = sample_machine();
    uint64_t swaps_after = run.swaps();
    double elapsed = wall_seconds() - t0;
    bool still_running = waitpid(run.pid, nullptr, WNOHANG) == 0;
    pid_t first_thread = run.pid;
    stop_program(run);
    if (!still_running) printf("   (%s ended during the measurement: figures are short)\n", label);

    // The worker: the SCHED_IDLE thread, if there is one.
    int worker = -1;
    for (const auto& [tid, t] : after)
        if (t.policy == sched_idle_policy) worker = tid;
    double worker_cpu = 0, graphics_cpu = 0, other_cpu = 0;
    if (show_threads) printf("   %-8s %-16s %-6s %s\n", "thread", "name", "policy", "CPU share");
    for (const auto& [tid, t] : after) {
        double used = t.cpu - (before.count(tid) ? before[tid].cpu : 0);
        if (tid == worker) worker_cpu += used;
        else if (tid == first_thread) graphics_cpu += used;
        else other_cpu += used;
        if (show_threads)
            printf("   %-8d %-16s %-6d %.3f%s\n", tid, t.name.c_str(), t.policy, used / elapsed,
                   tid == worker ? "  (worker)" : tid == first_thread ? "  (first)" : "");
    }
    double frames = (double)(swaps_after - swaps_before);
    double display_cpu = graphics_cpu + other_cpu;
    figures.ok = frames > 0;
    figures.frames_per_second = frames / elapsed;
    figures.share = display_cpu / elapsed;
    figures.graphics = graphics_cpu / elapsed;
    figures.others = other_cpu / elapsed;
    figures.worker = worker_cpu / elapsed;
    figures.cpu_ms_per_frame = frames > 0 ? display_cpu / frames * 1e3 : 0;
    double machine_busy = machine_after.busy - machine_before.busy;
    double cores = (machine_after.all - machine_before.all) / elapsed;
    printf("   %-9s %5.1f frames/s  %6.2f ms CPU per frame  display share %.3f (first thread %.3f, "
           "others %.3f)  start-up %.0f ms\n",
           label, figures.frames_per_second, figures.cpu_ms_per_frame, figures.share, figures.graphics,
           figures.others, figures.startup * 1e3);
    if (worker >= 0)
        printf("             worker share %.3f; rest of the machine %.2f of %.0f cores busy\n",
               figures.worker, (machine_busy - worker_cpu - display_cpu) / elapsed, cores);
    remove_slot(run);
    return figures;
}

void measure_size(const options& o, int width, int height, bool first) {
    printf("%dx%d, %.0f s each\n", width, height, o.seconds);
    display_figures program = measure_display(o.program, o.title, "program", width, height, o.seconds, first);
    if (!o.floor) return;
    display_figures floor = measure_display({BENCH_FLOOR_EXE}, "bench_floor", "floor", width, height, o.seconds, false);
    if (!program.ok || !floor.ok) return;
    // Within the host's limits (30 frames/s, a display share of 0.2) a frame
    // may cost 1000 * 0.2 / 30 = 6.7 ms; one costing c ms allows 200 / c.
    double allowed = std::min(30.0, 200.0 / program.cpu_ms_per_frame);
    printf("   within 30 frames/s and a 0.2 share: %.1f frames/s possible (the floor allows %.1f)\n", allowed,
           std::min(30.0, 200.0 / floor.cpu_ms_per_frame));
}

// ---- 2. the worker's slowdown with the window open ----

struct worker_figures {
    bool ok = false;
    double cpu = 0, wall = 0, frames_per_second = 0;
};

worker_figures run_last_pulsars(int count, bool with_display) {
    worker_figures figures;
    program_run run = start_program({TIDEWRACK_EXE}, pulsars - count, with_display);
    double t0 = wall_seconds();
    int status = wait_for_program(run, 1800);
    double elapsed = wall_seconds() - t0;
    std::string log = run.log();
    size_t at = log.find("worker: CPU time: ");
    if (status == 0 && at != std::string::npos &&
        sscanf(log.c_str() + at, "worker: CPU time: %lf seconds, Wall clock time: %lf seconds",
               &figures.cpu, &figures.wall) == 2) {
        figures.ok = true;
        figures.frames_per_second = run.swaps() / elapsed;
    }
    remove_slot(run);
    return figures;
}

void measure_worker_slowdown(int count, int rounds) {
    printf("worker slowdown: the last %d pulsars, %d rounds (no display, then window)\n", count, rounds);
    double wall_without = 0, wall_with = 0;
    int good = 0;
    for (int round = 1; round <= rounds; round++) {
        machine_times m0 = sample_machine();
        double t0 = wall_seconds();
        worker_figures without = run_last_pulsars(count, false);
        worker_figures with = run_last_pulsars(count, true);
        machine_times m1 = sample_machine();
        double elapsed = wall_seconds() - t0;
        if (!without.ok || !with.ok) {
            printf("   round %d: a run did not finish cleanly\n", round);
            continue;
        }
        printf("   round %d: no display %.2f s wall (%.2f s CPU); window %.2f s wall (%.2f s CPU, "
               "%.1f frames/s); ratio %.3f; machine %.2f cores busy on average\n",
               round, without.wall, without.cpu, with.wall, with.cpu, with.frames_per_second,
               with.wall / without.wall, (m1.busy - m0.busy) / elapsed);
        wall_without += without.wall;
        wall_with += with.wall;
        good++;
    }
    if (good) printf("   slowdown (window / no display, summed wall clock): %.3f\n", wall_with / wall_without);
}

bool parse_options(int argc, char** argv, options& o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        int w, h;
        if (a == "--size" && i + 1 < argc && sscanf(argv[i + 1], "%dx%d", &w, &h) == 2 && w > 0 && h > 0) {
            o.sizes.push_back({w, h});
            i++;
        } else if (a == "--seconds" && i + 1 < argc && atof(argv[i + 1]) > 0) {
            o.seconds = atof(argv[++i]);
        } else if (a == "--slowdown" && i + 2 < argc) {
            o.slowdown_pulsars = atoi(argv[++i]);
            o.slowdown_rounds = atoi(argv[++i]);
            if (o.slowdown_pulsars < 1 || o.slowdown_pulsars > pulsars || o.slowdown_rounds < 1) return false;
        } else if (a == "--program" && i + 1 < argc) {
            o.program.clear();
            for (i++; i < argc && std::string(argv[i]) != "--"; i++) o.program.push_back(argv[i]);
        } else if (a == "--title" && i + 1 < argc) {
            o.title = argv[++i];
        } else if (a == "--no-floor") {
            o.floor = false;
        } else {
            return false;
        }
    }
    if (o.sizes.empty()) o.sizes = {{640, 480}, {1920, 1080}};
    if (o.program.empty()) return false;
    if (o.title.empty()) o.title = o.program[0].substr(o.program[0].rfind('/') + 1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    options o;
    if (!parse_options(argc, argv, o)) {
        fprintf(stderr,
                "usage: %s [--size WxH]... [--seconds S] [--slowdown PULSARS ROUNDS] "
                "[--program PATH [ARGS...] --] [--title TITLE] [--no-floor]\n",
                argv[0]);
        return 2;
    }
    if (!getenv("DISPLAY") || !*getenv("DISPLAY")) {
        fprintf(stderr, "%s needs an X display (DISPLAY)\n", argv[0]);
        return 1;
    }
    long cores = sysconf(_SC_NPROCESSORS_ONLN);
    printf("bench_display: %s; %ld cores, load average %s at start\n", o.program[0].c_str(), cores,
           load_average().c_str());
    for (size_t k = 0; k < o.sizes.size(); k++) measure_size(o, o.sizes[k].first, o.sizes[k].second, k == 0);
    if (o.slowdown_rounds > 0) measure_worker_slowdown(o.slowdown_pulsars, o.slowdown_rounds);
    printf("load average %s at the end\n", load_average().c_str());
    return 0;
}
