// The processes a client runs in the slot, the program and the graphics
// program, and the loop that watches them until the task stops.
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "error_numbers.h"
#include "filesys.h"
#include "runner.h"

namespace runner {

using namespace client_emulation;

pid_t child = 0;
double runner_start = 0, quit_deadline = -1, episode_start = 0;
int last_status = 0;
bool out_of_time = false;
volatile sig_atomic_t interrupts = 0;

namespace {

int episode = 0;

// As a volunteer's Manager ("Show graphics") and screensaver start it: the
// slot as working directory, no arguments or --fullscreen.
pid_t graphics_child = 0;
const double graphics_end_wait = 20;   // it ends 10 s after the task's last update

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
    tend_channel();
    if (quit_deadline > 0 && now() > quit_deadline) {
        kill_app("no exit within 15 s of quit/abort");
        quit_deadline = -1;
    }
    if (max_time > 0 && now() > max_time && !out_of_time) {
        out_of_time = true;
        kill_app("time limit");
    }
    draw_bar_now_and_then();
}

}  // namespace

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
    say("episode %d: started %s in %s, pid %d, wu_cpu_time %.2f\n", episode, app_path.c_str(),
        slot_dir.c_str(), (int)pid, checkpoint_cpu);
    return true;
}

std::string finish_called_text() {
    std::string text;
    if (!read_text(slot_file(BOINC_FINISH_CALLED_FILE), text)) return "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

void kill_app(const char* why) {
    if (!child) return;
    kill(child, SIGKILL);
    say("SIGKILL (%s)\n", why);
}

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

void on_interrupt(int) { interrupts = interrupts + 1; }

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

}  // namespace runner
