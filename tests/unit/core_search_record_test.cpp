// The search record shared with the graphics program: its checks and the
// sequence that keeps a reader from mixing two targets. Also built under
// ThreadSanitizer (cmake/tsan.cmake).
#include <gtest/gtest.h>

#include <thread>

#include "core/search_record.h"

namespace {

search_snapshot target(int index) {
    search_snapshot s;
    s.update_time = 1000 + index;
    s.fraction_done = index / 1275.0;
    s.target_ra = float(index);
    s.target_dec = -float(index);
    s.target_index = index;
    s.n_searched = index + 1;
    return s;
}

TEST(SearchRecord, ReadsBackWhatWasWritten) {
    search_record record;
    init_search_record(&record);
    search_snapshot s;
    ASSERT_EQ(read_search_record(&record, s), RECORD_READ);
    EXPECT_EQ(s.target_index, -1);
    EXPECT_FLOAT_EQ(s.target_dec, 100.0f);

    search_snapshot w = target(7);
    w.suspended = true;
    ASSERT_TRUE(write_search_record(&record, w));
    ASSERT_EQ(read_search_record(&record, s), RECORD_READ);
    EXPECT_EQ(s.target_index, 7);
    EXPECT_FLOAT_EQ(s.target_ra, 7.0f);
    EXPECT_EQ(s.n_searched, 8);
    EXPECT_TRUE(s.suspended);
    EXPECT_FALSE(s.ending);
    EXPECT_EQ(record.sequence.load() % 2, 0u);
}

TEST(SearchRecord, RefusesAForeignRecordAndAClaimedOne) {
    search_snapshot s;
    const char* why = nullptr;
    for (int field = 0; field < 3; field++) {
        search_record record;
        init_search_record(&record);
        std::atomic<uint32_t>* fields[] = {&record.magic, &record.layout_version, &record.record_size};
        fields[field]->store(fields[field]->load() + 1);
        EXPECT_EQ(read_search_record(&record, s, &why), RECORD_REFUSED) << field;
        ASSERT_NE(why, nullptr);
    }
    search_record record;
    init_search_record(&record);
    record.sequence.store(1);   // a write under way
    EXPECT_FALSE(write_search_record(&record, target(1)));
    EXPECT_EQ(read_search_record(&record, s), RECORD_BUSY);
}

TEST(SearchRecord, AReaderNeverMixesTwoTargets) {
    search_record record;
    init_search_record(&record);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 200000; i++) write_search_record(&record, target(i));
        done = true;
    });
    int reads = 0;
    while (!done) {
        search_snapshot s;
        if (read_search_record(&record, s) != RECORD_READ || s.target_index < 0) continue;
        reads++;
        ASSERT_EQ(s.target_ra, float(s.target_index));
        ASSERT_EQ(s.target_dec, -float(s.target_index));
        ASSERT_EQ(s.n_searched, s.target_index + 1);
    }
    writer.join();
    EXPECT_GT(reads, 0);
}

// The timer's refresh runs beside the worker's writes: it never puts back an
// older target, and what it loses to a claimed record it simply skips.
TEST(SearchRecord, AStatusRefreshKeepsTheWorkersLatestTarget) {
    search_record record;
    init_search_record(&record);
    std::atomic<bool> done{false};
    std::thread timer([&] {
        search_snapshot status;
        status.suspended = true;
        while (!done) write_search_status(&record, status);
    });
    for (int i = 0; i < 100000; i++)
        while (!write_search_record(&record, target(i))) {}
    done = true;
    timer.join();
    search_snapshot s;
    ASSERT_EQ(read_search_record(&record, s), RECORD_READ);
    EXPECT_EQ(s.target_index, 99999);
    EXPECT_EQ(s.n_searched, 100000);
    EXPECT_FLOAT_EQ(s.target_ra, 99999.0f);
}

TEST(SearchRecord, StaleAfterTenSecondsWithoutAWrite) {
    search_snapshot s = target(0);
    EXPECT_FALSE(search_record_stale(s, s.update_time + 10.0));
    EXPECT_TRUE(search_record_stale(s, s.update_time + 10.5));
}

}  // namespace
