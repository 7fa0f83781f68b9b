// GazetteerList: enabling, filling and following the list's selection.
#include "gui/GazetteerList.h"

#include "gui/GUIManager.h"
#include "gui/ListRows.h"

GazetteerList::GazetteerList(GUIManager& gui) : m_GUI(gui)
{
    m_GUI.SetSelection(kSelectionSlot, 0);
}

void GazetteerList::Enable(bool enabled)
{
    m_bEnabled = enabled;
    m_pList = nullptr;
    if (!enabled)
        return;
    m_pList = m_GUI.FindList(GUIManager::kListBoxType, kListName);
    if (m_pList && m_pSource)
        m_pSource->FillList(*m_pList);
}

void GazetteerList::Update()
{
    if (!m_bEnabled || !m_pList || !m_pSource || m_pList->GetSelectedRows().empty())
        return;
    m_GUI.SetSelection(kSelectionSlot, m_pSource->AnimalForRow(m_pList->GetSelectedRows().front()));
}

void GazetteerList::SelectAnimal(int32_t animal)
{
    if (!m_bEnabled || !m_pList || !m_pSource)
        return;
    const int32_t row = m_pSource->RowForAnimal(animal);
    m_pList->SetSelected(row >= 0 ? row : 0, true);
    // The slot names the animal (its sound and page), as the list's own selection does.
    m_GUI.SetSelection(kSelectionSlot, row >= 0 ? animal : 0);
}
