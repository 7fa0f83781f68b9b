// DialogItem and Define: the root of every dialog (named, optionally draggable by its 30-pixel title strip, with a
// background and slide transitions) and the named invisible group a script places again by name in several dialogs.
#pragma once

#include "gui/ContainerWidget.h"
#include "gui/MainItem.h"

#include <memory>
#include <string>
#include <vector>

class Sprite;

class DialogItem : public ContainerWidget
{
public:
    enum Background : int32_t
    {
        BG_NONE = 0,   // "NONE": the layer is filled white
        BG_CLEAR = 1,  // "CLEAR": nothing
        BG_SPRITE = 2, // a sprite name
        BG_SEMI = 3,   // "SEMI": a half-transparent black shade
    };
    enum Transition : int32_t
    {
        SLIDE_NONE = 0,
        SLIDE_IN = 1,     // in from the right edge of the screen
        SLIDE_OUT = 2,    // out to the right, then closed
        SLIDE_OFFSET = 3, // to the home position plus an offset
        SLIDE_HOME = 4,   // back to the home position
    };
    static constexpr int32_t kTitleHeight = 30;
    // A drag keeps at least this many pixels of the dialog on the screen.
    static constexpr int32_t kDragMargin = 20;

    DialogItem(const char* name, int32_t left, int32_t top, int32_t right, int32_t bottom, const char* background,
               int32_t positionId, bool draggable);
    ~DialogItem() override;

    void Update(float dt) override;
    // The dialog goes to its home position moved by (dx, dy), and its title strip and children with it.
    void Reposition(int32_t dx, int32_t dy) override;
    void SetActive(bool active) override;
    // Moves the rectangle, the title strip and every child, then reports the new position. The title strip and
    // the children are laid out from their own home places at the dialog's offset from its home, so a child placed
    // twice (a shared Define) moves once.
    void Move(int32_t dx, int32_t dy) override;
    bool HitTest(int32_t x, int32_t y) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    bool OnRightMouse(int32_t x, int32_t y, int32_t event) override;
    void SelectTab(int32_t tab) override;
    void DrawCached() override;
    void Draw() override;
    const char* GetName() const override { return m_name.c_str(); }

    void StartTransition(int32_t kind, float seconds, int32_t offset);
    bool IsInTransition() const { return m_bInTransition; }
    void SetDragLock(bool locked) { m_bDragLock = locked; }
    bool IsModal() const { return m_bDragLock; }
    bool IsDraggable() const { return m_bDraggable; }
    bool IsDragging() const { return m_bDragging; }
    int32_t GetPositionId() const { return m_iPositionId; }
    int32_t GetBackground() const { return m_iBackground; }
    int32_t GetAnimState() const { return m_iAnimState; }
    void SetAnimState(int32_t state) { m_iAnimState = state; }

private:
    // The title strip and every child at their home places moved by the dialog's offset from its own.
    void LayOut();

    std::unique_ptr<MainItem> m_pTitle;
    std::string m_name;
    Sprite* m_pBackground = nullptr;
    bool m_bDragging = false;
    int32_t m_iLastDragX = 0;
    int32_t m_iLastDragY = 0;
    bool m_bDragLock = false;
    int32_t m_iBackground = BG_NONE;
    bool m_bDraggable = false;
    bool m_bInTransition = false;
    int32_t m_iTransition = SLIDE_NONE;
    float m_fRemaining = 0.0f;
    float m_fTotal = 0.0f;
    int32_t m_iOffset = 0;
    int32_t m_iPositionId = 0;
    int32_t m_iAnimState = 0;
};

class Define : public ContainerWidget
{
public:
    // A Define has no place of its own: every call goes to its widgets.
    explicit Define(const char* name);

    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    bool OnRightMouse(int32_t x, int32_t y, int32_t event) override;
    void SelectTab(int32_t tab) override;
    const char* GetName() const override { return m_name.c_str(); }

private:
    std::string m_name;
};
