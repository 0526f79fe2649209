// tidewrack_graphics: the sky display as a program of its own, which a client
// links into the task's slot as graphics_app. A client's "Show graphics"
// starts it in the slot with no arguments (a window), a screensaver with
// --fullscreen, or with no arguments and then embeds its window. It follows
// the computation through the search record alone, and ends by itself once
// the computation has ended.
#include <stdio.h>
#include <string.h>

#include "boinc_api.h"
#include "diagnostics.h"
#include "core/search_record_feed.h"
#include "platform/graphics_program.h"

namespace {

const char* const log_file = "stderrgfx.txt";

// The client runs tasks as its own user, a "Show graphics" runs this program
// as the desktop's: a slot it cannot write leaves the log on standard error.
void open_log() {
    FILE* probe = fopen(log_file, "a");
    if (!probe) {
        fprintf(stderr, "GFX: cannot write %s in the slot; logging here.\n", log_file);
        return;
    }
    fclose(probe);
    boinc_init_graphics_diagnostics(BOINC_DIAG_DUMPCALLSTACKENABLED | BOINC_DIAG_REDIRECTSTDERR);
}

bool wants_fullscreen(int argc, char** argv) {
    for (int i = 1; i < argc; i++)
        if (strcmp(argv[i], "--fullscreen") == 0) return true;
    return false;
}

bool follow_computation(double now) { return feed_search_state(now) != FEED_ENDED; }

}  // namespace

int main(int argc, char** argv) {
    // The slot's start-up data: user, team, credits, preferences, and the
    // slot number that names the computation's shared memory.
    boinc_parse_init_data_file();
    open_log();
    bool fullscreen = wants_fullscreen(argc, argv);
    fprintf(stderr, "GFX: graphics program started (%s).\n", fullscreen ? "full screen" : "window");
    int status = run_graphics_program(argc, argv, fullscreen, follow_computation);
    fprintf(stderr, "GFX: graphics program ends (status %d).\n", status);
    return status;
}
