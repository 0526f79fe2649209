#include "sky/catalogues.h"

const sky_position snr_list[] = {{0.0f, 0.0f}};
const int snr_count = 0;
bool show_snr = true;
