// The four view presets: the values and switches they set, the lists they
// rebuild and in which order, and what the sky section then draws.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "controls/project_prefs.h"
#include "controls/view_presets.h"
#include "gl_recorder.h"
#include "graphics/frame.h"
#include "scenery/marble.h"
#include "scratch.h"
#include "stderr_capture.h"
#include "sky/catalogues.h"
#include "sky/site_markers.h"
#include "sky/sky_clock.h"
#include "sky/sky_sphere.h"
#include "sky_test_helpers.h"

using namespace sky_test;

namespace {

// Builds the layers and makes sure the marble has its picture.
class ViewPresets : public ::testing::Test {
  protected:
    void SetUp() override {
        build_sky_layers();
        make_site_markers(1.0f);
        ScratchDir dir;
        dir.link("earthlights2.jpg", TIDEWRACK_SOURCE_DIR "/data/earthlights2.jpg");
        StderrCapture quiet;
        marble_texture_tried = false;
        make_marble(marble_scale, false);
        ASSERT_TRUE(marble_texture.present);
    }
    void TearDown() override { static_decorations = true; }

    // Applies a preset and returns the lists it recorded, in order.
    std::vector<double> apply(void (*preset)()) {
        StderrCapture quiet;
        gl_recorder_start();
        preset();
        return gl_recorded(gl_recorder_stop(), GlCall::NewList);
    }

    std::vector<double> sites_then_marble() const {
        return {(double)site_lists[0], (double)site_lists[1], (double)site_lists[2], (double)marble_list};
    }
    std::vector<double> marble_then_sites() const {
        return {(double)marble_list, (double)site_lists[0], (double)site_lists[1], (double)site_lists[2]};
    }

    // Grid lines and marble triangles in what the sky section draws now.
    void count_grid_and_marble(size_t* grid_lines, size_t* marble_triangles) {
        FbCapture c = capture_sky_section(0.0f, sites_built_at);
        *grid_lines = 0;
        *marble_triangles = 0;
        for (auto& p : c.prims) {
            *grid_lines += p.kind == FbPrim::Line &&
                           (colour_is(p.v[0], 0.6f, 0.6f, 0.6f) || colour_is(p.v[0], 0.8f, 0.8f, 0.6f));
            *marble_triangles += p.kind == FbPrim::Polygon;
        }
    }
};

void expect_points_and_sites_shown() {
    EXPECT_TRUE(show_stars);
    EXPECT_TRUE(show_pulsars);
    EXPECT_TRUE(show_snr);
    EXPECT_TRUE(show_xray);
    EXPECT_TRUE(show_sites);
}

void hide_everything() {
    show_stars = show_pulsars = show_snr = show_xray = show_sites = false;
    show_constellations = show_earth = show_decorations = false;
}

}  // namespace

TEST_F(ViewPresets, WorldViewShowsGridAndEarthFromClose) {
    hide_everything();
    static_decorations = false;
    camera_elevation = 50;
    sky_spin_offset = 7;
    EXPECT_EQ(apply(preset_world_view), sites_then_marble());
    EXPECT_EQ(camera_distance, 2.25f);
    EXPECT_EQ(sky_spin_rate, 180.0f);
    EXPECT_EQ(camera_azimuth, 30.0f);
    EXPECT_EQ(camera_elevation, 23.6f);
    EXPECT_EQ(sky_spin_offset, 0.0f);
    expect_points_and_sites_shown();
    EXPECT_FALSE(show_constellations);
    EXPECT_TRUE(show_earth);
    EXPECT_FALSE(show_decorations);   // copied from the preference
    size_t grid, marble;
    count_grid_and_marble(&grid, &marble);
    EXPECT_EQ(grid, 3500u);
    EXPECT_EQ(marble, 2500u);
    // Site figures on the surface of the marble.
    FbCapture c = capture_list(site_lists[0]);
    EXPECT_NEAR(ra_dec_of(c.prims[0].v[0]).radius, 1.375, tolerance);
}

TEST_F(ViewPresets, ResetHidesGridAndMarbleAlthoughTheMarbleWasRebuilt) {
    preset_world_view();
    show_ripples = false;
    EXPECT_EQ(apply(preset_reset_view), sites_then_marble());
    EXPECT_EQ(camera_distance, 8.0f);
    EXPECT_EQ(camera_elevation, 23.6f);
    expect_points_and_sites_shown();
    EXPECT_TRUE(show_constellations);
    EXPECT_FALSE(show_earth);
    EXPECT_TRUE(show_decorations);
    EXPECT_FALSE(show_ripples);   // left as it was
    size_t grid, marble;
    count_grid_and_marble(&grid, &marble);
    EXPECT_EQ(grid, 0u);
    EXPECT_EQ(marble, 0u);
    EXPECT_EQ(capture_list(marble_list).prims.size(), 2500u);
    FbCapture c = capture_list(site_lists[0]);
    EXPECT_NEAR(ra_dec_of(c.prims[0].v[0]).radius, sky_radius, tolerance);
    // G shows them again.
    show_earth = true;
    count_grid_and_marble(&grid, &marble);
    EXPECT_EQ(grid, 3500u);
    EXPECT_EQ(marble, 2500u);
}

TEST_F(ViewPresets, InsideViewDrawsTheMarbleBlendedAndHidesThePanels) {
    hide_everything();
    show_ripples = true;
    camera_elevation = 40;
    sky_spin_rate = 99;
    std::vector<double> order = apply(preset_inside_view);
    EXPECT_EQ(order, marble_then_sites());
    EXPECT_EQ(camera_distance, 0.0f);
    EXPECT_EQ(sky_spin_offset, 0.0f);
    EXPECT_EQ(camera_elevation, 40.0f);   // left as it was
    EXPECT_EQ(sky_spin_rate, 99.0f);
    expect_points_and_sites_shown();
    EXPECT_TRUE(show_constellations);
    EXPECT_TRUE(show_earth);
    EXPECT_FALSE(show_decorations);   // whatever the preference says
    EXPECT_FALSE(show_ripples);
    // The marble list turns blending on.
    gl_recorder_start();
    {
        StderrCapture quiet;
        marble_texture_tried = true;
        make_marble(marble_scale, true);
    }
    auto calls = gl_recorder_stop();
    bool blend_on = false;
    for (auto& call : calls) blend_on = blend_on || (call.kind == GlCall::Enable && call.value == GL_BLEND);
    EXPECT_TRUE(blend_on);
    size_t grid, marble;
    count_grid_and_marble(&grid, &marble);
    EXPECT_EQ(marble, 2500u);
    sky_spin_rate = view_start.sky_spin_rate;
    camera_elevation = view_start.camera_elevation;
}

TEST_F(ViewPresets, OutsideViewFromAfarWithRipples) {
    hide_everything();
    show_ripples = false;
    static_decorations = true;
    camera_elevation = 12;
    EXPECT_EQ(apply(preset_outside_view), marble_then_sites());
    EXPECT_EQ(camera_distance, 8.0f);
    EXPECT_EQ(camera_elevation, 12.0f);   // left as it was
    expect_points_and_sites_shown();
    EXPECT_TRUE(show_constellations);
    EXPECT_TRUE(show_earth);
    EXPECT_TRUE(show_decorations);
    EXPECT_TRUE(show_ripples);
    FbCapture c = capture_list(site_lists[0]);
    EXPECT_NEAR(ra_dec_of(c.prims[0].v[0]).radius, 1.375, tolerance);
    camera_elevation = view_start.camera_elevation;
}
