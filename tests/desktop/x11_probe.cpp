// Drives a program's X11 window from outside, for the desktop tests under
// Xvfb (there is no window manager there):
//     vostra_x11_probe NAME COMMAND...
// finds the top-level window titled NAME (waiting up to 10 s), then runs the
// commands in order:
//     resize W H    moves the window to the top-left corner, W x H
//     click X Y     moves the pointer to window position (X, Y) and clicks
//                   the left button there
//     sleep MS      waits
//     shot FILE     writes the window's content as a binary PPM
// Exit status 0 when all went well, 1 otherwise, with the reason on stderr.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

Window findWindow(Display* d, Window w, const char* name)
{
    char* title = nullptr;
    if (XFetchName(d, w, &title) && title) {
        const bool match = std::strcmp(title, name) == 0;
        XFree(title);
        if (match) return w;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) found = findWindow(d, children[i], name);
    if (children) XFree(children);
    return found;
}

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void button(Display* d, Window w, int x, int y, bool press)
{
    XEvent e{};
    e.type = press ? ButtonPress : ButtonRelease;
    e.xbutton.display = d;
    e.xbutton.window = w;
    e.xbutton.root = DefaultRootWindow(d);
    e.xbutton.subwindow = 0;
    e.xbutton.time = CurrentTime;
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.same_screen = True;
    e.xbutton.button = Button1;
    e.xbutton.state = press ? 0 : Button1Mask;
    XSendEvent(d, w, True, press ? ButtonPressMask : ButtonReleaseMask, &e);
    XFlush(d);
}

bool shot(Display* d, Window w, const char* path)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) return false;
    XImage* img = XGetImage(d, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!img) return false;
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", a.width, a.height);
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const unsigned long p = XGetPixel(img, x, y);
            const unsigned char rgb[3] = {static_cast<unsigned char>((p & img->red_mask) >> 16),
                                          static_cast<unsigned char>((p & img->green_mask) >> 8),
                                          static_cast<unsigned char>(p & img->blue_mask)};
            std::fwrite(rgb, 1, 3, f);
        }
    XDestroyImage(img);
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vostra_x11_probe NAME [resize W H | click X Y | sleep MS | shot FILE]...\n");
        return 1;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "vostra_x11_probe: no display\n");
        return 1;
    }
    Window w = 0;
    for (int i = 0; i < 100 && !w; ++i) {
        w = findWindow(d, DefaultRootWindow(d), argv[1]);
        if (!w) pause(100);
    }
    if (!w) {
        std::fprintf(stderr, "vostra_x11_probe: no window titled %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string c = argv[i];
        auto arg = [&](int k) { return i + k < argc ? std::atoi(argv[i + k]) : 0; };
        if (c == "resize") {
            XMoveResizeWindow(d, w, 0, 0, unsigned(arg(1)), unsigned(arg(2)));
            XSync(d, False);
            i += 2;
        } else if (c == "click") {
            const int x = arg(1), y = arg(2);
            XWarpPointer(d, None, w, 0, 0, 0, 0, x, y);
            XSync(d, False);
            pause(100);
            button(d, w, x, y, true);
            pause(50);
            button(d, w, x, y, false);
            i += 2;
        } else if (c == "sleep") {
            pause(arg(1));
            i += 1;
        } else if (c == "shot" && i + 1 < argc) {
            XSync(d, False);
            if (!shot(d, w, argv[i + 1])) {
                std::fprintf(stderr, "vostra_x11_probe: cannot write %s\n", argv[i + 1]);
                return 1;
            }
            i += 1;
        } else {
            std::fprintf(stderr, "vostra_x11_probe: bad command %s\n", c.c_str());
            return 1;
        }
    }
    XCloseDisplay(d);
    return 0;
}
