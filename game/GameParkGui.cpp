// GameParkGui: the park's dialogs, message band, selection slots, tool mode and row lists over the GUI manager.
#include "game/GameParkGui.h"

#include "gui/ContainerWidget.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/Image.h"
#include "gui/ListBox.h"
#include "gui/MainItem.h"
#include "gui/ScrollGroup.h"
#include "gui/Text.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

// A row of a list: its texts (in the small font) and pictures, owned, moved with it; the selected row is drawn on the
// lists' highlight.
class RowWidget : public ContainerWidget
{
public:
    explicit RowWidget(const PanelRow& row)
        : ContainerWidget(0, 0, row.rect[2] - row.rect[0], row.rect[3] - row.rect[1])
    {
        for (const PanelItem& item : row.items)
        {
            std::unique_ptr<Widget> widget;
            const int32_t* r = item.rect;
            if (item.kind == PanelItem::SPRITE)
            {
                // Drawn live: a scroll group draws its items, not their cached pictures.
                auto image = std::make_unique<Image>(r[0], r[1], r[2], r[3], item.sprite.c_str(), true);
                if (item.frame >= 0)
                    image->SetFrame(item.frame);
                widget = std::move(image);
            }
            else if (!item.textId.empty())
                widget = std::make_unique<Text>(r[0], r[1], r[2], r[3], item.textId.c_str(), kRowFont, item.colour,
                                                Text::ALIGN_LEFT);
            else
                widget = std::make_unique<Text>(r[0], r[1], r[2], r[3], item.text.c_str(), kRowFont, item.colour,
                                                Text::ALIGN_LEFT);
            AddChild(widget.get());
            m_owned.push_back(std::move(widget));
        }
    }

    // The group gives its selected item the selected colour; the row keeps its texts' own colours.
    void SetColour(uint32_t colour) override { m_bSelected = colour == ScrollGroup::kSelectedColour; }
    void Draw() override
    {
        if (m_bActive && m_bSelected)
            GuiFill(m_rect.left, m_rect.top, m_rect.right, m_rect.bottom, ListBox::kSelectedColour);
        ContainerWidget::Draw();
    }

private:
    // The GUI's small font: a row's texts are laid out in lines 15 pixels apart.
    static constexpr int32_t kRowFont = 1;

    std::vector<std::unique_ptr<Widget>> m_owned;
    bool m_bSelected = false;
};

class ScrollGroupRows : public PanelRowList
{
public:
    explicit ScrollGroupRows(ScrollGroup& group) : m_group(group) {}
    void Clear() override { m_group.Clear(); }
    void AddRow(const PanelRow& row) override { m_group.AddItem(std::make_unique<RowWidget>(row)); }
    int32_t GetRowCount() const override { return m_group.GetItemCount(); }
    void SelectItem(int32_t row) override
    {
        const int32_t count = m_group.GetItemCount();
        if (count > 0)
            m_group.SelectItem(std::clamp(row, 0, count - 1));
    }
    int32_t GetSelectedItem() const override
    {
        const int32_t selected = m_group.GetSelected();
        return selected >= 0 && selected < m_group.GetItemCount() ? selected : -1;
    }
    void EnsureVisible(int32_t row) override { m_group.EnsureVisible(row); }
    void SetTopItem(int32_t row) override { m_group.SetTopItem(row); }
    int32_t GetTopItem() const override { return m_group.GetFirst(); }

private:
    ScrollGroup& m_group;
};

ScrollGroup* FindIn(const Widget* widget, const char* name)
{
    if (widget->GetType() == WT_SCROLLGROUP && widget->GetName() && std::strcmp(widget->GetName(), name) == 0)
        return const_cast<ScrollGroup*>(static_cast<const ScrollGroup*>(widget));
    if (const auto* container = dynamic_cast<const ContainerWidget*>(widget))
        for (const Widget* child : container->GetChildren())
            if (ScrollGroup* found = FindIn(child, name))
                return found;
    return nullptr;
}

} // namespace

GameParkGui::GameParkGui(GUIManager& gui) : m_gui(gui) {}

GameParkGui::~GameParkGui() = default;

void GameParkGui::OpenDialog(const char* name, DialogListener* listener)
{
    if (name)
        m_gui.OpenDialog(name, listener);
}

bool GameParkGui::CloseDialog(const char* name)
{
    return name && m_gui.CloseDialog(name);
}

bool GameParkGui::CloseDialogsOfListener(DialogListener* listener)
{
    return m_gui.CloseDialogsOfListener(listener);
}

bool GameParkGui::IsMessageBoxFree()
{
    return m_gui.IsMessageBoxFree();
}

int32_t GameParkGui::PassesOf(float displayTime)
{
    // NaN fails both comparisons and gives one pass.
    if (!(displayTime >= 1.0f))
        return 1;
    return displayTime < static_cast<float>(kMostPasses) ? static_cast<int32_t>(displayTime) : kMostPasses;
}

void GameParkGui::ShowMessage(const char* textId, float displayTime)
{
    if (textId)
        m_gui.ShowMessage(textId, PassesOf(displayTime));
}

void GameParkGui::ShowMessageText(const char16_t* text, float displayTime)
{
    if (text)
        m_gui.ShowMessageText(text, PassesOf(displayTime));
}

int32_t GameParkGui::GetSelection(int32_t slot)
{
    return m_gui.GetSelection(slot);
}

void GameParkGui::SetSelection(int32_t slot, int32_t value)
{
    m_gui.SetSelection(slot, value);
}

void GameParkGui::SetMode(int32_t mode)
{
    m_gui.SetMode(mode);
}

ScrollGroup* GameParkGui::FindScrollGroup(const char* name) const
{
    if (!name)
        return nullptr;
    const std::vector<GUIManager::DialogEntry>& open = m_gui.GetOpenList();
    for (const GUIManager::DialogEntry& entry : open)
        if (entry.dialog)
            if (ScrollGroup* found = FindIn(entry.dialog, name))
                return found;
    return static_cast<ScrollGroup*>(m_gui.FindItem(WT_SCROLLGROUP, name));
}

PanelRowList* GameParkGui::FindRowList(const char* name)
{
    ScrollGroup* group = FindScrollGroup(name);
    if (!group)
        return nullptr;
    std::unique_ptr<PanelRowList>& list = m_lists[group];
    if (!list)
        list = std::make_unique<ScrollGroupRows>(*group);
    return list.get();
}
