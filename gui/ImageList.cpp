// ImageList: the build panel's fills, layout, selection and count labels.
#include "gui/ImageList.h"

#include "engine/core/TextFormat.h"
#include "engine/media/SoundManager.h"
#include "engine/render/TextWriter.h"
#include "gui/GUIManager.h"
#include "gui/Image.h"
#include "gui/PanelData.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace
{
struct Category
{
    const char* name;
    int32_t fill;       // building type (kinds 0-3) or scenery category
    const char* sprite; // thumbnail sprite
    bool random;        // a random entry follows
    int32_t randomFrame;
};
constexpr Category kCategories[] = {
    {"BUILD_ANIMAL_SMALL", 0, "UI3_bp_thumb", false, 0},
    {"BUILD_FOOD_SMALL", 2, "UI3_bp_thumb", false, 0},
    {"BUILD_RIDES_SMALL", 1, "UI3_bp_thumb", false, 0},
    {"BUILD_PARK_SMALL", 3, "UI3_bp_thumb", false, 0},
    {"BUILD_FURN_SMALL", 0, "UI3_sc_thumb_furn", false, 0},
    {"BUILD_PATHS_SMALL", 1, "UI3_sc_thumb_path", false, 0},
    {"BUILD_PLANTS_SMALL", 2, "UI3_sc_thumb_flower", true, 6},
    {"BUILD_ORNAMENTS_SMALL", 3, "UI3_sc_thumb_orn", false, 0},
    {"BUILD_TREES_SMALL", 4, "UI3_sc_thumb_tree", true, 15},
    {"BUILD_SHRUBS_SMALL", 5, "UI3_sc_thumb_plant", true, 12},
};
constexpr const char* kGreyThumb = "UI3_bp_thumb_grey";
constexpr int32_t kDozerMode = 8;

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}
} // namespace

int32_t ImageList::KindOfCategory(const char* name)
{
    for (size_t i = 0; name && i < std::size(kCategories); ++i)
        if (std::strcmp(name, kCategories[i].name) == 0)
            return static_cast<int32_t>(i);
    return -1;
}

ImageList::ImageList(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t hGap, int32_t vGap,
                     const char* category, const char* selectionSprite)
    : Widget(left, top, right, bottom), m_iKind(KindOfCategory(category)), m_iHGap(std::clamp(hGap, 0, kMaxGap)),
      m_iVGap(std::clamp(vGap, 0, kMaxGap))
{
    m_iType = WT_IMAGELIST;
    m_pFrame = std::make_unique<Image>(left, top, right, bottom, selectionSprite ? selectionSprite : "NONE", false);
}

ImageList::~ImageList() = default;

void ImageList::Update(float dt)
{
    Advance(dt, true);
}

void ImageList::Refresh()
{
    if (!m_bActive)
        return;
    // The chosen item keeps its frame when the refill puts it at another place (an item unlocked before it).
    const bool chosen = m_iSelected >= 0 && m_iSelected < static_cast<int32_t>(m_entries.size());
    const int32_t item = chosen ? m_entries[static_cast<size_t>(m_iSelected)].item : -1;
    m_entries.clear();
    m_labels.clear();
    m_thumbs.clear();
    m_bRefillPending = true;
    Advance(kRefillTime, false);
    LayoutThumbs();
    if (chosen)
        for (size_t i = 0; i < m_entries.size(); ++i)
            if (m_entries[i].item == item)
                m_iSelected = static_cast<int32_t>(i);
}

void ImageList::SetDirty()
{
    Widget::SetDirty();
    for (auto& thumb : m_thumbs)
        thumb->SetDirty();
    m_pFrame->SetDirty();
    SetChanged(true);
}

void ImageList::SetActive(bool active)
{
    Widget::SetActive(active);
    if (active)
    {
        m_bRefillPending = true;
        Advance(kRefillTime, false);
        LayoutThumbs();
        Select(0);
        // A page of building types with nothing on it chooses nothing: the type another page chose must not stay
        // chosen (and be built) under it.
        if (m_thumbs.empty() && m_iKind >= 0 && m_iKind <= 3 && g_pGUIManager)
            g_pGUIManager->SetSelection(0, -1);
        ApplySelection();
    }
    else
    {
        m_entries.clear();
        m_labels.clear();
        m_thumbs.clear();
    }
}

void ImageList::Move(int32_t dx, int32_t dy)
{
    Widget::Move(dx, dy);
    for (auto& thumb : m_thumbs)
        thumb->Move(dx, dy);
    for (BuildThumbLabel& label : m_labels)
        label.x += dx, label.y += dy;
}

void ImageList::Reposition(int32_t dx, int32_t dy)
{
    // The thumbnails were laid out from where the list was then: they move by as much as the list does now.
    const int32_t shiftX = m_homeRect.left + dx - m_rect.left, shiftY = m_homeRect.top + dy - m_rect.top;
    Widget::Reposition(dx, dy);
    for (auto& thumb : m_thumbs)
        thumb->Move(shiftX, shiftY);
    for (BuildThumbLabel& label : m_labels)
        label.x += shiftX, label.y += shiftY;
    if (shiftX != 0 || shiftY != 0)
        SetDirty();
}

void ImageList::Advance(float dt, bool apply)
{
    if (g_pGUIManager && g_pGUIManager->GetMode() == kDozerMode)
        Select(-1);
    if (m_bRefillPending)
    {
        m_fTimer += dt;
        if (m_fTimer >= kRefillTime)
        {
            m_entries.clear();
            m_labels.clear();
            m_fTimer = 0.0f;
            if (m_iKind >= 0 && m_iKind <= 3)
                FillBuildings(kCategories[m_iKind].fill, kCategories[m_iKind].sprite, kGreyThumb);
            else if (m_iKind == 5)
                FillPaths();
            else if (m_iKind >= 4)
                FillScenery(kCategories[m_iKind].fill, kCategories[m_iKind].sprite, kCategories[m_iKind].random,
                            kCategories[m_iKind].randomFrame);
            m_bRefillPending = false;
            RebindThumbs();
            SetDirty();
            if (apply)
                ApplySelection();
        }
    }
    for (auto& thumb : m_thumbs)
        thumb->Update(dt);
}

void ImageList::FillBuildings(int32_t type, const char* sprite, const char* grey)
{
    m_bRefillPending = false;
    PanelData* data = GetPanelData();
    if (!data)
        return;
    const int32_t count = data->GetBuildingRecordCount();
    for (int32_t i = 0; i < count; ++i)
    {
        BuildRecord record;
        if (!data->GetBuildingRecord(i, &record) || record.type != type || !record.inBuildPanel)
            continue;
        BuildThumb entry;
        entry.frame = record.thumbFrame;
        entry.name = Upper("FAN_" + record.keyword);
        entry.item = i;
        if (!data->CheckBuildRequirement(i) && !data->IsBuildTypeAtLimit(i))
        {
            if (!data->CanBuildType(i))
                continue;
            const int32_t built = data->CountBuildings(i);
            entry.sprite = sprite;
            entry.showCount = true;
            entry.count = FormatChecked(u"%d", {built});
            entry.colour = built == 0                                 ? kCountNone
                           : data->CountFinishedBuildings(i) == built ? kCountFinished
                                                                      : kCountBuilding;
        }
        else
            entry.sprite = grey;
        m_entries.push_back(std::move(entry));
    }
}

void ImageList::FillPaths()
{
    m_bRefillPending = false;
    m_iSceneryCategory = 1;
    PanelData* data = GetPanelData();
    const int32_t count = data ? data->GetSceneryRecordCount() : 0;
    for (int32_t i = 0; i < count; ++i)
    {
        SceneryRecord record;
        if (!data->GetSceneryRecord(i, &record) || record.category != 1)
            continue;
        BuildThumb entry;
        // A path of neither style has no picture: it is not offered.
        if (record.pathStyle != 1 && record.pathStyle != 2)
            continue;
        entry.sprite = "UI3_sc_thumb_path";
        entry.frame = record.pathStyle == 1 ? 0 : 1;
        entry.name = Upper("SP_DESC_" + record.keyword);
        entry.item = i;
        m_entries.push_back(std::move(entry));
    }
}

void ImageList::FillScenery(int32_t category, const char* sprite, bool random, int32_t randomFrame)
{
    m_bRefillPending = false;
    m_iSceneryCategory = category;
    PanelData* data = GetPanelData();
    const int32_t count = data ? data->GetSceneryRecordCount() : 0;
    for (int32_t i = 0; i < count; ++i)
    {
        SceneryRecord record;
        if (!data->GetSceneryRecord(i, &record) || record.category != category || !record.available)
            continue;
        BuildThumb entry;
        entry.sprite = sprite;
        entry.frame = record.thumbFrame;
        entry.name = Upper("SP_DESC_" + record.keyword);
        entry.item = i;
        m_entries.push_back(std::move(entry));
    }
    if (random)
    {
        BuildThumb entry;
        entry.sprite = sprite;
        entry.frame = randomFrame;
        entry.name = "SP_SCENERY_RANDOM";
        entry.item = -1;
        m_entries.push_back(std::move(entry));
    }
}

void ImageList::AddLabel(const BuildThumb& entry, const Image& thumb)
{
    BuildThumbLabel label;
    label.text = entry.count;
    label.colour = entry.colour;
    label.x = thumb.GetRect().left + 3;
    label.y = thumb.GetRect().bottom - 12;
    m_labels.push_back(std::move(label));
}

void ImageList::LayoutThumbs()
{
    if (m_entries.empty())
        return;
    m_thumbs.clear();
    m_labels.clear();
    Sprite* measure = GetSpriteManager().CreateSprite(m_entries.front().sprite);
    const int32_t w = measure ? measure->GetWidth() : 0, h = measure ? measure->GetHeight() : 0;
    GetSpriteManager().ReleaseSprite(measure);
    int32_t x = m_rect.left, y = m_rect.top;
    for (const BuildThumb& entry : m_entries)
    {
        auto thumb = std::make_unique<Image>(x, y, x + w, y + h, entry.sprite, false);
        if (!entry.name.empty())
            thumb->SetTooltip(entry.name.c_str());
        thumb->SetFrame(entry.frame);
        thumb->SetActive(true);
        m_thumbs.push_back(std::move(thumb));
        x += w + m_iHGap;
        if (x + w > m_rect.right)
        {
            x = m_rect.left;
            y += h + m_iVGap;
        }
    }
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].showCount)
            AddLabel(m_entries[i], *m_thumbs[i]);
}

void ImageList::RebindThumbs()
{
    // Only as many thumbnails as there are entries are bound; fewer entries lay the grid out again.
    if (m_thumbs.size() > m_entries.size())
    {
        LayoutThumbs();
        if (m_entries.empty())
            m_thumbs.clear();
        return;
    }
    m_labels.clear();
    for (size_t i = 0; i < m_thumbs.size(); ++i)
    {
        m_thumbs[i]->SetSprite(m_entries[i].sprite);
        m_thumbs[i]->SetFrame(m_entries[i].frame);
        if (m_entries[i].showCount)
            AddLabel(m_entries[i], *m_thumbs[i]);
    }
}

void ImageList::Select(int32_t index)
{
    if (m_thumbs.empty())
        return;
    const bool changed = index != m_iSelected;
    m_iSelected = index;
    if (index >= 0 && index < static_cast<int32_t>(m_entries.size()))
    {
        if (!g_pGUIManager)
            return;
        const BuildThumb& entry = m_entries[static_cast<size_t>(index)];
        if (m_iKind >= 0 && m_iKind <= 3)
            g_pGUIManager->SetSelection(0, entry.item);
        else if (m_iKind >= 4)
        {
            g_pGUIManager->SetSelection(5, entry.item);
            g_pGUIManager->SetSelection(14, m_iSceneryCategory);
        }
    }
    else if (index == -1 && changed && g_pGUIManager)
        g_pGUIManager->RedrawAllDialogs(false);
}

void ImageList::ApplySelection()
{
    if (m_iSelected < 0 || m_iSelected >= static_cast<int32_t>(m_entries.size()) || !g_pGUIManager)
        return;
    const BuildThumb& entry = m_entries[static_cast<size_t>(m_iSelected)];
    if (m_iKind == 4 || (m_iKind >= 6 && m_iKind <= 9))
        g_pGUIManager->SetMode(entry.item != -1 ? 2 : 10);
    else if (m_iKind == 5)
    {
        PanelData* data = GetPanelData();
        SceneryRecord record;
        if (data && data->GetSceneryRecord(g_pGUIManager->GetSelection(5), &record))
        {
            if (record.pathStyle == 1)
                g_pGUIManager->SetMode(7);
            else if (record.pathStyle == 2)
                g_pGUIManager->SetMode(9);
        }
    }
}

bool ImageList::OnMouse(int32_t x, int32_t y, int32_t event)
{
    Widget::OnMouse(x, y, event);
    int32_t clicked = -1;
    for (size_t i = 0; i < m_thumbs.size(); ++i)
    {
        m_thumbs[i]->OnMouse(x, y, event);
        if (m_thumbs[i]->IsPressed())
        {
            m_thumbs[i]->ClearPressed();
            clicked = static_cast<int32_t>(i);
            break;
        }
    }
    if (clicked < 0)
        return false;
    // A click chooses its thumbnail even when it is the list's selected one: in a panel of several lists, the
    // selection slot may hold another list's choice (each list selects its first thumbnail on opening).
    if (clicked != m_iSelected && g_pSoundManager)
        g_pSoundManager->PlaySample("ButtonClick", 1, 0.0f);
    Select(clicked);
    ApplySelection();
    return true;
}

void ImageList::OnTabClicked()
{
    if (m_iSelected == -1)
        m_iSelected = 0;
    Select(m_iSelected);
    ApplySelection();
    SetDirty(); // the frame goes round the chosen thumbnail
}

void ImageList::DrawCached()
{
    if (!m_bDirty)
        return;
    for (auto& thumb : m_thumbs)
        thumb->DrawCached();
    if (!m_thumbs.empty() && m_iSelected >= 0 && m_iSelected < static_cast<int32_t>(m_thumbs.size()))
    {
        const GuiRect& r = m_thumbs[static_cast<size_t>(m_iSelected)]->GetRect();
        m_pFrame->SetPosition(r.left - 2, r.top - 2);
        m_pFrame->SetDirty();
        m_pFrame->DrawCached();
    }
    m_bDirty = false;
}

void ImageList::Draw()
{
    TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(0) : nullptr;
    if (!writer)
        return;
    for (const BuildThumbLabel& label : m_labels)
    {
        writer->SetAlignment(TextWriter::kAlignLeft);
        writer->SetColour(label.colour);
        writer->SetRect(label.x, label.y, 50, 15);
        writer->DrawText(0, 0, label.text.c_str());
    }
}
