// The four view presets: each sets many view values and switches at once and
// rebuilds the site markers and the earth marble.
#pragma once

void preset_reset_view();
void preset_world_view();
void preset_inside_view();
void preset_outside_view();
