// Tests of the object root: state change by message, the animation-end message, script variables, the keyword
// interface, map cell lists, names, the animation list and state names; and the static objects' flags.
#include "tests/world/WorldTestSupport.h"

#include "platform/Random.h"
#include "scripts/WorldParams.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <set>

using namespace worldtest;

namespace
{

ScriptOperand Var(uint32_t id)
{
    ScriptOperand op;
    op.id = id;
    return op;
}

ScriptOperand Number(uint32_t id, uint32_t n)
{
    ScriptOperand op;
    op.id = id;
    op.number = n;
    return op;
}

} // namespace

TEST(ObjectState, AStateChangeMessageRunsExitThenEntryEvenIntoTheSameStateOrOneUnsupported)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    const uint32_t id = p->GetID();
    Probe::Journal().clear();
    park.messages->Send(Record(kWorldID, id, MT_STATECHANGE, STATE_STARTUP));
    park.messages->Send(Record(kWorldID, id, MT_STATECHANGE, STATE_STARTUP));
    const std::string msg = "msg " + std::to_string(id) + " 5";
    EXPECT_EQ(Probe::Journal(),
              (std::vector<std::string>{msg, "exit 0", "entry 2 in 2", msg, "exit 2", "entry 2 in 2"}));
    EXPECT_TRUE(park.TakeReports().empty());
    // Any other message is not a state change; SetState stores without running either handler.
    EXPECT_FALSE(p->BaseObject::Message(Record(kWorldID, id, MT_NEW_DAY, STATE_DEAD)));
    Probe::Journal().clear();
    p->SetState(STATE_OCCUPIED);
    EXPECT_TRUE(Probe::Journal().empty());
    // Unsupported states and failed handlers are reported and the change still happens.
    p->unsupported = STATE_DEAD;
    p->failExit = p->failEntry = true;
    p->PostMessage(Record(17, id, MT_STATECHANGE, STATE_DEAD));
    EXPECT_EQ(p->GetState(), uint32_t{STATE_DEAD});
    EXPECT_EQ(
        park.TakeReports(),
        (std::vector<std::string>{"BaseObject::Message - asked for an unsupported state 7  Object Type(1) Sender(17)",
                                  "BaseObject::Message - error processing OnStateExit()",
                                  "BaseObject::Message - error processing OnStateEntry(7) Object Type(1) Sender(17)"}));
}

TEST(ObjectState, StaticObjectsRefuseTheNoMessageTypeAndCountOccupiedAsBusy)
{
    Park park;
    Probe* p = park.Make(OBJECT_TABLE);
    EXPECT_FALSE(p->Message(Record(kWorldID, p->GetID(), MT_NUM_MESSAGES, STATE_DEAD)));
    EXPECT_TRUE(p->Message(Record(kWorldID, p->GetID(), MT_STATECHANGE, STATE_OCCUPIED)));
    // Occupied is busy for both jobs whatever the flags say; otherwise each flag makes its own job busy.
    EXPECT_TRUE(p->IsRepairBusy() && p->IsCleaningBusy());
    p->SetState(STATE_STARTUP);
    EXPECT_FALSE(p->IsRepairBusy() || p->IsCleaningBusy());
    p->SetCleaning(true);
    EXPECT_EQ(std::pair(p->IsCleaningBusy(), p->IsRepairBusy()), std::pair(true, false));
    EXPECT_TRUE(p->SetRepairing(true) && p->IsRepairBusy());
    EXPECT_TRUE(p->SetMechanicCalledByPlayer(true) && p->IsMechanicCalledByPlayer());
    // Creation clears every flag again; the shared update step clears the one-shot debug flag.
    p->SetGridW(3);
    p->SetCalledCleaning(true);
    p->SetCalledRepairing(true);
    p->SetCleanerCalledByPlayer(true);
    p->Create("AGAIN");
    EXPECT_EQ(std::tuple(p->GetGridW(), p->IsCleaning(), p->IsRepairing(), p->IsCalledCleaning(),
                         p->IsCalledRepairing(), p->IsCleanerCalledByPlayer(), p->IsMechanicCalledByPlayer()),
              std::tuple(uint8_t{0}, false, false, false, false, false, false));
    EXPECT_TRUE(p->Update());
    EXPECT_FALSE(p->IsDebugBreak());
}

TEST(ObjectAnimation, TheEndMessageIsPostedOnceToTheObjectItself)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    p->SetState(STATE_GUEST_EATING);
    EXPECT_EQ(p->GetAnimationEndMessage(), uint32_t{MT_NUM_MESSAGES});
    EXPECT_EQ(p->SetAnimationEndMessage(MT_FINISH_ACTION), uint32_t{MT_FINISH_ACTION});
    MessageRecord seen;
    p->onMessage = [&](Probe& self, const MessageRecord& r)
    {
        seen = r;
        // The end message is already cleared while its handler runs.
        EXPECT_EQ(self.GetAnimationEndMessage(), uint32_t{MT_NUM_MESSAGES});
        return true;
    };
    p->StartAnimation(5, 100, 1, 160);
    EXPECT_TRUE(p->IsAnimating());
    p->StopAnimation();
    EXPECT_FALSE(p->IsAnimating());
    EXPECT_EQ(std::tuple(seen.dwSender, seen.dwReciever, seen.dwType, seen.dwFlags, seen.dwData, seen.dwData2),
              std::tuple(p->GetID(), p->GetID(), uint32_t{MT_FINISH_ACTION}, 0u, 0u, uint32_t{STATE_GUEST_EATING}));
    p->StopAnimation();
    EXPECT_EQ(Probe::Delivered().size(), 1u);
    // While paused the end message waits like any other send.
    p->SetAnimationEndMessage(MT_PLAYANIMATION);
    park.world->SetPaused(true);
    p->StopAnimation();
    EXPECT_EQ(Probe::Delivered().size(), 1u);
    EXPECT_EQ(park.messages->GetPendingMessages().size(), 1u);
}

// Variable ids and value types are the scripts' published numbers.
TEST(ObjectScriptVariables, AnswersItsOwnIdsWithTypedValues)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    p->SetState(STATE_CLEANER_IDLE);
    ScriptOperand text = Var(10);
    text.text = "hello";
    EXPECT_STREQ(p->GetScriptVariable(text).text, "hello");
    EXPECT_EQ(p->GetScriptVariable(text).type, 1u);

    // Me, NO_OBJECT, true, false, State, WorldStarted and an id no class answers (false), as (type, value).
    std::vector<std::pair<uint32_t, uint32_t>> values;
    for (uint32_t id : {107u, 110u, 111u, 112u, 114u, 106u, 5u})
        values.push_back({p->GetScriptVariable(Var(id)).type, p->GetScriptVariable(Var(id)).data});
    EXPECT_EQ(values, (std::vector<std::pair<uint32_t, uint32_t>>{
                          {2, p->GetID()}, {2, 0xFFFFFFFF}, {0, 1}, {0, 0}, {2, 54}, {0, 1}, {0, 0}}));
    ScriptOperand number = Var(113);
    number.real = 2.75f;
    for (auto [operand, value] : {std::pair{number, 2.75f}, {Var(115), park.world->GetGameDayTime()}})
    {
        EXPECT_EQ(p->GetScriptVariable(operand).type, 3u);
        EXPECT_FLOAT_EQ(p->GetScriptVariable(operand).AsFloatBits(), value);
    }
}

TEST(ObjectScriptVariables, RandomValuesComeFromTheGameGeneratorAndAnEmptyRangeGivesZero)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    // The generator's own sequence, drawn first and replayed.
    platform::SRand(99);
    std::vector<int> draws;
    for (int i = 0; i < 6; ++i)
        draws.push_back(platform::Rand());
    platform::SRand(99);
    EXPECT_EQ(p->GetScriptVariable(Number(108, 50)).data, uint32_t(draws[0] % 50));
    EXPECT_EQ(p->GetScriptVariable(Number(108, 7)).data, uint32_t(draws[1] % 7));
    for (int i = 2; i < 6; ++i)
    {
        const ScriptValue chance = p->GetScriptVariable(Number(109, 3));
        EXPECT_EQ(std::pair(chance.type, chance.data), std::pair(0u, draws[i] % 3 == 0 ? 1u : 0u));
    }
    EXPECT_TRUE(park.TakeReports().empty());
    // No range: 0 (or no chance), no trap, no draw taken; the script reported it when it was compiled.
    EXPECT_EQ(p->GetScriptVariable(Number(108, 0)).data, 0u);
    EXPECT_EQ(p->GetScriptVariable(Number(109, 0)).data, 0u);
    EXPECT_TRUE(park.TakeReports().empty());
    platform::SRand(5);
    const int next = platform::Rand();
    platform::SRand(5);
    p->GetScriptVariable(Number(108, 0));
    EXPECT_EQ(platform::Rand(), next);
}

TEST(ObjectScriptVariables, WritesMoveTheObjectBetweenMapCellsAndFlagItForRemoval)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    p->SetWorldPosition({40.0f, 70.0f, 9.0f}); // cell (1, 1); z is dropped
    EXPECT_EQ(p->GetWorldPosition().z, 0.0f);
    MapCell& first = *park.map->GetCell({1, 1});
    ASSERT_TRUE(first.ContainsObject(p));
    // x within the same cell: the lists do not change; into the next cell along, y kept; then y.
    p->SetScriptVariable(Var(79), ScriptValue::UInt(63));
    EXPECT_EQ(std::tuple(first.CountObjects(), p->GetWorldPosition().x, p->GetWorldPosition().y),
              std::tuple(1u, 63.0f, 70.0f));
    p->SetScriptVariable(Var(79), ScriptValue::UInt(64));
    EXPECT_EQ(std::pair(first.ContainsObject(p), park.map->GetCell({2, 1})->ContainsObject(p)), std::pair(false, true));
    p->SetScriptVariable(Var(80), ScriptValue::UInt(200)); // cell (2, 3)
    EXPECT_TRUE(park.map->GetCell({2, 3})->ContainsObject(p));
    EXPECT_EQ(park.map->GetCell({2, 1})->CountObjects(), 0u);
    // Only the low byte of the value sets the removal flag.
    p->SetScriptVariable(Var(20), ScriptValue::UInt(0x100));
    EXPECT_FALSE(p->IsWaitingForDeath());
    p->SetScriptVariable(Var(20), ScriptValue::UInt(1));
    EXPECT_TRUE(p->IsWaitingForDeath());
    // A deleted object leaves its cell.
    park.objects->RemoveObject(p->GetID());
    EXPECT_EQ(park.map->GetCell({2, 3})->CountObjects(), 0u);
}

TEST(ObjectScriptVariables, PositionsOffTheMapStandInNoCell)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    p->SetWorldPosition({40.0f, 70.0f, 0.0f});
    ASSERT_TRUE(park.map->GetCell({1, 1})->ContainsObject(p));
    const auto holding = [&park]()
    {
        uint32_t count = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                count += park.map->GetCell({x, y})->CountObjects();
        return count;
    };
    // Cell (-2, 17) and the far edges are off a 16 x 16 map: the object leaves its cell and joins none.
    for (const platform::Vec3& off : {platform::Vec3{-64.0f, 64.0f * 17.0f, 0.0f}, platform::Vec3{512.0f, 0.0f, 0.0f},
                                      platform::Vec3{0.0f, 1024.0f, 0.0f}, platform::Vec3{std::nanf(""), 1e30f, 0.0f},
                                      platform::Vec3{-1e30f, -1e30f, 0.0f}})
    {
        p->SetWorldPosition(off);
        EXPECT_EQ(holding(), 0u);
    }
    // Back on the map it is listed once, in its cell.
    p->SetWorldPosition({511.0f, 1023.0f, 0.0f});
    EXPECT_TRUE(park.map->GetCell({15, 15})->ContainsObject(p));
    EXPECT_EQ(holding(), 1u);
    // Created anew it stands at the origin and nowhere else.
    p->SetWorldPosition({100.0f, 300.0f, 0.0f});
    p->Create("AGAIN");
    EXPECT_EQ(park.map->GetCell({3, 4})->CountObjects(), 0u);
}

TEST(ObjectNames, NamesAreCutToFifteenCharactersStatesNamedAndUnknownKeywordsReported)
{
    Park park;
    for (auto [given, kept, reports] :
         {std::tuple{"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO", 0u}, std::tuple{"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNO", 1u},
          std::tuple{static_cast<const char*>(nullptr), "", 1u}})
    {
        EXPECT_STREQ(park.Make(OBJECT_SCENERY, given)->GetName(), kept);
        EXPECT_EQ(park.CountReports("BaseObject::BaseObject - name exceeds MAX_NAMESIZE - ABCDEFGHIJKLMNOP"), reports);
    }
    char text[32], small[6];
    for (auto [state, name] : {std::pair{uint32_t{STATE_ANIMAL_GO_SHOW}, "STATE_ANIMAL_GO_SHOW"},
                               {61u, "STATE_NUM_STATES"},
                               {62u, "UNKNOWN_STATE"}})
    {
        BaseObject::GetStateName(state, text, sizeof text);
        EXPECT_STREQ(text, name);
    }
    BaseObject::GetStateName(0, small, sizeof small);
    EXPECT_STREQ(small, "STATE");
    // The keyword interface: an unknown keyword is reported and leaves the text; setting and resetting do nothing.
    park.TakeReports();
    DialogListener* listener = park.Make(OBJECT_GUEST);
    platform::WString value = u"before";
    listener->GetVariable("GUEST_NAME", value);
    EXPECT_EQ(value, u"before");
    EXPECT_EQ(park.TakeReports(),
              (std::vector<std::string>{
                  "An invalid keyword has been passed into get variable :- GUEST_NAME Object Type - 3"}));
    const int32_t four = 4;
    listener->SetVariable("GUEST_NAME", &four);
    listener->ResetPanelState();
    EXPECT_TRUE(park.TakeReports().empty());
}

TEST(ObjectAnimationList, FilesAreNumberedPerRecordAndNamesPickVariants)
{
    Park park;
    Probe* p = park.Make(OBJECT_GUEST);
    std::vector<AnimListItem> records = {
        {"MALE", "WALK", "m_walk", 2}, {"MALE", "IDLE", "m_idle", 1}, {"MALE", "WALK", "m_stroll", 1}};
    p->LoadAnimationList(records, "Data/Guests/");
    EXPECT_EQ(p->GetAnimationCount(), 4u);
    EXPECT_EQ(p->GetAnimationList(), (std::vector<std::string>{"WALK", "WALK", "IDLE", "WALK"}));
    EXPECT_EQ(std::tuple(p->FindAnimationIndex("IDLE"), p->FindAnimationIndex("idle"), p->FindAnimationIndex("RUN")),
              std::tuple(2, -1, -1));
    // Several files under one name: each is chosen, and nothing else.
    std::set<int32_t> chosen;
    for (int i = 0; i < 60; ++i)
        chosen.insert(p->FindAnimationIndex("WALK"));
    EXPECT_EQ(chosen, (std::set<int32_t>{0, 1, 3}));
    // A list with no files empties the names and keeps the table.
    p->LoadAnimationList(std::vector<AnimListItem>{{"MALE", "WALK", "m_walk", 0}}, "");
    EXPECT_TRUE(p->GetAnimationList().empty());
    EXPECT_EQ(p->FindAnimationIndex("WALK"), -1);
    // An absurd count from a data file is refused, not allocated; 1,024 files are the most.
    park.TakeReports();
    for (auto [runs, count, reports] : {std::tuple{2000000000, 0u, 1u}, {24, 1024u, 1u}, {25, 0u, 2u}})
    {
        p->LoadAnimationList(std::vector<AnimListItem>{{"MALE", "WALK", "w", 1000}, {"MALE", "RUN", "r", runs}}, "");
        EXPECT_EQ(p->GetAnimationList().size(), count);
        EXPECT_EQ(park.CountReports("LoadAnimationList"), reports);
    }
    // Short names keep at most 19 characters.
    p->LoadAnimationList(std::vector<AnimListItem>{{"M", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "s", 1}}, "");
    EXPECT_EQ(p->GetAnimationList()[0], "ABCDEFGHIJKLMNOPQRS");
    // Without data tables no model has records.
    p->LoadAnimationList("MALE", "");
    EXPECT_TRUE(p->GetAnimationList().empty());
}

TEST(ObjectAnimations, ModelKeywordCollectsItsRecordsFromTheDataTables)
{
    Park park;
    Probe* p = park.Make(OBJECT_GUEST);
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    std::filesystem::create_directories(dir.File("data/script"));
    std::vector<uint8_t> bytes;
    for (char c : std::string("\"MALE\" \"WALK\" \"m_walk\" \"2\"\n\"FEMALE\" \"WALK\" \"f_walk\" \"1\"\n"
                              "\"MALE\" \"IDLE\" \"m_idle\" \"1\"\n"))
        bytes.push_back(static_cast<uint8_t>(~static_cast<uint8_t>(c)));
    testsupport::WriteBytes(dir.File("data/script/anims.ble"), bytes);
    WorldParams params;
    params.LoadAnimList("data\\script\\anims.pis");
    p->LoadAnimationList("MALE", "");
    EXPECT_EQ(p->GetAnimationList(), (std::vector<std::string>{"WALK", "WALK", "IDLE"}));
    p->LoadAnimationList("male", "");
    EXPECT_TRUE(p->GetAnimationList().empty());
}

TEST(ObjectFacing, RotationIsQuarterTurnsInRadiansAndDefaultsAreInert)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    EXPECT_FLOAT_EQ(p->GetRotation(), 0.0f);
    p->SetDirection(3);
    EXPECT_FLOAT_EQ(p->GetRotation(), 1.5f * std::numbers::pi_v<float>);
    p->SetVisible(false);
    platform::Vec3 centre = {1.0f, 2.0f, 3.0f};
    p->GetCentrePosition(centre);
    EXPECT_EQ(std::tuple(p->GetDirection(), p->IsVisible(), p->Render(), p->Tick(), p->IsSelectable(), centre.y),
              std::tuple(3, false, true, true, true, 2.0f));
}
