// The guest park of the sample data in the game's World, run for two game days: guests arrive through the
// entrance, walk to the cafe, queue, pay, eat at its tables, drop litter or bin it, rest on benches and leave.
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "engine/render/ModelManager.h"
#include "park/BuildingObject.h"
#include "park/GuestObject.h"
#include "park/LitterObject.h"
#include "park/ParkLayer.h"
#include "park/SceneryObject.h"
#include "park/TableObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "tests/support/TestSupport.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

TEST(GuestParkScene, Explore)
{
    testsupport::ScopedCurrentDir cwd(TW_SOURCE_DIR "/sample-data");
    testsupport::RecordingReportSink reports;
    GameParameters parameters("data/script/gameparameters.pis");
    TextTable texts("data/text_uk.uni");
    ClearObjectKinds();
    RegisterParkLayer();
    g_ModelManager.Init(1000, false);
    platform::SRand(7);
    {
        World world(nullptr, nullptr, "data/Scenario/GuestPark/GuestPark.pis", false);
        ASSERT_TRUE(world.IsBuilt()) << reports.boxes[0].text << reports.boxes[1].text << reports.boxes[2].text;
        world.SetGameSpeedLevel(2);
        std::map<uint32_t, int> states;
        int maxLitter = 0, maxGuests = 0;
        std::set<uint32_t> seatedSeen;
        for (int frame = 0; frame < 20000 && world.GetGameDay() < 2; ++frame)
        {
            world.Update(1.0f / 30.0f);
            for (BaseObject* g : g_pObjectManager->GetObjectsOfKind(OBJECT_GUEST))
                states[g->GetState()]++;
            maxLitter = std::max<int>(maxLitter, g_pObjectManager->CountObjectsOfKind(OBJECT_LITTER));
            maxGuests = std::max(maxGuests, world.m_NumGuests);
        }
        std::printf("day %d time %f guests %d max %d arrivals %d departs %d unhappy %d litter %d\n", world.GetGameDay(),
                    world.GetGameTime(), world.m_NumGuests, maxGuests,
                    world.m_TotalGuestArrive[0] + world.m_TotalGuestArrive[1],
                    world.m_TotalGuestDepart[0] + world.m_TotalGuestDepart[1],
                    world.m_TotalGuestUnhappyDepart[0] + world.m_TotalGuestUnhappyDepart[1], maxLitter);
        for (auto [s, n] : states)
            std::printf("  state %u: %d\n", s, n);
        for (BaseObject* b : g_pObjectManager->GetObjectsOfKind(OBJECT_BUILDING))
        {
            auto* bo = dynamic_cast<BuildingObject*>(b);
            std::printf("  %s open %d visits %u income %f tables %u\n", b->GetName(), bo->IsOpen(),
                        bo->GetVisitsToday(), bo->GetIncomeToday(), bo->GetTableCount());
        }
        for (const auto& box : reports.boxes)
            std::printf("BOX: %s\n", box.text.c_str());
        std::printf("DEBUG:\n%s\n", reports.debug.substr(0, 3000).c_str());
    }
    UnregisterParkLayer();
}
