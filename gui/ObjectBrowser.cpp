// The object browser's table, columns, filter cells, row sources, filters and sort orders.
#include "gui/ObjectBrowser.h"

#include "engine/render/TextWriter.h"
#include "gui/BoundValue.h"
#include "gui/Button.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "gui/Image.h"
#include "gui/ListRows.h"
#include "gui/MainItem.h"
#include "gui/NumberAdjust.h"
#include "gui/ScrollBar.h"
#include "gui/VariableWidgets.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace browser
{
namespace
{
int32_t g_iCurrentFilter = 0;

struct SourceName
{
    const char* name;
    int32_t source;
    bool perObject;
};
constexpr SourceName kSources[] = {
    {"GUESTS", SRC_GUESTS, true},
    {"BUILDINGS", SRC_BUILDINGS, true},
    {"ATTRACTIONS", SRC_ATTRACTIONS, false},
    {"STAFF_LIST", SRC_STAFF, true},
    {"BUILDINGANIMALS", SRC_BUILDING_ANIMALS, true},
    {"ANIMALS", SRC_ANIMALS, true},
    {"GUESTVISITED", SRC_GUEST_VISITED, false},
    {"AVAILABLE_ANIMALS", SRC_AVAILABLE_ANIMALS, false},
    {"DEBUG_INFO", SRC_DEBUG_INFO, false},
    {"SENT_INFO", SRC_SENT_INFO, false},
};

constexpr FilterDisplay kDisplays[] = {
    {1, FM_BAR, "GUEST_HAPPY_VALUE", 1},
    {3, FM_BAR, "GUEST_HAPPY_VALUE", 1},
    {4, FM_BAR, "GUEST_HAPPY_VALUE", 1},
    {2, FM_TEXT, "GUEST_CASH", 0},
    {5, FM_BAR, "GUEST_DESIRE_TOILET", 2},
    {6, FM_BAR, "GUEST_OPINION_PRICE", 1},
    {7, FM_BAR, "GUEST_OPINION_CROWDING", 1},
    {8, FM_BAR, "GUEST_OPINION_BEAUTY", 1},
    {9, FM_BAR, "GUEST_OPINION_CLEANLINESS", 1},
    {10, FM_BAR, "GUEST_OPINION_VARIETY", 1},
    {11, FM_BAR, "GUEST_OPINION_WELFARE", 1},
    {12, FM_NOTHING, "BUILDING_REPAIRSTATE", 0},
    {13, FM_TEXT, "BUILDING_REPAIRSTATE_%", 0},
    {22, FM_TEXT, "BUILDING_FAULTS", 0},
    {14, FM_TEXT, "BUILDING_INCOMETODAY$", 0},
    {15, FM_TEXT, "BUILDING_COSTTODAY$", 0},
    {16, FM_TEXT, "BUILDING_PROFITTODAY$", 0},
    {17, FM_TEXT, "BUILDING_AVERAGEPROFIT$", 0},
    {20, FM_TEXT, "BUILDING_AGE", 0},
    {21, FM_TEXT, "BUILDING_NUMVISITS", 0},
    {23, FM_TEXT, "BUILDING_INCOMETODAY$", 0},
    {24, FM_TEXT, "BUILDING_INCOMETODAY$", 0},
    {25, FM_TEXT, "BUILDING_INCOMETODAY$", 0},
    {26, FM_TEXT, "BUILDING_INCOMETODAY$", 0},
    {28, FM_TEXT, "BUILDING_INCOMETODAY$", 0},
    {29, FM_TEXT, "BUILDING_INCOMETODAY$", 0},
    {30, FM_TEXT, "BUILDING_INCOMETODAY$", 0},
    {31, FM_TEXT, "BUILDING_INCOMETODAY$", 0},
    {18, FM_TEXT, "BUILDING_OPEN", 0},
    {19, FM_TEXT, "BUILDING_OPEN", 0},
    {32, FM_TEXT, "ANIMAL_HEALTH_LEVEL", 0},
    {33, FM_BAR, "ANIMAL_HEALTH", 1},
    {34, FM_BAR, "ANIMAL_OPINION_FOOD", 1},
    {35, FM_BAR, "ANIMAL_OPINION_CROWDING", 1},
    {36, FM_BAR, "ANIMAL_OPINION_CLEANLINESS", 1},
};

struct Heading
{
    int32_t id;
    const char* key;
};
constexpr Heading kHeadings[] = {
    {1, "OB_GF_HAPPY"},        {5, "OB_GF_BLADDER"},      {2, "OB_GF_CASH"},     {3, "OB_GF_HAPPY"},
    {4, "OB_GF_HAPPY"},        {6, "OB_GF_PRICE"},        {7, "OB_GF_QUEUING"},  {8, "OB_GF_BEAUTY"},
    {9, "OB_GF_CLEANLINESS"},  {10, "OB_GF_VARIETY"},     {11, "OB_GF_WELFARE"}, {13, "OB_BF_REPAIR"},
    {14, "OB_BF_INCOME"},      {15, "OB_BF_COSTS"},       {16, "OB_BF_PROFIT"},  {17, "OB_BF_AVPROFIT"},
    {18, "OB_BH_OPEN_STATUS"}, {19, "OB_BH_OPEN_STATUS"}, {20, "OB_BF_AGE"},     {21, "OB_BF_CUSTOMERS_TODAY"},
    {23, "OB_BF_INCOME"},      {24, "OB_BF_INCOME"},      {25, "OB_BF_INCOME"},  {26, "OB_BF_INCOME"},
    {28, "OB_BF_INCOME"},      {29, "OB_BF_INCOME"},      {30, "OB_BF_INCOME"},  {31, "OB_BF_INCOME"},
    {22, "OB_BF_FAULTS"},      {32, "OB_AF_ALL"},         {33, "OB_AF_HAPPY"},   {34, "OB_AF_FOOD"},
    {35, "OB_AF_CROWDING"},    {36, "OB_AF_CLEANLINESS"},
};

// Whether a key is no number; such keys stand after every number.
template <typename K> bool NotANumber(K key)
{
    if constexpr (std::is_floating_point_v<K>)
        return std::isnan(key);
    else
        return false;
}

// A numeric key, larger first unless `ascending`; keys that are no number come last, in pool order.
template <typename Key> void SortBy(std::vector<const BrowserEntry*>& rows, Key key, bool ascending = false)
{
    // Decorate, then sort the pairs: the key is read once per row.
    using K = decltype(key(*rows.front()));
    std::vector<std::pair<K, const BrowserEntry*>> keyed;
    keyed.reserve(rows.size());
    for (const BrowserEntry* e : rows)
        keyed.emplace_back(key(*e), e);
    const auto before = [ascending](const auto& a, const auto& b)
    {
        const bool badA = NotANumber(a.first), badB = NotANumber(b.first);
        if (badA || badB)
            return !badA;
        return ascending ? a.first < b.first : b.first < a.first;
    };
    std::stable_sort(keyed.begin(), keyed.end(), before);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = keyed[i].second;
}

void SortByName(std::vector<const BrowserEntry*>& rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const BrowserEntry* a, const BrowserEntry* b) { return a->name.compare(b->name) < 0; });
}

void SortGuests(std::vector<const BrowserEntry*>& rows, int32_t filter)
{
    auto opinion = [&](int o) { SortBy(rows, [o](const BrowserEntry& e) { return e.opinion[o]; }); };
    switch (filter)
    {
    case 2:
        SortBy(rows, [](const BrowserEntry& e) { return e.cash; });
        break;
    case 5:
        SortBy(rows, [](const BrowserEntry& e) { return e.toiletDesire; });
        break;
    case 6:
        opinion(BrowserEntry::GO_PRICE);
        break;
    case 7:
        opinion(BrowserEntry::GO_QUEUING);
        break;
    case 8:
        opinion(BrowserEntry::GO_BEAUTY);
        break;
    case 9:
        opinion(BrowserEntry::GO_CLEANLINESS);
        break;
    case 10:
        opinion(BrowserEntry::GO_VARIETY);
        break;
    case 11:
        opinion(BrowserEntry::GO_WELFARE);
        break;
    default:
        SortBy(rows, [](const BrowserEntry& e) { return e.happiness; });
        break;
    }
}

void SortBuildings(std::vector<const BrowserEntry*>& rows, int32_t filter)
{
    if (filter == 13)
        SortBy(
            rows, [](const BrowserEntry& e) { return e.repairState; }, true);
    else if (filter == 14 || (filter >= 23 && filter <= 31))
        SortBy(rows, [](const BrowserEntry& e) { return e.incomeToday; });
    else if (filter == 15)
        SortBy(rows, [](const BrowserEntry& e) { return e.costToday; });
    else if (filter == 16)
        SortBy(rows, [](const BrowserEntry& e) { return e.profitToday; });
    else if (filter == 17)
        SortBy(rows, [](const BrowserEntry& e) { return e.averageProfit; });
    else if (filter == 20)
        SortBy(rows, [](const BrowserEntry& e) { return e.age; });
    else if (filter == 21)
        SortBy(rows, [](const BrowserEntry& e) { return e.visitsToday; });
    else if (filter == 22)
        SortBy(rows, [](const BrowserEntry& e) { return e.faults; });
    else
        SortByName(rows);
}

void SortAnimals(std::vector<const BrowserEntry*>& rows, int32_t filter)
{
    switch (filter)
    {
    case 33:
        SortBy(rows, [](const BrowserEntry& e) { return e.happiness; });
        break;
    case 34:
        SortBy(rows, [](const BrowserEntry& e) { return e.animalOpinion[0]; });
        break;
    case 35:
        SortBy(rows, [](const BrowserEntry& e) { return e.animalOpinion[2]; });
        break;
    case 36:
        SortBy(rows, [](const BrowserEntry& e) { return e.animalOpinion[1]; });
        break;
    default:
        SortByName(rows);
        break;
    }
}

bool KeepBuilding(const BrowserEntry& e, int32_t filter)
{
    switch (filter)
    {
    case 14:
    case 16:
    case 17:
        return e.category != 5;
    case 18:
        return e.open;
    case 19:
        return !e.open;
    case 21:
        return !e.staffRoom && e.userBuild;
    default:
        if (filter >= 23 && filter <= 31)
            return e.category == filter - 22;
        return true;
    }
}
} // namespace

bool SourceOfName(const char* name, int32_t* source, bool* perObject)
{
    *source = SRC_NONE;
    *perObject = false;
    if (!name)
        return false;
    for (const SourceName& s : kSources)
        if (std::strcmp(name, s.name) == 0)
        {
            *source = s.source;
            *perObject = s.perObject;
            return true;
        }
    return false;
}

void SelectRows(int32_t source, int32_t filter, std::vector<BrowserEntry>& entries, std::vector<uint32_t>& ids)
{
    ids.clear();
    std::vector<const BrowserEntry*> rows;
    rows.reserve(entries.size());
    for (const BrowserEntry& e : entries)
    {
        if (e.removed)
            continue;
        bool keep = true;
        switch (source)
        {
        case SRC_GUESTS:
            keep = filter == 3 ? e.gender == 0 : filter == 4 ? e.gender == 1 : true;
            break;
        case SRC_BUILDINGS:
            keep = KeepBuilding(e, filter);
            break;
        case SRC_STAFF:
            keep = !e.sacked && ((filter == 0 && e.kind == 7) || (filter == 1 && e.kind == 6) ||
                                 (filter == 2 && e.kind == 8) || filter == 3);
            break;
        case SRC_ANIMALS:
            keep = e.kind == 9;
            break;
        default:
            keep = false;
            break;
        }
        if (keep)
            rows.push_back(&e);
    }
    if (!rows.empty())
    {
        if (source == SRC_STAFF)
        {
            if (filter == 3)
                SortByName(rows);
            else
                SortBy(
                    rows, [](const BrowserEntry& e) { return e.id; }, true);
        }
        else if (filter != 0)
        {
            if (source == SRC_GUESTS)
                SortGuests(rows, filter);
            else if (source == SRC_BUILDINGS)
                SortBuildings(rows, filter);
            else if (source == SRC_ANIMALS)
                SortAnimals(rows, filter);
        }
    }
    ids.reserve(rows.size());
    for (const BrowserEntry* e : rows)
        ids.push_back(e->id);
}

const FilterDisplay* FindFilterDisplay(int32_t id)
{
    for (const FilterDisplay& d : kDisplays)
        if (d.id == id)
            return &d;
    return nullptr;
}

const char* FilterTextKey(int32_t id)
{
    for (const Heading& h : kHeadings)
        if (h.id == id)
            return h.key;
    return nullptr;
}

int32_t GetCurrentFilter()
{
    return g_iCurrentFilter;
}

void SetCurrentFilter(int32_t id)
{
    g_iCurrentFilter = id;
}
} // namespace browser

// ---- GuestFilterCell

GuestFilterCell::GuestFilterCell(int32_t left, int32_t top, int32_t right, int32_t bottom)
    : m_rect{left, top, right, bottom}, m_home{left, top, right, bottom}
{
}

GuestFilterCell::~GuestFilterCell() = default;

void GuestFilterCell::SetFilter(int32_t id)
{
    if (id == m_iShown)
        return;
    m_iShown = id;
    browser::SetCurrentFilter(id);
    m_pBar.reset();
    m_keyword = nullptr;
    const browser::FilterDisplay* display = browser::FindFilterDisplay(id);
    m_iMode = display ? display->mode : browser::FM_NOTHING;
    if (!display)
        return;
    m_keyword = display->keyword;
    if (m_iMode == browser::FM_BAR)
    {
        // The colour mode follows the bar style of the table: 1 red to green, 2 green to red.
        // Made at the cell's home place and moved to where the cell stands now, so that a later layout of the
        // dialog at its home place puts the bar back in the cell.
        m_pBar = std::make_unique<Bar>(m_home.left, m_home.top, m_home.right, m_home.bottom, 0.0f, 1.0f,
                                       display->keyword, display->style, Bar::STYLE_FILL);
        m_pBar->Move(m_rect.left - m_home.left, m_rect.top - m_home.top);
        m_pBar->SetActive(true);
    }
}

void GuestFilterCell::Draw(int32_t y, DialogListener* object, int32_t font, uint32_t colour)
{
    if (!object)
        return;
    if (m_iMode == browser::FM_TEXT && m_keyword)
    {
        TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(font) : nullptr;
        if (!writer)
            return;
        platform::WString text;
        object->GetVariable(m_keyword, text);
        writer->SetAlignment(TextWriter::kAlignLeft);
        writer->SetColour(colour);
        writer->SetRect(m_rect.left, y, m_rect.right - m_rect.left, 15);
        writer->DrawText(0, 0, text.c_str());
    }
    else if (m_iMode == browser::FM_BAR && m_pBar)
    {
        m_pBar->SetPosition(m_pBar->GetRect().left, y);
        m_pBar->SetObject(object);
        m_pBar->SetDirty();
        m_pBar->Draw();
        m_pBar->SetObject(nullptr);
    }
}

void GuestFilterCell::DrawCached(int32_t y, DialogListener* object)
{
    if (m_iMode != browser::FM_BAR || !m_pBar || !object)
        return;
    m_pBar->SetPosition(m_pBar->GetRect().left, y);
    m_pBar->SetObject(object);
    m_pBar->DrawCached();
    m_pBar->SetObject(nullptr);
}

void GuestFilterCell::Move(int32_t dx, int32_t dy)
{
    m_rect.left += dx, m_rect.right += dx, m_rect.top += dy, m_rect.bottom += dy;
    if (m_pBar)
        m_pBar->Move(dx, dy);
}

void GuestFilterCell::Reposition(int32_t dx, int32_t dy)
{
    m_rect = {m_home.left + dx, m_home.top + dy, m_home.right + dx, m_home.bottom + dy};
    if (m_pBar)
        m_pBar->Reposition(dx, dy);
}

// ---- TableColumn

namespace
{
// The filter slot of a filter column's name; -1 for another name.
int32_t FilterSlot(const std::string& name)
{
    if (name == "GUEST")
        return 1;
    if (name == "BUILDING")
        return 2;
    if (name == "ANIMALS")
        return 12;
    return -1;
}
} // namespace

TableColumn::TableColumn(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* name, uint32_t colour,
                         int32_t font, int32_t contentX, bool keepFullText)
    : Widget(left, top, right, bottom), m_uColour(colour), m_iFont(font), m_bKeepFullText(keepFullText),
      m_iContentX(contentX)
{
    m_iType = WT_TABLECOLUMN;
    const std::string full = name ? name : "";
    if (full.compare(0, 4, "VAR_") == 0)
    {
        m_iKind = CELL_TEXT;
        m_name = full.substr(4);
    }
    else if (full.compare(0, 7, "VARIMG_") == 0)
    {
        m_iKind = CELL_IMAGE;
        m_name = full.substr(7);
        m_pImage = std::make_unique<VariableImage>(left + contentX, top, right, bottom, m_name.c_str());
    }
    else if (full.compare(0, 7, "FILTER_") == 0)
    {
        m_iKind = CELL_FILTER;
        m_name = full.substr(7);
        m_pFilter = std::make_unique<GuestFilterCell>(left + contentX, top, right, top + 13);
    }
    else if (full.compare(0, 7, "NUMADJ_") == 0)
    {
        m_iKind = CELL_ADJUST;
        m_name = full.substr(7);
    }
    else
    {
        m_iKind = CELL_BUTTON;
        m_name = full.size() > 4 ? full.substr(4) : std::string();
    }
}

TableColumn::~TableColumn()
{
    TableColumn::SetActive(false);
}

void TableColumn::TakeFilter()
{
    const int32_t slot = FilterSlot(m_name);
    if (m_pFilter && slot >= 0 && g_pGUIManager)
        m_pFilter->SetFilter(g_pGUIManager->GetSelection(slot));
}

void TableColumn::Reposition(int32_t dx, int32_t dy)
{
    // The row widgets were built where the column stood then (a dialog shown away from its home place, or dragged
    // before its rows grew): they move by as much as the column does now.
    const int32_t shiftX = m_homeRect.left + dx - m_rect.left, shiftY = m_homeRect.top + dy - m_rect.top;
    Widget::Reposition(dx, dy);
    for (auto& b : m_buttons)
        b->Move(shiftX, shiftY);
    if (m_pFilter)
        m_pFilter->Reposition(dx, dy);
    for (auto& a : m_adjusters)
        a->Move(shiftX, shiftY);
}

void TableColumn::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    for (auto& b : m_buttons)
        b->Move(dx, dy);
    if (m_pFilter)
        m_pFilter->Move(dx, dy);
    for (auto& a : m_adjusters)
        a->Move(dx, dy);
}

void TableColumn::SetDirty()
{
    Widget::SetDirty();
    for (auto& b : m_buttons)
        b->SetDirty();
    for (auto& a : m_adjusters)
        a->SetDirty();
}

void TableColumn::SetChanged(bool changed)
{
    Widget::SetChanged(changed);
    for (auto& b : m_buttons)
        b->SetChanged(changed);
    for (auto& a : m_adjusters)
        a->SetChanged(changed);
}

bool TableColumn::HasChanged() const
{
    if (Widget::HasChanged())
        return true;
    for (const auto& b : m_buttons)
        if (b->HasChanged())
            return true;
    for (const auto& a : m_adjusters)
        if (a->HasChanged())
            return true;
    return false;
}

void TableColumn::SetActive(bool active)
{
    Widget::SetActive(active);
    if (!active)
    {
        m_buttons.clear();
        m_adjusters.clear();
        m_iRowWidgets = 0;
    }
    else if (m_iKind == CELL_FILTER && m_pFilter)
    {
        TakeFilter();
        // The heading names the filter of the page shown: a page shown again names its own, though its cell kept
        // what it showed (and so did not switch).
        browser::SetCurrentFilter(m_pFilter->GetShownFilter());
    }
}

bool TableColumn::OnMouse(int32_t x, int32_t y, int32_t event)
{
    Widget::OnMouse(x, y, event);
    for (auto& b : m_buttons)
        b->OnMouse(x, y, event);
    for (auto& a : m_adjusters)
        a->OnMouse(x, y, event);
    return false;
}

void TableColumn::SetRowCount(int32_t rows)
{
    rows = std::max(rows, 0);
    if (rows == m_iRowWidgets)
        return;
    if (m_iKind == CELL_BUTTON && m_name == "GOTO")
    {
        while (static_cast<int32_t>(m_buttons.size()) < rows)
        {
            const int32_t k = static_cast<int32_t>(m_buttons.size());
            auto button = std::make_unique<Button>(m_rect.left + m_iContentX, m_rect.top + k * m_iRowHeight,
                                                   m_rect.right, m_rect.top + (k + 1) * m_iRowHeight, "UI3_ob_goto",
                                                   "None", "NONE", "NONE", true);
            button->SetTooltip("MENU_TIPTEXT_MOREINFO");
            button->SetActive(true);
            m_buttons.push_back(std::move(button));
        }
        m_buttons.resize(static_cast<size_t>(rows));
    }
    else if (m_iKind == CELL_ADJUST)
    {
        while (static_cast<int32_t>(m_adjusters.size()) < rows)
        {
            const int32_t k = static_cast<int32_t>(m_adjusters.size());
            char variable[96];
            std::snprintf(variable, sizeof variable, "%s_%d", m_name.c_str(), k);
            auto adjust = std::make_unique<NumberAdjust>(m_rect.left, m_rect.top + k * m_iRowHeight, m_rect.right,
                                                         m_rect.top + (k + 1) * m_iRowHeight, !m_bKeepFullText ? 1 : 0,
                                                         m_iFont, variable, false, true);
            adjust->SetActive(true);
            m_adjusters.push_back(std::move(adjust));
        }
        m_adjusters.resize(static_cast<size_t>(rows));
    }
    m_iRowWidgets = rows;
}

void TableColumn::DropSteps(NumberAdjust& adjust, float dt)
{
    // The row's object went: a step pressed on it fires here, on nothing, and not later on the row's next object.
    for (Button* step : {&adjust.GetIncrement(), &adjust.GetDecrement()})
    {
        step->Update(dt);
        step->ClearClicked();
    }
}

void TableColumn::UpdateRow(float dt, DialogListener* object, uint32_t id)
{
    const size_t k = static_cast<size_t>(m_iRowCursor++);
    if (m_iKind == CELL_FILTER)
        TakeFilter();
    else if (m_iKind == CELL_ADJUST && k < m_adjusters.size())
    {
        if (!object)
        {
            DropSteps(*m_adjusters[k], dt);
            return;
        }
        m_adjusters[k]->SetObject(object);
        m_adjusters[k]->Update(dt);
        m_adjusters[k]->SetObject(nullptr);
    }
    else if (m_iKind == CELL_BUTTON && k < m_buttons.size())
    {
        Button& button = *m_buttons[k];
        button.Update(dt);
        if (button.WasClicked())
        {
            button.ClearClicked();
            PanelData* data = GetPanelData();
            if (object && data && m_name == "GOTO")
                data->OpenObjectPanel(id);
        }
    }
}

void TableColumn::UpdateIndexedRow(float dt, DialogListener* object)
{
    const size_t k = static_cast<size_t>(m_iRowCursor++);
    if (m_iKind == CELL_ADJUST && k < m_adjusters.size() && object)
    {
        m_adjusters[k]->SetObject(object);
        m_adjusters[k]->Update(dt);
        m_adjusters[k]->SetObject(nullptr);
    }
    else if (m_iKind == CELL_BUTTON && k < m_buttons.size())
    {
        m_buttons[k]->Update(dt);
        if (m_buttons[k]->WasClicked())
            m_buttons[k]->ClearClicked();
    }
}

void TableColumn::CancelRowPress(int32_t k)
{
    const size_t row = static_cast<size_t>(k);
    if (k < 0)
        return;
    if (row < m_buttons.size())
        m_buttons[row]->CancelPress();
    if (row < m_adjusters.size())
    {
        m_adjusters[row]->GetIncrement().CancelPress();
        m_adjusters[row]->GetDecrement().CancelPress();
    }
}

void TableColumn::Highlight(bool highlight, int32_t y)
{
    if (highlight)
        GuiFill(m_rect.left, y, m_rect.right, y + m_iRowHeight - 1, Table::kHighlightColour);
}

void TableColumn::DrawCachedRow(DialogListener* object, bool)
{
    const size_t k = static_cast<size_t>(m_iRowCursor++);
    if (m_iKind == CELL_BUTTON && k < m_buttons.size())
        m_buttons[k]->DrawCached();
    else if (m_iKind == CELL_ADJUST && k < m_adjusters.size() && object)
    {
        m_adjusters[k]->SetObject(object);
        m_adjusters[k]->DrawCached();
        m_adjusters[k]->SetObject(nullptr);
    }
    else if (m_iKind == CELL_FILTER && m_pFilter)
    {
        TakeFilter();
        m_pFilter->DrawCached(m_rect.top + m_iRowY, object);
    }
    m_iRowY += m_iRowHeight;
}

void TableColumn::DrawRow(DialogListener* object, bool highlight)
{
    const size_t k = static_cast<size_t>(m_iRowCursor++);
    const int32_t y = m_rect.top + m_iRowY;
    m_iRowY += m_iRowHeight;
    Highlight(highlight, y);
    if (!object && m_iKind != CELL_BUTTON)
        return;
    switch (m_iKind)
    {
    case CELL_TEXT:
        if (TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(m_iFont) : nullptr)
        {
            platform::WString text;
            object->GetVariable(m_name.c_str(), text);
            writer->SetAlignment(TextWriter::kAlignLeft);
            writer->SetColour(m_uColour);
            writer->SetRect(m_rect.left, y, GetWidth(), m_iRowHeight);
            // The text starts at the content offset: it is shortened to the room right of it.
            writer->TruncateToWidth(text, GetWidth() - m_iContentX);
            writer->DrawText(m_iContentX, 0, text.c_str());
        }
        break;
    case CELL_IMAGE:
        if (m_pImage)
        {
            m_pImage->SetObject(object);
            m_pImage->SetPosition(m_rect.left + m_iContentX, y);
            m_pImage->Draw();
            m_pImage->SetObject(nullptr);
        }
        break;
    case CELL_BUTTON:
        if (k < m_buttons.size() && object)
            m_buttons[k]->Draw();
        break;
    case CELL_ADJUST:
        if (k < m_adjusters.size())
        {
            m_adjusters[k]->SetObject(object);
            m_adjusters[k]->Draw();
            m_adjusters[k]->SetObject(nullptr);
        }
        break;
    case CELL_FILTER:
        if (m_pFilter)
        {
            TakeFilter();
            m_pFilter->Draw(y, object, m_iFont, m_uColour);
        }
        break;
    default:
        break;
    }
}

void TableColumn::DrawIndexedRow(DialogListener* object, int32_t index, bool highlight)
{
    const size_t k = static_cast<size_t>(m_iRowCursor++);
    const int32_t y = m_rect.top + m_iRowY;
    m_iRowY += m_iRowHeight;
    Highlight(highlight, y);
    if (!object)
        return;
    if (m_iKind == CELL_TEXT)
    {
        TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(m_iFont) : nullptr;
        if (!writer)
            return;
        char keyword[96];
        std::snprintf(keyword, sizeof keyword, "%s_%d", m_name.c_str(), index);
        platform::WString text;
        object->GetVariable(keyword, text);
        writer->SetAlignment(TextWriter::kAlignLeft);
        writer->SetColour(m_uColour);
        writer->SetRect(m_rect.left, y, GetWidth(), m_iRowHeight);
        if (!m_bKeepFullText)
            writer->TruncateToWidth(text, GetWidth());
        writer->DrawText(0, 0, text.c_str());
    }
    else if (m_iKind == CELL_BUTTON && k < m_buttons.size())
        m_buttons[k]->Draw();
    else if (m_iKind == CELL_ADJUST && k < m_adjusters.size())
    {
        m_adjusters[k]->SetObject(object);
        m_adjusters[k]->Draw();
        m_adjusters[k]->SetObject(nullptr);
    }
}

// ---- Table

Table::Table(const GuiRect& bounds, const GuiRect& scrollBounds, const char* name, int32_t rowHeight,
             int32_t visibleRows, bool selectable)
    : Widget(bounds.left, bounds.top, bounds.right, bounds.bottom), m_name(name ? name : ""),
      m_iRowHeight(std::clamp(rowHeight, 0, kMaxListRowHeight)),
      m_iVisibleRows(std::clamp(visibleRows, 0, kMaxListVisibleRows)), m_scrollRect(scrollBounds),
      m_bSelectable(selectable)
{
    m_iType = WT_TABLE;
    browser::SourceOfName(m_name.c_str(), &m_iSource, &m_bPerObject);
}

Table::~Table() = default;

DialogListener* Table::RowObject(int32_t r) const
{
    if (!m_bPerObject)
        return CurrentDialogObject();
    PanelData* data = GetPanelData();
    if (!data || r < 0 || r >= static_cast<int32_t>(m_rowIds.size()))
        return nullptr;
    return data->FindObject(m_rowIds[static_cast<size_t>(r)]);
}

void Table::ClearRows()
{
    m_rowIds.clear();
    m_iRowCount = 0;
}

void Table::KeepRowPressesOnTheirObjects()
{
    if (!m_bPerObject)
    {
        m_shownIds.clear();
        return;
    }
    const size_t drawn = static_cast<size_t>(std::max(m_iDrawnRows, 0));
    const size_t before = m_shownIds.size();
    m_shownIds.resize(drawn, kNoObjectId);
    for (size_t k = 0; k < drawn; ++k)
    {
        const size_t r = static_cast<size_t>(m_iTopRow) + k;
        const uint32_t id = r < m_rowIds.size() ? m_rowIds[r] : kNoObjectId;
        if (k < before && m_shownIds[k] != id)
            for (TableColumn* column : m_columns)
                column->CancelRowPress(static_cast<int32_t>(k));
        m_shownIds[k] = id;
    }
}

void Table::FillRows(float dt)
{
    if (m_iSource == browser::SRC_DEBUG_INFO || m_iSource == browser::SRC_SENT_INFO || m_iSource == browser::SRC_NONE)
        return;
    m_fRefreshTimer += dt;
    if (m_fRefreshTimer < kRefreshTime)
        return;
    m_fRefreshTimer = 0.0f;
    // The object on the selected row: the selection stays on it wherever the refill puts it.
    const uint32_t selectedId = m_bPerObject && m_iSelected >= 0 && m_iSelected < static_cast<int32_t>(m_rowIds.size())
                                    ? m_rowIds[static_cast<size_t>(m_iSelected)]
                                    : kNoObjectId;
    ClearRows();
    PanelData* data = GetPanelData();
    DialogListener* dialogObject = CurrentDialogObject();
    auto selection = [](int slot) { return g_pGUIManager ? g_pGUIManager->GetSelection(slot) : 0; };
    auto publishCount = [&]
    {
        if (!g_pGUIManager)
            return;
        const int32_t old = g_pGUIManager->GetSelection(6);
        g_pGUIManager->SetSelection(6, m_iRowCount);
        if (old != m_iRowCount)
            g_pGUIManager->RedrawDialog("ObjectBrowser", false);
    };
    m_entries.clear();
    switch (m_iSource)
    {
    case browser::SRC_GUESTS:
    case browser::SRC_BUILDINGS:
    case browser::SRC_STAFF:
    case browser::SRC_ANIMALS:
    {
        int32_t slot = 1;
        if (data)
        {
            if (m_iSource == browser::SRC_GUESTS)
                data->ListGuests(m_entries);
            else if (m_iSource == browser::SRC_BUILDINGS)
                data->ListBuildings(m_entries), slot = 2;
            else if (m_iSource == browser::SRC_STAFF)
                data->ListStaff(m_entries), slot = 9;
            else
                data->ListAnimals(m_entries), slot = 12;
        }
        browser::SelectRows(m_iSource, selection(slot), m_entries, m_rowIds);
        m_iRowCount = static_cast<int32_t>(m_rowIds.size());
        FollowSelection(selectedId);
        UpdateScrollBar();
        publishCount();
        if (m_iSource == browser::SRC_STAFF)
            NotifySelection();
        break;
    }
    case browser::SRC_BUILDING_ANIMALS:
    {
        std::vector<uint32_t> animals;
        if (data && dialogObject && data->GetBuildingAnimals(dialogObject, animals))
            for (uint32_t id : animals)
                if (data->FindObject(id))
                    m_rowIds.push_back(id);
        m_iRowCount = static_cast<int32_t>(m_rowIds.size());
        FollowSelection(selectedId);
        UpdateScrollBar();
        NotifySelection();
        break;
    }
    case browser::SRC_ATTRACTIONS:
        m_iRowCount = dialogObject ? 1 : 0;
        UpdateScrollBar();
        break;
    case browser::SRC_GUEST_VISITED:
        m_iRowCount = dialogObject && data ? std::max(data->GetVisitCount(dialogObject), 0) : 0;
        UpdateScrollBar();
        break;
    case browser::SRC_AVAILABLE_ANIMALS:
        m_iRowCount = dialogObject && data ? std::max(data->GetAvailableAnimalCount(dialogObject), 0) : 0;
        UpdateScrollBar();
        NotifySelection();
        break;
    default:
        break;
    }
}

void Table::FollowSelection(uint32_t id)
{
    if (id == kNoObjectId)
        return;
    // An object no longer listed leaves the selection on its row (held within the rows).
    const auto it = std::find(m_rowIds.begin(), m_rowIds.end(), id);
    if (it != m_rowIds.end())
        m_iSelected = static_cast<int32_t>(it - m_rowIds.begin());
}

void Table::UpdateScrollBar()
{
    if (m_iRowCount <= m_iVisibleRows)
    {
        m_pScrollBar.reset();
        m_iTopRow = 0;
    }
    else if (m_pScrollBar)
    {
        m_pScrollBar->SetCount(static_cast<uint32_t>(m_iRowCount));
        m_iTopRow = static_cast<int32_t>(m_pScrollBar->GetFirst());
    }
    else
    {
        m_iTopRow = 0;
        m_pScrollBar = std::make_unique<ScrollBar>(m_scrollRect.left, m_scrollRect.top, m_scrollRect.right,
                                                   m_scrollRect.bottom, 0u, static_cast<uint32_t>(m_iRowCount),
                                                   static_cast<uint32_t>(m_iVisibleRows), 3);
        m_pScrollBar->Reposition(m_iMovedX, m_iMovedY);
    }
    if (m_bSelectable && m_iSelected < 0)
        m_iSelected = 0;
    if (m_iSelected > m_iRowCount - 1)
        m_iSelected = m_iRowCount - 1;
    if (m_iRowCount == 0)
        m_iSelected = -1;
}

void Table::NotifySelection()
{
    if (!g_pGUIManager)
        return;
    const bool available = m_iSource == browser::SRC_AVAILABLE_ANIMALS;
    if (m_iSelected < 0)
    {
        g_pGUIManager->SetSelection(10, -1);
        if (available)
            g_pGUIManager->SetSelection(11, -1);
        return;
    }
    if (m_bPerObject)
    {
        if (m_iSelected < static_cast<int32_t>(m_rowIds.size()))
            g_pGUIManager->SetSelection(10, static_cast<int32_t>(m_rowIds[static_cast<size_t>(m_iSelected)]));
    }
    else if (available)
        g_pGUIManager->SetSelection(11, m_iSelected);
    else
    {
        PanelData* data = GetPanelData();
        DialogListener* object = CurrentDialogObject();
        g_pGUIManager->SetSelection(10, data && object ? static_cast<int32_t>(data->GetObjectId(object)) : -1);
    }
}

void Table::Update(float dt)
{
    FillRows(dt);
    m_iDrawnRows = std::min(m_iRowCount, m_iVisibleRows);
    if (m_pScrollBar)
    {
        m_pScrollBar->Update(dt);
        m_iTopRow = static_cast<int32_t>(m_pScrollBar->GetFirst());
    }
    // A refill or a scroll may have given a row to another object since its button or step was pressed.
    KeepRowPressesOnTheirObjects();
    for (TableColumn* column : m_columns)
    {
        column->SetRowCount(m_iDrawnRows);
        column->ResetRows();
        for (int32_t r = m_iTopRow; r < m_iTopRow + m_iDrawnRows; ++r)
        {
            DialogListener* object = RowObject(r);
            if (m_bPerObject)
                column->UpdateRow(dt, object, m_rowIds[static_cast<size_t>(r)]);
            else
                column->UpdateIndexedRow(dt, object);
        }
    }
}

void Table::Refresh()
{
    FillRows(2.0f * kRefreshTime);
    m_iDrawnRows = std::min(m_iRowCount, m_iVisibleRows);
    for (TableColumn* column : m_columns)
        column->SetRowCount(m_iDrawnRows);
    KeepRowPressesOnTheirObjects();
    SetDirty();
}

void Table::AddChild(Widget* child)
{
    if (!child || child->GetType() != WT_TABLECOLUMN)
        return;
    auto* column = static_cast<TableColumn*>(child);
    m_columns.push_back(column);
    column->SetRowHeight(m_iRowHeight);
}

void Table::Reposition(int32_t dx, int32_t dy)
{
    Widget::Reposition(dx, dy);
    for (TableColumn* column : m_columns)
        column->Reposition(dx, dy);
    if (m_pScrollBar)
        m_pScrollBar->Reposition(dx, dy);
    m_iMovedX = dx, m_iMovedY = dy;
}

void Table::SetDirty()
{
    Widget::SetDirty();
    if (m_pScrollBar)
        m_pScrollBar->SetDirty();
    for (TableColumn* column : m_columns)
        column->SetDirty();
}

void Table::SetActive(bool active)
{
    Widget::SetActive(active);
    if (m_pScrollBar)
        m_pScrollBar->SetActive(active);
    for (TableColumn* column : m_columns)
        column->SetActive(active);
    if (active)
    {
        Refresh();
        SetDirty();
    }
    else
    {
        m_iDrawnRows = 0;
        ClearRows();
        m_shownIds.clear();
    }
}

void Table::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    for (TableColumn* column : m_columns)
        column->Move(dx, dy);
    if (m_pScrollBar)
        m_pScrollBar->Move(dx, dy);
    m_iMovedX += dx, m_iMovedY += dy;
}

bool Table::OnMouseWheel(int32_t x, int32_t y, int32_t delta)
{
    if (!m_pScrollBar)
        return false;
    const bool hit = Widget::HitTest(x, y) || m_pScrollBar->HitTest(x, y);
    return hit && m_pScrollBar->OnMouseWheel(x, y, delta);
}

bool Table::OnMouse(int32_t x, int32_t y, int32_t event)
{
    if (m_pScrollBar && m_pScrollBar->OnMouse(x, y, event))
        return true;
    for (TableColumn* column : m_columns)
        if (column->OnMouse(x, y, event))
            return true;
    // A row height of 0 has no rows to press.
    if (!m_bSelectable || m_iRowCount <= 0 || m_iRowHeight <= 0 || event != ME_PRESSED || !Widget::HitTest(x, y))
        return false;
    // Below the rows shown (the bottom edge, or room the table leaves under its rows) is the last row shown, not a
    // hidden one under it.
    const int32_t last = m_iDrawnRows > 0 ? std::min(m_iTopRow + m_iDrawnRows, m_iRowCount) - 1 : m_iRowCount - 1;
    m_iSelected = std::min((y - m_rect.top) / m_iRowHeight + m_iTopRow, last);
    NotifySelection();
    return false;
}

void Table::DrawCached()
{
    if (m_iRowCount == 0)
        return;
    if (m_pScrollBar)
        m_pScrollBar->DrawCached();
    for (TableColumn* column : m_columns)
    {
        column->ResetRows();
        for (int32_t r = m_iTopRow; r < m_iTopRow + m_iDrawnRows; ++r)
            column->DrawCachedRow(RowObject(r), m_bSelectable && r == m_iSelected);
    }
}

void Table::Draw()
{
    if (m_iRowCount == 0)
        return;
    if (m_pScrollBar)
        m_pScrollBar->Draw();
    for (TableColumn* column : m_columns)
    {
        column->SetRowCount(m_iDrawnRows);
        column->ResetRows();
        for (int32_t r = m_iTopRow; r < m_iTopRow + m_iDrawnRows; ++r)
        {
            const bool highlight = m_bSelectable && r == m_iSelected;
            if (m_bPerObject)
                column->DrawRow(RowObject(r), highlight);
            else
                column->DrawIndexedRow(RowObject(r), r, highlight);
        }
    }
}

void Table::SetChanged(bool changed)
{
    Widget::SetChanged(changed);
    if (m_pScrollBar)
        m_pScrollBar->SetChanged(changed);
    for (TableColumn* column : m_columns)
        column->SetChanged(changed);
}

bool Table::HasChanged() const
{
    if (Widget::HasChanged())
        return true;
    if (m_pScrollBar && m_pScrollBar->HasChanged())
        return true;
    for (const TableColumn* column : m_columns)
        if (column->HasChanged())
            return true;
    return false;
}

PanelData* GetPanelData()
{
    GuiShell* shell = g_pGUIManager ? g_pGUIManager->GetShell() : nullptr;
    return shell ? shell->GetPanelData() : nullptr;
}
