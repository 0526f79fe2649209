#include "sky/target_marker.h"

void draw_gunsight(float ra, float dec, float size) {}
void make_gunsight_list(float ra, float dec, float size) {}
void draw_target_marker() {}
