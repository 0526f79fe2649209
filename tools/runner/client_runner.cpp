// tidewrack_client: runs the program as the BOINC client would, for people and
// for the end-to-end tests. It lays out a project directory and a slot
// directory (init_data.xml, <soft_link> files, the boinc_mmap_file shared
// memory), starts the program in the slot, sends heartbeats, shows the
// progress the program reports, and carries out a script of client actions:
// suspend / resume / quit / abort / kill / restart, the graphics messages, and
// new project preferences. Like a volunteer's Manager and screensaver it
// also starts and stops the separate graphics program in the slot.
//
// Like a real client it never restarts the program on its own: after a quit,
// a kill or Ctrl+C the task stays in the slot, and a scripted `restart` or a
// new run of the runner on the same directory resumes it from its checkpoint.
//
// The slot, the shared memory and the processes are client_emulation's, the
// library the end-to-end tests drive the program with too; this file keeps the
// options, the script and the report.
#include <errno.h>
#include <limits.h>
#include <math.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app_ipc.h"
#include "client_emulation.h"
#include "error_numbers.h"
#include "filesys.h"
#include "parse.h"
#include "shmem.h"
#include "str_replace.h"
#include "util.h"

#ifndef TIDEWRACK_DATA_DIR
#define TIDEWRACK_DATA_DIR "data"
#endif

namespace {

using namespace client_emulation;

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

const int runner_failed = 125;
const double quit_grace_seconds = 15;   // then the client kills the task

enum trigger_kind { AT_TIME, AT_CHECKPOINT, AT_FRACTION };

// A step fires `delay` seconds after its trigger was first met.
struct script_step {
    trigger_kind kind;
    double value;
    double delay;
    std::string command;
    double met_at;   // -1 until the trigger is met
    bool done;
};

// Options.
std::string run_dir = "run", slot_dir, project_dir, app_path, images_dir, graphics_path;
std::string app_version_xml, app_info_xml;   // --app-version, --app-info
int slot_number = 0;
bool fresh = false, no_display = false, plain_output = false;
std::string user_name = "Test Volunteer", team_name = "Tidewrack Testers";
double total_credit = 12345.67, avg_credit = 89.01, checkpoint_period = 60;
std::string project_prefs;
double max_time = 0;
std::vector<script_step> script;

// Run state.
APP_INIT_DATA init_data;
SHARED_MEM* shmem = nullptr;
message_queue control_queue, graphics_queue;
pid_t child = 0;
int episode = 0;
double runner_start = 0, quit_deadline = -1, next_heartbeat = 0, next_bar = 0;
double episode_start = 0;
double checkpoint_cpu = 0, current_cpu = 0, fraction = -1;
int checkpoints_seen = 0;
int last_status = 0;
bool terminal = false, bar_shown = false, out_of_time = false;
volatile sig_atomic_t interrupts = 0;

double now() { return dtime() - runner_start; }

// ---- output ---------------------------------------------------------------

void clear_bar() {
    if (bar_shown) {
        fputs("\r\033[K", stdout);
        bar_shown = false;
    }
}

void say(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void say(const char* fmt, ...) {
    clear_bar();
    va_list ap;
    va_start(ap, fmt);
    printf("[client %7.2f] ", now());
    vprintf(fmt, ap);
    va_end(ap);
    fflush(stdout);
}

std::string clock_text(double seconds) {
    int s = (int)seconds;
    char buf[32];
    snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

void draw_bar() {
    if (!terminal || !child) return;
    const int width = 30;
    double f = fraction < 0 ? 0 : fraction;
    int filled = (int)(f * width + 0.5);
    std::string bar(filled, '#');
    bar.append(width - filled, '.');
    printf("\r\033[K%6.2f%% [%s] CPU %s  elapsed %s", f * 100, bar.c_str(),
           clock_text(current_cpu).c_str(), clock_text(now() - episode_start).c_str());
    fflush(stdout);
    bar_shown = true;
}

// ---- files ----------------------------------------------------------------

std::string own_dir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    buf[n] = 0;
    return dir_of(buf);
}

// ---- the task's files in the project directory ----------------------------

const char* const image_names[] = {"earthlights2.jpg", "leftimage2.jpg"};
const char* const linked_names[] = {"out.txt", "ckpt_state", "earthlights2.jpg", "leftimage2.jpg"};

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

// The runner keeps what a client keeps in its state file: the CPU time at the
// last checkpoint, handed to the next run of the program as wu_cpu_time.
std::string state_path() { return project_dir + "/client_state.xml"; }

void load_task_state() {
    std::string text;
    if (read_text(state_path(), text)) parse_double(text.c_str(), "<checkpoint_cpu_time>", checkpoint_cpu);
}

void save_task_state() {
    char buf[256];
    snprintf(buf, sizeof buf, "<task>\n<checkpoint_cpu_time>%.6f</checkpoint_cpu_time>\n</task>\n", checkpoint_cpu);
    write_file_atomically(state_path(), buf);
}

// ---- the app version (version.xml or app_info.xml) ------------------------
// With --app-version or --app-info the runner takes the program and its files
// from an app version, as the client does: each file is copied into the
// project directory under its physical name, linked into the slot under its
// logical (open) name, or its physical name when it has none, and the main
// program is started from the project directory with that directory first on
// LD_LIBRARY_PATH, where the shipped libraries are.

app_version version;   // with --app-version or --app-info

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

// ---- the slot -------------------------------------------------------------

std::string slot_file(const char* name) { return slot_dir + "/" + name; }

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

bool write_init_data() {
    init_data.wu_cpu_time = checkpoint_cpu;
    return client_emulation::write_init_data(slot_dir, init_data, project_prefs);
}

bool write_links() {
    for (const char* name : linked_names) {
        if (using_app_version() && strstr(name, ".jpg")) continue;   // the app version's own
        if (!write_soft_link(slot_dir, name, project_dir + "/" + name)) return false;
    }
    return !using_app_version() || link_app_version(version, slot_dir, project_dir);
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
    if (shmem) clear_shared_memory(shmem);
    else if (!(shmem = create_shared_memory(slot_dir))) return false;
    control_queue.pending.clear();
    graphics_queue.pending.clear();
    unlink(slot_file(BOINC_FINISH_CALLED_FILE).c_str());
    unlink(slot_file(TEMPORARY_EXIT_FILE).c_str());
    return true;
}

// ---- the program ----------------------------------------------------------

bool start_app() {
    if (!prepare_slot()) {
        say("cannot prepare the slot %s: %s\n", slot_dir.c_str(), strerror(errno));
        return false;
    }
    process_options options;
    options.argv = {app_path};
    options.dir = slot_dir;
    options.remove_display = no_display;
    options.own_process_group = true;   // Ctrl+C on the terminal reaches the runner only
    // As the client: the project directory, the slot, the client's directory.
    if (using_app_version()) options.library_path = project_dir + ":.:" + dir_of(slot_dir);
    pid_t pid = start_process(options);
    if (pid < 0) {
        say("cannot start the program: %s\n", strerror(errno));
        return false;
    }
    child = pid;
    episode++;
    episode_start = now();
    fraction = -1;
    next_heartbeat = 0;
    say("episode %d: started %s in %s, pid %d, wu_cpu_time %.2f\n", episode, app_path.c_str(),
        slot_dir.c_str(), (int)pid, checkpoint_cpu);
    return true;
}

void send_control(const char* msg) {
    control_queue.pending.push_back(msg);
    control_queue.flush(shmem->process_control_request);
    say("sent %s\n", msg);
}

void send_graphics(const char* msg) {
    graphics_queue.pending.push_back(msg);
    graphics_queue.flush(shmem->graphics_request);
    say("sent graphics request %s\n", msg);
}

// The program echoes the wu_cpu_time it was given with fewer digits (%e
// against init_data.xml's %f); only a real change is a new checkpoint.
bool new_checkpoint_time(double reported) {
    return fabs(reported - checkpoint_cpu) > 1e-4 + 1e-5 * fabs(reported);
}

void poll_app() {
    app_status status;
    if (read_app_status(shmem, status)) {
        if (status.current_cpu >= 0) current_cpu = status.current_cpu;
        double x = status.checkpoint_cpu;
        if (x >= 0 && new_checkpoint_time(x)) {
            checkpoint_cpu = x;
            checkpoints_seen++;
            save_task_state();
            say("checkpoint: checkpoint_cpu_time %.3f\n", x);
        }
        x = status.fraction_done;
        if (x >= 0 && x != fraction) {
            fraction = x;
            if (!terminal || plain_output)
                say("progress: fraction_done %.6f (%.2f%%) cpu %.2f\n", x, x * 100, current_cpu);
        }
    }
    std::string reply;
    if (read_graphics_reply(shmem, reply)) say("graphics reply: %s\n", reply.c_str());
}

std::string finish_called_text() {
    std::string text;
    if (!read_text(slot_file(BOINC_FINISH_CALLED_FILE), text)) return "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

bool reap_app() {
    int sig;
    if (!reap(child, false, last_status, sig)) return false;
    poll_app();
    child = 0;
    quit_deadline = -1;
    std::string finished = finish_called_text();
    if (!sig)
        say("exit status %d, boinc_finish_called %s\n", last_status, finished.empty() ? "(absent)" : finished.c_str());
    else
        say("killed by signal %d, boinc_finish_called %s\n", sig, finished.empty() ? "(absent)" : finished.c_str());
    if (!finished.empty())
        say("task done (final status %s)\n", finished.c_str());
    else if (!sig && last_status == EXIT_ABORTED_BY_CLIENT)
        say("task aborted\n");
    else
        say("task stopped before its end: a restart resumes it from its checkpoint\n");
    return true;
}

void kill_app(const char* why) {
    if (!child) return;
    kill(child, SIGKILL);
    say("SIGKILL (%s)\n", why);
}

// ---- the graphics program ---------------------------------------------------

// As a volunteer's Manager ("Show graphics") and screensaver start it: the
// slot as working directory, no arguments or --fullscreen.
pid_t graphics_child = 0;
const double graphics_end_wait = 20;   // it ends 10 s after the task's last update

void start_graphics(bool fullscreen) {
    if (graphics_child) {
        say("the graphics program already runs (pid %d)\n", (int)graphics_child);
        return;
    }
    process_options options;
    options.argv = {graphics_path};
    if (fullscreen) options.argv.push_back("--fullscreen");
    options.dir = slot_dir;
    options.own_process_group = true;
    pid_t pid = start_process(options);
    if (pid < 0) {
        say("cannot start the graphics program: %s\n", strerror(errno));
        return;
    }
    graphics_child = pid;
    say("graphics program started%s in %s, pid %d\n", fullscreen ? " with --fullscreen" : "",
        slot_dir.c_str(), (int)pid);
}

void stop_graphics() {
    if (!graphics_child) {
        say("stop-graphics: the graphics program is not running\n");
        return;
    }
    kill(graphics_child, SIGTERM);
    say("sent SIGTERM to the graphics program\n");
}

bool reap_graphics(bool block) {
    int status, sig;
    if (!reap(graphics_child, block, status, sig)) return false;
    graphics_child = 0;
    if (!sig) say("graphics program: exit status %d\n", status);
    else say("graphics program: killed by signal %d\n", sig);
    return true;
}

// The graphics program notices the end of the task by itself.
void wait_for_graphics_end() {
    double deadline = now() + graphics_end_wait;
    while (graphics_child && now() < deadline && !interrupts) {
        if (reap_graphics(false)) return;
        usleep(50000);
    }
    if (!graphics_child) return;
    kill(graphics_child, SIGKILL);
    say("SIGKILL to the graphics program (still running %.0f s after the task)\n", graphics_end_wait);
    reap_graphics(true);
}

// ---- the script -------------------------------------------------------------

// WHEN: T | ckpt:N[+T] | frac:X[+T]
bool parse_when(const std::string& when, script_step& step) {
    const char* text = when.c_str();
    step.kind = AT_TIME;
    step.delay = 0;
    if (when.rfind("ckpt:", 0) == 0) {
        step.kind = AT_CHECKPOINT;
        text += 5;
    } else if (when.rfind("frac:", 0) == 0) {
        step.kind = AT_FRACTION;
        text += 5;
    }
    char* end = nullptr;
    step.value = strtod(text, &end);
    if (end == text || step.value < 0) return false;
    if (*end == '+' && step.kind != AT_TIME) {
        const char* delay_text = end + 1;
        step.delay = strtod(delay_text, &end);
        if (end == delay_text || step.delay < 0) return false;
    }
    return *end == 0;
}

bool known_command(const std::string& c) {
    static const char* const names[] = {"suspend", "resume", "quit", "abort", "kill", "restart", "window",
                                        "fullscreen", "hide", "blank", "reread", "gquit",
                                        "show-graphics", "screensaver", "stop-graphics"};
    for (const char* n : names)
        if (c == n) return true;
    return c.rfind("prefs=", 0) == 0;
}

bool trigger_met(const script_step& s) {
    switch (s.kind) {
    case AT_TIME: return now() >= s.value;
    case AT_CHECKPOINT: return child && checkpoints_seen >= (int)s.value;
    case AT_FRACTION: return child && fraction >= s.value;
    }
    return false;
}

bool task_over() { return !finish_called_text().empty() || last_status == EXIT_ABORTED_BY_CLIENT; }

// A restart waits until the program has stopped.
bool step_due(script_step& s) {
    if (s.met_at < 0 && trigger_met(s)) s.met_at = now();
    if (s.met_at < 0 || now() < s.met_at + s.delay) return false;
    return s.command != "restart" || !child;
}

void run_command(const std::string& c) {
    if (c == "restart") {
        if (task_over()) say("restart: the task is over, nothing to restart\n");
        else start_app();
        return;
    }
    if (c == "show-graphics" || c == "screensaver") {
        start_graphics(c == "screensaver");
        return;
    }
    if (c == "stop-graphics") {
        stop_graphics();
        return;
    }
    if (c.rfind("prefs=", 0) == 0) {
        project_prefs = c.substr(6);
        if (write_init_data()) say("init_data.xml rewritten with preferences %s\n", project_prefs.c_str());
        else say("cannot rewrite init_data.xml\n");
        return;
    }
    if (!child) {
        say("%s: the program is not running\n", c.c_str());
        return;
    }
    if (c == "kill") kill_app("scripted");
    else if (c == "suspend") send_control("<suspend/>");
    else if (c == "resume") send_control("<resume/>");
    else if (c == "quit" || c == "abort") {
        send_control(c == "quit" ? "<quit/>" : "<abort/>");
        quit_deadline = now() + quit_grace_seconds;
    }
    else if (c == "window") send_graphics("<mode_window/>");
    else if (c == "fullscreen") send_graphics("<mode_fullscreen/>");
    else if (c == "hide") send_graphics("<mode_hide_graphics/>");
    else if (c == "blank") send_graphics("<mode_blankscreen/>");
    else if (c == "reread") send_graphics("<reread_prefs/>");
    else if (c == "gquit") send_graphics("<mode_quit/>");
}

void run_due_steps() {
    for (script_step& s : script) {
        if (!s.done && step_due(s)) {
            s.done = true;
            run_command(s.command);
        }
    }
}

bool restart_pending() {
    if (out_of_time || task_over()) return false;
    for (const script_step& s : script)
        if (!s.done && s.command == "restart") return true;
    return false;
}

// ---- main loop ------------------------------------------------------------

void on_interrupt(int) { interrupts = interrupts + 1; }

// Ctrl+C: the client's quit; a second one kills.
void handle_interrupts() {
    static int handled = 0;
    if (interrupts == handled) return;
    handled = interrupts;
    if (!child) return;
    if (handled == 1) {
        say("interrupted: asking the program to quit (again to kill it)\n");
        send_control("<quit/>");
        quit_deadline = now() + quit_grace_seconds;
    } else {
        kill_app("interrupted twice");
    }
}

void supervise() {
    if (now() >= next_heartbeat) {
        send_heartbeat(shmem);
        next_heartbeat = now() + 1;
    }
    control_queue.flush(shmem->process_control_request);
    graphics_queue.flush(shmem->graphics_request);
    poll_app();
    if (quit_deadline > 0 && now() > quit_deadline) {
        kill_app("no exit within 15 s of quit/abort");
        quit_deadline = -1;
    }
    if (max_time > 0 && now() > max_time && !out_of_time) {
        out_of_time = true;
        kill_app("time limit");
    }
    if (!plain_output && now() >= next_bar) {
        draw_bar();
        next_bar = now() + 0.5;
    }
}

int run() {
    if (!start_app()) return runner_failed;
    for (;;) {
        handle_interrupts();
        run_due_steps();
        reap_graphics(false);
        if (child) {
            supervise();
            if (reap_app() && (interrupts || !restart_pending())) break;
        } else if (interrupts || !restart_pending()) {
            break;
        }
        usleep(50000);
    }
    clear_bar();
    save_task_state();
    wait_for_graphics_end();
    return last_status;
}

// ---- options ----------------------------------------------------------------

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

int main(int argc, char** argv) {
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
