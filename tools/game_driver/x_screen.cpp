// tools/game_driver/x_screen.cpp - window lookup, geometry and pixels through Xlib.
#include "game_driver/x_screen.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

// X errors (a window that vanished between lookup and use) are answered by
// the calls' own results; the default handler would end the test program.
int ignore_errors(Display*, XErrorEvent*) { return 0; }

// The process that owns a window, as the window says (_NET_WM_PID), or -1.
long window_pid(Display* d, Window w) {
    Atom property = XInternAtom(d, "_NET_WM_PID", True);
    if (property == None) return -1;
    Atom type;
    int format;
    unsigned long items, remaining;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(d, w, property, 0, 1, False, XA_CARDINAL, &type, &format, &items, &remaining, &data) ==
            Success &&
        data && items == 1 && format == 32) {
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) XFree(data);
    return pid;
}

void collect(Display* d, Window w, const std::string& title, int pid, std::vector<Window>& out) {
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        XWindowAttributes attrs;
        if (title == name && XGetWindowAttributes(d, w, &attrs) && attrs.map_state == IsViewable &&
            window_pid(d, w) == pid) {
            out.push_back(w);
        }
        XFree(name);
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) collect(d, children[i], title, pid, out);
        if (children) XFree(children);
    }
}

}  // namespace

XScreen::XScreen() : display_(nullptr) {
    XSetErrorHandler(ignore_errors);
    if (!std::getenv("DISPLAY")) return;
    // A busy virtual display now and then refuses a connection for a moment.
    for (int attempt = 0; attempt < 5 && !display_; ++attempt) {
        display_ = XOpenDisplay(nullptr);
        if (!display_) usleep(200000);
    }
}

XScreen::~XScreen() {
    if (display_) XCloseDisplay(display_);
}

unsigned long XScreen::FindWindow(const std::string& title, int pid) {
    if (!display_) return 0;
    std::vector<Window> found;
    collect(display_, DefaultRootWindow(display_), title, pid, found);
    return found.empty() ? 0 : found.back();
}

unsigned long XScreen::WaitForWindow(const std::string& title, int pid, double seconds, unsigned long notThis) {
    unsigned long window = 0;
    WaitUntil(
        [&] {
            window = FindWindow(title, pid);
            return window != 0 && window != notThis;
        },
        seconds);
    return window != notThis ? window : 0;
}

bool XScreen::Size(unsigned long window, int* w, int* h) {
    XWindowAttributes attrs;
    if (!display_ || !XGetWindowAttributes(display_, window, &attrs)) return false;
    *w = attrs.width;
    *h = attrs.height;
    return true;
}

bool XScreen::PlaceBeside(unsigned long window, bool bottom, int* x, int* y) {
    XWindowAttributes attrs, root;
    Window child;
    int wx = 0, wy = 0;
    if (!display_ || !XGetWindowAttributes(display_, window, &attrs) ||
        !XGetWindowAttributes(display_, DefaultRootWindow(display_), &root) ||
        !XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &wx, &wy, &child))
        return false;
    *y = bottom ? root.height - 480 : 0;
    if (bottom && root.height < 960) return false;
    if (wx >= 640) *x = 0;
    else if (root.width - (wx + attrs.width) >= 640) *x = root.width - 640;
    else return false;
    return true;
}

long XScreen::Pixel(unsigned long window, int x, int y) {
    if (!display_) return -1;
    XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return -1;
    long pixel = static_cast<long>(XGetPixel(image, 0, 0) & 0xffffff);
    XDestroyImage(image);
    return pixel;
}

std::vector<unsigned> XScreen::Grab(unsigned long window, int* w, int* h) {
    std::vector<unsigned> pixels;
    if (!display_ || !Size(window, w, h)) return pixels;
    XImage* image = XGetImage(display_, window, 0, 0, *w, *h, AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.resize(static_cast<size_t>(*w) * *h);
    for (int y = 0; y < *h; ++y)
        for (int x = 0; x < *w; ++x) pixels[static_cast<size_t>(y) * *w + x] = XGetPixel(image, x, y) & 0xffffff;
    XDestroyImage(image);
    return pixels;
}

bool XScreen::SendCloseRequest(unsigned long window) {
    if (!display_) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
    return sent != 0;
}

bool XScreen::WaitUntil(const std::function<bool()>& test, double seconds, double step) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (test()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        usleep(static_cast<useconds_t>(step * 1e6));
    }
}

bool ColourNear(long a, unsigned b, int tolerance) {
    if (a < 0) return false;
    for (int shift = 0; shift <= 16; shift += 8) {
        int ca = static_cast<int>((a >> shift) & 0xff), cb = static_cast<int>((b >> shift) & 0xff);
        if (std::abs(ca - cb) > tolerance) return false;
    }
    return true;
}

double ShareChanged(const std::vector<unsigned>& a, const std::vector<unsigned>& b, int tolerance) {
    if (a.size() != b.size() || a.empty()) return 1;
    size_t changed = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (!ColourNear(a[i], b[i], tolerance)) ++changed;
    return static_cast<double>(changed) / a.size();
}
