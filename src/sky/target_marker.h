// The gunsight: two orange rings and four ticks around the current target.
#pragma once

// The marker's list name: 0 until the first target has been drawn. Written
// by make_gunsight_list, read by draw_target_marker (graphics thread).
extern unsigned int gunsight_list;

void draw_gunsight(float ra, float dec, float size);
void make_gunsight_list(float ra, float dec, float size);

// Frame step: rebuild at the latest target if the worker moved it, then replay.
void draw_target_marker();
