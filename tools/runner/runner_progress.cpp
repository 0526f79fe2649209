// The runner's report: one line per event, and on a terminal a progress bar
// that the lines clear and that comes back every half second.
#include <stdarg.h>
#include <stdio.h>

#include <string>

#include "runner.h"
#include "util.h"

namespace runner {

using namespace client_emulation;

bool terminal = false;

namespace {

bool bar_shown = false;
double next_bar = 0;

std::string clock_text(double seconds) {
    int s = (int)seconds;
    char buf[32];
    snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

void draw_bar() {
    if (!terminal || !child) return;
    const int width = 30;
    double f = fraction < 0 ? 0 : fraction;
    int filled = (int)(f * width + 0.5);
    std::string bar(filled, '#');
    bar.append(width - filled, '.');
    printf("\r\033[K%6.2f%% [%s] CPU %s  elapsed %s", f * 100, bar.c_str(),
           clock_text(current_cpu).c_str(), clock_text(now() - episode_start).c_str());
    fflush(stdout);
    bar_shown = true;
}

}  // namespace

double now() { return dtime() - runner_start; }

void clear_bar() {
    if (bar_shown) {
        fputs("\r\033[K", stdout);
        bar_shown = false;
    }
}

void say(const char* fmt, ...) {
    clear_bar();
    va_list ap;
    va_start(ap, fmt);
    printf("[client %7.2f] ", now());
    vprintf(fmt, ap);
    va_end(ap);
    fflush(stdout);
}

void draw_bar_now_and_then() {
    if (!plain_output && now() >= next_bar) {
        draw_bar();
        next_bar = now() + 0.5;
    }
}

}  // namespace runner
