// GazetteerList: the holder of the gazetteer's list box; while enabled it turns the list's selected row into the
// GUI manager's gazetteer-animal selection slot (13).
#pragma once

#include <cstdint>

class GUIManager;
class ListRows;

// Fills the gazetteer list and names the animal of each row; the game shell supplies it.
class GazetteerSource
{
public:
    virtual ~GazetteerSource() = default;
    virtual void FillList(ListRows& list) = 0;
    virtual int32_t AnimalForRow(int32_t row) const = 0;
    // The row of the animal; -1 when no row has it.
    virtual int32_t RowForAnimal(int32_t animal) const
    {
        (void)animal;
        return -1;
    }
};

class GazetteerList
{
public:
    static constexpr const char* kListName = "GazetteerListBox";
    static constexpr int kSelectionSlot = 13;

    // Sets selection slot 13 to 0.
    explicit GazetteerList(GUIManager& gui);

    void SetSource(GazetteerSource* source) { m_pSource = source; }
    // Enabling finds the list box in the loaded script and fills it.
    void Enable(bool enabled);
    bool IsEnabled() const { return m_bEnabled; }
    void Update();
    // While enabled: selects the animal's row and names the animal in slot 13; an animal no row has selects the
    // first row and slot 13 becomes 0.
    void SelectAnimal(int32_t animal);

private:
    GUIManager& m_GUI;
    GazetteerSource* m_pSource = nullptr;
    ListRows* m_pList = nullptr;
    bool m_bEnabled = false;
};
