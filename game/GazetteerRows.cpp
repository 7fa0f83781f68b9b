// GazetteerRows: filling the gazetteer's animal list and naming the animal of each row.
#include "game/GazetteerRows.h"

#include "engine/core/TextTable.h"
#include "gui/ListRows.h"

#include <cstdio>

void GazetteerRows::FillList(ListRows& list)
{
    list.ClearRows();
    for (size_t row = 0; row < kAnimals.size(); ++row)
    {
        char id[32];
        std::snprintf(id, sizeof id, "GAZ_ANIMAL_%d", kAnimals[row]);
        const char16_t* name = m_pTexts ? m_pTexts->GetText(id) : u"";
        list.AddTextItem(static_cast<int32_t>(row), 0, 200, 15, 2, 1, kColour, name ? name : u"", true);
    }
    list.SetSelected(0, true);
}

int32_t GazetteerRows::AnimalForRow(int32_t row) const
{
    if (row < 0 || row >= static_cast<int32_t>(kAnimals.size()))
        return 0;
    return kAnimals[static_cast<size_t>(row)];
}

int32_t GazetteerRows::RowForAnimal(int32_t animal) const
{
    for (size_t row = 0; row < kAnimals.size(); ++row)
        if (kAnimals[row] == animal)
            return static_cast<int32_t>(row);
    return -1;
}
