// The graphics window and its event loop on Windows: the same modes, tick,
// throttling, client requests and safety nets as graphics_host.cpp on X11,
// with freeglut's Win32 side underneath. Windows has no X server to lose and
// no window manager destroying windows behind freeglut's back; the
// screensaver starts the graphics program full screen and embeds nothing.
#include "platform/graphics_host.h"

#include <windows.h>

#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include "boinc_api.h"
#include "graphics2.h"
#include "util.h"
#include "platform/client_channel.h"
#include "platform/frame_throttle.h"
#include "platform/gl_context.h"
#include "platform/graphics_program.h"
#include "platform/host_callbacks.h"
#include "platform/latest_init_data.h"

#include <GL/freeglut.h>

namespace {

const double tick_seconds = 0.030;
const double prefs_check_seconds = 1.0;
const int window_start_width = 640, window_start_height = 480;

pthread_t graphics_thread;
int current_mode = MODE_HIDE_GRAPHICS;
int requested_mode = -1;        // set by input callbacks, applied at the next tick
int window_id = 0;
bool window_visible = false;
bool blank_needs_clearing = false;
bool loop_ended = false;
bool glut_ready = false;
int window_x = 50, window_y = 50;
int window_width = window_start_width, window_height = window_start_height;
FrameThrottle throttle;

bool separate_program = false;
bool program_fullscreen = false;
bool (*program_step)(double now) = nullptr;

// The process ends with exit() on the worker thread (boinc_finish) or on the
// framework's timer thread (quit, abort). The exit handlers must not run
// while this thread is inside OpenGL: it holds display_mutex while it works,
// and the exit handler takes the mutex for good.
pthread_mutex_t display_mutex = PTHREAD_MUTEX_INITIALIZER;
bool display_mutex_held = false;   // by the graphics thread

void lock_display() {
    pthread_mutex_lock(&display_mutex);
    display_mutex_held = true;
}

void unlock_display() {
    display_mutex_held = false;
    pthread_mutex_unlock(&display_mutex);
}

void park_display_at_exit() {
    static bool parked = false;
    if (parked || pthread_equal(pthread_self(), graphics_thread)) return;
    parked = true;
    pthread_mutex_lock(&display_mutex);   // never released
}

void park_forever() {
    for (;;) Sleep(INFINITE);
}

void stop_display() {
    if (display_mutex_held) unlock_display();
    park_forever();
}

// freeglut's default error handler exits the process.
void on_glut_error(const char* fmt, va_list ap) {
    fprintf(stderr, "GFX: freeglut error: ");
    vfprintf(stderr, fmt, ap);
    fprintf(stderr, " - graphics stopped, computation goes on\n");
    if (pthread_equal(pthread_self(), graphics_thread)) stop_display();
}

void on_glut_warning(const char* fmt, va_list ap) {
    fprintf(stderr, "GFX: freeglut warning: ");
    vfprintf(stderr, fmt, ap);
    fprintf(stderr, "\n");
}

void init_glut() {
    static char arg0[] = "tidewrack";
    static char* argv[] = {arg0, nullptr};
    int argc = 1;
    glutInitErrorFunc(on_glut_error);
    glutInitWarningFunc(on_glut_warning);
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    // One context for the run, as on X11 (see graphics_host.cpp).
    glutSetOption(GLUT_RENDERING_CONTEXT, GLUT_USE_CURRENT_CONTEXT);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glut_ready = true;
}

bool screensaver_mode(int mode) { return mode == MODE_FULLSCREEN || mode == MODE_BLANKSCREEN; }

bool window_open() { return window_id != 0; }
bool window_shown() { return window_open() && window_visible; }

void reread_prefs() {
    glutSetWindow(window_id);
    app_graphics_reread_prefs();
}

void on_reshape(int width, int height) {
    if (current_mode == MODE_WINDOW) {
        window_width = width;
        window_height = height;
    }
    app_graphics_resize(width, height);
}

void on_display() { blank_needs_clearing = true; }

void on_window_status(int state) {
    bool visible = (state != GLUT_HIDDEN && state != GLUT_FULLY_COVERED);
    if (visible && !window_visible) restart_frame_throttle(throttle);
    window_visible = visible;
}

void window_closed_by_user() {
    window_id = 0;
    window_visible = false;
    if (separate_program || boinc_is_standalone()) loop_ended = true;
    else current_mode = MODE_HIDE_GRAPHICS;   // acknowledged at the next tick
}

void on_close() {
    if (!pthread_equal(pthread_self(), graphics_thread) || window_id == 0) return;
    window_closed_by_user();
}

void window_title(char* title, int size) {
    APP_INIT_DATA aid;
    boinc_get_init_data(aid);
    snprintf(title, size, "%s", aid.app_name[0] ? aid.app_name : "Tidewrack");
}

void create_window(int mode) {
    if (!glut_ready) init_glut();
    char title[256];
    window_title(title, sizeof title);
    if (screensaver_mode(mode)) {
        // From Windows itself: freeglut's screen size stays 0 where its
        // CreateDC("DISPLAY") fails (seen under Wine), and a window of that
        // size is refused.
        glutInitWindowPosition(0, 0);
        glutInitWindowSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    } else {
        glutInitWindowPosition(window_x, window_y);
        glutInitWindowSize(window_width, window_height);
    }
    HGLRC before = wglGetCurrentContext();
    window_id = glutCreateWindow(title);
    if (!before || wglGetCurrentContext() != before) note_new_gl_context();
    glutDisplayFunc(on_display);
    glutReshapeFunc(on_reshape);
    glutWindowStatusFunc(on_window_status);
    glutCloseFunc(on_close);
    attach_input_to_window();
    if (screensaver_mode(mode)) {
        glutFullScreen();
        glutSetCursor(GLUT_CURSOR_NONE);
    }
    window_visible = true;
    blank_needs_clearing = true;
    restart_frame_throttle(throttle);
    // After the first context, so that it runs before the exit handlers the
    // OpenGL driver registered when it started.
    static bool registered_after_driver = false;
    if (!registered_after_driver) atexit(park_display_at_exit);
    registered_after_driver = true;
    app_graphics_init();   // the new window's context is current
}

void destroy_window() {
    if (!window_id) return;
    glutSetWindow(window_id);
    if (current_mode == MODE_WINDOW) {
        window_x = glutGet(GLUT_WINDOW_X);
        window_y = glutGet(GLUT_WINDOW_Y);
    }
    int id = window_id;
    window_id = 0;
    window_visible = false;
    glutDestroyWindow(id);
    glutMainLoopEvent();   // freeglut destroys windows in its event processing
}

void set_mode(int mode) {
    if (mode == current_mode) return;
    destroy_window();
    current_mode = mode;
    if (mode != MODE_HIDE_GRAPHICS) create_window(mode);
}

void serve_client() {
    int request = next_graphics_request();
    if (request == MODE_REREAD_PREFS) {
        if (window_open()) reread_prefs();
    } else if (request == MODE_QUIT) {
        set_mode(MODE_HIDE_GRAPHICS);   // the client's task goes on
    } else if (request == MODE_HIDE_GRAPHICS || request == MODE_WINDOW ||
               request == MODE_FULLSCREEN || request == MODE_BLANKSCREEN) {
        set_mode(request);
    }
    acknowledge_graphics_mode(current_mode);
}

void check_prefs_file(double now) {
    static double next_check = 0;
    if (now < next_check || !window_open()) return;
    next_check = now + prefs_check_seconds;
    if (init_data_file_changed()) reread_prefs();
}

void clear_blank_screen() {
    GLfloat colour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(colour[0], colour[1], colour[2], colour[3]);
    glutSwapBuffers();
}

void draw_frame() {
    if (!window_shown()) return;
    glutSetWindow(window_id);
    if (current_mode == MODE_BLANKSCREEN) {
        if (blank_needs_clearing) clear_blank_screen();
        blank_needs_clearing = false;
        return;
    }
    int width = glutGet(GLUT_WINDOW_WIDTH), height = glutGet(GLUT_WINDOW_HEIGHT);
    if (width <= 0 || height <= 0) return;
    double now = dtime();
    if (!frame_allowed(throttle, now, display_cpu_seconds(), boinc_max_fps, boinc_max_gfx_cpu_frac))
        return;
    app_graphics_render(width, height, now);
    glutSwapBuffers();
}

void tick(double now) {
    if (requested_mode >= 0) {
        set_mode(requested_mode);
        requested_mode = -1;
    }
    if (program_step && !program_step(now)) {
        loop_ended = true;
        return;
    }
    serve_client();
    check_prefs_file(now);
    draw_frame();
}

// Sleeps until `deadline` or until a message arrives for this thread.
void wait_for_input(double deadline) {
    double wait = deadline - dtime();
    if (wait <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, (DWORD)(wait * 1000), QS_ALLINPUT);
}

void event_loop() {
    lock_display();
    if (separate_program) set_mode(program_fullscreen ? MODE_FULLSCREEN : MODE_WINDOW);
    else set_mode(boinc_is_standalone() ? MODE_WINDOW : MODE_HIDE_GRAPHICS);
    unlock_display();
    double next_tick = dtime();
    while (!loop_ended) {
        lock_display();
        if (glut_ready) glutMainLoopEvent();   // input, reshape, paint, close
        double now = dtime();
        if (!loop_ended && now >= next_tick) {
            tick(now);
            next_tick += tick_seconds;
            if (next_tick < now) next_tick = now + tick_seconds;   // missed ticks are not caught up
        }
        unlock_display();
        if (!loop_ended) wait_for_input(next_tick);
    }
}

}  // namespace

bool screensaver_showing() { return window_id != 0 && screensaver_mode(current_mode); }

void end_screensaver() {
    if (separate_program) {
        loop_ended = true;   // a screensaver's program ends on input
        return;
    }
    requested_mode = boinc_is_standalone() ? MODE_WINDOW : MODE_HIDE_GRAPHICS;
}

void run_graphics_host() {
    graphics_thread = pthread_self();
    atexit(park_display_at_exit);
    event_loop();
}

int run_graphics_program(int, char**, bool fullscreen, bool (*step)(double now)) {
    separate_program = true;
    program_fullscreen = fullscreen;
    program_step = step;
    graphics_thread = pthread_self();
    event_loop();
    return 0;
}
