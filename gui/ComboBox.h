// ComboBox: a drop-down list of a fixed repertoire. The script names one of seven list kinds; the box fills itself
// with that kind's entries (text ids, with separators) and writes the value of the entry the player picks to its
// target: a selection slot of the GUI manager or a video option, applied at once. Opened, it shows its rows below
// (or above) itself, with a scroll bar when they outnumber the rows it shows.
#pragma once

#include "gui/MainItem.h"
#include "gui/Widget.h"
#include "platform/WideText.h"

#include <memory>
#include <vector>

class Button;
class ScrollBar;

class ComboBox : public Widget
{
public:
    enum Kind : int32_t
    {
        GUEST_FILTER = 0,
        CELL_PAINT = 1,
        BUILDING_FILTER = 2,
        STAFF_FILTER = 3,
        ANIMAL_FILTER = 4,
        MATERIAL_QUALITY = 5,
        VIDEO_FILTER_TYPE = 6,
        KIND_COUNT = 7,
    };
    // An entry of this value is a separator.
    static constexpr int32_t kSeparator = -1;
    static constexpr uint32_t kSeparatorColour = 0xff9e8a21;
    static constexpr uint32_t kHoverColour = 0xff4a61c9;

    struct Entry
    {
        platform::WString text; // empty for a separator
        int32_t value = 0;
    };

    // `kind` is the script's word ("GuestFilter", "MaterialQuality", ...; any other word is the guest filter);
    // `style` 0 to 2 picks the button's and the text area's look.
    ComboBox(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* kind, uint32_t colour, int32_t font,
             int32_t visibleRows, int32_t style, bool opensUpward);
    ~ComboBox() override;

    void Update(float dt) override;
    void Reposition(int32_t dx, int32_t dy) override;
    void SetDirty() override;
    // Activated, it fills itself at the next update; deactivated, it closes and forgets its entries.
    void SetActive(bool active) override;
    void Move(int32_t dx, int32_t dy) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void DrawCached() override;
    void Draw() override;
    void SetChanged(bool changed) override;
    bool HasChanged() const override;

    // The text id's text and its value; kSeparator adds a separator.
    void AddEntry(const char* textId, int32_t value);
    void ClearEntries() { m_entries.clear(); }

    int32_t GetKind() const { return m_iKind; }
    bool IsOpen() const { return m_bOpen; }
    int32_t GetSelected() const { return m_iSelected; }
    int32_t GetHover() const { return m_iHover; }
    int32_t GetFirst() const { return m_iFirst; }
    const std::vector<Entry>& GetEntries() const { return m_entries; }
    ScrollBar* GetScrollBar() const { return m_pScrollBar.get(); }
    const MainItem* GetPanel() const { return m_pPanel.get(); }
    const MainItem& GetTextArea() const { return *m_pTextArea; }
    const Button& GetDropButton() const { return *m_pButton; }
    // Open, with the point on the box, its list or the list's scroll bar.
    bool CoversPoint(int32_t x, int32_t y) const;
    // Twice the height of the box's font (0 without one).
    int32_t GetRowHeight() const;

private:
    void Fill();
    void Open();
    void Close();
    // Writes the value of the selected entry to the kind's target.
    void Choose();
    void SetOpen(bool open);

    bool m_bOpen = false;
    int32_t m_iKind;
    int32_t m_iStyle;
    int32_t m_iFont;
    uint32_t m_uColour;
    int32_t m_iSelected = 0;
    int32_t m_iHover = 0;
    std::unique_ptr<ScrollBar> m_pScrollBar;
    std::unique_ptr<MainItem> m_pPanel;
    std::unique_ptr<MainItem> m_pTextArea;
    int32_t m_iFirst = 0;
    int32_t m_iVisibleRows;
    // Rows the open panel shows.
    int32_t m_iShownRows = 0;
    std::vector<Entry> m_entries;
    std::unique_ptr<Button> m_pButton;
    bool m_bRefresh = true;
    bool m_bUpward;
};
