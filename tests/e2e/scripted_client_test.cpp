// The program under a scripted client (tidewrack_client): progress reports,
// checkpoints, quit and resume, suspend and resume, abort, and a quit while
// every checkpoint fails. Runs start from a checkpoint near the end to stay
// short; no assertion depends on speed.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "slot.h"

namespace {

using namespace e2e;

const int pulsars = 1274;
// Starting points leave the worker tens of seconds of work on a fast machine
// (about 0.05 s of CPU per pulsar), so scripted events land before the end.
const int quit_test_start = 700;
const int abort_test_start = 1000;
const int denominator = pulsars + 1;   // the worker reports i / (N + 1)
const char* const max_time = "280";    // seconds; the worker runs at idle priority

class ScriptedClient : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.root.empty()); }

    std::string project_file(const char* name) const { return dir.project + "/" + name; }
    std::string log() const { return read_file(dir.slot + "/stderr.txt"); }

    scoped_run_dir dir{"scripted"};
};

// Every value is i / 1275 for a pulsar index i in [first, N - 1], strictly
// increasing; the framework's own 1.0 may only come last.
void expect_pulsar_progress(const std::vector<double>& fractions, int first) {
    int previous = -1;
    for (size_t k = 0; k < fractions.size(); k++) {
        if (fractions[k] == 1.0) {
            EXPECT_EQ(k + 1, fractions.size()) << "1.0 reported before the end";
            continue;
        }
        int i = fraction_index(fractions[k], denominator);
        ASSERT_GE(i, first) << "fraction " << fractions[k];
        ASSERT_LE(i, pulsars - 1) << "fraction " << fractions[k];
        EXPECT_GT(i, previous) << "progress went back";
        previous = i;
    }
}

// The time stamps of the runner's lines that contain `needle`.
std::vector<double> times_of(const runner_result& r, const std::string& needle) {
    std::vector<double> t;
    for (const std::string& l : r.lines)
        if (l.find(needle) != std::string::npos) t.push_back(line_time(l));
    return t;
}

TEST_F(ScriptedClient, QuitKeepsTheCheckpointAndALaterRunResumesItThroughSuspendAndResume) {
    ASSERT_TRUE(write_file(project_file("ckpt_state"), checkpoint_text(quit_test_start, quit_test_start)));

    // First run: quit once a checkpoint has been reported.
    runner_result first = run_client(dir, {"--ckpt-period", "1", "--at", "ckpt:1", "quit", "--max-time", max_time});
    ASSERT_EQ(first.exit_code, 0) << first.text();
    EXPECT_EQ(count_lines(first, "exit status 0, boinc_finish_called (absent)"), 1) << first.text();
    EXPECT_EQ(count_lines(first, "SIGKILL"), 0) << "quit not honoured:\n" << first.text();
    expect_pulsar_progress(reported_fractions(first), quit_test_start);

    int saved = 0, saved_count = 0;
    std::string checkpoint = read_file(project_file("ckpt_state"));
    ASSERT_TRUE(parse_checkpoint_strict(checkpoint, saved, saved_count)) << "[" << checkpoint << "]";
    EXPECT_EQ(saved, saved_count);
    EXPECT_GE(saved, quit_test_start);
    EXPECT_LT(saved, pulsars);
    EXPECT_EQ(count_occurrences(read_file(project_file("out.txt")), "Blow me down!"), 0);

    // Second run on the same slot: resumes at the saved pulsar; suspended
    // after its first checkpoint for a few seconds, then runs to the end.
    runner_result second = run_client(dir, {"--ckpt-period", "1", "--at", "ckpt:1", "suspend", "--at", "ckpt:1+4",
                                            "resume", "--max-time", max_time});
    ASSERT_EQ(second.exit_code, 0) << second.text();
    EXPECT_EQ(count_lines(second, "exit status 0, boinc_finish_called 0"), 1) << second.text();

    std::vector<restart_line> restarts = restart_lines(log());
    ASSERT_EQ(restarts.size(), 2u) << log();
    EXPECT_EQ(restarts[0].index, quit_test_start);
    EXPECT_EQ(restarts[0].searched, quit_test_start);
    EXPECT_EQ(restarts[1].index, saved);
    EXPECT_EQ(restarts[1].searched, saved_count);
    EXPECT_EQ(count_occurrences(log(), "worker: Starting from scratch"), 0);

    std::vector<double> fractions = reported_fractions(second);
    expect_pulsar_progress(fractions, saved);

    // While suspended the reported fraction stands still (a report already
    // on its way may still arrive just after the suspend).
    std::vector<double> suspended = times_of(second, "sent <suspend/>");
    std::vector<double> resumed = times_of(second, "sent <resume/>");
    ASSERT_EQ(suspended.size(), 1u) << second.text();
    ASSERT_EQ(resumed.size(), 1u) << second.text();
    int changes_while_suspended = 0, changes_after_resume = 0;
    for (double t : times_of(second, "progress: fraction_done")) {
        if (t > suspended[0] + 1.5 && t <= resumed[0]) changes_while_suspended++;
        if (t > resumed[0]) changes_after_resume++;
    }
    EXPECT_EQ(changes_while_suspended, 0) << second.text();
    EXPECT_GT(changes_after_resume, 0) << second.text();

    std::string out = read_file(project_file("out.txt"));
    EXPECT_EQ(count_occurrences(out, "Hello, BOINC World!"), 2);
    EXPECT_EQ(count_occurrences(out, "Blow me down!"), 1);
    EXPECT_NE(out.find("User: Test Volunteer \t\tAuth: "), std::string::npos) << out;
    EXPECT_NE(out.find("Team: Tidewrack Testers \n\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Total Credit:\t 12345.670000\n"), std::string::npos) << out;
}

TEST_F(ScriptedClient, AbortEndsTheProcessWithTheFrameworksStatus) {
    ASSERT_TRUE(write_file(project_file("ckpt_state"), checkpoint_text(abort_test_start, abort_test_start)));
    runner_result r = run_client(dir, {"--ckpt-period", "1", "--at", "frac:0", "abort", "--max-time", max_time});
    EXPECT_EQ(r.exit_code, 194) << r.text();
    EXPECT_EQ(count_lines(r, "exit status 194"), 1) << r.text();
    EXPECT_EQ(count_lines(r, "task aborted"), 1) << r.text();
    EXPECT_EQ(count_occurrences(read_file(project_file("out.txt")), "Blow me down!"), 0);
}

// ckpt_state's target is a directory, so every checkpoint fails and is
// retried before each pulsar; the client's quit must still get through.
TEST_F(ScriptedClient, QuitIsHonouredWhileEveryCheckpointFails) {
    ASSERT_EQ(mkdir(project_file("ckpt_state").c_str(), 0755), 0);
    // Quit two seconds after pulsar 5 has been reported: by then the checkpoint
    // period (1 s) has passed and writes have been failing.
    runner_result r = run_client(dir, {"--ckpt-period", "1", "--at", "frac:0.004+2", "quit", "--max-time", max_time});
    EXPECT_EQ(r.exit_code, 0) << r.text();
    EXPECT_EQ(count_lines(r, "sent <quit/>"), 1) << r.text();
    EXPECT_EQ(count_lines(r, "exit status 0, boinc_finish_called (absent)"), 1) << r.text();
    EXPECT_EQ(count_lines(r, "SIGKILL"), 0) << "quit ignored while checkpoints fail:\n" << r.text();
    EXPECT_EQ(count_lines(r, "checkpoint: "), 0) << r.text();

    std::string l = log();
    EXPECT_EQ(count_occurrences(l, "worker: Starting from scratch...  \n"), 1) << l;
    EXPECT_GE(count_occurrences(l, "APP: Cannot open checkpoint file to write! \n"), 2) << l;
    struct stat st;
    ASSERT_EQ(stat(project_file("ckpt_state").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

}  // namespace
