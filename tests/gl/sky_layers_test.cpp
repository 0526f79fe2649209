// The catalogue and grid display lists, and the sky section that replays them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/search_state.h"
#include "graphics/frame.h"
#include "gl_recorder.h"
#include "no_gl_context.h"
#include "stderr_capture.h"
#include "scenery/marble.h"
#include "sky/catalogues.h"
#include "sky/site_markers.h"
#include "sky/sky_clock.h"
#include "sky/sky_sphere.h"
#include "sky/target_marker.h"
#include "sky_test_helpers.h"
#include "util.h"

using namespace sky_test;

namespace {

void expect_at(const FbVertex& v, float ra, float dec, float radius) {
    float p[3];
    sky_point(ra, dec, radius, p);
    EXPECT_LT(distance(v, p), tolerance) << "ra " << ra << " dec " << dec;
}

void expect_ra_dec(const FbVertex& v, float ra, float dec) {
    RaDec got = ra_dec_of(v);
    EXPECT_NEAR(angle_difference(got.ra, ra), 0, 1e-3) << "ra " << ra;
    EXPECT_NEAR(got.dec, dec, 1e-3) << "dec " << dec;
    EXPECT_NEAR(got.radius, sky_radius, tolerance);
}

// The star list's points: each distinct position once, in catalogue order.
std::vector<sky_position> distinct_stars() {
    std::vector<sky_position> out;
    for (int i = 0; i < starlist_count; i++) {
        bool seen = false;
        for (auto& p : out) seen = seen || (p.ra == starlist[i].ra && p.dec == starlist[i].dec);
        if (!seen) out.push_back(starlist[i]);
    }
    return out;
}

// What each layer of the table must hold, in drawing order.
struct LayerContent {
    const char* name;
    FbPrim::Kind kind;
    size_t count;
    float colour[3];
    std::vector<double> point_sizes, line_widths;   // as set while recording
};

const LayerContent layer_contents[] = {
    {"stars", FbPrim::Point, 690, {1, 1, 1}, {3.5}, {3}},
    {"pulsars", FbPrim::Point, 1274, {0.8f, 0, 0.85f}, {3}, {}},
    {"remnants", FbPrim::Point, 231, {0.7f, 0.176f, 0}, {3}, {}},
    {"x-ray sources", FbPrim::Point, 6, {0.5f, 0.5f, 1}, {3}, {}},
    {"constellations", FbPrim::Line, 682, {0.6f, 0.6f, 0}, {}, {1}},
    {"grid", FbPrim::Line, 24 * 100 + 11 * 100, {0.6f, 0.6f, 0.6f}, {}, {1}},
};
const int layer_content_count = sizeof layer_contents / sizeof layer_contents[0];

const float grid_grey[3] = {0.6f, 0.6f, 0.6f};
const float grid_highlight[3] = {0.8f, 0.8f, 0.6f};

// The primitives of one layer's list, all of its kind and colour (the grid's
// two highlighted lines apart).
void expect_layer_holds(const sky_layer& layer, const LayerContent& want) {
    ASSERT_NE(*layer.list, 0u);
    FbCapture c = capture_list(*layer.list);
    EXPECT_EQ(c.count(want.kind), want.count);
    EXPECT_EQ(c.prims.size(), want.count);
    size_t off_colour = 0;
    for (auto& p : c.prims)
        for (auto& v : p.v) {
            bool grid_line = layer.list == &grid_list && colour_is(v, 0.8f, 0.8f, 0.6f);
            off_colour += !grid_line && !colour_is(v, want.colour[0], want.colour[1], want.colour[2]);
        }
    EXPECT_EQ(off_colour, 0u);
}

}  // namespace

TEST(SkyLayers, TheTableHoldsEveryLayerInDrawingOrder) {
    ASSERT_EQ(sky_layer_count, layer_content_count);
    for (int i = 0; i < sky_layer_count; i++) EXPECT_STREQ(sky_layers[i].name, layer_contents[i].name);
}

TEST(SkyLayers, EachListHoldsItsLayerWithItsColourAndSize) {
    ASSERT_EQ(sky_layer_count, layer_content_count);
    for (int i = 0; i < sky_layer_count; i++) {
        SCOPED_TRACE(sky_layers[i].name);
        gl_recorder_start();
        sky_layers[i].build();
        auto calls = gl_recorder_stop();
        EXPECT_EQ(gl_recorded(calls, GlCall::PointSize), layer_contents[i].point_sizes);
        EXPECT_EQ(gl_recorded(calls, GlCall::LineWidth), layer_contents[i].line_widths);
        expect_layer_holds(sky_layers[i], layer_contents[i]);
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(SkyLayers, GraphicsInitialisationBuildsEveryLayer) {
    ASSERT_EQ(sky_layer_count, layer_content_count);
    for (int i = 0; i < sky_layer_count; i++) {
        if (*sky_layers[i].list) glDeleteLists(*sky_layers[i].list, 1);
        *sky_layers[i].list = 0;
    }
    {
        StderrCapture quiet;
        app_graphics_init();
    }
    for (int i = 0; i < sky_layer_count; i++) {
        SCOPED_TRACE(sky_layers[i].name);
        expect_layer_holds(sky_layers[i], layer_contents[i]);
    }
}

TEST(SkyLayers, PointsLieWhereTheCataloguesPutThem) {
    build_sky_layers();
    std::vector<sky_position> stars = distinct_stars();
    ASSERT_EQ(stars.size(), 690u);
    struct { unsigned int list; const sky_position* entries; size_t count; } point_layers[] = {
        {star_points_list, stars.data(), stars.size()},
        {pulsar_points_list, pulsar_list, (size_t)pulsar_count},
        {snr_points_list, snr_list, (size_t)snr_count},
        {xray_points_list, xray_list, (size_t)xray_count},
    };
    for (auto& layer : point_layers) {
        FbCapture c = capture_list(layer.list);
        ASSERT_EQ(c.prims.size(), layer.count);
        for (size_t i = 0; i < layer.count; i++)
            expect_at(c.prims[i].v[0], layer.entries[i].ra, layer.entries[i].dec, sky_radius);
        // Turned back into sky coordinates: first, middle and last entries.
        for (size_t i : {(size_t)0, layer.count / 2, layer.count - 1})
            expect_ra_dec(c.prims[i].v[0], layer.entries[i].ra, layer.entries[i].dec);
    }
}

TEST(SkyLayers, ConstellationSegmentsJoinTheirTwoStars) {
    make_constellation_list();
    FbCapture c = capture_list(constellation_lines_list);
    ASSERT_EQ(c.prims.size(), (size_t)starlist_count / 2);
    for (size_t k = 0; k < c.prims.size(); k++) {
        expect_at(c.prims[k].v[0], starlist[2 * k].ra, starlist[2 * k].dec, sky_radius);
        expect_at(c.prims[k].v[1], starlist[2 * k + 1].ra, starlist[2 * k + 1].dec, sky_radius);
    }
    expect_ra_dec(c.prims[0].v[0], starlist[0].ra, starlist[0].dec);
    expect_ra_dec(c.prims.back().v[1], starlist[starlist_count - 1].ra, starlist[starlist_count - 1].dec);
}

TEST(SkyLayers, GridHasTwentyFourMeridiansElevenParallelsAndTwoHighlightedLines) {
    make_grid_list(0.2501f);
    FbCapture c = capture_list(grid_list);
    ASSERT_EQ(c.count(FbPrim::Line), 3500u);
    const double radius = 0.2501 * sky_radius;   // just outside the marble
    int meridian_zero = 0, equator = 0, grey = 0;
    for (size_t k = 0; k < c.prims.size(); k++) {
        const FbVertex& a = c.prims[k].v[0];
        const FbVertex& b = c.prims[k].v[1];
        for (auto* v : {&a, &b}) EXPECT_NEAR(ra_dec_of(*v).radius, radius, tolerance);
        if (colour_is(a, grid_highlight[0], grid_highlight[1], grid_highlight[2])) {
            bool on_meridian_zero = std::fabs(a.z) < tolerance && std::fabs(b.z) < tolerance && a.x > -tolerance;
            bool on_equator = std::fabs(a.y) < tolerance && std::fabs(b.y) < tolerance;
            meridian_zero += on_meridian_zero;
            equator += on_equator && !on_meridian_zero;
        } else {
            grey += colour_is(a, grid_grey[0], grid_grey[1], grid_grey[2]);
        }
    }
    EXPECT_EQ(meridian_zero, 100);
    EXPECT_EQ(equator, 100);
    EXPECT_EQ(grey, 3300);
    // Meridian i runs from the south pole to the north pole at RA 15 i;
    // parallel i closes on itself at Dec 90 - 15 i.
    for (int i = 0; i < 24; i++) {
        expect_at(c.prims[i * 100].v[0], 15.0f * i, -90, (float)radius);
        expect_at(c.prims[i * 100 + 99].v[1], 15.0f * i, 90, (float)radius);
    }
    for (int i = 1; i <= 11; i++) {
        const FbPrim& first = c.prims[2400 + (i - 1) * 100];
        const FbPrim& last = c.prims[2400 + (i - 1) * 100 + 99];
        expect_at(first.v[0], 0, 90.0f - 15 * i, (float)radius);
        EXPECT_LT(std::fabs(last.v[1].x - first.v[0].x) + std::fabs(last.v[1].z - first.v[0].z), tolerance);
    }
}

TEST(SkyLayers, BuildingAgainRecordsIntoTheSameNames) {
    build_sky_layers();
    std::vector<unsigned int> names;
    for (int i = 0; i < sky_layer_count; i++) names.push_back(*sky_layers[i].list);
    gl_recorder_start();
    build_sky_layers();
    auto calls = gl_recorder_stop();
    EXPECT_TRUE(gl_recorded(calls, GlCall::GenLists).empty());
    std::vector<double> recorded = gl_recorded(calls, GlCall::NewList);
    EXPECT_EQ(recorded, std::vector<double>(names.begin(), names.end()));
}

namespace {

// Every layer's switch, and the site block's.
void switch_layers(bool layers, bool sites) {
    for (int i = 0; i < sky_layer_count; i++) *sky_layers[i].shown = layers;
    show_sites = sites;
}

FbCapture capture_section(float rotation) { return capture_sky_section(rotation, dtime()); }

// What the sky section draws besides this Part's layers: the gunsight, if an
// earlier test set a target. Nothing at all before the first target.
size_t gunsight_lines() { return gunsight_list != 0 ? 44 : 0; }

}  // namespace

TEST(SkySection, EachSwitchGatesItsLayerAlone) {
    build_sky_layers();
    if (target_state.load() == TARGET_NEW) draw_target_marker();   // settle the marker first
    switch_layers(false, false);
    FbCapture none = capture_section(0);
    EXPECT_EQ(none.prims.size(), gunsight_lines());
    for (int i = 0; i < sky_layer_count; i++) {
        SCOPED_TRACE(sky_layers[i].name);
        switch_layers(false, false);
        *sky_layers[i].shown = true;
        FbCapture c = capture_section(0);
        const LayerContent& want = layer_contents[i];
        size_t extra = want.kind == FbPrim::Line ? gunsight_lines() : 0;
        EXPECT_EQ(c.count(want.kind), want.count + extra);
        EXPECT_EQ(c.prims.size(), want.count + gunsight_lines());
    }
    switch_layers(true, false);
    FbCapture all = capture_section(0);
    EXPECT_EQ(all.count(FbPrim::Point), 690u + 1274 + 231 + 6);
    EXPECT_EQ(all.count(FbPrim::Line), 682u + 3500 + gunsight_lines());
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(SkySection, ReplaysInLayerOrderTurnedBySkyRotationAndLeavesTheMatrixAlone) {
    build_sky_layers();
    switch_layers(true, false);
    GLint depth_before;
    GLfloat before[16], after[16];
    load_enclosing_ortho(6.0);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    FbCapture c;
    {
        QuietEvents quiet;
        c = capture_feedback([] { draw_sky_section(0.0, 90.0f, dtime()); });
    }
    GLint depth_after;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(depth_after, depth_before);
    for (int i = 0; i < 16; i++) EXPECT_EQ(after[i], before[i]);

    // Order: stars, pulsars, remnants, X-ray, constellations, grid.
    std::vector<sky_position> stars = distinct_stars();
    size_t at = 0;
    expect_at(c.prims[at].v[0], stars[0].ra + 90, stars[0].dec, sky_radius);
    at += 690;
    expect_at(c.prims[at].v[0], pulsar_list[0].ra + 90, pulsar_list[0].dec, sky_radius);
    at += 1274;
    expect_at(c.prims[at].v[0], snr_list[0].ra + 90, snr_list[0].dec, sky_radius);
    at += 231;
    expect_at(c.prims[at].v[0], xray_list[0].ra + 90, xray_list[0].dec, sky_radius);
    at += 6;
    ASSERT_EQ(c.prims[at].kind, FbPrim::Line);
    expect_at(c.prims[at].v[0], starlist[0].ra + 90, starlist[0].dec, sky_radius);
    at += 682;
    expect_at(c.prims[at + 100].v[1], 15 + 90, 1 * 180.0f / 100 - 90, 0.2501f * sky_radius);
}

TEST(SkySection, ListsNeverBuiltDrawNothingAndRaiseNoError) {
    // As at start, before any builder has run: every name is 0.
    unsigned int* names[] = {&star_points_list, &constellation_lines_list, &pulsar_points_list, &snr_points_list,
                             &xray_points_list, &grid_list, &gunsight_list, &marble_list,
                             &site_lists[0], &site_lists[1], &site_lists[2]};
    std::vector<unsigned int> kept;
    for (auto* name : names) kept.push_back(*name), *name = 0;
    int state = target_state.load();
    target_state.store(TARGET_NONE);
    switch_layers(true, true);
    while (glGetError() != GL_NO_ERROR) {}
    FbCapture c = capture_sky_section(0, dtime());
    EXPECT_EQ(c.prims.size(), 0u);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);   // glCallList(0) would raise GL_INVALID_VALUE
    for (size_t i = 0; i < kept.size(); i++) *names[i] = kept[i];
    target_state.store(state);
}

TEST(SkyLayers, WithoutAContextBuildersMakeNoNames) {
    // The framework calls the initialisation once before its context exists.
    unsigned int kept = star_points_list, grid = grid_list;
    star_points_list = 0;
    grid_list = 0;
    {
        NoGlContext none;
        ASSERT_TRUE(none.released());
        make_star_list();
        make_grid_list(0.2501f);
    }
    EXPECT_EQ(star_points_list, 0u);
    EXPECT_EQ(grid_list, 0u);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    star_points_list = kept;
    grid_list = grid;
}
