// ScrollGroup: widgets of any kind and height stacked in its rectangle from a first item on, as many whole items as
// fit, scrolled item by item with a scroll bar that exists only while they do not all fit. In a selectable group a
// press selects an item, shown by the colour it is given (a text draws in it). Code fills it by name.
#pragma once

#include "gui/Widget.h"

#include <deque>
#include <memory>
#include <string>

class ScrollBar;

class ScrollGroup : public Widget
{
public:
    static constexpr uint32_t kSelectedColour = 0xFFFFFF00;
    // Opaque white: with a clear alpha the items not selected would not be drawn at all.
    static constexpr uint32_t kUnselectedColour = 0xFFFFFFFF;
    static constexpr int32_t kScrollBarWidth = 14;

    ScrollGroup(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* name);
    ~ScrollGroup() override;

    void Update(float dt) override;
    void Reposition(int32_t dx, int32_t dy) override;
    void SetActive(bool active) override;
    void Move(int32_t dx, int32_t dy) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;
    // The scroll bar first; in a selectable group a press on a shown item selects it. Taken only by the bar.
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void DrawCached() override;
    void Draw() override;
    const char* GetName() const override { return m_name.c_str(); }

    // Appends an item (owned) and lays the group out again.
    void AddItem(std::unique_ptr<Widget> item);
    // Deletes every item.
    void Clear();
    // Item n (lowered to the last) gets the selected colour, every other the unselected one; nothing in a group
    // that is not selectable or has no items.
    void SelectItem(int32_t n);
    // Shows from item n (0 for a negative n, at most the last item).
    void SetTopItem(int32_t n);
    // Scrolls the least that shows item n.
    void EnsureVisible(int32_t n);

    void SetSelectable(bool selectable) { m_bSelectable = selectable; }
    int32_t GetFirst() const { return m_iFirst; }
    int32_t GetLast() const { return m_iLast; }
    // Items shown from the first on (0 when even the first does not fit).
    int32_t GetShownCount() const { return m_iShown; }
    int32_t GetSelected() const { return m_iSelected; }
    int32_t GetItemCount() const { return static_cast<int32_t>(m_items.size()); }
    Widget* GetItem(int32_t n) const { return m_items[static_cast<size_t>(n)].get(); }
    ScrollBar* GetScrollBar() const { return m_pScrollBar.get(); }

private:
    void UpdateRange();
    void LayOut();
    void UpdateScrollBar();
    // How many items from the last one back fit in the group (at least 1).
    int32_t ItemsFittingAtTheEnd() const;
    void FollowScrollBar();

    std::string m_name;
    std::deque<std::unique_ptr<Widget>> m_items;
    int32_t m_iFirst = 0;
    int32_t m_iLast = 0;
    int32_t m_iShown = 0;
    std::unique_ptr<ScrollBar> m_pScrollBar;
    GuiRect m_scrollRect;
    bool m_bSelectable = true;
    int32_t m_iSelected = 0;
};
