// The Windows virtual-key codes the host passes to the key callbacks and the
// controls read. Letters and digits are the codes of their capitals and
// digits: 'A' (65) .. 'Z' (90), '0' (48) .. '9' (57).
#pragma once

enum {
    KEY_BACKSPACE = 8,
    KEY_TAB = 9,
    KEY_CLEAR = 12,           // keypad 5 without Num Lock
    KEY_RETURN = 13,
    KEY_SHIFT = 16,
    KEY_CONTROL = 17,
    KEY_ALT = 18,
    KEY_ESCAPE = 27,
    KEY_SPACE = 32,
    KEY_PAGE_UP = 33,
    KEY_PAGE_DOWN = 34,
    KEY_END = 35,
    KEY_HOME = 36,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
    KEY_INSERT = 45,
    KEY_DELETE = 46,
    KEY_DIGIT_0 = 48,
    KEY_LEFT_WINDOWS = 91,
    KEY_RIGHT_WINDOWS = 92,
    KEY_F1 = 112,             // F1 .. F12 are 112 .. 123
    KEY_NUM_LOCK = 144,
    // The punctuation keys of the US layout, unshifted and shifted.
    KEY_SEMICOLON = 186,      // ; :
    KEY_EQUALS = 187,         // = +
    KEY_COMMA = 188,          // , <
    KEY_MINUS = 189,          // - _
    KEY_PERIOD = 190,         // . >
    KEY_SLASH = 191,          // / ?
    KEY_BACKQUOTE = 192,      // ` ~
    KEY_OPEN_BRACKET = 219,   // [ {
    KEY_BACKSLASH = 220,      // \ |
    KEY_CLOSE_BRACKET = 221,  // ] }
    KEY_QUOTE = 222,          // ' "
};
