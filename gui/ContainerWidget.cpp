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

Widget* ContainerWidget::OpenComboBoxAt(int32_t x, int32_t y) const
{
    // Combo boxes are drawn last and in order, so the last open one is on top.
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if ((*it)->GetType() == WT_COMBOBOX && static_cast<const ComboBox*>(*it)->CoversPoint(x, y))
            return *it;
    return nullptr;
}

bool ContainerWidget::MouseToChildren(int32_t x, int32_t y, int32_t event) const
{
    Widget* open = OpenComboBoxAt(x, y);
    if (!open)
        return FirstChildTaking([&](Widget* w) { return w->OnMouse(x, y, event); });
    // The others first: the box's choice may act on the whole dialog.
    ForEachChild(
        [&](Widget* w)
        {
            if (w != open)
                w->OnMouse(x, y, ME_LEAVE);
        });
    return open->OnMouse(x, y, event);
}

bool ContainerWidget::WheelToChildren(int32_t x, int32_t y, int32_t delta) const
{
    if (Widget* open = OpenComboBoxAt(x, y))
        return open->OnMouseWheel(x, y, delta);
    return FirstChildTaking([&](Widget* w) { return w->OnMouseWheel(x, y, delta); });
}
