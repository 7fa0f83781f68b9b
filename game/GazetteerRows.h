// GazetteerRows: the gazetteer's animal list: one row per animal, in the gazetteer's own order.
#pragma once

#include "gui/GazetteerList.h"

#include <array>
#include <cstdint>

class TextTable;

class GazetteerRows : public GazetteerSource
{
public:
    // The animal numbers of the rows, in order.
    static constexpr std::array<int32_t, 16> kAnimals = {0, 1, 2, 3, 14, 4, 5, 6, 7, 8, 9, 10, 15, 11, 12, 13};
    static constexpr uint32_t kColour = 0xFF6D6850;

    explicit GazetteerRows(const TextTable* texts) : m_pTexts(texts) {}

    // Each animal's name ("GAZ_ANIMAL_<n>"), then the first row selected.
    void FillList(ListRows& list) override;
    // The animal of the row; 0 for a row the list does not have.
    int32_t AnimalForRow(int32_t row) const override;
    int32_t RowForAnimal(int32_t animal) const override;

private:
    const TextTable* m_pTexts;
};
