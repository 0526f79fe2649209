#include "real_client.h"

#include <unistd.h>

#include <sstream>

#include "test_client.h"

namespace e2e {

namespace {

// The build's programs and pictures as an app version the project sent.
bool make_app_version(const std::string& version_dir) {
    const char* const files[][3] = {
        {TIDEWRACK_EXE, "tidewrack_4.87_x86_64-pc-linux-gnu", ""},
        {TIDEWRACK_GRAPHICS_EXE, "tidewrack_graphics_4.87_x86_64-pc-linux-gnu", "graphics_app"},
        {TIDEWRACK_SOURCE_DIR "/data/earthlights2.jpg", "earthlights2_4.87.jpg", "earthlights2.jpg"},
        {TIDEWRACK_SOURCE_DIR "/data/leftimage2.jpg", "leftimage2_4.87.jpg", "leftimage2.jpg"}};
    std::string output, xml = "<version>\n";
    if (run_command("", {"mkdir", "-p", version_dir}, output) != 0) return false;
    for (const auto& f : files) {
        if (run_command("", {"cp", f[0], version_dir + "/" + f[1]}, output) != 0) return false;
        xml += std::string("<file><physical_name>") + f[1] + "</physical_name>" +
               (*f[2] ? std::string("<logical_name>") + f[2] + "</logical_name>" : "<main_program/>") +
               "</file>\n";
    }
    return write_file(version_dir + "/version.xml", xml + "<api_version>7.20.5</api_version>\n</version>\n");
}

}  // namespace

bool real_client::start(bool open_gui_rpc) {
    std::string version_dir = dir.root + "/apps/tidewrack/4.87/x86_64-pc-linux-gnu", output;
    if (!make_app_version(version_dir) ||
        run_command("", {"python3", TIDEWRACK_SOURCE_DIR "/tests/support/boinc_client.py", "layout", data,
                         "--app-version", version_dir},
                    output) != 0)
        return false;
    if (open_gui_rpc && !write_file(data + "/gui_rpc_auth.cfg", "")) return false;
    // No DISPLAY for the client: the computation's own display stays out of the way.
    client.reset(new background_process({find_in_path("boinc"), "--dir", data, "--no_gpus", "--skip_cpu_benchmarks",
                                         "--no_info_fetch", "--gui_rpc_port", std::to_string(port)},
                                        dir.root + "/client.txt", "", false));
    return true;
}

bool real_client::running_task(double timeout_seconds, std::string* slot, std::string* graphics) {
    double end = test_clock() + timeout_seconds;
    while (test_clock() < end && client->running()) {
        std::string output;
        run_command("",
                    {"python3", TIDEWRACK_SOURCE_DIR "/tests/support/boinc_client.py", "results",
                     std::to_string(port)},
                    output);
        // name, state, exit status, pid, slot, graphics program
        std::istringstream lines(output);
        std::string skipped;
        while (std::getline(lines, skipped, '\t') && std::getline(lines, skipped, '\t') &&
               std::getline(lines, skipped, '\t') && std::getline(lines, skipped, '\t') &&
               std::getline(lines, *slot, '\t') && std::getline(lines, *graphics)) {
            if (!slot->empty() && !graphics->empty() && path_exists(*slot + "/stderr.txt")) return true;
        }
        usleep(500 * 1000);
    }
    return false;
}

std::string real_client::log() const { return read_file(dir.root + "/client.txt"); }

}  // namespace e2e
