// The park layer's one registration: what it enters in the World's kind table and which managers a park gets from
// it, and that taking it back leaves the World with neither.
#include "park/ParkLayer.h"
#include "park/BuildingObject.h"
#include "park/CleanerObject.h"
#include "park/CleaningManager.h"
#include "park/ConstructionManager.h"
#include "park/FeedbackManager.h"
#include "park/GuestObject.h"
#include "park/LitterObject.h"
#include "park/MechanicObject.h"
#include "park/RepairManager.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "park/SceneryObject.h"
#include "park/ServerObject.h"
#include "park/TableObject.h"
#include "world/ObjectKinds.h"
#include "world/ParkServices.h"
#include "world/StaticObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace
{

// A class a test gives a kind the park has no class for yet.
class Probe : public StaticObject
{
public:
    Probe() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
};

BaseObject* MakeProbe()
{
    return new Probe;
}

template <typename Wanted, typename Held> bool Holds(const std::unique_ptr<Held>& manager)
{
    return dynamic_cast<Wanted*>(manager.get()) != nullptr;
}

TEST(ParkLayer, RegistersTheParksClassesAndManagersAndTakesThemBack)
{
    ClearObjectKinds();
    SetParkServices(nullptr);
    RegisterObjectKind(OBJECT_MECHANIC, MakeProbe);
    RegisterObjectKind(OBJECT_GUEST, MakeProbe);
    RegisterParkLayer();

    // Every kind is the park's own class, also where a probe stood before.
    const std::pair<uint8_t, bool (*)(BaseObject*)> own[] = {
        {OBJECT_BUILDING, [](BaseObject* o) { return dynamic_cast<BuildingObject*>(o) != nullptr; }},
        {OBJECT_SCENERY, [](BaseObject* o) { return dynamic_cast<Scenery*>(o) != nullptr; }},
        {OBJECT_GUEST, [](BaseObject* o) { return dynamic_cast<GuestObject*>(o) != nullptr; }},
        {OBJECT_TABLE, [](BaseObject* o) { return dynamic_cast<TableObject*>(o) != nullptr; }},
        {OBJECT_LITTER, [](BaseObject* o) { return dynamic_cast<LitterObject*>(o) != nullptr; }},
        {OBJECT_SERVER, [](BaseObject* o) { return dynamic_cast<ServerObject*>(o) != nullptr; }},
        {OBJECT_MECHANIC, [](BaseObject* o) { return dynamic_cast<MechanicObject*>(o) != nullptr; }},
        {OBJECT_CLEANER, [](BaseObject* o) { return dynamic_cast<CleanerObject*>(o) != nullptr; }},
        {OBJECT_ZOOKEEPER, [](BaseObject* o) { return dynamic_cast<ZooKeeperObject*>(o) != nullptr; }},
    };
    for (const auto& [kind, isOwn] : own)
    {
        ASSERT_NE(GetObjectFactory(kind), nullptr) << int(kind);
        const std::unique_ptr<BaseObject> object(GetObjectFactory(kind)());
        EXPECT_TRUE(isOwn(object.get())) << int(kind);
    }
    EXPECT_NE(GetObjectFactory(OBJECT_MECHANIC), MakeProbe);

    // Every manager of a park, each of its class, the two repair boards separate.
    ParkServices* park = GetParkServices();
    ASSERT_NE(park, nullptr);
    const ParkManagers managers = park->CreateManagers();
    EXPECT_TRUE(Holds<RepairManager>(managers.mechanicsRepair));
    EXPECT_TRUE(Holds<RepairManager>(managers.zooRepair));
    EXPECT_NE(managers.mechanicsRepair.get(), managers.zooRepair.get());
    EXPECT_TRUE(Holds<CleaningManager>(managers.cleaning));
    EXPECT_TRUE(Holds<FeedbackManager>(managers.feedback));
    EXPECT_TRUE(Holds<ConstructionManager>(managers.construction));
    EXPECT_TRUE(Holds<ResearchManager>(managers.research));
    EXPECT_TRUE(Holds<RescueManager>(managers.rescue));

    // Registering again changes nothing.
    RegisterParkLayer();
    EXPECT_EQ(GetParkServices(), park);
    EXPECT_NE(GetObjectFactory(OBJECT_MECHANIC), MakeProbe);

    UnregisterParkLayer();
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
        EXPECT_EQ(GetObjectFactory(kind), nullptr) << int(kind);
    EXPECT_EQ(GetParkServices(), nullptr);
}

} // namespace
