// The JPEG check that stands before the framework's texture loader, and the
// marble's texture mapping.
#include <gtest/gtest.h>

#include "jpeg_fixtures.h"
#include "scenery/jpeg_check.h"
#include "scenery/marble.h"
#include "scratch.h"
#include "stderr_capture.h"

TEST(JpegCheck, AcceptsCompleteColourPictures) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    ASSERT_TRUE(write_test_jpeg("colour.jpg", JpegKind::Colour, 33, 17));
    EXPECT_TRUE(jpeg_is_complete_colour("colour.jpg"));
    EXPECT_TRUE(jpeg_is_complete_colour(TIDEWRACK_SOURCE_DIR "/data/earthlights2.jpg"));
    EXPECT_TRUE(jpeg_is_complete_colour(TIDEWRACK_SOURCE_DIR "/data/leftimage2.jpg"));
}

TEST(JpegCheck, RefusesWhatTheLoaderCannotReadSafely) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    ASSERT_TRUE(write_test_jpeg("grey.jpg", JpegKind::Greyscale));
    ASSERT_TRUE(write_test_jpeg("cmyk.jpg", JpegKind::Cmyk));
    ASSERT_TRUE(write_test_jpeg("colour.jpg", JpegKind::Colour, 64, 64));
    ASSERT_TRUE(write_truncated_copy("colour.jpg", "no_eoi.jpg", -2));
    ASSERT_TRUE(write_truncated_copy("colour.jpg", "half.jpg", 400));
    ASSERT_TRUE(write_truncated_copy("colour.jpg", "header_only.jpg", 20));
    ASSERT_TRUE(write_text_file("text.jpg", "not a picture\n"));
    ASSERT_TRUE(write_text_file("empty.jpg", ""));
    StderrCapture log;   // libjpeg must not print either
    for (const char* name : {"grey.jpg", "cmyk.jpg", "no_eoi.jpg", "half.jpg", "header_only.jpg",
                             "text.jpg", "empty.jpg", "missing.jpg", "."}) {
        EXPECT_FALSE(jpeg_is_complete_colour(name)) << name;
    }
    EXPECT_EQ(log.text(), "");
}

TEST(MarbleTextureCoords, SpanThePictureFromTheNorthWestCorner) {
    float s, t;
    marble_texture_coords(0, 90, &s, &t);
    EXPECT_EQ(s, 0.0f);
    EXPECT_EQ(t, 0.0f);
    marble_texture_coords(360, -90, &s, &t);
    EXPECT_EQ(s, 1.0f);
    EXPECT_EQ(t, 1.0f);
    marble_texture_coords(180, 0, &s, &t);
    EXPECT_EQ(s, 0.5f);
    EXPECT_EQ(t, 0.5f);
    // The last column of quads ends where the picture does.
    marble_texture_coords(49 * 7.2f + 7.2f, 90 - 24 * 7.2f - 7.2f, &s, &t);
    EXPECT_EQ(s, 1.0f);
    EXPECT_NEAR(t, 1.0f, 1e-6);
}
