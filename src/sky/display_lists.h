// Display-list helpers shared by the sky and the scenery.
#pragma once

// Generates `name` if it has none yet and opens it for recording; false
// (nothing opened) when no name can be had, as without a current context.
bool begin_list(unsigned int& name);
// Replays a list; name 0 (never built) draws nothing and raises no GL error.
void call_list(unsigned int name);
