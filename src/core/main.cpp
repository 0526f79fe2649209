// Program entry: routes the log to stderr.txt and hands the worker to the
// graphics start-up, which runs it on a thread of its own. On Linux the
// runtime gives main the argument vector, whatever its length; the words are
// not used.
#include <cstdio>

#include "boinc_api.h"
#include "diagnostics.h"
#include "util.h"
#include "platform/boinc_graphics.h"
#include "core/worker.h"

namespace {

// The framework version the program reports being built for.
const int framework_major_version = 4;
const int framework_minor_version = 68;

// Only reached when the graphics loop ends while the worker still runs.
const int graphics_loop_ended_status = 47;

}  // namespace

int main(int, char**) {
    start_time = dtime();
    boinc_init_diagnostics(BOINC_DIAG_REDIRECTSTDERR);
    fprintf(stderr, "main: Compiled with BOINC version %d.%2d.\n", framework_major_version,
            framework_minor_version);
    fflush(NULL);
    fprintf(stderr, "main: using the newer 4.52 API...\n");
    fprintf(stderr, "main: CTRL key should not exit screensaver.\n");
    int rc = boinc_init_graphics(worker);
    if (rc) {
        fprintf(stderr, "main: boinc_init_graphics(do_the_work) failed. rc=%d\n", rc);
        boinc_finish(rc);
    }
    fprintf(stderr, "main: ALL DONE (this should never print)\n");
    return graphics_loop_ended_status;
}
