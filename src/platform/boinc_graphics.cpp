// boinc_init_graphics() on the 7.x API: start-up of the worker thread, then
// the display module on the calling thread.
#include "platform/boinc_graphics.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include "boinc_api.h"
#include "error_numbers.h"
#include "platform/display_loader.h"

namespace {

pthread_mutex_t startup_mutex = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t startup_done_cond = PTHREAD_COND_INITIALIZER;
bool startup_done = false;
int startup_rc = 0;
void (*worker_fn)() = nullptr;

void lower_to_idle_priority() {
    sched_param sp;
    memset(&sp, 0, sizeof sp);
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &sp) != 0)
        setpriority(PRIO_PROCESS, (id_t)syscall(SYS_gettid), 19);
}

// The library binds its SIGALRM timer (suspend = sleep in the handler,
// quit/abort = exit from it) to whichever thread receives the signal, so the
// worker thread initialises the runtime and is the only one with SIGALRM open.
void* worker_thread_main(void*) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGALRM);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);

    BOINC_OPTIONS options;
    boinc_options_defaults(options);
    int rc = boinc_init_options(&options);
    if (rc == 0) lower_to_idle_priority();   // after the library's timer thread exists

    pthread_mutex_lock(&startup_mutex);
    startup_rc = rc;
    startup_done = true;
    pthread_cond_signal(&startup_done_cond);
    pthread_mutex_unlock(&startup_mutex);
    if (rc == 0) worker_fn();
    return nullptr;
}

}  // namespace

int boinc_init_graphics(void (*worker)()) {
    worker_fn = worker;
    sigset_t set, old;
    sigemptyset(&set);
    sigaddset(&set, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &set, &old);

    pthread_t tid;
    if (pthread_create(&tid, nullptr, worker_thread_main, nullptr) != 0) {
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        return ERR_THREAD;
    }
    pthread_mutex_lock(&startup_mutex);
    while (!startup_done) pthread_cond_wait(&startup_done_cond, &startup_mutex);
    int rc = startup_rc;
    pthread_mutex_unlock(&startup_mutex);
    if (rc) {
        pthread_join(tid, nullptr);
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        return rc;
    }
    display_module_args args = {};
    args.size = sizeof args;
    args.have_worker_clock = (pthread_getcpuclockid(tid, &args.worker_clock) == 0);
    pthread_detach(tid);

    run_display_module(args);
    fprintf(stderr, "Graphics event loop returned\n");
    return 0;
}
