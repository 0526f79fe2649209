// What the display costs: runs the real program in a window of the current X
// display and reports
//  1. over `seconds` of a running search: the frames per second shown (buffer
//     swaps, counted by the preloaded swap counter) and the processor share of
//     each kind of thread (the worker is the SCHED_IDLE one; the graphics
//     thread is the first; the rest are the framework's timer and the OpenGL
//     driver's threads), beside the host's limit of 0.2 for the display;
//  2. the worker's wall-clock time for the last K pulsars with the window open
//     and with no display at all (from its "worker: CPU time: ..." log line),
//     as a ratio.
// Also how busy the rest of the machine was meanwhile. Prints figures only.
//
// Usage: bench_display [seconds] [K] [rounds]   (default 20 s, 200 pulsars, 2)
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

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int pulsars = 1274;
const int sched_idle_policy = 5;   // SCHED_IDLE

double wall_seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// ---- one run of the program in a slot of its own ----

struct program_run {
    std::string slot;
    pid_t pid = 0;

    std::string file(const char* name) const { return slot + "/" + name; }
    std::string log() const { return read_text(file("stderr.txt")); }

    uint64_t swaps() const {
        uint64_t n = 0;
        int fd = open(file("swap_count").c_str(), O_RDONLY);
        if (fd >= 0) {
            if (pread(fd, &n, sizeof n, 0) != (ssize_t)sizeof n) n = 0;
            close(fd);
        }
        return n;
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

// Starts the program resuming at pulsar `first`; with_display false removes
// DISPLAY from its environment.
program_run start_program(int first, bool with_display) {
    program_run run;
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tidewrack_bench_XXXXXX";
    if (!mkdtemp(&pattern[0])) return run;
    run.slot = pattern;
    link_images(run);
    std::ofstream(run.file("ckpt_state")) << " " << first << " \n " << first << " \n";
    uint64_t zero = 0;
    std::ofstream(run.file("swap_count"), std::ios::binary).write((const char*)&zero, sizeof zero);

    fflush(nullptr);
    run.pid = fork();
    if (run.pid == 0) {
        if (chdir(run.slot.c_str()) != 0) _exit(127);
        if (!with_display) unsetenv("DISPLAY");
        setenv("LD_PRELOAD", SWAP_COUNTER_LIB, 1);
        setenv("BENCH_SWAP_COUNT_FILE", run.file("swap_count").c_str(), 1);
        int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) dup2(quiet, 1);
        execl(TIDEWRACK_EXE, TIDEWRACK_EXE, (char*)nullptr);
        _exit(127);
    }
    return run;
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

// ---- 1. the display's share while the search runs ----

bool wait_for_first_frames(const program_run& run, double timeout) {
    double end = wall_seconds() + timeout;
    while (wall_seconds() < end) {
        if (run.log().find("GFX: app_graphics_resize") != std::string::npos && run.swaps() > 0) return true;
        usleep(100 * 1000);
    }
    return false;
}

void measure_display_share(double seconds) {
    printf("1. display share: the whole search running, window open, %.0f s measured\n", seconds);
    program_run run = start_program(0, true);
    if (!wait_for_first_frames(run, 120)) {
        printf("   no frames within 120 s (is DISPLAY an X server with GLX?)\n");
        kill(run.pid, SIGKILL);
        waitpid(run.pid, nullptr, 0);
        remove_slot(run);
        return;
    }
    sleep(2);   // textures loaded, lists built
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
    kill(run.pid, SIGKILL);
    waitpid(run.pid, nullptr, 0);
    if (!still_running) printf("   (the search ended during the measurement: figures are short)\n");

    // The worker: the SCHED_IDLE thread, else the one with the most time.
    int worker = -1;
    double most = -1;
    for (const auto& [tid, t] : after) {
        double used = t.cpu - (before.count(tid) ? before[tid].cpu : 0);
        if (t.policy == sched_idle_policy) {
            worker = tid;
            break;
        }
        if (used > most) most = used, worker = tid;
    }
    double worker_cpu = 0, graphics_cpu = 0, other_cpu = 0;
    printf("   %-8s %-16s %-6s %s\n", "thread", "name", "policy", "CPU share");
    for (const auto& [tid, t] : after) {
        double used = t.cpu - (before.count(tid) ? before[tid].cpu : 0);
        if (tid == worker) worker_cpu += used;
        else if (tid == run.pid) graphics_cpu += used;
        else other_cpu += used;
        printf("   %-8d %-16s %-6d %.3f%s\n", tid, t.name.c_str(), t.policy, used / elapsed,
               tid == worker ? "  (worker)" : tid == run.pid ? "  (graphics)" : "");
    }
    double display_cpu = graphics_cpu + other_cpu;
    double machine_busy = machine_after.busy - machine_before.busy;
    double cores = (machine_after.all - machine_before.all) / elapsed;
    printf("   frames shown: %llu in %.1f s = %.1f frames/s (limit 30)\n",
           (unsigned long long)(swaps_after - swaps_before), elapsed, (swaps_after - swaps_before) / elapsed);
    printf("   display CPU share: %.3f (graphics thread %.3f, other threads %.3f; limit 0.2)\n",
           display_cpu / elapsed, graphics_cpu / elapsed, other_cpu / elapsed);
    printf("   worker CPU share: %.3f\n", worker_cpu / elapsed);
    printf("   rest of the machine: %.2f of %.0f cores busy\n",
           (machine_busy - worker_cpu - display_cpu) / elapsed, cores);
    remove_slot(run);
}

// ---- 2. the worker's slowdown with the window open ----

struct worker_figures {
    bool ok = false;
    double cpu = 0, wall = 0, frames_per_second = 0;
};

worker_figures run_last_pulsars(int count, bool with_display) {
    worker_figures figures;
    program_run run = start_program(pulsars - count, with_display);
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
    printf("2. worker slowdown: the last %d pulsars, %d rounds (no display, then window)\n", count, rounds);
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

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 20;
    int count = argc > 2 ? atoi(argv[2]) : 200;
    int rounds = argc > 3 ? atoi(argv[3]) : 2;
    if (seconds <= 0 || count < 1 || count > pulsars || rounds < 1) {
        fprintf(stderr, "usage: %s [seconds] [pulsars 1..%d] [rounds]\n", argv[0], pulsars);
        return 2;
    }
    if (!getenv("DISPLAY") || !*getenv("DISPLAY")) {
        fprintf(stderr, "%s needs an X display (DISPLAY)\n", argv[0]);
        return 1;
    }
    long cores = sysconf(_SC_NPROCESSORS_ONLN);
    printf("bench_display: %ld cores, load average %s at start\n", cores, load_average().c_str());
    measure_display_share(seconds);
    measure_worker_slowdown(count, rounds);
    printf("load average %s at the end\n", load_average().c_str());
    return 0;
}
