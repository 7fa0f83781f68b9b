// The object browser: the table of rows (guests, buildings, staff, animals or one object's indexed list), its
// columns of texts, pictures, buttons, number adjusters and filter cells, and the row sources with their filters and
// stable sort orders. Rows keep object ids and look the objects up again on every update and draw.
#pragma once

#include "gui/PanelData.h"
#include "gui/Widget.h"

#include <memory>
#include <string>
#include <vector>

class Bar;
class Button;
class NumberAdjust;
class ScrollBar;
class VariableImage;

namespace browser
{
enum Source : int32_t
{
    SRC_GUESTS = 0,
    SRC_BUILDINGS = 1,
    SRC_ATTRACTIONS = 2,
    SRC_STAFF = 3,
    SRC_BUILDING_ANIMALS = 4,
    SRC_ANIMALS = 5,
    SRC_GUEST_VISITED = 6,
    SRC_AVAILABLE_ANIMALS = 7,
    SRC_DEBUG_INFO = 8,
    SRC_SENT_INFO = 9,
    SRC_NONE = -1,
};

// The source and row kind of a table name (case-sensitive); false (SRC_NONE) for another name.
bool SourceOfName(const char* name, int32_t* source, bool* perObject);
// Keeps the entries the filter lets through, in the source's order, and writes their ids. Sources 0, 1, 3, 5.
void SelectRows(int32_t source, int32_t filter, std::vector<BrowserEntry>& entries, std::vector<uint32_t>& ids);

// The filter display of a filter id: how a filter cell shows the value the filter is about.
enum FilterMode : int32_t
{
    FM_BAR = 0,
    FM_TEXT = 1,
    FM_NOTHING = 2,
};
struct FilterDisplay
{
    int32_t id;
    int32_t mode;
    const char* keyword;
    int32_t style;
};
// Null for an id without a display (it shows nothing).
const FilterDisplay* FindFilterDisplay(int32_t id);
// The text key of the filter heading; null for none.
const char* FilterTextKey(int32_t id);
// The filter a filter cell last switched to.
int32_t GetCurrentFilter();
void SetCurrentFilter(int32_t id);
} // namespace browser

// One filter cell: a bar or a text of the value the current filter is about.
class GuestFilterCell
{
public:
    GuestFilterCell(int32_t left, int32_t top, int32_t right, int32_t bottom);
    ~GuestFilterCell();

    void SetFilter(int32_t id);
    void Draw(int32_t y, DialogListener* object, int32_t font, uint32_t colour);
    void DrawCached(int32_t y, DialogListener* object);
    void Move(int32_t dx, int32_t dy);
    void Reposition(int32_t dx, int32_t dy);
    int32_t GetMode() const { return m_iMode; }
    int32_t GetShownFilter() const { return m_iShown; }
    const char* GetKeyword() const { return m_keyword; }
    Bar* GetBar() const { return m_pBar.get(); }

private:
    std::unique_ptr<Bar> m_pBar;
    GuiRect m_rect;
    GuiRect m_home;
    int32_t m_iMode = browser::FM_NOTHING;
    const char* m_keyword = nullptr;
    int32_t m_iShown = 0;
};

class TableColumn : public Widget
{
public:
    enum CellKind : int32_t
    {
        CELL_TEXT = 0,
        CELL_IMAGE = 1,
        CELL_BUTTON = 2,
        CELL_FILTER = 3,
        CELL_ADJUST = 4,
    };

    TableColumn(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* name, uint32_t colour,
                int32_t font, int32_t contentX, bool keepFullText);
    ~TableColumn() override;

    void Reposition(int32_t dx, int32_t dy) override;
    void Move(int32_t dx, int32_t dy) override;
    void SetDirty() override;
    void SetChanged(bool changed) override;
    bool HasChanged() const override;
    void SetActive(bool active) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    const char* GetName() const override { return m_name.c_str(); }

    void SetRowHeight(int32_t height) { m_iRowHeight = height; }
    void ResetRows()
    {
        m_iRowCursor = 0;
        m_iRowY = 0;
    }
    void SetRowCount(int32_t rows);
    // The object may be null (gone since the refill): its cells are skipped.
    void UpdateRow(float dt, DialogListener* object, uint32_t id);
    void UpdateIndexedRow(float dt, DialogListener* object);
    void DrawCachedRow(DialogListener* object, bool highlight);
    void DrawRow(DialogListener* object, bool highlight);
    void DrawIndexedRow(DialogListener* object, int32_t index, bool highlight);
    // Forgets a press on drawn row k's button or steps that has not acted yet: the row now shows another object.
    void CancelRowPress(int32_t k);

    int32_t GetCellKind() const { return m_iKind; }
    int32_t GetRowWidgets() const { return m_iRowWidgets; }
    NumberAdjust* GetAdjuster(size_t k) const { return k < m_adjusters.size() ? m_adjusters[k].get() : nullptr; }
    Button* GetButton(size_t k) const { return k < m_buttons.size() ? m_buttons[k].get() : nullptr; }
    GuestFilterCell* GetFilterCell() const { return m_pFilter.get(); }
    // The filter id of this filter column's selection slot (the cell's own for an unknown name).
    void TakeFilter();

private:
    // Spends the pending steps of an adjuster whose row object is gone.
    static void DropSteps(NumberAdjust& adjust, float dt);
    // Fills the row at y in the highlight colour when it is the selected one.
    void Highlight(bool highlight, int32_t y);

    std::string m_name;
    int32_t m_iRowHeight = 0;
    uint32_t m_uColour;
    int32_t m_iFont;
    int32_t m_iRowY = 0;
    int32_t m_iKind = CELL_BUTTON;
    std::unique_ptr<VariableImage> m_pImage;
    std::vector<std::unique_ptr<Button>> m_buttons;
    std::vector<std::unique_ptr<NumberAdjust>> m_adjusters;
    int32_t m_iRowWidgets = 0;
    int32_t m_iRowCursor = 0;
    std::unique_ptr<GuestFilterCell> m_pFilter;
    bool m_bKeepFullText;
    int32_t m_iContentX;
};

class Table : public Widget
{
public:
    static constexpr float kRefreshTime = 4.0f;
    static constexpr uint32_t kHighlightColour = 0xFF1ADB7B;

    Table(const GuiRect& bounds, const GuiRect& scrollBounds, const char* name, int32_t rowHeight, int32_t visibleRows,
          bool selectable);
    ~Table() override;

    void Update(float dt) override;
    void Refresh() override;
    void AddChild(Widget* child) override;
    void Reposition(int32_t dx, int32_t dy) override;
    void SetDirty() override;
    void SetActive(bool active) override;
    void Move(int32_t dx, int32_t dy) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void DrawCached() override;
    void Draw() override;
    void SetChanged(bool changed) override;
    bool HasChanged() const override;
    const char* GetName() const override { return m_name.c_str(); }

    // The source's refill: nothing until the refresh timer reaches 4 s.
    void FillRows(float dt);
    void UpdateScrollBar();
    void NotifySelection();

    int32_t GetSource() const { return m_iSource; }
    bool IsPerObject() const { return m_bPerObject; }
    int32_t GetRowCount() const { return m_iRowCount; }
    int32_t GetDrawnRows() const { return m_iDrawnRows; }
    int32_t GetTopRow() const { return m_iTopRow; }
    int32_t GetSelectedRow() const { return m_iSelected; }
    const std::vector<uint32_t>& GetRowIds() const { return m_rowIds; }
    ScrollBar* GetScrollBar() const { return m_pScrollBar.get(); }
    const std::vector<TableColumn*>& GetColumns() const { return m_columns; }
    float GetRefreshTimer() const { return m_fRefreshTimer; }

private:
    // The object of row r (per-object rows: looked up by id; indexed rows: the dialog object); null when gone.
    DialogListener* RowObject(int32_t r) const;
    void ClearRows();
    // Selects the row of the object with that id when the rows hold it (per-object rows).
    void FollowSelection(uint32_t id);
    // Drops the pending presses of the drawn rows that show another object than at the last update, and notes the
    // objects they show now.
    void KeepRowPressesOnTheirObjects();

    std::string m_name;
    int32_t m_iRowHeight;
    int32_t m_iTopRow = 0;
    int32_t m_iSource = browser::SRC_NONE;
    bool m_bPerObject = false;
    int32_t m_iRowCount = 0;
    std::unique_ptr<ScrollBar> m_pScrollBar;
    int32_t m_iVisibleRows;
    std::vector<uint32_t> m_rowIds;
    std::vector<TableColumn*> m_columns;
    GuiRect m_scrollRect;
    int32_t m_iDrawnRows = 0;
    float m_fRefreshTimer = kRefreshTime;
    bool m_bSelectable;
    int32_t m_iSelected = -1;
    int32_t m_iMovedX = 0;
    int32_t m_iMovedY = 0;
    std::vector<BrowserEntry> m_entries; // reused between refills
    std::vector<uint32_t> m_shownIds;    // the object of each drawn row's widgets, per-object rows only
};
