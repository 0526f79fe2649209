// What tells one version of a file from another, as the system keeps it.
#pragma once

#include <sys/stat.h>
#include <time.h>

// The modification time to the finest step the system keeps.
timespec modification_time(const struct stat& st);

// The device the file lies on, alike for stat() and fstat() of one file.
dev_t file_device(const struct stat& st);
