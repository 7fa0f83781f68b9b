// Shared pieces of the animal tests.
#include "tests/park/AnimalTestSupport.h"

#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "park/BuildingObject.h"
#include "scripts/ObjectStates.h"
#include "world/ObjectKinds.h"

#include <algorithm>

namespace animaltest
{

std::string AnimalTables()
{
    using tablestest::Record;
    std::string grid = Record("MAPGRID", "MAPTANK",
                              "WIDTH=4|HEIGHT=4|FLAGROW0=000000|FLAGROW1=0AAAA0|FLAGROW2=0AAAA0|FLAGROW3=0AAAA0|"
                              "FLAGROW4=0AAAA0|FLAGROW5=000000|NUM_EATPOINTS=3|EATPOINTX=16|EATPOINTY=32|"
                              "EATPOINTX=48|EATPOINTY=32|EATPOINTX=80|EATPOINTY=32|NUM_EATNODES=2|EATNODEX=16|"
                              "EATNODEY=224|EATNODEX=112|EATNODEY=224|NUM_SPAWNPOINTS=4|SPAWNPOINTX=16|"
                              "SPAWNPOINTY=96|SPAWNPOINTX=48|SPAWNPOINTY=96|SPAWNPOINTX=80|SPAWNPOINTY=96|"
                              "SPAWNPOINTX=112|SPAWNPOINTY=96");
    return Record("BUILD", "TANK",
                  "ATTRACT_CAT_1=ANIMAL|GUESTCAPACITY=10|ANIMAL_1=DOLPHIN|ANIMAL_2=SHARK|ANIMAL_3=WALKER|"
                  "OPTIMUM_ANIMAL_IN=2|MAXIMUM_ANIMAL_IN=100|RIDE_MODEL=NONE|TABLE_MODEL=NONE") +
           grid +
           Record("ANIMAL", "DOLPHIN",
                  "COST=1000|INTENSITY=1|REST_DESIRE_ILL_LOW=0.1|REST_DESIRE_ILL_HIGH=0.2|REST_DESIRE_SAD_LOW=0.3|"
                  "REST_DESIRE_SAD_HIGH=0.4|REST_DESIRE_HAPPY_LOW=0.5|REST_DESIRE_HAPPY_HIGH=0.6|"
                  "PLAY_DESIRE_ILL_LOW=0.01|PLAY_DESIRE_ILL_HIGH=0.02|PLAY_DESIRE_SAD_LOW=0.03|"
                  "PLAY_DESIRE_SAD_HIGH=0.04|PLAY_DESIRE_HAPPY_LOW=0.05|PLAY_DESIRE_HAPPY_HIGH=0.06|"
                  "FOOD_DECAY=0.5|MOVE_DELAY=2|MOVE_SPEED=12|EAT_COUNT=2|PLAY_COUNT=3|REST_COUNT=4|USEPOINTS=No|"
                  "MOVE_ANIMS=2|EAT_ANIMS=1|PLAY_ANIMS=1|REST_ANIMS=1|NUM_PATHS=20|SHOW_ANIMAL=Yes|"
                  "SOUND_NAME=whistle") +
           Record("ANIMAL", "SHARK", "COST=500|INTENSITY=1|MOVE_ANIMS=1|NUM_PATHS=2") +
           Record("ANIMAL", "WALKER",
                  "COST=400|INTENSITY=0.5|MOVE_SPEED=20|MOVE_DELAY=3|MOVE_MULTIPLE=Yes|USEPOINTS=Yes|NUM_PATHS=4|"
                  "SOUND_NAME=NONE");
}

bool PathStub::Message(const MessageRecord& record)
{
    const bool taken = Stub::Message(record);
    if (onMessage)
        onMessage(*this, record);
    return taken;
}

void RowList::SelectItem(int32_t row)
{
    selected = rows.empty() ? -1 : std::clamp(row, 0, static_cast<int32_t>(rows.size()) - 1);
}

PanelRowList* ListGui::FindRowList(const char* name)
{
    const auto found = lists.find(name);
    return found == lists.end() ? nullptr : &found->second;
}

AnimalPark::AnimalPark(const std::string& tables, int size)
    : BuildingPark(tables, size), cwd(TW_SOURCE_DIR "/sample-data")
{
    RegisterObjectKind(OBJECT_ANIMAL, []() -> BaseObject* { return new PathStub; });
    g_ModelManager.Init(256, false);
    world->m_pScene = std::make_unique<Scene>();
    world->m_pScene->Open({0.0f, 0.0f, 0.0f}, {1024.0f, 100.0f, 1024.0f});
}

AnimalPark::~AnimalPark()
{
    // The objects leave the scene before the World closes it; the models go with the park.
    objects.reset();
    g_ModelManager.Shutdown();
}

void AnimalPark::RealAnimals()
{
    RegisterObjectKind(OBJECT_ANIMAL, []() -> BaseObject* { return new AnimalObject; });
}

void AnimalPark::LoadScript(const char* name, const std::string& text)
{
    const std::string file = dir.File(std::string(name) + ".ble");
    testsupport::WriteBytes(file, tablestest::Scrambled(text));
    world->GetScriptManager().LoadScript(name, dir.File(std::string(name) + ".pis").c_str());
}

BuildingObject* AnimalPark::Home(const char* type, int x, int y)
{
    return Build(type, x, y);
}

BaseObject* AnimalPark::Adopt(BuildingObject* home, uint32_t slot)
{
    const uint32_t before = objects->GetNextFreeObjectID();
    home->AdoptAnimal(slot);
    return before < objects->GetNextFreeObjectID() ? objects->GetObject(before) : nullptr;
}

} // namespace animaltest
