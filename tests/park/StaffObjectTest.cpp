// Tests of the staff: the thought ring, each kind's feedback texts, being at work, wages and dismissal, the sacked
// feedback, the cleaner's job finders and its busy toilet, the toilet-cleaning wait, the bin's walk point, pick-up by
// state, the server's serving and the save records of the kinds (their class-wide counts included), and far points and
// large figures read in full.
#include "engine/core/SerialStream.h"
#include "park/CleanerObject.h"
#include "park/MechanicObject.h"
#include "park/ServerObject.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "tests/park/JobsTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/Player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>

using namespace jobstest;
using bldtest::Taken;

namespace
{

// Every variant of a thought reads the same, so that a thought's text names its flag.
const char16_t* const kTexts =
    u"FEEDBACK_CLEANER_INNERTOUGHT_EMPTYBIN_01=bin|FEEDBACK_CLEANER_INNERTOUGHT_EMPTYBIN_02=bin|"
    u"FEEDBACK_CLEANER_INNERTOUGHT_EMPTYBIN_03=bin|"
    u"FEEDBACK_CLEANER_INNERTOUGHT_CLEANTOILET_01=toilet|"
    u"FEEDBACK_CLEANER_INNERTOUGHT_CLEANTOILET_02=toilet|"
    u"FEEDBACK_CLEANER_INNERTOUGHT_CLEANTOILET_03=toilet|"
    u"FEEDBACK_CLEANER_INNERTOUGHT_CLEANLITTER_01=litter|"
    u"FEEDBACK_CLEANER_INNERTOUGHT_CLEANLITTER_02=litter|"
    u"FEEDBACK_CLEANER_INNERTOUGHT_CLEANLITTER_03=litter|FEEDBACK_STAFF_SACKED=sacked|"
    u"FEEDBACK_CLEANER_TOILETS_BUSY=busy|STAFF_DAY_TEXT=Day %d|"
    u"STAFFB_DISMISS_CONFIRM=Pay $%d? %s|FEEDBACK_ZOO_INSPECT_01=zoo|"
    u"FEEDBACK_ZOO_INSPECT_02=zoo|FEEDBACK_ZOO_INSPECT_03=zoo|"
    u"FEEDBACK_MECHANIC_TOO_BUSY=too busy";

class StaffPark : public JobPark
{
public:
    StaffPark() : texts(MakeTexts(dir, kTexts)) { RegisterStaff(); }
    CleanerObject* Cleaner(float x = 40.0f, float y = 480.0f)
    {
        return Hire<CleanerObject>(OBJECT_CLEANER, "CLEANER", x, y);
    }
    size_t Feedback(const std::string& id) const
    {
        size_t n = 0;
        for (const auto& m : feedback.GetQueue())
            n += m.textId == id ? 1 : 0;
        for (const auto& m : feedback.GetLog())
            n += m.textId == id ? 1 : 0;
        return n;
    }

    std::unique_ptr<TextTable> texts;
};

ScriptValue Read(BaseObject& object, uint32_t id)
{
    ScriptOperand operand;
    operand.id = id;
    return object.GetScriptVariable(operand);
}

platform::WString Keyword(BaseObject& object, const char* keyword)
{
    platform::WString text = u"untouched";
    object.GetVariable(keyword, text);
    return text;
}

TEST(StaffThoughts, FourThoughtsLeaveTheLastThreeNewestFirst)
{
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner();
    EXPECT_EQ(cleaner->GetThoughtCount(), 0);
    cleaner->AddThought(CleanerObject::kFeedbackEmptyBin);
    EXPECT_EQ(cleaner->GetThoughtCount(), 1);
    EXPECT_EQ(platform::WString(cleaner->GetThought(0)), u"bin");
    cleaner->AddThought(CleanerObject::kFeedbackCleanToilet);
    cleaner->AddThought(CleanerObject::kFeedbackCleanLitter);
    cleaner->AddThought(StaffObject::kFeedbackSacked);
    EXPECT_EQ(cleaner->GetThoughtCount(), 3);
    EXPECT_EQ(std::tuple(platform::WString(cleaner->GetThought(0)), platform::WString(cleaner->GetThought(1)),
                         platform::WString(cleaner->GetThought(2))),
              std::tuple(u"sacked", u"litter", u"toilet"));
    // The panel shows them by slot.
    EXPECT_EQ(Keyword(*cleaner, "STAFF_FEEDBACK_MESS0"), u"sacked");
    EXPECT_EQ(Keyword(*cleaner, "STAFF_FEEDBACK_MESS2"), u"toilet");
}

// Each kind's feedback flags name their texts: a plain key, or one of three numbered variants of a key.
TEST(StaffThoughts, EachFlagNamesItsTextOrOneOfItsThreeVariants)
{
    StaffPark park;
    StaffObject* const cleaner = park.Cleaner();
    StaffObject* const mechanic = park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC");
    StaffObject* const keeper = park.Hire<ZooKeeperObject>(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    const struct
    {
        StaffObject* staff;
        uint32_t flag;
        const char* key;
        bool variants;
    } cases[] = {
        {cleaner, 0x2, "FEEDBACK_CLEANER_TOILETS_BUSY", false},
        {cleaner, 0x100000, "FEEDBACK_CLEANER_UNHAPPY", false},
        {cleaner, 0x4, "FEEDBACK_CLEANER_INNERTOUGHT_EMPTYBIN", true},
        {cleaner, 0x8, "FEEDBACK_CLEANER_INNERTOUGHT_CLEANTOILET", true},
        {cleaner, 0x20, "FEEDBACK_CLEANER_INNERTOUGHT_CLEANLITTER", true},
        {cleaner, 0x10, "FEEDBACK_CLEANER_INNERTOUGHT_GOSTROLL", true},
        {cleaner, 0x1000000, "FEEDBACK_CLEANER_INNERTOUGHT_STANDIDLE", true},
        {mechanic, 0x2, "FEEDBACK_MECHANIC_TOO_BUSY", false},
        {mechanic, 0x100000, "FEEDBACK_MECHANIC_UNHAPPY", false},
        {mechanic, 0x4, "FEEDBACK_MECHANIC_INNERTOUGHT_INSPECTIONMADE", true},
        {mechanic, 0x8, "FEEDBACK_MECHANIC_BUILDING_INNERTOUGHT_REPAIRMADE", true},
        {mechanic, 0x10, "FEEDBACK_MECHANIC_SCENERY_INNERTOUGHT_WATERED", true},
        {mechanic, 0x1000000, "FEEDBACK_MECHANIC_INNERTOUGHT_STANDIDLE", true},
        {keeper, 0x2, "FEEDBACK_ZOO_INSPECT", true},
        {keeper, 0x800000, "FEEDBACK_STAFF_SACKED", false},
    };
    for (const auto& c : cases)
    {
        const char* text = c.staff->GetFeedbackText(c.flag);
        ASSERT_NE(text, nullptr) << c.key;
        const std::string got = text, key = c.key;
        if (!c.variants)
            EXPECT_EQ(got, key);
        else
            EXPECT_TRUE(got == key + "_01" || got == key + "_02" || got == key + "_03") << got;
    }
}

TEST(StaffEnergy, AtWorkFromAnEnergyOfFiveHundredths)
{
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner();
    const std::pair<float, uint32_t> cases[] = {{1.0f, 1}, {0.05f, 1}, {0.049f, 0}, {0.0f, 0}};
    for (const auto& [energy, atWork] : cases)
    {
        cleaner->SetEnergy(energy);
        EXPECT_EQ(ScriptValueToInt(Read(*cleaner, SV_AtWork)), atWork) << energy;
    }
}

TEST(StaffEnergy, RestRestoresInTwoGameHoursInARoomAndNothingWithoutADay)
{
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner();
    // A day of 240 s: an hour is 10 s, so a room restores 1/20 a second and the open air half that.
    cleaner->SetEnergy(0.0f);
    park.world->m_fGameDeltaTime = 2.0f;
    cleaner->RestoreEnergy(true);
    EXPECT_NEAR(cleaner->GetEnergy(), 0.1f, 1e-6f);
    cleaner->RestoreEnergy(false);
    EXPECT_NEAR(cleaner->GetEnergy(), 0.15f, 1e-6f);
    park.world->m_fGameDeltaTime = 100.0f;
    cleaner->RestoreEnergy(true);
    EXPECT_FLOAT_EQ(cleaner->GetEnergy(), 1.0f);
    // With no day to count hours by there is no rest (rather than a division by nothing).
    cleaner->SetEnergy(0.5f);
    park.world->m_iDayLength = 0;
    cleaner->RestoreEnergy(true);
    EXPECT_FLOAT_EQ(cleaner->GetEnergy(), 0.5f);
}

TEST(StaffMoney, EachHourPaysTheWageAndDismissalTenHours)
{
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner();
    park.world->GetPlayer()->Cash = 1000.0f;
    // The built-in cleaner earns six dollars an hour.
    park.Send(kWorldID, cleaner->GetID(), MT_NEW_HOUR);
    EXPECT_FLOAT_EQ(park.Cash(), 994.0f);
    EXPECT_FLOAT_EQ(park.world->m_fWagesCostToday, 6.0f);
    EXPECT_FLOAT_EQ(park.world->m_fCostsToday, 6.0f);
    EXPECT_EQ(Keyword(*cleaner, "STAFF_WAGES"), u"6");
    EXPECT_EQ(Keyword(*cleaner, "STAFF_WAGES_PER_HOUR"), u"6");
    EXPECT_EQ(Keyword(*cleaner, "STAFF_DAY_WAGES_$"), u"$60");
    // The table's text is a format: only its number is filled in, the %s it should not hold stays as it is.
    EXPECT_EQ(Keyword(*cleaner, "STAFF_DISMISS_CONFIRM"), u"Pay $60? %s");
    EXPECT_EQ(Keyword(*cleaner, "STAFF_HIRED_ON"), u"Day 1");
    cleaner->Dismiss();
    EXPECT_TRUE(cleaner->IsSacked());
    EXPECT_FLOAT_EQ(park.Cash(), 934.0f);
    EXPECT_FLOAT_EQ(park.world->m_fWagesCostToday, 66.0f);
    EXPECT_EQ(cleaner->GetState(), uint32_t{STATE_STAFF_FALLING_ON_SWORD});

    // A server is paid by the day, not by the hour.
    auto* server = park.Hire<ServerObject>(OBJECT_SERVER, "SERVE1");
    park.Send(kWorldID, server->GetID(), MT_NEW_HOUR);
    EXPECT_FLOAT_EQ(park.Cash(), 934.0f);
    park.Send(kWorldID, server->GetID(), MT_NEW_DAY);
    EXPECT_FLOAT_EQ(park.Cash(), 894.0f);
}

TEST(StaffFeedback, ADismissedWorkerReportsTheSackOnceNotEveryFrame)
{
    StaffPark park;
    CleanerObject* first = park.Cleaner();
    CleanerObject* second = park.Cleaner();
    first->Dismiss();
    second->Dismiss();
    for (int i = 0; i < 5; ++i)
    {
        first->Update();
        second->Update();
    }
    // Each dismissal is told once, not again on the frames that follow.
    EXPECT_EQ(park.Feedback("FEEDBACK_STAFF_SACKED"), 2u);
    EXPECT_TRUE(park.feedback.GetStaffMessageBits(OBJECT_SERVER) & StaffObject::kFeedbackSacked);
    for (CleanerObject* cleaner : {first, second})
    {
        EXPECT_EQ(platform::WString(cleaner->GetThought(0)), u"sacked");
        EXPECT_EQ(cleaner->GetThoughtCount(), 1);
    }
}

// The player dismisses a worker while the message box shows another message: the dismissal waits in the queue, and
// the worker leaves the park before it is shown. Whatever the worker's kind, the player is told of the dismissal once
// the box is free; a mechanic's other waiting words about itself go with it.
TEST(StaffFeedback, ADismissalToldWhileTheBoxIsBusyIsShownAfterTheWorkerHasLeft)
{
    struct Row
    {
        uint8_t kind;
        const char* type;
    };
    const Row rows[] = {{OBJECT_CLEANER, "CLEANER"}, {OBJECT_MECHANIC, "MECHANIC"}, {OBJECT_ZOOKEEPER, "ZOOKEEPER"}};
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.type);
        StaffPark park;
        Gui gui;
        gui.boxFree = false;
        auto* worker = park.Hire<StaffObject>(row.kind, row.type);
        const uint32_t id = worker->GetID();
        park.feedback.AddMessage("FEEDBACK_MECHANIC_TOO_BUSY", id, 8);
        worker->Dismiss();
        ASSERT_EQ(park.Feedback("FEEDBACK_STAFF_SACKED"), 1u);
        ASSERT_TRUE(park.objects->RemoveObject(id));
        gui.boxFree = true;
        for (int i = 0; i < 3; ++i)
            park.feedback.Update();
        EXPECT_EQ(park.Feedback("FEEDBACK_STAFF_SACKED"), 1u);
        EXPECT_EQ(park.Feedback("FEEDBACK_MECHANIC_TOO_BUSY"), row.kind == OBJECT_MECHANIC ? 0u : 1u);
    }
}

// A worker whose leave-taking lasts a while (its script walks it off before it is removed) can be dismissed again
// meanwhile, from its panel or the staff list: the second dismissal neither charges the ten hours again nor tells
// the player again, and the staff room the worker rested in loses it once.
TEST(StaffMoney, AWorkerDismissedAgainBeforeItHasLeftIsChargedAndReportedOnce)
{
    StaffPark park;
    BuildingObject* room = park.Small("RESTSMALL", 12);
    StaffObject* workers[] = {park.Cleaner(), park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC"),
                              park.Hire<ZooKeeperObject>(OBJECT_ZOOKEEPER, "ZOOKEEPER")};
    for (StaffObject* worker : workers)
    {
        SCOPED_TRACE(worker->GetName());
        room->SetNumRestStaff(2);
        worker->SetDestObject(room->GetID());
        worker->SetState(STATE_STAFF_RESTING);
        park.world->GetPlayer()->Cash = 1000.0f;
        const size_t told = park.Feedback("FEEDBACK_STAFF_SACKED");
        worker->Dismiss();
        worker->Update();
        const float charged = 1000.0f - park.Cash();
        EXPECT_GT(charged, 0.0f);
        EXPECT_EQ(room->GetNumRestStaff(), 1u);
        // Still on its way out, the worker is dismissed again.
        ASSERT_EQ(worker->GetState(), uint32_t{STATE_STAFF_FALLING_ON_SWORD});
        worker->Dismiss();
        worker->Update();
        EXPECT_FLOAT_EQ(1000.0f - park.Cash(), charged);
        EXPECT_EQ(park.Feedback("FEEDBACK_STAFF_SACKED"), told + 1);
        EXPECT_EQ(room->GetNumRestStaff(), 1u);
    }
}

// ---------------------------------------------------------------- the cleaner's jobs

struct FlagCase
{
    bool toilets, litter, bins;
    int32_t expected; // the job type found, or -1
};

TEST(CleanerJobs, EachFinderTakesOnlyTheJobsItsFlagsAllow)
{
    const FlagCase cases[] = {{false, false, false, -1},
                              {true, false, false, CleaningManager::JOB_TOILET},
                              {false, true, false, CleaningManager::JOB_LITTER},
                              {false, false, true, CleaningManager::JOB_BIN}};
    for (bool urgent : {false, true})
    {
        for (const FlagCase& c : cases)
        {
            StaffPark park;
            BuildingObject* toilet = park.Small("RESTSMALL", 12);
            Stub* litter = park.At(OBJECT_LITTER, "Litter01", 48.0f, 460.0f);
            Stub* bin = park.At(OBJECT_SCENERY, "Bin", 48.0f, 470.0f);
            for (uint32_t id : {toilet->GetID(), litter->GetID(), bin->GetID()})
            {
                if (urgent)
                    park.cleaning.RequestUrgentCleaning(id);
                else
                    park.cleaning.RequestCleaning(id);
            }
            park.Frames(80, 0.1f);
            CleanerObject* cleaner = park.Cleaner();
            cleaner->SetCleanFlags(c.toilets, c.litter, c.bins);
            cleaner->CallScriptFunction(urgent ? SF_FindUrgentClean : SF_FindBestScoredJob);
            const uint32_t job = cleaner->GetDestObject();
            const std::string label = std::string(urgent ? "urgent " : "best ") + std::to_string(c.expected);
            if (c.expected < 0)
            {
                EXPECT_EQ(job, kNoObjectID) << label;
                EXPECT_FALSE(cleaner->FoundLitter() || cleaner->FoundBin() || cleaner->FoundToilet()) << label;
                EXPECT_FALSE(cleaner->IsUrgentClean()) << label;
                continue;
            }
            const uint32_t wanted = c.expected == CleaningManager::JOB_TOILET   ? toilet->GetID()
                                    : c.expected == CleaningManager::JOB_LITTER ? litter->GetID()
                                                                                : bin->GetID();
            EXPECT_EQ(job, wanted) << label;
            // The job is the cleaner's: off the pending list and marked busy.
            EXPECT_TRUE(park.cleaning.IsCleanerCalled(job)) << label;
            EXPECT_EQ(park.cleaning.GetCleaningState(job), CleaningManager::CLEAN_ON_ROUTE) << label;
            if (urgent)
            {
                EXPECT_TRUE(cleaner->IsUrgentClean()) << label;
                EXPECT_EQ(cleaner->GetUrgentType(), c.expected) << label;
            }
            else
            {
                EXPECT_EQ(std::tuple(cleaner->FoundLitter(), cleaner->FoundBin(), cleaner->FoundToilet()),
                          std::tuple(c.expected == CleaningManager::JOB_LITTER, c.expected == CleaningManager::JOB_BIN,
                                     c.expected == CleaningManager::JOB_TOILET))
                    << label;
            }
        }
    }
}

// The call-cleaner button stands on the panel of every facility (cash machines, staff rooms, information): an urgent
// call on one that is no toilet is no job a cleaner can do, and must not shadow a toilet called before it.
TEST(CleanerJobs, AnUrgentCallOnABuildingThatIsNoToiletGivesNoJobAndTheCleanerStillSaves)
{
    const struct
    {
        const char* what;
        bool toiletCalledFirst;
        bool cleansToilets;
    } cases[] = {{"only the kiosk called", false, true},
                 {"a toilet called before the kiosk", true, true},
                 {"a toilet called for a cleaner who cleans no toilets", true, false}};
    for (const auto& c : cases)
    {
        StaffPark park;
        BuildingObject* toilet = park.Small("RESTSMALL", 12);
        BuildingObject* kiosk = park.Small("KIOSK", 14);
        park.Frames(10, 0.1f);
        if (c.toiletCalledFirst)
            park.cleaning.RequestUrgentCleaning(toilet->GetID());
        park.cleaning.RequestUrgentCleaning(kiosk->GetID());
        CleanerObject* cleaner = park.Cleaner();
        cleaner->SetCleanFlags(c.cleansToilets, true, true);
        cleaner->CallScriptFunction(SF_FindUrgentClean);
        if (c.toiletCalledFirst && c.cleansToilets)
        {
            EXPECT_EQ(cleaner->GetDestObject(), toilet->GetID()) << c.what;
            EXPECT_EQ(cleaner->GetUrgentType(), CleaningManager::JOB_TOILET) << c.what;
        }
        else
        {
            EXPECT_EQ(cleaner->GetDestObject(), kNoObjectID) << c.what;
            EXPECT_FALSE(cleaner->IsUrgentClean()) << c.what;
        }
        // The kiosk's call is left waiting, taken by nobody.
        EXPECT_EQ(park.cleaning.GetCleaningState(kiosk->GetID()), CleaningManager::CLEAN_REQUIRED) << c.what;
        // The cleaner's record loads back.
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { cleaner->Dump(s); });
        CleanerObject* other = park.Cleaner();
        EXPECT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return other->Load(s); })) << c.what;
    }
}

TEST(CleanerJobs, TheSeventhCleanOfADayReportsTheToiletBusyOnceOnTheNextFrame)
{
    StaffPark park;
    BuildingObject* toilet = park.Small("RESTSMALL", 12);
    CleanerObject* cleaner = park.Cleaner();
    cleaner->SetDestObject(toilet->GetID());
    std::vector<size_t> reports;
    for (int clean = 1; clean <= 8; ++clean)
    {
        cleaner->CallScriptFunction(SF_CleanToilet);
        const size_t before = park.Feedback("FEEDBACK_CLEANER_TOILETS_BUSY");
        cleaner->Update();
        cleaner->Update();
        reports.push_back(park.Feedback("FEEDBACK_CLEANER_TOILETS_BUSY") - before);
    }
    EXPECT_EQ(reports, (std::vector<size_t>{0, 0, 0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(cleaner->GetToiletsToday(), 8);
    EXPECT_EQ(toilet->GetTimesCleanedToday(), 8);
    // About the toilet, and the cleaner thinks it.
    EXPECT_EQ(park.feedback.GetLog().back().ID, toilet->GetID());
    EXPECT_EQ(platform::WString(cleaner->GetThought(0)), u"busy");
}

TEST(CleanerJobs, CleaningAToiletWaitsFifteenSecondsADirtAndTwoToFifteen)
{
    // truncate((1 - cleanliness) x 15), within 2 and 15.
    const std::pair<float, int32_t> cases[] = {{0.0f, 15}, {0.25f, 11}, {0.5f, 7},   {0.9f, 2},
                                               {0.95f, 2}, {1.0f, 2},   {-1.0f, 15}, {std::nanf(""), 15}};
    for (const auto& [cleanliness, seconds] : cases)
        EXPECT_EQ(CleanerObject::ToiletCleanSeconds(cleanliness), seconds) << cleanliness;
}

TEST(CleanerJobs, TheBinsFrontIsWhereTheCleanerWalksTo)
{
    StaffPark park;
    Stub* bin = park.At(OBJECT_SCENERY, "Bin", 10.0f, 20.0f);
    CleanerObject* cleaner = park.Cleaner();
    cleaner->SetDestObject(bin->GetID());
    cleaner->CallScriptFunction(SF_GoToBinFront);
    // The point the cleaner reads is the point it walks to: x 10, y 20.
    EXPECT_EQ(ScriptValueToInt(Read(*cleaner, SV_BinPosX)), 10u);
    EXPECT_EQ(ScriptValueToInt(Read(*cleaner, SV_BinPosY)), 20u);
    EXPECT_EQ(cleaner->GetDestination().x, 10.0f);
    EXPECT_EQ(cleaner->GetDestination().y, 20.0f);
}

TEST(CleanerJobs, RemovingTheSweptLitterDoesNotStartTheSweepAgain)
{
    StaffPark park;
    Stub* litter = park.At(OBJECT_LITTER, "Litter01", 48.0f, 460.0f);
    CleanerObject* cleaner = park.Cleaner();
    cleaner->SetState(STATE_CLEANER_CLEAN_LITTER);
    cleaner->SetDestObject(litter->GetID());
    cleaner->CallScriptFunction(SF_RemoveLitter);
    EXPECT_TRUE(litter->IsWaitingForDeath());
    // The litter's notice of its removal, as litter sends it to every cleaner, is no longer about the job.
    park.Send(litter->GetID(), cleaner->GetID(), MT_BUILDING_BEING_REMOVED);
    cleaner->CallScriptFunction(SF_RemoveLitter);
    EXPECT_EQ(cleaner->GetLitterToday(), 2);
    size_t demolished = 0;
    for (const bldtest::Received& r : Taken(MT_STATECHANGE, litter->GetID()))
        demolished += r.data == STATE_DEMOLISHED ? 1 : 0;
    EXPECT_EQ(demolished, 1u);
    EXPECT_EQ(park.CountReports("nested too deeply"), 0u);
}

TEST(CleanerJobs, RemoveLitterRemovesOnlyLitterWhateverTheCleanerIsHeadingFor)
{
    // A script may sweep where no litter is: the cleaner heads for a toilet, a guest, a bench, another cleaner or
    // nothing yet (the first object of the park), or for itself. Only litter is removed.
    enum Target
    {
        LITTER,
        BUILDING,
        GUEST,
        SCENERY,
        OTHER_CLEANER,
        ITSELF,
    };
    const struct
    {
        Target target;
        bool removed;
    } cases[] = {{LITTER, true},   {BUILDING, false},      {GUEST, false},
                 {SCENERY, false}, {OTHER_CLEANER, false}, {ITSELF, false}};
    for (const auto& c : cases)
    {
        StaffPark park;
        CleanerObject* cleaner = park.Cleaner();
        BaseObject* target = nullptr;
        switch (c.target)
        {
        case LITTER:
            target = park.At(OBJECT_LITTER, "Litter01", 48.0f, 460.0f);
            break;
        case BUILDING:
            target = park.Small("KIOSK", 10);
            break;
        case GUEST:
            target = park.At(OBJECT_GUEST, "MAN", 48.0f, 460.0f);
            break;
        case SCENERY:
            target = park.At(OBJECT_SCENERY, "BENCH", 48.0f, 460.0f);
            break;
        case OTHER_CLEANER:
            target = park.Cleaner(60.0f, 460.0f);
            break;
        case ITSELF:
            target = cleaner;
            break;
        }
        ASSERT_NE(target, nullptr) << c.target;
        cleaner->SetState(STATE_CLEANER_CLEAN_LITTER);
        cleaner->SetDestObject(target->GetID());
        const uint32_t state = target->GetState();
        cleaner->CallScriptFunction(SF_RemoveLitter);
        size_t demolished = 0;
        for (const bldtest::Received& r : Taken(MT_STATECHANGE, target->GetID()))
            demolished += r.data == STATE_DEMOLISHED ? 1 : 0;
        EXPECT_EQ(std::tuple(target->IsWaitingForDeath(), demolished),
                  std::tuple(c.removed, c.removed ? size_t{1} : size_t{0}))
            << c.target;
        if (!c.removed)
        {
            EXPECT_EQ(target->GetState(), state) << c.target;
        }
    }
}

// ---------------------------------------------------------------- pick-up

TEST(StaffPickUp, OnlyAWorkerOnItsWayOrWithoutAJobCanBePicked)
{
    const std::pair<uint32_t, bool> cleanerStates[] = {
        {STATE_NULL, true},
        {STATE_STARTUP, true},
        {STATE_CLEANER_CHOOSE_TASK, true},
        {STATE_CLEANER_GO_LITTER, true},
        {STATE_CLEANER_GO_TOILET, true},
        {STATE_CLEANER_GO_BIN, true},
        {STATE_CLEANER_IDLE, true},
        {STATE_CLEANER_CLEAN_LITTER, false},
        {STATE_CLEANER_CLEAN_TOILET, false},
        {STATE_STAFF_RESTING, false},
        {STATE_STAFF_BEING_PICKED, false},
    };
    const std::pair<uint32_t, bool> repairStates[] = {
        {STATE_NULL, true},
        {STATE_STARTUP, true},
        {STATE_MECHANIC_CHOOSE_JOB, true},
        {STATE_MECHANIC_GO_REPAIR, true},
        {STATE_MECHANIC_IDLE, true},
        {STATE_MECHANIC_REPAIR, false},
        {STATE_STAFF_GO_REST, false},
        {STATE_STAFF_FALLING_ON_SWORD, false},
    };
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner();
    auto* mechanic = park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC");
    auto* keeper = park.Hire<ZooKeeperObject>(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    auto* server = park.Hire<ServerObject>(OBJECT_SERVER, "SERVE1");
    for (const auto& [state, pickable] : cleanerStates)
    {
        cleaner->SetState(state);
        EXPECT_EQ(cleaner->CanBePicked(), pickable) << state;
        EXPECT_EQ(Keyword(*cleaner, "STAFF_CAN_PICK_STATE"), pickable ? u"1" : u"0") << state;
    }
    for (const auto& [state, pickable] : repairStates)
    {
        for (RepairStaffObject* worker :
             {static_cast<RepairStaffObject*>(mechanic), static_cast<RepairStaffObject*>(keeper)})
        {
            worker->SetState(state);
            EXPECT_EQ(worker->CanBePicked(), pickable) << state;
        }
    }
    EXPECT_FALSE(server->CanBePicked());
}

TEST(StaffPickUp, PickedUpTheWorkerGivesItsJobBackAndIsDroppedWhereThePlayerSays)
{
    StaffPark park;
    BuildingObject* toilet = park.Small("RESTSMALL", 12);
    park.cleaning.RequestCleaning(toilet->GetID());
    park.Frames(80, 0.1f);
    CleanerObject* cleaner = park.Cleaner();
    cleaner->CallScriptFunction(SF_FindBestScoredJob);
    ASSERT_EQ(cleaner->GetDestObject(), toilet->GetID());
    cleaner->SetVisible(true);
    // Cleaning, it cannot be picked: nothing happens.
    cleaner->SetState(STATE_CLEANER_CLEAN_TOILET);
    cleaner->PickUp();
    EXPECT_TRUE(cleaner->IsVisible());
    EXPECT_EQ(cleaner->GetState(), uint32_t{STATE_CLEANER_CLEAN_TOILET});
    // A drop without a pick-up does nothing either.
    cleaner->DropAt({100.0f, 200.0f, 0.0f});
    EXPECT_NE(cleaner->GetWorldPosition().x, 100.0f);

    cleaner->SetState(STATE_CLEANER_GO_TOILET);
    cleaner->PickUp();
    EXPECT_FALSE(cleaner->IsVisible());
    EXPECT_EQ(cleaner->GetState(), uint32_t{STATE_STAFF_BEING_PICKED});
    EXPECT_FALSE(park.cleaning.IsCleanerCalled(toilet->GetID()));
    EXPECT_TRUE(park.cleaning.HoldsRequest(toilet->GetID()));
    cleaner->DropAt({100.0f, 200.0f, 0.0f});
    EXPECT_TRUE(cleaner->IsVisible());
    EXPECT_EQ(cleaner->GetWorldPosition().x, 100.0f);
    EXPECT_EQ(cleaner->GetState(), uint32_t{STATE_CLEANER_CHOOSE_TASK});
}

// A worker dropped elsewhere stands in the cell it was dropped on and in no other: a cell that still listed it would
// keep its address after it is gone.
TEST(StaffPickUp, ADroppedWorkerIsListedInTheCellItWasDroppedOnOnly)
{
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner(40.0f, 480.0f);
    auto* mechanic = park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC", 40.0f, 480.0f);
    const platform::Vec3 drop = {300.0f, 200.0f, 0.0f};
    const GridPos from = WorldMap::WorldToGrid({40.0f, 480.0f, 0.0f});
    const GridPos to = WorldMap::WorldToGrid(drop);
    for (StaffObject* worker : {static_cast<StaffObject*>(cleaner), static_cast<StaffObject*>(mechanic)})
    {
        const auto listed = [&](const GridPos& cell)
        {
            const auto& objects = park.map->GetObjectsAt(cell);
            return std::find(objects.begin(), objects.end(), worker) != objects.end();
        };
        ASSERT_TRUE(listed(from)) << worker->GetType();
        worker->PickUp();
        ASSERT_EQ(worker->GetState(), uint32_t{STATE_STAFF_BEING_PICKED}) << worker->GetType();
        worker->DropAt(drop);
        EXPECT_EQ(worker->GetWorldPosition().x, drop.x) << worker->GetType();
        EXPECT_EQ(worker->GetWorldPosition().y, drop.y) << worker->GetType();
        EXPECT_FALSE(listed(from)) << worker->GetType();
        EXPECT_TRUE(listed(to)) << worker->GetType();
    }
}

// ---------------------------------------------------------------- the server

TEST(ShopServer, HandsTheGoodsOverTwoSecondsAfterPaymentAndTellsItsHome)
{
    StaffPark park;
    Stub* shop = park.Make(OBJECT_TABLE, "SHOP");
    Stub* guest = park.Make(OBJECT_GUEST);
    auto* server = park.Hire<ServerObject>(OBJECT_SERVER, "SERVE1");
    server->SetHome(shop->GetID());
    park.Send(shop->GetID(), server->GetID(), MT_SERVE_GUEST, guest->GetID(), 7);
    EXPECT_EQ(server->GetServeState(), 1u);
    park.Frames(19, 0.1f);
    EXPECT_TRUE(Taken(MT_SERVED_COMMOD, guest->GetID()).empty());
    park.Frames(2, 0.1f);
    ASSERT_EQ(Taken(MT_SERVED_COMMOD, guest->GetID()).size(), 1u);
    EXPECT_EQ(Taken(MT_SERVED_COMMOD, guest->GetID())[0].sender, server->GetID());
    EXPECT_EQ(Taken(MT_SERVED_COMMOD, guest->GetID())[0].data, guest->GetID());
    // The guest's word on the goods passes the serving on to the shop.
    park.Send(guest->GetID(), server->GetID(), MT_COMMOD_QUALITY);
    EXPECT_EQ(Taken(MT_GUEST_SERVED, shop->GetID()).size(), 1u);
    // The end of the serve animation stands it again.
    park.Send(server->GetID(), server->GetID(), MT_PLAYANIMATION, 0);
    EXPECT_EQ(server->GetServeState(), 0u);
}

// ---------------------------------------------------------------- save and load

TEST(StaffSave, TheKindsSavedAndLoadedAreTheSameAndTheirCountsStayTheLiveOnes)
{
    StaffPark park;
    const int32_t cleaners = CleanerObject::GetCount();
    const int32_t mechanics = MechanicObject::GetCount();
    CleanerObject* cleaner = park.Cleaner();
    park.Cleaner();
    auto* mechanic = park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC");
    park.Hire<ZooKeeperObject>(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    park.Hire<ServerObject>(OBJECT_SERVER, "SERVE1");
    cleaner->AddThought(CleanerObject::kFeedbackEmptyBin);
    cleaner->SetEnergy(0.25f);
    cleaner->SetCleanFlags(true, false, true);
    mechanic->SetJobFlags(MechanicObject::kTakesWatering);
    EXPECT_EQ(CleanerObject::GetCount(), cleaners + 2);
    EXPECT_EQ(MechanicObject::GetCount(), mechanics + 1);

    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); }));
    EXPECT_EQ(savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); }), saved);
    // Loading made the park's staff again: as many of each kind live as before.
    EXPECT_EQ(CleanerObject::GetCount(), cleaners + 2);
    EXPECT_EQ(MechanicObject::GetCount(), mechanics + 1);
    EXPECT_EQ(park.objects->CountObjectsOfKind(OBJECT_ZOOKEEPER), 1u);
    auto* loaded = static_cast<CleanerObject*>(park.objects->GetObjectsOfKind(OBJECT_CLEANER).at(0));
    EXPECT_EQ(platform::WString(loaded->GetThought(0)), u"bin");
    EXPECT_FLOAT_EQ(loaded->GetEnergy(), 0.25f);
    EXPECT_EQ(Keyword(*loaded, "CLEANER_LITTER"), u"0");
    EXPECT_EQ(Keyword(*loaded, "CLEANER_BINS"), u"1");
    auto* loadedMechanic = static_cast<MechanicObject*>(park.objects->GetObjectsOfKind(OBJECT_MECHANIC).at(0));
    EXPECT_EQ(loadedMechanic->GetJobFlags(), MechanicObject::kTakesWatering);
}

TEST(StaffSave, ARecordCutShortOrClaimingImpossibleCountsIsRefused)
{
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner();
    cleaner->SetEnergy(0.75f);
    const savebytes::Bytes good = savebytes::Saved([&](SerialStream& s) { cleaner->Dump(s); });
    CleanerObject* other = park.Cleaner();
    other->SetEnergy(0.5f);
    ASSERT_TRUE(savebytes::LoadFrom(good, [&](SerialStream& s) { return other->Load(s); }));
    EXPECT_FLOAT_EQ(other->GetEnergy(), 0.75f);
    other->SetEnergy(0.5f);
    // Cut anywhere, the record is refused and the cleaner kept as it was.
    for (size_t cut : {size_t{3}, good.size() / 2, good.size() - 2})
    {
        const savebytes::Bytes shortRecord(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_FALSE(savebytes::LoadFrom(shortRecord, [&](SerialStream& s) { return other->Load(s); })) << cut;
        EXPECT_FLOAT_EQ(other->GetEnergy(), 0.5f) << cut;
    }
    // The count of cleaners comes first (a signed word, tag 5): none, or more than the park can hold, is refused.
    ASSERT_EQ(good[0], 5);
    for (int32_t count : {0, -1, StaffObject::kMaxSavedStaff + 1})
    {
        savebytes::Bytes bad = good;
        for (int i = 0; i < 4; ++i)
            bad[1 + i] = uint8_t(uint32_t(count) >> (8 * i));
        EXPECT_FALSE(savebytes::LoadFrom(bad, [&](SerialStream& s) { return other->Load(s); })) << count;
    }
    EXPECT_FLOAT_EQ(other->GetEnergy(), 0.5f);
}

// The hourly wage is saved with the worker. A saved wage below nothing would have the worker pay the player every
// hour: such a record is refused, the worker kept as it was; a wage of nothing or more loads.
TEST(StaffSave, ARecordWhoseWageIsBelowNothingIsRefused)
{
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner();
    ASSERT_EQ(cleaner->GetWage(), 6);
    const savebytes::Bytes good = savebytes::Saved([&](SerialStream& s) { cleaner->Dump(s); });
    // The home (none yet, an unsigned word) and then the wage, 6 (a signed word, tag 5).
    const uint8_t homeThenWage[] = {0xFF, 0xFF, 0xFF, 0xFF, 5, 6, 0, 0, 0};
    const auto at = std::search(good.begin(), good.end(), std::begin(homeThenWage), std::end(homeThenWage));
    ASSERT_NE(at, good.end());
    const size_t wage = static_cast<size_t>(at - good.begin()) + 5;
    struct Case
    {
        int32_t wage;
        bool loads;
    };
    const Case cases[] = {{-6, false}, {std::numeric_limits<int32_t>::min(), false}, {0, true}, {9, true}};
    for (const Case& c : cases)
    {
        savebytes::Bytes record = good;
        for (int i = 0; i < 4; ++i)
            record[wage + static_cast<size_t>(i)] = uint8_t(uint32_t(c.wage) >> (8 * i));
        CleanerObject* other = park.Cleaner();
        EXPECT_EQ(savebytes::LoadFrom(record, [&](SerialStream& s) { return other->Load(s); }), c.loads) << c.wage;
        EXPECT_EQ(other->GetWage(), c.loads ? c.wage : 6) << c.wage;
        // An hour never pays the player.
        park.world->GetPlayer()->Cash = 1000.0f;
        other->Message({kWorldID, other->GetID(), MT_NEW_HOUR, 0, 0});
        EXPECT_LE(park.Cash(), 1000.0f) << c.wage;
    }
}

} // namespace

// ---------------------------------------------------------------- mechanics and zookeepers

namespace
{

// Calls of FindJob that found a job, each given back before the next.
int FoundOf(StaffPark& park, MechanicObject& mechanic, int calls)
{
    int found = 0;
    for (int i = 0; i < calls; ++i)
    {
        mechanic.CallScriptFunction(SF_FindJob);
        if (!mechanic.FoundRepair())
            continue;
        ++found;
        park.mechanics.ReturnJob(mechanic.GetDestObject(), mechanic.GetRepairType());
    }
    return found;
}

TEST(MechanicJobs, FindJobWatersOnlyWithWateringOnAndRepairsOnlyWithRepairsOn)
{
    StaffPark park;
    park.At(OBJECT_SCENERY, "PLANT", 60.0f, 480.0f);
    auto* mechanic = park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC");
    // Watering off: never a plant.
    mechanic->SetJobFlags(MechanicObject::kTakesRepairs);
    EXPECT_EQ(FoundOf(park, *mechanic, 200), 0);
    // Repairs off: only plants, on about one call in five (a draw of 0 to 99 above 80: 19 in 100).
    BuildingObject* kiosk = park.Small("KIOSK", 12);
    park.mechanics.RequestRepair(kiosk->GetID(), RepairManager::REPAIR_BREAKDOWN);
    park.Frames(80, 0.1f);
    mechanic->SetJobFlags(MechanicObject::kTakesWatering);
    const int watered = FoundOf(park, *mechanic, 400);
    EXPECT_GT(watered, 40);
    EXPECT_LT(watered, 120);
    EXPECT_EQ(park.mechanics.GetPending().size(), 1u);
    // Both on: the breakdown is taken, the plant's repairing flag set on the job's object.
    mechanic->SetJobFlags(MechanicObject::kTakesRepairs);
    mechanic->CallScriptFunction(SF_FindJob);
    EXPECT_TRUE(mechanic->FoundRepair());
    EXPECT_EQ(mechanic->GetDestObject(), kiosk->GetID());
    EXPECT_EQ(mechanic->GetRepairType(), uint32_t{RepairManager::REPAIR_BREAKDOWN});
    EXPECT_TRUE(kiosk->IsRepairing());
    // Started and finished: a repair counted, the job gone from the board.
    mechanic->CallScriptFunction(SF_Repairing);
    mechanic->CallScriptFunction(SF_FinishedRepairs);
    EXPECT_EQ(mechanic->GetRepairsToday(), 1u);
    EXPECT_EQ(mechanic->GetDestObject(), kNoObjectID);
    EXPECT_FALSE(park.mechanics.HoldsRequest(kiosk->GetID()));
}

TEST(MechanicJobs, AWateringMechanicWhosePlantGoesChoosesAgainAndStandsBesideThePlant)
{
    StaffPark park;
    Stub* plant = park.At(OBJECT_SCENERY, "PLANT", 100.0f, 200.0f);
    plant->SetGridW(1);
    plant->SetGridH(1);
    auto* mechanic = park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC", 110.0f, 210.0f);
    mechanic->SetJobFlags(MechanicObject::kTakesWatering);
    for (int i = 0; i < 100 && !mechanic->FoundRepair(); ++i)
        mechanic->CallScriptFunction(SF_FindJob);
    ASSERT_TRUE(mechanic->FoundRepair());
    ASSERT_EQ(mechanic->GetDestObject(), plant->GetID());
    // Half a cell (32 by 64 map units) from the plant's corner.
    mechanic->CallScriptFunction(SF_GetWateringPos);
    EXPECT_EQ(ScriptValueToInt(Read(*mechanic, SV_WateringPosX)), 116u);
    EXPECT_EQ(ScriptValueToInt(Read(*mechanic, SV_WateringPosY)), 232u);
    mechanic->SetState(STATE_MECHANIC_REPAIR);
    park.Send(plant->GetID(), mechanic->GetID(), MT_BUILDING_BEING_REMOVED);
    EXPECT_EQ(mechanic->GetState(), uint32_t{STATE_MECHANIC_CHOOSE_JOB});
    EXPECT_FALSE(park.mechanics.IsAssigned(plant->GetID()));
}

TEST(MechanicFeedback, OneTooBusyReachesThePlayerADayWhateverTheNumberOfMechanics)
{
    StaffPark park;
    BuildingObject* kiosk = park.Small("KIOSK", 12);
    park.mechanics.RequestRepair(kiosk->GetID(), RepairManager::REPAIR_BREAKDOWN);
    std::vector<MechanicObject*> mechanics;
    for (int i = 0; i < 3; ++i)
        mechanics.push_back(park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC"));
    const auto day = [&]
    {
        for (int shift = 0; shift < 2; ++shift)
        {
            for (MechanicObject* m : mechanics)
            {
                m->CallScriptFunction(SF_EndShift);
                m->Update();
                m->Update();
            }
        }
    };
    day();
    EXPECT_EQ(park.Feedback("FEEDBACK_MECHANIC_TOO_BUSY"), 1u);
    EXPECT_EQ(park.feedback.GetLog().back().ID, mechanics[0]->GetID());
    // The others only think it.
    for (MechanicObject* m : mechanics)
        EXPECT_EQ(Keyword(*m, "STAFF_FEEDBACK_MESS0"), u"too busy");
    for (MechanicObject* m : mechanics)
        park.Send(kWorldID, m->GetID(), MT_NEW_DAY);
    day();
    EXPECT_EQ(park.Feedback("FEEDBACK_MECHANIC_TOO_BUSY"), 2u);
}

TEST(ZooKeeperJobs, AKeeperTakesOnlyExhibitVisitsFromItsOwnBoardAndNeverWaters)
{
    StaffPark park;
    park.At(OBJECT_SCENERY, "PLANT", 60.0f, 480.0f);
    BuildingObject* kiosk = park.Small("KIOSK", 12);
    BuildingObject* pool = park.Small("POOL", 14);
    park.mechanics.RequestRepair(kiosk->GetID(), RepairManager::REPAIR_BREAKDOWN);
    park.Frames(80, 0.1f);
    auto* keeper = park.Hire<ZooKeeperObject>(OBJECT_ZOOKEEPER, "ZOOKEEPER");
    keeper->CallScriptFunction(SF_FindJob);
    EXPECT_FALSE(keeper->FoundRepair());
    EXPECT_EQ(park.mechanics.GetPending().size(), 1u);
    for (int i = 0; i < 50; ++i)
    {
        keeper->CallScriptFunction(SF_LookWatering);
        EXPECT_FALSE(keeper->FoundRepair());
    }
    park.zoo.RequestRepair(pool->GetID(), RepairManager::REPAIR_ZOO_VISIT);
    park.Frames(80, 0.1f);
    keeper->CallScriptFunction(SF_FindJob);
    ASSERT_TRUE(keeper->FoundRepair());
    EXPECT_EQ(keeper->GetDestObject(), pool->GetID());
    EXPECT_EQ(keeper->GetRepairType(), uint32_t{RepairManager::REPAIR_ZOO_VISIT});
    keeper->CallScriptFunction(SF_Repairing);
    keeper->CallScriptFunction(SF_FinishedRepairs);
    EXPECT_EQ(keeper->GetInspectionsToday(), 1u);
    EXPECT_EQ(platform::WString(keeper->GetThought(0)), u"zoo");
    EXPECT_FALSE(park.zoo.HoldsRequest(pool->GetID()));
    EXPECT_EQ(Keyword(*keeper, "INSPECT_TODAY"), u"1");
}

} // namespace

// ---------------------------------------------------------------- points and figures beyond what a word counts

namespace
{

// The whole number a script reads, as the signed word it is.
int32_t Whole(BaseObject& object, uint32_t id)
{
    return static_cast<int32_t>(ScriptValueToInt(Read(object, id)));
}

// Points a worker reads for its walks lie on their own side of the map however far off they are: east and north
// of it read as above nothing, west and south as below nothing. Bins and plants stand where they were put.
TEST(StaffScriptReads, PointsFarOffTheMapReadOnTheirOwnSide)
{
    enum class Point
    {
        Bin,
        Watering,
    };
    const struct
    {
        const char* what;
        Point point;
        float x, y;
    } cases[] = {
        {"a bin far to the north-east", Point::Bin, 3.0e9f, 5.0e9f},
        {"a bin far to the south-west", Point::Bin, -3.0e9f, -5.0e9f},
        {"a plant far to the north-east", Point::Watering, 3.0e9f, 5.0e9f},
        {"a plant far to the south-west", Point::Watering, -3.0e9f, -5.0e9f},
    };
    for (const auto& c : cases)
    {
        StaffPark park;
        int32_t x = 0, y = 0;
        switch (c.point)
        {
        case Point::Bin:
        {
            Stub* bin = park.At(OBJECT_SCENERY, "Bin", c.x, c.y);
            CleanerObject* cleaner = park.Cleaner();
            cleaner->SetDestObject(bin->GetID());
            cleaner->CallScriptFunction(SF_GoToBinFront);
            x = Whole(*cleaner, SV_BinPosX);
            y = Whole(*cleaner, SV_BinPosY);
            break;
        }
        case Point::Watering:
        {
            Stub* plant = park.At(OBJECT_SCENERY, "PLANT", c.x, c.y);
            plant->SetGridW(1);
            plant->SetGridH(1);
            auto* mechanic = park.Hire<MechanicObject>(OBJECT_MECHANIC, "MECHANIC");
            mechanic->SetDestObject(plant->GetID());
            mechanic->CallScriptFunction(SF_GetWateringPos);
            x = Whole(*mechanic, SV_WateringPosX);
            y = Whole(*mechanic, SV_WateringPosY);
            break;
        }
        }
        EXPECT_EQ(x > 0, c.x > 0.0f) << c.what << ": " << x;
        EXPECT_EQ(y > 0, c.y > 0.0f) << c.what << ": " << y;
    }
}

// The staff panel shows a worker's figures in full, however large a loaded record or a script made them.
TEST(StaffPanel, LargeFiguresShowInFull)
{
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner();
    // An energy of 25 million is 2.5 billion per cent.
    cleaner->SetEnergy(2.5e7f);
    EXPECT_EQ(Keyword(*cleaner, "STAFF_ENERGY_PERCENT"), u"2500000000%");
    cleaner->SetEnergy(-2.5e7f);
    EXPECT_EQ(Keyword(*cleaner, "STAFF_ENERGY_PERCENT"), u"-2500000000%");

    // A saved wage of 300 million an hour: ten hours of it are 3 billion.
    const savebytes::Bytes good = savebytes::Saved([&](SerialStream& s) { cleaner->Dump(s); });
    const uint8_t homeThenWage[] = {0xFF, 0xFF, 0xFF, 0xFF, 5, 6, 0, 0, 0};
    const auto at = std::search(good.begin(), good.end(), std::begin(homeThenWage), std::end(homeThenWage));
    ASSERT_NE(at, good.end());
    const size_t wage = static_cast<size_t>(at - good.begin()) + 5;
    const struct
    {
        int32_t wage;
        const char16_t* hour;
        const char16_t* tenHours;
    } cases[] = {
        {300000000, u"300000000", u"$3000000000"},
        {std::numeric_limits<int32_t>::max(), u"2147483647", u"$21474836470"},
    };
    for (const auto& c : cases)
    {
        savebytes::Bytes record = good;
        for (int i = 0; i < 4; ++i)
            record[wage + static_cast<size_t>(i)] = uint8_t(uint32_t(c.wage) >> (8 * i));
        CleanerObject* other = park.Cleaner();
        ASSERT_TRUE(savebytes::LoadFrom(record, [&](SerialStream& s) { return other->Load(s); })) << c.wage;
        EXPECT_EQ(Keyword(*other, "STAFF_WAGES"), c.hour) << c.wage;
        EXPECT_EQ(Keyword(*other, "STAFF_DAY_WAGES_$"), c.tenHours) << c.wage;
    }
}

// A worker is kept on the map as it walks, but the wander point of a loaded record may lie anywhere: it too reads on
// its own side of the map.
TEST(StaffSave, ALoadedWanderPointFarOffTheMapReadsOnItsOwnSide)
{
    StaffPark park;
    CleanerObject* cleaner = park.Cleaner();
    const savebytes::Bytes good = savebytes::Saved([&](SerialStream& s) { cleaner->Dump(s); });
    // The home (none yet) and the wage, 6; then the walk point, the energy, the day of hiring, the last action and the
    // number of thoughts; then the wander point's x and y: each a tag and a word.
    const uint8_t homeThenWage[] = {0xFF, 0xFF, 0xFF, 0xFF, 5, 6, 0, 0, 0};
    const auto at = std::search(good.begin(), good.end(), std::begin(homeThenWage), std::end(homeThenWage));
    ASSERT_NE(at, good.end());
    const size_t wanderX = static_cast<size_t>(at - good.begin()) + 5 + 4 + 5 * 5 + 1;
    const size_t wanderY = wanderX + 5;
    const struct
    {
        float x, y;
        int32_t sign; // of both readings; 0: they read as the point itself
    } cases[] = {
        {100.0f, 200.0f, 0},
        {3.0e9f, 5.0e9f, 1},
        {-3.0e9f, -5.0e9f, -1},
    };
    for (const auto& c : cases)
    {
        savebytes::Bytes record = good;
        uint32_t x = 0, y = 0;
        std::memcpy(&x, &c.x, sizeof x);
        std::memcpy(&y, &c.y, sizeof y);
        for (int i = 0; i < 4; ++i)
        {
            record[wanderX + static_cast<size_t>(i)] = uint8_t(x >> (8 * i));
            record[wanderY + static_cast<size_t>(i)] = uint8_t(y >> (8 * i));
        }
        CleanerObject* other = park.Cleaner();
        ASSERT_TRUE(savebytes::LoadFrom(record, [&](SerialStream& s) { return other->Load(s); })) << c.x;
        const int32_t readX = Whole(*other, SV_WanderPosX);
        const int32_t readY = Whole(*other, SV_WanderPosY);
        if (c.sign == 0)
        {
            EXPECT_EQ(readX, 100) << c.x;
            EXPECT_EQ(readY, 200) << c.x;
        }
        else
        {
            EXPECT_EQ(readX > 0, c.sign > 0) << c.x << ": " << readX;
            EXPECT_EQ(readY > 0, c.sign > 0) << c.x << ": " << readY;
        }
    }
}

} // namespace
