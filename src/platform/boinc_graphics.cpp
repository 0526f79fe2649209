#include "platform/boinc_graphics.h"

int boinc_init_graphics(void (*worker)()) {
    worker();
    return 0;
}
