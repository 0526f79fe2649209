#include "platform/latest_init_data.h"

void get_latest_init_data(APP_INIT_DATA& aid) { boinc_get_init_data(aid); }
bool init_data_file_changed() { return false; }
