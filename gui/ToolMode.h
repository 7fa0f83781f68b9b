// ToolMode: the world-view tool the GUI manager hands the mouse to when no dialog, toolbar or screen took it. The
// modes themselves live with the game shell; it registers a maker for each mode id with the GUI manager.
#pragma once

#include <cstdint>
#include <memory>

class GUIManager;

class ToolMode
{
public:
    virtual ~ToolMode() = default;
    virtual void Enter() {}
    virtual void Exit() {}
    virtual void Update(float dt) { (void)dt; }
    // The cursor and both button states (0 up, 1 pressed this frame, 2 held, 3 taken by the GUI in front).
    virtual void OnMouse(int32_t x, int32_t y, int32_t first, int32_t second)
    {
        (void)x, (void)y, (void)first, (void)second;
    }
    virtual void OnMouseWheel(int32_t x, int32_t y, int32_t delta) { (void)x, (void)y, (void)delta; }
    // The window lost the focus: a gesture under way (a drag) is dropped, for the release that would end it happens
    // elsewhere, and the next press the game sees belongs to something else.
    virtual void CancelGesture() {}
    virtual void PreRender() {}
    virtual void Render() {}
};

// Makes the mode of one id for the GUI manager.
using ToolModeMaker = std::unique_ptr<ToolMode> (*)(GUIManager& gui);
