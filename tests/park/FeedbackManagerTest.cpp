// Tests of the feedback manager: messages shown at once or queued, the log the ticker walks, suppressed types,
// the staff's message bits and the half-hourly report of missed desires.
#include "platform/Random.h"
#include "tests/park/JobsTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace jobstest;

namespace
{

class Feedback : public testing::Test
{
protected:
    // Runs the clock on to the hour of day (the next day's when it is past), then the manager's step.
    void At(float hour)
    {
        float seconds = std::fmod(hour - park.world->GetGameDayTime() + 24.0f, 24.0f) * 10.0f;
        for (; seconds > 0.0f; seconds -= 4.0f)
            park.world->AdvanceClock(std::min(seconds, 4.0f));
        feedback.Update();
    }

    JobPark park;
    Gui gui;
    FeedbackManager& feedback = park.feedback;
};

TEST_F(Feedback, ShowsAtOnceOrQueuesAndLogsWhatWasShown)
{
    const auto texts = MakeTexts(park.dir, u"HELLO=Hello");
    // With the box free a message shows at once for two seconds and is logged.
    park.world->EmitTicker("HELLO");
    ASSERT_EQ(gui.shown.size(), 1u);
    EXPECT_EQ(gui.shown[0], std::make_pair(platform::WString(u"HELLO"), 2.0f));
    EXPECT_TRUE(feedback.GetQueue().empty());
    float time = 0;
    uint32_t day = 9;
    uint32_t id = 0;
    EXPECT_EQ(platform::WString(feedback.GetFirstMessage(time, day, id)), u"Hello");
    EXPECT_EQ(id, FeedbackManager::kParkID);
    EXPECT_EQ(day, 0u);
    EXPECT_FLOAT_EQ(time, 9.0f);

    // A busy box: 20 messages leave the newest 16 in the queue.
    gui.boxFree = false;
    for (uint32_t i = 0; i < 20; ++i)
        feedback.AddWideMessage(platform::AnsiToWide(std::to_string(i).c_str()).c_str(), 100 + i, 7);
    ASSERT_EQ(feedback.GetQueue().size(), 16u);
    EXPECT_EQ(feedback.GetQueue().front().ID, 104u);
    feedback.Update();
    EXPECT_EQ(gui.shown.size(), 1u);
    // One a step once the box is free: a second long while more than five wait.
    gui.boxFree = true;
    for (int step = 0; step < 16; ++step)
        feedback.Update();
    ASSERT_EQ(gui.shown.size(), 17u);
    for (size_t i = 1; i < 17; ++i)
        EXPECT_EQ(gui.shown[i],
                  std::make_pair(platform::AnsiToWide(std::to_string(i + 3).c_str()), i <= 11 ? 1.0f : 2.0f))
            << i;
    // The log keeps the last six, oldest first; the ticker walks them and stops at the end.
    ASSERT_EQ(feedback.GetLog().size(), 6u);
    feedback.ForgetObject(115);
    std::vector<uint32_t> ids;
    for (const char16_t* t = feedback.GetFirstMessage(time, day, id); t; t = feedback.GetNextMessage(time, day, id))
        ids.push_back(id);
    EXPECT_EQ(ids, (std::vector<uint32_t>{114, FeedbackManager::kGoneID, 116, 117, 118, 119}));
    EXPECT_EQ(feedback.GetNextMessage(time, day, id), nullptr);

    // Queued messages can be taken back by object or by text id.
    gui.boxFree = false;
    feedback.AddMessage("FEEDBACK_NO_CLEANERS", 5, 9);
    feedback.AddMessage("FEEDBACK_NO_MECHANICS", 6, 8);
    feedback.AddWideMessage(u"FEEDBACK_NO_CLEANERS", 7, 9);
    feedback.AddMessage("FEEDBACK_NO_STAFF", 8, 7);
    feedback.RemoveMessagesWithText("FEEDBACK_NO_CLEANERS");
    feedback.RemoveObjectMessages(6);
    ASSERT_EQ(feedback.GetQueue().size(), 2u);
    EXPECT_EQ(std::pair(feedback.GetQueue()[0].ID, feedback.GetQueue()[1].ID), std::pair(7u, 8u));
}

TEST_F(Feedback, AQueuedMessageIsLoggedWhenItIsShown)
{
    // Queued at 09:00 on day 0 behind a busy box, shown at 02:30 on day 1.
    gui.boxFree = false;
    feedback.AddMessage("LATER", 3, FeedbackManager::MESSAGE_BUILDING);
    feedback.AddWideMessage(u"After", 4, FeedbackManager::MESSAGE_BUILDING);
    At(23.0f);
    gui.boxFree = true;
    At(2.5f);
    ASSERT_EQ(feedback.GetLog().size(), 1u);
    const FeedbackManager::Message& logged = feedback.GetLog()[0];
    EXPECT_EQ(std::tuple(logged.ID, logged.textId, logged.bWide, logged.day),
              std::tuple(3u, std::string("LATER"), false, 1u));
    EXPECT_NEAR(logged.time, 2.5f, 0.01f);
    // The next one, a text of its own, a step later.
    feedback.Update();
    ASSERT_EQ(feedback.GetLog().size(), 2u);
    EXPECT_EQ(std::tuple(feedback.GetLog()[1].ID, feedback.GetLog()[1].wideText, feedback.GetLog()[1].bWide),
              std::tuple(4u, std::u16string(u"After"), true));
    EXPECT_TRUE(feedback.GetQueue().empty());

    // The ticker on the second message goes on to a third logged meanwhile.
    float time = 0.0f;
    uint32_t day = 0, id = 0;
    feedback.GetFirstMessage(time, day, id);
    feedback.GetNextMessage(time, day, id);
    feedback.AddMessage("THIRD", 5, FeedbackManager::MESSAGE_BUILDING);
    ASSERT_NE(feedback.GetNextMessage(time, day, id), nullptr);
    EXPECT_EQ(id, 5u);
}

TEST_F(Feedback, SuppressesTheScenariosTypesAndKeepsTheStaffsBits)
{
    const struct
    {
        const char* keyword;
        uint32_t type;
    } cases[] = {{"MESS_TYPE_SCENERY", 3}, {"MESS_TYPE_BUILDING", 4}, {"MESS_TYPE_GUEST", 5},  {"MESS_TYPE_VEHICLE", 6},
                 {"MESS_TYPE_STAFF", 7},   {"MESS_TYPE_MECHANIC", 8}, {"MESS_TYPE_CLEANER", 9}};
    for (const auto& c : cases)
    {
        FeedbackManager one;
        one.SuppressMessageType(c.keyword);
        for (uint32_t type = 0; type < 12; ++type)
            EXPECT_EQ(one.IsSuppressed(1, type), type == c.type) << c.keyword << " " << type;
        // Only the low byte of a type counts.
        EXPECT_TRUE(one.IsSuppressed(1, 0x300 | c.type)) << c.keyword;
        // A type's key leaves the world and object flags alone.
        EXPECT_FALSE(one.IsWorldSuppressed() || one.IsObjectSuppressed()) << c.keyword;
    }
    // The world and object keys only set their flags: tickers still pass.
    for (const char* keyword :
         {"MESS_TYPE_WORLD", "MESS_TYPE_OBJECT", "MESS_TYPE_NONE", static_cast<const char*>(nullptr)})
        feedback.SuppressMessageType(keyword);
    EXPECT_TRUE(feedback.IsWorldSuppressed() && feedback.IsObjectSuppressed());
    EXPECT_EQ(feedback.GetSuppressedCount(), 0u);
    park.world->EmitTicker("TICKER");
    feedback.SuppressMessageType("MESS_TYPE_BUILDING");
    feedback.AddMessage("BROKEN", 1, 4);
    ASSERT_EQ(feedback.GetLog().size(), 1u);
    EXPECT_EQ(feedback.GetLog()[0].textId, "TICKER");
    for (int i = 0; i < 120; ++i)
        feedback.SuppressMessageType("MESS_TYPE_GUEST");
    EXPECT_EQ(feedback.GetSuppressedCount(), 100u);

    // Each staff kind has its own word of bits; other kinds have none.
    feedback.SetStaffMessageBits(0x3, OBJECT_CLEANER);
    feedback.SetStaffMessageBits(0x4, OBJECT_CLEANER);
    feedback.SetStaffMessageBits(0x10, OBJECT_MECHANIC);
    feedback.SetStaffMessageBits(0x20, OBJECT_SERVER);
    feedback.SetStaffMessageBits(0x40, OBJECT_GUEST);
    feedback.ClearStaffMessages(OBJECT_MECHANIC);
    EXPECT_EQ(feedback.GetStaffMessageBits(OBJECT_CLEANER), 0x7u);
    EXPECT_EQ(feedback.GetStaffMessageBits(OBJECT_MECHANIC), 0u);
    EXPECT_EQ(feedback.GetStaffMessageBits(OBJECT_SERVER), 0x20u);
    EXPECT_EQ(feedback.GetStaffMessageBits(OBJECT_GUEST), 0u);
}

TEST_F(Feedback, ReportsDesiresMissedMoreThanTenTimesEveryHalfHour)
{
    const auto miss = [&](uint32_t desire, int times)
    {
        for (int i = 0; i < times; ++i)
            feedback.CountMissedDesire(desire);
    };
    miss(0, 10);
    miss(7, 11);
    miss(10, 12);
    miss(11, 50);
    platform::SRand(7);
    platform::RandomGenerator draws(7);
    At(23.0f + 50.0f / 60.0f);
    // One of three variants each, in desire order.
    std::vector<std::string> expected;
    for (const char* name : {"TOILET", "QUEUE"})
        expected.push_back(std::string("FEEDBACK_MISSED_") + name + "_" + std::to_string(draws.Next() % 3 + 1));
    ASSERT_EQ(feedback.GetLog().size(), 2u);
    for (size_t i = 0; i < 2; ++i)
    {
        EXPECT_EQ(feedback.GetLog()[i].textId, expected[i]);
        EXPECT_EQ(feedback.GetLog()[i].ID, FeedbackManager::kParkID);
    }
    EXPECT_EQ(feedback.GetMissedDesireCount(0), 10u);
    EXPECT_EQ(feedback.GetMissedDesireCount(7), 0u);
    // Across midnight: not yet at 00:15, at 00:25.
    miss(3, 11);
    At(0.25f);
    EXPECT_EQ(feedback.GetLog().size(), 2u);
    At(25.0f / 60.0f);
    ASSERT_EQ(feedback.GetLog().size(), 3u);
    EXPECT_EQ(feedback.GetLog()[2].textId.rfind("FEEDBACK_MISSED_ANIMAL_SHOW_", 0), 0u);
    EXPECT_EQ(feedback.GetLog()[2].day, 1u);
}

// The hour of the last missed-desire check comes back with a saved game. One that is no hour of the day (nor a new
// park's mark) must not hold the check back for good: the desires missed are told as in a new park, which checks
// once the day is past half past one. A real hour is kept: a quarter of an hour after it there is no check yet.
TEST_F(Feedback, ASavedLastCheckThatIsNoHourOfTheDayDoesNotHoldTheCheckBack)
{
    using namespace savebytes;
    const Bytes fresh = Saved([&](SerialStream& s) { feedback.Dump(s); });
    // The float of a new manager's last check, 25.0, with its tag.
    const uint8_t mark[] = {3, 0x00, 0x00, 0xC8, 0x41};
    const auto at = std::search(fresh.begin(), fresh.end(), std::begin(mark), std::end(mark));
    ASSERT_NE(at, fresh.end());
    const struct
    {
        float lastChecked;
        bool told;
    } cases[] = {{1.0e30f, true}, {30.0f, true}, {-5.0f, true}, {25.0f, true}, {2.75f, false}};
    for (const auto& c : cases)
    {
        Bytes record = fresh;
        std::memcpy(&record[static_cast<size_t>(at - fresh.begin()) + 1], &c.lastChecked, sizeof(float));
        ASSERT_TRUE(LoadFrom(record, [&](SerialStream& s) { return feedback.Load(s); })) << c.lastChecked;
        for (int i = 0; i < 11; ++i)
            feedback.CountMissedDesire(7);
        At(3.0f);
        bool told = false;
        for (const FeedbackManager::Message& m : feedback.GetLog())
            told = told || m.textId.rfind("FEEDBACK_MISSED_TOILET_", 0) == 0;
        EXPECT_EQ(told, c.told) << c.lastChecked;
    }
}

} // namespace
