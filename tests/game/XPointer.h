// The pointer of an X display, moved and pressed through the X test extension as a person's mouse would.
#pragma once

#include <string>

namespace gametest
{

class XPointer
{
public:
    // Connects to the display; Available() is false when that fails or the extension's library is missing.
    explicit XPointer(const std::string& display);
    ~XPointer();
    XPointer(const XPointer&) = delete;
    XPointer& operator=(const XPointer&) = delete;

    bool Available() const;
    // Each call returns once the server has taken the event.
    void MoveTo(int x, int y);
    // Button 1 is the first button; 4 and 5 are the wheel turned up and down.
    void Button(unsigned button, bool down);
    // A key by its X key symbol (XK_Up, say), pressed or released.
    void Key(unsigned long keysym, bool down);

private:
    struct State;
    State* m_pState;
};

} // namespace gametest
