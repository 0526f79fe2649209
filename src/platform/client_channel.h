// The graphics messages a client sends on the shared memory's
// graphics_request channel ("<mode_window/>", "<mode_fullscreen/>", ...) and
// the mode this program acknowledges on graphics_reply. Modes are the
// framework's numbers, MODE_UNSUPPORTED .. MODE_QUIT.
#pragma once

#include "common_defs.h"

// The message of a mode ("<mode_window/>"), "" for a number out of range.
const char* graphics_mode_tag(int mode);

// The mode a graphics_request message asks for, or -1.
int graphics_mode_from_message(const char* msg);

// Under a client: the next request on graphics_request, or -1 when none is
// waiting (or standalone). Graphics thread.
int next_graphics_request();

// Under a client: sends `mode` on graphics_reply unless it is already the
// acknowledged one; a reply the client has not read yet is not overwritten,
// the acknowledgement goes out at a later call. Graphics thread.
void acknowledge_graphics_mode(int mode);
