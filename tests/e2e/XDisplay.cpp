#include "XDisplay.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace zorvane::e2e {

namespace {

using namespace std::chrono;

// Windows come and go while the test looks at them; a request about a vanished one is expected.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

// The position of a channel inside a pixel value, from its mask.
int Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1UL) == 0)
        ++shift;
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long max = mask >> shift;
    return static_cast<int>(value * 255 / max);
}

// Reads a property as bytes; empty when missing.
std::vector<unsigned char> Property(Display* d, Window w, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned char> bytes;
    if (XGetWindowProperty(d, w, property, 0, 1024, False, type, &actualType, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        const std::size_t size =
            count * static_cast<std::size_t>(format == 32 ? sizeof(long) : format / 8);
        bytes.assign(data, data + size);
    }
    if (data != nullptr) XFree(data);
    return bytes;
}

}  // namespace

XDisplay::XDisplay(const std::string& name) {
    XSetErrorHandler(IgnoreXError);
    // The server said it is ready; a short bounded retry covers a slow socket all the same.
    const auto end = steady_clock::now() + seconds(5);
    while (display_ == nullptr && steady_clock::now() < end) {
        display_ = XOpenDisplay(name.c_str());
        if (display_ == nullptr) std::this_thread::sleep_for(milliseconds(20));
    }
}

XDisplay::~XDisplay() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

std::vector<TopWindow> XDisplay::Visible() {
    std::vector<TopWindow> result;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) == 0)
        return result;
    for (unsigned int i = 0; i < count; ++i)
        if (auto w = Describe(children[i])) result.push_back(*w);
    if (children != nullptr) XFree(children);
    return result;
}

std::optional<TopWindow> XDisplay::Describe(unsigned long window) {
    XWindowAttributes attrs{};
    if (XGetWindowAttributes(display_, window, &attrs) == 0) return std::nullopt;
    if (attrs.map_state != IsViewable || attrs.c_class != InputOutput) return std::nullopt;
    TopWindow w;
    w.id = window;
    w.title = Title(window);
    w.dialog = IsDialog(window);
    w.x = attrs.x;
    w.y = attrs.y;
    w.width = attrs.width;
    w.height = attrs.height;
    return w;
}

std::string XDisplay::Title(unsigned long window) {
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
    std::vector<unsigned char> bytes = Property(display_, window, netName, utf8);
    if (bytes.empty()) bytes = Property(display_, window, XA_WM_NAME, XA_STRING);
    return std::string(bytes.begin(), bytes.end());
}

bool XDisplay::IsDialog(unsigned long window) {
    const Atom type = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False);
    const Atom dialog = XInternAtom(display_, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    const std::vector<unsigned char> bytes = Property(display_, window, type, XA_ATOM);
    const auto* atoms = reinterpret_cast<const long*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size() / sizeof(long); ++i)
        if (static_cast<Atom>(atoms[i]) == dialog) return true;
    return false;
}

WindowImage XDisplay::Capture(unsigned long window) {
    XWindowAttributes attrs{};
    if (XGetWindowAttributes(display_, window, &attrs) == 0 || attrs.map_state != IsViewable)
        return {};
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attrs.width),
                              static_cast<unsigned>(attrs.height), AllPlanes, ZPixmap);
    if (image == nullptr) return {};
    std::vector<Rgb> pixels;
    pixels.reserve(static_cast<std::size_t>(attrs.width) * static_cast<std::size_t>(attrs.height));
    for (int y = 0; y < attrs.height; ++y) {
        for (int x = 0; x < attrs.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels.push_back({Channel(p, image->red_mask), Channel(p, image->green_mask),
                              Channel(p, image->blue_mask)});
        }
    }
    XDestroyImage(image);
    return WindowImage(attrs.width, attrs.height, std::move(pixels));
}

bool XDisplay::RequestClose(unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
    return sent != 0;
}

}  // namespace zorvane::e2e
