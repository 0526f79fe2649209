// ckpt_state: the round trip, damaged files and files that cannot be written.
// Each test runs in a fresh working directory, where the logical name
// resolves.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/checkpoint.h"
#include "core/search_state.h"
#include "stderr_capture.h"
#include "text_files.h"

namespace fs = std::filesystem;

namespace {

const char damaged_line[] = "worker: checkpoint file unreadable or damaged, ignoring it.\n";
const char cannot_write_line[] = "APP: Cannot open checkpoint file to write! \n";

class Checkpoint : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "core_ckpt_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        old_cwd_ = fs::current_path();
        fs::current_path(dir_);
        n_searched = 0;
    }
    void TearDown() override {
        fs::current_path(old_cwd_);
        fs::remove_all(dir_);
    }
    fs::path dir_, old_cwd_;
};

}  // namespace

TEST_F(Checkpoint, WrittenFileHoldsTwoBlankedLinesAndReadsBack) {
    n_searched = 17;
    EXPECT_EQ(write_checkpoint(17), 0);
    EXPECT_EQ(read_file("ckpt_state"), " 17 \n 17 \n");
    EXPECT_FALSE(fs::exists("ckpt_state.tmp"));
    n_searched = 0;
    EXPECT_EQ(read_checkpoint(), 17);
    EXPECT_EQ(n_searched.load(), 17);
}

TEST_F(Checkpoint, EachWriteReplacesTheWholeFile) {
    write_file("ckpt_state", " 123456 \n 123456 \n trailing junk\n");
    n_searched = 7;
    EXPECT_EQ(write_checkpoint(8), 0);
    EXPECT_EQ(read_file("ckpt_state"), " 8 \n 7 \n");
}

TEST_F(Checkpoint, NoFileMeansStartFromScratchQuietly) {
    n_searched = 42;
    StderrCapture log;
    EXPECT_EQ(read_checkpoint(), 0);
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(n_searched.load(), 42);
}

TEST_F(Checkpoint, AcceptsTheLayoutsAReaderOfTwoIntegersWould) {
    struct { const char* text; int index; int count; } cases[] = {
        {" 0 \n 0 \n", 0, 0},                     // taken before the first pulsar
        {" 0 \n 9 \n", 0, 9},                     // index 0 still restores the count
        {"\n\n  17  \r\n\r\n   17 \r\n", 17, 17},  // blank lines, spaces, CRLF
        {"17 17", 17, 17},
        {" 1274 \n 1274 \n", 1274, 1274},         // at the end: summary at once
        {" 5000 \n 5000 \n", 5000, 5000},
        {" 2147483647 \n 2147483647 \n", INT_MAX, INT_MAX},
        {" 3 \n -4 \n", 3, -4},                   // the count is used as read
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        write_file("ckpt_state", c.text);
        n_searched = -99;
        StderrCapture log;
        EXPECT_EQ(read_checkpoint(), c.index);
        EXPECT_EQ(n_searched.load(), c.count);
        EXPECT_EQ(log.text(), "");
    }
}

TEST_F(Checkpoint, FileWithOnlyTheIndexKeepsTheCount) {
    for (const char* text : {" 12 \n", " 12 \n garbage\n"}) {
        SCOPED_TRACE(text);
        write_file("ckpt_state", text);
        n_searched = 0;
        EXPECT_EQ(read_checkpoint(), 12);
        EXPECT_EQ(n_searched.load(), 0);
    }
}

TEST_F(Checkpoint, DamagedFileIsLoggedAndIgnored) {
    const char* damaged[] = {
        "",                                   // emptied, then the process died
        "   \n \r\n",
        "garbage\n 5 \n",
        "x17 17",
        " 99999999999999999999 \n 1 \n",      // beyond any integer type
        " 2147483648 \n 2147483648 \n",       // one past INT_MAX
        " -1 \n -1 \n",                       // before the catalogue
        " -2147483648 \n 0 \n",
        " 5 \n 4294967296 \n",                // count too large for an int
    };
    for (const char* text : damaged) {
        SCOPED_TRACE(text);
        write_file("ckpt_state", text);
        n_searched = 3;
        StderrCapture log;
        EXPECT_EQ(read_checkpoint(), 0);
        EXPECT_EQ(log.text(), damaged_line);
        EXPECT_EQ(n_searched.load(), 3);
    }
}

TEST_F(Checkpoint, DirectoryInPlaceOfTheFileIsNoCheckpoint) {
    fs::create_directory("ckpt_state");
    StderrCapture log;
    EXPECT_EQ(read_checkpoint(), 0);
    EXPECT_EQ(log.text(), damaged_line);
}

TEST_F(Checkpoint, UnwritableFileIsLoggedOnceAndRetriedUntilItWorks) {
    fs::create_directory("ckpt_state");   // rename over a directory fails
    n_searched = 5;
    {
        StderrCapture log;
        EXPECT_EQ(write_checkpoint(5), 1);
        EXPECT_EQ(log.text(), cannot_write_line);
    }
    {
        StderrCapture log;
        EXPECT_EQ(write_checkpoint(6), 1);
        EXPECT_EQ(log.text(), cannot_write_line);
    }
    EXPECT_TRUE(fs::is_directory("ckpt_state"));
    EXPECT_FALSE(fs::exists("ckpt_state.tmp"));

    fs::remove("ckpt_state");
    StderrCapture log;
    EXPECT_EQ(write_checkpoint(7), 0);
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(read_file("ckpt_state"), " 7 \n 5 \n");
}

TEST_F(Checkpoint, FailedWriteLeavesThePreviousCheckpointWhole) {
    write_file("ckpt_state", " 10 \n 10 \n");
    fs::create_directory("ckpt_state.tmp");   // the temporary file cannot be opened
    n_searched = 11;
    StderrCapture log;
    EXPECT_EQ(write_checkpoint(11), 1);
    EXPECT_EQ(log.text(), cannot_write_line);
    EXPECT_EQ(read_file("ckpt_state"), " 10 \n 10 \n");
}

TEST_F(Checkpoint, FollowsTheClientsSoftLinkBothWays) {
    fs::create_directory("project");
    write_file("ckpt_state", "<soft_link>project/wu_17_ckpt</soft_link>\n");
    n_searched = 21;
    EXPECT_EQ(write_checkpoint(21), 0);
    EXPECT_EQ(read_file("project/wu_17_ckpt"), " 21 \n 21 \n");
    EXPECT_FALSE(fs::exists("project/wu_17_ckpt.tmp"));
    n_searched = 0;
    EXPECT_EQ(read_checkpoint(), 21);
    EXPECT_EQ(n_searched.load(), 21);
}

TEST_F(Checkpoint, SymbolicLinkStaysALinkToTheRewrittenFile) {
    fs::create_directory("project");
    write_file("project/real_ckpt", " 1 \n 1 \n");
    fs::create_symlink("project/real_ckpt", "ckpt_state");
    n_searched = 2;
    EXPECT_EQ(write_checkpoint(2), 0);
    EXPECT_TRUE(fs::is_symlink("ckpt_state"));
    EXPECT_EQ(read_file("project/real_ckpt"), " 2 \n 2 \n");
}
