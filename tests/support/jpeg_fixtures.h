// Small JPEG files written with libjpeg at test time, good and bad.
#pragma once

#include <string>

enum class JpegKind { Colour, Greyscale, Cmyk };

// A w x h picture of the given kind; false if it could not be written.
bool write_test_jpeg(const std::string& path, JpegKind kind, int w = 16, int h = 8);
// Copies the first `keep` bytes of `from` (a negative keep drops that many at the end).
bool write_truncated_copy(const std::string& from, const std::string& to, long keep);
bool write_text_file(const std::string& path, const std::string& text);
