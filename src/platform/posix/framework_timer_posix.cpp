// The timer's signal blocked on the worker thread (see framework_timer.h).
#include "platform/framework_timer.h"

#include <pthread.h>
#include <signal.h>

namespace {

thread_local sigset_t mask_before;

}  // namespace

void hold_framework_timer() {
    sigset_t alarm;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm, &mask_before);
}

void release_framework_timer() { pthread_sigmask(SIG_SETMASK, &mask_before, nullptr); }
