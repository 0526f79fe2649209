// The earth marble: its log lines, its sphere of quads, its turn and its
// blending, and what a graphics re-initialisation leaves behind.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "graphics/frame.h"
#include "gl_recorder.h"
#include "scenery/marble.h"
#include "graphics/title_decoration.h"
#include "scenery/textures.h"
#include "scratch.h"
#include "stderr_capture.h"
#include "text_files.h"
#include "sky/site_markers.h"
#include "sky/sky_clock.h"
#include "sky/sky_sphere.h"
#include "sky/target_marker.h"
#include "sky_test_helpers.h"

using namespace sky_test;

namespace {

const std::string earth_picture = TIDEWRACK_SOURCE_DIR "/data/earthlights2.jpg";

// make_marble as the graphics initialisation runs it, in a directory where
// the picture's logical name is linked (or not); returns the log.
std::string build_marble(bool blend, bool with_picture = true) {
    ScratchDir dir;
    if (with_picture) dir.link("earthlights2.jpg", earth_picture);
    StderrCapture log;
    marble_texture_tried = false;
    make_marble(marble_scale, blend);
    return log.text();
}

std::vector<unsigned int> all_list_names() {
    std::vector<unsigned int> names = {marble_list, site_lists[0], site_lists[1], site_lists[2]};
    for (int i = 0; i < sky_layer_count; i++) names.push_back(*sky_layers[i].list);
    return names;
}

int live(GLboolean (*is)(GLuint)) {
    int n = 0;
    for (GLuint id = 1; id < 4096; id++) n += is(id);
    return n;
}

}  // namespace

TEST(Marble, FirstBuildLogsLoadProjectionAndOffsetInOrder) {
    marble_image_name[0] = '\0';
    std::string log = build_marble(false);
    EXPECT_STREQ(marble_image_name, "earthlights2.jpg");
    std::regex lines(
        "GFX: trying to load texture from " + std::regex_replace(earth_picture, std::regex("[.]"), "[.]") +
        " \n(.*\n)*GFX: loaded image from file earthlights2[.]jpg[.]\n"
        "make_marble\\(\\): Projection is 0\n"
        "make_marble\\(\\): Offset 180[.]000000 is RA (-?[0-9]+[.][0-9]{6})\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(log, m, lines)) << log;
    // The logged angle is the Greenwich sidereal angle less 180, unreduced.
    double logged = std::stod(m[2].str());
    double expected = sidereal_angle(sky_time(), 180.0f);
    EXPECT_NEAR(logged, expected, 0.01);
}

TEST(Marble, SphereOfTwelveHundredFiftyQuadsTurnedToTheSiderealAngle) {
    std::string log = build_marble(false);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(log, m, std::regex("is RA (-?[0-9.]+)\n")));
    double angle = std::stod(m[1].str());
    FbCapture c = capture_list(marble_list);
    ASSERT_EQ(c.count(FbPrim::Polygon), 2500u);   // each quad as two triangles
    ASSERT_EQ(c.prims.size(), 2500u);
    for (auto& p : c.prims)
        for (auto& v : p.v) {
            EXPECT_NEAR(ra_dec_of(v).radius, 1.375, tolerance);
            EXPECT_TRUE(colour_is(v, 1, 1, 1));
            EXPECT_GE(v.s, 0.0f);
            EXPECT_LE(v.s, 1.0f);
            EXPECT_GE(v.t, 0.0f);
            EXPECT_LE(v.t, 1.0f);
        }
    // Quad (i = 0, j = 12): its first corner, longitude 0 and latitude 3.6,
    // lies at the turned RA with texture coordinate (0, 0.48).
    const FbVertex& corner = c.prims[2 * 12].v[0];
    EXPECT_NEAR(corner.s, 0.0f, 1e-6);
    EXPECT_NEAR(corner.t, 0.5f - 0.5f * (90 - 12 * 7.2f) / 90, 1e-6);
    RaDec at = ra_dec_of(corner);
    EXPECT_NEAR(angle_difference(at.ra, angle), 0, 1e-2);
    EXPECT_NEAR(at.dec, 90 - 12 * 7.2f, 1e-3);
    // The last column ends at s = 1.
    float s_max = 0;
    for (size_t k = 2 * 49 * 25; k < c.prims.size(); k++)
        for (auto& v : c.prims[k].v) s_max = std::max(s_max, v.s);
    EXPECT_EQ(s_max, 1.0f);
}

TEST(Marble, BlendingOnlyForTheInsideViewAndOffAfterEither) {
    for (bool blend : {false, true}) {
        SCOPED_TRACE(blend);
        gl_recorder_start();
        build_marble(blend);
        auto calls = gl_recorder_stop();
        std::vector<std::pair<int, double>> switches;
        for (auto& call : calls)
            if (call.kind == GlCall::Enable || call.kind == GlCall::Disable) switches.push_back({call.kind, call.value});
        std::vector<std::pair<int, double>> want = {{GlCall::Disable, GL_BLEND}};
        if (blend) want.push_back({GlCall::Enable, GL_BLEND});
        want.push_back({GlCall::Enable, GL_TEXTURE_2D});
        want.push_back({GlCall::Disable, GL_TEXTURE_2D});
        want.push_back({GlCall::Disable, GL_BLEND});
        EXPECT_EQ(switches, want);
        glEnable(GL_BLEND);
        glCallList(marble_list);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
}

// The frame skips the far side of the opaque earth where its near side hides
// it, and gives the fog as the corners' colour: the picture must stay as the
// whole sphere under the driver's fog draws it, to a rounding. Seen from
// outside (skipped), from inside the earth and with the near plane cutting
// into it (both drawn whole), and squashed as a graphical event squashes the
// scene. The fog is stronger than the frame's, so that a fog worked out
// wrongly shows.
TEST(Marble, SkippingTheHiddenSideAndFoggingByCornersLeaveThePictureAsItWas) {
    build_marble(false);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.3f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(95, 640.0 / 480, 0.5, 25);
    glMatrixMode(GL_MODELVIEW);
    struct { double distance, squash; bool skipped; } views[] = {
        {2.25, 0, true}, {8.0, 0, true}, {8.0, 0.3, true}, {1.0, 0, false}, {1.6, 0, false}};
    for (auto& v : views) {
        SCOPED_TRACE("distance " + std::to_string(v.distance) + ", squash " + std::to_string(v.squash));
        glLoadIdentity();
        gluLookAt(v.distance * 0.37, v.distance * 0.4, v.distance * 0.84, 0, 0, 0, 0, 1, 0);
        glScalef((float)(1 + v.squash), (float)(1 - v.squash), 1.0f);
        float m[16], p[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        glGetFloatv(GL_PROJECTION_MATRIX, p);
        EXPECT_EQ(marble_far_side_hidden(m, p, 0.25f * sky_radius), v.skipped);
        picture_difference d = compare(rendered([] { glCallList(marble_list); }), rendered(draw_marble));
        EXPECT_GT(d.lit_a, 1000u) << "the earth is in the picture";
        EXPECT_LE(d.over_one, 3u);   // a rare pixel on an outline may settle otherwise
        EXPECT_LE(d.pixels, d.lit_a / 50);
    }
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
}

TEST(Marble, MissingPictureLeavesNothingToDraw) {
    build_marble(false);
    std::string log = build_marble(false, false);
    EXPECT_EQ(count_occurrences(log, "GFX: trying to load texture from earthlights2.jpg \n"), 1) << log;
    EXPECT_EQ(count_occurrences(log, "GFX: Error: could not load image from earthlights2.jpg, rc=-102.\n"), 1) << log;
    EXPECT_EQ(log.find("make_marble()"), std::string::npos) << log;
    EXPECT_FALSE(marble_texture.present);
    EXPECT_EQ(capture_list(marble_list).prims.size(), 0u);
    // Later builds do not try again until the next initialisation.
    StderrCapture later;
    make_marble(marble_scale, false);
    EXPECT_EQ(later.text(), "");
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

namespace {

// The graphics initialisation and a frame's decoration, as the framework
// runs them each time it makes a window.
void initialise_graphics() {
    app_graphics_init();
    draw_title_decoration();
}

}  // namespace

TEST(GraphicsReinitialisation, TenTimesInOneContextKeepsNamesAndLeaksNothing) {
    ScratchDir dir;
    dir.link("earthlights2.jpg", earth_picture);
    dir.link("leftimage2.jpg", TIDEWRACK_SOURCE_DIR "/data/leftimage2.jpg");
    StderrCapture quiet;
    initialise_graphics();
    std::vector<unsigned int> names = all_list_names();
    int textures = live(glIsTexture), lists = live(glIsList);
    ASSERT_TRUE(marble_texture.present);
    ASSERT_TRUE(title_texture.present);
    for (int i = 0; i < 10; i++) initialise_graphics();
    EXPECT_EQ(all_list_names(), names);
    EXPECT_EQ(live(glIsTexture), textures);
    EXPECT_EQ(live(glIsList), lists);
    EXPECT_TRUE(glIsTexture(marble_texture.id));
    EXPECT_TRUE(glIsTexture(title_texture.id));
    EXPECT_EQ(capture_list(marble_list).prims.size(), 2500u);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
