// The screen of the private X server the program tests run the real program on, where a picture pixel lands on
// it, and polling for a state of the running program.
#pragma once

#include <chrono>
#include <functional>
#include <thread>
#include <utility>

namespace programscreen
{

// A 16:9 screen: the 800 x 600 picture is scaled by 1.5 to 1200 x 900 between black bars 200 pixels wide.
inline constexpr int kScreenW = 1600, kScreenH = 900, kBar = 200;

// The screen point at the middle of a picture pixel.
inline std::pair<int, int> OnScreen(int x, int y)
{
    return {kBar + static_cast<int>(x * 1.5 + 0.75), static_cast<int>(y * 1.5 + 0.75)};
}

// Polls `done` every `pollMs` milliseconds for up to `seconds`; whether it came true.
inline bool WaitFor(double seconds, const std::function<bool()>& done, int pollMs = 20)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end)
    {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
    return done();
}

} // namespace programscreen
