// ContainerWidget: a widget that holds other widgets (not owned, in script order) and hands the common calls on to
// them, so that dialogs, defines, radio groups, tabs and tab windows walk their children in one place.
#pragma once

#include "gui/Widget.h"

#include <vector>

class ContainerWidget : public Widget
{
public:
    // A container with a place of its own moves, activates and marks itself as well as its children; one without
    // (a Define) only hands the calls on.
    ContainerWidget(int32_t left, int32_t top, int32_t right, int32_t bottom, bool ownPlace = true);

    // Each of these calls every child in order (after the widget's own part, when it has a place of its own).
    void Update(float dt) override;
    void Refresh() override;
    // A null child is not taken.
    void AddChild(Widget* child) override;
    void Reposition(int32_t dx, int32_t dy) override;
    void SetDirty() override;
    void SetActive(bool active) override;
    void Move(int32_t dx, int32_t dy) override;
    void DrawCached() override;
    void Draw() override;
    void SetChanged(bool changed) override;
    // Changed when the container or any child is.
    bool HasChanged() const override;

    const std::vector<Widget*>& GetChildren() const { return m_children; }

protected:
    template <typename Fn> void ForEachChild(Fn fn) const
    {
        for (Widget* child : m_children)
            fn(child);
    }
    // The children in order until one takes the event; true when one did.
    template <typename Fn> bool FirstChildTaking(Fn fn) const
    {
        for (Widget* child : m_children)
            if (fn(child))
                return true;
        return false;
    }
    // The children in two passes, combo boxes last, so that an open drop-down list lies over its neighbours.
    template <typename Fn> void ComboBoxesLast(Fn fn) const
    {
        for (Widget* child : m_children)
            if (child->GetType() != WT_COMBOBOX)
                fn(child);
        for (Widget* child : m_children)
            if (child->GetType() == WT_COMBOBOX)
                fn(child);
    }
    // The children in order until one takes the event. While an open combo box's list lies under the pointer it
    // alone is asked (it is drawn over its neighbours), and the others see the pointer leave.
    bool MouseToChildren(int32_t x, int32_t y, int32_t event) const;
    bool RightMouseToChildren(int32_t x, int32_t y, int32_t event) const
    {
        return FirstChildTaking([&](Widget* w) { return w->OnRightMouse(x, y, event); });
    }
    // The children in order until one takes the wheel; over an open combo box's list, that box alone.
    bool WheelToChildren(int32_t x, int32_t y, int32_t delta) const;
    void SelectTabInChildren(int32_t tab) const
    {
        ForEachChild([tab](Widget* w) { w->SelectTab(tab); });
    }

    // The open combo box whose list lies under the point, the topmost when several do; null when none.
    Widget* OpenComboBoxAt(int32_t x, int32_t y) const;

    std::vector<Widget*> m_children;

private:
    bool m_bOwnPlace;
};
