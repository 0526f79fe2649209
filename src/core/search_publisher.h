// The computation's side of the search record: it creates the record in the
// framework's graphics shared memory and keeps it fresh for a separate
// graphics program (see core/search_record.h for the layout).
#pragma once

// Worker thread, after the framework's start-up: creates the record and
// registers the once-a-second refresh with the library's timer. Without the
// shared memory it logs one line and the computation goes on unpublished.
void start_publishing_search();

// Worker thread, right after set_search_target for catalogue index `index`:
// publishes the new target with the count and fraction done.
void publish_search_target(int index);

// Before the process ends through boinc_finish: marks the record ending.
void publish_search_ending();

// The refresh the library's timer calls once a second (any thread): time,
// fraction done, CPU time, suspended and ending. Skipped when a write of the
// worker holds the record.
void refresh_search_status();
