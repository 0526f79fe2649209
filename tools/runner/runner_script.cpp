// The scripted client actions: --at WHEN CMD, each carried out once when its
// trigger (a time, a checkpoint, a fraction done) has been met.
#include <stdlib.h>

#include <string>

#include "error_numbers.h"
#include "runner.h"

namespace runner {

namespace {

bool trigger_met(const script_step& s) {
    switch (s.kind) {
    case AT_TIME: return now() >= s.value;
    case AT_CHECKPOINT: return child && checkpoints_seen >= (int)s.value;
    case AT_FRACTION: return child && fraction >= s.value;
    }
    return false;
}

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

}  // namespace

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

bool task_over() { return !finish_called_text().empty() || last_status == EXIT_ABORTED_BY_CLIENT; }

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

}  // namespace runner
