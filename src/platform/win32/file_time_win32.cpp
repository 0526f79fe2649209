// The Windows C library's stat keeps whole seconds only.
#include "platform/file_time.h"

timespec modification_time(const struct stat& st) {
    timespec t;
    t.tv_sec = st.st_mtime;
    t.tv_nsec = 0;
    return t;
}
