// The graphics shared memory on Windows: the library makes a named file
// mapping boinc_<name>_<slot> (no file in the slot), which lives while a
// process has it open.
#include "platform/graphics_shmem.h"

#include <windows.h>

#include "boinc_api.h"
#include "graphics2.h"

void* make_graphics_shmem(const char* name, size_t size) {
    return boinc_graphics_make_shmem(name, (int)size);
}

void* attach_graphics_shmem(const char* name, size_t size, bool* too_short) {
    if (too_short) *too_short = false;
    // The slot may have been set up after this program started.
    boinc_parse_init_data_file();
    void* memory = boinc_graphics_get_shmem(name);
    if (!memory) return nullptr;
    // A view is whole pages: shorter than a page cannot be told apart.
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(memory, &info, sizeof info) == sizeof info && info.RegionSize < size) {
        UnmapViewOfFile(memory);
        if (too_short) *too_short = true;
        return nullptr;
    }
    return memory;
}
