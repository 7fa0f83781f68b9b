// MainItem: the plain container of the GUI (the script's toolbar root) that can paint itself as one of eight fixed
// panel styles (dialog title strip, combo-box text area and drop lists, scroll-bar back and thumb, slider track,
// tooltip box).
#pragma once

#include "gui/Widget.h"

#include <vector>

class MainItem : public Widget
{
public:
    enum Style : int32_t
    {
        STYLE_NONE = 0,
        STYLE_COMBO_TEXT = 1,
        STYLE_COMBO_LIST_DOWN = 2,
        STYLE_COMBO_LIST_UP = 3,
        STYLE_SCROLL_BACK = 4,
        STYLE_SCROLL_THUMB = 5,
        STYLE_SLIDER_TRACK = 6,
        STYLE_TOOLTIP = 7,
    };

    MainItem(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t style);
    ~MainItem() override;

    void Update(float dt) override;
    void AddChild(Widget* child) override;
    void SetDirty() override;
    // The children's flags; the item's own active flag stays as it is.
    void SetActive(bool active) override;
    void Move(int32_t dx, int32_t dy) override;
    // The own rectangle, else the first child that is hit.
    bool HitTest(int32_t x, int32_t y) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    bool OnRightMouse(int32_t x, int32_t y, int32_t event) override;
    void DrawCached() override;
    void Draw() override;
    void SetChanged(bool changed) override;
    bool HasChanged() const override;

    void SetHeight(int32_t height) { m_rect.bottom = m_rect.top + height; }
    void SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) { m_rect = {left, top, right, bottom}; }
    void SetCapVariant(int32_t variant) { m_iCapVariant = variant; }
    void SetOwnsChildren(bool owns) { m_bOwnsChildren = owns; }
    int32_t GetStyle() const { return m_iStyle; }
    const std::vector<Widget*>& GetChildren() const { return m_children; }

private:
    int32_t m_iStyle;
    int32_t m_iCapVariant = 0;
    std::vector<Widget*> m_children;
    bool m_bOwnsChildren = false;
};

// Screen drawing shared by the panels: a filled rectangle {left, top, right, bottom} and a one-pixel line.
void GuiFill(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour);
void GuiLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
// The game clock's running time in seconds (0 without a clock): the time sprites animate by.
float GuiNow();
