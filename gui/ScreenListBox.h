// ScreenListBox: the list of the front-end screens (scenarios, saved games): rows of text and picture cells that a
// screen places and moves like any element, with a scroll bar while the rows do not fit, one selected row and
// double-clicks.
#pragma once

#include "gui/ListRows.h"
#include "gui/ScreenElements.h"

#include <memory>
#include <vector>

class ScrollBar;

class ScreenListBox : public ScreenElement, public ListRows
{
public:
    static constexpr float kDoubleClickTime = 0.25f;
    static constexpr uint32_t kSelectedColour = 0xFF1ADB7B;
    static constexpr int32_t kScrollBarWidth = 14;

    struct Cell
    {
        std::unique_ptr<Widget> widget;
        int32_t row = 0;
        bool selected = false;
    };

    // A row height of 0 is taken as 1.
    ScreenListBox(const GuiRect& rect, const char* name, int32_t rowHeight, int32_t visibleRows);
    ~ScreenListBox() override;

    // The script's rows plus those a display taller than the page has room for (never fewer than the script's).
    static int32_t VisibleRowsFor(int32_t scriptRows, int32_t listHeight, int32_t rowHeight, int32_t displayHeight);

    void Update(float dt) override;
    void SetActive(bool active) override;
    // Cells and the scroll bar move with the list; the offsets sum the moves.
    void Move(int32_t dx, int32_t dy) override;
    // Back to the list's home place plus (dx, dy); the cells keep their places within the list.
    void Reposition(int32_t dx, int32_t dy) override;
    void SetDirty() override;
    bool OnScreenMouse(float x, float y, int32_t event) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void Draw() override;
    float GetRelativeWidth() const override { return 0.5f; }
    float GetRelativeHeight() const override { return 0.5f; }

    // ListRows
    void ClearRows() override;
    void AddTextItem(int32_t row, int32_t x, int32_t width, int32_t ignored, int32_t textFlags, int32_t font,
                     uint32_t colour, const char16_t* text, bool newRow) override;
    void AddImageItem(int32_t row, int32_t x, const char* spriteName) override;
    // The one selected row, lowered to the last row; nothing while the list has no rows.
    void SetSelected(int32_t row, bool exclusive) override;
    const std::vector<int32_t>& GetSelectedRows() const override { return m_selected; }
    int32_t GetRowCount() const override { return m_iRowCount; }

    bool WasDoubleClicked() const { return m_bDoubleClicked; }
    bool IsClickPending() const { return m_bClickPending; }
    void SetSelectable(bool selectable) { m_bSelectable = selectable; }
    bool IsSelectable() const { return m_bSelectable; }
    int32_t GetVisibleRows() const { return m_iVisibleRows; }
    int32_t GetShownRows() const { return m_iShownRows; }
    int32_t GetFirstRow() const { return m_iFirstRow; }
    int32_t GetOffsetX() const { return m_iOffsetX; }
    int32_t GetOffsetY() const { return m_iOffsetY; }
    ScrollBar* GetScrollBar() const { return m_pScrollBar.get(); }
    const std::vector<Cell>& GetCells() const { return m_cells; }
    // The list's page rectangle from its place and placed size.
    GuiRect PageRect() const;

private:
    void UpdateScrollBar();
    // The pointer at page pixel (x, y); outside the window, the scroll bar is told so.
    bool Pointer(int32_t x, int32_t y, bool outsideWindow, int32_t event);
    // Puts the cells of the shown rows one under the other from the list's top.
    void LayOutVisibleRows();

    int32_t m_iRowHeight;
    int32_t m_iVisibleRows;
    int32_t m_iFirstRow = 0;
    int32_t m_iShownRows = 0;
    int32_t m_iRowCount = 0;
    std::vector<Cell> m_cells;
    std::vector<int32_t> m_selected;
    std::unique_ptr<ScrollBar> m_pScrollBar;
    float m_fClickTimer = 0.0f;
    bool m_bClickPending = false;
    bool m_bDoubleClicked = false;
    bool m_bSelectable = true;
    int32_t m_iOffsetX = 0;
    int32_t m_iOffsetY = 0;
};
