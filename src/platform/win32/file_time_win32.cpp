// The Windows C library's stat keeps whole seconds only, and its fstat gives
// the descriptor as the device: no device to compare.
#include "platform/file_time.h"

timespec modification_time(const struct stat& st) {
    timespec t;
    t.tv_sec = st.st_mtime;
    t.tv_nsec = 0;
    return t;
}

dev_t file_device(const struct stat&) { return 0; }
