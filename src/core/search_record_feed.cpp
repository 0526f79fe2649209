// Feeding the search state from the computation's record (graphics program).
#include "core/search_record_feed.h"

#include <cstdio>
#include <cstring>

#include "core/search_record.h"
#include "core/search_state.h"
#include "platform/graphics_shmem.h"

namespace {

const double attach_interval = 1.0;   // seconds between tries to find the memory

const search_record* record = nullptr;
double next_attach = 0;
const char* refused_for = nullptr;     // the last reason logged, to log it once
bool logged_waiting = false;
int shown_index = -1;

void log_refusal(const char* why) {
    if (refused_for == why) return;
    refused_for = why;
    fprintf(stderr, "GFX: search record refused (%s); not reading it, waiting for a valid one.\n", why);
}

bool attach(double now) {
    if (record) return true;
    if (now < next_attach) return false;
    next_attach = now + attach_interval;
    bool too_short = false;
    void* memory = attach_graphics_shmem(search_record_name, sizeof(search_record), &too_short);
    if (too_short) log_refusal("shorter than the record");
    if (!memory) {
        if (!logged_waiting) fprintf(stderr, "GFX: waiting for the computation's search record.\n");
        logged_waiting = true;
        return false;
    }
    record = static_cast<const search_record*>(memory);
    return true;
}

// The record's target becomes the display's, as set_search_target would make
// it, but with the computation's own count.
void take_record(const search_snapshot& s) {
    fraction_done.store(s.fraction_done, std::memory_order_relaxed);
    n_searched.store(s.n_searched, std::memory_order_relaxed);
    task_suspended.store(s.suspended, std::memory_order_relaxed);
    if (s.target_index < 0 || s.target_index == shown_index) return;
    shown_index = s.target_index;
    search_ra.store(s.target_ra, std::memory_order_relaxed);
    search_dec.store(s.target_dec, std::memory_order_relaxed);
    target_state.store(TARGET_NEW, std::memory_order_release);
    search_started.store(true, std::memory_order_release);
}

}  // namespace

int feed_search_state(double now) {
    if (!attach(now)) return FEED_WAITING;
    // A file the computation has made but not stamped yet is all zeros.
    if (record->magic.load(std::memory_order_acquire) == 0) return FEED_WAITING;
    search_snapshot s;
    const char* why = nullptr;
    int rc = read_search_record(record, s, &why);
    if (rc == RECORD_REFUSED) {
        log_refusal(why);
        return FEED_WAITING;
    }
    refused_for = nullptr;
    if (rc == RECORD_BUSY) return FEED_LIVE;   // the next tick reads it
    if (s.ending) {
        fprintf(stderr, "GFX: the computation is ending; closing the graphics.\n");
        return FEED_ENDED;
    }
    if (search_record_stale(s, now)) {
        fprintf(stderr, "GFX: the search record has not been updated for %.0f s; closing the graphics.\n",
                search_record_stale_seconds);
        return FEED_ENDED;
    }
    take_record(s);
    return FEED_LIVE;
}
