#include "core/checkpoint.h"

int write_checkpoint(int i) { return 1; }
int read_checkpoint() { return 0; }
