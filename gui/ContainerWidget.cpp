// ContainerWidget: the calls every container hands on to its children.
#include "gui/ContainerWidget.h"

#include "gui/ComboBox.h"

ContainerWidget::ContainerWidget(int32_t left, int32_t top, int32_t right, int32_t bottom, bool ownPlace)
    : Widget(left, top, right, bottom), m_bOwnPlace(ownPlace)
{
}

void ContainerWidget::Update(float dt)
{
    ForEachChild([dt](Widget* w) { w->Update(dt); });
}

void ContainerWidget::Refresh()
{
    ForEachChild([](Widget* w) { w->Refresh(); });
}

void ContainerWidget::AddChild(Widget* child)
{
    if (child)
        m_children.push_back(child);
}

void ContainerWidget::Reposition(int32_t dx, int32_t dy)
{
    if (m_bOwnPlace)
        Widget::Reposition(dx, dy);
    ForEachChild([dx, dy](Widget* w) { w->Reposition(dx, dy); });
}

void ContainerWidget::SetDirty()
{
    if (m_bOwnPlace)
        m_bDirty = true;
    ForEachChild([](Widget* w) { w->SetDirty(); });
}

void ContainerWidget::SetActive(bool active)
{
    if (m_bOwnPlace)
        Widget::SetActive(active);
    ForEachChild([active](Widget* w) { w->SetActive(active); });
}

void ContainerWidget::Move(int32_t dx, int32_t dy)
{
    if (m_bOwnPlace)
        Widget::Move(dx, dy);
    ForEachChild([dx, dy](Widget* w) { w->Move(dx, dy); });
}

void ContainerWidget::DrawCached()
{
    ForEachChild([](Widget* w) { w->DrawCached(); });
}

void ContainerWidget::Draw()
{
    ForEachChild([](Widget* w) { w->Draw(); });
}

void ContainerWidget::SetChanged(bool changed)
{
    m_bChanged = changed;
    ForEachChild([changed](Widget* w) { w->SetChanged(changed); });
}

bool ContainerWidget::HasChanged() const
{
    return m_bChanged || FirstChildTaking([](Widget* w) { return w->HasChanged(); });
}

bool ContainerWidget::MouseToChildren(int32_t x, int32_t y, int32_t event) const
{
    // Combo boxes are drawn last and in order, so the last open one is on top.
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
    {
        Widget* child = *it;
        if (child->GetType() != WT_COMBOBOX || !static_cast<const ComboBox*>(child)->CoversPoint(x, y))
            continue;
        const bool taken = child->OnMouse(x, y, event);
        ForEachChild(
            [&](Widget* w)
            {
                if (w != child)
                    w->OnMouse(x, y, ME_LEAVE);
            });
        return taken;
    }
    return FirstChildTaking([&](Widget* w) { return w->OnMouse(x, y, event); });
}
