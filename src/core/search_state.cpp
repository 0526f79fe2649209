#include "core/search_state.h"

std::atomic<float> search_ra{0.0f};
std::atomic<float> search_dec{100.0f};
std::atomic<int> target_state{TARGET_NONE};
std::atomic<bool> search_started{false};
std::atomic<int> n_searched{0};
std::atomic<double> fraction_done{0.0};

void set_search_target(float ra, float dec) {}
void mark_target_shown() {}
