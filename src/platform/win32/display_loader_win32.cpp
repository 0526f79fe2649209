// The display on Windows is linked into the computation, with OpenGL and GLU
// delay-loaded: a host without them still starts the computation. So the
// loader checks that both DLLs load before the display starts.
#include "platform/display_loader.h"

#include <windows.h>

#include <cstdio>

namespace {

const char* const display_dlls[] = {"opengl32.dll", "glu32.dll"};

bool dll_loads(const char* name) {
    if (LoadLibraryA(name)) return true;
    fprintf(stderr, "GFX: cannot load the display: %s (error %lu) - running without graphics\n", name,
            (unsigned long)GetLastError());
    return false;
}

}  // namespace

void run_display_module(const display_module_args& args) {
    for (const char* name : display_dlls)
        if (!dll_loads(name)) for (;;) Sleep(INFINITE);
    tidewrack_display_main(&args);
}
