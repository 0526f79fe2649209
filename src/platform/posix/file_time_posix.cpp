#include "platform/file_time.h"

timespec modification_time(const struct stat& st) { return st.st_mtim; }
