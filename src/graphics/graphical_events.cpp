#include "graphics/graphical_events.h"

graphical_event* event_state = nullptr;

void update_graphical_events(double dt) {}
