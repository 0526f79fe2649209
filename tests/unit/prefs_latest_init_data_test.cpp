// Re-reading init_data.xml, which a 7.x client rewrites when the volunteer
// changes preferences, and the re-read callback built on it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "boinc_api.h"

#include "controls/project_prefs.h"
#include "graphics/frame.h"
#include "platform/host_callbacks.h"
#include "platform/latest_init_data.h"
#include "stderr_capture.h"

namespace {

// Each test runs in a fresh temporary working directory, as in a slot.
class LatestInitData : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(old_cwd_, sizeof old_cwd_), nullptr);
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/prefs_slot.XXXXXX";
        dir_ = pattern;
        ASSERT_NE(mkdtemp(&dir_[0]), nullptr);
        ASSERT_EQ(chdir(dir_.c_str()), 0);
    }
    void TearDown() override {
        unlink(INIT_DATA_FILE);
        ASSERT_EQ(chdir(old_cwd_), 0);
        rmdir(dir_.c_str());
    }

    static void write_init_data(const char* user, const char* prefs) {
        APP_INIT_DATA aid;
        strcpy(aid.user_name, user);
        aid.project_preferences = prefs ? strdup(prefs) : nullptr;
        aid.checkpoint_period = 1234;
        FILE* f = fopen(INIT_DATA_FILE, "w");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(write_init_data_file(f, aid), 0);
        fclose(f);
    }

    static void set_modified_time(time_t seconds, long nanoseconds) {
        struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
        ASSERT_EQ(utimensat(AT_FDCWD, INIT_DATA_FILE, times, 0), 0);
    }

    char old_cwd_[4096];
    std::string dir_;
};

// write_init_data_file() encloses these in <project_preferences>, and the
// parser keeps that element in the text, as under a client.
const char* prefs_hide = "<static_decorations>no</static_decorations>\n";
const char* prefs_show = "<static_decorations>yes</static_decorations>\n";
const char* prefs_deutsch = "<language>Deutsch</language>\n";

}  // namespace

TEST_F(LatestInitData, ReadsTheFileAndSeesItsRewrite) {
    write_init_data("first volunteer", prefs_hide);
    APP_INIT_DATA aid;
    get_latest_init_data(aid);
    EXPECT_STREQ(aid.user_name, "first volunteer");
    ASSERT_NE(aid.project_preferences, nullptr);
    EXPECT_NE(strstr(aid.project_preferences, "<static_decorations>no"), nullptr);
    EXPECT_EQ(aid.checkpoint_period, 1234);
    EXPECT_FALSE(init_data_file_changed());

    write_init_data("first volunteer", prefs_deutsch);
    EXPECT_TRUE(init_data_file_changed());
    get_latest_init_data(aid);
    EXPECT_FALSE(init_data_file_changed());
    ASSERT_NE(aid.project_preferences, nullptr);
    EXPECT_NE(strstr(aid.project_preferences, "<language>Deutsch"), nullptr);
    EXPECT_EQ(strstr(aid.project_preferences, "static_decorations"), nullptr);
}

// Same size, modification time a nanosecond later: still a change.
TEST_F(LatestInitData, NanosecondsOfTheModificationTimeCount) {
    write_init_data("volunteer", prefs_hide);
    set_modified_time(1700000000, 100);
    APP_INIT_DATA aid;
    get_latest_init_data(aid);
    EXPECT_FALSE(init_data_file_changed());
    write_init_data("volunteer", prefs_show);  // "no" and "yes" are not the same length
    EXPECT_TRUE(init_data_file_changed());
    get_latest_init_data(aid);
    write_init_data("volunteer", prefs_show);
    set_modified_time(1700000000, 100);
    get_latest_init_data(aid);
    EXPECT_FALSE(init_data_file_changed());
    set_modified_time(1700000000, 101);
    EXPECT_TRUE(init_data_file_changed());
}

// Standalone there is no file: the library's start-up copy (no preferences).
TEST_F(LatestInitData, WithoutTheFileUsesTheStartupCopy) {
    APP_INIT_DATA aid;
    aid.project_preferences = strdup("<language>English</language>");
    get_latest_init_data(aid);
    EXPECT_EQ(aid.project_preferences, nullptr);
    EXPECT_FALSE(init_data_file_changed());
    write_init_data("volunteer", prefs_hide);
    EXPECT_TRUE(init_data_file_changed());
}

// The library's own start-up copy is not touched by the graphics' reads.
TEST_F(LatestInitData, LeavesTheLibraryCopyAlone) {
    APP_INIT_DATA library_before;
    boinc_get_init_data(library_before);
    write_init_data("someone else", prefs_deutsch);
    APP_INIT_DATA aid;
    get_latest_init_data(aid);
    APP_INIT_DATA library_after;
    boinc_get_init_data(library_after);
    EXPECT_STREQ(library_after.user_name, library_before.user_name);
    EXPECT_EQ(library_after.project_preferences == nullptr, library_before.project_preferences == nullptr);
}

// A file that does not parse (a client in mid-write) falls back to the
// start-up copy and is not reported again until it changes.
TEST_F(LatestInitData, UnreadableFileFallsBack) {
    FILE* f = fopen(INIT_DATA_FILE, "w");
    ASSERT_NE(f, nullptr);
    fputs("<app_in", f);
    fclose(f);
    APP_INIT_DATA aid;
    aid.project_preferences = strdup("<language>English</language>");
    {
        stderr_capture log;
        get_latest_init_data(aid);
    }
    EXPECT_EQ(aid.project_preferences, nullptr);
    EXPECT_FALSE(init_data_file_changed());
    write_init_data("volunteer", prefs_deutsch);
    EXPECT_TRUE(init_data_file_changed());
    get_latest_init_data(aid);
    ASSERT_NE(aid.project_preferences, nullptr);
}

// Many reads into one record: its preference text is replaced, not leaked
// or freed twice (run under valgrind or ASan to see the difference).
TEST_F(LatestInitData, RepeatedReadsReplaceThePreferenceText) {
    write_init_data("volunteer", prefs_deutsch);
    APP_INIT_DATA aid;
    for (int i = 0; i < 50; ++i) get_latest_init_data(aid);
    APP_INIT_DATA copy;
    replace_init_data(copy, aid);
    replace_init_data(copy, copy);
    ASSERT_NE(copy.project_preferences, nullptr);
    EXPECT_NE(copy.project_preferences, aid.project_preferences);
    EXPECT_STREQ(copy.project_preferences, aid.project_preferences);
}

TEST_F(LatestInitData, RereadCallbackAppliesTheNewPreferences) {
    write_init_data("volunteer", prefs_show);
    static_decorations = true;
    show_decorations = true;
    {
        stderr_capture log;
        app_graphics_reread_prefs();
        EXPECT_EQ(log.text().rfind("GFX: app_graphics_reread_prefs() called.\n"
                                   "GFX: parse_projectd_prefs(..) parsing:\n", 0), 0u);
    }
    EXPECT_TRUE(show_decorations);

    write_init_data("volunteer", prefs_hide);
    ASSERT_TRUE(init_data_file_changed());
    std::string log_text;
    {
        stderr_capture log;
        app_graphics_reread_prefs();
        log_text = log.text();
    }
    ASSERT_NE(gfx_init_data.project_preferences, nullptr);
    EXPECT_NE(strstr(gfx_init_data.project_preferences, "<project_preferences>"), nullptr);
    EXPECT_EQ(log_text, std::string("GFX: app_graphics_reread_prefs() called.\n"
                                    "GFX: parse_projectd_prefs(..) parsing:\n") +
                            gfx_init_data.project_preferences + "\n");
    EXPECT_FALSE(static_decorations);
    EXPECT_FALSE(show_decorations);
    EXPECT_FALSE(init_data_file_changed());
    static_decorations = true;
    show_decorations = true;
}
