// The park layer's one registration: what it enters in the World's kind table and which managers a park gets from
// it, and that taking it back leaves the World with neither.
#include "park/ParkLayer.h"
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/ConstructionManager.h"
#include "park/FeedbackManager.h"
#include "park/RepairManager.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "world/ObjectKinds.h"
#include "world/ParkServices.h"
#include "world/StaticObject.h"

#include <gtest/gtest.h>

#include <memory>

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
    RegisterObjectKind(OBJECT_GUEST, MakeProbe);
    RegisterParkLayer();

    // Buildings are the park's own class; a kind the park has no class for keeps the one it had, or none.
    ASSERT_NE(GetObjectFactory(OBJECT_BUILDING), nullptr);
    const std::unique_ptr<BaseObject> building(GetObjectFactory(OBJECT_BUILDING)());
    EXPECT_NE(dynamic_cast<BuildingObject*>(building.get()), nullptr);
    EXPECT_EQ(GetObjectFactory(OBJECT_GUEST), MakeProbe);
    EXPECT_EQ(GetObjectFactory(OBJECT_LITTER), nullptr);

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
    EXPECT_EQ(GetObjectFactory(OBJECT_GUEST), MakeProbe);

    UnregisterParkLayer();
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
        EXPECT_EQ(GetObjectFactory(kind), nullptr) << int(kind);
    EXPECT_EQ(GetParkServices(), nullptr);
}

} // namespace
