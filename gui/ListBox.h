// ListBox: the scrolling list of the dialogs, filled by code at run time with rows of cells (texts, images,
// buttons) at horizontal offsets; it keeps a sorted selection (several rows with the control key when allowed),
// highlights it, pages through a scroll bar when the rows outnumber those shown, and tells its owner which row
// button was pressed and whether a press was a double click.
#pragma once

#include "gui/ListRows.h"
#include "gui/Widget.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class ScrollBar;

class ListBox : public Widget, public ListRows
{
public:
    // A second press within this many seconds of the first is a double click.
    static constexpr float kDoubleClickTime = 0.25f;
    static constexpr uint32_t kSelectedColour = 0xff1adb7b;

    // One cell: its widget (owned), row, whether it is in use (button cells stay unused after a Clear, to be
    // taken again), the value of a button cell and its x offset in the list.
    struct Cell
    {
        enum Kind : uint8_t
        {
            TEXT,
            IMAGE,
            BUTTON,
        };
        std::unique_ptr<Widget> widget;
        int32_t row = -1;
        bool inUse = true;
        int32_t value = 0;
        int32_t x = 0;
        Kind kind = TEXT;
    };

    ListBox(const GuiRect& list, const GuiRect& scrollBar, const char* name, int32_t rowHeight, int32_t visibleRows);
    ~ListBox() override;

    void Update(float dt) override;
    void Reposition(int32_t dx, int32_t dy) override;
    void SetDirty() override;
    void SetActive(bool active) override;
    void Move(int32_t dx, int32_t dy) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void Draw() override;
    const char* GetName() const override { return m_name.c_str(); }

    // A text cell of `row` at x offset `x`, `width` wide, the text shortened with "..." to fit in that font;
    // `newRow` counts a new row. `spare` has no effect. The 8-bit form reads the text as code page 1252.
    void AddText(int32_t row, int32_t x, int32_t width, int32_t spare, int32_t alignment, int32_t font, uint32_t colour,
                 const char16_t* text, bool newRow);
    void AddText(int32_t row, int32_t x, int32_t width, int32_t spare, int32_t alignment, int32_t font, uint32_t colour,
                 const char* text, bool newRow);
    // An image cell of `row` showing the sprite at frame 0 (frame 1 while the row is selected).
    void AddImage(int32_t row, int32_t x, const char* sprite);
    // A button cell of `row` carrying `value`; a button cell of that row left from before is taken again.
    void AddButton(int32_t row, int32_t x, const char* sprite, int32_t value);
    // The value of the first button of the row that fired since last asked; false when none did.
    bool TakeButtonPress(int32_t row, int32_t* value);
    // Text and image cells go; button cells stay unused, any press on them forgotten; no rows are left and the
    // scroll bar goes.
    void Clear();
    void ClearSelection() { m_selection.clear(); }
    // Selects the row (kept within the rows), alone when `replace` or the list takes one row at a time; otherwise
    // adds it, or takes it away unless it is the only one. Nothing while the list has no rows.
    void Select(int32_t row, bool replace);
    // Scrolls the least that shows the row.
    void EnsureVisible(int32_t row);
    // The first row shown, kept from 0 to the last first row that still fills the list.
    void SetFirst(int32_t first);

    void SetMultiSelect(bool multi) { m_bMultiSelect = multi; }
    void SetSelectable(bool selectable) { m_bSelectable = selectable; }
    bool IsSelectable() const { return m_bSelectable; }
    bool IsMultiSelect() const { return m_bMultiSelect; }
    const std::vector<int32_t>& GetSelection() const { return m_selection; }
    bool IsSelected(int32_t row) const;
    bool WasDoubleClicked() const { return m_bDoubleClick; }
    int32_t GetFirst() const { return m_iFirst; }
    int32_t GetShown() const { return m_iShown; }
    int32_t GetRowHeight() const { return m_iRowHeight; }
    int32_t GetVisibleRows() const { return m_iVisibleRows; }
    const std::vector<Cell>& GetCells() const { return m_cells; }
    ScrollBar* GetScrollBar() const { return m_pScrollBar.get(); }

    // ---- ListRows
    void ClearRows() override { Clear(); }
    void AddTextItem(int32_t row, int32_t x, int32_t width, int32_t ignored, int32_t textFlags, int32_t font,
                     uint32_t colour, const char16_t* text, bool newRow) override
    {
        AddText(row, x, width, ignored, textFlags, font, colour, text, newRow);
    }
    void AddImageItem(int32_t row, int32_t x, const char* spriteName) override { AddImage(row, x, spriteName); }
    void SetSelected(int32_t row, bool exclusive) override { Select(row, exclusive); }
    const std::vector<int32_t>& GetSelectedRows() const override { return m_selection; }
    int32_t GetRowCount() const override { return m_iRowCount; }

private:
    // Appends a cell and places it for the rows now shown.
    void AddCell(Cell cell);
    // Each cell of the rows shown at its row's place below the list's top.
    void PlaceRows();
    void PlaceCell(Cell& cell, int32_t slot);
    // A scroll bar while the rows outnumber those shown, none otherwise.
    void UpdateScrollBar();
    // Takes the scroll bar's first row when it differs.
    void FollowScrollBar();
    int32_t LastFirst() const;
    void RebuildIndex();

    GuiRect m_scrollRect;
    std::string m_name;
    bool m_bMultiSelect = false;
    bool m_bSelectable = true;
    int32_t m_iRowHeight;
    int32_t m_iVisibleRows;
    int32_t m_iFirst = 0;
    int32_t m_iShown = 0;
    std::vector<Cell> m_cells;
    // The cells of each row, by their place in m_cells.
    std::unordered_map<int32_t, std::vector<uint32_t>> m_rowCells;
    std::vector<int32_t> m_selection;
    int32_t m_iRowCount = 0;
    std::unique_ptr<ScrollBar> m_pScrollBar;
    bool m_bClickTimer = false;
    float m_fClickTime = 0.0f;
    bool m_bDoubleClick = false;
};
