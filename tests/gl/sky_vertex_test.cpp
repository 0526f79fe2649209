// sky_vertex emits one vertex, exactly the point sky_point computes.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <iterator>

#include "fbcapture.h"
#include "sky/catalogues.h"
#include "sky/sky_clock.h"

namespace {

struct Sample { float ra, dec, radius; };

const Sample samples[] = {
    {0, 0, sky_radius},        {90, 0, sky_radius},       {270, 0, sky_radius},
    {123.4f, 90, sky_radius},  {45, -60, sky_radius},     {359.99f, 12.5f, sky_radius},
    {200, -89.9f, 0.25f * sky_radius}, {75.58f, 22.01f, 0.2501f * sky_radius},
};

// Feedback coordinates pass through the viewport in floats: 12 units over
// 640 pixels leave about 1e-6 of rounding, far below any real mistake.
const double tolerance = 1e-4;

void expect_vertex_is_sky_point(const FbVertex& v, const Sample& s) {
    float p[3];
    sky_point(s.ra, s.dec, s.radius, p);
    EXPECT_NEAR(v.x, p[0], tolerance);
    EXPECT_NEAR(v.y, p[1], tolerance);
    EXPECT_NEAR(v.z, p[2], tolerance);
}

}  // namespace

TEST(SkyVertex, EmitsThePointSkyPointComputes) {
    load_enclosing_ortho(6);
    FbCapture cap = capture_feedback([] {
        glBegin(GL_POINTS);
        for (const Sample& s : samples) sky_vertex(s.ra, s.dec, s.radius);
        glEnd();
    });
    ASSERT_EQ(cap.prims.size(), std::size(samples));
    for (size_t i = 0; i < cap.prims.size(); i++) {
        SCOPED_TRACE(testing::Message() << "sample " << i);
        ASSERT_EQ(cap.prims[i].kind, FbPrim::Point);
        expect_vertex_is_sky_point(cap.prims[i].v.at(0), samples[i]);
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(SkyVertex, RecordsIntoADisplayList) {
    // The catalogue layers are built as display lists: one line per segment.
    load_enclosing_ortho(6);
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_LINES);
    for (int i = 0; i < 4; i++) sky_vertex(starlist[i].ra, starlist[i].dec, sky_radius);
    glEnd();
    glEndList();
    FbCapture cap = capture_feedback([list] { glCallList(list); });
    glDeleteLists(list, 1);
    ASSERT_EQ(cap.count(FbPrim::Line), 2u);
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(testing::Message() << "endpoint " << i);
        expect_vertex_is_sky_point(cap.prims[(size_t)i / 2].v.at((size_t)i % 2),
                                   {starlist[i].ra, starlist[i].dec, sky_radius});
    }
}
