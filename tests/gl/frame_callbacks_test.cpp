// The graphics callbacks on a real context: the state app_graphics_init
// sets up, what a resize changes, and how one frame is composed.
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "core/search_state.h"
#include "fbcapture.h"
#include "graphics/frame.h"
#include "graphics/graphical_events.h"
#include "graphics/panels.h"
#include "scenery/marble.h"
#include "graphics/title_decoration.h"
#include "scenery/textures.h"
#include "stderr_capture.h"

namespace {

void expect_matrix_near(const GLdouble* got, const GLdouble* want) {
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(got[k], want[k], 1e-5) << "element " << k;
}

void perspective_matrix(double aspect, GLdouble out[16]) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(95, aspect, 0.5, 25);
    glGetDoublev(GL_PROJECTION_MATRIX, out);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

// Saves the frame's program-wide values and gives each test a fresh clock.
class FrameCallbacks : public ::testing::Test {
  protected:
    double saved_first = first_frame_time, saved_last = last_frame_time, saved_angle = sky_spin_angle;
    float saved_rate = sky_spin_rate, saved_offset = sky_spin_offset, saved_aspect = aspect_ratio;
    float saved_azimuth = camera_azimuth, saved_elevation = camera_elevation, saved_distance = camera_distance;
    bool saved_decorations = show_decorations, saved_ripples = show_ripples, saved_clock = show_clock;
    bool saved_started = search_started;
    double saved_ripples_start = ripples_start_time;
    graphical_event* saved_event = event_state;
    graphical_event saved_event_values{};

    void SetUp() override {
        if (event_state) saved_event_values = *event_state;
        first_frame_time = last_frame_time = -1.0;
        sky_spin_angle = 0.0;
        sky_spin_rate = view_start.sky_spin_rate;
        sky_spin_offset = 0.0f;
        glViewport(0, 0, 640, 480);
    }
    void TearDown() override {
        first_frame_time = saved_first;
        last_frame_time = saved_last;
        sky_spin_angle = saved_angle;
        sky_spin_rate = saved_rate;
        sky_spin_offset = saved_offset;
        aspect_ratio = saved_aspect;
        camera_azimuth = saved_azimuth;
        camera_elevation = saved_elevation;
        camera_distance = saved_distance;
        show_decorations = saved_decorations;
        show_ripples = saved_ripples;
        show_clock = saved_clock;
        search_started = saved_started;
        ripples_start_time = saved_ripples_start;
        // Frames run the graphical events: leave them as they were.
        if (saved_event) {
            *event_state = saved_event_values;
        } else if (event_state) {
            delete event_state;
            event_state = nullptr;
        }
        glViewport(0, 0, 640, 480);
        glDisable(GL_FOG);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
    }
};

}  // namespace

TEST_F(FrameCallbacks, ResizeSetsViewportAspectAndPerspective) {
    std::string log = stderr_of([] { app_graphics_resize(800, 600); });
    EXPECT_EQ(log, "GFX: app_graphics_resize(800,600)\n");
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    EXPECT_EQ(aspect_ratio, 1.3333334f);
    GLdouble got[16], want[16];
    glGetDoublev(GL_PROJECTION_MATRIX, got);
    perspective_matrix(800.0f / 600.0f, want);
    expect_matrix_near(got, want);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    stderr_of([] { app_graphics_resize(1000, 500); });
    EXPECT_EQ(aspect_ratio, 2.0f);
}

TEST_F(FrameCallbacks, ZeroHeightKeepsTheLastAspect) {
    stderr_of([] { app_graphics_resize(800, 600); });
    std::string log = stderr_of([] { app_graphics_resize(800, 0); });
    EXPECT_EQ(log, "GFX: app_graphics_resize(800,0)\n");
    EXPECT_EQ(aspect_ratio, 1.3333334f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 0);
    GLdouble got[16], want[16];
    glGetDoublev(GL_PROJECTION_MATRIX, got);
    perspective_matrix(800.0f / 600.0f, want);
    for (int k = 0; k < 16; ++k) EXPECT_TRUE(std::isfinite(got[k]));
    expect_matrix_near(got, want);
    stderr_of([] { app_graphics_resize(0, 0); });
    EXPECT_EQ(aspect_ratio, 1.3333334f);
}

TEST_F(FrameCallbacks, InitSetsUpTheContext) {
    stderr_of([] { app_graphics_resize(640, 480); });
    show_clock = false;
    title_texture_tried = true;
    marble_texture_tried = true;
    sky_spin_angle = -42.0;
    std::string log = stderr_of(app_graphics_init);
    EXPECT_EQ(log.rfind("APP: app_graphics_init()\n", 0), 0u) << log;
    EXPECT_TRUE(show_clock);
    EXPECT_FALSE(title_texture_tried);
    // The earth's image is loaded into the new context again: either the
    // marble built during the initialisation tried it, or its flag waits.
    EXPECT_TRUE(!marble_texture_tried || log.find("trying to load texture") != std::string::npos) << log;
    EXPECT_EQ(sky_spin_angle, -42.0);   // the view carries over to the new context

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.0f);
    EXPECT_EQ(clear[1], 0.0f);
    EXPECT_FLOAT_EQ(clear[2], 0.15f);
    EXPECT_EQ(clear[3], 0.0f);
    GLint value;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    glGetIntegerv(GL_FOG_MODE, &value);
    EXPECT_EQ(value, GL_EXP2);
    GLfloat density;
    glGetFloatv(GL_FOG_DENSITY, &density);
    EXPECT_FLOAT_EQ(density, 0.07f);
    GLdouble got[16], want[16];
    glGetDoublev(GL_PROJECTION_MATRIX, got);
    perspective_matrix(640.0f / 480.0f, want);
    expect_matrix_near(got, want);
}

TEST_F(FrameCallbacks, FrameTurnsTheSkyAndLeavesTheCameraInTheModelview) {
    const double t = 1765152000.0;
    camera_distance = 2.25f;
    app_graphics_render(640, 480, t);
    EXPECT_NEAR(sky_spin_angle, -0.03, 1e-6);   // first frame: dt = 0.01 s at 180 degrees/minute
    EXPECT_EQ(first_frame_time, t);
    app_graphics_render(640, 480, t + 60.0);
    EXPECT_NEAR(sky_spin_angle, -180.03, 1e-6);

    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    double eye[3], centre[3];
    camera_eye_and_centre(60.0, eye, centre);
    GLdouble got[16], want[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, got);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0, 1, 0);
    glGetDoublev(GL_MODELVIEW_MATRIX, want);
    glPopMatrix();
    expect_matrix_near(got, want);
}

TEST_F(FrameCallbacks, FrameSmoothsPoints) {
    glDisable(GL_POINT_SMOOTH);
    app_graphics_render(640, 480, 1765152000.0);
    EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));
}

TEST_F(FrameCallbacks, OverlaysComeFirstInTheirOrder) {
    show_decorations = true;
    show_ripples = true;
    search_started = true;
    // Capture in overlay units; the frame sets no projection of its own.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    FbCapture frame = capture_feedback([] { app_graphics_render(640, 480, 1765152000.0); });
    // user panel (x 0.03), search panel (x 0.87 and the version line), title, ripples
    std::string order;
    for (const FbPrim& p : frame.prims) {
        char part = 0;
        const FbVertex& v = p.v.empty() ? FbVertex{} : p.v[0];
        if (p.kind == FbPrim::Bitmap && v.b == 1.0f && v.x < 0.4) part = 'U';
        else if (p.kind == FbPrim::Bitmap && v.b == 1.0f) part = 'S';
        else if (p.kind == FbPrim::Bitmap && v.r == 0.7f) part = 'T';
        else if (p.kind == FbPrim::Polygon && v.r == 0.9f && v.g == 0.0f) part = 'R';
        if (part && (order.empty() || order.back() != part)) order += part;
    }
    EXPECT_EQ(order.substr(0, 4), "USTR");

    show_decorations = false;
    show_ripples = false;
    frame = capture_feedback([] { app_graphics_render(640, 480, 1765152000.1); });
    EXPECT_EQ(frame.count(FbPrim::Bitmap), 0u);
    for (const FbPrim& p : frame.prims)
        if (p.kind == FbPrim::Polygon) {
            EXPECT_FALSE(p.v[0].r == 0.9f && p.v[0].g == 0.0f);
        }
}
