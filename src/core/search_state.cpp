#include "core/search_state.h"

std::atomic<float> search_ra{0.0f};
std::atomic<float> search_dec{100.0f};
std::atomic<int> target_state{TARGET_NONE};
std::atomic<bool> search_started{false};
std::atomic<int> n_searched{0};
std::atomic<double> fraction_done{0.0};
std::atomic<bool> task_suspended{false};

void set_search_target(float ra, float dec) {
    search_ra.store(ra, std::memory_order_relaxed);
    search_dec.store(dec, std::memory_order_relaxed);
    // Publishes the position above to whoever acquires TARGET_NEW.
    target_state.store(TARGET_NEW, std::memory_order_release);
    search_started.store(true, std::memory_order_release);
    // Only the worker thread writes the count, so load + store is enough.
    n_searched.store(n_searched.load(std::memory_order_relaxed) + 1,
                     std::memory_order_relaxed);
}

void mark_target_shown() {
    int expected = TARGET_NEW;
    target_state.compare_exchange_strong(expected, TARGET_SHOWN,
                                         std::memory_order_acq_rel,
                                         std::memory_order_acquire);
}

bool take_new_target(float& ra, float& dec) {
    int expected = TARGET_NEW;
    // Claiming before the position is read means a target set afterwards
    // finds TARGET_SHOWN and turns it back into TARGET_NEW: never lost.
    if (!target_state.compare_exchange_strong(expected, TARGET_SHOWN,
                                              std::memory_order_acq_rel,
                                              std::memory_order_acquire))
        return false;
    ra = search_ra.load(std::memory_order_relaxed);
    dec = search_dec.load(std::memory_order_relaxed);
    return true;
}
