// The frame limits: at most `max_fps` frames a second, and no frame while the
// display has used more than `max_cpu_share` of the wall-clock time in
// processor time. The display's processor time is everything the process
// spends outside the worker thread: the graphics thread and the renderer's
// own threads (a software renderer draws on threads of its own).
#pragma once

struct FrameThrottle {
    double last_tick = -1;        // wall-clock time of the previous tick
    double last_cpu = -1;         // display processor time at that tick
    double until_next_frame = 0;  // seconds before the frame rate allows one
    double elapsed = 0;           // wall-clock seconds measured
    double cpu_used = 0;          // display processor seconds in that time
};

// Starts measuring afresh: a window was created or shown again.
void restart_frame_throttle(FrameThrottle& throttle);

// Called once a tick with the wall-clock time and the display's processor
// time so far (both in seconds); true when a frame may be drawn now. A zero
// limit is no limit.
bool frame_allowed(FrameThrottle& throttle, double now, double display_cpu,
                   double max_fps, double max_cpu_share);
