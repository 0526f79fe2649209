// The search worker: runs on its own thread at idle priority, walks the
// pulsar catalogue and ends the process through boinc_finish.
#include "core/worker.h"

#include <cstdio>
#include <cstdlib>

#include "error_numbers.h"
#include "filesys.h"
#include "util.h"
#include "core/checkpoint.h"
#include "core/search_publisher.h"
#include "core/search_state.h"
#include "platform/thread_rand.h"
#include "sky/catalogues.h"

double start_time = 0;
APP_INIT_DATA init_data;

namespace {

const double busy_factor = 3.14159;

// The worker's own generator state: rand() shares one state between threads,
// and the graphics thread seeds it for its events.
thread_local unsigned int busy_seed = 1;

// Each product lands here: volatile keeps every call and multiplication,
// since their time is the whole point of the busy work.
thread_local volatile double busy_product = 0;

// Ends the process with `status`. A suspend that arrives while the library
// winds down would park this thread in its timer signal for good, since the
// library stops reading the client's messages (resume included) once it
// finishes: a critical section keeps the suspend from taking hold.
[[noreturn]] void finish(int status) {
    boinc_begin_critical_section();
    publish_search_ending();
    boinc_finish(status);
    exit(status);   // not reached: boinc_finish ends the process
}

// Opens out.txt for appending; ends the process when that is impossible.
FILE* open_output() {
    char out_path[512];
    int rc = boinc_resolve_filename("out.txt", out_path, sizeof out_path);
    if (rc) {
        fprintf(stderr, "worker: cannot resolve output file name.\n");
        finish(rc);
    }
    FILE* out = boinc_fopen(out_path, "a");
    if (!out) {
        fprintf(stderr, "worker: cannot open output file for appending.\n");
        finish(ERR_FOPEN);
    }
    return out;
}

void write_header(FILE* out) {
    fprintf(out, "User: %s \t\t", init_data.user_name);
    fprintf(out, "Auth: %s \n", init_data.authenticator);
    fprintf(out, "Team: %s \n\n", init_data.team_name);
    fprintf(out, "BOINC Dir: %s \n", init_data.boinc_dir);
    fprintf(out, "\n");
    fprintf(out, "Total Credit:\t %f\n", init_data.user_total_credit);
    fprintf(out, "Avg Credit:\t %f\n", init_data.user_expavg_credit);
    fprintf(out, "\n");
    fprintf(out, "APP Name: %s \n", init_data.app_name);
    fprintf(out, "WU Name:  %s \n", init_data.wu_name);
    fprintf(out, "\n================\n");
}

int resume() {
    int i_start = read_checkpoint();
    if (i_start == 0)
        fprintf(stderr, "worker: Starting from scratch...  \n");
    else
        fprintf(stderr, "worker: restarting at Pulsar %d with %d searched.\n", i_start,
                n_searched.load(std::memory_order_relaxed));
    return i_start;
}

void search(int i_start) {
    for (int i = i_start; i < pulsar_count; i++) {
        double x = fraction_before(i, pulsar_count);
        fraction_done.store(x, std::memory_order_relaxed);
        boinc_fraction_done(x);
        if (boinc_time_to_checkpoint()) write_checkpoint(i);
        set_search_target(pulsar_list[i].ra, pulsar_list[i].dec);
        publish_search_target(i);
        busy_work(busy_iterations_per_pulsar);
    }
}

void write_summary(FILE* out) {
    double end_time = dtime();
    double cpu_time = 0;
    int rc = boinc_wu_cpu_time(cpu_time);
    if (rc == 0) {
        fprintf(out, " CPU is %f seconds\n", cpu_time);
    } else {
        fprintf(stderr, "worker: can't get CPU time.  rc=%d \n", rc);
        cpu_time = 0;
    }
    double wall_time = end_time - start_time;
    fprintf(stderr, "worker: CPU time: %f seconds, Wall clock time: %f seconds\n", cpu_time,
            wall_time);
    fprintf(out, "APP: CPU time: %f seconds, Wall clock time: %f seconds\n", cpu_time, wall_time);
    fprintf(out, "\nBlow me down!\n");
}

}  // namespace

double fraction_before(int i, int n) { return (double)i / ((double)n + 1.0); }

void busy_work(int iterations) {
    for (int k = 0; k < iterations; k++) busy_product = thread_rand(&busy_seed) * busy_factor;
}

void worker() {
    FILE* out = open_output();
    fprintf(out, "Hello, BOINC World!\n===================\n\n");
    fprintf(stderr, "worker: trying boinc_get_init_data()...\n");
    boinc_get_init_data(init_data);
    write_header(out);
    fflush(NULL);
    start_publishing_search();
    search(resume());
    write_summary(out);
    fclose(out);
    finish(0);
}
