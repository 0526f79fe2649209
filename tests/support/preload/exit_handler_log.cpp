// Preloaded into the program by window tests: every exit handler registered
// (atexit, or __cxa_atexit without an argument) writes one line,
// "exit handler: <module>", to the program's stderr.
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

extern "C" int __cxa_atexit(void (*handler)(void*), void* arg, void* dso_handle) {
    using real_type = int (*)(void (*)(void*), void*, void*);
    static real_type real = (real_type)dlsym(RTLD_NEXT, "__cxa_atexit");
    if (!arg) {
        Dl_info info;
        const char* module = dladdr((void*)handler, &info) && info.dli_fname ? info.dli_fname : "?";
        const char* slash = strrchr(module, '/');
        char line[256];
        int n = snprintf(line, sizeof line, "exit handler: %s\n", slash ? slash + 1 : module);
        if (n > 0 && write(2, line, (size_t)n) < 0) n = 0;
    }
    return real(handler, arg, dso_handle);
}
