// freeglut key events to Windows virtual-key codes (see keymap.h).
#include "platform/keymap.h"

#include <GL/freeglut.h>

#include <cstring>

namespace {

// The US layout's shifted digit row and punctuation keys.
int virtual_key_from_punctuation(unsigned char c) {
    static const char shifted_digits[] = ")!@#$%^&*(";   // index = digit
    const char* p = (c != 0) ? strchr(shifted_digits, c) : nullptr;
    if (p) return '0' + int(p - shifted_digits);
    switch (c) {
    case ';': case ':': return 186;
    case '=': case '+': return 187;
    case ',': case '<': return 188;
    case '-': case '_': return 189;
    case '.': case '>': return 190;
    case '/': case '?': return 191;
    case '`': case '~': return 192;
    case '[': case '{': return 219;
    case '\\': case '|': return 220;
    case ']': case '}': return 221;
    case '\'': case '"': return 222;
    }
    return -1;
}

// Xlib's control characters: Ctrl+A..Z -> 1..26, Ctrl+2 -> 0,
// Ctrl+3..7 -> 27..31, Ctrl+8 -> 127.
int virtual_key_from_control_char(unsigned char c) {
    if (c >= 1 && c <= 26) return 'A' + c - 1;
    if (c == 0) return '2';
    if (c >= 27 && c <= 31) return '3' + c - 27;
    if (c == 127) return '8';
    return -1;
}

int virtual_key_from_plain_char(unsigned char c) {
    switch (c) {
    case 8: return 8;       // Backspace
    case 9: return 9;       // Tab
    case 13: return 13;     // Return
    case 27: return 27;     // Escape
    case 32: return 32;     // Space
    case 127: return 46;    // Delete
    }
    return virtual_key_from_punctuation(c);
}

}  // namespace

int virtual_key_from_glut_char(unsigned char key, bool control_held) {
    if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
    if (key >= 'A' && key <= 'Z') return key;
    if (key >= '0' && key <= '9') return key;
    if (control_held) {
        int code = virtual_key_from_control_char(key);
        if (code >= 0) return code;
    }
    return virtual_key_from_plain_char(key);
}

int virtual_key_from_glut_special(int key) {
    if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F12) return 112 + key - GLUT_KEY_F1;
    switch (key) {
    case GLUT_KEY_LEFT: return 37;
    case GLUT_KEY_UP: return 38;
    case GLUT_KEY_RIGHT: return 39;
    case GLUT_KEY_DOWN: return 40;
    case GLUT_KEY_PAGE_UP: return 33;
    case GLUT_KEY_PAGE_DOWN: return 34;
    case GLUT_KEY_HOME: return 36;
    case GLUT_KEY_END: return 35;
    case GLUT_KEY_INSERT: return 45;
    case GLUT_KEY_DELETE: return 46;
    case GLUT_KEY_NUM_LOCK: return 144;
    case GLUT_KEY_BEGIN: return 12;          // keypad 5 without Num Lock
    case GLUT_KEY_SHIFT_L: case GLUT_KEY_SHIFT_R: return vk_shift;
    case GLUT_KEY_CTRL_L: case GLUT_KEY_CTRL_R: return vk_control;
    case GLUT_KEY_ALT_L: case GLUT_KEY_ALT_R: return 18;
    case GLUT_KEY_SUPER_L: return 91;
    case GLUT_KEY_SUPER_R: return 92;
    }
    return -1;
}
