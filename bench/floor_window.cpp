// The floor of a frame's cost: a freeglut window like the program's (double
// buffered with depth, a 30 ms tick) whose frames only clear and swap.
// bench_display measures it beside the program at each window size.
#include <GL/freeglut.h>

namespace {

void tick(int) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
    glutTimerFunc(30, tick, 0);
}

void reshape(int width, int height) { glViewport(0, 0, width, height); }

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    glutCreateWindow("bench_floor");
    glClearColor(0.0f, 0.0f, 0.15f, 0.0f);
    glutDisplayFunc([] {});
    glutReshapeFunc(reshape);
    glutTimerFunc(30, tick, 0);
    glutMainLoop();
    return 0;
}
