// The worker's arithmetic: progress fractions and the busy work.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "core/worker.h"

TEST(WorkerFraction, CountsOnlyFinishedPulsarsOverNPlusOne) {
    double previous = -1.0;
    for (int i = 0; i < 1274; i++) {
        double x = fraction_before(i, 1274);
        EXPECT_EQ(x, (double)i / 1275.0);   // 0/1275 ... 1273/1275, never 1
        EXPECT_GT(x, previous);
        previous = x;
    }
    EXPECT_EQ(fraction_before(0, 1274), 0.0);
    EXPECT_EQ(fraction_before(1273, 1274), 1273.0 / 1275.0);
    // The progress line appears from the second pulsar on (above 0.0001).
    EXPECT_GT(fraction_before(1, 1274), 0.0001);
}

TEST(WorkerBusyWork, LeavesTheSharedRandomSequenceAlone) {
    // The graphics thread seeds rand() for its events; the worker's busy
    // work, here on another thread as in the program, must not move it.
    srand(12345);
    int first = rand(), second = rand();
    srand(12345);
    std::thread worker_thread([] { busy_work(100000); });
    worker_thread.join();
    busy_work(1000);
    EXPECT_EQ(rand(), first);
    EXPECT_EQ(rand(), second);
}
