// The search worker: walks the pulsar catalogue, reports progress,
// checkpoints, and ends the process through boinc_finish.
#pragma once

#include "boinc_api.h"

//   variable    written by                      read by
//   start_time  main, before any thread starts  worker (elapsed time at the end)
//   init_data   worker                          worker only (the graphics keep their own)
extern double start_time;          // dtime() at the very start of main
extern APP_INIT_DATA init_data;    // the worker's own copy of the start-up data

const int busy_iterations_per_pulsar = 12345678;

void worker();

// Fraction of the work done before pulsar i of n: i / (n + 1).
double fraction_before(int i, int n);

// The busy arithmetic spent on one pulsar: `iterations` rand() calls, each
// result multiplied by 3.14159. Kept by the optimiser.
void busy_work(int iterations);
