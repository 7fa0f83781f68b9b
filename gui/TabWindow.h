// TabWindow and Tab: a row of pages of which exactly one is current. The current page gets input, updates and
// drawing; the others show only their header. A press on another header switches pages with a click. The tabs
// belong to the GUI manager's item list like every widget of a script: the window only refers to them.
#pragma once

#include "gui/ContainerWidget.h"

#include <vector>

class Sprite;

class Tab : public ContainerWidget
{
public:
    // The header sprite shows frame 0 while the tab is not selected, frame 1 while it is.
    Tab(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* sprite);
    ~Tab() override;

    // The page's widgets are updated and refreshed only while the tab is active and selected.
    void Update(float dt) override;
    void Refresh() override;
    void SetDirty() override;
    // Selected while active; the page's widgets go with it.
    void SetActive(bool active) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;
    void DrawCached() override;
    void Draw() override;

    // The header's part of the tab window's mouse handling. For the current tab the page's widgets get the event
    // (true when one takes it), and a press on the header tells them OnTabClicked; for another tab, true for a
    // press on its header.
    bool HeaderMouse(int32_t x, int32_t y, int32_t event, bool current);
    bool IsSelected() const { return m_iSelected != 0; }
    const Sprite* GetHeaderSprite() const { return m_pSprite; }

private:
    int32_t m_iSelected = 0;
    int32_t m_iDrawnState = 3;
    Sprite* m_pSprite = nullptr;
};

class TabWindow : public ContainerWidget
{
public:
    TabWindow(int32_t left, int32_t top, int32_t right, int32_t bottom);

    // A tab is appended (a Define gives its first widget); the first becomes current. Widgets that are no tab are
    // not taken. The tabs are the window's children: updates, moves, marks and drawing go to every tab.
    void AddChild(Widget* child) override;
    void SetActive(bool active) override;
    bool OnMouseWheel(int32_t x, int32_t y, int32_t delta) override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    // Makes tab n current (an index past the last changes nothing).
    void SelectTab(int32_t tab) override;

    // The widget a TabWindow takes for `child`: the child itself when it is a tab, a Define's first widget when
    // that is a tab, else null.
    static Tab* TabOf(Widget* child);
    std::vector<Tab*> GetTabs() const;
    Tab* GetCurrent() const { return m_pCurrent; }

private:
    // The tab becomes current; the old page goes and the new one comes while the window is active, and the open
    // dialogs are drawn again.
    void Switch(Tab* tab);
    Tab* TabAt(size_t i) const { return static_cast<Tab*>(m_children[i]); }

    Tab* m_pCurrent = nullptr;
};
