// The computation program and its display module: the program starts without
// any display library, finds the module by its logical name under a client,
// and without the module computes on as if no display were there.
#include <gtest/gtest.h>

#include <unistd.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "slot.h"
#include "test_client.h"

namespace {

const double start_timeout = 120;    // seconds; the worker runs at idle priority
const double finish_timeout = 600;
const int last_few_pulsars = 1268;

const std::string module_path = std::string(TIDEWRACK_BINARY_DIR) + "/tidewrack_display.so";

// The values of one kind of entry ("NEEDED", "RPATH", ...) in a file's dynamic section.
std::vector<std::string> dynamic_entries(const std::string& file, const std::string& tag) {
    std::string output;
    EXPECT_EQ(e2e::run_command("", {"readelf", "-d", file}, output), 0) << output;
    std::vector<std::string> values;
    std::regex entry("\\(" + tag + "\\)[^\\[]*\\[([^\\]]*)\\]");
    std::istringstream lines(output);
    std::smatch match;
    for (std::string line; std::getline(lines, line);)
        if (std::regex_search(line, match, entry)) values.push_back(match[1]);
    return values;
}

TEST(DisplayModule, TheComputationProgramNeedsNoDisplayLibrary) {
    std::vector<std::string> needed = dynamic_entries(TIDEWRACK_EXE, "NEEDED");
    ASSERT_FALSE(needed.empty());
    std::regex display_library("libX|libxcb|libGL|libOpenGL|libEGL|libglut|libjpeg|libboinc_graphics");
    for (const std::string& library : needed)
        EXPECT_FALSE(std::regex_search(library, display_library)) << library;
}

// An app version ships the display's libraries beside the module, and the
// client copies them into the slot, the working directory; only the old
// RPATH (not RUNPATH) also serves the NEEDED entries of those libraries.
TEST(DisplayModule, TheModuleLooksForItsLibrariesBesideItselfAndInTheSlot) {
    EXPECT_EQ(dynamic_entries(module_path, "RPATH"), std::vector<std::string>{"$ORIGIN:."});
    EXPECT_TRUE(dynamic_entries(module_path, "RUNPATH").empty());
}

TEST(DisplayModule, WithoutTheModuleAStandaloneRunComputesToTheEndAndSaysWhyOnce) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "this test needs an X server in DISPLAY";
    TestClient search;
    ASSERT_TRUE(search.copy_program_into_slot());
    search.write_checkpoint(last_few_pulsars, last_few_pulsars);
    search.start();
    EXPECT_EQ(search.wait_for_exit(finish_timeout), 0);
    std::string log = search.log();
    EXPECT_EQ(count_occurrences(log, "GFX: cannot load the display: "), 1) << log;
    EXPECT_EQ(count_occurrences(log, "tidewrack_display.so"), 1) << log;
    EXPECT_NE(log.find("worker: CPU time"), std::string::npos) << log;
    EXPECT_EQ(log.find("app_graphics_init"), std::string::npos) << log;
}

// The slot's link file is the only way to the module: beside the program's
// copy there is none (the link file itself is no library).
TEST(DisplayModule, UnderAClientTheModuleIsFoundByItsLogicalName) {
    TestClient client;
    ASSERT_TRUE(client.copy_program_into_slot());
    ASSERT_TRUE(write_file(client.slot_file("tidewrack_display.so"),
                                "<soft_link>" + module_path + "</soft_link>\n"));
    client.write_checkpoint(0, 0);
    client.attach_as_client("tidewrack_module_" + std::to_string(getpid()));
    client.start();
    EXPECT_EQ(client.wait_for_graphics_reply(start_timeout), "<mode_hide_graphics/>") << client.log();
    EXPECT_EQ(client.log().find("GFX: cannot load the display"), std::string::npos) << client.log();
}

}  // namespace
