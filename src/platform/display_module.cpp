// The display module's entry, and the display's share of the processor time.
#include "platform/display_module.h"

#include "platform/graphics_host.h"

namespace {

clockid_t worker_clock;
bool have_worker_clock = false;

}  // namespace

extern "C" void tidewrack_display_main(const display_module_args* args) {
    if (args && args->size == (int)sizeof(display_module_args) && args->have_worker_clock) {
        worker_clock = args->worker_clock;
        have_worker_clock = true;
    }
    run_graphics_host();
}

double display_cpu_seconds() {
    static double worker_cpu = 0;   // kept if the worker's clock is gone
    timespec ts;
    if (have_worker_clock && clock_gettime(worker_clock, &ts) == 0)
        worker_cpu = ts.tv_sec + ts.tv_nsec / 1e9;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9 - worker_cpu;
}
