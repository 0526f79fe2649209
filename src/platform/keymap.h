// Keys from freeglut translated to the Windows virtual-key codes that the
// program's key callbacks expect (virtual_keys.h), with the US layout for the
// punctuation keys.
//
// X11 folds Control into the character: Ctrl+letter arrives as 1..26 and
// Ctrl+2..8 as 0, 27..31 and 127, codes it shares with Ctrl+Space, Ctrl+[,
// Ctrl+/ and with Tab, Return and Backspace (Ctrl+I, M, H). With Control held
// these codes are read as the letter or digit keys, the keys the program's
// commands use.
#pragma once

#include "platform/virtual_keys.h"

// `key` as glutKeyboardFunc / glutKeyboardUpFunc pass it; `control_held`
// whether Control was down. Returns -1 for a character without a code.
int virtual_key_from_glut_char(unsigned char key, bool control_held);

// `key` as glutSpecialFunc / glutSpecialUpFunc pass it (GLUT_KEY_*, with
// freeglut's modifier keys GLUT_KEY_SHIFT_L .. GLUT_KEY_ALT_R). Returns -1 for
// a key without a code.
int virtual_key_from_glut_special(int key);
