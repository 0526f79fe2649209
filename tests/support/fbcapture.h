// Feedback-mode capture for tests: run some GL drawing (typically glCallList)
// with glRenderMode(GL_FEEDBACK) and parse the buffer into primitives whose
// vertices are mapped back to object coordinates with gluUnProject.
//
// Mesa (llvmpipe and softpipe, 22.3) facts this relies on, measured:
//  - every primitive is emitted after clipping, culling and decomposition:
//    GL_QUADS and GL_POLYGON arrive as triangles (a quad = 2 GL_POLYGON_TOKENs of 3
//    vertices, a 7-gon = 5), degenerate quads included; line strips and loops
//    arrive as one GL_LINE_TOKEN per segment (Mesa never emits GL_LINE_RESET_TOKEN,
//    but the GL standard allows it, so both are counted as lines);
//  - a glBitmap (one per glutBitmapCharacter, blank glyphs too) gives a
//    GL_BITMAP_TOKEN with the raster position and raster colour;
//  - point size and line width are not in the buffer.
#pragma once
// Feedback-mode capture for tests (see the comment below).
#include <GL/gl.h>
#include <GL/glu.h>
#include <functional>
#include <stdexcept>
#include <vector>

struct FbVertex { double x, y, z; float r, g, b, a; float s, t; };
struct FbPrim {
    enum Kind { Point, Line, Polygon, Bitmap, PassThrough } kind;
    std::vector<FbVertex> v;  // object coordinates
    float pass_value = 0;     // for PassThrough
};

struct FbCapture {
    std::vector<FbPrim> prims;
    size_t count(FbPrim::Kind k) const {
        size_t n = 0;
        for (auto &p : prims) n += p.kind == k;
        return n;
    }
};

// Captures with the matrices and viewport that are current when called.
inline FbCapture capture_feedback(const std::function<void()> &draw, size_t capacity = 1 << 22) {
    std::vector<GLfloat> buf(capacity);
    GLdouble mv[16], pr[16];
    GLint vp[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetDoublev(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    glFeedbackBuffer((GLsizei)capacity, GL_3D_COLOR_TEXTURE, buf.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint n = glRenderMode(GL_RENDER);
    if (n < 0) throw std::runtime_error("feedback buffer overflow");
    FbCapture out;
    auto vertex = [&](int &i) {
        FbVertex v;
        gluUnProject(buf[i], buf[i + 1], buf[i + 2], mv, pr, vp, &v.x, &v.y, &v.z);
        v.r = buf[i + 3]; v.g = buf[i + 4]; v.b = buf[i + 5]; v.a = buf[i + 6];
        v.s = buf[i + 7]; v.t = buf[i + 8];          // (s, t, r, q): q at i + 10
        i += 11;
        return v;
    };
    for (int i = 0; i < n;) {
        GLenum tok = (GLenum)buf[i++];
        FbPrim p{};
        switch (tok) {
        case GL_POINT_TOKEN: p.kind = FbPrim::Point; p.v.push_back(vertex(i)); break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN: p.kind = FbPrim::Line; p.v.push_back(vertex(i)); p.v.push_back(vertex(i)); break;
        case GL_POLYGON_TOKEN: { int k = (int)buf[i++]; p.kind = FbPrim::Polygon; while (k--) p.v.push_back(vertex(i)); break; }
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN: p.kind = FbPrim::Bitmap; p.v.push_back(vertex(i)); break;
        case GL_PASS_THROUGH_TOKEN: p.kind = FbPrim::PassThrough; p.pass_value = buf[i++]; break;
        default: throw std::runtime_error("unknown feedback token");
        }
        out.prims.push_back(std::move(p));
    }
    return out;
}

// An orthographic box that holds everything within |coord| <= half: nothing is clipped.
inline void load_enclosing_ortho(double half) {
    glMatrixMode(GL_PROJECTION); glLoadIdentity();
    glOrtho(-half, half, -half, half, -half, half);
    glMatrixMode(GL_MODELVIEW); glLoadIdentity();
}
