#include "scenery/fog.h"

#include <GL/gl.h>
#include <GL/glext.h>

bool black_exp2_fog(float* density) {
    GLint render_mode;
    glGetIntegerv(GL_RENDER_MODE, &render_mode);
    if (render_mode != GL_RENDER || !glIsEnabled(GL_FOG)) return false;
    GLint mode = 0, source = 0;
    GLfloat colour[4] = {1, 1, 1, 1};
    glGetIntegerv(GL_FOG_MODE, &mode);
    glGetIntegerv(GL_FOG_COORD_SRC, &source);
    glGetFloatv(GL_FOG_COLOR, colour);
    glGetFloatv(GL_FOG_DENSITY, density);
    return mode == GL_EXP2 && source == GL_FRAGMENT_DEPTH && colour[0] == 0 && colour[1] == 0 && colour[2] == 0;
}
