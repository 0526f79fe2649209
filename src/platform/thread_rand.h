// A pseudo-random generator whose state the caller keeps, so that each thread
// has its own (rand() shares one state between threads).
#pragma once

// The next number in 0 .. RAND_MAX from the state in *seed, as POSIX rand_r.
int thread_rand(unsigned int* seed);
