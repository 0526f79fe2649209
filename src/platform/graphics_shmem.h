// The framework's graphics shared memory: a file in the slot, named by the
// library boinc_<name>_<slot> after the slot in init_data.xml, through which
// the computation tells a separate graphics program what it is doing.
#pragma once

#include <cstddef>

// Computation: creates (or reuses) the memory of `size` bytes; nullptr when
// that fails. init_data.xml must have been read (boinc_init_options does).
void* make_graphics_shmem(const char* name, size_t size);

// Graphics program: reads init_data.xml (for the slot number), then maps the
// memory the computation made. nullptr while there is none; a file shorter
// than `size` is not mapped either, and *too_short is then set (if given).
void* attach_graphics_shmem(const char* name, size_t size, bool* too_short = nullptr);
