// The client's side of the shared memory boinc_mmap_file: heartbeats, the
// process control and graphics requests (each waits until the program has
// read the one before), and the status the program reports.
#include <math.h>

#include <string>

#include "parse.h"
#include "runner.h"
#include "shmem.h"

namespace runner {

using namespace client_emulation;

SHARED_MEM* shmem = nullptr;
double checkpoint_cpu = 0, current_cpu = 0, fraction = -1;
int checkpoints_seen = 0;

namespace {

message_queue control_queue, graphics_queue;
double next_heartbeat = 0;

// The program echoes the wu_cpu_time it was given with fewer digits (%e
// against init_data.xml's %f); only a real change is a new checkpoint.
bool new_checkpoint_time(double reported) {
    return fabs(reported - checkpoint_cpu) > 1e-4 + 1e-5 * fabs(reported);
}

}  // namespace

// A new run of the program starts on a cleared channel.
bool restart_channel() {
    if (shmem) clear_shared_memory(shmem);
    else if (!(shmem = create_shared_memory(slot_dir))) return false;
    control_queue.pending.clear();
    graphics_queue.pending.clear();
    next_heartbeat = 0;
    fraction = -1;
    return true;
}

void tend_channel() {
    if (now() >= next_heartbeat) {
        send_heartbeat(shmem);
        next_heartbeat = now() + 1;
    }
    control_queue.flush(shmem->process_control_request);
    graphics_queue.flush(shmem->graphics_request);
    poll_app();
}

// What the program reported since the last look.
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

}  // namespace runner
