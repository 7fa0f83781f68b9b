// Research and rescue in the sample park: the budget spent and the items completed with their effects, the history
// and the ticker; the save record and its re-applied effects; rescue offers, the three teams, the missions' time
// plans and report lines, the GUI's keywords; and saved records that do not hold together.
#include "engine/core/GameParameters.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextTable.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "park/CleanerObject.h"
#include "park/FeedbackManager.h"
#include "park/ParkLayer.h"
#include "park/ParkManagers.h"
#include "park/RescueManager.h"
#include "park/ResearchManager.h"
#include "platform/Random.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ScriptValue.h"
#include "scripts/WorldParams.h"
#include "tests/support/TestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace savebytes;

namespace
{

// The sample data's numbers: a day of 720 game seconds, so a game hour of 30.
constexpr float kDay = 720.0f;
constexpr float kHour = 30.0f;

std::string Narrow(const platform::WString& text)
{
    return std::string(text.begin(), text.end());
}

class ResearchRescuePark : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearObjectKinds();
        RegisterParkLayer();
        g_ModelManager.Init(1000, false);
        g_AnimationScheduler.Clear();
        platform::SRand(3);
        FreshPark();
        ASSERT_TRUE(world->IsBuilt());
        ASSERT_NE(research, nullptr);
        ASSERT_NE(rescue, nullptr);
    }
    void TearDown() override
    {
        world.reset();
        UnregisterParkLayer();
        g_ModelManager.Shutdown();
        ClearObjectKinds();
        for (const auto& box : reports.boxes)
            ADD_FAILURE() << box.text;
    }

    std::string ResearchText(const char* keyword)
    {
        platform::WString text;
        research->GetVariable(keyword, text);
        return Narrow(text);
    }
    std::string RescueText(const char* keyword)
    {
        platform::WString text;
        rescue->GetVariable(keyword, text);
        return Narrow(text);
    }
    // Throws the park away and builds the sample park afresh, with its managers.
    void FreshPark()
    {
        world.reset();
        world = std::make_unique<World>(nullptr, nullptr, "data/Scenario/QuietPark/QuietPark.pis", false);
        research = GetResearchManager();
        rescue = GetRescueManager();
    }
    // In a fresh park, researches the cleaners' training and the staff rooms' recovery (the sample's items 1 and 2)
    // with the given argument, after the first item.
    void ResearchStaffItemsWith(float argument)
    {
        FreshPark();
        WorldParams& params = *g_pWorldParams;
        ASSERT_STREQ(params.GetResearchInfo(1).keyword, "CLEANERT1");
        ASSERT_STREQ(params.GetResearchInfo(2).keyword, "ALLSTAFFR1");
        params.GetResearchInfo(1).fArgument = argument;
        params.GetResearchInfo(2).fArgument = argument;
        CompleteOne();
        CompleteOne();
        CompleteOne();
        ASSERT_EQ(research->GetCurrentResearch(), 3);
    }
    CleanerObject* HireCleaner()
    {
        world->RequestStaff(OBJECT_CLEANER, "CLEANER");
        const auto& cleaners = g_pObjectManager->GetObjectsOfKind(OBJECT_CLEANER);
        return cleaners.empty() ? nullptr : static_cast<CleanerObject*>(cleaners.back());
    }
    // Completes the current research item with one large slice.
    void CompleteOne()
    {
        research->SetSliderValue(1.0f);
        research->Update(1.0e6f);
    }
    // Every ticker line logged so far.
    std::vector<std::string> Tickers()
    {
        std::vector<std::string> lines;
        float time;
        uint32_t day, id;
        FeedbackManager* feedback = GetFeedbackManager();
        for (const char16_t* t = feedback->GetFirstMessage(time, day, id); t;
             t = feedback->GetNextMessage(time, day, id))
            lines.push_back(Narrow(t));
        return lines;
    }
    // Moves the game clock to a time and updates the rescue manager.
    void RescueAt(float time)
    {
        world->SetGameTime(time);
        rescue->Update();
    }

    testsupport::ScopedCurrentDir cwd{std::string(TW_SOURCE_DIR) + "/sample-data"};
    testsupport::RecordingReportSink reports;
    GameParameters parameters{"data/script/gameparameters.pis"};
    TextTable texts{"data/text_uk.uni"};
    std::unique_ptr<World> world;
    ResearchManager* research = nullptr;
    RescueManager* rescue = nullptr;
};

// ---------------------------------------------------------------- research

TEST_F(ResearchRescuePark, TheBudgetIsSpentProRataOfTheGameTime)
{
    struct Case
    {
        float slider;
        float seconds;
    };
    for (const Case& c : {Case{0.2f, 72.0f}, Case{0.5f, 36.0f}, Case{1.0f, 4.0f}, Case{0.0f, 500.0f}})
    {
        research->SetSliderValue(c.slider);
        const float before = research->GetResearchAmount();
        const float expected = 250.0f * c.slider * c.seconds / kDay;
        EXPECT_NEAR(research->Update(c.seconds), expected, 1e-4f) << c.slider;
        EXPECT_NEAR(research->GetResearchAmount() - before, expected, 1e-3f) << c.slider;
        EXPECT_EQ(ResearchText("RESEARCH_BUDGET_$"), "$" + std::to_string(static_cast<int>(250.0f * c.slider)));
    }
    // The park's frame takes it off the cash: a game day at a quarter costs 62.5.
    research->SetSliderValue(0.25f);
    const float cash = world->GetPlayer()->Cash;
    const float amount = research->GetResearchAmount();
    for (int i = 0; i < 180; ++i)
        world->Update(4.0f);
    EXPECT_NEAR(research->GetResearchAmount() - amount, 62.5f, 0.01f);
    EXPECT_LE(world->GetPlayer()->Cash, cash - 62.5f + 0.01f);
    // A slider outside 0 to 1 is held within it; no number changes nothing.
    research->SetSliderValue(3.0f);
    EXPECT_EQ(research->GetBudgetPerDay(), 250.0f);
    research->SetSliderValue(std::nanf(""));
    EXPECT_EQ(research->GetSliderValue(), 1.0f);
}

// However much cash a long game has piled up, each frame's small slice of the budget is taken off it in full: the
// cash over a stretch of play falls by the budget's share of the game time (to within one step of what the cash can
// hold), at the normal and the top speed, neither rounded away nor rounded up.
TEST_F(ResearchRescuePark, ALargeCashPaysForResearchInFullFrameByFrame)
{
    struct Case
    {
        float cash;
        float slider;
        int32_t speedLevel;
        float frame;
    };
    const Case cases[] = {
        {300000.0f, 0.0f, 0, 1.0f / 30.0f}, {1000.0f, 1.0f, 0, 1.0f / 30.0f},   {150000.0f, 1.0f, 0, 1.0f / 30.0f},
        {300000.0f, 1.0f, 0, 1.0f / 30.0f}, {300000.0f, 0.5f, 2, 1.0f / 30.0f}, {2.5e6f, 1.0f, 2, 1.0f / 30.0f},
        {2.5e6f, 0.1f, 0, 1.0f / 60.0f},
    };
    // Nothing else in the quiet park takes or brings money in its first minutes once its animals are bought.
    for (int i = 0; i < 30; ++i)
        world->Update(1.0f / 30.0f);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.cash << " at " << c.slider << ", speed " << c.speedLevel);
        world->SetGameSpeedLevel(c.speedLevel);
        research->SetSliderValue(c.slider);
        world->GetPlayer()->Cash = c.cash;
        const float start = world->GetGameTime();
        for (int i = 0; i < 1200; ++i)
            world->Update(c.frame);
        const double seconds = static_cast<double>(world->GetGameTime()) - static_cast<double>(start);
        ASSERT_GT(seconds, 19.0);
        const double expected = 250.0 * c.slider * seconds / kDay;
        const double step = std::nextafter(c.cash, 1e30f) - c.cash;
        EXPECT_NEAR(static_cast<double>(c.cash) - static_cast<double>(world->GetPlayer()->Cash), expected, 0.01 + step);
    }
}

// A saved research record on the first item, nothing researched yet: the day's budget, the amount spent on the
// item and the slider.
Bytes FirstItemRecord(float budget, float amount, float slider)
{
    Bytes record;
    F32(record, budget);
    Tagged(record, 5, 0);
    F32(record, amount);
    Put(record, {2, 1});
    F32(record, slider);
    Tagged(record, 11, 0);
    Tagged(record, 5, 0);
    return record;
}

TEST_F(ResearchRescuePark, AnAmountEqualToTheCostDoesNotCompleteTheNextSliceDoes)
{
    // The first item (the show arena) costs 2000: a record with exactly that spent on it.
    const Bytes record = FirstItemRecord(62.5f, 2000.0f, 0.25f);
    ASSERT_TRUE(LoadFrom(record, [&](SerialStream& s) { return research->Load(s); }));
    EXPECT_EQ(ResearchText("RESEARCH_COMPLETE%"), "100%");
    research->SetSliderValue(0.0f);
    EXPECT_EQ(research->Update(10.0f), 0.0f);
    EXPECT_EQ(research->GetCurrentResearch(), 0);
    research->SetSliderValue(0.01f);
    research->Update(1.0f);
    EXPECT_EQ(research->GetCurrentResearch(), 1);
    EXPECT_EQ(research->GetResearchAmount(), 0.0f);
}

TEST_F(ResearchRescuePark, ASliceThatBringsTheAmountExactlyToTheCostDoesNotCompleteIt)
{
    // 180 a day over a 720 s day: 1 every 4 s, onto 1999 of the show arena's 2000.
    const Bytes record = FirstItemRecord(180.0f, 1999.0f, 0.72f);
    ASSERT_TRUE(LoadFrom(record, [&](SerialStream& s) { return research->Load(s); }));
    EXPECT_EQ(research->Update(4.0f), 1.0f);
    EXPECT_EQ(std::tuple(research->GetCurrentResearch(), research->GetResearchAmount()), std::tuple(0, 2000.0f));
    research->Update(4.0f);
    EXPECT_EQ(research->GetCurrentResearch(), 1);
}

TEST_F(ResearchRescuePark, SmallSlicesOfAFastFrameRateAllGoIntoTheItem)
{
    // Frames are not capped: at a low budget or a high frame rate each frame's slice is a small fraction of a cent.
    // With 1900 of the show arena's 2000 spent, every slice paid goes into the item, however small.
    struct Case
    {
        float slider;
        float frame;
    };
    for (const Case& c : {Case{0.01f, 0.01f}, Case{0.25f, 0.001f}, Case{1.0f, 0.0005f}})
    {
        const Bytes record = FirstItemRecord(250.0f * c.slider, 1900.0f, c.slider);
        ASSERT_TRUE(LoadFrom(record, [&](SerialStream& s) { return research->Load(s); }));
        // Fifty dollars' worth of frames.
        const double slice = 250.0 * c.slider / kDay * c.frame;
        const int frames = static_cast<int>(50.0 / slice);
        double paid = 0.0;
        for (int i = 0; i < frames; ++i)
            paid += research->Update(c.frame);
        EXPECT_NEAR(paid, 50.0, 0.01) << c.slider << " " << c.frame;
        EXPECT_NEAR(research->GetResearchAmount(), 1900.0 + paid, 0.01) << c.slider << " " << c.frame;
        EXPECT_EQ(research->GetCurrentResearch(), 0);
    }
}

TEST_F(ResearchRescuePark, EachCompletedItemTakesItsEffectAndIsRecorded)
{
    WorldParams& params = *g_pWorldParams;
    params.GetAnimalInfo(params.FindAnimal("DOLPHIN")).bNeedsUnlocking = true;
    BuildingInfo& arena = params.GetBuildingInfo(params.FindBuilding("ARENA"));
    BuildingInfo& staffRoom = params.GetBuildingInfo(params.FindBuilding("STAFFSMALL"));
    SceneryInfo& tulips = params.GetSceneryInfo(params.FindScenery("TULIPS"));
    ASSERT_TRUE(arena.bNeedsUnlocking);
    ASSERT_FALSE(tulips.bActive);
    world->SetGameTime(3 * kDay + 100.0f);
    struct Step
    {
        const char* name;
        std::function<bool()> effect;
    };
    const std::vector<Step> steps = {
        {"Show arena", [&] { return !arena.bNeedsUnlocking; }},
        // The sample's training makes a cleaner's jobs cost three quarters of the energy; the staff read it as their
        // second factor. Rest rooms make rest twice as quick: the first factor.
        {"Cleaner training",
         [&] { return research->GetCleanerTraining() == 0.75f && research->GetStaffFactor(1) == 0.75f; }},
        {"Staff rest rooms",
         [&] {
             return research->GetStaffRecovery() == 2.0f && research->GetStaffFactor(0) == 2.0f && staffRoom.bUpgraded;
         }},
        {"A second rescue team", [&] { return rescue->GetTeamCount() == 2; }},
        {"Tulip beds", [&] { return tulips.bActive; }},
        {"Dolphin care", [&] { return !params.GetAnimalInfo(params.FindAnimal("DOLPHIN")).bNeedsUnlocking; }},
    };
    ASSERT_EQ(params.GetResearchCount(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i)
    {
        EXPECT_EQ(ResearchText("RESEARCH_CURRENT"), steps[i].name);
        EXPECT_FALSE(steps[i].effect()) << steps[i].name;
        CompleteOne();
        EXPECT_TRUE(steps[i].effect()) << steps[i].name;
        if (i == 0)
        {
            EXPECT_EQ(Tickers().back(), std::string("Research complete: ") + steps[i].name);
        }
    }
    // The history: every item in order, completed on day 3; the first was started on day 0, the others on the
    // day the one before completed, so they took the least time, one day.
    ASSERT_EQ(research->GetHistory().size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(std::tuple(research->GetHistory()[i].item, research->GetHistory()[i].dayComplete,
                             research->GetHistory()[i].researchTime),
                  std::tuple(static_cast<int32_t>(i), 3u, i == 0 ? 3u : 1u));
    // Nothing is left: nothing is spent, and the panel says so.
    EXPECT_FALSE(research->IsResearchLeft());
    EXPECT_EQ(research->Update(100.0f), 0.0f);
    EXPECT_EQ(research->GetProgress(), 0.0f);
    EXPECT_EQ(ResearchText("RESEARCH_CURRENT"), "All research complete");
}

TEST_F(ResearchRescuePark, ALoadedRecordReappliesTheEffectsOfTheItemsDone)
{
    CompleteOne();
    CompleteOne();
    CompleteOne();
    CompleteOne();
    research->SetSliderValue(0.5f);
    research->Update(kDay);
    const Bytes saved = Saved([&](SerialStream& s) { research->Dump(s); });

    // A fresh park: nothing is researched, one rescue team.
    FreshPark();
    WorldParams& params = *g_pWorldParams;
    ASSERT_TRUE(params.GetBuildingInfo(params.FindBuilding("ARENA")).bNeedsUnlocking);
    ASSERT_TRUE(LoadFrom(saved, [&](SerialStream& s) { return research->Load(s); }));
    EXPECT_FALSE(params.GetBuildingInfo(params.FindBuilding("ARENA")).bNeedsUnlocking);
    EXPECT_EQ(std::tuple(research->GetCleanerTraining(), research->GetStaffRecovery(),
                         params.GetBuildingInfo(params.FindBuilding("STAFFSMALL")).bUpgraded),
              std::tuple(0.75f, 2.0f, true));
    // The rescue team of item 3 is the rescue manager's to restore, not research's.
    EXPECT_EQ(rescue->GetTeamCount(), 1);
    EXPECT_EQ(std::tuple(research->GetCurrentResearch(), research->GetHistory().size()), std::tuple(4, size_t{4}));
    EXPECT_NEAR(research->GetResearchAmount(), 125.0f, 1e-3f);
    EXPECT_EQ(Saved([&](SerialStream& s) { research->Dump(s); }), saved);
}

TEST_F(ResearchRescuePark, AResearchRecordThatDoesNotHoldTogetherIsRefused)
{
    struct Case
    {
        const char* what;
        int32_t current;
        int32_t historyCount;
        int32_t historyItem;
        bool cut;
        float budget = 62.5f;
        float amount = 10.0f;
        float slider = 0.25f;
    };
    const Case cases[] = {
        {"an index beyond the table", 7, 0, 0, false},
        {"a negative index", -1, 0, 0, false},
        {"a history longer than the items done", 1, 2, 0, false},
        {"a negative history count", 1, -1, 0, false},
        {"a history naming an item not yet done", 2, 1, 2, false},
        {"a record cut short", 2, 1, 0, true},
        // A budget below nothing would pay the player for research, and take the item further from done.
        {"a slider below its start", 1, 0, 0, false, 62.5f, 10.0f, -0.25f},
        {"a slider beyond its end", 1, 0, 0, false, 62.5f, 10.0f, 1.5f},
        {"a budget below nothing", 1, 0, 0, false, -62.5f, 10.0f, 0.25f},
        {"a budget beyond the most a day", 1, 0, 0, false, 1000.0f, 10.0f, 0.25f},
        {"less than nothing spent", 1, 0, 0, false, 62.5f, -1.0e30f},
    };
    CompleteOne();
    const Bytes before = Saved([&](SerialStream& s) { research->Dump(s); });
    for (const Case& c : cases)
    {
        Bytes record;
        F32(record, c.budget);
        Tagged(record, 5, static_cast<uint32_t>(c.current));
        F32(record, c.amount);
        Put(record, {2, 1});
        F32(record, c.slider);
        Tagged(record, 11, 0);
        Tagged(record, 5, static_cast<uint32_t>(c.historyCount));
        if (c.historyCount > 0)
        {
            Tagged(record, 5, static_cast<uint32_t>(c.historyItem));
            Tagged(record, 11, 1);
            Tagged(record, 11, 1);
        }
        if (c.cut)
            record.resize(record.size() - 3);
        const size_t boxes = reports.boxes.size();
        EXPECT_FALSE(LoadFrom(record, [&](SerialStream& s) { return research->Load(s); })) << c.what;
        EXPECT_EQ(reports.boxes.size(), boxes + 1) << c.what;
        EXPECT_EQ(Saved([&](SerialStream& s) { research->Dump(s); }), before) << c.what;
    }
    reports.boxes.clear();
    // The slider's two ends and nothing spent yet hold together.
    const struct
    {
        float budget, amount, slider;
    } edges[] = {{0.0f, 0.0f, 0.0f}, {250.0f, 0.0f, 1.0f}};
    for (const auto& e : edges)
    {
        Bytes record;
        F32(record, e.budget);
        Tagged(record, 5, 1);
        F32(record, e.amount);
        Put(record, {2, 1});
        F32(record, e.slider);
        Tagged(record, 11, 0);
        Tagged(record, 5, 0);
        EXPECT_TRUE(LoadFrom(record, [&](SerialStream& s) { return research->Load(s); })) << e.slider;
        EXPECT_TRUE(reports.boxes.empty()) << e.slider;
    }
}

// The staff items' ARGUMENT is the factor the staff scale their energy by. A data line whose argument is no finite
// amount, or below nothing, must not leave a worker's energy no number (nor have rest tire or a job refresh); a
// sound argument is taken as it stands.
TEST_F(ResearchRescuePark, AStaffItemsArgumentThatIsNoFiniteAmountOrBelowNothingLeavesTheEnergyANumber)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        float argument;
        bool sound;
    };
    const Case cases[] = {{nan, false}, {inf, false}, {-inf, false}, {-2.0f, false}, {3.0f, true}, {0.5f, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.argument);
        ResearchStaffItemsWith(c.argument);
        if (HasFatalFailure())
            return;
        if (c.sound)
        {
            EXPECT_EQ(std::tuple(research->GetStaffRecovery(), research->GetCleanerTraining()),
                      std::tuple(c.argument, c.argument));
        }

        CleanerObject* cleaner = HireCleaner();
        ASSERT_NE(cleaner, nullptr);
        // A job's energy is a cost: a number, not below nothing.
        ScriptOperand operand;
        operand.id = SV_LitterEnergy;
        const float cost = ScriptValueToFloat(cleaner->GetScriptVariable(operand));
        EXPECT_TRUE(std::isfinite(cost) && cost >= 0.0f) << cost;
        // Rest in a staff room, over a frame of game time and over a paused one: the energy stays a number between
        // where it was and full.
        for (float delta : {2.0f, 0.0f})
        {
            cleaner->SetEnergy(0.5f);
            world->m_fGameDeltaTime = delta;
            cleaner->RestoreEnergy(true);
            const float energy = cleaner->GetEnergy();
            EXPECT_TRUE(energy >= 0.5f && energy <= 1.0f) << "after " << delta << " s: " << energy;
        }
    }
}

// A staff room's recovery of nothing would keep every worker who rests there resting for good (and the room, which
// waits for its resting staff, standing once sold): an argument of nothing leaves the recovery as it was, two game
// hours for a full rest. Training of nothing is sound: jobs then cost no energy.
TEST_F(ResearchRescuePark, AStaffRoomRecoveryOfNothingLeavesTheRecoveryAsItWas)
{
    for (float argument : {0.0f, -0.0f})
    {
        SCOPED_TRACE(argument);
        ResearchStaffItemsWith(argument);
        if (HasFatalFailure())
            return;
        EXPECT_EQ(std::tuple(research->GetStaffRecovery(), research->GetCleanerTraining()), std::tuple(1.0f, 0.0f));
        CleanerObject* cleaner = HireCleaner();
        ASSERT_NE(cleaner, nullptr);
        cleaner->SetEnergy(0.0f);
        world->m_fGameDeltaTime = 2.0f * static_cast<float>(world->GetDayLength()) / 24.0f;
        cleaner->RestoreEnergy(true);
        EXPECT_FLOAT_EQ(cleaner->GetEnergy(), 1.0f);
    }
}

TEST(Research, AnEmptyResearchTableLeavesNothingToResearch)
{
    testsupport::RecordingReportSink reports;
    World clock;
    ResearchManager research;
    EXPECT_FALSE(research.IsResearchLeft());
    EXPECT_EQ(research.Update(100.0f), 0.0f);
    EXPECT_EQ(research.GetProgress(), 0.0f);
    EXPECT_EQ(research.GetCurrentResearch(), 0);
    EXPECT_TRUE(research.GetHistory().empty());
}

// ---------------------------------------------------------------- rescue

TEST_F(ResearchRescuePark, NoOfferWithoutAnAnimalCareCentreButTheScheduleMovesOn)
{
    ASSERT_TRUE(g_pObjectManager->GetBuildingsByName("ANIMALCARE").empty());
    const float first = rescue->GetNextRescueTime();
    // The first offer is 6 to 28 game hours on.
    EXPECT_GE(first, 6.0f * kHour);
    EXPECT_LE(first, 28.0f * kHour);
    RescueAt(first + 1.0f);
    EXPECT_FALSE(rescue->IsRescueOffered());
    EXPECT_EQ(rescue->GetRescuesOffered(), 0u);
    EXPECT_GE(rescue->GetNextRescueTime(), first + 1.0f + 6.0f * kHour);
    EXPECT_LE(rescue->GetNextRescueTime(), first + 1.0f + 28.0f * kHour);
}

TEST_F(ResearchRescuePark, WithACareCentreAnOfferIsMadeUnlessEveryTeamIsBusy)
{
    world->RequestBuilding("ANIMALCARE", 56, 30, 0, 0.0f, 0, false);
    ASSERT_EQ(g_pObjectManager->GetBuildingsByName("ANIMALCARE").size(), 1u);
    RescueAt(rescue->GetNextRescueTime() + 1.0f);
    ASSERT_TRUE(rescue->IsRescueOffered());
    EXPECT_EQ(rescue->GetRescuesOffered(), 1u);
    EXPECT_EQ(RescueText("AR_DESPATCH_TEAM_STATE"), "1");
    EXPECT_EQ(RescueText("AR_CUR_TITLE"), "An animal in danger");
    const float cash = world->GetPlayer()->Cash;
    const float fee = g_pWorldParams->GetRescueInfo(rescue->GetOfferedRescue()).fCost;
    EXPECT_EQ(RescueText("AR_FEE_AMOUNT"), "$" + std::to_string(static_cast<int>(fee)));
    ASSERT_TRUE(rescue->DespatchTeam());
    EXPECT_EQ(world->GetPlayer()->Cash, cash - fee);
    EXPECT_EQ(std::tuple(rescue->IsRescueOffered(), rescue->GetRescuesAccepted(), rescue->AreAllTeamsBusy()),
              std::tuple(false, 1u, true));
    EXPECT_EQ(RescueText("AR_TEAMS_BUSY"), "Every rescue team is out.");
    // The one team is out: the next offer time passes with no offer.
    const float next = rescue->GetNextRescueTime();
    RescueAt(next + 0.5f);
    EXPECT_EQ(std::tuple(rescue->IsRescueOffered(), rescue->GetRescuesOffered()), std::tuple(false, 1u));
    EXPECT_GT(rescue->GetNextRescueTime(), next);
    EXPECT_FALSE(rescue->DespatchTeam());
}

// A mission's fee comes from the data: one that is no number, endless or below nothing is taken as no fee, so
// that despatching a team neither pays the player nor leaves the cash a non-number; the panels show the fee taken.
TEST_F(ResearchRescuePark, AFeeThatIsNoFiniteAmountOrBelowNothingCostsNothing)
{
    world->RequestBuilding("ANIMALCARE", 56, 30, 0, 0.0f, 0, false);
    ASSERT_EQ(g_pObjectManager->GetBuildingsByName("ANIMALCARE").size(), 1u);
    const float fees[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(), -500.0f};
    for (float fee : fees)
    {
        SCOPED_TRACE(fee);
        rescue->OfferRescue();
        ASSERT_TRUE(rescue->IsRescueOffered());
        g_pWorldParams->GetRescueInfo(rescue->GetOfferedRescue()).fCost = fee;
        EXPECT_EQ(RescueText("AR_FEE_AMOUNT"), "$0");
        world->GetPlayer()->Cash = 1000.0f;
        ASSERT_TRUE(rescue->DespatchTeam());
        EXPECT_EQ(world->GetPlayer()->Cash, 1000.0f);
        EXPECT_EQ(RescueText("AR_RD_COST_1"), "$0");
        EXPECT_EQ(RescueText("AR_TEAM_COST_1"), "$0");
        // The team comes home, a step of its plan an update, and is free for the next case.
        world->SetGameTime(rescue->GetTeam(0).RescueOverTime + 1.0f);
        for (int step = 0; step < 4; ++step)
            rescue->Update();
        ASSERT_FALSE(rescue->AreAllTeamsBusy());
    }
}

TEST_F(ResearchRescuePark, ResearchAddsTeamsUpToThree)
{
    EXPECT_EQ(RescueText("AR_RD_NOTBUSY_1"), "Team 1 is waiting for a call.");
    EXPECT_EQ(RescueText("AR_RD_NOTBUSY_2"), "Not yet researched");
    EXPECT_EQ(RescueText("AR_TEAM_TITLE_2"), "");
    for (int expected : {2, 3, 3, 3})
    {
        rescue->AddTeam();
        EXPECT_EQ(rescue->GetTeamCount(), expected);
    }
    EXPECT_EQ(RescueText("AR_TEAM_TITLE_3"), "Rescue team 3");
    EXPECT_EQ(RescueText("AR_TEAM_STATUS_3"), "Available");
    EXPECT_EQ(RescueText("AR_TEAM_LOC_3"), "At the park");
    EXPECT_EQ(RescueText("AR_TEAM_STATUS_4"), "");
}

// Each kind of mission despatched at a known time: its stages, in game hours from the start, with the state, the
// status and location texts and the report line each stage writes.
TEST_F(ResearchRescuePark, AMissionFollowsItsTimePlan)
{
    struct Stage
    {
        float hour; // stage time, game hours after the start
        uint32_t state;
        const char* status;
        const char* location;
    };
    struct Mission
    {
        const char* name;
        std::vector<Stage> stages;
        std::vector<std::string> report;
    };
    // Missions: REEFNET (back to base: travel 2, site 1, recovery 3), BEACHED (in situ: recovery 4), TANGLED (on
    // location: travel 2, recovery 5).
    const std::vector<Mission> missions = {
        {"REEFNET",
         {{0, 1, "On the way", "-"},
          {2, 2, "On site", "Outer Reef"},
          {3, 6, "Rescuing the dolphin", "-"},
          {5, 7, "Nursing the dolphin", "Pool 1"},
          {8, 0, "Available", "At the park"}},
         {"Team 1 is on its way to Outer Reef, 2 hours away.", "The team has reached the reef.",
          "The dolphin is back at the park.", "The dolphin has recovered."}},
        {"BEACHED",
         {{0, 4, "Nursing the seal", "Pool 1"}, {4, 0, "Available", "At the park"}},
         {"The team is caring for the seal on the beach.", "The seal has gone back to the sea.", "", ""}},
        {"TANGLED",
         {{0, 1, "On the way", "-"},
          {2, 3, "Rescuing the turtle", "Harbour Mouth"},
          {7, 5, "Coming back", "-"},
          {9, 0, "Available", "At the park"}},
         {"Team 1 is on its way to Harbour Mouth, 2 hours away.", "The team has cut the turtle free.",
          "The team is on its way home.", "The turtle swam away."}},
    };
    float start = 2 * kDay;
    for (const Mission& m : missions)
    {
        // A standing offer of the mission, as a loaded game holds it.
        Bytes record;
        Text(record, 0, "Class name : RescueManager");
        Tagged(record, 5, 6328);
        Tagged(record, 11, 1);
        Tagged(record, 11, static_cast<uint32_t>(g_pWorldParams->FindRescue(m.name)));
        Put(record, {2, 1});
        F32(record, 1.0e9f);
        Tagged(record, 5, 0);
        Tagged(record, 5, 0);
        Tagged(record, 11, 0);
        Tagged(record, 5, 0);
        for (int i = 0; i < 6; ++i)
            F32(record, 0.0f);
        for (int line = 0; line < 4; ++line)
        {
            Put(record, {2, 0});
            F32(record, 0.0f);
            Put(record, {7, 0, 0, 0, 0});
        }
        ASSERT_TRUE(LoadFrom(record, [&](SerialStream& s) { return rescue->Load(s); })) << m.name;
        world->SetGameTime(start);
        ASSERT_TRUE(rescue->DespatchTeam()) << m.name;
        EXPECT_EQ(rescue->GetTeam(0).RescueOverTime, start + m.stages.back().hour * kHour) << m.name;
        for (const Stage& stage : m.stages)
        {
            // Just before the stage the team is still in the one before; just after it has moved on.
            if (stage.hour > 0)
                RescueAt(start + stage.hour * kHour - 0.5f);
            RescueAt(start + stage.hour * kHour + 0.5f);
            EXPECT_EQ(rescue->GetTeam(0).TeamState, stage.state) << m.name << " at hour " << stage.hour;
            EXPECT_EQ(RescueText("AR_TEAM_STATUS_1"), stage.status) << m.name << " at hour " << stage.hour;
            EXPECT_EQ(RescueText("AR_TEAM_LOC_1"), stage.location) << m.name << " at hour " << stage.hour;
        }
        for (int line = 0; line < 4; ++line)
        {
            const std::string key = "AR_RD_DAY" + std::to_string(line + 1) + "D_1";
            EXPECT_EQ(RescueText(key.c_str()), m.report[line]) << m.name << " line " << line;
        }
        start += kDay;
    }
}

TEST_F(ResearchRescuePark, ARunningMissionShowsItsCostTimeLeftAndPool)
{
    rescue->OfferRescue();
    const RescueInfo& mission = g_pWorldParams->GetRescueInfo(rescue->GetOfferedRescue());
    world->SetGameTime(kDay + 6 * kHour + 20.0f);
    ASSERT_TRUE(rescue->DespatchTeam());
    const float over = rescue->GetTeam(0).RescueOverTime;
    EXPECT_EQ(RescueText("AR_RD_COST_1"), "$" + std::to_string(static_cast<int>(mission.fCost)));
    EXPECT_EQ(RescueText("AR_TEAM_COST_1"), "$" + std::to_string(static_cast<int>(mission.fCost)));
    EXPECT_EQ(RescueText("AR_RD_POOL_USE_1"), mission.iType == kRescueOnLocation ? "No" : "Yes");
    // Line 0 is dated with the start: day 2, 20 game seconds into the seventh hour, 06:40, cut down to the
    // quarter, 06:30.
    EXPECT_EQ(RescueText("AR_RD_DAY1_1"), "Day 2 06:30");
    // Hours left: the whole hours to the end plus one, then the word the sample text begins with a no-break space;
    // the last hour reads singular.
    world->SetGameTime(over - 2.5f * kHour);
    EXPECT_EQ(RescueText("AR_RD_ETA_1"), "3\xA0hours");
    world->SetGameTime(over - 0.5f * kHour);
    EXPECT_EQ(RescueText("AR_RD_ETA_1"), "Under an hour");
    EXPECT_EQ(RescueText("AR_RD_ETA_2"), "");
}

// The hours left of a running mission: a time plan the data stretches past what a count of hours holds still reads
// as many hours (not as the last one, nor as a count that has run over), and a plan the data makes end before its
// start reads as the last hour.
TEST_F(ResearchRescuePark, ARunningMissionsHoursLeftReadRightForAPlanOfAnyLength)
{
    struct Case
    {
        int32_t type;
        int32_t trans, site, recover;
        bool manyHours;
    };
    const Case cases[] = {
        {kRescueOnLocation, 2000000000, 0, 5, true},
        {kRescueBackToBase, 1, 2000000000, 2000000000, true},
        {kRescueInSitu, 0, 0, 2147483647, true},
        {kRescueOnLocation, -2000000000, 0, 0, false},
        {kRescueBackToBase, -2000000000, -2000000000, -2000000000, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.trans) + " " + std::to_string(c.site) + " " +
                     std::to_string(c.recover));
        FreshPark();
        rescue->OfferRescue();
        ASSERT_TRUE(rescue->IsRescueOffered());
        RescueInfo& mission = g_pWorldParams->GetRescueInfo(rescue->GetOfferedRescue());
        mission.iType = c.type;
        mission.iTransDelay = c.trans;
        mission.iSiteDelay = c.site;
        mission.iRecoverDelay = c.recover;
        world->SetGameTime(kDay);
        ASSERT_TRUE(rescue->DespatchTeam());
        const std::string eta = RescueText("AR_RD_ETA_1");
        if (!c.manyHours)
        {
            EXPECT_EQ(eta, "Under an hour");
            continue;
        }
        // The sample's plural text: the count, a no-break space and "hours". The count is at least the longest
        // single delay, which alone is more hours than are left of the first day.
        const size_t digits = eta.find_first_not_of("0123456789");
        ASSERT_TRUE(digits != std::string::npos && digits > 0) << eta;
        EXPECT_EQ(eta.substr(digits), "\xA0hours");
        EXPECT_GE(std::stoll(eta.substr(0, digits)), 2000000000LL) << eta;
    }
}

// A report line's date: a saved time far beyond any day still reads as a late day, not as one before the first.
TEST_F(ResearchRescuePark, AReportLineFarOnReadsAsALateDay)
{
    Bytes record;
    Text(record, 0, "Class name : RescueManager");
    Tagged(record, 5, 6328);
    Tagged(record, 11, 1);
    Tagged(record, 11, 0);
    Put(record, {2, 0});
    F32(record, 100.0f);
    Tagged(record, 5, 1);
    Tagged(record, 5, 1);
    Tagged(record, 11, 0);
    Tagged(record, 5, 1);
    for (int i = 0; i < 6; ++i)
        F32(record, 3.0e38f);
    for (int line = 0; line < 4; ++line)
    {
        Put(record, {2, uint8_t(line == 0)});
        F32(record, line == 0 ? 3.0e38f : 0.0f);
        Put(record, {7, 0, 0, 0, 0});
    }
    ASSERT_TRUE(LoadFrom(record, [&](SerialStream& s) { return rescue->Load(s); }));
    const std::string date = RescueText("AR_RD_DAY1_1");
    // The sample's date text: "Day %d %02d:%02d".
    ASSERT_EQ(date.rfind("Day ", 0), 0u) << date;
    const size_t end = date.find(' ', 4);
    ASSERT_NE(end, std::string::npos) << date;
    EXPECT_GE(std::stoll(date.substr(4, end - 4)), 1000000000LL) << date;
}

TEST_F(ResearchRescuePark, ARescueRecordThatDoesNotHoldTogetherIsRefused)
{
    struct Case
    {
        const char* what;
        uint32_t teams;
        uint32_t offered;
        bool isOffered;
        uint32_t mission;
        uint32_t state;
        bool cut;
        // The next offer's time, a busy team's arrival on site and its last report line's time.
        float next = 100.0f;
        float arrival = 0.0f;
        float lineTime = 0.0f;
    };
    const float nan = std::nanf("");
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {"no team", 0, 0, false, 0, 0, false},
        {"four teams", 4, 0, false, 0, 0, false},
        {"an offer beyond the table", 1, 3, true, 0, 0, false},
        {"a busy team's mission beyond the table", 1, 0, false, 9, 1, false},
        {"a team state no team takes", 1, 0, false, 0, 8, false},
        {"a record cut short", 1, 0, false, 0, 0, true},
        {"a next offer at no time", 1, 0, false, 0, 0, false, nan},
        {"a next offer at no end of time", 1, 0, false, 0, 0, false, -inf},
        {"a team due at no time", 1, 0, false, 0, 1, false, 100.0f, nan},
        {"a team due at no end of time", 1, 0, false, 0, 1, false, 100.0f, inf},
        {"a report line at no time", 1, 0, false, 0, 1, false, 100.0f, 10.0f, nan},
    };
    rescue->AddTeam();
    const Bytes before = Saved([&](SerialStream& s) { rescue->Dump(s); });
    for (const Case& c : cases)
    {
        Bytes record;
        Text(record, 0, "Class name : RescueManager");
        Tagged(record, 5, 6328);
        Tagged(record, 11, c.teams);
        Tagged(record, 11, c.offered);
        Put(record, {2, uint8_t(c.isOffered)});
        F32(record, c.next);
        Tagged(record, 5, 1);
        Tagged(record, 5, 0);
        for (uint32_t t = 0; t < c.teams; ++t)
        {
            Tagged(record, 11, c.mission);
            Tagged(record, 5, c.state);
            // NextTime, RescueStartTime, ArriveSiteTime, LeaveSiteTime, ArriveHomeTime, RescueOverTime.
            for (float time : {c.arrival, 0.0f, c.arrival, 20.0f, 30.0f, 40.0f})
                F32(record, time);
        }
        for (uint32_t t = 0; t < c.teams * 4; ++t)
        {
            Put(record, {2, 1});
            F32(record, t % 4 == 3 ? c.lineTime : 0.0f);
            Put(record, {7, 0, 0, 0, 0});
        }
        if (c.cut)
            record.resize(record.size() - 2);
        const size_t boxes = reports.boxes.size();
        EXPECT_FALSE(LoadFrom(record, [&](SerialStream& s) { return rescue->Load(s); })) << c.what;
        EXPECT_EQ(reports.boxes.size(), boxes + 1) << c.what;
        EXPECT_EQ(Saved([&](SerialStream& s) { rescue->Dump(s); }), before) << c.what;
    }
    reports.boxes.clear();
}

// A saved busy team comes home in the end, whatever state the record gives it: a state its kind of mission never
// takes is refused with the record, while every state a team passes through in play loads back.
TEST_F(ResearchRescuePark, ASavedBusyTeamEitherComesHomeOrTheRecordIsRefused)
{
    // A record of one team on a mission, in a state, with its plan's times 10, 20, 30 and 40; a standing offer of
    // the mission when `offered`.
    const auto record = [](uint32_t mission, uint32_t state, bool offered)
    {
        Bytes r;
        Text(r, 0, "Class name : RescueManager");
        Tagged(r, 5, 6328);
        Tagged(r, 11, 1);
        Tagged(r, 11, mission);
        Put(r, {2, uint8_t(offered)});
        F32(r, 1.0e9f);
        Tagged(r, 5, 1);
        Tagged(r, 5, 0);
        Tagged(r, 11, mission);
        Tagged(r, 5, state);
        for (float time : {10.0f, 0.0f, 10.0f, 20.0f, 30.0f, 40.0f})
            F32(r, time);
        for (int line = 0; line < 4; ++line)
        {
            Put(r, {2, 0});
            F32(r, 0.0f);
            Put(r, {7, 0, 0, 0, 0});
        }
        return r;
    };
    for (const char* name : {"REEFNET", "BEACHED", "TANGLED"})
    {
        SCOPED_TRACE(name);
        const uint32_t mission = static_cast<uint32_t>(g_pWorldParams->FindRescue(name));
        // The states a team on this mission passes through in play.
        std::vector<uint32_t> seen;
        ASSERT_TRUE(LoadFrom(record(mission, RescueManager::TEAM_FREE, true),
                             [&](SerialStream& s) { return rescue->Load(s); }));
        world->SetGameTime(kDay);
        ASSERT_TRUE(rescue->DespatchTeam());
        for (float t = kDay; rescue->GetTeam(0).TeamState != RescueManager::TEAM_FREE && t < 3 * kDay; t += 1.0f)
        {
            if (std::find(seen.begin(), seen.end(), rescue->GetTeam(0).TeamState) == seen.end())
                seen.push_back(rescue->GetTeam(0).TeamState);
            RescueAt(t);
        }
        ASSERT_FALSE(seen.empty());

        for (uint32_t state = 1; state < RescueManager::TEAM_STATE_COUNT; ++state)
        {
            SCOPED_TRACE(state);
            const bool inPlay = std::find(seen.begin(), seen.end(), state) != seen.end();
            const size_t boxes = reports.boxes.size();
            const bool loaded =
                LoadFrom(record(mission, state, false), [&](SerialStream& s) { return rescue->Load(s); });
            if (inPlay)
            {
                EXPECT_TRUE(loaded);
            }
            if (!loaded)
            {
                EXPECT_EQ(reports.boxes.size(), boxes + 1);
                continue;
            }
            // Long after the plan's last time, a step of the plan an update.
            world->SetGameTime(1000.0f);
            for (int step = 0; step < 8; ++step)
                rescue->Update();
            EXPECT_EQ(rescue->GetTeam(0).TeamState, uint32_t{RescueManager::TEAM_FREE});
        }
    }
    reports.boxes.clear();
}

TEST(Rescue, ATableWithoutMissionsOffersNothing)
{
    testsupport::RecordingReportSink reports;
    World clock;
    RescueManager rescue;
    rescue.OfferRescue();
    EXPECT_FALSE(rescue.IsRescueOffered());
    EXPECT_EQ(rescue.GetRescuesOffered(), 0u);
    EXPECT_FALSE(rescue.DespatchTeam());
}

} // namespace
