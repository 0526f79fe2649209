// The checkpoint's file system calls on POSIX systems (see durable_file.h).
#include "platform/durable_file.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

std::string real_file_path(const char* path) {
    struct stat st;
    char real[PATH_MAX];
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode) && realpath(path, real))
        return real;
    return path;
}

bool flush_to_disk(FILE* f) { return fflush(f) == 0 && fsync(fileno(f)) == 0; }

// rename(), not boinc_rename(): when rename() fails that one falls back to
// running mv, which moves the file into a directory standing in the way.
bool replace_file(const char* from, const char* to) { return rename(from, to) == 0; }
