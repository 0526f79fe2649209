// Finding and loading the display module. Under a client the module is a
// file of the app version, linked into the slot under its logical name like
// the pictures; standalone, or when the slot has no such file, it lies
// beside the executable.
#include "platform/display_loader.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "boinc_api.h"

namespace {

bool file_exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string beside_executable(const char* name) {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return std::string("./") + name;
    exe[n] = '\0';
    std::string dir(exe);
    return dir.substr(0, dir.rfind('/') + 1) + name;
}

std::string display_module_path() {
    if (!boinc_is_standalone()) {
        char resolved[PATH_MAX];
        if (boinc_resolve_filename(DISPLAY_MODULE_NAME, resolved, sizeof resolved) == 0 &&
            file_exists(resolved)) {
            std::string path = resolved;
            // dlopen searches the library path for a name without a slash.
            return path.find('/') == std::string::npos ? "./" + path : path;
        }
    }
    return beside_executable(DISPLAY_MODULE_NAME);
}

}  // namespace

void run_display_module(const display_module_args& args) {
    std::string path = display_module_path();
    display_module_entry* entry = nullptr;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module) entry = (display_module_entry*)dlsym(module, DISPLAY_MODULE_ENTRY);
    if (!entry) {
        const char* why = dlerror();
        fprintf(stderr, "GFX: cannot load the display: %s - running without graphics\n",
                why ? why : path.c_str());
        for (;;) pause();
    }
    entry(&args);
}
