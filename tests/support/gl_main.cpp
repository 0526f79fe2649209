// main() of the OpenGL test binary: one freeglut window, and so one current
// OpenGL context, for all its tests. Needs an X server (xvfb-run in CI).
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>

int gl_test_window = 0;

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery lists the tests without drawing: no display needed.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    int glut_argc = 1;
    char arg0[] = "gl_tests";
    char* glut_argv[] = {arg0, nullptr};
    glutInit(&glut_argc, glut_argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    gl_test_window = glutCreateWindow("gl_tests");
    return RUN_ALL_TESTS();
}
