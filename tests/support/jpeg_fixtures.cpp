#include "jpeg_fixtures.h"

#include <stdio.h>

#include <fstream>
#include <iterator>
#include <vector>

#include <jpeglib.h>

bool write_test_jpeg(const std::string& path, JpegKind kind, int w, int h) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = w;
    c.image_height = h;
    c.input_components = kind == JpegKind::Greyscale ? 1 : kind == JpegKind::Cmyk ? 4 : 3;
    c.in_color_space = kind == JpegKind::Greyscale ? JCS_GRAYSCALE : kind == JpegKind::Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row((size_t)w * c.input_components);
    for (int y = 0; y < h; y++) {
        for (size_t i = 0; i < row.size(); i++) row[i] = (JSAMPLE)((i * 7 + y * 13) & 0xff);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return fclose(f) == 0;
}

bool write_truncated_copy(const std::string& from, const std::string& to, long keep) {
    std::ifstream in(from, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return false;
    long n = keep >= 0 ? keep : (long)bytes.size() + keep;
    if (n < 0 || n > (long)bytes.size()) return false;
    std::ofstream(to, std::ios::binary).write(bytes.data(), n);
    return true;
}

bool write_text_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return (bool)out;
}
