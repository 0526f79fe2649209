// The graphics shared memory through the library's own calls, so that both
// programs agree on the file's name and place.
#include "platform/graphics_shmem.h"

#include <sys/stat.h>

#include <cstdio>

#include "boinc_api.h"
#include "graphics2.h"

namespace {

// The library's name for the memory: boinc_<name>_<slot>.
void shmem_file_name(const char* name, char* path, size_t size) {
    APP_INIT_DATA aid;
    boinc_get_init_data(aid);
    snprintf(path, size, "boinc_%s_%d", name, aid.slot);
}

}  // namespace

void* make_graphics_shmem(const char* name, size_t size) {
    return boinc_graphics_make_shmem(name, (int)size);
}

void* attach_graphics_shmem(const char* name, size_t size, bool* too_short) {
    if (too_short) *too_short = false;
    // The slot may have been set up after this program started.
    boinc_parse_init_data_file();
    char path[256];
    shmem_file_name(name, path, sizeof path);
    struct stat st;
    if (stat(path, &st) != 0) return nullptr;
    if ((size_t)st.st_size < size) {
        if (too_short) *too_short = true;
        return nullptr;
    }
    return boinc_graphics_get_shmem(name);
}
