// Records selected OpenGL calls made by code linked into the test binary:
// the state that feedback mode does not report (point size, line width) and
// the display-list calls, and glEnable / glDisable. The binary's own definitions of these GL functions
// take the calls, note them while recording, and pass them on to the driver.
#pragma once

#include <functional>
#include <vector>

struct GlCall {
    enum Kind { PointSize, LineWidth, GenLists, NewList, EndList, DeleteLists, Enable, Disable } kind;
    double value;   // the size or width; the list name for the list calls; the capability
};

void gl_recorder_start();
std::vector<GlCall> gl_recorder_stop();

// Called after each glEndList while set (recording or not); for tests that
// act in the middle of a rebuild. Pass nullptr to clear.
void gl_recorder_on_end_list(std::function<void()> hook);

// The values of one kind of call, in order.
std::vector<double> gl_recorded(const std::vector<GlCall>& calls, GlCall::Kind kind);
