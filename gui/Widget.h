// Widget: the base of every GUI element (rectangle, flags read by the GUI manager, dialog index, tooltip timing),
// and the widget type codes.
#pragma once

#include <cstdint>
#include <string>

enum WidgetType : int32_t
{
    WT_BUTTON = 0,
    WT_CHECKBOX = 1,
    WT_COMBOBOX = 2,
    WT_DEFINE = 3,
    WT_DIALOG = 4,
    WT_SCROLLBAR = 5,
    WT_SLIDER = 6,
    WT_TABLE = 7,
    WT_TABWINDOW = 8,
    WT_TAB = 9,
    WT_IMAGE = 10,
    WT_MAINITEM = 11,
    WT_TEXT = 12,
    WT_VARIABLE = 13,
    WT_VARIABLEIMAGE = 14,
    WT_TABLECOLUMN = 15,
    WT_TGA = 16,
    WT_IMAGELIST = 17,
    WT_BAR = 18,
    WT_NUMBERADJUST = 19,
    WT_RADIOGROUP = 20,
    WT_RADIOBUTTON = 21,
    WT_LISTBOX = 22,
    WT_SCROLLGROUP = 23,
    WT_SCREENITEM = 24,
    WT_SCREENIMAGE = 25,
    WT_SCREENITEMINFO = 26,
    WT_SCREENBUTTON = 27,
    WT_SCREENLISTBOX = 28,
    WT_SCREENVARIMAGE = 29,
    WT_SCREENVAR = 30,
};

// Mouse events as the GUI manager hands the first (and second) button's state to widgets.
enum MouseEvent : int32_t
{
    ME_NONE = 0,    // no button: the cursor moved or rests
    ME_PRESSED = 1, // went down this frame
    ME_HELD = 2,    // held down
    ME_LEAVE = 3,   // the cursor is taken by something in front
};

// A screen rectangle in pixels; right and bottom are inclusive.
struct GuiRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class Widget
{
public:
    // Both rectangles take the given edges; the widget starts inactive, dirty and changed.
    Widget(int32_t left, int32_t top, int32_t right, int32_t bottom);
    virtual ~Widget();
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    virtual void Update(float dt);
    // Read bound values again (containers forward it).
    virtual void Refresh() {}
    virtual void AddChild(Widget* child);
    // Rectangle := home rectangle moved by (dx, dy).
    virtual void Reposition(int32_t dx, int32_t dy);
    virtual void SetDirty() { m_bDirty = true; }
    virtual bool IsActive() const { return m_bActive; }
    // Switching off hides a tooltip this widget shows and forgets the hover time.
    virtual void SetActive(bool active);
    virtual void OnTabClicked() {}
    virtual void Move(int32_t dx, int32_t dy);
    virtual bool IsMouseOver() const { return m_bMouseOver; }
    // Inside the rectangle (edges included) sets mouse-over and answers true; outside leaves the flag as it was.
    virtual bool HitTest(int32_t x, int32_t y);
    virtual bool OnMouseWheel(int32_t x, int32_t y, int32_t delta);
    virtual bool OnScreenMouse(float x, float y, int32_t event);
    // The tooltip timing; never takes the event.
    virtual bool OnMouse(int32_t x, int32_t y, int32_t event);
    // A press while the tooltip shows dismisses it; never takes the event.
    virtual bool OnRightMouse(int32_t x, int32_t y, int32_t event);
    virtual bool IsPressed() const { return m_bPressed; }
    virtual bool WasClicked() const { return m_bClicked; }
    virtual void SelectTab(int32_t tab);
    virtual void DrawCached() {}
    virtual void Draw() {}
    virtual void SetChanged(bool changed) { m_bChanged = changed; }
    virtual bool HasChanged() const { return m_bChanged; }
    virtual const char* GetName() const { return nullptr; }
    // "NONE" (any case) or null leaves the widget without a tooltip.
    virtual void SetTooltip(const char* key);
    // The colour the widget draws in, where it has one (a scroll group marks its selected item with it).
    virtual void SetColour(uint32_t) {}

    int32_t GetType() const { return m_iType; }
    const GuiRect& GetRect() const { return m_rect; }
    const GuiRect& GetHomeRect() const { return m_homeRect; }
    int32_t GetWidth() const { return m_rect.right - m_rect.left; }
    int32_t GetHeight() const { return m_rect.bottom - m_rect.top; }
    // The top-left corner goes to (x, y); the size stays.
    void SetPosition(int32_t x, int32_t y);
    int32_t GetDialogIndex() const { return m_iDialogIndex; }
    void SetDialogIndex(int32_t index) { m_iDialogIndex = index; }
    bool IsDirty() const { return m_bDirty; }
    const char* GetTooltip() const { return m_tooltip.empty() ? nullptr : m_tooltip.c_str(); }
    float GetHoverTime() const { return m_fHoverTime; }
    void ClearClicked() { m_bClicked = false; }
    // Asks the GUI manager to hide the tooltip when this widget shows it.
    void HideTooltip();

protected:
    // The rectangles change together (a widget sized by its sprite).
    void SetBothRects(const GuiRect& rect)
    {
        m_rect = rect;
        m_homeRect = rect;
    }

    GuiRect m_rect;
    GuiRect m_homeRect;
    float m_fHoverTime = 0.0f;
    int32_t m_iType = -1;
    int32_t m_iDialogIndex = 0;
    bool m_bActive = false;
    int32_t m_iLastMouseX = 0;
    int32_t m_iLastMouseY = 0;
    std::string m_tooltip;
    bool m_bMouseOver = false;
    bool m_bPressed = false;
    bool m_bClicked = false;
    bool m_bDirty = true;
    bool m_bChanged = true;
};
