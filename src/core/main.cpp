#include "boinc_api.h"
#include "util.h"
#include "platform/boinc_graphics.h"
#include "core/worker.h"

int main(int argc, char** argv) {
    start_time = dtime();
    return boinc_init_graphics(worker);
}
