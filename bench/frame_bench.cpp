// Frame time of app_graphics_render in a freeglut window of its own: the
// median and 90th percentile of 100 frames, each timed until glFinish, at
// 640x480 and 1920x1080 (needs an X server; under Xvfb use a screen of at
// least 1920x1080). Prints figures only.
//   bench_frame [frames]
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "core/search_state.h"
#include "graphics/frame.h"
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

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    size_t k = (size_t)(p * (v.size() - 1) + 0.5);
    return v[k];
}

void measure(int width, int height, int frames, bool show) {
    glutInitWindowSize(width, height);
    int window = glutCreateWindow("bench_frame");
    glutDisplayFunc([] {});   // frames are drawn by the loop below
    for (int k = 0; k < 10; ++k) glutMainLoopEvent();   // map the window
    app_graphics_init();
    app_graphics_resize(width, height);
    if (!show) printf("renderer: %s\n", (const char*)glGetString(GL_RENDERER));

    // A few frames first: texture loads and list warm-up are not frame cost.
    double t = dtime();
    for (int k = 0; k < 5; ++k) {
        app_graphics_render(width, height, t += 0.03);
        glFinish();
        glutSwapBuffers();
    }
    std::vector<double> times;
    double cpu0 = process_cpu_seconds(), wall0 = monotonic_seconds();
    for (int k = 0; k < frames; ++k) {
        double start = monotonic_seconds();
        app_graphics_render(width, height, t += 0.03);
        glFinish();
        times.push_back(monotonic_seconds() - start);
        glutSwapBuffers();
        glutMainLoopEvent();
    }
    double cpu = process_cpu_seconds() - cpu0, wall = monotonic_seconds() - wall0;
    if (show)
        printf("%4dx%-4d  frames %3d  median %6.2f ms  p90 %6.2f ms  min %6.2f ms  cpu/wall %.2f\n", width,
           height, frames, percentile(times, 0.5) * 1e3, percentile(times, 0.9) * 1e3,
           percentile(times, 0.0) * 1e3, cpu / wall);
    glutDestroyWindow(window);
    glutMainLoopEvent();
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 100;
    if (frames < 1) frames = 100;
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);

    // Both panels drawn in full: a target and some progress.
    set_search_target(83.63f, -22.01f);
    fraction_done = 0.5;
    // The first window's frames run several times slower than any later
    // window's (the driver's start-up work): measure after a pass that is not shown.
    measure(640, 480, frames, false);
    measure(640, 480, frames, true);
    measure(1920, 1080, frames, true);
    return 0;
}
