// libFuzzer target: any preference text through parse_projectd_prefs.
// The input is copied into a buffer of exactly its size plus the closing
// zero, so AddressSanitizer sees any read past the end of the text.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "boinc_api.h"

#include "controls/project_prefs.h"
#include "graphics/view_state.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Every parse logs the whole text; keep that out of the fuzzer's output.
    // Only the C stream is replaced: sanitizer reports still reach fd 2.
    FILE* quiet = fopen("/dev/null", "w");
    if (quiet) stderr = quiet;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* text = (char*)malloc(size + 1);
    if (!text) return 0;
    memcpy(text, data, size);
    text[size] = 0;
    parse_projectd_prefs(text);
    free(text);

    // Whatever the text, the settings stay within their values.
    bool known_language = language_code == LANGUAGE_NONE || language_code == LANGUAGE_ENGLISH ||
                          language_code == LANGUAGE_DEUTSCH;
    bool known_punishment = punishment_code == PUNISHMENT_NONE ||
                            punishment_code == PUNISHMENT_MESS_DUTY ||
                            punishment_code == PUNISHMENT_KEEL_HAUL;
    if (!known_language || !known_punishment) abort();
    if (!std::isfinite(search_location_lon) || !std::isfinite(search_location_lat)) abort();
    if (show_decorations != static_decorations) abort();
    return 0;
}
