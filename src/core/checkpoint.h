// The checkpoint file ckpt_state: two integer lines, the pulsar index to
// resume at and n_searched at that moment, each written as " %d \n".
#pragma once

// Writes the checkpoint for pulsar index i; 0 when written and the framework
// told, 1 when the file cannot be written. The file is written under a
// temporary name beside it and renamed over it, so a reader never sees half
// a checkpoint. On failure the framework's critical section is left, so that
// quit and suspend still work while the next pulsar tries again.
int write_checkpoint(int i);

// The restart index, or 0 when there is no usable checkpoint. Restores
// n_searched from the second line. An empty, damaged or out-of-range file
// (first number not an int, or below 0) is logged and ignored.
int read_checkpoint();

// What read_checkpoint makes of the text of a checkpoint file: true and the
// two values when it is usable; has_count is false when the file holds only
// its first number.
struct checkpoint_values {
    int index;
    bool has_count;
    int count;
};
bool parse_checkpoint(const char* text, checkpoint_values& values);
