// Tests of the guest panel: the values it reads by keyword, thoughts about buildings that have gone, table texts
// used as formats through the checked formatter, visited buildings out of range, the activity of each state, and
// the opening and closing of the panel.
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "tests/park/GuestTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

using namespace guesttest;

namespace
{

using D = GuestObject;

std::u16string Answer(GuestObject& guest, const char* keyword)
{
    platform::WString text = u"(unchanged)";
    guest.GetVariable(keyword, text);
    return text;
}

TEST(GuestPanel, AnswersItsKeywordsWithTheGuestsValues)
{
    GuestPark park(48);
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    const float opinions[D::OPINION_COUNT] = {0.1f, 0.25f, 0.5f, 0.75f, 1.0f, 0.4f};
    for (int o = 0; o < D::OPINION_COUNT; ++o)
        guest->SetOpinion(o, opinions[o]);
    guest->UpdateHappiness();
    guest->SetCash(42.99f);
    for (int d = 0; d < D::DESIRE_COUNT; ++d)
        guest->SetDesire(d, 0.1f * d);
    guest->SetDesire(D::DESIRE_TOILET, 0.9f);
    guest->SetDesire(D::DESIRE_CASH, 0.0f);
    const std::pair<const char*, std::u16string> cases[] = {
        {"GUEST_NAME", u"Arlo Holt"},
        {"GUEST_OPINION_BEAUTY", u"0.10"},
        {"GUEST_OPINION_CROWDING", u"0.25"},
        {"GUEST_OPINION_WELFARE", u"0.50"},
        {"GUEST_OPINION_PRICE", u"0.75"},
        {"GUEST_OPINION_VARIETY", u"1.00"},
        {"GUEST_OPINION_CLEANLINESS", u"0.40"},
        {"GUEST_OPINION_OVERALL", u"0.50"},
        {"GUEST_HAPPY_VALUE", u"0.50"},
        {"GUEST_HAPPY_PERCENT", u"50%"},
        {"GUEST_CASH", u"$42"},
        {"GUEST_DESIRE_MEALS", u"0.00"},
        {"GUEST_DESIRE_RIDE", u"0.50"},
        {"GUEST_DESIRE_REST", u"0.80"},
        {"GUEST_DESIRE_0", u"want TOILET"},
        {"GUEST_DESIRE_INTEN_RETAIL", u"0.50"},
        {"GUEST_BEST_TODAY", u"(unchanged)"},
        {"INVENTORY", u"nothing"},
        {"GUEST_THOUGHT_0", u""},
        {"VISITED_NAME_0", u""},
        {"VISITED_NAME_-1", u""},
        {"VISITED_NAME_", u""},
        {"VISITED_NAME_99999999999999999999", u""},
    };
    for (const auto& [keyword, expected] : cases)
        EXPECT_EQ(Answer(*guest, keyword), expected) << keyword;
    // The growth per day of a desire: the rate (per game second) times the day's length.
    const float perDay = guest->GetDesireRate(D::DESIRE_SNACKS) * static_cast<float>(park.world->GetDayLength());
    char expected[16];
    std::snprintf(expected, sizeof expected, "%.2f", perDay);
    EXPECT_EQ(Answer(*guest, "GUEST_DESIRE_LEVEL_SNACKS"), std::u16string(expected, expected + std::strlen(expected)));
    EXPECT_TRUE(park.reports.boxes.empty());

    // A keyword the panel does not know is reported and leaves the text as it was.
    for (const char* keyword : {"GUEST_DESIRE_LEVEL_CASH", "GUEST_OPINION_MOOD", "GUEST_THOUGHT_3", "NONSENSE"})
    {
        EXPECT_EQ(Answer(*guest, keyword), u"(unchanged)") << keyword;
        EXPECT_EQ(park.CountReports(std::string("GuestObject::GetVariable - data keyword not recognised - ") + keyword),
                  1u)
            << keyword;
    }
}

// Cash and happiness past what a whole number holds (a script may set either to anything) are shown as the largest
// (or smallest) whole number, never as one the conversion makes up.
TEST(GuestPanel, CashAndHappinessBeyondAnyWholeNumberAreShownAtItsEnds)
{
    const struct
    {
        float value;
        const char16_t* cash;
        const char16_t* happy;
    } cases[] = {
        {1.0e10f, u"$2147483647", u"2147483647%"},
        {-1.0e10f, u"$-2147483648", u"-2147483648%"},
        {1.0e30f, u"$2147483647", u"2147483647%"},
    };
    for (const auto& c : cases)
    {
        GuestPark park(48);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        guest->SetCash(c.value);
        EXPECT_EQ(Answer(*guest, "GUEST_CASH"), c.cash) << c.value;
        for (int o = 0; o < D::OPINION_COUNT; ++o)
            guest->SetOpinion(o, c.value);
        guest->UpdateHappiness();
        EXPECT_EQ(Answer(*guest, "GUEST_HAPPY_PERCENT"), c.happy) << c.value;
    }
}

TEST(GuestPanel, HoursAndInventoryUseTheTableTextsAsCheckedFormats)
{
    struct Case
    {
        int hours;
        bool map;
        int souvenirs;
        const char16_t* hoursText;
        const char16_t* inventory;
    };
    const Case cases[] = {{0, false, 0, u"0 hours", u"nothing"},
                          {1, false, 2, u"one hour", u"2 souvenirs"},
                          {5, true, 2, u"5 hours", u"a map and 2 souvenirs"},
                          {23, true, 0, u"23 hours", u"a map"}};
    for (const Case& c : cases)
    {
        GuestPark park(48);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        park.world->SetGameTime(guest->GetTimeArrived() + 10.0 * c.hours + 1.0);
        guest->SetHasMap(c.map);
        guest->SetSouvenirs(c.souvenirs);
        EXPECT_EQ(Answer(*guest, "GUEST_HOURS_IN_PARK"), c.hoursText) << c.hours;
        EXPECT_EQ(Answer(*guest, "INVENTORY"), c.inventory) << c.hours;
    }
    // A text that asks for a text where the number is given is printed as it stands.
    GuestPark park(48);
    const auto texts = jobstest::MakeTexts(park.dir, u"GP_HOURS=%s hours|GP_INVENTORY_JUSTSOUVENIRS=%s%s%n bits");
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    park.world->SetGameTime(guest->GetTimeArrived() + 30.0);
    guest->SetSouvenirs(4);
    EXPECT_EQ(Answer(*guest, "GUEST_HOURS_IN_PARK"), u"%s hours");
    EXPECT_EQ(Answer(*guest, "INVENTORY"), u"%s%s%n bits");
}

TEST(GuestPanel, ThoughtsAboutBuildingsNameThemAndGoWithThem)
{
    GuestPark park(48);
    BuildingObject* food = park.Shop("FOOD", 2, 10);
    BuildingObject* ride = park.Shop("RIDE", 2, 11);
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    guest->AddThought("GUEST_THOUGHT_DESIRE_MEALS", kNoObjectID);
    guest->AddThought("GUEST_THOUGHT_PRICE_GOOD", food->GetID());
    guest->AddThought("GUEST_THOUGHT_ACTIVITY_GOOD", ride->GetID());
    platform::WString foodName, rideName;
    food->GetVariable("BUILDING_NAME", foodName);
    ride->GetVariable("BUILDING_NAME", rideName);
    const std::u16string thoughts[3] = {park.texts->GetTextByIndex(guest->GetThought(0)),
                                        park.texts->GetTextByIndex(guest->GetThought(1)),
                                        park.texts->GetTextByIndex(guest->GetThought(2))};
    EXPECT_EQ(Answer(*guest, "GUEST_THOUGHT_0"), rideName + thoughts[0]);
    EXPECT_EQ(Answer(*guest, "GUEST_THOUGHT_1"), foodName + thoughts[1]);
    EXPECT_EQ(Answer(*guest, "GUEST_THOUGHT_2"), thoughts[2]);

    // The food building is sold and gone: its thought goes the first time the panel asks, the later one moves up.
    const uint32_t foodId = food->GetID();
    const int32_t oldest = guest->GetThought(2);
    park.objects->RemoveObject(foodId);
    ASSERT_EQ(park.objects->GetObject(foodId), nullptr);
    EXPECT_EQ(Answer(*guest, "GUEST_THOUGHT_1"), u"");
    EXPECT_EQ(std::tuple(guest->GetThought(1), guest->GetThoughtID(1), guest->GetThought(2), guest->GetThoughtID(2)),
              std::tuple(oldest, -1, -1, -1));
    EXPECT_EQ(Answer(*guest, "GUEST_THOUGHT_1"), thoughts[2]);
    EXPECT_EQ(Answer(*guest, "GUEST_THOUGHT_0"), rideName + thoughts[0]);

    // A visited building answers with its name; one out of range answers nothing.
    guest->SetDestObject(ride->GetID());
    guest->AddVisit();
    EXPECT_EQ(Answer(*guest, "VISITED_NAME_0"), rideName);
    EXPECT_EQ(Answer(*guest, "VISITED_NAME_1"), u"");
}

TEST(GuestPanel, TheActivityFollowsTheState)
{
    const std::tuple<uint32_t, uint32_t, const char16_t*> cases[] = {{STATE_GUEST_HEADING_DESIRE, 0, u"HEADING"},
                                                                     {STATE_GUEST_WAITING_DESIRE, 0, u"VISITING"},
                                                                     {STATE_GUEST_ENTER_BUILDING, 0, u"VISITING"},
                                                                     {STATE_GUEST_DELAY_EXIT_BUILDING, 0, u"VISITING"},
                                                                     {STATE_GUEST_MOVE_VIEWPOINT, 0, u"VISITING"},
                                                                     {STATE_GUEST_WALKTHRU_BUILDING, 0, u"VISITING"},
                                                                     {STATE_GUEST_MOVE_VIEWPOINT_2, 0, u"VISITING"},
                                                                     {STATE_GUEST_EATING, 0, u"DRINK"},
                                                                     {STATE_GUEST_EXIT_BUILDING, 0, u"EXIT"},
                                                                     {STATE_GUEST_EXIT_QUEUE, 0, u"EXIT"},
                                                                     {STATE_GUEST_LEFT_BUILDING, 0, u"EXIT"},
                                                                     {STATE_GUEST_LEAVING_WORLD, 0, u"LEAVE"},
                                                                     {STATE_GUEST_AT_TABLE, 0, u"EATING"},
                                                                     {STATE_GUEST_WALK_AROUND, 0, u"WALK"},
                                                                     {STATE_GUEST_JOIN_QUEUE, 0, u"QUEUE"},
                                                                     {STATE_GUEST_ENTER_WORLD, 0, u"ENTER"},
                                                                     {STATE_GUEST_HEADING_FOR_BENCH, 0, u"GO_BENCH"},
                                                                     {STATE_GUEST_HEADING_FOR_BENCH, 1, u"BENCH"},
                                                                     {STATE_GUEST_HEADING_FOR_BIN, 0, u"BIN"},
                                                                     {STATE_GUEST_SEARCH_DESIRE, 0, u"NONE"},
                                                                     {STATE_NULL, 0, u"NONE"}};
    GuestPark park(48);
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    for (const auto& [state, action, key] : cases)
    {
        guest->SetState(state);
        ScriptOperand operand;
        operand.id = SV_ActionState;
        guest->SetScriptVariable(operand, ScriptValue::UInt(action));
        EXPECT_EQ(Answer(*guest, "GUEST_CURRENTACTIVITY"), key) << state;
    }
    guest->SetState(STATE_GUEST_LEAVING_WORLD);
    EXPECT_EQ(Answer(*guest, "GUEST_DESIRE_0"), u"home");
}

TEST(GuestPanel, SelectingAGuestOpensItsPanelOnceAndAgainClosesIt)
{
    GuestPark park(48);
    WatchedGuest* first = park.Guest(40.0f, 480.0f);
    WatchedGuest* second = park.Guest(400.0f, 480.0f);
    first->OnSelected(true, false);
    EXPECT_EQ(first->GetSelectLevel(), 2);
    ASSERT_EQ(park.gui.opened.size(), 1u);
    EXPECT_EQ(park.gui.opened[0], (std::pair<std::string, DialogListener*>("GuestPanel", first)));
    EXPECT_EQ(park.views.lookedAt.size(), 1u);
    // Another guest: every guest's panel closes first.
    second->OnSelected(true, true);
    EXPECT_EQ(std::pair(first->GetSelectLevel(), second->GetSelectLevel()), std::pair(0, 2));
    // Selected again: its panel closes.
    second->OnSelected(true, false);
    EXPECT_EQ(second->GetSelectLevel(), 0);
    EXPECT_EQ(park.gui.closed.back(), "listener");
    // Passed over while closed it waits selected; reopened, the camera stays.
    second->OnSelected(false, false);
    EXPECT_EQ(second->GetSelectLevel(), 1);
    second->OnSelected(true, false);
    EXPECT_EQ(second->GetSelectLevel(), 2);
    EXPECT_EQ(park.views.lookedAt.size(), 2u);
    second->ResetPanelState();
    EXPECT_EQ(second->GetSelectLevel(), 1);
}

} // namespace
