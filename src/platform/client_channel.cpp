// Graphics requests and mode acknowledgements on the client's shared memory.
// The 7.x library leaves both channels to the application.
#include "platform/client_channel.h"

#include "boinc_api.h"
#include "app_ipc.h"
#include "parse.h"

namespace {

const char* const mode_tags[] = {
    "<mode_unsupported/>", "<mode_hide_graphics/>", "<mode_window/>", "<mode_fullscreen/>",
    "<mode_blankscreen/>", "<reread_prefs/>",       "<mode_quit/>"};
const int mode_count = NGRAPHICS_MSGS;
static_assert(sizeof mode_tags / sizeof mode_tags[0] == NGRAPHICS_MSGS, "one tag per mode");

int acknowledged_mode = -1;

SHARED_MEM* client_shared_memory() {
    if (boinc_is_standalone() || !app_client_shm) return nullptr;
    return app_client_shm->shm;
}

}  // namespace

const char* graphics_mode_tag(int mode) {
    return (mode >= 0 && mode < mode_count) ? mode_tags[mode] : "";
}

int graphics_mode_from_message(const char* msg) {
    for (int mode = 0; mode < mode_count; mode++) {
        if (match_tag(msg, mode_tags[mode])) return mode;
    }
    return -1;
}

int next_graphics_request() {
    SHARED_MEM* shm = client_shared_memory();
    char msg[MSG_CHANNEL_SIZE];
    if (!shm || !shm->graphics_request.get_msg(msg)) return -1;
    return graphics_mode_from_message(msg);
}

void acknowledge_graphics_mode(int mode) {
    SHARED_MEM* shm = client_shared_memory();
    if (!shm || mode == acknowledged_mode) return;
    if (shm->graphics_reply.send_msg(graphics_mode_tag(mode))) acknowledged_mode = mode;
}
