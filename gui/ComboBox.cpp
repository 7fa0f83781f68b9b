// ComboBox: the seven lists and their targets, opening and closing, choosing by press or wheel, and drawing the box
// and its open panel.
#include "gui/ComboBox.h"

#include "engine/core/GameOptions.h"
#include "engine/core/TextTable.h"
#include "engine/render/Font.h"
#include "engine/render/TextWriter.h"
#include "gui/Button.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "gui/ScrollBar.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"

#include <algorithm>
#include <cstring>

namespace
{

struct Row
{
    const char* textId; // null for a separator
    int32_t value;
};

constexpr Row kSeparatorRow{nullptr, ComboBox::kSeparator};

constexpr Row kGuestFilter[] = {{"OB_GF_HAPPY", 1},
                                {"OB_GF_BLADDER", 5},
                                kSeparatorRow,
                                {"OB_GF_PRICE", 6},
                                {"OB_GF_QUEUING", 7},
                                {"OB_GF_BEAUTY", 8},
                                {"OB_GF_CLEANLINESS", 9},
                                {"OB_GF_VARIETY", 10},
                                {"OB_GF_WELFARE", 11},
                                kSeparatorRow,
                                {"OB_GF_CASH", 2},
                                kSeparatorRow,
                                {"OB_GF_MALE", 3},
                                {"OB_GF_FEMALE", 4}};
constexpr Row kCellPaint[] = {
    {"CELL_LAND_TEXT", static_cast<int32_t>(0x80000001)}, {"CELL_STRUCTURE_TEXT", 2}, {"CELL_ROCK_TEXT", 4}};
constexpr Row kBuildingFilter[] = {{"OB_BF_ALL", 12},
                                   kSeparatorRow,
                                   {"OB_BF_REPAIR", 13},
                                   {"OB_BF_FAULTS", 22},
                                   {"OB_BF_AGE", 20},
                                   kSeparatorRow,
                                   {"OB_BF_INCOME", 14},
                                   {"OB_BF_COSTS", 15},
                                   {"OB_BF_PROFIT", 16},
                                   {"OB_BF_AVPROFIT", 17},
                                   kSeparatorRow,
                                   {"OB_BF_CUSTOMERS_TODAY", 21},
                                   kSeparatorRow,
                                   {"OB_BF_ATT_AMUSE", 23},
                                   {"OB_BF_ATT_ANIMAL", 24},
                                   {"OB_BF_ATT_SNACKS", 25},
                                   {"OB_BF_ATT_MEALS", 26},
                                   {"OB_BF_ATT_PARK", 27},
                                   {"OB_BF_ATT_RETAIL", 28},
                                   {"OB_BF_ATT_RIDE", 29},
                                   {"OB_BF_ATT_TOILET", 30},
                                   {"OB_BF_ATT_SHOW", 31},
                                   kSeparatorRow,
                                   {"OB_BF_OPEN", 18},
                                   {"OB_BF_CLOSED", 19}};
constexpr Row kStaffFilter[] = {{"STAFFB_FILTER_ALL", 3},
                                {"STAFFB_FILTER_ZOOKEEPERS", 2},
                                {"STAFFB_FILTER_CLEANERS", 0},
                                {"STAFFB_FILTER_MECHANICS", 1}};
constexpr Row kAnimalFilter[] = {{"OB_AF_ALL", 32},  kSeparatorRow,          {"OB_AF_HAPPY", 33},      kSeparatorRow,
                                 {"OB_AF_FOOD", 34}, {"OB_AF_CROWDING", 35}, {"OB_AF_CLEANLINESS", 36}};
constexpr Row kMaterialQuality[] = {{"IGOPT_MAT_MED", 1}, {"IGOPT_MAT_HIGH", 2}};
constexpr Row kVideoFilterType[] = {{"IGOPT_FILTER_BI", 0}, {"IGOPT_FILTER_TRI", 1}};

struct KindInfo
{
    const char* word;
    const Row* rows;
    size_t count;
    int32_t slot; // the selection slot a choice writes; -1 for an option
};

template <size_t N> constexpr KindInfo Kind(const char* word, const Row (&rows)[N], int32_t slot)
{
    return {word, rows, N, slot};
}

constexpr KindInfo kKinds[ComboBox::KIND_COUNT] = {
    Kind("GuestFilter", kGuestFilter, 1),          Kind("CellPaint", kCellPaint, 3),
    Kind("BuildingFilter", kBuildingFilter, 2),    Kind("StaffFilter", kStaffFilter, 9),
    Kind("AnimalFilter", kAnimalFilter, 12),       Kind("MaterialQuality", kMaterialQuality, -1),
    Kind("VideoFilterType", kVideoFilterType, -1),
};

constexpr const char* kButtonSprites[3] = {"UIS_combobox_button", "UIS_combobox_button_w", "UI3_combobox_button_b"};

GameOptions* Options()
{
    GuiShell* shell = g_pGUIManager ? g_pGUIManager->GetShell() : nullptr;
    return shell ? shell->GetGuiOptions() : nullptr;
}

bool Inside(const GuiRect& r, int32_t x, int32_t y)
{
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

int32_t SpriteWidth(const char* name)
{
    SpriteManager& sprites = GetSpriteManager();
    Sprite* sprite = sprites.CreateSprite(name);
    const int32_t width = sprite->HasPicture() ? sprite->GetWidth() : 0;
    sprites.ReleaseSprite(sprite);
    return width;
}

} // namespace

ComboBox::ComboBox(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* kind, uint32_t colour,
                   int32_t font, int32_t visibleRows, int32_t style, bool opensUpward)
    : Widget(left, top, right, bottom), m_iKind(GUEST_FILTER), m_iStyle(std::clamp(style, 0, 2)), m_iFont(font),
      m_uColour(colour), m_iVisibleRows(std::max(visibleRows, 0)), m_bUpward(opensUpward)
{
    m_iType = WT_COMBOBOX;
    for (int32_t k = 0; k < KIND_COUNT; ++k)
        if (kind && std::strcmp(kind, kKinds[k].word) == 0)
            m_iKind = k;
    const char* buttonSprite = kButtonSprites[m_iStyle];
    const int32_t buttonWidth = SpriteWidth(buttonSprite);
    m_pButton =
        std::make_unique<Button>(right - buttonWidth, top, right, bottom, buttonSprite, "None", "NONE", "NONE", true);
    m_pTextArea = std::make_unique<MainItem>(left + 7, top, right - buttonWidth, bottom, MainItem::STYLE_COMBO_TEXT);
    m_pTextArea->SetCapVariant(m_iStyle);
}

ComboBox::~ComboBox() = default;

int32_t ComboBox::GetRowHeight() const
{
    const Font* font = g_pGUIManager ? g_pGUIManager->GetFont(m_iFont) : nullptr;
    return font ? 2 * static_cast<int32_t>(std::min<uint32_t>(font->GetHeight(), 1024)) : 0;
}

bool ComboBox::CoversPoint(int32_t x, int32_t y) const
{
    return m_bOpen && (Inside(m_rect, x, y) || (m_pPanel && Inside(m_pPanel->GetRect(), x, y)) ||
                       (m_pScrollBar && Inside(m_pScrollBar->GetRect(), x, y)));
}

void ComboBox::AddEntry(const char* textId, int32_t value)
{
    Entry entry;
    entry.value = value;
    if (value != kSeparator && textId && g_pTextTable)
        entry.text = g_pTextTable->GetText(textId);
    m_entries.push_back(std::move(entry));
}

void ComboBox::Fill()
{
    SetDirty();
    const KindInfo& kind = kKinds[m_iKind];
    // Every kind starts afresh, so a box activated twice still lists each entry once.
    m_entries.clear();
    for (size_t i = 0; i < kind.count; ++i)
        AddEntry(kind.rows[i].textId, kind.rows[i].value);
    m_bRefresh = m_iKind == STAFF_FILTER;
    int32_t current = 0;
    bool follow = false;
    if (m_iKind == MATERIAL_QUALITY || m_iKind == VIDEO_FILTER_TYPE)
    {
        if (const GameOptions* options = Options())
        {
            current = m_iKind == MATERIAL_QUALITY ? options->m_iMaterialQuality : options->m_iFilterType;
            follow = true;
        }
    }
    else if (m_iKind == STAFF_FILTER && g_pGUIManager)
    {
        current = g_pGUIManager->GetSelection(9);
        follow = true;
    }
    if (follow)
        for (size_t i = 0; i < m_entries.size(); ++i)
            if (m_entries[i].value == current)
                m_iSelected = static_cast<int32_t>(i);
    m_iSelected = std::clamp(m_iSelected, 0, std::max(static_cast<int32_t>(m_entries.size()) - 1, 0));
    if (m_iKind == GUEST_FILTER && g_pGUIManager)
        g_pGUIManager->SetSelection(7, 1);
}

void ComboBox::Choose()
{
    if (m_iSelected < 0 || static_cast<size_t>(m_iSelected) >= m_entries.size())
        return;
    const int32_t value = m_entries[static_cast<size_t>(m_iSelected)].value;
    if (value == kSeparator)
        return;
    const KindInfo& kind = kKinds[m_iKind];
    if (kind.slot >= 0)
    {
        if (g_pGUIManager)
            g_pGUIManager->SetSelection(kind.slot, value);
        return;
    }
    GuiShell* shell = g_pGUIManager ? g_pGUIManager->GetShell() : nullptr;
    GameOptions* options = shell ? shell->GetGuiOptions() : nullptr;
    if (!options)
        return;
    (m_iKind == MATERIAL_QUALITY ? options->m_iMaterialQuality : options->m_iFilterType) = value;
    shell->ApplyVideoOptions();
}

void ComboBox::SetOpen(bool open)
{
    if (m_bOpen != open)
        SetDirty();
    m_bOpen = open;
}

void ComboBox::Open()
{
    SetOpen(true);
    const int32_t n = static_cast<int32_t>(m_entries.size());
    const int32_t rh = GetRowHeight();
    const GuiRect& area = m_pTextArea->GetRect();
    m_pScrollBar.reset();
    m_iFirst = 0;
    if (n <= m_iVisibleRows)
        m_iShownRows = n;
    else
    {
        m_iFirst = m_iSelected;
        const int32_t top = m_bUpward ? (m_rect.bottom - rh) - rh * m_iVisibleRows : m_rect.bottom;
        const int32_t bottom = m_bUpward ? m_rect.bottom - rh : m_rect.bottom + rh * m_iVisibleRows;
        m_pScrollBar = std::make_unique<ScrollBar>(area.right - 14, top, area.right, bottom,
                                                   static_cast<uint32_t>(std::max(m_iFirst, 0)),
                                                   static_cast<uint32_t>(n), static_cast<uint32_t>(m_iVisibleRows), 3);
        m_iFirst = static_cast<int32_t>(m_pScrollBar->GetFirst());
        m_iShownRows = m_iVisibleRows;
    }
    if (m_bUpward)
        m_pPanel = std::make_unique<MainItem>(area.left, m_rect.top - rh * m_iShownRows - 2, area.right, m_rect.top,
                                              MainItem::STYLE_COMBO_LIST_UP);
    else
        m_pPanel = std::make_unique<MainItem>(area.left, m_rect.bottom, area.right,
                                              m_rect.bottom + rh * m_iShownRows + 2, MainItem::STYLE_COMBO_LIST_DOWN);
    m_iHover = m_iSelected;
}

void ComboBox::Close()
{
    m_pScrollBar.reset();
    m_pPanel.reset();
    SetOpen(false);
}

void ComboBox::Update(float dt)
{
    if (m_pScrollBar)
        m_iFirst = static_cast<int32_t>(m_pScrollBar->GetFirst());
    if (m_bRefresh)
        Fill();
    m_pButton->Update(dt);
    if (m_pScrollBar)
    {
        m_pScrollBar->Update(dt);
        m_iFirst = static_cast<int32_t>(m_pScrollBar->GetFirst());
    }
}

void ComboBox::Reposition(int32_t dx, int32_t dy)
{
    Move(m_homeRect.left + dx - m_rect.left, m_homeRect.top + dy - m_rect.top);
}

void ComboBox::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    if (m_pScrollBar)
        m_pScrollBar->Move(dx, dy);
    if (m_pPanel)
        m_pPanel->Move(dx, dy);
    m_pButton->Move(dx, dy);
    m_pTextArea->Move(dx, dy);
}

void ComboBox::SetDirty()
{
    m_bDirty = true;
    m_pButton->SetDirty();
    m_pTextArea->SetDirty();
}

void ComboBox::SetActive(bool active)
{
    Widget::SetActive(active);
    if (active)
    {
        m_bRefresh = true;
        SetDirty();
    }
    else
    {
        Close();
        m_entries.clear();
        if (g_pGUIManager)
            g_pGUIManager->SetSelection(7, 0);
    }
    m_pButton->SetActive(active);
}

bool ComboBox::OnMouseWheel(int32_t x, int32_t y, int32_t delta)
{
    if (!m_bOpen)
    {
        if (!Inside(m_pTextArea->GetRect(), x, y) || m_entries.empty() || delta == 0)
            return false;
        const int32_t last = static_cast<int32_t>(m_entries.size()) - 1;
        int32_t i = m_iSelected;
        if (delta < 0)
        {
            for (int32_t next = i + 1; next <= last; ++next)
                if (m_entries[static_cast<size_t>(next)].value != kSeparator)
                {
                    i = next;
                    break;
                }
        }
        else
        {
            i = std::max(i - 1, 0);
            while (i > 0 && m_entries[static_cast<size_t>(i)].value == kSeparator)
                --i;
        }
        m_iSelected = i;
        Choose();
        SetDirty();
        return true;
    }
    if (m_pScrollBar && (Inside(m_pScrollBar->GetRect(), x, y) || (m_pPanel && Inside(m_pPanel->GetRect(), x, y))))
    {
        const bool taken = m_pScrollBar->OnMouseWheel(x, y, delta);
        m_iFirst = static_cast<int32_t>(m_pScrollBar->GetFirst());
        return taken;
    }
    return false;
}

bool ComboBox::OnMouse(int32_t x, int32_t y, int32_t event)
{
    Widget::OnMouse(x, y, event);
    m_pButton->OnMouse(x, y, event);
    m_bMouseOver = Inside(m_rect, x, y);
    if (!m_bOpen)
    {
        if (m_bMouseOver && event == ME_PRESSED)
            Open();
        return false;
    }
    const int32_t rh = GetRowHeight();
    m_pPanel->OnMouse(x, y, event);
    const bool barBusy = m_pScrollBar && (Inside(m_pScrollBar->GetRect(), x, y) || m_pScrollBar->IsDragging());
    if (event == ME_NONE && !barBusy && rh > 0 && m_pPanel->IsMouseOver())
        m_iHover = (y - m_pPanel->GetRect().top) / rh + m_iFirst;
    if (m_pScrollBar)
    {
        const bool taken = m_pScrollBar->OnMouse(x, y, event);
        m_iFirst = static_cast<int32_t>(m_pScrollBar->GetFirst());
        if (taken)
            return true;
    }
    if (m_bMouseOver && event == ME_PRESSED)
    {
        Close();
        return true;
    }
    if (m_pPanel->WasClicked())
    {
        m_pPanel->ClearClicked();
        // A press on the list is the list's even when it chooses nothing (the list may hang past its dialog's edge,
        // over whatever lies behind). Without a row height no row can be told: the press changes nothing.
        if (rh <= 0 || m_entries.empty())
            return true;
        // The panel's border below the last row shown counts as that row, never as the hidden entry after it.
        const int32_t lastShown = std::min(m_iFirst + m_iShownRows, static_cast<int32_t>(m_entries.size())) - 1;
        const int32_t row = std::min((y - m_pPanel->GetRect().top) / rh + m_iFirst, lastShown);
        if (row < 0 || m_entries[static_cast<size_t>(row)].value == kSeparator)
            return true;
        m_iSelected = row;
        Choose();
        Close();
        return true;
    }
    // The button held down on the list is the list's too.
    if (event == ME_HELD && m_pPanel->IsMouseOver())
        return true;
    if (event == ME_PRESSED)
    {
        Close();
        return true;
    }
    return false;
}

void ComboBox::DrawCached()
{
    if (m_bDirty)
    {
        m_pTextArea->SetDirty();
        m_pTextArea->DrawCached();
        m_bDirty = false;
    }
    m_pButton->DrawCached();
    if (m_pScrollBar)
        m_pScrollBar->DrawCached();
}

void ComboBox::Draw()
{
    m_pTextArea->Draw();
    const GuiRect& area = m_pTextArea->GetRect();
    const int32_t areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(m_iFont) : nullptr;
    if (writer && !m_entries.empty())
    {
        writer->SetRect(area.left + 4, area.top, areaWidth, areaHeight);
        writer->SetAlignment(TextWriter::kAlignLeft);
        writer->SetColour(m_uColour);
        writer->DrawLine(0, 1, m_entries[static_cast<size_t>(m_iSelected)].text.c_str());
    }
    if (m_bOpen && m_pPanel)
    {
        m_pPanel->Draw();
        const int32_t rh = GetRowHeight();
        const int32_t end = std::min(m_iFirst + m_iVisibleRows, static_cast<int32_t>(m_entries.size()));
        for (int32_t i = std::max(m_iFirst, 0); i < end; ++i)
        {
            const Entry& entry = m_entries[static_cast<size_t>(i)];
            const int32_t top = m_pPanel->GetRect().top + rh * (i - m_iFirst);
            if (entry.value == kSeparator)
            {
                const int32_t width = areaWidth - 8 - (m_pScrollBar ? 14 : 0);
                GuiFill(area.left + 4, top + rh / 2, area.left + 4 + width, top + rh / 2 + 2, kSeparatorColour);
                continue;
            }
            uint32_t colour = m_uColour;
            if (i == m_iHover)
            {
                GuiFill(area.left + 2, top, area.right - 2, top + rh, kHoverColour);
                colour = ~m_uColour | 0xFF000000u;
            }
            if (writer)
            {
                writer->SetRect(area.left, top, areaWidth, rh);
                writer->SetAlignment(TextWriter::kAlignLeft);
                writer->SetColour(colour);
                writer->DrawLine(4, 1, entry.text.c_str());
            }
        }
    }
    if (m_pScrollBar)
        m_pScrollBar->Draw();
    m_pButton->Draw();
}

void ComboBox::SetChanged(bool changed)
{
    Widget::SetChanged(changed);
    m_pButton->SetChanged(changed);
}

bool ComboBox::HasChanged() const
{
    return m_bChanged || m_pButton->HasChanged();
}
