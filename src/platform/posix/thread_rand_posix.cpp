#include "platform/thread_rand.h"

#include <cstdlib>

int thread_rand(unsigned int* seed) { return rand_r(seed); }
