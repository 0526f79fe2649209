#include "sky/catalogues.h"

const sky_position pulsar_list[] = {{0.0f, 0.0f}};
const int pulsar_count = 0;
bool show_pulsars = true;
