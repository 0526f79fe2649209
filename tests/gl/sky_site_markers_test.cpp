// The site markers: three figures placed by the sidereal angle and turned with
// the clock, and the site block that also holds the earth marble.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "gl_recorder.h"
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

const float green_west = 90.77408f, green_lat = 30.56377f;

// The sky clock's reading at the last build: sky_time() = dtime() + offset.
double build_time() { return sites_built_at + clock_offset; }

// A marble with its picture, in a scratch directory that links the name.
void build_marble_with_picture() {
    ScratchDir dir;
    dir.link("earthlights2.jpg", TIDEWRACK_SOURCE_DIR "/data/earthlights2.jpg");
    StderrCapture quiet;
    marble_texture_tried = false;
    make_marble(marble_scale, false);
}

}  // namespace

TEST(SiteMarkers, ThreeFiguresInTheirColoursAndWidths) {
    struct { float colour[3]; size_t segments; } expected[3] = {
        {{0, 1, 0}, 2}, {{0, 0, 1}, 4}, {{1, 0, 0}, 2}};
    gl_recorder_start();
    make_site_markers(1.0f);
    auto calls = gl_recorder_stop();
    EXPECT_EQ(gl_recorded(calls, GlCall::LineWidth), std::vector<double>(3, 4.0));
    EXPECT_TRUE(gl_recorded(calls, GlCall::PointSize).empty());
    for (int k = 0; k < 3; k++) {
        SCOPED_TRACE(k);
        ASSERT_NE(site_lists[k], 0u);
        FbCapture c = capture_list(site_lists[k]);
        EXPECT_EQ(c.count(FbPrim::Line), expected[k].segments);
        EXPECT_EQ(c.prims.size(), expected[k].segments);
        for (auto& p : c.prims)
            for (auto& v : p.v) {
                EXPECT_TRUE(colour_is(v, expected[k].colour[0], expected[k].colour[1], expected[k].colour[2]));
                EXPECT_NEAR(ra_dec_of(v).radius, sky_radius, tolerance);
            }
    }
}

// Each figure's segments as (RA offset from the site's sidereal angle, Dec)
// pairs: green one L turned by 21 degrees, blue two nested Ls, red a small L.
TEST(SiteMarkers, EachFigureStandsAtItsSiteInItsShape) {
    const double sin21 = std::sin(0.3665191429188092), cos21 = std::cos(0.3665191429188092);
    struct end { double ra, dec; };
    struct figure { double west, lat; std::vector<std::pair<end, end>> segments; };
    const double g = green_lat, b = 46.4551, r = 52.24452;
    const figure figures[3] = {
        {green_west, g, {{{0, g}, {3 * sin21, g - 3 * cos21}}, {{0, g}, {-3 * cos21, g - 3 * sin21}}}},
        {119.40627, b, {{{0, b}, {0, b + 3}}, {{0, b}, {-3, b}},
                        {{-0.4, b + 0.2}, {-0.4, b + 1.7}}, {{-0.4, b + 0.2}, {-1.9, b + 0.2}}}},
        {-9.80683, r, {{{0, r}, {0, r + 1.5}}, {{0, r}, {1.5, r}}}},
    };
    make_site_markers(1.0f);
    for (int k = 0; k < 3; k++) {
        SCOPED_TRACE(k);
        double a = sidereal_angle(build_time(), (float)figures[k].west);
        FbCapture c = capture_list(site_lists[k]);
        ASSERT_EQ(c.prims.size(), figures[k].segments.size());
        for (size_t i = 0; i < c.prims.size(); i++) {
            SCOPED_TRACE(i);
            const end ends[2] = {figures[k].segments[i].first, figures[k].segments[i].second};
            for (int e = 0; e < 2; e++) {
                RaDec got = ra_dec_of(c.prims[i].v[e]);
                EXPECT_NEAR(angle_difference(got.ra, a + ends[e].ra), 0, 1e-3);
                EXPECT_NEAR(got.dec, ends[e].dec, 1e-3);
            }
        }
    }
}

TEST(SiteMarkers, GreenCornerTurnsFifteenDegreesAnHour) {
    make_site_markers(1.0f);
    double a = sidereal_angle(build_time(), green_west);
    bool earth = show_earth;
    show_earth = false;
    FbCapture hour_later = capture_enclosed([] { draw_site_markers(sites_built_at + 3600); });
    show_earth = earth;
    ASSERT_EQ(hour_later.prims.size(), 8u);
    RaDec turned = ra_dec_of(hour_later.prims[0].v[0]);
    EXPECT_NEAR(angle_difference(turned.ra, a + 15), 0, 1e-3);
    EXPECT_NEAR(turned.dec, green_lat, 1e-3);
}

TEST(SiteMarkers, BlockDrawsTheMarbleOnlyWithBothSitesAndEarth) {
    build_marble_with_picture();
    make_site_markers(1.0f);
    struct { bool sites, earth; size_t lines, triangles; } cases[] = {
        {false, false, 0, 0}, {false, true, 0, 0}, {true, false, 8, 0}, {true, true, 8, 2500}};
    bool stars = show_stars, constellations = show_constellations, pulsars = show_pulsars,
         snr = show_snr, xray = show_xray;
    show_stars = show_constellations = show_pulsars = show_snr = show_xray = false;
    for (auto& k : cases) {
        SCOPED_TRACE(std::to_string(k.sites) + std::to_string(k.earth));
        show_sites = k.sites;
        show_earth = k.earth;
        // The grid (show_earth) and a gunsight from other tests are drawn too:
        // count only what lies at the sky radius or on the marble.
        FbCapture c = capture_sky_section(0.0f, sites_built_at);
        size_t site_lines = 0, marble_triangles = 0;
        for (auto& p : c.prims) {
            bool site_colour = colour_is(p.v[0], 0, 1, 0) || colour_is(p.v[0], 0, 0, 1) || colour_is(p.v[0], 1, 0, 0);
            site_lines += p.kind == FbPrim::Line && site_colour;
            marble_triangles += p.kind == FbPrim::Polygon;
        }
        EXPECT_EQ(site_lines, k.lines);
        EXPECT_EQ(marble_triangles, k.triangles);
    }
    show_stars = stars, show_constellations = constellations, show_pulsars = pulsars;
    show_snr = snr, show_xray = xray, show_sites = true;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
