// tidewrack_client's options and start (what the runner does: runner.h).
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "filesys.h"
#include "runner.h"
#include "util.h"

namespace runner {

using namespace client_emulation;

std::string run_dir = "run", slot_dir, project_dir, app_path, images_dir, graphics_path;
std::string app_version_xml, app_info_xml;
int slot_number = 0;
bool fresh = false, no_display = false, plain_output = false;
std::string user_name = "Test Volunteer", team_name = "Tidewrack Testers";
double total_credit = 12345.67, avg_credit = 89.01, checkpoint_period = 60;
std::string project_prefs;
double max_time = 0;
std::vector<script_step> script;

namespace {

const char* const usage_text =
    "Usage: tidewrack_client [options]\n"
    "\n"
    "Runs one work unit of the program the way the BOINC client does: it prepares\n"
    "RUN/project (the task's files: out.txt, ckpt_state, the images) and RUN/slot\n"
    "(init_data.xml, link files, shared memory), starts the program in the slot,\n"
    "sends heartbeats and shows the progress the program reports. Ctrl+C asks the\n"
    "program to quit, as the client does; running the runner again on the same\n"
    "directory resumes the task from its checkpoint.\n"
    "\n"
    "Task and slot:\n"
    "  --dir RUN             run directory (default ./run): RUN/slot and RUN/project\n"
    "  --slot DIR            slot directory (default RUN/slot)\n"
    "  --project DIR         directory of the task's files (default RUN/project)\n"
    "  --fresh               wipe the slot and the project directory first\n"
    "  --app PATH            program to run (default: tidewrack beside this runner)\n"
    "  --images DIR          where earthlights2.jpg and leftimage2.jpg are (default:\n"
    "                        beside the program, beside the runner, then data/)\n"
    "  --app-version DIR     run an app version as the project sends it: the files\n"
    "                        DIR/version.xml names (tools/kit/package.sh writes one in\n"
    "                        OUT/apps/tidewrack/VERSION/PLATFORM), copied into the\n"
    "                        project directory and linked into the slot under\n"
    "                        their logical names, as the client does; the\n"
    "                        graphics program is its file graphics_app\n"
    "  --app-info DIR        the same from DIR/app_info.xml (the anonymous platform;\n"
    "                        tools/kit/package.sh writes one in OUT/anonymous/PLATFORM)\n"
    "  --no-display          start the program without DISPLAY in its environment\n"
    "  --slot-number N       the slot's number in init_data.xml (default 0)\n"
    "  --graphics-app PATH   graphics program (default: tidewrack_graphics beside\n"
    "                        this runner)\n"
    "\n"
    "Start-up data (init_data.xml):\n"
    "  --user NAME           volunteer's name (default \"Test Volunteer\")\n"
    "  --team NAME           team name (default \"Tidewrack Testers\")\n"
    "  --total-credit X      user's total credit (default 12345.67)\n"
    "  --avg-credit X        user's recent average credit (default 89.01)\n"
    "  --ckpt-period S       checkpoint period in seconds (default 60)\n"
    "  --prefs XML           project preferences, e.g.\n"
    "                        '<static_decorations>1</static_decorations>'\n"
    "  --prefs-file FILE     project preferences read from FILE\n"
    "\n"
    "Script. WHEN is T (seconds since the runner started), ckpt:N (once the\n"
    "runner has seen the N-th checkpoint reported in this run) or frac:X (once the\n"
    "reported fraction done reaches X); ckpt:N+T and frac:X+T wait T seconds more.\n"
    "  --at WHEN CMD         CMD is one of\n"
    "                          suspend, resume, quit, abort   process control\n"
    "                          kill                           SIGKILL the program\n"
    "                          restart                        start it again once it\n"
    "                                                         has stopped (unless the\n"
    "                                                         task is done or aborted)\n"
    "                          window, fullscreen, hide,      graphics requests\n"
    "                          blank, reread, gquit           (gquit = <mode_quit/>)\n"
    "                          prefs=XML                      rewrite init_data.xml\n"
    "                                                         with new preferences\n"
    "                          show-graphics                  start the graphics\n"
    "                                                         program in the slot in\n"
    "                                                         a window, as \"Show\n"
    "                                                         graphics\" does\n"
    "                          screensaver                    start it with\n"
    "                                                         --fullscreen, as a\n"
    "                                                         screensaver does\n"
    "                          stop-graphics                  end it (SIGTERM)\n"
    "  --max-time S          kill the program after S seconds (default: no limit)\n"
    "\n"
    "Output:\n"
    "  --plain               progress as plain lines even on a terminal\n"
    "  -h, --help            this text\n"
    "\n"
    "Reports: every message sent, each checkpoint and fraction done reported,\n"
    "graphics replies, the exit status and the content of boinc_finish_called.\n"
    "The graphics program ends by itself once the task has ended; the runner waits\n"
    "for it (up to 20 s) before it exits.\n"
    "Exit status: that of the program's last run (128 + signal if it was killed),\n"
    "125 if the runner itself failed, 2 for bad usage.\n";

bool parse_number(const char* text, double& value) {
    char* end = nullptr;
    value = strtod(text, &end);
    return end != text && *end == 0;
}

int usage_error(const char* fmt, const char* what) {
    fprintf(stderr, "tidewrack_client: ");
    fprintf(stderr, fmt, what);
    fprintf(stderr, "\nTry tidewrack_client --help.\n");
    return 2;
}

int parse_options(int argc, char** argv) {
    std::string slot_opt, project_opt;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        bool has_value = i + 1 < argc;
        double number = 0;
        if (a == "-h" || a == "--help") {
            fputs(usage_text, stdout);
            exit(0);
        }
        if (a == "--fresh") fresh = true;
        else if (a == "--no-display") no_display = true;
        else if (a == "--plain") plain_output = true;
        else if (!has_value) return usage_error("unknown option or missing value: %s", a.c_str());
        else if (a == "--dir") run_dir = argv[++i];
        else if (a == "--slot") slot_opt = argv[++i];
        else if (a == "--project") project_opt = argv[++i];
        else if (a == "--app") app_path = argv[++i];
        else if (a == "--graphics-app") graphics_path = argv[++i];
        else if (a == "--slot-number") {
            if (!parse_number(argv[++i], number) || number < 0 || number != (int)number)
                return usage_error("not a slot number: %s", argv[i]);
            slot_number = (int)number;
        }
        else if (a == "--images") images_dir = argv[++i];
        else if (a == "--app-version") app_version_xml = std::string(argv[++i]) + "/version.xml";
        else if (a == "--app-info") app_info_xml = std::string(argv[++i]) + "/app_info.xml";
        else if (a == "--user") user_name = argv[++i];
        else if (a == "--team") team_name = argv[++i];
        else if (a == "--prefs") project_prefs = argv[++i];
        else if (a == "--prefs-file") {
            if (!read_text(argv[++i], project_prefs)) return usage_error("cannot read %s", argv[i]);
        } else if (a == "--total-credit" || a == "--avg-credit" || a == "--ckpt-period" || a == "--max-time") {
            if (!parse_number(argv[++i], number)) return usage_error("not a number: %s", argv[i]);
            if (a == "--total-credit") total_credit = number;
            else if (a == "--avg-credit") avg_credit = number;
            else if (a == "--ckpt-period") checkpoint_period = number;
            else max_time = number;
        } else if (a == "--at" && i + 2 < argc) {
            script_step step{AT_TIME, 0, 0, argv[i + 2], -1, false};
            if (!parse_when(argv[i + 1], step)) return usage_error("bad time: %s", argv[i + 1]);
            if (!known_command(step.command)) return usage_error("unknown command: %s", argv[i + 2]);
            script.push_back(step);
            i += 2;
        } else {
            return usage_error("unknown option or missing value: %s", a.c_str());
        }
    }
    slot_dir = slot_opt.empty() ? run_dir + "/slot" : slot_opt;
    project_dir = project_opt.empty() ? run_dir + "/project" : project_opt;
    if (app_path.empty()) app_path = own_dir() + "/tidewrack";
    if (graphics_path.empty()) graphics_path = own_dir() + "/tidewrack_graphics";
    return 0;
}

void wipe(const std::string& dir) {
    if (dir_exists(dir)) clean_out_dir(dir.c_str());
}

// Paths are made absolute: the program runs in the slot and the link files
// must point at the project directory from there.
bool settle_paths() {
    if (boinc_mkdir(run_dir.c_str()) && !dir_exists(run_dir)) return false;
    if (boinc_mkdir(slot_dir.c_str()) && !dir_exists(slot_dir)) return false;
    if (boinc_mkdir(project_dir.c_str()) && !dir_exists(project_dir)) return false;
    slot_dir = absolute(slot_dir);
    project_dir = absolute(project_dir);
    app_path = absolute(app_path);
    graphics_path = absolute(graphics_path);
    return true;
}

}  // namespace

}  // namespace runner

int main(int argc, char** argv) {
    using namespace runner;
    runner_start = dtime();
    if (int rc = parse_options(argc, argv)) return rc;
    terminal = isatty(STDOUT_FILENO) && !plain_output;
    if (!settle_paths()) {
        fprintf(stderr, "tidewrack_client: cannot create %s: %s\n", slot_dir.c_str(), strerror(errno));
        return runner_failed;
    }
    if (fresh) {
        wipe(slot_dir);
        wipe(project_dir);
    }
    if ((!app_version_xml.empty() || !app_info_xml.empty()) && !load_app_version()) return runner_failed;
    if (!using_app_version() && access(app_path.c_str(), X_OK)) {
        fprintf(stderr, "tidewrack_client: cannot run %s\n", app_path.c_str());
        return runner_failed;
    }
    std::string finished = finish_called_text();
    if (!finished.empty()) {
        fprintf(stderr,
                "tidewrack_client: the task in %s has already finished (status %s); "
                "use --fresh to run a new one\n",
                slot_dir.c_str(), finished.c_str());
        return runner_failed;
    }
    load_task_state();
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_interrupt;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    return run();
}
