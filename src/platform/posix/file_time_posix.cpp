#include "platform/file_time.h"

timespec modification_time(const struct stat& st) { return st.st_mtim; }

dev_t file_device(const struct stat& st) { return st.st_dev; }
