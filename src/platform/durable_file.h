// Replacing a small file so that a crash leaves the old or the new one: what
// the checkpoint needs from the file system, whose calls differ by system.
#pragma once

#include <cstdio>
#include <string>

// Where the file at `path` really lives: a symbolic link is followed, so that
// a replacement lands on the file it points to and not on the link.
std::string real_file_path(const char* path);

// Flushes `f` and makes its contents durable on disk; false on failure.
bool flush_to_disk(FILE* f);

// Moves `from` over `to`, replacing it in one step; false on failure.
bool replace_file(const char* from, const char* to);
