// Tests of the script registry and the object-script vocabulary: registration by name from files, the limit of
// ten scripts, the global pointer, and the function and variable names.
#include "tests/scripts/ScriptTestSupport.h"

#include "scripts/ObjectScriptVocabulary.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace scripttest;

namespace
{

// The published lists: the functions in index order, and the variable names with their ids.
const char* const kFunctions =
    "SearchDesire GetConsumePoint SetInvisible SetVisible CreateLitter HeadForBin MissedDesire "
    "AlterPriceOpinion WalkAlongPath ShowThumbsOverlay DoSpotOpinion GetonPath ShowThumbsDown AddVisit "
    "CheckQueue FinishedQueueing PriceTooHigh LeaveQueue PostActivityScore WelfareOpinion CleanUpBuilding "
    "EarlyCleanUpBuilding FindViewPoint FindViewPoint2 FindEntrance FindExit FreeViewPoint FreeViewPoint2 "
    "FaceInterestPoint CheckForPathTurn FinishEating AddToBladder OutOfCash WithdrawCash PutMeOnRide "
    "RemoveEarlyFromRide AddToCrowd RemoveFromCrowd DontWatchMe LookAtMe SetViewPointCount "
    "SetViewPointCount2 FindUrgentClean RemoveLitter GoToBinFront FaceBin FaceAfterBin CleanBin "
    "CleanToilet FaceLitter FindWanderPos DidNotClean StartedCleaning IdleThought StrollThought "
    "CleanToiletTime FindBestScoredJob FindJob LookForBetterJob LookWatering ForgetWatering "
    "FinishedRepairs Repairing GetWateringPos FacePlant StartShift EndShift RestingInRoom RestingOutside "
    "FindStaffRoom LeaveStaffRoom AnimalCheckDesires FindEatPoint FindWanderPoint FreeEatPoint "
    "DoMoveDelay FindEatNode NextEatNode SetEatCount SetPlayCount SetRestCount PlayAnimalSound KillMe "
    "ClearMyDelayedMsgs Debug ";
const char* const kVariables =
    "Sender 0 Walkanimation 1 MessData 2 MessFloatData 3 Cash 4 CommodPrice 5 AttractionIndex 6 MessFlags "
    "7 Happiness 8 MaxPrice 9 MyDir 11 ActionState 12 WorstOpinion 13 WorstOpinionVal 14 BestOpinion 15 "
    "BestOpinionVal 16 ActionPerson 17 WalkSpeed 18 QueueSpeed 19 WaitingForDeath 20 IceDropScore 21 "
    "MsgChar 22 LitterInBin 23 DestDir 24 MessState 25 NumTimesBlocked 26 NotOnPath 27 MissedPurchase 28 "
    "QueuePos 29 DestObjectExitX 30 DestObjectExitY 31 DesiredCommodText 32 QueueOutOfBuilding 33 "
    "CoveredDesireBuilding 34 DesireViewPoints 35 CanLeaveBuilding 36 ShouldLeavePark 37 FoundLitter 38 "
    "FoundBin 39 BinFull 40 FoundToilet 41 EmptyBinAnimation 42 StaticBinAnimation 43 WanderPosX 44 "
    "WanderPosY 45 BinPosX 46 BinPosY 47 UrgentClean 48 UrgentType 49 LitterEnergy 50 BinEnergy 51 "
    "ToiletEnergy 52 MechInsEnergy 53 MechRepEnergy 54 MechWaterEnergy 55 ZooInsEnergy 56 StaffWalkpoint "
    "57 AtWork 58 LastAction 59 EnergyLevel 60 FoundRepair 61 FoundBetterJob 62 IsBuilding 63 RepairType "
    "64 WateringPosX 65 WateringPosY 66 Home 67 EatCount 68 PlayCount 69 RestCount 70 WorldX 79 WorldY 80 "
    "ViewPointCount 104 ViewPointCount2 105 WorldStarted 106 Me 107 NO_OBJECT 110 true 111 false 112 "
    "State 114 GameTime 115 Default 116 Moving 120 DestObject 121 DestObjectEntranceX 122 "
    "DestObjectEntranceY 123 DebugInfo 124 Owner 125 ";

class ScriptRegistry : public ScriptFixture
{
protected:
    // Writes a script file with one State of the given state and returns its ".pis" name.
    std::string WriteScript(const std::string& name, const char* state)
    {
        testsupport::WriteBytes(dir.File(name + ".ble"), Scrambled(std::string("State ") + state + " End"));
        return dir.File(name + ".pis");
    }

    testsupport::TempDir dir;
};

} // namespace

TEST_F(ScriptRegistry, ScriptsAreFoundByTheirExactNameFirstRegisteredFirst)
{
    EXPECT_EQ(g_pScriptManager, &manager);
    EXPECT_EQ(manager.GetHost(), &host);
    EXPECT_TRUE(manager.LoadScript("GuestLogic", WriteScript("guest", "STATE_GUEST_EATING").c_str()));
    EXPECT_TRUE(manager.LoadScript("CleanerLogic", WriteScript("cleaner", "STATE_CLEANER_IDLE").c_str()));
    EXPECT_TRUE(manager.LoadScript("GuestLogic", WriteScript("other", "STATE_DEAD").c_str()));
    EXPECT_EQ(manager.GetNumScripts(), 3u);
    const ObjectScript* guest = manager.GetScript("GuestLogic");
    ASSERT_NE(guest, nullptr);
    EXPECT_NE(guest->FindState(STATE_GUEST_EATING), nullptr);
    ASSERT_NE(manager.GetScript("CleanerLogic"), nullptr);
    EXPECT_NE(manager.GetScript("CleanerLogic")->FindState(STATE_CLEANER_IDLE), nullptr);
    EXPECT_EQ(manager.GetScript("guestlogic"), nullptr);
    EXPECT_EQ(manager.GetScript("MechanicLogic"), nullptr);
    EXPECT_EQ(manager.GetScript(nullptr), nullptr);
    // A script whose file is missing is registered empty.
    EXPECT_TRUE(manager.LoadScript("MechanicLogic", dir.File("missing.pis").c_str()));
    ASSERT_NE(manager.GetScript("MechanicLogic"), nullptr);
    EXPECT_EQ(manager.GetScript("MechanicLogic")->GetNumStates(), 0u);
    EXPECT_TRUE(TakeReports().empty());
    manager.Clear();
    EXPECT_EQ(manager.GetNumScripts(), 0u);
    EXPECT_EQ(manager.GetScript("GuestLogic"), nullptr);
}

TEST_F(ScriptRegistry, AtMostTenScriptsAreRegistered)
{
    const std::string file = WriteScript("any", "STATE_DEAD");
    for (uint32_t i = 0; i < ScriptManager::kMaxScripts; ++i)
        EXPECT_TRUE(manager.LoadScript(("S" + std::to_string(i)).c_str(), file.c_str()));
    EXPECT_FALSE(manager.LoadScript("Eleventh", file.c_str()));
    EXPECT_EQ(manager.GetNumScripts(), 10u);
    EXPECT_EQ(manager.GetScript("Eleventh"), nullptr);
    EXPECT_NE(manager.GetScript("S9"), nullptr);
    EXPECT_EQ(TakeReports(), std::vector<std::string>{
                                 "ScriptManager::LoadScript - no room for more than 10 scripts - Eleventh not loaded"});
}

TEST(ScriptManagerPointer, TheGlobalPointerFollowsTheManagersLife)
{
    EXPECT_EQ(g_pScriptManager, nullptr);
    EXPECT_EQ(GetScriptHost(), nullptr);
    {
        TestHost host;
        ScriptManager manager(&host);
        EXPECT_EQ(g_pScriptManager, &manager);
        EXPECT_EQ(GetScriptHost(), &host);
        {
            // A second manager takes the pointer; its end leaves the pointer to no one.
            ScriptManager second(nullptr);
            EXPECT_EQ(g_pScriptManager, &second);
            EXPECT_EQ(GetScriptHost(), nullptr);
        }
        EXPECT_EQ(g_pScriptManager, nullptr);
    }
    EXPECT_EQ(g_pScriptManager, nullptr);
}

TEST(ObjectScriptVocabulary, ThePublishedNamesGiveTheirNumbers)
{
    std::istringstream functions(kFunctions);
    std::string name;
    uint32_t index = 0;
    while (functions >> name)
    {
        EXPECT_EQ(FindScriptFunction(name.c_str()), index) << name;
        EXPECT_STREQ(ScriptFunctionName(index), name.c_str());
        ++index;
    }
    EXPECT_EQ(index, 85u);
    std::istringstream variables(kVariables);
    uint32_t id = 0, count = 0;
    while (variables >> name >> id)
    {
        uint32_t found = 0xFFFF;
        EXPECT_TRUE(FindObjectVariable(name.c_str(), &found)) << name;
        EXPECT_EQ(found, id) << name;
        ++count;
    }
    EXPECT_EQ(count, 88u);
}

TEST(ObjectScriptVocabulary, NamesCompareWithoutRegardToCase)
{
    const std::pair<const char*, uint32_t> functions[] = {
        {"searchdesire", 0}, {"FACEPLANT", 64}, {"Debugs", 85}, {"", 85}, {nullptr, 85}};
    for (const auto& [name, index] : functions)
        EXPECT_EQ(FindScriptFunction(name), index) << (name ? name : "(null)");
    EXPECT_EQ(ScriptFunctionName(85), nullptr);
    const std::pair<const char*, uint32_t> known[] = {{"ME", 107},    {"me", 107},    {"no_object", 110}, {"TRUE", 111},
                                                      {"False", 112}, {"worldx", 79}, {"DESTOBJECT", 121}};
    for (const auto& [name, id] : known)
    {
        uint32_t found = 0xFFFF;
        EXPECT_TRUE(FindObjectVariable(name, &found) && found == id) << name;
    }
    uint32_t untouched = 5;
    EXPECT_FALSE(FindObjectVariable("GuestCount", &untouched)); // a park variable, not an object's
    EXPECT_FALSE(FindObjectVariable("Random4", &untouched));
    EXPECT_FALSE(FindObjectVariable(nullptr, &untouched));
    EXPECT_EQ(untouched, 5u);
}

TEST_F(ScriptRegistry, AFullRegistryIsReportedOnceHoweverOftenItIsAskedAgain)
{
    // A State entered again and again loads its scripts each time: once the registry is full, every further
    // registration is refused, and only the first refusal is told. A cleared registry tells its next refusal again.
    const std::string file = WriteScript("any", "STATE_DEAD");
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE(round);
        for (uint32_t i = 0; i < ScriptManager::kMaxScripts; ++i)
            EXPECT_TRUE(manager.LoadScript(("S" + std::to_string(i)).c_str(), file.c_str()));
        for (const char* name : {"GuestLogic", "CleanerLogic", "GuestLogic", "MechanicLogic"})
            EXPECT_FALSE(manager.LoadScript(name, file.c_str())) << name;
        EXPECT_EQ(manager.GetNumScripts(), ScriptManager::kMaxScripts);
        EXPECT_EQ(TakeReports(), std::vector<std::string>{"ScriptManager::LoadScript - no room for more than 10 "
                                                          "scripts - GuestLogic not loaded"});
        manager.Clear();
    }
}
