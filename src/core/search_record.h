// The search record: the computation's state, published for a separate
// graphics program in the framework's graphics shared memory (created by the
// computation with boinc_graphics_make_shmem(search_record_name, ...), found
// by the graphics program with boinc_graphics_get_shmem; the library keeps it
// in the slot as boinc_tidewrack_<slot>). The graphics program relies on
// nothing else from the computation.
//
//   field            written by (computation)          read by (graphics program)
//   magic            init_search_record, once          read_search_record: a record
//   layout_version   init_search_record, once            whose magic, version or size
//   record_size      init_search_record, once            differs is refused, never read
//   sequence         write_search_record: odd while    read_search_record: retries
//                    a write is under way, even after    until it reads the same even
//                                                        value before and after
//   update_time      every write (dtime)               staleness: 10 s without a
//                                                        write = the computation is gone
//   fraction_done    every write                       "Percent Done"
//   cpu_time         every write                       the panel's CPU figure
//   target_ra/dec    at each new target                the gunsight
//   target_index     at each new target (-1: none)     a changed index = a new target
//   n_searched       at each new target                "Searched"
//   suspended        timer refresh                     the "suspended" notice
//   ending           before the process ends           the graphics program ends
//
// Writes come from the worker (each new target: every field) and from the
// library's once-a-second timer callback, which may run on another thread or
// interrupt the worker (the status only: time, fraction, CPU, suspended,
// ending; it leaves the target to the worker, so it can never put back an
// older one). A write first claims the record by moving the sequence from
// even to odd; a writer that finds it claimed gets false and may try again
// (the timer simply skips that refresh). Every field is an atomic, so the
// record is race-free between processes too; the sequence orders them.
#pragma once

#include <atomic>
#include <cstdint>

extern const char* const search_record_name;        // "tidewrack"
const uint32_t search_record_magic = 0x54445752;    // "TDWR"
const uint32_t search_record_layout = 1;
const double search_record_stale_seconds = 10.0;

// The fields as plain values: what a write stores and a read returns.
struct search_snapshot {
    double update_time = 0;     // dtime() of the write
    double fraction_done = 0;   // 0..1
    double cpu_time = 0;        // seconds of the task so far
    float target_ra = 0;        // degrees
    float target_dec = 100;     // degrees; 100 until the first target
    int32_t target_index = -1;  // catalogue index of the target, -1 before the first
    int32_t n_searched = 0;
    bool suspended = false;
    bool ending = false;
};

// The shared layout: fixed size, no pointers, the same in both programs.
struct search_record {
    std::atomic<uint32_t> magic;
    std::atomic<uint32_t> layout_version;
    std::atomic<uint32_t> record_size;
    std::atomic<uint32_t> sequence;
    std::atomic<double> update_time;
    std::atomic<double> fraction_done;
    std::atomic<double> cpu_time;
    std::atomic<float> target_ra;
    std::atomic<float> target_dec;
    std::atomic<int32_t> target_index;
    std::atomic<int32_t> n_searched;
    std::atomic<uint32_t> suspended;
    std::atomic<uint32_t> ending;
};
static_assert(sizeof(search_record) == 64, "the record's layout is shared between programs");
static_assert(std::atomic<double>::is_always_lock_free && std::atomic<uint32_t>::is_always_lock_free,
              "atomics in shared memory must be lock-free");

// Computation: stamps a fresh record (magic, layout, size, empty fields).
void init_search_record(search_record* record);

// Computation: stores `s` as one consistent update. Returns false, storing
// nothing, when another write holds the record.
bool write_search_record(search_record* record, const search_snapshot& s);

// Computation: stores the status fields of `s` (update_time, fraction_done,
// cpu_time, suspended, ending) as one update, the target fields untouched.
// Returns false, storing nothing, when another write holds the record.
bool write_search_status(search_record* record, const search_snapshot& s);

enum { RECORD_READ = 0, RECORD_REFUSED = 1, RECORD_BUSY = 2 };

// Graphics program: copies a consistent snapshot into `s` (RECORD_READ).
// RECORD_REFUSED: magic, layout or size is not ours; `why` (if given) then
// names what differs, for the log. RECORD_BUSY: writes kept overlapping the
// read; try again at the next frame.
int read_search_record(const search_record* record, search_snapshot& s, const char** why = nullptr);

// True when the snapshot was last written more than 10 s before `now`.
bool search_record_stale(const search_snapshot& s, double now);
