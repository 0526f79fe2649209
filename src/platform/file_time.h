// A file's modification time to the finest step the system keeps.
#pragma once

#include <sys/stat.h>
#include <time.h>

timespec modification_time(const struct stat& st);
