#include <GL/gl.h>
#include <gtest/gtest.h>

TEST(GlContext, IsCurrent) { EXPECT_NE(glGetString(GL_VERSION), nullptr); }
