// Shared pieces of the tests of animals and the components of animal and show buildings: a park with a scene, the
// sample data's models, animal types and an animal building of the tests' own, the scripts the animals run, a GUI
// that keeps rows of lists, and stand-ins that record what they receive.
#pragma once

#include "park/AnimalObject.h"
#include "park/ParkGui.h"
#include "tests/park/BuildingTestSupport.h"
#include "tests/park/JobsTestSupport.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace animaltest
{

using bldtest::Received;
using bldtest::Stub;
using bldtest::Taken;

// The animal types and buildings of the tests:
// - DOLPHIN (the sample data's paths and meshes): cost 1000, intensity 1, two move meshes, one of each other
//   action, 20 paths, a show animal; its rest growth bounds ill 0.1-0.2, sad 0.3-0.4, happy 0.5-0.6, play growth
//   ill 0.01-0.02, sad 0.03-0.04, happy 0.05-0.06; food decays 0.5 a day; counts eat 2, play 3, rest 4.
// - SHARK: another path animal, two paths.
// - WALKER: walks the points (USEPOINTS), moves several cells at a time, speed 20, a move delay of 3 s.
// - TANK: holds DOLPHIN, SHARK and WALKER (slots 0, 1, 2), optimum load 2, most 100; a 4 x 4 map grid of animal
//   cells with three eat points, two eat nodes and four spawn points.
std::string AnimalTables();

// A stand-in animal of a path type: it records its path slot.
class PathStub : public Stub, public PathAnimal
{
public:
    void SetPathSlot(uint32_t slot) override { pathSlot = slot; }
    bool Message(const MessageRecord& record) override;

    uint32_t pathSlot = 0xFFFFFFFF;
    // Run after the message is recorded.
    std::function<void(PathStub&, const MessageRecord&)> onMessage;
};

// A list of rows as the GUI keeps it: the rows, the selected row and the top row.
class RowList : public PanelRowList
{
public:
    void Clear() override { rows.clear(); }
    void AddRow(const PanelRow& row) override { rows.push_back(row); }
    int32_t GetRowCount() const override { return static_cast<int32_t>(rows.size()); }
    void SelectItem(int32_t row) override;
    int32_t GetSelectedItem() const override { return selected; }
    void EnsureVisible(int32_t row) override { visible = row; }
    void SetTopItem(int32_t row) override { top = row; }
    int32_t GetTopItem() const override { return top; }

    std::vector<PanelRow> rows;
    int32_t selected = -1;
    int32_t top = 0;
    int32_t visible = -1;
};

// The tests' GUI with lists of rows by name, selections and the tool mode it was asked for.
class ListGui : public jobstest::Gui
{
public:
    void SetSelection(int32_t slot, int32_t value) override { selections[slot] = value; }
    void SetMode(int32_t mode) override { modes.push_back(mode); }
    PanelRowList* FindRowList(const char* name) override;

    std::map<std::string, RowList> lists;
    std::vector<int32_t> modes;
};

// A park of 24 x 24 cells with a scene, the sample data's models and the tables given; stand-ins for every kind
// but buildings (animals are PathStubs) until the test asks for real animals.
class AnimalPark : public bldtest::BuildingPark
{
public:
    explicit AnimalPark(const std::string& tables = AnimalTables(), int size = 24);
    ~AnimalPark();

    // Animals from here on are real AnimalObjects.
    void RealAnimals();
    // Compiles an object script and registers it with the park under the name.
    void LoadScript(const char* name, const std::string& text);
    // A building of a type at a cell, built at once.
    BuildingObject* Home(const char* type = "TANK", int x = 4, int y = 4);
    // An animal of the type adopted by the building in that slot; null when none was made.
    BaseObject* Adopt(BuildingObject* home, uint32_t slot);

    testsupport::ScopedCurrentDir cwd;
};

} // namespace animaltest
