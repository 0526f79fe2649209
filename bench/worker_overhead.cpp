// How much of a run is spent outside the busy arithmetic: times the worker's
// busy loop alone for K pulsars, then runs the real program under the client
// runner for the last K pulsars (from a checkpoint at 1274 - K) and takes its
// wall-clock figure from the log. Prints figures only.
//
// Usage: bench_worker_overhead [K] [rounds]   (default 20 pulsars, 3 rounds)
// Run it on a quiet machine: the worker runs at idle priority.
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

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

double time_busy_loop(int k) {
    double t0 = wall_seconds();
    for (int i = 0; i < k; i++) busy_work(busy_iterations_per_pulsar);
    return wall_seconds() - t0;
}

std::string read_file(const std::string& path) {
    std::string text;
    if (FILE* f = fopen(path.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        fclose(f);
    }
    return text;
}

bool write_file(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "w");
    if (!f) return false;
    fputs(text.c_str(), f);
    return fclose(f) == 0;
}

int run_quietly(const std::vector<std::string>& argv) {
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout)) _exit(126);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the last k pulsars under the client runner; returns the wall-clock
// figure the worker logged, or -1.
double time_real_run(int k, const std::string& root) {
    std::string project = root + "/project";
    run_quietly({"/bin/rm", "-rf", root});
    run_quietly({"/bin/mkdir", "-p", project});
    char ckpt[64];
    snprintf(ckpt, sizeof ckpt, " %d \n %d \n", pulsars - k, pulsars - k);
    if (!write_file(project + "/ckpt_state", ckpt)) return -1;
    int rc = run_quietly({BENCH_CLIENT, "--dir", root, "--app", BENCH_EXE, "--no-display", "--plain"});
    if (rc != 0) return -1;
    std::string log = read_file(root + "/slot/stderr.txt");
    size_t at = log.find("worker: CPU time: ");
    double cpu = 0, wall = -1;
    if (at == std::string::npos ||
        sscanf(log.c_str() + at, "worker: CPU time: %lf seconds, Wall clock time: %lf seconds", &cpu, &wall) != 2)
        return -1;
    return wall;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int k = argc > 1 ? atoi(argv[1]) : 20;
    int rounds = argc > 2 ? atoi(argv[2]) : 3;
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
    std::vector<double> loops, runs;
    for (int r = 0; r < rounds; r++) {
        double loop = time_busy_loop(k);
        double run = time_real_run(k, root + "/run");
        printf("round %d: busy loop alone %.3f s, real run %.3f s (wall clock from the log)\n", r + 1, loop, run);
        if (run < 0) {
            printf("the real run failed; see %s/run/slot/stderr.txt\n", root.c_str());
            return 1;
        }
        loops.push_back(loop);
        runs.push_back(run);
    }
    double loop = median(loops), run = median(runs);
    printf("median: busy loop %.3f s (%.4f s per pulsar), real run %.3f s\n", loop, loop / k, run);
    printf("overhead outside the busy work: %.3f s = %.2f %% of the run\n", run - loop, 100 * (run - loop) / run);
    run_quietly({"/bin/rm", "-rf", root});
    return 0;
}
