// Text for the panels: UTF-8 names as the fonts' Latin-1 glyphs, lines cut
// to their buffer, and the time of day.
#include "graphics/text_utils.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of a sequence from its lead byte and the allowed range of its
// second byte (which rules out overlong forms, surrogates and > U+10FFFF);
// 0 for a byte that cannot start a sequence.
int sequence_length(unsigned char lead, unsigned char* low, unsigned char* high) {
    *low = 0x80;
    *high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0) *low = 0xA0;
        if (lead == 0xED) *high = 0x9F;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0) *low = 0x90;
        if (lead == 0xF4) *high = 0x8F;
        return 4;
    }
    return 0;
}

// Drops a UTF-8 lead byte and its continuation bytes left dangling at the end.
void trim_partial_character(char* buffer) {
    size_t n = strlen(buffer);
    size_t start = n;
    while (start > 0 && (buffer[start - 1] & 0xC0) == 0x80) --start;
    if (start == 0) return;
    unsigned char lead = buffer[start - 1];
    size_t have = n - start + 1;
    size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (lead >= 0xC0 && have < need) buffer[start - 1] = '\0';
}

}  // namespace

std::string latin1_glyphs(const char* utf8) {
    std::string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        unsigned char lead = *p++;
        if (lead < 0x80) {
            out += (char)lead;
            continue;
        }
        unsigned char low, high;
        int length = sequence_length(lead, &low, &high);
        if (length == 0) {
            out += '?';
            continue;
        }
        // Take continuation bytes while they fit; a sequence cut short
        // stands for one '?' and decoding resumes at the byte that broke it.
        unsigned long code = lead & (0xFF >> (length + 1));
        int taken = 1;
        while (taken < length) {
            unsigned char c = *p;
            bool fits = taken == 1 ? (c >= low && c <= high) : is_continuation(c);
            if (!fits) break;
            code = (code << 6) | (c & 0x3F);
            ++p;
            ++taken;
        }
        out += (taken == length && code <= 0xFF) ? (char)code : '?';
    }
    return out;
}

void format_line(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int written = vsnprintf(buffer, size, format, args);
    va_end(args);
    if (written >= 0 && (size_t)written >= size) trim_partial_character(buffer);
}

int seconds_into_day(double t) {
    if (!std::isfinite(t)) return 0;
    double s = std::fmod(std::trunc(t), 86400.0);
    if (s < 0) s += 86400.0;
    return (int)s;
}
