// The red corner ripples through GL feedback: seven bands of quads on
// circles about the top-left corner, fading with the radius, moving outward.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "fbcapture.h"
#include "graphics/frame.h"
#include "graphics/overlay.h"
#include "graphics/panels.h"
#include "sky/sky_math.h"

namespace {

const double start = 1765152000.0;
const float fade_radius = 0.2f;
const float band_width = 0.2f / 14;

// Pixel coordinates measured from the top-left corner.
struct corner_point {
    double right, down, alpha;
};

class OverlayRipples : public ::testing::Test {
  protected:
    bool saved_show = show_ripples;
    float saved_aspect = aspect_ratio;
    double saved_start = ripples_start_time;
    int viewport_width = 640, viewport_height = 480;

    void SetUp() override {
        show_ripples = true;
        ripples_start_time = 0;
        use_window(640, 480);
    }
    void TearDown() override {
        show_ripples = saved_show;
        aspect_ratio = saved_aspect;
        ripples_start_time = saved_start;
        glViewport(0, 0, 640, 480);
        glDisable(GL_BLEND);
    }
    void use_window(int w, int h) {
        viewport_width = w;
        viewport_height = h;
        aspect_ratio = (float)w / (float)h;
        glViewport(0, 0, w, h);
    }
    // The ripple triangles of one frame, with the overlay's projection for unprojecting.
    std::vector<FbPrim> ripples_at(double t) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 1, 0, 1, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        std::vector<FbPrim> out;
        for (FbPrim& p : capture_feedback([t] { draw_corner_ripples(t); }, 1 << 18).prims)
            if (p.kind == FbPrim::Polygon) out.push_back(p);
        return out;
    }
    // Triangles of the 15 segments inside the window; the sixteenth lies
    // beyond the left edge and only leaves slivers on it after clipping.
    std::vector<FbPrim> visible(const std::vector<FbPrim>& prims) {
        std::vector<FbPrim> out;
        for (const FbPrim& p : prims) {
            double max_x = 0;
            for (const FbVertex& v : p.v) max_x = std::max(max_x, v.x);
            if (max_x > 1e-6) out.push_back(p);
        }
        return out;
    }
    corner_point in_pixels(const FbVertex& v) {
        return {v.x * viewport_width, (1 - v.y) * viewport_height, v.a};
    }
};

float band_radius(int band, float shift) { return band * 2 * band_width - band_width + shift; }

}  // namespace

TEST_F(OverlayRipples, SevenBandsOfQuadsFadingWithTheirRadius) {
    draw_corner_ripples(start);
    EXPECT_EQ(ripples_start_time, start);
    // 1.5 s later the bands have moved 3/4 of a spacing: shift = 1.5 w.
    const float shift = 1.5f * band_width;
    auto tris = visible(ripples_at(start + 1.5));
    ASSERT_EQ(tris.size(), 7u * 15u * 2u);
    std::map<int, int> per_band;
    int last_band = 0;
    for (const FbPrim& p : tris) {
        ASSERT_EQ(p.v.size(), 3u);
        float alpha = p.v[0].a;
        int band = (int)std::lround(((1 - alpha) * fade_radius - 0.5f * band_width) / (2 * band_width));
        ASSERT_GE(band, 0);
        ASSERT_LT(band, 7);
        EXPECT_GE(band, last_band) << "bands are drawn from the corner outward";
        last_band = band;
        ++per_band[band];
        float r = band_radius(band, shift);
        EXPECT_NEAR(alpha, 1 - r / fade_radius, 1e-6);
        for (const FbVertex& v : p.v) {
            EXPECT_FLOAT_EQ(v.r, 0.9f);
            EXPECT_EQ(v.g, 0.0f);
            EXPECT_EQ(v.b, 0.0f);
            EXPECT_NEAR(v.z, -1.0, 1e-5);
            corner_point c = in_pixels(v);
            double d = std::hypot(c.right, c.down) / viewport_width;
            EXPECT_TRUE(std::fabs(d - r) < 1e-5 || std::fabs(d - (r + band_width)) < 1e-5)
                << "vertex at " << d << " off band " << band;
            if (d > 1e-4) {
                double angle = std::atan2(c.down, c.right) * 180 / pi;
                EXPECT_NEAR(angle, 6 * std::lround(angle / 6), 1e-3);
            }
        }
    }
    for (int band = 0; band < 7; ++band) EXPECT_EQ(per_band[band], 30) << band;
}

TEST_F(OverlayRipples, BandsMoveOneSpacingEveryTwoSeconds) {
    draw_corner_ripples(start);
    auto at_one = visible(ripples_at(start + 1.0));
    auto at_three = visible(ripples_at(start + 3.0));
    ASSERT_EQ(at_one.size(), at_three.size());
    for (size_t k = 0; k < at_one.size(); ++k)
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(at_one[k].v[i].x, at_three[k].v[i].x, 1e-6);
            EXPECT_NEAR(at_one[k].v[i].y, at_three[k].v[i].y, 1e-6);
        }
    // On the whole period the first band starts half outside the corner
    // (radius -w) and the second stands at radius w.
    auto at_two = visible(ripples_at(start + 2.0));
    float second_band_alpha = 1 - band_radius(1, 0) / fade_radius;
    size_t in_second = 0;
    for (const FbPrim& p : at_two) in_second += std::fabs(p.v[0].a - second_band_alpha) < 1e-6;
    EXPECT_EQ(in_second, 30u);
}

TEST_F(OverlayRipples, CircularOnAWindowTwiceAsWideAsHigh) {
    use_window(800, 400);
    draw_corner_ripples(start);
    auto tris = visible(ripples_at(start + 1.5));   // shift = 1.5 w
    ASSERT_FALSE(tris.empty());
    double reach = 0;
    for (const FbPrim& p : tris) {
        float alpha = p.v[0].a;
        float r = fade_radius * (1 - alpha);
        for (const FbVertex& v : p.v) {
            corner_point c = in_pixels(v);
            double d = std::hypot(c.right, c.down);
            reach = std::max(reach, d);
            // On the circle of radius r or r + w, in pixels of the window's width.
            double inner = std::max(0.0f, r) * 800, outer = (r + band_width) * 800;
            EXPECT_TRUE(std::fabs(d - inner) < 0.01 || std::fabs(d - outer) < 0.01) << d;
        }
    }
    EXPECT_LE(reach, 0.2 * 800 + 0.01);
    EXPECT_GT(reach, 0.19 * 800);
}

TEST_F(OverlayRipples, BlendingIsAdditiveAndSwitchedOffAfterwards) {
    glDisable(GL_LINE_SMOOTH);
    glBlendFunc(GL_ONE, GL_ZERO);
    draw_corner_ripples(start);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
    GLint source, destination;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE);
}

TEST_F(OverlayRipples, NothingWhileSwitchedOff) {
    show_ripples = false;
    EXPECT_TRUE(ripples_at(start).empty());
    EXPECT_EQ(ripples_start_time, 0.0);
}
