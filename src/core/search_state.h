// The search state: the one meeting place of the worker thread and the
// graphics thread.
//
//   field           written by                         read by
//   search_ra/dec   set_search_target (worker)         gunsight, search panel
//   target_state    set_search_target -> TARGET_NEW    gunsight frame step
//                   gunsight frame step -> TARGET_SHOWN
//   search_started  set_search_target (worker)         search panel
//   n_searched      read_checkpoint, set_search_target write_checkpoint, panel
//                   (both on the worker thread)
//   fraction_done   worker, before each pulsar         user panel
//   task_suspended  a graphics program's record feed   search panel notice
//                   (the in-process display never sets it: a suspended
//                   task there draws nothing at all)
//
// No lock is taken. Each field is a single-value atomic. The position is
// stored before TARGET_NEW (release) and the graphics thread loads the state
// (acquire) before the position, so seeing TARGET_NEW means seeing the
// position that came with it (or a newer one, in which case TARGET_NEW is
// set again and the next frame catches up).
#pragma once

#include <atomic>

enum { TARGET_NONE = 0, TARGET_SHOWN = 1, TARGET_NEW = 2 };

extern std::atomic<float> search_ra;
extern std::atomic<float> search_dec;       // 100.0 until the first target
extern std::atomic<int> target_state;
extern std::atomic<bool> search_started;
extern std::atomic<int> n_searched;
extern std::atomic<double> fraction_done;
extern std::atomic<bool> task_suspended;

// Worker thread: publishes the pulsar about to be searched.
void set_search_target(float ra, float dec);

// Graphics thread: TARGET_NEW -> TARGET_SHOWN, but only if no newer target
// arrived meanwhile (a target set during a rebuild is kept for the next frame).
// Called after the rebuild, it cannot tell a target set during the rebuild
// from the one it rebuilt while the state still said TARGET_NEW; a frame step
// that must never miss the last target uses take_new_target instead.
void mark_target_shown();

// Graphics thread: if a target is waiting, takes it (TARGET_NEW ->
// TARGET_SHOWN), stores its position in ra and dec and returns true; the
// caller then rebuilds the gunsight there. A target set at any later moment,
// also during that rebuild, leaves TARGET_NEW for the next frame.
bool take_new_target(float& ra, float& dec);
