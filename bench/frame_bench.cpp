// Frame cost of app_graphics_render in a freeglut window of its own, at
// 640x480 and 1920x1080 (needs an X server; under Xvfb use a screen of at
// least 1920x1080). For each size: the floor (a frame that only clears and
// swaps), the whole frame, and what each piece adds (the whole frame less the
// frame with that piece switched off). Figures are processor time per frame
// summed over every thread of the process (the OpenGL driver's rasterising
// threads included, as the host's share limit counts them), and the wall time
// until glFinish. A piece under about a millisecond is within the noise of a
// shared machine. Prints figures only.
//   bench_frame [frames]
//   bench_frame --draw WxH frames   only draws whole frames, for a profiler
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "core/search_state.h"
#include "graphics/frame.h"
#include "sky/site_markers.h"
#include "sky/sky_sphere.h"
#include "sky/catalogues.h"
#include "util.h"

namespace {

double monotonic_seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

double process_cpu_seconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct cost {
    double cpu_ms = 0, wall_ms = 0;
};

double frame_time = 0;

// `frames` frames of `draw`, each finished and swapped, in eight blocks: CPU
// per frame is the least block's, as other work on the machine only adds to
// it; wall time is the median frame's.
cost measure(int frames, const std::function<void()>& draw) {
    for (int k = 0; k < 3; ++k) {
        draw();
        glFinish();
        glutSwapBuffers();
    }
    std::vector<double> cpu, wall;
    int block = std::max(1, frames / 8);
    for (int b = 0; b < 8; ++b) {
        double cpu0 = process_cpu_seconds();
        for (int k = 0; k < block; ++k) {
            double start = monotonic_seconds();
            draw();
            glFinish();
            wall.push_back(monotonic_seconds() - start);
            glutSwapBuffers();
            glutMainLoopEvent();
        }
        cpu.push_back((process_cpu_seconds() - cpu0) / block);
    }
    return {*std::min_element(cpu.begin(), cpu.end()) * 1e3, median(wall) * 1e3};
}

void full_frame(int width, int height) { app_graphics_render(width, height, frame_time += 0.03); }

struct piece {
    const char* name;
    bool* show;
};

void measure_size(int width, int height, int frames, bool report) {
    glutInitWindowSize(width, height);
    int window = glutCreateWindow("bench_frame");
    glutDisplayFunc([] {});   // frames are drawn by the loops here
    for (int k = 0; k < 10; ++k) glutMainLoopEvent();   // map the window
    app_graphics_init();
    app_graphics_resize(width, height);
    frame_time = dtime();
    auto frame = [&] { full_frame(width, height); };
    cost floor = measure(frames, [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });
    cost whole = measure(frames, frame);
    if (!report) {
        glutDestroyWindow(window);
        glutMainLoopEvent();
        return;
    }
    printf("%dx%d on %s\n", width, height, (const char*)glGetString(GL_RENDERER));
    printf("  %-30s %7.2f ms CPU  %7.2f ms wall\n", "floor (clear and swap)", floor.cpu_ms, floor.wall_ms);
    printf("  %-30s %7.2f ms CPU  %7.2f ms wall\n", "whole frame", whole.cpu_ms, whole.wall_ms);
    const piece pieces[] = {
        {"title and panels", &show_decorations}, {"corner ripples", &show_ripples},
        {"stars", &show_stars},                  {"pulsars", &show_pulsars},
        {"remnants", &show_snr},                 {"x-ray sources", &show_xray},
        {"grid and earth (show_earth)", &show_earth}, {"sites and earth (show_sites)", &show_sites},
    };
    for (const piece& p : pieces) {
        bool was = *p.show;
        *p.show = false;
        cost without = measure(frames, frame);
        *p.show = was;
        printf("  %-30s %7.2f ms CPU  %7.2f ms wall\n", p.name, whole.cpu_ms - without.cpu_ms,
               whole.wall_ms - without.wall_ms);
    }
    glutDestroyWindow(window);
    glutMainLoopEvent();
}

// Whole frames and nothing else, for perf or callgrind.
void draw_only(int width, int height, int frames) {
    glutInitWindowSize(width, height);
    glutCreateWindow("bench_frame");
    glutDisplayFunc([] {});
    for (int k = 0; k < 10; ++k) glutMainLoopEvent();
    app_graphics_init();
    app_graphics_resize(width, height);
    frame_time = dtime();
    for (int k = 0; k < frames; ++k) {
        full_frame(width, height);
        glFinish();
        glutSwapBuffers();
    }
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);

    // Both panels drawn in full: a target and some progress.
    set_search_target(83.63f, -22.01f);
    fraction_done = 0.5;
    int width, height;
    if (argc == 4 && std::string(argv[1]) == "--draw" && sscanf(argv[2], "%dx%d", &width, &height) == 2) {
        draw_only(width, height, atoi(argv[3]));
        return 0;
    }
    int frames = argc > 1 ? atoi(argv[1]) : 100;
    if (frames < 5) frames = 100;
    // The first window's frames run several times slower than any later
    // window's (the driver's start-up work): measure after a pass that is not shown.
    measure_size(640, 480, 10, false);
    measure_size(640, 480, frames, true);
    measure_size(1920, 1080, frames, true);
    return 0;
}
