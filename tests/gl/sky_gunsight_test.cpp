// The gunsight: its shape around a target, and the handshake with the worker
// through the search state.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "core/search_state.h"
#include "gl_recorder.h"
#include "sky/catalogues.h"
#include "sky/sky_clock.h"
#include "sky/sky_sphere.h"
#include "sky/target_marker.h"
#include "sky_test_helpers.h"

using namespace sky_test;

namespace {

// Great-circle distance in degrees between a feedback vertex and (ra, dec).
double degrees_from(const FbVertex& v, float ra, float dec) {
    float p[3];
    sky_point(ra, dec, sky_radius, p);
    double chord = distance(v, p);
    return 2 * std::asin(chord / (2 * sky_radius)) * 180 / pi;
}

// The centre of the drawn marker: the middle of the two ends of its inner ring
// lie on opposite sides of it. Returned as the target's RA/Dec.
void expect_gunsight_around(const FbCapture& c, float ra, float dec, float size) {
    ASSERT_EQ(c.count(FbPrim::Line), 44u);
    ASSERT_EQ(c.prims.size(), 44u);
    for (int k = 0; k < 20; k++) {
        EXPECT_NEAR(degrees_from(c.prims[k].v[0], ra, dec), size, 1e-3) << "inner " << k;
        EXPECT_NEAR(degrees_from(c.prims[20 + k].v[0], ra, dec), 3 * size, 1e-3) << "outer " << k;
    }
    for (int k = 40; k < 44; k++) {
        EXPECT_NEAR(degrees_from(c.prims[k].v[0], ra, dec), size, 1e-3) << "tick " << k;
        EXPECT_NEAR(degrees_from(c.prims[k].v[1], ra, dec), 4 * size, 1e-3) << "tick " << k;
    }
    for (auto& p : c.prims)
        for (auto& v : p.v) {
            EXPECT_TRUE(colour_is(v, 1, 0.5f, 0));
            EXPECT_NEAR(ra_dec_of(v).radius, sky_radius, tolerance);
        }
}

size_t rebuilds(const std::vector<GlCall>& calls) { return gl_recorded(calls, GlCall::NewList).size(); }

}  // namespace

TEST(Gunsight, BeforeTheFirstTargetNothingIsDrawn) {
    // As at start: no target, no list (other tests may have made both).
    unsigned int list = gunsight_list;
    int state = target_state.load();
    gunsight_list = 0;
    target_state.store(TARGET_NONE);
    gl_recorder_start();
    FbCapture c = capture_enclosed(draw_target_marker);
    auto calls = gl_recorder_stop();
    EXPECT_EQ(c.prims.size(), 0u);
    EXPECT_TRUE(gl_recorded(calls, GlCall::GenLists).empty());
    EXPECT_EQ(gunsight_list, 0u);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);   // no glCallList(0)
    gunsight_list = list;
    target_state.store(state);
}

TEST(Gunsight, RingsAndTicksSurroundTheTarget) {
    make_gunsight_list(83.63f, 22.01f, 0.5f);
    FbCapture c = capture_list(gunsight_list);
    expect_gunsight_around(c, 83.63f, 22.01f, 0.5f);
    // North tick points north: its outer end lies 2 degrees up in declination.
    RaDec north = ra_dec_of(c.prims[40].v[1]);
    EXPECT_NEAR(north.dec, 24.01, 1e-3);
    EXPECT_NEAR(angle_difference(north.ra, 83.63), 0, 1e-3);
}

TEST(Gunsight, IsWellFormedAroundEitherPole) {
    for (float dec : {90.0f, -90.0f}) {
        SCOPED_TRACE(dec);
        make_gunsight_list(123.0f, dec, 0.5f);
        FbCapture c = capture_list(gunsight_list);
        expect_gunsight_around(c, 123.0f, dec, 0.5f);
        // Turned back into sky coordinates, the rings are parallels next to the pole.
        for (int k = 0; k < 20; k++) {
            EXPECT_NEAR(std::fabs(ra_dec_of(c.prims[k].v[0]).dec), 89.5, 1e-2);
            EXPECT_NEAR(std::fabs(ra_dec_of(c.prims[20 + k].v[0]).dec), 88.5, 1e-2);
        }
    }
}

TEST(Gunsight, RebuildingItLeavesTheOtherListsIntact) {
    make_star_list();
    make_pulsar_list();
    FbCapture stars = capture_list(star_points_list), pulsars = capture_list(pulsar_points_list);
    unsigned int star_name = star_points_list;
    for (int i = 0; i < 3; i++) make_gunsight_list(10.0f * i, 5, 0.5f);
    EXPECT_EQ(star_points_list, star_name);
    FbCapture stars_after = capture_list(star_points_list), pulsars_after = capture_list(pulsar_points_list);
    ASSERT_EQ(stars_after.prims.size(), stars.prims.size());
    ASSERT_EQ(pulsars_after.prims.size(), pulsars.prims.size());
    for (size_t i = 0; i < stars.prims.size(); i++) EXPECT_EQ(stars_after.prims[i].v[0].x, stars.prims[i].v[0].x);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(GunsightHandshake, FollowsTheWorkersTargetsOneRebuildPerFrame) {
    draw_target_marker();

    // Ten targets between two frames: one rebuild, at the tenth.
    for (int i = 1; i <= 10; i++) set_search_target(pulsar_list[i].ra, pulsar_list[i].dec);
    gl_recorder_start();
    FbCapture c = capture_enclosed(draw_target_marker);
    EXPECT_EQ(rebuilds(gl_recorder_stop()), 1u);
    expect_gunsight_around(c, pulsar_list[10].ra, pulsar_list[10].dec, 0.5f);
    EXPECT_EQ(target_state.load(), TARGET_SHOWN);

    // The next frame replays the same list.
    gl_recorder_start();
    c = capture_enclosed(draw_target_marker);
    EXPECT_EQ(rebuilds(gl_recorder_stop()), 0u);
    expect_gunsight_around(c, pulsar_list[10].ra, pulsar_list[10].dec, 0.5f);
}

TEST(GunsightHandshake, TargetSetDuringARebuildIsShownNextFrame) {
    set_search_target(pulsar_list[20].ra, pulsar_list[20].dec);
    // The worker moves on while the graphics thread is recording the list.
    bool moved = false;
    gl_recorder_on_end_list([&moved] {
        if (!moved) set_search_target(pulsar_list[21].ra, pulsar_list[21].dec);
        moved = true;
    });
    draw_target_marker();
    gl_recorder_on_end_list(nullptr);
    ASSERT_TRUE(moved);
    EXPECT_EQ(target_state.load(), TARGET_NEW);
    FbCapture c = capture_enclosed(draw_target_marker);
    expect_gunsight_around(c, pulsar_list[21].ra, pulsar_list[21].dec, 0.5f);
    EXPECT_EQ(target_state.load(), TARGET_SHOWN);
}

TEST(GunsightHandshake, ListLostWithItsContextIsRecordedAgainAtTheSameTarget) {
    make_gunsight_list(45, -30, 0.5f);
    if (target_state.load() == TARGET_NEW) target_state.store(TARGET_SHOWN);
    // A recreated window's context does not know the old list.
    glDeleteLists(gunsight_list, 1);
    gl_recorder_start();
    FbCapture c = capture_enclosed(draw_target_marker);
    EXPECT_EQ(rebuilds(gl_recorder_stop()), 1u);
    expect_gunsight_around(c, 45, -30, 0.5f);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
