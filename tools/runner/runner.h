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
// library the end-to-end tests drive the program with too. The runner's own
// files: runner_main (options), runner_slot (slot layout), runner_channel
// (the shared-memory messages), runner_task (the processes and the main
// loop), runner_script (the scripted actions), runner_progress (the report).
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "app_ipc.h"
#include "client_emulation.h"

namespace runner {

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

// ---- options (runner_main)
extern std::string run_dir, slot_dir, project_dir, app_path, images_dir, graphics_path;
extern std::string app_version_xml, app_info_xml;   // --app-version, --app-info
extern int slot_number;
extern bool fresh, no_display, plain_output;
extern std::string user_name, team_name;
extern double total_credit, avg_credit, checkpoint_period;
extern std::string project_prefs;
extern double max_time;
extern std::vector<script_step> script;

// ---- the run (runner_task)
extern SHARED_MEM* shmem;
extern pid_t child;
extern double runner_start, quit_deadline, episode_start;
extern int last_status;
extern bool out_of_time;
extern volatile sig_atomic_t interrupts;

bool start_app();
void kill_app(const char* why);
std::string finish_called_text();
void start_graphics(bool fullscreen);
void stop_graphics();
void on_interrupt(int);
int run();

// ---- the slot (runner_slot)
std::string own_dir();
std::string slot_file(const char* name);
void load_task_state();
void save_task_state();
bool using_app_version();
bool load_app_version();
bool write_init_data();
bool prepare_slot();

// ---- the client's shared-memory channel (runner_channel)
extern double checkpoint_cpu, current_cpu, fraction;
extern int checkpoints_seen;

bool restart_channel();
void tend_channel();
void poll_app();
void send_control(const char* msg);
void send_graphics(const char* msg);

// ---- the script (runner_script)
bool parse_when(const std::string& when, script_step& step);
bool known_command(const std::string& c);
bool task_over();
void run_due_steps();
bool restart_pending();

// ---- the report (runner_progress)
extern bool terminal;

double now();
void say(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void clear_bar();
void draw_bar_now_and_then();

}  // namespace runner
