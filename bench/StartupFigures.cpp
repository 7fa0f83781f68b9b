// Start-up and idle figures of the real program binary on an X display: the wall time from starting the program to
// its first presented main-menu frame, and the processor time the program uses on the idle main menu.
//
// Usage: startup_figures PROGRAM DATA-FOLDER [RUNS] [IDLE-SECONDS]   (DISPLAY names an X server of its own, for
// example under xvfb-run -s "-screen 0 1024x768x24 -br": the root window must be black until the program draws)
//
// The first frame is seen from outside: the screen is read back every 2 ms and the frame counts as presented once
// at least 1% of the screen is not black. The idle figure is the program's own user and system time (every thread:
// the software GL rasteriser's included) over the idle seconds, from /proc; the X server's time to take the
// presented frames is left out. The program runs windowed, in a fresh user folder, with sound on the dummy driver.
// TW_SCREENSHOT_DIR, when set, keeps the screen at the first frame and after the idle seconds as PPM pictures.
// Prints "startup_ms MEDIAN MIN MAX" and "idle_menu_core_use FRACTION" (processor seconds per second), one a line.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

// Writes the screen as a plain PPM picture into the folder TW_SCREENSHOT_DIR names (for people to look at).
void KeepScreen(Display* display, const char* name)
{
    const char* folder = std::getenv("TW_SCREENSHOT_DIR");
    if (!folder || !*folder)
        return;
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return;
    std::filesystem::create_directories(folder);
    std::ofstream out(std::string(folder) + "/" + name + ".ppm", std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const unsigned long pixel = XGetPixel(image, x, y);
            const char rgb[3] = {static_cast<char>((pixel >> 16) & 0xFF), static_cast<char>((pixel >> 8) & 0xFF),
                                 static_cast<char>(pixel & 0xFF)};
            out.write(rgb, 3);
        }
    XDestroyImage(image);
}

// Whether at least 1% of the screen (sampled every 4th pixel each way) is not black.
bool ScreenShowsAnything(Display* display)
{
    const Window root = DefaultRootWindow(display);
    const int width = DisplayWidth(display, DefaultScreen(display));
    const int height = DisplayHeight(display, DefaultScreen(display));
    XImage* image =
        XGetImage(display, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    long lit = 0, seen = 0;
    for (int y = 0; y < height; y += 4)
        for (int x = 0; x < width; x += 4, ++seen)
            lit += (XGetPixel(image, x, y) & 0xFFFFFF) != 0 ? 1 : 0;
    XDestroyImage(image);
    return lit * 100 >= seen;
}

// The process's user and system time in seconds; negative when it cannot be read.
double ProcessSeconds(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The command name is in brackets and may hold spaces: the fields are counted after its closing bracket.
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1.0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    // After the name: state (3) ... utime is field 14, stime 15.
    for (int i = 3; i <= 15 && fields >> field; ++i)
    {
        if (i == 14)
            user = std::stoull(field);
        if (i == 15)
            system = std::stoull(field);
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

pid_t StartProgram(const std::string& program, const std::string& data, const std::string& userFolder)
{
    const pid_t pid = fork();
    if (pid == 0)
    {
        // Its own user folder and its own single-instance lock, so that other copies running on the machine
        // neither block it nor are blocked.
        setenv("XDG_DATA_HOME", userFolder.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", userFolder.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        execl(program.c_str(), program.c_str(), "--windowed", data.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

void StopProgram(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i)
    {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: startup_figures PROGRAM DATA-FOLDER [RUNS] [IDLE-SECONDS]\n");
        return 2;
    }
    const std::string program = argv[1], data = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const int idleSeconds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        std::fprintf(stderr, "startup_figures: no X display (run it under xvfb-run)\n");
        return 1;
    }
    const std::filesystem::path user =
        std::filesystem::temp_directory_path() / ("tidewell-startup-" + std::to_string(getpid()));
    std::vector<double> startups;
    double idle = -1.0;
    for (int run = 0; run < runs; ++run)
    {
        std::filesystem::remove_all(user);
        std::filesystem::create_directories(user);
        if (ScreenShowsAnything(display))
        {
            std::fprintf(stderr, "startup_figures: the screen is not black before the program starts\n");
            break;
        }
        const Clock::time_point start = Clock::now();
        const pid_t pid = StartProgram(program, data, user.string());
        bool shown = false;
        while (!shown && Clock::now() - start < std::chrono::seconds(60))
        {
            if (waitpid(pid, nullptr, WNOHANG) == pid)
                break;
            shown = ScreenShowsAnything(display);
            if (!shown)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (!shown)
        {
            std::fprintf(stderr, "startup_figures: the program showed no frame within 60 s\n");
            StopProgram(pid);
            break;
        }
        startups.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (run == 0)
        {
            KeepScreen(display, "startup-first-frame");
            // The menu settles (its first second), then the idle seconds are measured.
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const double before = ProcessSeconds(pid);
            const Clock::time_point from = Clock::now();
            std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
            const double after = ProcessSeconds(pid);
            const double elapsed = std::chrono::duration<double>(Clock::now() - from).count();
            KeepScreen(display, "startup-idle-menu");
            if (before >= 0.0 && after >= 0.0)
                idle = (after - before) / elapsed;
        }
        StopProgram(pid);
        // The window is gone once the screen is black again.
        for (int i = 0; i < 500 && ScreenShowsAnything(display); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XCloseDisplay(display);
    std::filesystem::remove_all(user);
    if (startups.empty())
        return 1;
    std::vector<double> sorted = startups;
    std::sort(sorted.begin(), sorted.end());
    std::printf("startup_ms %.1f %.1f %.1f\n", sorted[sorted.size() / 2], sorted.front(), sorted.back());
    std::printf("idle_menu_core_use %.3f\n", idle);
    return 0;
}
