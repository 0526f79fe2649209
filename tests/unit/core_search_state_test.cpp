// The search state handshake between the worker and the graphics thread.
// Also built alone under ThreadSanitizer (cmake/tsan.cmake).
#include <gtest/gtest.h>

#include <climits>
#include <thread>

#include "core/search_state.h"

namespace {

struct state_snapshot {
    float ra, dec;
    int target;
    bool started;
    int searched;
    double fraction;
};

state_snapshot take_snapshot() {
    return {search_ra.load(), search_dec.load(), target_state.load(), search_started.load(),
            n_searched.load(), fraction_done.load()};
}

// Taken during static initialisation, before any test touches the state.
const state_snapshot state_at_start = take_snapshot();

class SearchState : public ::testing::Test {
protected:
    void SetUp() override {
        search_ra = 0.0f;
        search_dec = 100.0f;
        target_state = TARGET_NONE;
        search_started = false;
        n_searched = 0;
        fraction_done = 0.0;
    }
};

}  // namespace

TEST(SearchStateStart, HoldsNoTargetBeforeTheWorkerRuns) {
    EXPECT_EQ(state_at_start.ra, 0.0f);
    EXPECT_EQ(state_at_start.dec, 100.0f);
    EXPECT_EQ(state_at_start.target, TARGET_NONE);
    EXPECT_FALSE(state_at_start.started);
    EXPECT_EQ(state_at_start.searched, 0);
    EXPECT_EQ(state_at_start.fraction, 0.0);
}

TEST_F(SearchState, SettingATargetPublishesItAndCountsIt) {
    set_search_target(75.58f, 22.01f);
    EXPECT_EQ(search_ra.load(), 75.58f);
    EXPECT_EQ(search_dec.load(), 22.01f);
    EXPECT_EQ(target_state.load(), TARGET_NEW);
    EXPECT_TRUE(search_started.load());
    EXPECT_EQ(n_searched.load(), 1);
}

TEST_F(SearchState, RestoredCountGrowsFromTheCheckpointValue) {
    n_searched = 17;   // as read_checkpoint leaves it
    set_search_target(10.0f, 20.0f);
    EXPECT_EQ(n_searched.load(), 18);
}

// A checkpoint may hold any int: a count that cannot grow stays where it is.
TEST_F(SearchState, CountAtTheLargestIntStaysThere) {
    n_searched = INT_MAX;
    set_search_target(10.0f, 20.0f);
    set_search_target(11.0f, 21.0f);
    EXPECT_EQ(n_searched.load(), INT_MAX);
}

TEST_F(SearchState, TwoTargetsBetweenFramesLeaveTheSecond) {
    set_search_target(1.0f, 2.0f);
    set_search_target(3.0f, 4.0f);
    EXPECT_EQ(target_state.load(), TARGET_NEW);
    float ra = 0, dec = 0;
    ASSERT_TRUE(take_new_target(ra, dec));
    EXPECT_EQ(ra, 3.0f);
    EXPECT_EQ(dec, 4.0f);
    EXPECT_EQ(n_searched.load(), 2);
    EXPECT_FALSE(take_new_target(ra, dec));
}

TEST_F(SearchState, NothingToTakeBeforeTheFirstTarget) {
    float ra = -1, dec = -1;
    EXPECT_FALSE(take_new_target(ra, dec));
    EXPECT_EQ(target_state.load(), TARGET_NONE);
    EXPECT_EQ(ra, -1.0f);
}

TEST_F(SearchState, TargetSetDuringARebuildWaitsForTheNextFrame) {
    set_search_target(1.0f, 2.0f);
    float ra = 0, dec = 0;
    ASSERT_TRUE(take_new_target(ra, dec));
    EXPECT_EQ(target_state.load(), TARGET_SHOWN);
    set_search_target(5.0f, 6.0f);   // the worker moves on while the list is rebuilt
    EXPECT_EQ(target_state.load(), TARGET_NEW);
    ASSERT_TRUE(take_new_target(ra, dec));
    EXPECT_EQ(ra, 5.0f);
    EXPECT_EQ(dec, 6.0f);
}

// The worker sets target k at (k, k) while a display takes targets and
// "rebuilds" after each. Every target the display takes is at least as new
// as the one it synchronised with, targets never go backwards, and the last
// one is always shown in the end.
TEST_F(SearchState, DisplayRebuildingWhileTheWorkerMovesNeverLosesTheLastTarget) {
    const int targets = 20000;
    std::atomic<bool> worker_done{false};
    std::thread worker_thread([&] {
        for (int k = 1; k <= targets; k++) {
            fraction_done.store(k / (targets + 1.0), std::memory_order_relaxed);
            set_search_target((float)k, (float)k);
        }
        worker_done.store(true, std::memory_order_release);
    });

    float shown_ra = 0, shown_dec = 0;
    int rebuilds = 0, last_count = 0;
    bool backwards = false, stale = false, count_fell = false;
    auto frame = [&] {
        float ra, dec;
        if (target_state.load(std::memory_order_acquire) == TARGET_NEW && take_new_target(ra, dec)) {
            if (ra < 1.0f || dec < 1.0f) stale = true;
            if (ra < shown_ra || dec < shown_dec) backwards = true;
            shown_ra = ra;
            shown_dec = dec;
            volatile double busy = 0;   // the rebuild takes a while
            for (int j = 0; j < 200; j++) busy = busy + j;
            rebuilds++;
        }
        int count = n_searched.load(std::memory_order_relaxed);
        if (count < last_count) count_fell = true;
        last_count = count;
        (void)search_started.load(std::memory_order_acquire);
        (void)fraction_done.load(std::memory_order_relaxed);
    };
    while (!worker_done.load(std::memory_order_acquire)) frame();
    worker_thread.join();
    frame();

    EXPECT_FALSE(stale) << "a taken target showed a position older than its own";
    EXPECT_FALSE(backwards);
    EXPECT_FALSE(count_fell);
    EXPECT_GE(rebuilds, 1);
    EXPECT_EQ(shown_ra, (float)targets);
    EXPECT_EQ(shown_dec, (float)targets);
    EXPECT_EQ(target_state.load(), TARGET_SHOWN);
    EXPECT_EQ(n_searched.load(), targets);
}
