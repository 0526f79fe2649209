// Preloaded into the program by bench_display: counts the buffer swaps (GLX
// or EGL), that is the frames the display really shows, into the first 8
// bytes of the file named by BENCH_SWAP_COUNT_FILE, and writes the CLOCK_MONOTONIC time of the
// first swap, in nanoseconds, into the next 8; the benchmark reads both while
// the program runs.
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

namespace {

volatile uint64_t* open_counter() {
    const char* path = getenv("BENCH_SWAP_COUNT_FILE");
    if (!path) return nullptr;
    int fd = open(path, O_RDWR);
    if (fd < 0) return nullptr;
    void* mapped = mmap(nullptr, 2 * sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return mapped == MAP_FAILED ? nullptr : static_cast<volatile uint64_t*>(mapped);
}

// Swaps come from one thread.
void count_swap() {
    static volatile uint64_t* counter = open_counter();
    if (!counter) return;
    if (counter[0] == 0) {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        counter[1] = (uint64_t)ts.tv_sec * 1000000000u + (uint64_t)ts.tv_nsec;
    }
    counter[0] = counter[0] + 1;
}

// The real function. A program that loads its display with dlopen (as the
// computation does) has the GL library outside the global scope, where
// RTLD_NEXT does not look, so the loaded library is asked as well.
void* real_function(const char* name, const char* library) {
    if (void* f = dlsym(RTLD_NEXT, name)) return f;
    void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    return handle ? dlsym(handle, name) : nullptr;
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using swap_function = void (*)(Display*, GLXDrawable);
    static swap_function real = reinterpret_cast<swap_function>(real_function("glXSwapBuffers", "libGL.so.1"));
    if (real) real(display, drawable);
    count_swap();
}

// Programs that draw through EGL (some screensavers) swap here instead.
extern "C" unsigned int eglSwapBuffers(void* display, void* surface) {
    using swap_function = unsigned int (*)(void*, void*);
    static swap_function real = reinterpret_cast<swap_function>(real_function("eglSwapBuffers", "libEGL.so.1"));
    unsigned int ok = real ? real(display, surface) : 0;
    count_swap();
    return ok;
}
