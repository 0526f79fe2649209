// client_emulation's side of the shared memory boinc_mmap_file.
#include "client_emulation.h"

#include <string.h>

#include "app_ipc.h"
#include "parse.h"
#include "shmem.h"

namespace client_emulation {

SHARED_MEM* create_shared_memory(const std::string& slot_dir) {
    void* memory = nullptr;
    std::string path = slot_dir + "/" + MMAPPED_FILE_NAME;
    if (create_shmem_mmap(path.c_str(), sizeof(SHARED_MEM), &memory)) return nullptr;
    SHARED_MEM* shm = static_cast<SHARED_MEM*>(memory);
    clear_shared_memory(shm);
    return shm;
}

void clear_shared_memory(SHARED_MEM* shm) { memset(static_cast<void*>(shm), 0, sizeof(SHARED_MEM)); }

void release_shared_memory(SHARED_MEM* shm) {
    if (shm) detach_shmem_mmap(shm, sizeof(SHARED_MEM));
}

void send_heartbeat(SHARED_MEM* shm) { shm->heartbeat.send_msg("<heartbeat/>"); }

bool message_queue::flush(MSG_CHANNEL& channel) {
    while (!pending.empty() && channel.send_msg(pending.front().c_str())) pending.pop_front();
    return pending.empty();
}

bool read_app_status(SHARED_MEM* shm, app_status& status) {
    char buf[MSG_CHANNEL_SIZE];
    if (!shm->app_status.get_msg(buf)) return false;
    status = app_status();
    parse_double(buf, "<current_cpu_time>", status.current_cpu);
    parse_double(buf, "<checkpoint_cpu_time>", status.checkpoint_cpu);
    parse_double(buf, "<fraction_done>", status.fraction_done);
    return true;
}

bool read_graphics_reply(SHARED_MEM* shm, std::string& reply) {
    char buf[MSG_CHANNEL_SIZE];
    if (!shm->graphics_reply.get_msg(buf)) return false;
    reply = buf;
    return true;
}

}  // namespace client_emulation
