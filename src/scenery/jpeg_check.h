// A look at a JPEG file before the framework's loader gets it: the loader
// reads greyscale images past the end of its buffer and lets libjpeg end the
// process on a broken file.
#pragma once

// True only for a complete, undamaged JPEG with three colour components
// (YCbCr or RGB). Decodes the whole image into a scratch row; prints nothing.
bool jpeg_is_complete_colour(const char* path);
