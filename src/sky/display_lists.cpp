// Display-list helpers: a list name is made on first use and kept for the run.
#include "sky/display_lists.h"

#include <GL/gl.h>

bool begin_list(unsigned int& name) {
    if (name == 0) name = glGenLists(1);
    if (name == 0) return false;
    glNewList(name, GL_COMPILE);
    return true;
}

void call_list(unsigned int name) {
    if (name != 0) glCallList(name);
}
