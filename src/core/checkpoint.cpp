// Writing and reading ckpt_state. Both run on the worker thread only.
#include "core/checkpoint.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "boinc_api.h"
#include "filesys.h"
#include "core/search_state.h"
#include "platform/durable_file.h"

namespace {

const char checkpoint_name[] = "ckpt_state";
const size_t checkpoint_read_limit = 4096;   // a real checkpoint is ~30 bytes

char ckpt_path[512];
int i_start = 0;

bool write_values(FILE* f, int i, int count) {
    if (fprintf(f, " %d \n", i) < 0) return false;
    if (fprintf(f, " %d \n", count) < 0) return false;
    // On disk before the rename, so a crash leaves the old or the new file.
    return flush_to_disk(f);
}

// Writes the two lines under a temporary name and renames it into place.
bool replace_checkpoint_file(const std::string& target, int i, int count) {
    std::string temporary = target + ".tmp";
    FILE* f = boinc_fopen(temporary.c_str(), "w");
    if (!f) return false;
    bool written = write_values(f, i, count);
    if (fclose(f) != 0) written = false;
    if (written && replace_file(temporary.c_str(), target.c_str())) return true;
    remove(temporary.c_str());
    return false;
}

// Reads a (short) text file whole; false when it cannot be read.
bool read_small_file(FILE* f, std::string& text) {
    char buffer[checkpoint_read_limit];
    size_t n = fread(buffer, 1, sizeof buffer, f);
    if (ferror(f)) return false;
    text.assign(buffer, n);
    return true;
}

// One decimal integer after optional white space, as "%d" would read it,
// but with the range checked. Returns false when there is no number; sets
// in_range to false when the number does not fit an int.
bool parse_int_field(const char*& p, int& value, bool& in_range) {
    char* end = nullptr;
    errno = 0;
    long long v = strtoll(p, &end, 10);
    if (end == p) return false;
    in_range = errno != ERANGE && v >= INT_MIN && v <= INT_MAX;
    value = in_range ? (int)v : 0;
    p = end;
    return true;
}

}  // namespace

bool parse_checkpoint(const char* text, checkpoint_values& values) {
    const char* p = text;
    bool in_range = true;
    int index = 0;
    if (!parse_int_field(p, index, in_range) || !in_range || index < 0) return false;
    int count = 0;
    bool has_count = parse_int_field(p, count, in_range);
    if (has_count && !in_range) return false;
    values.index = index;
    values.has_count = has_count;
    values.count = count;
    return true;
}

int write_checkpoint(int i) {
    boinc_resolve_filename(checkpoint_name, ckpt_path, sizeof ckpt_path);
    int count = n_searched.load(std::memory_order_relaxed);
    if (!replace_checkpoint_file(real_file_path(ckpt_path), i, count)) {
        fprintf(stderr, "APP: Cannot open checkpoint file to write! \n");
        // boinc_time_to_checkpoint() entered a critical section; without
        // leaving it the client's quit and suspend would wait forever.
        boinc_end_critical_section();
        return 1;
    }
    fflush(NULL);
    boinc_checkpoint_completed();
    return 0;
}

int read_checkpoint() {
    boinc_resolve_filename(checkpoint_name, ckpt_path, sizeof ckpt_path);
    FILE* f = boinc_fopen(ckpt_path, "r");
    if (!f) return 0;   // no checkpoint yet
    std::string text;
    bool readable = read_small_file(f, text);
    fclose(f);
    checkpoint_values values;
    if (!readable || !parse_checkpoint(text.c_str(), values)) {
        fprintf(stderr, "worker: checkpoint file unreadable or damaged, ignoring it.\n");
        return 0;
    }
    i_start = values.index;
    if (values.has_count) n_searched.store(values.count, std::memory_order_relaxed);
    return i_start;
}
