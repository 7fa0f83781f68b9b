// Shared pieces of the tests of the job boards, the feedback and the building's care and panel.
#include "tests/park/JobsTestSupport.h"

#include "park/CleanerObject.h"
#include "park/MechanicObject.h"
#include "park/ServerObject.h"
#include "scripts/ObjectStates.h"
#include "world/ObjectKinds.h"

#include <cstring>

namespace jobstest
{

using tablestest::Record;

void Animal::GetVariable(const char* keyword, platform::WString& text)
{
    if (std::strcmp(keyword, "ANIMAL_NAME") == 0)
        text = u"Fish " + platform::AnsiToWide(std::to_string(m_dwID).c_str());
    else if (std::strcmp(keyword, "ANIMAL_HEALTH_LEVEL") == 0)
        text = u"health " + platform::AnsiToWide(std::to_string(m_dwID).c_str());
}

bool Gui::CloseDialogsOfListener(DialogListener* listener)
{
    closed.push_back("listener");
    if (listener)
        listener->ResetPanelState();
    return true;
}

std::unique_ptr<TextTable> MakeTexts(const testsupport::TempDir& dir, const std::u16string& texts)
{
    return std::make_unique<TextTable>(testsupport::WriteTextTable(dir, texts).c_str());
}

namespace
{

// A building type on a one-cell map grid served from its left.
std::string SmallType(const std::string& name, std::vector<std::pair<std::string, std::string>> fields)
{
    fields.insert(fields.end(), {{"RIDE_MODEL", "NONE"}, {"TABLE_MODEL", "NONE"}, {"GUESTCAPACITY", "4"}});
    const char* const rows[] = {"000", "IQ0", "000"};
    std::vector<std::pair<std::string, std::string>> grid = {{"WIDTH", "1"}, {"HEIGHT", "1"}};
    for (int r = 0; r < 3; ++r)
    {
        grid.push_back({"FLAGROW" + std::to_string(r), rows[r]});
        grid.push_back({"BASEPLATEROW" + std::to_string(r), r == 1 ? "0T0" : "000"});
    }
    return Record("BUILD", name, fields) + Record("MAPGRID", "MAP" + name, grid);
}

} // namespace

JobPark::JobPark(float decay)
    : BuildingPark(SmallType("KIOSK", {{"CAN_BREAKDOWN", "Yes"},
                                       {"REPAIR_DECAY", std::to_string(decay)},
                                       {"COST2BUILD", "400"},
                                       {"ATTRACT_ID_1", "AI_TEA"},
                                       {"ATTRACT_PRICE_1", "2.0005"},
                                       {"ATTRACT_COST_1", "2"},
                                       {"MENU", "ShopMenu"},
                                       {"MENU_ATTACH", "Yes"}}) +
                       SmallType("RESTSMALL", {{"ATTRACT_CAT_1", "TOILET"}, {"CUTAWAY_ROOF", "Yes"}}) +
                       SmallType("POOL", {{"ATTRACT_CAT_1", "ANIMAL"},
                                          {"ANIMAL_1", "FISH"},
                                          {"MAXIMUM_ANIMAL_IN", "5"},
                                          {"COST2BUILD", "1000"},
                                          {"MENU", "AnimalRescue"}}) +
                       Record("ANIMAL", "FISH", {{"COST", "100.75"}, {"INTENSITY", "1"}, {"NUM_PATHS", "3"}}) +
                       // A tank whose first animal is still to be unlocked.
                       SmallType("TANK", {{"ATTRACT_CAT_1", "ANIMAL"},
                                          {"ANIMAL_1", "EEL"},
                                          {"ANIMAL_2", "FISH"},
                                          {"MAXIMUM_ANIMAL_IN", "5"},
                                          {"COST2BUILD", "1000"}}) +
                       Record("ANIMAL", "EEL",
                              {{"COST", "40"}, {"INTENSITY", "1"}, {"NUM_PATHS", "3"}, {"NEEDS_UNLOCKING", "Yes"}}) +
                       Record("SCENERY", "PLANT", {{"WATER", "Yes"}}) + Record("SCENERY", "ROCK", {{"WATER", "No"}}),
                   48),
      cleaning(*static_cast<CleaningManager*>(world->m_Managers.cleaning.get())),
      mechanics(*static_cast<RepairManager*>(world->m_Managers.mechanicsRepair.get())),
      zoo(*static_cast<RepairManager*>(world->m_Managers.zooRepair.get())),
      feedback(*static_cast<FeedbackManager*>((world->m_Managers.feedback = std::make_unique<FeedbackManager>()).get()))
{
    for (int i = 0; i < 48; ++i)
    {
        Footpath(i, 7);
        Footpath(1, i);
    }
    RegisterObjectKind(OBJECT_ANIMAL, []() -> BaseObject* { return new Animal; });
}

BuildingObject* JobPark::Small(const char* type, int y)
{
    return Build(type, 2, y);
}

void JobPark::Sale(BuildingObject* building)
{
    Send(Make(OBJECT_GUEST)->GetID(), building->GetID(), MT_IM_READY);
}

Stub* JobPark::At(uint8_t kind, const char* name, float x, float y)
{
    Stub* stub = Make(kind, name);
    stub->SetWorldPosition({x, y, 0.0f});
    return stub;
}

void JobPark::Tell(BuildingObject* building, uint32_t worker, uint32_t type, uint32_t data)
{
    Send(worker, building->GetID(), type, data);
}

size_t JobPark::Got(uint32_t worker, uint32_t type) const
{
    return bldtest::Taken(type, worker).size();
}

void JobPark::RegisterStaff()
{
    params->AddBuiltInStaff();
    RegisterObjectKind(OBJECT_SERVER, []() -> BaseObject* { return new ServerObject; });
    RegisterObjectKind(OBJECT_MECHANIC, []() -> BaseObject* { return new MechanicObject; });
    RegisterObjectKind(OBJECT_CLEANER, []() -> BaseObject* { return new CleanerObject; });
    RegisterObjectKind(OBJECT_ZOOKEEPER, []() -> BaseObject* { return new ZooKeeperObject; });
}

} // namespace jobstest
