// Frame-rate and processor-share limits for the display (see frame_throttle.h).
#include "platform/frame_throttle.h"

namespace {

// The share is measured over the last 10 to 20 seconds, so a burst of costly
// frames is paid for soon after and an old quiet spell gives no credit.
const double share_horizon = 20.0;

}  // namespace

void restart_frame_throttle(FrameThrottle& throttle) { throttle = FrameThrottle(); }

bool frame_allowed(FrameThrottle& throttle, double now, double display_cpu,
                   double max_fps, double max_cpu_share) {
    double interval = (throttle.last_tick < 0) ? 0 : now - throttle.last_tick;
    double cpu = (throttle.last_cpu < 0) ? 0 : display_cpu - throttle.last_cpu;
    if (interval < 0 || interval > 1.0) interval = cpu = 0;   // clock step or a stall
    if (cpu < 0) cpu = 0;
    throttle.last_tick = now;
    throttle.last_cpu = display_cpu;

    bool allowed = true;
    if (max_fps > 0) {
        throttle.until_next_frame -= interval;
        if (throttle.until_next_frame <= 0) throttle.until_next_frame += 1.0 / max_fps;
        else allowed = false;
    }
    if (max_cpu_share > 0) {
        throttle.elapsed += interval;
        throttle.cpu_used += cpu;
        if (throttle.elapsed > share_horizon) {
            throttle.elapsed /= 2;
            throttle.cpu_used /= 2;
        }
        if (throttle.elapsed > 0 && throttle.cpu_used / throttle.elapsed > max_cpu_share) {
            allowed = false;
        }
    }
    return allowed;
}
