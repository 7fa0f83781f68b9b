// The sample scenario built from the sample data as the game would build it, run for 10,000 frames.
#include "engine/core/GameParameters.h"
#include "engine/render/ModelManager.h"
#include "park/ParkLayer.h"
#include "park/ResearchManager.h"
#include "scripts/WorldScript.h"
#include "tests/support/TestSupport.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

namespace
{

const std::string kSampleData = std::string(TW_SOURCE_DIR) + "/sample-data";

// The flags the grid text asks for at each cell: a 32 x 32 area from (48, 16), '.' walkable ground (0x80000001);
// everything else 0x20000000. A grid holds no footpath.
uint32_t ExpectedFlags(const std::vector<std::string>& rows, int x, int y)
{
    const int r = y - 16, c = x - 48;
    if (r < 0 || c < 0 || r >= static_cast<int>(rows.size()) || c >= static_cast<int>(rows[r].size()))
        return 0x20000000u;
    return rows[r][c] == '.' ? 0x80000001u : 0u;
}

} // namespace

TEST(SampleScenario, BuildsFromTheSampleDataAndRunsTenThousandFramesWithoutAnError)
{
    testsupport::ScopedCurrentDir cwd(kSampleData);
    testsupport::RecordingReportSink reports;
    GameParameters parameters("data/script/gameparameters.pis");
    ClearObjectKinds();
    RegisterParkLayer();
    g_ModelManager.Init(1000, false);
    {
        World world(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
        ASSERT_TRUE(world.IsBuilt());
        // The research budget is set to nothing: the cash counts the buildings alone.
        GetResearchManager()->SetSliderValue(0.0f);
        EXPECT_EQ(world.m_NumValidBuildings, 2);
        EXPECT_EQ(world.m_iObjectiveCount, 1);
        // A 720 s day opens at 270 s.
        EXPECT_FLOAT_EQ(world.GetGameTime(), 270.0f);

        // Every model the scenario can show is there (the placeholder model under each name).
        const std::vector<std::string> models = world.GetPreloadList();
        EXPECT_GT(models.size(), 10u);
        for (const std::string& name : models)
            EXPECT_NE(g_ModelManager.Load(name.c_str()), 0u) << name;

        // The grid is the ground its source text describes, but where the world script lays paths and places
        // buildings, with the cells round them (whose neighbour marks change): the avenue (column 64, rows 16 to 40)
        // and the cross path (row 32, columns 52 to 76) it lays first; the side path on row 36 (cells 65 to 70 east
        // of the avenue, a queue cell at 71); a staff room on cells 61-62 x 17-18 with the three cells of path from
        // its serve cell to the avenue on row 16; a fun house on 66-67 x 20-21 (its queue start below it marks the
        // cells beside it) with the two cells of path from the avenue to its serve cell on row 19; a lagoon on 60-62
        // x 24-26 with the three cells of path from its serve cell to the avenue on row 23, and an arena on 66-68 x
        // 25-27 with the three on row 24.
        std::istringstream text(testsupport::ReadText(kSampleData + "/src/maps/BaycrestGrid.txt"));
        std::vector<std::string> rows;
        for (std::string line; std::getline(text, line);)
        {
            if (line.rfind("//", 0) != 0)
                rows.push_back(line);
        }
        ASSERT_EQ(rows.size(), 32u);
        ASSERT_TRUE(g_pWorldMap->IsGridLoaded());
        int mismatches = 0;
        for (int x = 0; x < 128; ++x)
        {
            for (int y = 0; y < 128; ++y)
            {
                const bool laidByScript =
                    (x >= 63 && x <= 65 && y >= 15 && y <= 41) || (x >= 51 && x <= 77 && y >= 31 && y <= 33) ||
                    (x >= 63 && x <= 72 && y >= 35 && y <= 37) || (x >= 60 && x <= 63 && y >= 15 && y <= 19) ||
                    (x >= 65 && x <= 68 && y >= 18 && y <= 22) || (x == 64 && y >= 15 && y <= 20) ||
                    (x >= 60 && x <= 64 && y >= 22 && y <= 26) || (x >= 64 && x <= 68 && y >= 23 && y <= 27);
                if (!laidByScript)
                    mismatches += g_pWorldMap->GetFlags({x, y}) != ExpectedFlags(rows, x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(mismatches, 0);
        // Under a building a cell is occupied and no longer walkable ground.
        for (const GridPos corner : {GridPos{61, 17}, GridPos{66, 20}})
            for (int dx = 0; dx < 2; ++dx)
                for (int dy = 0; dy < 2; ++dy)
                    EXPECT_EQ(g_pWorldMap->GetFlags({corner.x + dx, corner.y + dy}) & 0x80000002u, 0x2u)
                        << corner.x + dx << ", " << corner.y + dy;
        EXPECT_EQ(world.m_NumBuildings, 4);
        for (int x = 65; x <= 70; ++x)
            EXPECT_NE(g_pWorldMap->GetFlags({x, 36}) & CELL_FOOTPATH, 0u) << x;
        EXPECT_EQ(g_pWorldMap->GetFlags({71, 36}) & (CELL_QUEUE | CELL_FOOTPATH), static_cast<uint32_t>(CELL_QUEUE));
        EXPECT_EQ(g_pWorldMap->GetFlags({65, 37}) & CELL_FOOTPATH, 0u);
        EXPECT_EQ(g_pWorldMap->GetFlags({71, 35}) & (CELL_FOOTPATH | CELL_QUEUE), 0u);
        // The footpath runs from the entrance's row into the park, past the arrival point.
        EXPECT_EQ(g_pWorldMap->GetFlags({64, 16}) & 0x10000000u, 0x10000000u);
        EXPECT_EQ(g_pWorldMap->GetFlags(WorldMap::WorldToGrid({2048.0f, 2048.0f, 0.0f})) & 0x10000000u, 0x10000000u);

        for (int frame = 0; frame < 10000; ++frame)
            world.Update(1.0f / 30.0f);
        // 10,000 frames at 30 a second: 333.3 game seconds later, 20:07 of day 0.
        EXPECT_NEAR(world.GetGameTime(), 270.0f + 10000.0f / 30.0f, 0.2f);
        EXPECT_EQ(world.GetGameDay(), 0);
        EXPECT_EQ(world.GetHour(), 20);
        // Less the three dolphins the lagoon and the arena took at 1200 each.
        EXPECT_EQ(world.GetPlayer()->Cash, 25000.0f - 3 * 1200.0f);
        // The rating and the averages keep coming every 10 s, and each of the four buildings' breakdown check every
        // half day.
        EXPECT_EQ(g_pMessageHandler->GetPendingMessages().size(), 2u + 4u);
        // The world script left its startup State for the one that watches the objective.
        const WorldScript* script = world.GetWorldScript();
        ASSERT_NE(script, nullptr);
        ASSERT_LT(script->GetCurrentState(), script->GetNumStates());
        EXPECT_EQ(script->GetStateName(script->GetCurrentState()), "Running");
    }
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
    UnregisterParkLayer();
}
