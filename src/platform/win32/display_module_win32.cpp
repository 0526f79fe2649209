// The display's entry on Windows, and its share of the processor time: the
// process's time less the worker thread's.
#include "platform/display_module.h"

#include <windows.h>

#include "platform/graphics_host.h"
#include "platform/win32/worker_thread_win32.h"

HANDLE worker_thread_handle_for_display = nullptr;

namespace {

double seconds(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return v.QuadPart / 1e7;   // 100 ns units
}

}  // namespace

extern "C" void tidewrack_display_main(const display_module_args*) { run_graphics_host(); }

double display_cpu_seconds() {
    static double worker_cpu = 0;   // kept if the worker's handle fails
    FILETIME created, ended, kernel, user;
    HANDLE worker = worker_thread_handle_for_display;
    if (worker && GetThreadTimes(worker, &created, &ended, &kernel, &user))
        worker_cpu = seconds(kernel) + seconds(user);
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
    return seconds(kernel) + seconds(user) - worker_cpu;
}
