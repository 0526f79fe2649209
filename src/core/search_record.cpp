#include "core/search_record.h"

const char* const search_record_name = "tidewrack";

namespace {

const int read_attempts = 100;

// Moves the sequence from even to odd; false when another write holds it.
bool claim_record(search_record* record, uint32_t& seq) {
    seq = record->sequence.load(std::memory_order_relaxed);
    return !(seq & 1) && record->sequence.compare_exchange_strong(seq, seq + 1, std::memory_order_acquire,
                                                                  std::memory_order_relaxed);
}

void store_status(search_record* record, const search_snapshot& s) {
    record->update_time.store(s.update_time, std::memory_order_release);
    record->fraction_done.store(s.fraction_done, std::memory_order_release);
    record->cpu_time.store(s.cpu_time, std::memory_order_release);
    record->suspended.store(s.suspended, std::memory_order_release);
    record->ending.store(s.ending, std::memory_order_release);
}

}  // namespace

void init_search_record(search_record* record) {
    record->sequence.store(0, std::memory_order_relaxed);
    record->update_time.store(0, std::memory_order_relaxed);
    record->fraction_done.store(0, std::memory_order_relaxed);
    record->cpu_time.store(0, std::memory_order_relaxed);
    record->target_ra.store(0, std::memory_order_relaxed);
    record->target_dec.store(100, std::memory_order_relaxed);
    record->target_index.store(-1, std::memory_order_relaxed);
    record->n_searched.store(0, std::memory_order_relaxed);
    record->suspended.store(0, std::memory_order_relaxed);
    record->ending.store(0, std::memory_order_relaxed);
    record->layout_version.store(search_record_layout, std::memory_order_relaxed);
    record->record_size.store(sizeof(search_record), std::memory_order_relaxed);
    // The magic last: a reader that sees it sees a whole record.
    record->magic.store(search_record_magic, std::memory_order_release);
}

bool write_search_status(search_record* record, const search_snapshot& s) {
    uint32_t seq;
    if (!claim_record(record, seq)) return false;
    store_status(record, s);
    record->sequence.store(seq + 2, std::memory_order_release);
    return true;
}

bool write_search_record(search_record* record, const search_snapshot& s) {
    uint32_t seq;
    if (!claim_record(record, seq)) return false;
    // Release stores and acquire loads of the fields: a reader that sees any
    // field of this write also sees the odd sequence before it, and retries.
    store_status(record, s);
    record->target_ra.store(s.target_ra, std::memory_order_release);
    record->target_dec.store(s.target_dec, std::memory_order_release);
    record->target_index.store(s.target_index, std::memory_order_release);
    record->n_searched.store(s.n_searched, std::memory_order_release);
    record->sequence.store(seq + 2, std::memory_order_release);
    return true;
}

int read_search_record(const search_record* record, search_snapshot& s, const char** why) {
    const char* reason = nullptr;
    if (record->magic.load(std::memory_order_acquire) != search_record_magic)
        reason = "wrong magic number";
    else if (record->layout_version.load(std::memory_order_relaxed) != search_record_layout)
        reason = "wrong layout version";
    else if (record->record_size.load(std::memory_order_relaxed) != sizeof(search_record))
        reason = "wrong record size";
    if (reason) {
        if (why) *why = reason;
        return RECORD_REFUSED;
    }
    for (int attempt = 0; attempt < read_attempts; attempt++) {
        uint32_t before = record->sequence.load(std::memory_order_acquire);
        if (before & 1) continue;
        s.update_time = record->update_time.load(std::memory_order_acquire);
        s.fraction_done = record->fraction_done.load(std::memory_order_acquire);
        s.cpu_time = record->cpu_time.load(std::memory_order_acquire);
        s.target_ra = record->target_ra.load(std::memory_order_acquire);
        s.target_dec = record->target_dec.load(std::memory_order_acquire);
        s.target_index = record->target_index.load(std::memory_order_acquire);
        s.n_searched = record->n_searched.load(std::memory_order_acquire);
        s.suspended = record->suspended.load(std::memory_order_acquire) != 0;
        s.ending = record->ending.load(std::memory_order_acquire) != 0;
        if (record->sequence.load(std::memory_order_relaxed) == before) return RECORD_READ;
    }
    return RECORD_BUSY;
}

bool search_record_stale(const search_snapshot& s, double now) {
    return now - s.update_time > search_record_stale_seconds;
}
