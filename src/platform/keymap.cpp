// freeglut key events to Windows virtual-key codes (see keymap.h).
#include "platform/keymap.h"

#include <GL/freeglut.h>

#include <cstring>

#include "platform/virtual_keys.h"

namespace {

// The US layout's shifted digit row and punctuation keys.
int virtual_key_from_punctuation(unsigned char c) {
    static const char shifted_digits[] = ")!@#$%^&*(";   // index = digit
    const char* p = (c != 0) ? strchr(shifted_digits, c) : nullptr;
    if (p) return KEY_DIGIT_0 + int(p - shifted_digits);
    switch (c) {
    case ';': case ':': return KEY_SEMICOLON;
    case '=': case '+': return KEY_EQUALS;
    case ',': case '<': return KEY_COMMA;
    case '-': case '_': return KEY_MINUS;
    case '.': case '>': return KEY_PERIOD;
    case '/': case '?': return KEY_SLASH;
    case '`': case '~': return KEY_BACKQUOTE;
    case '[': case '{': return KEY_OPEN_BRACKET;
    case '\\': case '|': return KEY_BACKSLASH;
    case ']': case '}': return KEY_CLOSE_BRACKET;
    case '\'': case '"': return KEY_QUOTE;
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
    case 8: return KEY_BACKSPACE;
    case 9: return KEY_TAB;
    case 13: return KEY_RETURN;
    case 27: return KEY_ESCAPE;
    case 32: return KEY_SPACE;
    case 127: return KEY_DELETE;
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
    if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F12) return KEY_F1 + key - GLUT_KEY_F1;
    switch (key) {
    case GLUT_KEY_LEFT: return KEY_LEFT;
    case GLUT_KEY_UP: return KEY_UP;
    case GLUT_KEY_RIGHT: return KEY_RIGHT;
    case GLUT_KEY_DOWN: return KEY_DOWN;
    case GLUT_KEY_PAGE_UP: return KEY_PAGE_UP;
    case GLUT_KEY_PAGE_DOWN: return KEY_PAGE_DOWN;
    case GLUT_KEY_HOME: return KEY_HOME;
    case GLUT_KEY_END: return KEY_END;
    case GLUT_KEY_INSERT: return KEY_INSERT;
    case GLUT_KEY_DELETE: return KEY_DELETE;
    case GLUT_KEY_NUM_LOCK: return KEY_NUM_LOCK;
    case GLUT_KEY_BEGIN: return KEY_CLEAR;
    case GLUT_KEY_SHIFT_L: case GLUT_KEY_SHIFT_R: return KEY_SHIFT;
    case GLUT_KEY_CTRL_L: case GLUT_KEY_CTRL_R: return KEY_CONTROL;
    case GLUT_KEY_ALT_L: case GLUT_KEY_ALT_R: return KEY_ALT;
    case GLUT_KEY_SUPER_L: return KEY_LEFT_WINDOWS;
    case GLUT_KEY_SUPER_R: return KEY_RIGHT_WINDOWS;
    }
    return -1;
}
