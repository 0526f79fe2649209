// boinc_init_graphics() on Windows: the worker thread starts the runtime,
// whose timer thread then suspends and resumes that thread (and quits the
// process from its own thread); the display runs on the calling thread.
#include "platform/boinc_graphics.h"

#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "boinc_api.h"
#include "error_numbers.h"
#include "platform/display_loader.h"
#include "platform/win32/worker_thread_win32.h"

namespace {

std::mutex startup_mutex;
std::condition_variable startup_done_cond;
bool startup_done = false;
int startup_rc = 0;

// The runtime takes the thread that initialises it as the one to suspend,
// and lowers it to idle priority itself.
void worker_thread_main(void (*worker)()) {
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    BOINC_OPTIONS options;
    boinc_options_defaults(options);
    int rc = boinc_init_options(&options);
    {
        std::lock_guard<std::mutex> lock(startup_mutex);
        worker_thread_handle_for_display = self;
        startup_rc = rc;
        startup_done = true;
    }
    startup_done_cond.notify_one();
    if (rc == 0) worker();
}

}  // namespace

int boinc_init_graphics(void (*worker)()) {
    std::thread thread;
    try {
        thread = std::thread(worker_thread_main, worker);
    } catch (...) {
        return ERR_THREAD;
    }
    int rc;
    {
        std::unique_lock<std::mutex> lock(startup_mutex);
        startup_done_cond.wait(lock, [] { return startup_done; });
        rc = startup_rc;
    }
    if (rc) {
        thread.join();
        return rc;
    }
    thread.detach();
    display_module_args args = {};
    args.size = sizeof args;
    run_display_module(args);
    fprintf(stderr, "Graphics event loop returned\n");
    return 0;
}
