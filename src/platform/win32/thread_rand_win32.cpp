// The Windows C library has no rand_r: the GNU C library's algorithm, so the
// busy work costs the same on both.
#include "platform/thread_rand.h"

#include <cstdlib>

int thread_rand(unsigned int* seed) {
    unsigned int next = *seed;
    next = next * 1103515245 + 12345;
    int result = (unsigned int)(next / 65536) % 2048;
    next = next * 1103515245 + 12345;
    result = (result << 10) ^ ((unsigned int)(next / 65536) % 1024);
    next = next * 1103515245 + 12345;
    result = (result << 10) ^ ((unsigned int)(next / 65536) % 1024);
    *seed = next;
    return result % ((unsigned)RAND_MAX + 1);
}
