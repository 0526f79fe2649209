// The graphics program's side of the search record: once a tick it reads the
// record the computation publishes and passes it on through the search state,
// so that the display draws the computation's target and progress with the
// same code as in the computation's own process.
#pragma once

enum { FEED_WAITING = 0, FEED_LIVE = 1, FEED_ENDED = 2 };

// FEED_WAITING: no usable record yet (no shared memory, a fresh one not yet
// stamped, or one refused for its magic, version or size: logged once, never
// read); the sky shows no target. FEED_LIVE: the search state holds the
// record's target, count, fraction done and suspension. FEED_ENDED: the
// computation is ending, or its record is more than 10 s old.
int feed_search_state(double now);
