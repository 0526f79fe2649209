// Publishing the search record: the worker writes each new target, the
// library's timer refreshes the status once a second. The timer keeps running
// while a suspended worker sleeps, so update_time stays fresh and the
// graphics program can tell a suspended task from one that has gone.
#include "core/search_publisher.h"

#include <atomic>
#include <cstdio>

#include "boinc_api.h"
#include "util.h"
#include "core/search_record.h"
#include "core/search_state.h"
#include "platform/framework_timer.h"
#include "platform/graphics_shmem.h"

namespace {

std::atomic<search_record*> record{nullptr};
std::atomic<bool> ending{false};

// What the timer and the worker both know: time, progress and task status.
search_snapshot status_now() {
    search_snapshot s;
    s.update_time = dtime();
    s.fraction_done = fraction_done.load(std::memory_order_relaxed);
    double cpu = 0;
    if (boinc_wu_cpu_time(cpu) == 0) s.cpu_time = cpu;
    BOINC_STATUS status;
    boinc_get_status(&status);
    s.suspended = status.suspended != 0;
    s.ending = ending.load(std::memory_order_relaxed) || status.quit_request || status.abort_request;
    return s;
}

void on_timer() { refresh_search_status(); }

// A worker write with the library's timer held off: a suspend that
// took hold in the middle of it would leave the record claimed, and the
// timer's refreshes skipped, for as long as the task stays suspended.
template <typename Write>
void write_from_worker(search_record* r, const search_snapshot& s, Write write) {
    hold_framework_timer();
    // The timer's refresh may hold the record for a moment.
    while (!write(r, s)) boinc_sleep(0.001);
    release_framework_timer();
}

}  // namespace

void start_publishing_search() {
    void* memory = make_graphics_shmem(search_record_name, sizeof(search_record));
    if (!memory) {
        fprintf(stderr, "worker: cannot create the graphics shared memory; no graphics program can follow the search.\n");
        return;
    }
    search_record* r = static_cast<search_record*>(memory);
    init_search_record(r);
    write_search_status(r, status_now());
    record.store(r, std::memory_order_release);
    boinc_register_timer_callback(on_timer);
}

void publish_search_target(int index) {
    search_record* r = record.load(std::memory_order_acquire);
    if (!r) return;
    search_snapshot s = status_now();
    s.target_ra = search_ra.load(std::memory_order_relaxed);
    s.target_dec = search_dec.load(std::memory_order_relaxed);
    s.target_index = index;
    s.n_searched = n_searched.load(std::memory_order_relaxed);
    write_from_worker(r, s, write_search_record);
}

void publish_search_ending() {
    ending.store(true, std::memory_order_relaxed);
    search_record* r = record.load(std::memory_order_acquire);
    if (!r) return;
    write_from_worker(r, status_now(), write_search_status);
}

void refresh_search_status() {
    search_record* r = record.load(std::memory_order_acquire);
    if (r) write_search_status(r, status_now());
}
