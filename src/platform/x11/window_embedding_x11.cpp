// A screensaver helper either hands us its window (XSCREENSAVER_WINDOW) or
// takes our top-level window into its own. Under a window manager the second
// leaves our window unmapped: the manager lets go of a window reparented out
// of its frame by unmapping it, and the helper does not map it again, nor
// size it to its own. Both are mended here, by looking rather than by events,
// which freeglut consumes before we see them.
#include "platform/x11/window_embedding_x11.h"

#include <stdio.h>
#include <stdlib.h>

#include <X11/Xutil.h>

namespace {

bool window_exists(Display* display, Window window, XWindowAttributes* attributes) {
    return window && XGetWindowAttributes(display, window, attributes) != 0;
}

// True while a window manager manages `window`: it then keeps WM_STATE on it
// as Normal or Iconic, and a parent other than the root is the manager's
// frame, not an embedder. A manager that lets go sets Withdrawn or removes it.
bool managed_by_window_manager(Display* display, Window window) {
    Atom wm_state = XInternAtom(display, "WM_STATE", True);
    if (wm_state == None) return false;
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, wm_state, 0, 2, False, wm_state, &type, &format, &count, &after,
                           &data) != Success || !data)
        return false;
    long state = (format == 32 && count > 0) ? reinterpret_cast<long*>(data)[0] : WithdrawnState;
    XFree(data);
    return state == NormalState || state == IconicState;
}

void cover_parent(Display* display, Window window, const XWindowAttributes& ours,
                  const XWindowAttributes& parent) {
    if (ours.x != 0 || ours.y != 0 || ours.width != parent.width || ours.height != parent.height)
        XMoveResizeWindow(display, window, 0, 0, parent.width, parent.height);
}

}  // namespace

Window screensaver_window_from_environment(Display* display) {
    const char* text = getenv("XSCREENSAVER_WINDOW");
    if (!text || !*text) return 0;
    char* end = nullptr;
    unsigned long id = strtoul(text, &end, 0);
    while (end && (*end == ' ' || *end == '\t')) end++;
    XWindowAttributes attributes;
    if (!id || !end || *end || !window_exists(display, id, &attributes)) {
        fprintf(stderr, "GFX: XSCREENSAVER_WINDOW=%s is not a window here - ignored\n", text);
        return 0;
    }
    return id;
}

void embed_window(Display* display, Window window, Window parent) {
    XWindowAttributes target;
    if (!window_exists(display, parent, &target)) return;
    // Override-redirect: a window manager neither takes it back into a frame
    // nor lists it for a helper to take.
    XSetWindowAttributes no_manager;
    no_manager.override_redirect = True;
    XChangeWindowAttributes(display, window, CWOverrideRedirect, &no_manager);
    XReparentWindow(display, window, parent, 0, 0);
    XMoveResizeWindow(display, window, 0, 0, target.width, target.height);
    XMapRaised(display, window);
    XFlush(display);
}

window_place follow_embedding(Display* display, Window window) {
    XWindowAttributes ours, parent_attributes;
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!window_exists(display, window, &ours)) return WINDOW_GONE;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return WINDOW_GONE;
    if (children) XFree(children);
    if (parent == root || managed_by_window_manager(display, window)) return WINDOW_TOP_LEVEL;
    if (!window_exists(display, parent, &parent_attributes)) return WINDOW_GONE;
    cover_parent(display, window, ours, parent_attributes);
    if (ours.map_state == IsUnmapped) XMapRaised(display, window);
    XFlush(display);
    return WINDOW_EMBEDDED;
}
