// The checkpoint file ckpt_state: two integer lines, the pulsar index to
// resume at and n_searched at that moment.
#pragma once

// Writes the checkpoint for pulsar index i; 0 when written and the framework
// told, 1 when the file cannot be written.
int write_checkpoint(int i);

// The restart index, or 0 when there is no usable checkpoint. Restores
// n_searched from the second line.
int read_checkpoint();
