// Bitmap text from a texture of the font's glyphs. freeglut draws a bitmap
// font one glBitmap per glyph, and the driver handles each as a draw of its
// own: about 9 microseconds a glyph on a software renderer, over a
// millisecond a frame for the panels. The glyphs are captured once per
// context and font, exactly as freeglut draws them, and then drawn as one
// textured quad each, with the same pixels, colour, depth and fog.
#pragma once

#include <string>

// Draws `glyphs` (Latin-1 bytes) at the current raster position as
// glutBitmapCharacter would draw them one by one, and moves the raster
// position on the same way. False, with nothing drawn, where it cannot stand
// in for it exactly: feedback or selection, texturing or the alpha test on, a
// fog other than the frame's, a depth range other than the whole, or a driver
// without framebuffer objects.
bool draw_glyphs_from_atlas(void* glut_font, const std::string& glyphs);
