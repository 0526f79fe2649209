// One whole work unit from scratch under the scripted client: about 100 s of
// CPU on a quiet machine, much longer on a busy one. Near the end the client
// quits and restarts the program, so that the restart line shows the count
// of targets searched from scratch.
#include <gtest/gtest.h>

#include "slot.h"

namespace {

using namespace e2e;

const int pulsars = 1274;
const int denominator = pulsars + 1;

TEST(FullWorkUnit, SearchesEveryPulsarOnceAndReportsProgressInOrder) {
    scoped_run_dir dir("full");
    ASSERT_FALSE(dir.root.empty());
    // Quit once pulsar 1224 has been reported; restart at once.
    runner_result r = run_client(dir, {"--ckpt-period", "1", "--at", "frac:0.96", "quit", "--at", "0", "restart",
                                       "--max-time", "570"});
    std::string log = read_file(dir.slot + "/stderr.txt");
    std::string out = read_file(dir.project + "/out.txt");
    ASSERT_EQ(r.exit_code, 0) << r.text() << log;
    EXPECT_EQ(count_lines(r, "] episode "), 2) << r.text();
    EXPECT_EQ(count_lines(r, "exit status 0, boinc_finish_called (absent)"), 1) << r.text();
    EXPECT_EQ(count_lines(r, "exit status 0, boinc_finish_called 0"), 1) << r.text();

    // The fractions the client saw: i / 1275, strictly increasing over both
    // episodes apart from the restart, which repeats from the checkpoint.
    std::vector<double> fractions = reported_fractions(r);
    ASSERT_GE(fractions.size(), 2u) << r.text();
    int previous = -1, last_below_one = -1;
    for (int episode = 1; episode <= 2; episode++) {
        previous = -1;
        for (double f : reported_fractions(r, episode)) {
            if (f == 1.0) continue;
            int i = fraction_index(f, denominator);
            ASSERT_GE(i, 0) << "fraction " << f;
            ASSERT_LE(i, pulsars - 1) << "fraction " << f;
            EXPECT_GT(i, previous) << "progress went back in episode " << episode;
            previous = last_below_one = i;
        }
    }
    // The framework reports 1.0 itself from boinc_finish; before it, the
    // worker's values end at 1273/1275 at most.
    EXPECT_EQ(fractions.back(), 1.0) << r.text();
    EXPECT_LE(last_below_one, pulsars - 1);
    printf("last fraction the client saw from the worker: %d/%d\n", last_below_one, denominator);

    // n_searched counts each pulsar once: the restart near the end shows a
    // count equal to the index, and the run went on from there to the end.
    EXPECT_EQ(count_occurrences(log, "worker: Starting from scratch...  \n"), 1) << log;
    std::vector<restart_line> restarts = restart_lines(log);
    ASSERT_EQ(restarts.size(), 1u) << log;
    EXPECT_EQ(restarts[0].searched, restarts[0].index);
    EXPECT_GE(restarts[0].index, 1100);
    EXPECT_LT(restarts[0].index, pulsars);
    int index = 0, count = 0;
    ASSERT_TRUE(parse_checkpoint_strict(read_file(dir.project + "/ckpt_state"), index, count));
    EXPECT_EQ(count, index);
    EXPECT_GE(index, restarts[0].index);

    EXPECT_EQ(count_occurrences(out, "Hello, BOINC World!\n===================\n\n"), 2) << out;
    EXPECT_EQ(count_occurrences(out, " CPU is "), 1) << out;
    EXPECT_EQ(count_occurrences(out, "APP: CPU time: "), 1) << out;
    EXPECT_EQ(count_occurrences(out, "\nBlow me down!\n"), 1) << out;
    EXPECT_EQ(count_occurrences(log, "worker: CPU time: "), 1) << log;
}

}  // namespace
