// The frame's cheaper ways of drawing the grid, the title picture and the
// ripples: each must leave the picture as the plain way draws it, to a
// rounding, or change it only where the plain way was wrong.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/glyph_atlas.h"
#include "graphics/overlay.h"
#include "graphics/panels.h"
#include "graphics/text_utils.h"
#include "graphics/title_decoration.h"
#include "scenery/marble.h"
#include "scenery/textures.h"
#include "scratch.h"
#include "sky/sky_clock.h"
#include "sky/sky_sphere.h"
#include "sky_test_helpers.h"
#include "stderr_capture.h"

using namespace sky_test;

namespace {

// The frame's drawing state (as its initialisation sets it) and a camera
// outside the earth, as in the views from outside.
class FrameShortcuts : public ::testing::Test {
  protected:
    void SetUp() override {
        glShadeModel(GL_FLAT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_LINE_SMOOTH);
        fog(0.07f);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(95, 640.0 / 480, 0.5, 25);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(2.25 * 0.37, 2.25 * 0.4, 2.25 * 0.84, 0, 0, 0, 0, 1, 0);
        for (int i = 0; i < sky_layer_count; i++) {
            shown_.push_back(*sky_layers[i].shown);
            *sky_layers[i].shown = sky_layers[i].list == &grid_list;
        }
        make_grid_list(0.2501f);
    }
    void TearDown() override {
        for (int i = 0; i < sky_layer_count; i++) *sky_layers[i].shown = shown_[i];
        glShadeModel(GL_SMOOTH);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LINE_SMOOTH);
        glDisable(GL_FOG);
        glLoadIdentity();
    }
    static void fog(float density) {
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_EXP2);
        glFogf(GL_FOG_DENSITY, density);
    }
    void build_earth(bool blend) {
        dir_.link("earthlights2.jpg", TIDEWRACK_SOURCE_DIR "/data/earthlights2.jpg");
        StderrCapture quiet;
        marble_texture_tried = false;
        make_marble(marble_scale, blend);
    }

    void load_title_picture() {
        dir_.link("leftimage2.jpg", TIDEWRACK_SOURCE_DIR "/data/leftimage2.jpg");
        StderrCapture quiet;
        title_texture_tried = false;
        draw_title_decoration();
    }

  private:
    std::vector<bool> shown_;
    ScratchDir dir_;
};

}  // namespace

// The grid behind the opaque earth is left out. The earth hid it already,
// except where a line in front crossed a hidden one: there the hidden line's
// light showed through the earth, and only that goes.
TEST_F(FrameShortcuts, GridBehindTheOpaqueEarthIsLeftOutAndOnlyItsShineThroughGoes) {
    build_earth(false);
    double plane[4];
    ASSERT_TRUE(marble_hiding_plane(grid_radius(), plane));
    auto whole = rendered([] { draw_sky_layers(); draw_marble(); });
    auto hidden_left_out = rendered([&] { draw_sky_layers(plane); draw_marble(); });
    picture_difference d = compare(whole, hidden_left_out);
    EXPECT_GT(d.lit_a, 50000u) << "the earth is in the picture";
    EXPECT_EQ(d.brighter, 0u);
    EXPECT_LE(d.pixels, d.lit_a / 50);
    // The grid alone: most of the far half is gone.
    picture_difference grid = compare(rendered([] { draw_sky_layers(); }), rendered([&] { draw_sky_layers(plane); }));
    EXPECT_LT(grid.lit_b, grid.lit_a * 3 / 4);

    // No plane where the earth hides nothing for certain: from inside it,
    // with the near plane cutting it, and when it is see-through.
    for (double distance : {1.0, 1.6}) {
        glLoadIdentity();
        gluLookAt(distance * 0.37, distance * 0.4, distance * 0.84, 0, 0, 0, 0, 1, 0);
        EXPECT_FALSE(marble_hiding_plane(grid_radius(), plane)) << distance;
    }
    glLoadIdentity();
    gluLookAt(2.25 * 0.37, 2.25 * 0.4, 2.25 * 0.84, 0, 0, 0, 0, 1, 0);
    build_earth(true);
    EXPECT_FALSE(marble_hiding_plane(grid_radius(), plane));
}

// The title picture with the fog given in its colour, and, drawn at least its
// own size (a full-screen window), with a plain linear filter: both as the
// loader's mipmapped picture under the driver's fog. The window shows the top
// right corner of a 1920x1080 overlay, then the whole of a 640x480 one.
TEST_F(FrameShortcuts, TitlePictureDrawsAsTheMipmappedPictureUnderTheDriversFog) {
    load_title_picture();
    ASSERT_TRUE(title_texture.present);
    GLint loaders_filter;
    glBindTexture(GL_TEXTURE_2D, title_texture.id);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &loaders_filter);
    auto plain = [loaders_filter] {
        begin_overlay();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        mode_unshaded();
        set_white_alpha(title_opacity);
        glBindTexture(GL_TEXTURE_2D, title_texture.id);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, loaders_filter);
        draw_textured_polygon(title_texture, title_pos, title_scale, title_perimeter, 7);
        glPopAttrib();
        set_white_alpha(-1);
        end_overlay();
    };
    const GLint viewports[2][4] = {{-1280, -600, 1920, 1080}, {0, 0, 640, 480}};
    for (const auto& v : viewports) {
        SCOPED_TRACE(std::to_string(v[2]) + "x" + std::to_string(v[3]));
        glViewport(v[0], v[1], v[2], v[3]);
        auto drawn = rendered(draw_title_decoration);
        picture_difference d = compare(rendered(plain), drawn);
        EXPECT_GT(d.lit_a, 5000u) << "the picture is in the window";
        EXPECT_LE(d.over_one, 3u);   // a rare pixel on an outline may settle otherwise
        EXPECT_LE(d.pixels, d.lit_a / 50);
    }
    glViewport(0, 0, 640, 480);
}

// The corner ripples with the fog given in their colour, against the same
// factor from the driver's fog (exponential, which the frame does not use
// and so leaves to the driver). A strong fog, so that a wrong factor shows.
TEST_F(FrameShortcuts, RipplesFoggedInTheirColourDrawAsUnderTheDriversFog) {
    auto ripples = [] { draw_corner_ripples(12.5); };
    fog(0.5f);   // exp(-(0.5 x 1)^2) at the bands' depth
    auto drawn = rendered(ripples);
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, 0.25f);   // exp(-0.25 x 1), the same factor
    picture_difference d = compare(rendered(ripples), drawn);
    EXPECT_GT(d.lit_a, 5000u) << "the ripples are in the picture";
    EXPECT_LE(d.over_one, 3u);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
}

// Text drawn from the glyph texture, against freeglut's glyph-by-glyph
// bitmaps: both fonts, every printable Latin-1 glyph, at raster positions
// between pixels, blended and depth-tested under a strong fog; two calls in
// a row continue on the line, and the raster position ends up alike.
TEST_F(FrameShortcuts, TextFromTheGlyphTextureDrawsAsFreeglutsBitmaps) {
    fog(0.3f);
    // Every printable glyph, in UTF-8 as the panels' texts come: three lines,
    // each drawn in two parts.
    auto utf8 = [](int first, int last) {
        std::string s;
        for (int c = first; c <= last; c++) {
            if (c < 128) s += (char)c;
            else s += {(char)(0xC0 | c >> 6), (char)(0x80 | (c & 0x3F))};
        }
        return s;
    };
    const std::string lines[3][2] = {
        {utf8(32, 79), utf8(80, 126)}, {utf8(161, 190), utf8(191, 220)}, {utf8(221, 237), utf8(238, 255)}};
    float end[2][4];
    auto text = [&](bool glyph_texture, float (&raster)[4]) {
        return rendered([&] {
            begin_overlay();
            int row = 0;
            for (void* glut : {GLUT_BITMAP_HELVETICA_12, GLUT_BITMAP_TIMES_ROMAN_24}) {
                for (const auto& line : lines) {
                    glColor4f(0.6f, 0.7f, 1.0f, 0.8f);
                    glRasterPos3f(0.0131f, 0.0917f + 0.07f * row++, -0.5f);
                    if (glyph_texture) {
                        EXPECT_TRUE(draw_glyphs_from_atlas(glut, latin1_glyphs(line[0].c_str())));
                        EXPECT_TRUE(draw_glyphs_from_atlas(glut, latin1_glyphs(line[1].c_str())));
                    } else {
                        for (unsigned char c : latin1_glyphs((line[0] + line[1]).c_str())) glutBitmapCharacter(glut, c);
                    }
                }
            }
            glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
            end_overlay();
        });
    };
    picture_difference d = compare(text(false, end[0]), text(true, end[1]));
    EXPECT_GT(d.lit_a, 5000u) << "the text is in the picture";
    EXPECT_EQ(d.over_one, 0u);
    EXPECT_LE(d.pixels, d.lit_a / 50);
    EXPECT_EQ(end[0][0], end[1][0]);
    EXPECT_EQ(end[0][1], end[1][1]);
}
