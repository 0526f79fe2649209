// Re-reading init_data.xml on the graphics thread. The file is parsed with
// the library's own parser into a record of our own, so neither the library's
// start-up copy nor the worker's record is touched.
#include "platform/latest_init_data.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "filesys.h"
#include "platform/file_time.h"

namespace {

// What the last read saw of the file; `exists` false when there was none.
struct file_stamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified = {0, 0};
};

bool init_data_read_once = false;
file_stamp last_read;

file_stamp stamp_of(const struct stat& st) {
    file_stamp stamp;
    stamp.exists = true;
    stamp.device = file_device(st);
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = modification_time(st);
    return stamp;
}

bool same_stamp(const file_stamp& a, const file_stamp& b) {
    if (a.exists != b.exists) return false;
    if (!a.exists) return true;
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

file_stamp current_stamp() {
    struct stat st;
    if (stat(INIT_DATA_FILE, &st) != 0) return file_stamp();
    return stamp_of(st);
}

void use_startup_copy(APP_INIT_DATA& aid) {
    free(aid.project_preferences);
    aid.project_preferences = nullptr;
    boinc_get_init_data(aid);
}

}  // namespace

void replace_init_data(APP_INIT_DATA& dest, const APP_INIT_DATA& src) {
    if (&dest == &src) return;
    free(dest.project_preferences);
    dest.project_preferences = nullptr;
    dest = src;
}

namespace {

// Reads the file into aid; `record` says whether the read counts as having
// seen the file's current version (its stamp is kept for
// init_data_file_changed).
void read_init_data(APP_INIT_DATA& aid, bool record) {
    FILE* f = boinc_fopen(INIT_DATA_FILE, "r");
    if (!f) {
        // Standalone: the library's start-up copy is all there is.
        if (record) {
            init_data_read_once = true;
            last_read = file_stamp();
        }
        use_startup_copy(aid);
        return;
    }
    // The stamp of what is read: a rewrite during the read shows as a change.
    struct stat st;
    file_stamp stamp = fstat(fileno(f), &st) == 0 ? stamp_of(st) : file_stamp();
    APP_INIT_DATA fresh;
    int rc = parse_init_data_file(f, fresh);
    fclose(f);
    if (record) {
        init_data_read_once = true;
        last_read = stamp;
    }
    if (rc) {
        // Not the whole file, perhaps: the writer's next bytes change the
        // stamp and bring another read; until then the start-up copy.
        use_startup_copy(aid);
        return;
    }
    replace_init_data(aid, fresh);
}

}  // namespace

void get_latest_init_data(APP_INIT_DATA& aid) { read_init_data(aid, true); }

void peek_latest_init_data(APP_INIT_DATA& aid) { read_init_data(aid, false); }

bool init_data_file_changed() {
    file_stamp now = current_stamp();
    if (!init_data_read_once) return now.exists;
    return !same_stamp(now, last_read);
}
