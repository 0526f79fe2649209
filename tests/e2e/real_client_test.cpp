// The program under the real BOINC client: `boinc --run_test_app` starts
// ./test_app in its current directory as a task (init_data.xml, shared
// memory) and suspends and resumes it every few tenths of a second until it
// exits. The run directory is the slot: out.txt and ckpt_state are resolved
// there, without link files.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "slot.h"

namespace {

using namespace e2e;

TEST(RealClient, FinishesAWorkUnitFromACheckpointNearTheEnd) {
    std::string boinc = find_in_path("boinc");
    if (boinc.empty()) GTEST_SKIP() << "the BOINC client (boinc) is not installed";

    scoped_run_dir dir("realclient");
    ASSERT_FALSE(dir.root.empty());
    const std::string run = dir.slot;
    std::string exe = read_file(TIDEWRACK_EXE);
    ASSERT_FALSE(exe.empty());
    ASSERT_TRUE(write_file(run + "/test_app", exe));
    ASSERT_EQ(chmod((run + "/test_app").c_str(), 0755), 0);
    ASSERT_TRUE(write_file(run + "/ckpt_state", " 1271 \n 1271 \n"));

    std::string client_output;
    int status = run_command(run,
                             {"timeout", "500", boinc, "--run_test_app", "--no_gpus", "--skip_cpu_benchmarks",
                              "--no_info_fetch"},
                             client_output);
    std::string log = read_file(run + "/stderr.txt");
    EXPECT_EQ(status, 0) << client_output << log;
    EXPECT_EQ(read_file(run + "/boinc_finish_called"), "0\n") << client_output << log;
    EXPECT_NE(log.find("called boinc_finish(0)"), std::string::npos) << log;

    std::vector<restart_line> restarts = restart_lines(log);
    ASSERT_EQ(restarts.size(), 1u) << log;
    EXPECT_EQ(restarts[0].index, 1271);
    EXPECT_EQ(restarts[0].searched, 1271);
    EXPECT_EQ(count_occurrences(log, "worker: CPU time: "), 1) << log;

    std::string out = read_file(run + "/out.txt");
    EXPECT_EQ(count_occurrences(out, "Hello, BOINC World!"), 1) << out;
    EXPECT_EQ(count_occurrences(out, "\nBlow me down!\n"), 1) << out;
}

}  // namespace
