// The real executable run by hand in a slot directory of its own (no client,
// no display): the report, the log, and the ways a start can go wrong.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "text_files.h"

namespace fs = std::filesystem;

namespace {

// Only a safety net for a hung run; the worker runs at idle priority and may
// wait long for a core on a busy machine.
const auto hang_limit = std::chrono::minutes(8);

const char init_data_xml[] =
    "<app_init_data>\n"
    "<user_name>Ann Example</user_name>\n"
    "<team_name>Tide Team</team_name>\n"
    "<authenticator>abc123</authenticator>\n"
    "<boinc_dir>boinc_home</boinc_dir>\n"
    "<app_name>tidewrack</app_name>\n"
    "<wu_name>tw_wu_1</wu_name>\n"
    "<user_total_credit>1234.5</user_total_credit>\n"
    "<user_expavg_credit>12.25</user_expavg_credit>\n"
    "</app_init_data>\n";

const char expected_header[] =
    "Hello, BOINC World!\n===================\n\n"
    "User: Ann Example \t\tAuth: abc123 \n"
    "Team: Tide Team \n\n"
    "BOINC Dir: boinc_home \n\n"
    "Total Credit:\t 1234.500000\n"
    "Avg Credit:\t 12.250000\n\n"
    "APP Name: tidewrack \n"
    "WU Name:  tw_wu_1 \n"
    "\n================\n";

const char* const main_lines[] = {
    "main: Compiled with BOINC version 4.68.",
    "main: using the newer 4.52 API...",
    "main: CTRL key should not exit screensaver.",
};

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class StandaloneRun : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "core_slot_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        slot_ = pattern;
        std::ofstream(slot_ / "init_data.xml") << init_data_xml;
    }
    void TearDown() override { fs::remove_all(slot_); }

    void put(const char* name, const std::string& text) {
        std::ofstream(slot_ / name, std::ios::binary) << text;
    }
    std::string slot_file(const char* name) { return read_file((slot_ / name).string()); }

    // Starts the program in the slot with the given words on its command line.
    pid_t start(const std::vector<std::string>& words = {}) {
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(slot_.c_str()) != 0) _exit(120);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            std::vector<char*> argv{const_cast<char*>(TIDEWRACK_EXE)};
            for (const auto& w : words) argv.push_back(const_cast<char*>(w.c_str()));
            argv.push_back(nullptr);
            execv(TIDEWRACK_EXE, argv.data());
            _exit(121);
        }
        return pid;
    }

    // Waits for the end of the run; also stops waiting once `until` appears in
    // stderr.txt, and then ends the run. Returns the wait status, or -1 when
    // it was ended here.
    int finish(pid_t pid, const std::string& until = "") {
        auto give_up = std::chrono::steady_clock::now() + hang_limit;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            bool seen = !until.empty() && slot_file("stderr.txt").find(until) != std::string::npos;
            if (seen || std::chrono::steady_clock::now() > give_up) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                if (!seen) ADD_FAILURE() << "the run did not end";
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return status;
    }

    fs::path slot_;
};

}  // namespace

TEST_F(StandaloneRun, RestartNearTheEndWritesTheReportAndTheLogExactly) {
    put("ckpt_state", " 1270 \n 1270 \n");
    std::vector<std::string> many_words;   // no fixed argument vector to overflow
    for (int w = 0; w < 150; w++) many_words.push_back("word" + std::to_string(w));
    int status = finish(start(many_words));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    std::string out = slot_file("out.txt");
    ASSERT_EQ(out.compare(0, sizeof expected_header - 1, expected_header), 0) << out;
    std::string tail = out.substr(sizeof expected_header - 1);
    std::smatch summary;
    ASSERT_TRUE(std::regex_match(
        tail, summary,
        std::regex(" CPU is ([0-9]+\\.[0-9]{6}) seconds\n"
                   "APP: CPU time: ([0-9]+\\.[0-9]{6}) seconds, "
                   "Wall clock time: ([0-9]+\\.[0-9]{6}) seconds\n"
                   "\nBlow me down!\n")))
        << out;
    EXPECT_EQ(summary[1], summary[2]);

    std::vector<std::string> log = lines_of(slot_file("stderr.txt"));
    ASSERT_GE(log.size(), 3u);
    for (int k = 0; k < 3; k++) EXPECT_EQ(log[k], main_lines[k]);
    std::string expected_worker_lines[] = {
        "worker: trying boinc_get_init_data()...",
        "worker: restarting at Pulsar 1270 with 1270 searched.",
        "worker: CPU time: " + summary[2].str() + " seconds, Wall clock time: " +
            summary[3].str() + " seconds",
    };
    size_t at = 3;
    for (const auto& expected : expected_worker_lines) {
        while (at < log.size() && log[at] != expected) at++;
        EXPECT_LT(at, log.size()) << "missing or out of order: " << expected;
    }
    while (at < log.size() && log[at].find("called boinc_finish(0)") == std::string::npos) at++;
    EXPECT_LT(at, log.size()) << "no boinc_finish(0) after the summary";
    EXPECT_EQ(count_occurrences(slot_file("stderr.txt"), "worker: Starting from scratch"), 0);
}

TEST_F(StandaloneRun, EveryStartAppendsToTheReportAndTheLog) {
    put("ckpt_state", " 1274 \n 1274 \n");
    for (int run = 0; run < 2; run++) {
        int status = finish(start());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    std::string out = slot_file("out.txt");
    EXPECT_EQ(out.find(expected_header), 0u);
    EXPECT_EQ(count_occurrences(out, expected_header), 2);
    EXPECT_EQ(count_occurrences(out, "\nBlow me down!\n"), 2);
    std::string log = slot_file("stderr.txt");
    EXPECT_EQ(count_occurrences(log, std::string(main_lines[0]) + "\n"), 2);
    EXPECT_EQ(count_occurrences(log, "worker: restarting at Pulsar 1274 with 1274 searched.\n"), 2);
}

TEST_F(StandaloneRun, OutputThatCannotBeOpenedEndsWithAnErrorNotACrash) {
    fs::create_directory(slot_ / "out.txt");
    int status = finish(start());
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(WEXITSTATUS(status), 193) << "the crash handler ended it";
    std::string log = slot_file("stderr.txt");
    EXPECT_NE(log.find("worker: cannot open output file for appending.\n"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("worker: trying boinc_get_init_data()"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(slot_ / "out.txt"));
}

TEST_F(StandaloneRun, DamagedCheckpointRestartsFromScratch) {
    put("ckpt_state", "\x01\x02 not a checkpoint");
    const std::string scratch = "worker: Starting from scratch...  \n";
    finish(start(), scratch);   // from scratch is the whole search: stop it there
    std::string log = slot_file("stderr.txt");
    EXPECT_NE(log.find("worker: checkpoint file unreadable or damaged, ignoring it.\n" + scratch),
              std::string::npos)
        << log;
    EXPECT_EQ(slot_file("out.txt").find(expected_header), 0u);
}

TEST_F(StandaloneRun, CheckpointsTakenDuringTheRunKeepTheFormat) {
    put("init_data.xml", "<app_init_data>\n<checkpoint_period>1</checkpoint_period>\n</app_init_data>\n");
    // Over 70 pulsars, some seconds: checkpoints are written as the run goes.
    put("ckpt_state", " 1200 \n 1200 \n");
    int status = finish(start());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string checkpoint = slot_file("ckpt_state");
    std::smatch values;
    ASSERT_TRUE(std::regex_match(checkpoint, values, std::regex(" ([0-9]+) \n ([0-9]+) \n")))
        << checkpoint;
    EXPECT_EQ(values[1], values[2]);
    int index = std::stoi(values[1]);
    EXPECT_GT(index, 1200) << "a checkpoint was written during the run";
    EXPECT_LE(index, 1273);
    EXPECT_FALSE(fs::exists(slot_ / "ckpt_state.tmp"));
    EXPECT_EQ(slot_file("stderr.txt").find("APP: Cannot open checkpoint file"), std::string::npos);
}
