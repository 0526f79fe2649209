// The title decoration: a picture drawn half transparent beside the title.
#pragma once

#include "gutil.h"

// Loaded on first draw in each context; graphics start-up clears the flag.
extern TEXTURE_DESC title_texture;
extern bool title_texture_tried;

void draw_title_decoration();
