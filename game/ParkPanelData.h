// ParkPanelData: the park's records, objects and figures, as the data-bound panels read them.
#pragma once

#include "gui/PanelData.h"

class ParkPanelData : public PanelData
{
public:
    void ListGuests(std::vector<BrowserEntry>& out) override;
    void ListBuildings(std::vector<BrowserEntry>& out) override;
    void ListStaff(std::vector<BrowserEntry>& out) override;
    void ListAnimals(std::vector<BrowserEntry>& out) override;
    DialogListener* FindObject(uint32_t id) override;
    uint32_t GetObjectId(DialogListener* object) override;
    void OpenObjectPanel(uint32_t id) override;
    bool GetBuildingAnimals(DialogListener* building, std::vector<uint32_t>& out) override;
    int32_t GetVisitCount(DialogListener* guest) override;
    int32_t GetAvailableAnimalCount(DialogListener* building) override;
    bool GetFigure(PanelFigure figure, double* value) override;
    int32_t GetObjectiveState(int32_t n) override;
    int32_t GetBuildingRecordCount() override;
    bool GetBuildingRecord(int32_t index, BuildRecord* out) override;
    int32_t GetSceneryRecordCount() override;
    bool GetSceneryRecord(int32_t index, SceneryRecord* out) override;
    bool CheckBuildRequirement(int32_t index) override;
    bool IsBuildTypeAtLimit(int32_t index) override;
    bool CanBuildType(int32_t index) override;
    int32_t CountBuildings(int32_t index) override;
    int32_t CountFinishedBuildings(int32_t index) override;
    std::string GetTextId(PanelTextId which, int32_t n) override;
    int32_t GetObjectKind(DialogListener* object) override;
    int32_t GetGuestPhotoFrame(DialogListener* object) override;
    int32_t GetAnimalPhotoFrame(DialogListener* object) override;
    std::string GetRescueSprite(int32_t team) override;
    bool GetRescueLocation(int32_t* x, int32_t* y) override;
};
