// Starts a program on the current X display and reports how long until its
// first top-level window shows painted pixels, then its resident memory once it
// has been idle for a second. Run it on a display with a black root window
// (Xvfb -br) and no window manager.
//   window-on-screen PROGRAM [ARGS...]  ->  "<milliseconds> <KiB>"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

Window WaitForMappedTopLevel(Display* display) {
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) return event.xmap.window;
    }
}

bool HasPaintedPixels(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return false;
    XImage* image =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    bool painted = false;
    for (int y = 0; y < image->height && !painted; y += 4) {
        for (int x = 0; x < image->width && !painted; x += 4) {
            painted = XGetPixel(image, x, y) != 0;
        }
    }
    XDestroyImage(image);
    return painted;
}

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window-on-screen PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "window-on-screen: cannot open the display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }
    const Window window = WaitForMappedTopLevel(display);
    while (!HasPaintedPixels(display, window)) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::printf("%.1f %ld\n", elapsed, ResidentKiB(child));
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return 0;
}
