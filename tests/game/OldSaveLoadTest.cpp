// Saves written by earlier builds of the program load into this one with what they held: the header's figures, and
// the park's cash, clock, guests, buildings with their queues, staff, animals, litter and footpath as the earlier
// build had them in memory when it saved (listed beside each save by that build, see tests/data/oldsaves/README.md).
#include "engine/core/GameOptions.h"
#include "engine/core/SerialStream.h"
#include "game/SaveGames.h"
#include "game/ScenarioProgress.h"
#include "game/Screens.h"
#include "park/BuildingObject.h"
#include "park/QueueComponent.h"
#include "tests/park/SampleParkTest.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/WorldMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const std::string kOldSaves = std::string(TW_SOURCE_DIR) + "/tests/data/oldsaves/";

// The park in memory as the lines the earlier build listed: "key value" lines, sorted.
std::vector<std::string> ParkLines(const World& world)
{
    std::vector<std::string> lines;
    char text[512];
    std::snprintf(text, sizeof text, "cash %.9g", world.GetPlayer()->Cash);
    lines.push_back(text);
    lines.push_back("day " + std::to_string(world.GetGameDay()));
    std::snprintf(text, sizeof text, "hour %.9g", world.GetGameDayTime());
    lines.push_back(text);
    lines.push_back("guests " + std::to_string(world.m_NumGuests));
    const struct
    {
        uint8_t kind;
        const char* name;
    } kinds[] = {{OBJECT_GUEST, "guest"},     {OBJECT_BUILDING, "building"}, {OBJECT_MECHANIC, "mechanic"},
                 {OBJECT_CLEANER, "cleaner"}, {OBJECT_ZOOKEEPER, "keeper"},  {OBJECT_ANIMAL, "animal"},
                 {OBJECT_SERVER, "server"},   {OBJECT_TABLE, "table"},       {OBJECT_LITTER, "litter"}};
    for (const auto& kind : kinds)
    {
        const std::vector<BaseObject*> objects = g_pObjectManager->GetObjectsOfKind(kind.kind);
        lines.push_back(std::string("count ") + kind.name + " " + std::to_string(objects.size()));
        for (const BaseObject* object : objects)
        {
            const platform::Vec3& at = object->GetWorldPosition();
            std::snprintf(text, sizeof text, "%s %u %s at %.9g %.9g %.9g turn %d state %u", kind.name, object->GetID(),
                          object->GetName(), at.x, at.y, at.z, object->GetDirection(), object->GetState());
            std::string line = text;
            if (kind.kind == OBJECT_BUILDING)
                if (const QueueComponent* queue = static_cast<const BuildingObject*>(object)->GetQueue())
                {
                    line += " queue";
                    for (uint32_t guest : queue->GetGuests())
                        line += " " + std::to_string(guest);
                }
            lines.push_back(line);
        }
    }
    const WorldMap& map = *world.GetWorldMap();
    uint32_t footpath = 0;
    for (uint32_t i = 0; i < map.GetCellCount(); ++i)
        if (map.CellAt(i).m_uiFlags & CELL_FOOTPATH)
            ++footpath;
    lines.push_back("footpath " + std::to_string(footpath));
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> FileLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream text(testsupport::ReadText(path));
    for (std::string line; std::getline(text, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

// The value of the listed line "key value".
std::string Listed(const std::vector<std::string>& lines, const std::string& key)
{
    for (const std::string& line : lines)
        if (line.rfind(key + " ", 0) == 0)
            return line.substr(key.size() + 1);
    ADD_FAILURE() << "no " << key << " listed";
    return {};
}

struct OldSave
{
    const char* save;  // the save file, as the earlier build wrote it
    const char* facts; // what that build had in memory when it wrote it
};

class OldSaveLoadTest : public SampleParkTest, public ::testing::WithParamInterface<OldSave>
{
};

} // namespace

TEST_P(OldSaveLoadTest, LoadsWithWhatTheEarlierBuildHad)
{
    std::vector<std::string> expected = FileLines(kOldSaves + GetParam().facts);
    std::sort(expected.begin(), expected.end());
    ASSERT_GT(expected.size(), 10u);
    BinarySerialStream in(false, (kOldSaves + GetParam().save).c_str());
    ASSERT_TRUE(in.IsOpen());
    SaveGameEntry header;
    bool sandbox = true;
    ASSERT_EQ(ReadSaveHeader(in, &header, &sandbox), SaveHeaderResult::Ok);
    EXPECT_FALSE(sandbox);
    EXPECT_EQ(header.m_iScenario, 0);
    EXPECT_EQ(std::to_string(header.m_iGameDay), Listed(expected, "day"));
    EXPECT_EQ(std::to_string(header.m_iGuests), Listed(expected, "guests"));
    EXPECT_EQ(std::strtof(Listed(expected, "cash").c_str(), nullptr), header.m_fCash);
    EXPECT_EQ(std::strtof(Listed(expected, "hour").c_str(), nullptr), header.m_fDayTime);

    std::unique_ptr<World> world =
        World::LoadSaved(nullptr, nullptr, WorldTestScreen::ScenarioFileName(header.m_iScenario, sandbox).c_str(), in);
    ASSERT_NE(world, nullptr);
    const std::vector<std::string> loaded = ParkLines(*world);
    // Line by line, so that a difference names what came back otherwise.
    std::vector<std::string> missing, extra;
    std::set_difference(expected.begin(), expected.end(), loaded.begin(), loaded.end(), std::back_inserter(missing));
    std::set_difference(loaded.begin(), loaded.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    for (const std::string& line : missing)
        ADD_FAILURE() << "the earlier build had: " << line;
    for (const std::string& line : extra)
        ADD_FAILURE() << "loaded instead: " << line;
    EXPECT_EQ(loaded.size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(EarlierBuilds, OldSaveLoadTest,
                         ::testing::Values(OldSave{"busy-park-7b9ff1f.dat", "busy-park-7b9ff1f.txt"},
                                           OldSave{"busy-park-df90492.dat", "busy-park-df90492.txt"}),
                         [](const ::testing::TestParamInfo<OldSave>& info)
                         { return std::string(info.param.save).substr(10, 7); });

TEST(OldOptionsAndProgress, AreReadAsTheEarlierBuildWroteThem)
{
    // The values the earlier build was given (its draw distance stored as the fraction it keeps).
    GameOptions options(kOldSaves + "options-7b9ff1f.ini");
    EXPECT_FLOAT_EQ(options.m_fMusicVol, 0.25f);
    EXPECT_FLOAT_EQ(options.m_fEffectsVol, 0.75f);
    EXPECT_EQ(options.m_iResWidth, 1024);
    EXPECT_EQ(options.m_iResHeight, 768);
    EXPECT_FALSE(options.m_bNudgeScroll);
    EXPECT_FLOAT_EQ(options.m_fDrawDist, 1.0f);
    EXPECT_EQ(options.m_iLanguage, 3);
    EXPECT_FALSE(options.m_bResearchPopups);
    EXPECT_TRUE(options.m_bConservationPopups);
    EXPECT_EQ(options.m_iRoofMode, 1);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(options.GetDialogPosition(2, &x, &y));
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);

    ScenarioProgress progress;
    ASSERT_TRUE(progress.Read((kOldSaves + "progress-7b9ff1f.bin").c_str()));
    const std::vector<std::string> flags = FileLines(kOldSaves + "progress-7b9ff1f.txt");
    ASSERT_EQ(flags.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(std::to_string(progress.GetFlag(i)), flags[static_cast<size_t>(i)]) << "scenario " << i;
}
