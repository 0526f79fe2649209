// The slot and the project directory as the client lays them out: the task's
// input files, init_data.xml, the link files, the app version's files, and
// the task's state between runs of the program.
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "filesys.h"
#include "parse.h"
#include "runner.h"
#include "str_replace.h"

#ifndef TIDEWRACK_DATA_DIR
#define TIDEWRACK_DATA_DIR "data"
#endif

namespace runner {

using namespace client_emulation;

namespace {

APP_INIT_DATA init_data;

const char* const image_names[] = {"earthlights2.jpg", "leftimage2.jpg"};
const char* const linked_names[] = {"out.txt", "ckpt_state", "earthlights2.jpg", "leftimage2.jpg"};

// With --app-version or --app-info the runner takes the program and its files
// from an app version, as the client does: each file is copied into the
// project directory under its physical name, linked into the slot under its
// logical (open) name, or its physical name when it has none, and the main
// program is started from the project directory with that directory first on
// LD_LIBRARY_PATH, where the shipped libraries are.
app_version version;

// The runner keeps what a client keeps in its state file: the CPU time at the
// last checkpoint, handed to the next run of the program as wu_cpu_time.
std::string state_path() { return project_dir + "/client_state.xml"; }

// The client downloads the input files into the project directory once.
void install_images() {
    std::vector<std::string> sources;
    if (!images_dir.empty()) sources.push_back(images_dir);
    sources.push_back(dir_of(app_path));
    sources.push_back(own_dir());
    sources.push_back(TIDEWRACK_DATA_DIR);
    for (const char* name : image_names) {
        std::string target = project_dir + "/" + name;
        if (file_exists(target)) continue;
        bool found = false;
        for (const std::string& dir : sources) {
            std::string source = dir + "/" + name;
            if (file_exists(source) && copy_file(source, target)) {
                found = true;
                break;
            }
        }
        if (!found) say("warning: %s not found; the program will run without it\n", name);
    }
}

void fill_init_data() {
    default_init_data(init_data);
    strlcpy(init_data.wu_name, "tidewrack_wu_1274", sizeof init_data.wu_name);
    strlcpy(init_data.result_name, "tidewrack_wu_1274_0", sizeof init_data.result_name);
    strlcpy(init_data.user_name, user_name.c_str(), sizeof init_data.user_name);
    strlcpy(init_data.team_name, team_name.c_str(), sizeof init_data.team_name);
    strlcpy(init_data.authenticator, "0f1e2d3c4b5a69788796a5b4c3d2e1f0", sizeof init_data.authenticator);
    strlcpy(init_data.project_dir, project_dir.c_str(), sizeof init_data.project_dir);
    strlcpy(init_data.boinc_dir, dir_of(slot_dir).c_str(), sizeof init_data.boinc_dir);
    init_data.userid = 1;
    init_data.teamid = 1;
    init_data.hostid = 1;
    init_data.user_total_credit = total_credit;
    init_data.user_expavg_credit = avg_credit;
    init_data.checkpoint_period = checkpoint_period;
    init_data.slot = slot_number;
}

bool write_links() {
    for (const char* name : linked_names) {
        if (using_app_version() && strstr(name, ".jpg")) continue;   // the app version's own
        if (!write_soft_link(slot_dir, name, project_dir + "/" + name)) return false;
    }
    return !using_app_version() || link_app_version(version, slot_dir, project_dir);
}

}  // namespace

std::string own_dir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    buf[n] = 0;
    return dir_of(buf);
}

void load_task_state() {
    std::string text;
    if (read_text(state_path(), text)) parse_double(text.c_str(), "<checkpoint_cpu_time>", checkpoint_cpu);
}

void save_task_state() {
    char buf[256];
    snprintf(buf, sizeof buf, "<task>\n<checkpoint_cpu_time>%.6f</checkpoint_cpu_time>\n</task>\n", checkpoint_cpu);
    write_file_atomically(state_path(), buf);
}

bool using_app_version() { return !version.source_dir.empty(); }

bool load_app_version() {
    bool info = !app_info_xml.empty();
    std::string path = info ? app_info_xml : app_version_xml, error;
    if (!client_emulation::load_app_version(path, info, version, error)) {
        fprintf(stderr, "tidewrack_client: %s\n", error.c_str());
        return false;
    }
    app_path = project_dir + "/" + version.main_program;
    if (!version.graphics_program.empty()) graphics_path = project_dir + "/" + version.graphics_program;
    return true;
}

std::string slot_file(const char* name) { return slot_dir + "/" + name; }

bool write_init_data() {
    init_data.wu_cpu_time = checkpoint_cpu;
    return client_emulation::write_init_data(slot_dir, init_data, project_prefs);
}

bool prepare_slot() {
    if (boinc_mkdir(slot_dir.c_str()) && !dir_exists(slot_dir)) return false;
    if (boinc_mkdir(project_dir.c_str()) && !dir_exists(project_dir)) return false;
    if (using_app_version()) {
        std::string failed;
        if (!install_app_version(version, project_dir, failed)) {
            say("cannot install %s from the app version\n", failed.c_str());
            return false;
        }
    } else {
        install_images();
    }
    fill_init_data();
    if (!write_links() || !write_init_data()) return false;
    if (!restart_channel()) return false;
    unlink(slot_file(BOINC_FINISH_CALLED_FILE).c_str());
    unlink(slot_file(TEMPORARY_EXIT_FILE).c_str());
    return true;
}

}  // namespace runner
