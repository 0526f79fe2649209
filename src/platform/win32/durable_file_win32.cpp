// The checkpoint's file system calls on Windows (see durable_file.h). A slot
// there holds no symbolic links: the client copies or links by <soft_link>.
#include "platform/durable_file.h"

#include <io.h>
#include <windows.h>

std::string real_file_path(const char* path) { return path; }

bool flush_to_disk(FILE* f) { return fflush(f) == 0 && _commit(_fileno(f)) == 0; }

// The C library's rename() refuses an existing target on Windows.
bool replace_file(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
