// The graphics side's view of the start-up data. boinc_get_init_data() only
// returns the copy read at start-up, while a client rewrites init_data.xml
// when the volunteer changes preferences; the graphics read the file afresh.
#pragma once

#include "boinc_api.h"

// Fills `aid` with the latest start-up data (init_data.xml as it is now, or
// the library's start-up copy when there is no such file or it does not
// parse). Graphics thread.
void get_latest_init_data(APP_INIT_DATA& aid);

// The same read for a caller that does not apply the preferences (a
// resize): the file is not marked as seen, so a rewrite it picked up is still
// reported by init_data_file_changed and re-read by the preference check.
void peek_latest_init_data(APP_INIT_DATA& aid);

// True when init_data.xml has changed (modification time, size or file)
// since the last get_latest_init_data(), or exists and was never read by it.
bool init_data_file_changed();

// dest = src without leaking dest's preference text: the library's copy
// operation overwrites that pointer without freeing it.
void replace_init_data(APP_INIT_DATA& dest, const APP_INIT_DATA& src);
