// kill -9 at random moments, then a restart, over and over: the checkpoint
// must always be whole, every start must resume exactly where the last
// checkpoint says, and the work unit must still end with one summary.
// The moments come from a seeded generator, so every run kills at the same
// times after the start; what the program has reached by then varies.
#include <gtest/gtest.h>

#include <random>

#include "slot.h"

namespace {

using namespace e2e;

const int pulsars = 1274;
const int first_index = 100;   // leaves ~50 s of work: every kill lands before the summary
const int kills_wanted = 20;

std::string seconds_text(double t) {
    char buf[32];
    snprintf(buf, sizeof buf, "%.3f", t);
    return buf;
}

TEST(CrashSafety, KilledRunsResumeFromAWholeCheckpointAndFinishOnce) {
    scoped_run_dir dir("crash");
    ASSERT_FALSE(dir.root.empty());
    const std::string ckpt = dir.project + "/ckpt_state";
    const std::string out_path = dir.project + "/out.txt";
    const std::string log_path = dir.slot + "/stderr.txt";
    ASSERT_TRUE(write_file(ckpt, checkpoint_text(first_index, first_index)));

    std::mt19937 generator(20261208);
    // The first checkpoint comes about a second after the start (period 1 s),
    // so some kills land before any checkpoint, some while one is written.
    std::uniform_real_distribution<double> kill_time(0.2, 2.2);
    int saved = first_index, headers = 0, kills = 0;
    for (int run = 1; kills < kills_wanted; run++) {
        SCOPED_TRACE("run " + std::to_string(run));
        size_t log_before = read_file(log_path).size();
        runner_result r = run_client(dir, {"--ckpt-period", "1", "--at", seconds_text(kill_time(generator)), "kill",
                                           "--max-time", "60"});
        ASSERT_EQ(count_lines(r, "killed by signal 9"), 1) << "the run was not killed:\n" << r.text();
        kills++;

        // The checkpoint is always whole and never goes back.
        int index = 0, count = 0;
        std::string text = read_file(ckpt);
        ASSERT_TRUE(parse_checkpoint_strict(text, index, count)) << "ckpt_state after kill " << kills << ": [" << text
                                                                 << "]";
        EXPECT_EQ(count, index);
        EXPECT_GE(index, saved);
        EXPECT_LT(index, pulsars);

        // A start that got as far as reading the checkpoint resumed exactly
        // at the one that was there when it started.
        std::string new_log = read_file(log_path).substr(log_before);
        std::vector<restart_line> restarts = restart_lines(new_log);
        ASSERT_LE(restarts.size(), 1u) << new_log;
        if (!restarts.empty()) {
            EXPECT_EQ(restarts[0].index, saved) << new_log;
            EXPECT_EQ(restarts[0].searched, saved) << new_log;
        }
        EXPECT_EQ(count_occurrences(new_log, "worker: Starting from scratch"), 0) << new_log;
        EXPECT_EQ(count_occurrences(new_log, "unreadable or damaged"), 0) << new_log;

        // At most one header per start, and one for every start that resumed.
        std::string out = read_file(out_path);
        int headers_now = count_occurrences(out, "Hello, BOINC World!");
        EXPECT_LE(headers_now - headers, 1);
        EXPECT_GE(headers_now - headers, (int)restarts.size());
        EXPECT_EQ(count_occurrences(out, "Blow me down!"), 0) << "killed after the summary";
        headers = headers_now;
        saved = index;
    }

    // A last run, not killed, finishes the work unit from the last checkpoint.
    size_t log_before = read_file(log_path).size();
    runner_result last = run_client(dir, {"--ckpt-period", "1", "--max-time", "400"});
    ASSERT_EQ(last.exit_code, 0) << last.text();
    EXPECT_EQ(count_lines(last, "exit status 0, boinc_finish_called 0"), 1) << last.text();
    std::vector<restart_line> restarts = restart_lines(read_file(log_path).substr(log_before));
    ASSERT_EQ(restarts.size(), 1u);
    EXPECT_EQ(restarts[0].index, saved);
    EXPECT_EQ(restarts[0].searched, saved);

    std::string out = read_file(out_path);
    EXPECT_EQ(count_occurrences(out, "Hello, BOINC World!"), headers + 1);
    EXPECT_EQ(count_occurrences(out, "\nBlow me down!\n"), 1) << out;
    EXPECT_EQ(count_occurrences(out, "APP: CPU time: "), 1) << out;
    printf("%d kills; checkpoints reached %d of %d before the last run\n", kills, saved, pulsars);
}

}  // namespace
