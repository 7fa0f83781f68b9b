// Shared pieces of the tests of the job boards, the feedback and the building's care and panel: a park of small
// buildings that wear, keep animals and toilets, animals whose welfare the test sets, a GUI that records what it
// is asked, and a text table of the test's own.
#pragma once

#include "engine/core/TextTable.h"
#include "park/AnimalObject.h"
#include "park/CleaningManager.h"
#include "park/FeedbackManager.h"
#include "park/ParkGui.h"
#include "park/RepairManager.h"
#include "tests/park/BuildingTestSupport.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace jobstest
{

using bldtest::Stub;

// An animal whose happiness, food opinion and sale value the test sets.
class Animal : public Stub, public CaredAnimal
{
public:
    float GetHappiness() const override { return happiness; }
    float GetOpinion(int32_t index) const override { return index == 0 ? food : 1.0f; }
    float GetSaleValue() const override { return value; }
    void GetVariable(const char* keyword, platform::WString& text) override;

    float happiness = 1.0f;
    float food = 1.0f;
    float value = 0.0f;
};

// Records the dialogs, messages and selections the park asks for; registered for its lifetime.
class Gui : public ParkGui
{
public:
    Gui() { SetParkGui(this); }
    ~Gui() override { SetParkGui(nullptr); }
    void OpenDialog(const char* name, DialogListener* listener) override { opened.push_back({name, listener}); }
    bool CloseDialog(const char* name) override
    {
        closed.push_back(name);
        return true;
    }
    bool CloseDialogsOfListener(DialogListener* listener) override;
    bool IsMessageBoxFree() override { return boxFree; }
    void ShowMessage(const char* id, float seconds) override { shown.push_back({platform::AnsiToWide(id), seconds}); }
    void ShowMessageText(const char16_t* text, float seconds) override { shown.push_back({text, seconds}); }
    int32_t GetSelection(int32_t slot) override { return selections[slot]; }

    bool boxFree = true;
    std::vector<std::pair<std::string, DialogListener*>> opened;
    std::vector<std::string> closed;
    std::vector<std::pair<platform::WString, float>> shown;
    std::map<int32_t, int32_t> selections;
};

// The game's text table of "ID=text" entries separated by '|'.
std::unique_ptr<TextTable> MakeTexts(const testsupport::TempDir& dir, const std::u16string& texts);

// A park 48 cells wide with footpaths along x = 1 and y = 7, every manager, and these one-cell building types
// served from the footpath: KIOSK (wears by `decay` a sale, costs 400), RESTSMALL, POOL (up to three FISH, sold
// for 100 each); the scenery PLANT, which wants water, and ROCK, which does not.
class JobPark : public bldtest::BuildingPark
{
public:
    explicit JobPark(float decay = 0.125f);
    // A building of the type at (2, y).
    BuildingObject* Small(const char* type, int y);
    // A sale to a new guest.
    void Sale(BuildingObject* building);
    // A stand-in of the kind at a world position.
    Stub* At(uint8_t kind, const char* name, float x, float y);
    // A worker's message to the building.
    void Tell(BuildingObject* building, uint32_t worker, uint32_t type, uint32_t data);
    // The messages of the type the worker got.
    size_t Got(uint32_t worker, uint32_t type) const;
    // The built-in staff types, and the servers, mechanics, cleaners and zookeepers made as the park makes them.
    void RegisterStaff();
    // A worker of the kind and type made at a world position (not yet started).
    template <typename T> T* Hire(uint8_t kind, const char* type, float x = 40.0f, float y = 480.0f)
    {
        auto* staff = static_cast<T*>(objects->CreateObject(type, kind));
        staff->SetType(kind);
        staff->SetWorldPosition({x, y, 0.0f});
        return staff;
    }

    CleaningManager& cleaning;
    RepairManager& mechanics;
    RepairManager& zoo;
    FeedbackManager& feedback;
};

} // namespace jobstest
