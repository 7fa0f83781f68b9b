// The X test extension's pointer for the tests: loaded at run time so that a system without it skips those tests.
#include "tests/game/XPointer.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

namespace gametest
{

struct XPointer::State
{
    using Motion = int (*)(Display*, int, int, int, unsigned long);
    using ButtonEvent = int (*)(Display*, unsigned int, int, unsigned long);
    using KeyEvent = int (*)(Display*, unsigned int, int, unsigned long);
    Display* x11 = nullptr;
    // The library stays loaded: the extension hooks the closing of the display connection.
    void* library = nullptr;
    Motion motion = nullptr;
    ButtonEvent button = nullptr;
    KeyEvent key = nullptr;
};

XPointer::XPointer(const std::string& display) : m_pState(new State)
{
    m_pState->x11 = XOpenDisplay(display.c_str());
    m_pState->library = dlopen("libXtst.so.6", RTLD_NOW);
    if (m_pState->library)
    {
        m_pState->motion = reinterpret_cast<State::Motion>(dlsym(m_pState->library, "XTestFakeMotionEvent"));
        m_pState->button = reinterpret_cast<State::ButtonEvent>(dlsym(m_pState->library, "XTestFakeButtonEvent"));
        m_pState->key = reinterpret_cast<State::KeyEvent>(dlsym(m_pState->library, "XTestFakeKeyEvent"));
    }
}

XPointer::~XPointer()
{
    if (m_pState->x11)
        XCloseDisplay(m_pState->x11);
    delete m_pState;
}

bool XPointer::Available() const
{
    return m_pState->x11 && m_pState->motion && m_pState->button;
}

void XPointer::MoveTo(int x, int y)
{
    if (!Available())
        return;
    m_pState->motion(m_pState->x11, -1, x, y, 0);
    XSync(m_pState->x11, False);
}

void XPointer::Button(unsigned button, bool down)
{
    if (!Available())
        return;
    m_pState->button(m_pState->x11, button, down ? True : False, 0);
    XSync(m_pState->x11, False);
}

} // namespace gametest

namespace gametest
{

void XPointer::Key(unsigned long keysym, bool down)
{
    if (!Available() || !m_pState->key)
        return;
    const unsigned code = XKeysymToKeycode(m_pState->x11, keysym);
    if (code == 0)
        return;
    m_pState->key(m_pState->x11, code, down ? True : False, 0);
    XSync(m_pState->x11, False);
}

} // namespace gametest
