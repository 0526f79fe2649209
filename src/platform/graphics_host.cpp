// The graphics window and its event loop on the graphics thread: window,
// full-screen and blank-screen modes, the 30 ms tick with throttled frames,
// the client's graphics requests, and the safety nets that keep a failing
// display from ending the computation. What differs by window system lies
// behind window_system.h.
#include "platform/graphics_host.h"

#include <pthread.h>
#include <stdarg.h>
#include <stdlib.h>
#include <stdio.h>

#include <chrono>
#include <thread>

#include "boinc_api.h"
#include "graphics2.h"
#include "util.h"
#include "platform/client_channel.h"
#include "platform/frame_throttle.h"
#include "platform/gl_context.h"
#include "platform/graphics_program.h"
#include "platform/host_callbacks.h"
#include "platform/latest_init_data.h"
#include "platform/window_system.h"

#include <GL/freeglut.h>

namespace {

const double tick_seconds = 0.030;
const double prefs_check_seconds = 1.0;
const double embedding_check_seconds = 0.25;
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

// A graphics program of its own (run_graphics_program) rather than a display
// inside the computation: it ends when its window goes or input ends full
// screen, and calls its step on every tick.
bool separate_program = false;
bool program_fullscreen = false;
bool (*program_step)(double now) = nullptr;
int program_argc = 0;
char** program_argv = nullptr;
// Whether our window sits inside another program's window: then it is a
// screensaver, which input without Control ends.
bool embedded = false;

// Another thread ends the process with exit(): the worker inside
// boinc_finish, and on Windows the framework's timer thread (quit, abort).
// The exit handlers, freeglut's among them, must not run while this thread is
// inside OpenGL or the window system: it holds display_mutex while it works,
// and the exit handler takes the mutex for good, leaving this thread parked
// between ticks.
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
    if (parked || on_graphics_thread()) return;
    parked = true;
    pthread_mutex_lock(&display_mutex);   // never released
}

[[noreturn]] void park_forever() {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
}

// freeglut's default error handler exits the process.
void on_glut_error(const char* fmt, va_list ap) {
    fprintf(stderr, "GFX: freeglut error: ");
    vfprintf(stderr, fmt, ap);
    fprintf(stderr, " - graphics stopped, computation goes on\n");
    if (on_graphics_thread()) stop_display();
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
    window_system_init_glut(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glut_ready = true;
}

bool screensaver_mode(int mode) { return mode == MODE_FULLSCREEN || mode == MODE_BLANKSCREEN; }

bool window_open() { return window_id != 0; }
bool window_shown() { return window_open() && window_visible; }

// Preferences are re-read with the window's context current: the program may
// rebuild its display lists.
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

// The user closed the window: standalone that ends the event loop (and
// boinc_init_graphics returns); under a client the graphics are hidden.
void window_closed_by_user() {
    window_id = 0;
    window_visible = false;
    if (separate_program || boinc_is_standalone()) loop_ended = true;
    else current_mode = MODE_HIDE_GRAPHICS;   // acknowledged at the next tick
}

// freeglut calls this for every window that goes: the user's close, our own
// glutDestroyWindow (window_id is already 0 then) and its clean-up at exit.
void on_close() {
    if (!on_graphics_thread() || window_id == 0) return;
    window_closed_by_user();
}

// freeglut ignores its window being destroyed by another program (a window
// manager, xdotool windowclose, an embedder that went): a close all the same.
void forget_window_destroyed_elsewhere() {
    int id = window_id;
    window_system_window_gone();
    window_closed_by_user();
    glutDestroyWindow(id);
}

void check_window_destroyed_elsewhere() {
    if (window_id && window_system_destroyed_elsewhere()) forget_window_destroyed_elsewhere();
}

void window_title(char* title, int size) {
    APP_INIT_DATA aid;
    boinc_get_init_data(aid);
    snprintf(title, size, "%s", aid.app_name[0] ? aid.app_name : "Tidewrack");
}

// Full screen and blank screen cover the screen from its corner. Without a
// window manager glutFullScreen alone moves the window by minus its offset
// (to -50,-50 for a window at 50,50), so it is placed there as well.
void place_window(int mode) {
    if (screensaver_mode(mode)) {
        int width, height;
        window_system_screen_size(&width, &height);
        glutPositionWindow(0, 0);
        glutReshapeWindow(width, height);
        if (!glutGet(GLUT_FULL_SCREEN)) glutFullScreen();
        glutSetCursor(GLUT_CURSOR_NONE);
    } else {
        if (glutGet(GLUT_FULL_SCREEN)) glutLeaveFullScreen();
        glutPositionWindow(window_x, window_y);
        glutReshapeWindow(window_width, window_height);
        glutSetCursor(GLUT_CURSOR_INHERIT);
    }
}

// The window is shown in a new mode: the program starts its graphics as for
// a new window (the context, and with it the pictures, stay).
void start_showing() {
    attach_input_to_window();
    window_visible = true;
    blank_needs_clearing = true;
    restart_frame_throttle(throttle);
    app_graphics_init();   // the window's context is current
}

void create_window(int mode) {
    if (!glut_ready) init_glut();
    char title[256];
    window_title(title, sizeof title);
    if (screensaver_mode(mode)) {
        int width, height;
        window_system_screen_size(&width, &height);
        glutInitWindowPosition(0, 0);
        glutInitWindowSize(width, height);
    } else {
        glutInitWindowPosition(window_x, window_y);
        glutInitWindowSize(window_width, window_height);
    }
    // A window closed by the user or destroyed elsewhere took its context
    // with it.
    window_system_release_closed_context();
    gl_context_id before = current_gl_context();
    window_id = glutCreateWindow(title);
    if (!same_gl_context(before, current_gl_context())) note_new_gl_context();
    glutDisplayFunc(on_display);
    glutReshapeFunc(on_reshape);
    glutWindowStatusFunc(on_window_status);
    glutCloseFunc(on_close);
    window_system_window_made(separate_program ? program_argc : 0, program_argv);
    if (!window_system_embed_window() && screensaver_mode(mode)) place_window(mode);
    // Again after the first context, so that it runs before the exit
    // handlers the OpenGL driver registered when it started; later contexts
    // reuse the driver.
    static bool registered_after_driver = false;
    if (!registered_after_driver) atexit(park_display_at_exit);
    registered_after_driver = true;
    start_showing();
}

void remember_window_place() {
    if (current_mode != MODE_WINDOW || !window_open()) return;
    glutSetWindow(window_id);
    window_x = glutGet(GLUT_WINDOW_X);
    window_y = glutGet(GLUT_WINDOW_Y);
}

// One window for the run, shown, hidden and moved between window and full
// screen: a window made anew for each mode would need a context of its own,
// and each context its own copy of the pictures.
void set_mode(int mode) {
    if (mode == current_mode) return;
    remember_window_place();
    int before = current_mode;
    current_mode = mode;
    if (!window_open()) {
        if (mode != MODE_HIDE_GRAPHICS) create_window(mode);
        return;
    }
    glutSetWindow(window_id);
    if (mode == MODE_HIDE_GRAPHICS) {
        window_visible = false;
        glutHideWindow();
        return;
    }
    place_window(mode);
    if (before == MODE_HIDE_GRAPHICS) glutShowWindow();
    start_showing();
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

// A client rewrites init_data.xml when the volunteer's preferences change.
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

// The graphics program inside a screensaver helper's window: kept mapped and
// covering it, and ended with it.
void follow_embedder(double now) {
    static double next_check = 0;
    if (!separate_program || !window_open() || now < next_check) return;
    next_check = now + embedding_check_seconds;
    window_place place = window_system_follow_embedding();
    if (place == WINDOW_GONE) {
        forget_window_destroyed_elsewhere();
        return;
    }
    if (place == WINDOW_EMBEDDED && !embedded) {
        fprintf(stderr, "GFX: shown inside another program's window, as a screensaver.\n");
        glutSetWindow(window_id);
        glutSetCursor(GLUT_CURSOR_NONE);
    }
    embedded = place == WINDOW_EMBEDDED;
}

void tick(double now) {
    follow_embedder(now);
    if (loop_ended) return;
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

void event_loop() {
    lock_display();
    if (separate_program) set_mode(program_fullscreen ? MODE_FULLSCREEN : MODE_WINDOW);
    else set_mode(boinc_is_standalone() ? MODE_WINDOW : MODE_HIDE_GRAPHICS);
    unlock_display();
    double next_tick = dtime();
    while (!loop_ended) {
        lock_display();
        check_window_destroyed_elsewhere();
        if (glut_ready) glutMainLoopEvent();   // input, reshape, expose, close
        double now = dtime();
        if (!loop_ended && now >= next_tick) {
            tick(now);
            next_tick += tick_seconds;
            if (next_tick < now) next_tick = now + tick_seconds;   // missed ticks are not caught up
        }
        window_system_prepare_wait(window_open());
        unlock_display();
        double wait = next_tick - dtime();
        if (!loop_ended && wait > 0) window_system_wait(wait);
    }
}

}  // namespace

bool on_graphics_thread() { return pthread_equal(pthread_self(), graphics_thread); }

void stop_display() {
    if (display_mutex_held) unlock_display();
    park_forever();
}

bool screensaver_showing() { return window_id != 0 && (screensaver_mode(current_mode) || embedded); }

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
    if (!window_system_available()) {
        fprintf(stderr, "GFX: no display available - running without graphics\n");
        park_forever();
    }
    event_loop();
}

int run_graphics_program(int argc, char** argv, bool fullscreen, bool (*step)(double now)) {
    separate_program = true;
    program_fullscreen = fullscreen;
    program_step = step;
    program_argc = argc;
    program_argv = argv;
    graphics_thread = pthread_self();
    if (!window_system_available()) {
        fprintf(stderr, "GFX: no display available - nothing to show\n");
        return 1;
    }
    if (window_system_hands_us_a_window()) program_fullscreen = true;
    event_loop();
    return 0;
}
