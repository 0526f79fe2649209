// Loading pictures by logical name into textures, and the title decoration.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "jpeg_fixtures.h"
#include "no_gl_context.h"
#include "graphics/frame.h"
#include "graphics/overlay.h"
#include "graphics/title_decoration.h"
#include "graphics/panels.h"
#include "scenery/textures.h"
#include "scratch.h"
#include "stderr_capture.h"
#include "text_files.h"
#include "sky_test_helpers.h"

using namespace sky_test;

namespace {

const std::string title_picture = TIDEWRACK_SOURCE_DIR "/data/leftimage2.jpg";
const std::string refused = "GFX: Error: could not load image from leftimage2.jpg, rc=-102.\n";

// What one frame's title decoration writes to the log.
std::string decorate_once() {
    StderrCapture log;
    draw_title_decoration();
    return log.text();
}

// A fresh start, as a graphics initialisation gives the decoration.
void forget_title_picture() {
    title_texture_tried = false;
}
// Whether the overlay routines are in this build (they belong to the frame).
bool overlay_routines_built() {
    glEnable(GL_BLEND);
    set_white_alpha(-1);
    return !glIsEnabled(GL_BLEND);
}

}  // namespace

TEST(TextureImages, MissingPictureTriesOncePerInitialisationAndDrawsNothing) {
    ScratchDir dir;
    ASSERT_TRUE(dir.ok());
    for (int init = 0; init < 2; init++) {
        forget_title_picture();
        std::string log = decorate_once() + decorate_once() + decorate_once();
        EXPECT_EQ(count_occurrences(log, "GFX: trying to load texture from leftimage2.jpg \n"), 1) << log;
        EXPECT_EQ(count_occurrences(log, refused), 1) << log;
        EXPECT_FALSE(title_texture.present);
        load_enclosing_ortho(2.0);
        EXPECT_EQ(capture_feedback(draw_title_decoration).prims.size(), 0u);
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(TextureImages, TryingLineShowsTheResolvedPathTheOthersTheLogicalName) {
    ScratchDir dir;
    dir.link("leftimage2.jpg", title_picture);
    TEXTURE_DESC tex;
    StderrCapture log;
    int rc = load_texture_image(tex, "leftimage2.jpg");
    std::string text = log.text();
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(tex.present);
    EXPECT_NE(tex.id, 0u);
    EXPECT_NE(text.find("GFX: trying to load texture from " + title_picture + " \n"), std::string::npos) << text;
    EXPECT_NE(text.find("GFX: loaded image from file leftimage2.jpg.\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Error"), std::string::npos) << text;
    // The loader's stray GL_INVALID_ENUM is not left for later checks.
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    GLuint id = tex.id;
    glDeleteTextures(1, &id);
}

TEST(TextureImages, PicturesTheLoaderCannotReadSafelyAreRefusedBeforeIt) {
    ScratchDir dir;
    ASSERT_TRUE(write_test_jpeg("grey.jpg", JpegKind::Greyscale));
    ASSERT_TRUE(write_test_jpeg("cmyk.jpg", JpegKind::Cmyk));
    ASSERT_TRUE(write_truncated_copy(title_picture, "truncated.jpg", 3000));
    ASSERT_TRUE(write_truncated_copy(title_picture, "no_end.jpg", -2));
    ASSERT_TRUE(write_text_file("text.jpg", "<html>not a picture</html>\n"));
    for (const char* file : {"grey.jpg", "cmyk.jpg", "truncated.jpg", "no_end.jpg", "text.jpg"}) {
        SCOPED_TRACE(file);
        dir.link("leftimage2.jpg", dir.path() + "/" + file);
        TEXTURE_DESC tex;
        StderrCapture log;
        EXPECT_EQ(load_texture_image(tex, "leftimage2.jpg"), -102);
        std::string text = log.text();
        EXPECT_EQ(count_occurrences(text, refused), 1) << text;
        EXPECT_EQ(count_occurrences(text, "\n"), 2) << text;   // trying + error, nothing from libjpeg
        EXPECT_FALSE(tex.present);
        EXPECT_EQ(tex.id, 0u);
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(TextureImages, NoLoadWithoutACurrentContext) {
    ScratchDir dir;
    dir.link("leftimage2.jpg", title_picture);
    TEXTURE_DESC tex;
    int rc;
    {
        NoGlContext none;
        ASSERT_TRUE(none.released());
        StderrCapture quiet;
        rc = load_texture_image(tex, "leftimage2.jpg");   // the framework's loader would crash here
    }
    EXPECT_NE(glGetString(GL_VERSION), nullptr);
    EXPECT_NE(rc, 0);
    EXPECT_FALSE(tex.present);
}

TEST(TitleDecoration, SevenCorneredPolygonWithItsTextureCoordinates) {
    ScratchDir dir;
    dir.link("leftimage2.jpg", title_picture);
    TEXTURE_DESC tex;
    {
        StderrCapture quiet;
        ASSERT_EQ(load_texture_image(tex, "leftimage2.jpg"), 0);
    }
    const float pos[3] = {0.75f, 1.07f, -1.0f}, scale[2] = {0.28f, 0.28f};
    const float perimeter[7][2] = {{0, 0.1f}, {0.9f, 0.1f}, {0.9f, 1}, {0.25f, 1}, {0.1f, 0.9f}, {0.05f, 0.8f}, {0, 0.7f}};
    load_enclosing_ortho(2.0);
    FbCapture c = capture_feedback([&] { draw_textured_polygon(tex, pos, scale, perimeter, 7); });
    ASSERT_EQ(c.count(FbPrim::Polygon), 5u);   // a 7-gon arrives as 5 triangles
    // Every corner appears with its texture coordinate; t grows downwards.
    for (auto& corner : perimeter) {
        bool found = false;
        for (auto& p : c.prims)
            for (auto& v : p.v)
                found = found || (std::fabs(v.s - corner[0]) < 1e-6 && std::fabs(v.t - corner[1]) < 1e-6 &&
                                  std::fabs(v.x - (0.75 + corner[0] * 0.28)) < tolerance &&
                                  std::fabs(v.y - (1.07 - corner[1] * 0.28)) < tolerance &&
                                  std::fabs(v.z + 1) < tolerance);
        EXPECT_TRUE(found) << corner[0] << "," << corner[1];
    }
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLuint id = tex.id;
    glDeleteTextures(1, &id);
}

// The title draws the picture as a half-opaque white polygon of seven
// corners, cut by the window's top and right edges.
TEST(TitleDecoration, TheTitleDrawsAHalfOpaqueOutlineOfThePicture) {
    ScratchDir dir;
    dir.link("leftimage2.jpg", title_picture);
    forget_title_picture();
    decorate_once();   // loads
    ASSERT_TRUE(title_texture.present);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);   // capture in overlay units
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    bool decorations = show_decorations;
    show_decorations = true;
    FbCapture c = capture_feedback(draw_title);
    show_decorations = decorations;
    // Fed back as triangles of the cut polygon.
    std::vector<FbVertex> outline;
    for (const FbPrim& p : c.prims)
        if (p.kind == FbPrim::Polygon) outline.insert(outline.end(), p.v.begin(), p.v.end());
    ASSERT_FALSE(outline.empty());
    for (const FbVertex& v : outline) {
        EXPECT_FLOAT_EQ(v.a, 0.5f);
        EXPECT_TRUE(colour_is(v, 1, 1, 1));
    }
    // The corners inside the window, in texture coordinates.
    const float corners[4][2] = {{0.25f, 1.0f}, {0.1f, 0.9f}, {0.05f, 0.8f}, {0.0f, 0.7f}};
    for (const auto& corner : corners) {
        double x = 0.75 + corner[0] * 0.28, y = 1.07 - corner[1] * 0.28;
        bool found = false;
        for (const FbVertex& v : outline)
            found = found || (std::fabs(v.x - x) < 1e-3 && std::fabs(v.y - y) < 1e-3 &&
                              std::fabs(v.s - corner[0]) < 1e-4 && std::fabs(v.t - corner[1]) < 1e-4);
        EXPECT_TRUE(found) << corner[0] << "," << corner[1];
    }
    // Nothing reaches beyond the outline's box.
    for (const FbVertex& v : outline) {
        EXPECT_GE(v.x, 0.75 - 1e-3);
        EXPECT_GE(v.y, 1.07 - 0.28 - 1e-3);
    }
}

TEST(TitleDecoration, LaterDrawingSeesTheFramesOwnStateAgain) {
    ScratchDir dir;
    dir.link("leftimage2.jpg", title_picture);
    forget_title_picture();
    {
        StderrCapture quiet;
        draw_title_decoration();   // loads
    }
    ASSERT_TRUE(title_texture.present);
    // The frame's state, as the graphics initialisation sets it.
    glShadeModel(GL_FLAT);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_FOG);
    glMatrixMode(GL_MODELVIEW);
    draw_title_decoration();
    GLint shade, src, dst, mode;
    GLboolean depth_mask;
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(shade, GL_FLAT);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_EQ(depth_mask, GL_FALSE);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    // As the decoration ends: blending off, opaque white (set_white_alpha(-1)).
    if (overlay_routines_built()) {
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0], 1.0f);
        EXPECT_EQ(colour[3], 1.0f);
    }
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    glShadeModel(GL_SMOOTH);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
}
