// Decodes a JPEG once with an error manager that returns instead of exiting
// and that counts warnings: libjpeg reports a truncated file or damaged data
// only as a warning and fills the rest of the picture in.
#include "scenery/jpeg_check.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct checking_error_manager {
    jpeg_error_mgr std;   // first, so libjpeg's pointer is also ours
    jmp_buf on_error;
};

void jump_back(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<checking_error_manager*>(cinfo->err);
    longjmp(err->on_error, 1);
}

// Warnings are counted by libjpeg (num_warnings); nothing is printed.
void count_quietly(j_common_ptr cinfo, int msg_level) {
    if (msg_level < 0) cinfo->err->num_warnings++;
}

bool has_three_colour_components(const jpeg_decompress_struct& cinfo) {
    return cinfo.num_components == 3 &&
           (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB);
}

// Kept apart from the setjmp frame so that no local changes between setjmp
// and longjmp.
bool decode_all(jpeg_decompress_struct& cinfo) {
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
    if (!has_three_colour_components(cinfo)) return false;
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    // libjpeg's own pool: freed by jpeg_destroy_decompress, also after a longjmp.
    JSAMPARRAY rows = (*cinfo.mem->alloc_sarray)((j_common_ptr)&cinfo, JPOOL_IMAGE,
                                                 cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) return false;
    }
    jpeg_finish_decompress(&cinfo);
    return cinfo.err->num_warnings == 0;
}

}  // namespace

bool jpeg_is_complete_colour(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    jpeg_decompress_struct cinfo{};
    checking_error_manager err{};
    cinfo.err = jpeg_std_error(&err.std);
    err.std.error_exit = jump_back;
    err.std.emit_message = count_quietly;
    volatile bool ok = false;
    if (setjmp(err.on_error) == 0) {
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, f);
        ok = decode_all(cinfo);
    }
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return ok;
}
