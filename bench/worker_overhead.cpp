// How much of a run is spent outside the busy arithmetic: times the worker's
// busy loop alone for K pulsars, then runs the real program under the client
// runner for the last K pulsars (from a checkpoint at 1274 - K) and takes its
// wall-clock figure from the log. The CPU time of both is printed as well: it
// stays meaningful when other processes share the cores. Prints figures only.
//
// Usage: bench_worker_overhead [K] [rounds]   (default 200 pulsars, 5 rounds)
// Run it on a quiet machine: the worker runs at idle priority.
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "client_emulation.h"
#include "core/worker.h"

namespace {

const int pulsars = 1274;

double wall_seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// The worker runs at idle priority; so does the loop measured alone.
void lower_to_idle_priority() {
    sched_param sp;
    memset(&sp, 0, sizeof sp);
    sched_setscheduler(0, SCHED_IDLE, &sp);
}

double cpu_seconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

struct timing {
    double wall = -1;
    double cpu = -1;
};

timing time_busy_loop(int k) {
    timing t;
    double wall0 = wall_seconds(), cpu0 = cpu_seconds();
    for (int i = 0; i < k; i++) busy_work(busy_iterations_per_pulsar);
    t.wall = wall_seconds() - wall0;
    t.cpu = cpu_seconds() - cpu0;
    return t;
}

// Runs a command with its output discarded; `cpu` receives the CPU time of
// the command and of the processes it waited for.
int run_quietly(const std::vector<std::string>& argv, double* cpu = nullptr) {
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout)) _exit(126);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage;
    if (wait4(pid, &status, 0, &usage) != pid) return -1;
    if (cpu)
        *cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
               usage.ru_stime.tv_usec * 1e-6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the last k pulsars under the client runner: the wall-clock figure the
// worker logged, and the CPU time of the program and the runner together.
timing time_real_run(int k, const std::string& root) {
    timing t;
    std::string project = root + "/project";
    run_quietly({"rm", "-rf", root});
    run_quietly({"mkdir", "-p", project});
    char ckpt[64];
    snprintf(ckpt, sizeof ckpt, " %d \n %d \n", pulsars - k, pulsars - k);
    if (!client_emulation::write_file_atomically(project + "/ckpt_state", ckpt)) return t;
    double cpu = -1;
    int rc = run_quietly({BENCH_CLIENT, "--dir", root, "--app", BENCH_EXE, "--no-display", "--plain"}, &cpu);
    if (rc != 0) return t;
    std::string log;
    client_emulation::read_text(root + "/slot/stderr.txt", log);
    size_t at = log.find("worker: CPU time: ");
    double logged_cpu = 0, wall = -1;
    if (at == std::string::npos ||
        sscanf(log.c_str() + at, "worker: CPU time: %lf seconds, Wall clock time: %lf seconds", &logged_cpu,
               &wall) != 2)
        return t;
    t.wall = wall;
    t.cpu = cpu;
    return t;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int k = argc > 1 ? atoi(argv[1]) : 200;
    int rounds = argc > 2 ? atoi(argv[2]) : 5;
    if (k < 1 || k > pulsars || rounds < 1) {
        fprintf(stderr, "usage: bench_worker_overhead [K (1..%d)] [rounds]\n", pulsars);
        return 2;
    }
    const char* tmp = getenv("TMPDIR");
    char root_template[512];
    snprintf(root_template, sizeof root_template, "%s/tidewrack-bench-XXXXXX", tmp && *tmp ? tmp : "/tmp");
    if (!mkdtemp(root_template)) return 1;
    std::string root = root_template;
    lower_to_idle_priority();

    printf("worker overhead: %d pulsars x %d busy iterations, %d rounds\n", k, busy_iterations_per_pulsar, rounds);
    // Each round pairs a loop with the run right after it, so that a change
    // of machine load between rounds does not enter the comparison.
    std::vector<double> wall_overheads, cpu_overheads;
    for (int r = 0; r < rounds; r++) {
        timing loop = time_busy_loop(k);
        timing run = time_real_run(k, root + "/run");
        if (run.wall < 0) {
            printf("the real run failed; see %s/run/slot/stderr.txt\n", root.c_str());
            return 1;
        }
        double wall_overhead = 100 * (run.wall - loop.wall) / run.wall;
        double cpu_overhead = 100 * (run.cpu - loop.cpu) / run.cpu;
        printf("round %d: busy loop alone %.3f s wall %.3f s CPU (%.4f s per pulsar); real run %.3f s wall (from the "
               "log) %.3f s CPU; overhead %.2f %% wall, %.2f %% CPU\n",
               r + 1, loop.wall, loop.cpu, loop.wall / k, run.wall, run.cpu, wall_overhead, cpu_overhead);
        wall_overheads.push_back(wall_overhead);
        cpu_overheads.push_back(cpu_overhead);
    }
    printf("overhead outside the busy work, median of %d rounds: %.2f %% of the wall clock, %.2f %% of the CPU time "
           "(program and runner)\n",
           rounds, median(wall_overheads), median(cpu_overheads));
    run_quietly({"rm", "-rf", root});
    return 0;
}
