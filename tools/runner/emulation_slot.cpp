// client_emulation's files: the slot directory, its init_data.xml and link
// files, and an app version's files in the project directory.
#include "client_emulation.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app_ipc.h"
#include "parse.h"
#include "str_replace.h"

namespace client_emulation {

// ---- files

bool read_text(const std::string& path, std::string& text) {
    FILE* f = fopen(path.c_str(), "r");
    if (!f) return false;
    text.clear();
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    fclose(f);
    return true;
}

bool write_file_atomically(const std::string& path, const std::string& text) {
    std::string tmp = path + ".new";
    FILE* f = fopen(tmp.c_str(), "w");
    if (!f) return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (fclose(f) == 0) && ok;
    return ok && rename(tmp.c_str(), path.c_str()) == 0;
}

bool copy_file(const std::string& from, const std::string& to) {
    std::string data;
    return read_text(from, data) && write_file_atomically(to, data);
}

bool file_exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool dir_exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string dir_of(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string absolute(const std::string& path) {
    char buf[PATH_MAX];
    if (realpath(path.c_str(), buf)) return buf;
    if (!path.empty() && path[0] == '/') return path;
    if (!getcwd(buf, sizeof buf)) return path;
    return std::string(buf) + "/" + path;
}

std::string make_temp_dir(const std::string& name) {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + name + "_XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : std::string();
}

void remove_tree(const std::string& path) {
    if (path.size() < 8) return;
    std::string command = "rm -rf '" + path + "'";
    if (system(command.c_str()) != 0) fprintf(stderr, "cannot remove %s\n", path.c_str());
}

// ---- the slot

bool write_soft_link(const std::string& slot_dir, const std::string& name, const std::string& target) {
    return write_file_atomically(slot_dir + "/" + name, "<soft_link>" + target + "</soft_link>\n");
}

void default_init_data(APP_INIT_DATA& data) {
    data.clear();
    data.major_version = 7;
    data.minor_version = 20;
    data.release = 5;
    strlcpy(data.app_name, "tidewrack", sizeof data.app_name);
    data.checkpoint_period = 60;
    data.shmem_seg_name = -1;   // the mmap'ed file boinc_mmap_file
    data.client_pid = getpid();
    data.fraction_done_start = 0;
    data.fraction_done_end = 1;
    data.ncpus = 1;
}

namespace {

// The library writes the enclosing element itself.
std::string inner_prefs(const std::string& xml) {
    const std::string open = "<project_preferences>", close = "</project_preferences>";
    size_t a = xml.find(open), b = xml.rfind(close);
    if (a == std::string::npos || b == std::string::npos || b < a) return xml;
    return xml.substr(a + open.size(), b - a - open.size());
}

}  // namespace

bool write_init_data(const std::string& slot_dir, APP_INIT_DATA& data, const std::string& project_preferences) {
    free(data.project_preferences);
    data.project_preferences =
        project_preferences.empty() ? nullptr : strdup(inner_prefs(project_preferences).c_str());
    std::string path = slot_dir + "/" + INIT_DATA_FILE, tmp = path + ".new";
    FILE* f = fopen(tmp.c_str(), "w");
    if (!f) return false;
    write_init_data_file(f, data);
    bool ok = fclose(f) == 0;
    return ok && rename(tmp.c_str(), path.c_str()) == 0;
}

// ---- the app version

namespace {

// The text of each <tag>...</tag> element in `xml`.
std::vector<std::string> elements(const std::string& xml, const std::string& tag) {
    std::vector<std::string> found;
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    for (size_t a = xml.find(open); a != std::string::npos; a = xml.find(open, a)) {
        size_t b = xml.find(close, a);
        if (b == std::string::npos) break;
        found.push_back(xml.substr(a + open.size(), b - a - open.size()));
        a = b;
    }
    return found;
}

}  // namespace

bool load_app_version(const std::string& path, bool info, app_version& version, std::string& error) {
    std::string xml;
    if (!read_text(path, xml)) {
        error = "cannot read " + path;
        return false;
    }
    version = app_version();
    version.source_dir = dir_of(absolute(path));
    std::vector<std::string> versions = elements(xml, "app_version");
    std::vector<std::string> refs = info ? elements(versions.empty() ? "" : versions[0], "file_ref")
                                         : elements(xml, "file");
    const char* name_tag = info ? "<file_name>" : "<physical_name>";
    const char* open_tag = info ? "<open_name>" : "<logical_name>";
    for (const std::string& ref : refs) {
        app_version_file f{"", "", ref.find("<main_program/>") != std::string::npos,
                           ref.find("<copy_file/>") != std::string::npos};
        parse_str(ref.c_str(), name_tag, f.physical);
        parse_str(ref.c_str(), open_tag, f.open_name);
        if (f.physical.empty() || f.physical.find('/') != std::string::npos) {
            error = path + ": a file without a plain name";
            return false;
        }
        if (f.main_program) version.main_program = f.physical;
        if (f.open_name == "graphics_app") version.graphics_program = f.physical;
        version.files.push_back(f);
    }
    if (version.main_program.empty()) {
        error = path + " names no main program";
        return false;
    }
    return true;
}

bool install_app_version(const app_version& version, const std::string& project_dir, std::string& failed) {
    for (const app_version_file& f : version.files) {
        std::string source = version.source_dir + "/" + f.physical, target = project_dir + "/" + f.physical;
        if (file_exists(target)) continue;
        struct stat st;
        if (stat(source.c_str(), &st) || !copy_file(source, target) || chmod(target.c_str(), st.st_mode & 0777)) {
            failed = f.physical;
            return false;
        }
    }
    return true;
}

bool link_app_version(const app_version& version, const std::string& slot_dir, const std::string& project_dir) {
    for (const app_version_file& f : version.files) {
        const std::string& name = f.open_name.empty() ? f.physical : f.open_name;
        std::string source = project_dir + "/" + f.physical, target = slot_dir + "/" + name;
        struct stat st;
        if (f.copy_file ? stat(source.c_str(), &st) || !copy_file(source, target) ||
                              chmod(target.c_str(), st.st_mode & 0777)
                        : !write_soft_link(slot_dir, name, source))
            return false;
    }
    return true;
}

}  // namespace client_emulation
