// The graphics side's view of the start-up data. boinc_get_init_data() only
// returns the copy read at start-up, while a client rewrites init_data.xml
// when the volunteer changes preferences; the graphics read the file afresh.
#pragma once

#include "boinc_api.h"

// Fills `aid` with the latest start-up data (init_data.xml as it is now, or
// the library's start-up copy when there is no such file). Graphics thread.
void get_latest_init_data(APP_INIT_DATA& aid);

// True when init_data.xml has changed since the last get_latest_init_data().
bool init_data_file_changed();
