// freeglut key events to the virtual-key codes the program's key table uses.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include "platform/keymap.h"

namespace {

struct CharCase {
    unsigned char key;
    bool control;
    int code;
    const char* what;
};

const CharCase char_cases[] = {
    {'a', false, 65, "a"},
    {'A', false, 65, "Shift+A"},
    {'z', false, 90, "z"},
    {'Z', false, 90, "Shift+Z"},
    {1, true, 65, "Ctrl+A (control character)"},
    {2, true, 66, "Ctrl+B"},
    {17, true, 81, "Ctrl+Q"},
    {23, true, 87, "Ctrl+W"},
    {26, true, 90, "Ctrl+Z"},
    {'w', true, 87, "release of W after Control"},
    {'0', false, 48, "0"},
    {'0', true, 48, "Ctrl+0"},
    {'9', false, 57, "9"},
    {')', false, 48, "Shift+0"},
    {'!', false, 49, "Shift+1"},
    {'(', false, 57, "Shift+9"},
    {0, true, 50, "Ctrl+2 (NUL)"},
    {27, true, 51, "Ctrl+3"},
    {31, true, 55, "Ctrl+7"},
    {127, true, 56, "Ctrl+8"},
    {27, false, 27, "Escape"},
    {13, false, 13, "Return"},
    {9, false, 9, "Tab"},
    {8, false, 8, "Backspace"},
    {' ', false, 32, "Space"},
    {127, false, 46, "Delete"},
    {',', false, 188, "comma"},
    {'/', false, 191, "slash"},
    {'~', false, 192, "tilde"},
    {1, false, -1, "control character without Control"},
    {200, false, -1, "Latin-1 letter"},
};

TEST(Keymap, CharactersGiveTheirKeysCode) {
    for (const CharCase& c : char_cases)
        EXPECT_EQ(virtual_key_from_glut_char(c.key, c.control), c.code) << c.what;
}

TEST(Keymap, EveryLetterWithAndWithoutShiftOrControl) {
    for (int i = 0; i < 26; i++) {
        EXPECT_EQ(virtual_key_from_glut_char('a' + i, false), 'A' + i);
        EXPECT_EQ(virtual_key_from_glut_char('A' + i, false), 'A' + i);
        EXPECT_EQ(virtual_key_from_glut_char(1 + i, true), 'A' + i);
    }
}

struct SpecialCase {
    int key;
    int code;
    const char* what;
};

const SpecialCase special_cases[] = {
    {GLUT_KEY_CTRL_L, 17, "left Control"},
    {GLUT_KEY_CTRL_R, 17, "right Control"},
    {GLUT_KEY_SHIFT_L, 16, "left Shift"},
    {GLUT_KEY_SHIFT_R, 16, "right Shift"},
    {GLUT_KEY_ALT_L, 18, "Alt"},
    {GLUT_KEY_PAGE_UP, 33, "Page Up"},
    {GLUT_KEY_PAGE_DOWN, 34, "Page Down"},
    {GLUT_KEY_LEFT, 37, "Left"},
    {GLUT_KEY_UP, 38, "Up"},
    {GLUT_KEY_RIGHT, 39, "Right"},
    {GLUT_KEY_DOWN, 40, "Down"},
    {GLUT_KEY_HOME, 36, "Home"},
    {GLUT_KEY_END, 35, "End"},
    {GLUT_KEY_INSERT, 45, "Insert"},
    {GLUT_KEY_DELETE, 46, "Delete"},
    {GLUT_KEY_F1, 112, "F1"},
    {GLUT_KEY_F5, 116, "F5"},
    {GLUT_KEY_F12, 123, "F12"},
    {0x50, -1, "unknown special key"},
};

TEST(Keymap, SpecialKeysGiveTheirKeysCode) {
    for (const SpecialCase& c : special_cases)
        EXPECT_EQ(virtual_key_from_glut_special(c.key), c.code) << c.what;
}

}  // namespace
