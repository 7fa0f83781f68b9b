// Counting the OpenGL calls the process makes, for tests and measurements of how much a draw sends to GL.
#pragma once

#include <cstdint>
#include <string>

namespace platform
{

// While one lives, every loaded GL entry point is counted on its way to GL. Make it after the device (making a
// device loads the entry points anew, past the counting); one at a time (a second one counts nothing).
class GLCallCount
{
public:
    GLCallCount();
    ~GLCallCount();
    GLCallCount(const GLCallCount&) = delete;
    GLCallCount& operator=(const GLCallCount&) = delete;

    // Calls since the count was made or last reset: all of them, or those of one entry point ("DrawArrays").
    uint64_t Total() const;
    uint64_t Of(const std::string& name) const;
    void Reset();

private:
    bool m_bCounting = false; // false for a count made while another one lives
};

} // namespace platform
