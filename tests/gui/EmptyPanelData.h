// A park that answers every question of the GUI's panels with nothing: no rows, no objects, no figures, no records.
// Fakes derive from it and answer only what their tests ask. Also the shell that hands the GUI such a park.
#pragma once

#include "gui/GuiShell.h"
#include "gui/PanelData.h"

#include <cstdint>
#include <vector>

class EmptyPanelData : public PanelData
{
public:
    void ListGuests(std::vector<BrowserEntry>&) override {}
    void ListBuildings(std::vector<BrowserEntry>&) override {}
    void ListStaff(std::vector<BrowserEntry>&) override {}
    void ListAnimals(std::vector<BrowserEntry>&) override {}
    DialogListener* FindObject(uint32_t) override { return nullptr; }
    uint32_t GetObjectId(DialogListener*) override { return kNoObjectId; }
    void OpenObjectPanel(uint32_t) override {}
    bool GetBuildingAnimals(DialogListener*, std::vector<uint32_t>&) override { return false; }
    int32_t GetVisitCount(DialogListener*) override { return 0; }
    int32_t GetAvailableAnimalCount(DialogListener*) override { return 0; }
    bool GetFigure(PanelFigure, double*) override { return false; }
    int32_t GetObjectiveState(int32_t) override { return -1; }
    int32_t GetBuildingRecordCount() override { return 0; }
    bool GetBuildingRecord(int32_t, BuildRecord*) override { return false; }
    int32_t GetSceneryRecordCount() override { return 0; }
    bool GetSceneryRecord(int32_t, SceneryRecord*) override { return false; }
    bool CheckBuildRequirement(int32_t) override { return false; }
    bool IsBuildTypeAtLimit(int32_t) override { return false; }
    bool CanBuildType(int32_t) override { return false; }
    int32_t CountBuildings(int32_t) override { return 0; }
    int32_t CountFinishedBuildings(int32_t) override { return 0; }
};

// A shell whose only answer is the park the GUI's panels read.
class PanelDataShell : public GuiShell
{
public:
    explicit PanelDataShell(PanelData* data) : m_pData(data) {}
    PanelData* GetPanelData() override { return m_pData; }

private:
    PanelData* m_pData;
};
