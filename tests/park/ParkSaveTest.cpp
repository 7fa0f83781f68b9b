// The whole park saved and loaded: the sample scenario's park with guests, litter, animals, a building broken down
// and research and a rescue under way, saved, loaded into a freshly built park and saved again, gives the same
// bytes; a save cut short at any byte or with a byte changed is refused with a report and leaves no park.
#include "engine/core/GameParameters.h"
#include "engine/core/SerialStream.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "park/BuildingObject.h"
#include "park/ParkLayer.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "platform/Random.h"
#include "tests/park/SampleParkTest.h"
#include "tests/support/TestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

class ParkSave : public SampleParkTest
{
protected:
    // Runs the park on from a fixed seed and saves it.
    Bytes RunOn(World& world, int frames)
    {
        platform::SRand(1234);
        for (int i = 0; i < frames; ++i)
            world.Update(1.0f / 30.0f);
        return Save(world);
    }

    // The sample park run for a while with visitors, litter, a breakdown, research and a rescue under way.
    // `framesAfter` more frames are run from a fixed seed after the save, and saved into `after`.
    Bytes BusyParkSave(int framesAfter = 0, Bytes* after = nullptr)
    {
        World world(nullptr, nullptr, kScenario, false);
        EXPECT_TRUE(world.IsBuilt());
        if (!world.IsBuilt())
            return {};
        for (int i = 0; i < 12; ++i)
            world.RequestGuest("VISITOR", 2100.0f + 16.0f * i, 1160.0f, 72);
        GetResearchManager()->SetSliderValue(0.8f);
        // Staff of every kind at work.
        world.RequestStaff(OBJECT_CLEANER, "CLEANER");
        world.RequestStaff(OBJECT_MECHANIC, "MECHANIC");
        world.RequestStaff(OBJECT_ZOOKEEPER, "ZOOKEEPER");
        // Two game days in steps of a game second.
        for (int i = 0; i < 2 * world.GetDayLength(); ++i)
            world.Update(1.0f);
        EXPECT_EQ(world.GetGameDay(), 2);
        for (int i = 0; i < 5; ++i)
        {
            LitterCreationRequest litter;
            std::snprintf(litter.szKeyword, sizeof litter.szKeyword, "Litter0%d", i % 4 + 1);
            litter.iGridX = 66 + i;
            litter.iGridY = 36;
            g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_LITTER), &litter);
        }
        auto funhouse = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
        EXPECT_EQ(funhouse.size(), 1u);
        if (!funhouse.empty())
            static_cast<BuildingObject*>(funhouse[0])->BreakDownByWear();
        RescueManager& rescue = *GetRescueManager();
        rescue.OfferRescue();
        EXPECT_TRUE(rescue.DespatchTeam());
        for (int i = 0; i < 60; ++i)
            world.Update(1.0f / 30.0f);
        counts = Counts();
        Bytes saved = Save(world);
        if (after)
            *after = RunOn(world, framesAfter);
        return saved;
    }

    // Guests, litter, animals, buildings and staff (servers included) in the live park.
    static std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t> Counts()
    {
        const ObjectManager& objects = *g_pObjectManager;
        return {objects.CountObjectsOfKind(OBJECT_GUEST), objects.CountObjectsOfKind(OBJECT_LITTER),
                objects.CountObjectsOfKind(OBJECT_ANIMAL), objects.CountObjectsOfKind(OBJECT_BUILDING),
                objects.CountObjectsOfKind(OBJECT_CLEANER) + objects.CountObjectsOfKind(OBJECT_MECHANIC) +
                    objects.CountObjectsOfKind(OBJECT_ZOOKEEPER) + objects.CountObjectsOfKind(OBJECT_SERVER)};
    }

    std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t> counts;
};

TEST_F(ParkSave, ABusyParkSavedLoadedAndSavedAgainGivesTheSameBytes)
{
    testsupport::RecordingReportSink reports;
    const Bytes first = BusyParkSave();
    ASSERT_FALSE(first.empty());
    // What was saved holds the guests, the litter, the three dolphins, the park's buildings, and the three hired
    // staff.
    EXPECT_EQ(std::get<0>(counts), 12u);
    EXPECT_EQ(std::get<1>(counts), 5u);
    EXPECT_EQ(std::get<2>(counts), 3u);
    EXPECT_GE(std::get<3>(counts), 4u);
    EXPECT_GE(std::get<4>(counts), 3u);

    std::unique_ptr<World> loaded = Load(first);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Counts(), counts);
    auto funhouse = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
    ASSERT_EQ(funhouse.size(), 1u);
    const auto* broken = static_cast<BuildingObject*>(funhouse[0]);
    EXPECT_EQ(std::tuple(broken->IsBrokenDown(), broken->IsOpen()), std::tuple(true, false));
    EXPECT_TRUE(GetRescueManager()->IsTeamBusy(0));
    EXPECT_FLOAT_EQ(GetResearchManager()->GetSliderValue(), 0.8f);
    const Bytes second = Save(*loaded);
    ASSERT_EQ(first.size(), second.size());
    size_t firstDifference = 0;
    while (firstDifference < first.size() && first[firstDifference] == second[firstDifference])
        ++firstDifference;
    EXPECT_EQ(firstDifference, first.size()) << "the saves differ from byte " << firstDifference;
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

} // namespace

TEST_F(ParkSave, TheSavedParkAndTheLoadedOneRunOnAlike)
{
    testsupport::RecordingReportSink reports;
    Bytes original;
    const Bytes saved = BusyParkSave(1000, &original);
    ASSERT_FALSE(saved.empty());
    std::unique_ptr<World> loaded = Load(saved);
    ASSERT_NE(loaded, nullptr);
    const Bytes copy = RunOn(*loaded, 1000);
    // The park did move on in those frames.
    EXPECT_NE(copy, saved);
    ASSERT_EQ(copy.size(), original.size());
    size_t firstDifference = 0;
    while (firstDifference < copy.size() && copy[firstDifference] == original[firstDifference])
        ++firstDifference;
    EXPECT_EQ(firstDifference, copy.size()) << "the runs part at byte " << firstDifference;
    if (getenv("TW_DEBUG_SAVE"))
    {
        testsupport::WriteBytes("/tmp/save1.bin", original);
        testsupport::WriteBytes("/tmp/save2.bin", copy);
    }
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

namespace
{

// Where a class banner starts in a save, or npos.
size_t BannerAt(const Bytes& bytes, const std::string& name)
{
    const std::string banner = "Class name : " + name;
    const auto found = std::search(bytes.begin(), bytes.end(), banner.begin(), banner.end());
    return found == bytes.end() ? std::string::npos : static_cast<size_t>(found - bytes.begin()) - 5;
}

} // namespace

TEST_F(ParkSave, ASaveCutShortAnywhereIsRefusedWithAReportAndLeavesNoPark)
{
    testsupport::RecordingReportSink reports;
    const Bytes saved = BusyParkSave();
    ASSERT_FALSE(saved.empty());
    // Cuts spread over the whole save, the first bytes of every record, and every byte of the research record
    // (which has no banner: it ends where the rescue record begins). The fuzz target covers every cut.
    std::vector<size_t> cuts;
    for (size_t cut = 0; cut < saved.size(); cut += saved.size() / 61)
        cuts.push_back(cut);
    for (const char* record :
         {"World", "WorldMap", "Path", "ObjectManager", "Player", "RepairManager", "FeedbackManager", "MessageHandler",
          "CleaningManager", "ConstructionManager", "RescueManager"})
    {
        const size_t at = BannerAt(saved, record);
        ASSERT_NE(at, std::string::npos) << record;
        for (size_t cut = at; cut < at + 6; ++cut)
            cuts.push_back(cut);
    }
    const size_t rescue = BannerAt(saved, "RescueManager");
    for (size_t cut = rescue - 40; cut < rescue; ++cut)
        cuts.push_back(cut);
    cuts.push_back(saved.size() - 1);
    for (size_t cut : cuts)
    {
        const size_t before = reports.boxes.size();
        std::unique_ptr<World> loaded = Load(Bytes(saved.begin(), saved.begin() + static_cast<long>(cut)));
        EXPECT_EQ(loaded, nullptr) << "cut at " << cut;
        EXPECT_EQ(g_pWorld, nullptr) << "cut at " << cut;
        EXPECT_GT(reports.boxes.size(), before) << "cut at " << cut;
        if (loaded || reports.boxes.size() == before)
            break;
    }
}

// The park record's three hours of the day (the hour, the hour at the last frame and at the last hourly check) run
// from 0 to 24: a save holding another is refused with a report, not run into the hourly check.
TEST_F(ParkSave, AnHourOfTheDayOutsideTheDayIsRefused)
{
    testsupport::RecordingReportSink reports;
    const Bytes saved = BusyParkSave();
    ASSERT_FALSE(saved.empty());
    // After the banner and the record's size: the start time, the game time, the day, then the three hours.
    const size_t world = BannerAt(saved, "World");
    ASSERT_NE(world, std::string::npos);
    const size_t firstHour = world + 5 + std::string("Class name : World").size() + 5 + 3 * 5;
    const struct
    {
        float hour;
        bool loads;
    } cases[] = {{0.0f, true}, {24.0f, true}, {-0.5f, false}, {24.5f, false}, {1e20f, false}, {-1e20f, false}};
    for (int field = 0; field < 3; ++field)
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE("hour " + std::to_string(field) + " = " + std::to_string(c.hour));
            Bytes changed = saved;
            const size_t at = firstHour + 5 * static_cast<size_t>(field);
            ASSERT_EQ(changed[at], 3u) << "not a float";
            std::memcpy(&changed[at + 1], &c.hour, 4);
            const size_t before = reports.boxes.size();
            std::unique_ptr<World> loaded = Load(changed);
            EXPECT_EQ(loaded != nullptr, c.loads);
            EXPECT_EQ(reports.boxes.size() > before, !c.loads);
            if (loaded)
            {
                for (int f = 0; f < 30; ++f)
                    loaded->Update(1.0f);
                EXPECT_GT(loaded->GetGameDayTime(), 0.0f);
            }
        }
    }
}

TEST_F(ParkSave, ASaveWithBytesChangedNeverBreaksTheLoader)
{
    testsupport::RecordingReportSink reports;
    const Bytes saved = BusyParkSave();
    ASSERT_FALSE(saved.empty());
    std::mt19937 draw(29);
    int refused = 0;
    for (int i = 0; i < 60; ++i)
    {
        Bytes garbled = saved;
        const size_t at = std::uniform_int_distribution<size_t>(0, saved.size() - 1)(draw);
        garbled[at] ^= static_cast<uint8_t>(1u << (i % 8));
        std::unique_ptr<World> loaded = Load(garbled);
        if (!loaded)
        {
            ++refused;
            EXPECT_EQ(g_pWorld, nullptr);
        }
        else
        {
            // A park that loads runs.
            for (int f = 0; f < 10; ++f)
                loaded->Update(1.0f / 30.0f);
        }
    }
    // Changed tags, counts and banners are refused; changed values may load.
    EXPECT_GT(refused, 0);
}

TEST_F(ParkSave, ABuildingsRecordLoadsIntoANewBuildingAndSavesTheSame)
{
    testsupport::RecordingReportSink reports;
    World world(nullptr, nullptr, kScenario, false);
    ASSERT_TRUE(world.IsBuilt());
    auto found = g_pObjectManager->GetBuildingsByName("FUNHOUSE");
    ASSERT_EQ(found.size(), 1u);
    auto* funhouse = static_cast<BuildingObject*>(found[0]);
    const Bytes record = savebytes::Saved([&](SerialStream& s) { funhouse->Dump(s); });
    // A new building's three opinion lists each hold one middling opinion: "list size" 1 (tag 5), then
    // "list float" 0.5 (tag 3, the bits 0x3F000000), three times over.
    const Bytes oneList = {5, 1, 0, 0, 0, 3, 0, 0, 0, 0x3F};
    Bytes opinions;
    opinions.reserve(3 * oneList.size());
    for (int list = 0; list < 3; ++list)
        std::copy(oneList.begin(), oneList.end(), std::back_inserter(opinions));
    EXPECT_NE(std::search(record.begin(), record.end(), opinions.begin(), opinions.end()), record.end());
    auto* copy = static_cast<BuildingObject*>(g_pObjectManager->CreateObject("FUNHOUSE", OBJECT_BUILDING));
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(savebytes::LoadFrom(record, [&](SerialStream& s) { return copy->Load(s); }));
    EXPECT_EQ(savebytes::Saved([&](SerialStream& s) { copy->Dump(s); }), record);
    // Cut short anywhere in its first items, it is refused, and the player is told which building's record it was.
    for (size_t cut : {size_t{3}, size_t{40}, record.size() / 2, record.size() - 1})
    {
        reports.boxes.clear();
        auto* cutCopy = static_cast<BuildingObject*>(g_pObjectManager->CreateObject("FUNHOUSE", OBJECT_BUILDING));
        EXPECT_FALSE(savebytes::LoadFrom(Bytes(record.begin(), record.begin() + static_cast<long>(cut)),
                                         [&](SerialStream& s) { return cutCopy->Load(s); }))
            << cut;
        ASSERT_EQ(reports.boxes.size(), 1u) << cut;
        EXPECT_NE(reports.boxes[0].text.find("BuildingObject::Load - FUNHOUSE"), std::string::npos)
            << reports.boxes[0].text;
    }
    reports.boxes.clear();
}
