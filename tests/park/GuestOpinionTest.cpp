// Tests of the guests' opinions and thoughts: prices, animal welfare and queues judged against the tolerances at
// their edges, the surroundings' litter and beauty, the end of a visit, the three latest thoughts, the thumbs and
// the voices.
#include "engine/render/BillboardList.h"
#include "engine/render/SpriteDrawing.h"
#include "park/QueueComponent.h"
#include "platform/Random.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/park/GuestTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace guesttest;

namespace
{

using D = GuestObject;

void SetAllOpinions(GuestObject& guest, float value)
{
    for (int o = 0; o < D::OPINION_COUNT; ++o)
        guest.SetOpinion(o, value);
    guest.UpdateHappiness();
}

std::u16string ThoughtText(GuestPark& park, const GuestObject& guest, int slot)
{
    return guest.GetThought(slot) < 0 ? u"" : park.texts->GetTextByIndex(guest.GetThought(slot));
}

// The text of a thought slot without its variant number.
std::u16string ThoughtBase(GuestPark& park, const GuestObject& guest, int slot)
{
    const std::u16string text = ThoughtText(park, guest, slot);
    return text.empty() ? text : text.substr(0, text.size() - 2);
}

TEST(GuestOpinions, APriceIsJudgedAgainstThePriceTolerancesInPercent)
{
    // The type's listed price is 5; the tolerances 80 and 120 (%); effects 0.05 bad, 0.04 good.
    struct Case
    {
        float price;
        float opinion;
        int activity;
        float verdict; // the building's newest price verdict
        const char16_t* thought;
    };
    const Case cases[] = {{6.0f, 0.45f, -1, 0.0f, u"PRICE_WAS_BAD"}, // exactly 120 %: bad
                          {7.0f, 0.45f, -1, 0.0f, u"PRICE_WAS_BAD"},
                          {5.99f, 0.5f, 0, 0.5f, u""},            // below 120 %: average
                          {4.0f, 0.5f, 0, 0.5f, u""},             // exactly 80 %: average
                          {3.99f, 0.54f, 1, 1.0f, u"PRICE_GOOD"}, // below 80 %: good
                          {0.0f, 0.54f, 1, 1.0f, u"PRICE_GOOD"}};
    for (const Case& c : cases)
    {
        GuestPark park;
        BuildingObject* shop = park.Shop("GIFTS", 2, 10);
        shop->SetAttractionPrice(c.price);
        WatchedGuest* guest = park.Guest(40.0f, 640.0f);
        SetAllOpinions(*guest, 0.5f);
        guest->SetDestObject(shop->GetID());
        guest->AlterPriceOpinion();
        EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_PRICE), c.opinion) << c.price;
        EXPECT_EQ(guest->GetActivityScore(), c.activity) << c.price;
        // The building's list starts at one 0.5; the verdict joins it.
        EXPECT_FLOAT_EQ(shop->GetOpinionMean(BuildingObject::OPINION_PRICE), (0.5f + c.verdict) / 2.0f) << c.price;
        EXPECT_EQ(ThoughtBase(park, *guest, 0), c.thought) << c.price;
        EXPECT_EQ(guest->GetThoughtID(0), c.thought[0] ? static_cast<int32_t>(shop->GetID()) : -1) << c.price;
        EXPECT_NEAR(guest->GetHappiness(), (2.5f + c.opinion) / 6.0f, 1e-6f) << c.price;
    }
}

TEST(GuestOpinions, ANewGuestHasNoThumbPendingAndCountsAsHavingMissedAPurchase)
{
    GuestPark park;
    WatchedGuest* guest = park.Guest(40.0f, 640.0f);
    EXPECT_FALSE(guest->IsLastGood());
    EXPECT_FALSE(guest->IsLastBad());
    EXPECT_TRUE(guest->IsMissedPurchase());
}

TEST(GuestOpinions, APriceTooHighLowersThePriceOpinionWithOrWithoutABuilding)
{
    // The bad price effect is 0.05: at a building the thought names it and the building hears a bad verdict;
    // away from one the thought names nothing.
    for (const bool atShop : {true, false})
    {
        GuestPark park;
        BuildingObject* shop = park.Shop("GIFTS", 2, 10);
        WatchedGuest* guest = park.Guest(40.0f, 640.0f);
        SetAllOpinions(*guest, 0.5f);
        if (atShop)
            guest->SetDestObject(shop->GetID());
        guest->PriceTooHigh();
        EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_PRICE), 0.45f) << atShop;
        EXPECT_NEAR(guest->GetHappiness(), (2.5f + 0.45f) / 6.0f, 1e-6f) << atShop;
        // The bad mark is shown at once as a thumbs down.
        EXPECT_EQ(guest->GetIconTime() > 0.0f ? guest->GetIcon() : -1, D::kIconThumbsDown) << atShop;
        EXPECT_EQ(ThoughtBase(park, *guest, 0), u"PRICE_IS_BAD") << atShop;
        EXPECT_EQ(guest->GetThoughtID(0), atShop ? static_cast<int32_t>(shop->GetID()) : -1) << atShop;
        EXPECT_FLOAT_EQ(shop->GetOpinionMean(BuildingObject::OPINION_PRICE), atShop ? 0.25f : 0.5f) << atShop;
    }
}

TEST(GuestOpinions, AnimalWelfareIsJudgedAgainstTheAnimalTolerances)
{
    // Tolerances 0.3 and 0.7: at either edge the animals are average.
    struct Case
    {
        float happiness;
        float opinion;
        int activity;
        const char16_t* thought;
        float verdict; // the building's newest welfare verdict
    };
    const Case cases[] = {{0.71f, 0.54f, 1, u"WELFARE_GOOD", 1.0f},
                          {0.7f, 0.5f, 0, u"", 0.5f},
                          {0.3f, 0.5f, 0, u"", 0.5f},
                          {0.29f, 0.45f, -1, u"WELFARE_BAD", 0.0f}};
    for (const Case& c : cases)
    {
        GuestPark park;
        BuildingObject* zoo = park.Shop("ZOO", 2, 10);
        zoo->AdoptAnimal(0);
        zoo->AdoptAnimal(0);
        ASSERT_EQ(zoo->GetAnimalCount(), 2);
        // Two fish whose mean is the happiness of the case.
        for (int i = 0; i < 2; ++i)
            dynamic_cast<jobstest::Animal*>(park.objects->GetObject(zoo->GetAnimal(i)))->happiness =
                c.happiness + (i == 0 ? 0.1f : -0.1f);
        WatchedGuest* guest = park.Guest(40.0f, 640.0f);
        SetAllOpinions(*guest, 0.5f);
        guest->SetDestObject(zoo->GetID());
        guest->WelfareOpinion();
        EXPECT_TRUE(guest->HasVisitedAnimals());
        EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_WELFARE), c.opinion) << c.happiness;
        EXPECT_EQ(guest->GetActivityScore(), c.activity) << c.happiness;
        EXPECT_EQ(ThoughtBase(park, *guest, 0), c.thought) << c.happiness;
        // The building's list starts at one 0.5; the verdict joins it.
        EXPECT_FLOAT_EQ(zoo->GetOpinionMean(BuildingObject::OPINION_WELFARE), (0.5f + c.verdict) / 2.0f) << c.happiness;
    }
    // A building without animals says nothing of welfare.
    GuestPark park;
    BuildingObject* food = park.Shop("FOOD", 2, 10);
    WatchedGuest* guest = park.Guest(40.0f, 640.0f);
    guest->SetDestObject(food->GetID());
    guest->WelfareOpinion();
    EXPECT_FALSE(guest->HasVisitedAnimals());
}

TEST(GuestOpinions, TheSurroundingsLitterAndBeautyMoveCleanlinessAndBeauty)
{
    // Over the guest's cell and its eight neighbours: cleanliness 1 - litter / 27 against 0.5 and 0.9; beauty the
    // sum of the scenery's beauty / 9 against 0.2 and 0.6 (a plant 0.45, a bench 0.9).
    struct Case
    {
        int litter;
        int plants;
        int benches;
        float clean;
        float beauty;
    };
    const Case cases[] = {{0, 5, 0, 0.54f, 0.5f},   // clean 1; beauty 0.25
                          {2, 3, 0, 0.54f, 0.45f},  // clean 0.926 is above 0.9; beauty 0.15 below 0.2
                          {3, 0, 7, 0.5f, 0.54f},   // clean 0.889; beauty 0.7 above 0.6
                          {9, 5, 0, 0.5f, 0.5f},    // clean 2/3
                          {13, 0, 0, 0.5f, 0.45f},  // clean 0.519; no beauty
                          {14, 0, 0, 0.45f, 0.45f}, // clean 0.481 below 0.5
                          {27, 0, 0, 0.45f, 0.45f}};
    for (const Case& c : cases)
    {
        GuestPark park;
        // Scenery first (placing it sweeps litter away), then litter, over the nine cells round (10, 20).
        int placed = 0;
        for (int i = 0; i < c.plants; ++i, ++placed)
            park.Item("PLANT", 9 + placed % 3, 19 + placed / 3);
        for (int i = 0; i < c.benches; ++i, ++placed)
            park.Item("BENCH", 9 + placed % 3, 19 + placed / 3);
        for (int i = 0; i < c.litter; ++i)
            park.Litter(9 + i % 3, 19 + (i / 3) % 3);
        // Out of the nine cells: never counted.
        park.Litter(13, 20);
        park.Item("PLANT", 10, 23);
        WatchedGuest* guest = park.Guest(10 * 32 + 16, 20 * 64 + 32);
        SetAllOpinions(*guest, 0.5f);
        guest->RateSurroundings();
        EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_CLEANLINESS), c.clean) << c.litter << " " << c.plants;
        EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_BEAUTY), c.beauty) << c.litter << " " << c.plants;
    }
}

TEST(GuestOpinions, EverySecondNewSquareIsRatedFromTheToggleDrawnAtTheStart)
{
    for (unsigned seed : {1u, 2u, 3u, 4u})
    {
        GuestPark park;
        for (int i = 0; i < 27; ++i)
            park.Litter(9 + i % 3, 19 + (i / 3) % 3);
        platform::SRand(seed);
        WatchedGuest* guest = park.Guest(10 * 32 + 16, 20 * 64 + 32);
        SetAllOpinions(*guest, 0.5f);
        const bool first = guest->GetSurroundingsToggle();
        std::vector<float> after;
        for (int square = 0; square < 4; ++square)
        {
            park.Send(guest->GetID(), guest->GetID(), MT_MOVE_NEW_GRID_SQUARE);
            after.push_back(guest->GetOpinion(D::OPINION_CLEANLINESS));
        }
        // Rated on squares 1 and 3 when the toggle starts set, else on 2 and 4.
        const std::vector<float> expected =
            first ? std::vector<float>{0.45f, 0.45f, 0.4f, 0.4f} : std::vector<float>{0.5f, 0.45f, 0.45f, 0.4f};
        for (size_t i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(after[i], expected[i]) << seed << " " << i;
    }
}

TEST(GuestOpinions, AFullQueueTurnsTheGuestAwayAndQueuingCountsForIt)
{
    GuestPark park;
    BuildingObject* food = park.Shop("FOOD", 2, 10);
    // The serve cell is footpath: one place.
    WatchedGuest* first = park.Guest(40.0f, 672.0f);
    WatchedGuest* second = park.Guest(40.0f, 672.0f);
    for (WatchedGuest* g : {first, second})
    {
        SetAllOpinions(*g, 0.5f);
        g->SetDestObject(food->GetID());
        g->CheckQueue();
    }
    EXPECT_EQ(first->GetState(), uint32_t{STATE_GUEST_JOIN_QUEUE});
    EXPECT_EQ(food->GetQueue()->GetGuests(), std::vector<uint32_t>{first->GetID()});
    EXPECT_EQ(second->GetState(), uint32_t{STATE_NULL});
    EXPECT_FLOAT_EQ(second->GetOpinion(D::OPINION_CROWDING), 0.45f);
    EXPECT_FLOAT_EQ(second->GetOpinion(D::OPINION_VARIETY), 0.45f);
    // Happiness follows at once: the mean of four opinions at 0.5 and two at 0.45.
    EXPECT_FLOAT_EQ(second->GetHappiness(), (4 * 0.5f + 2 * 0.45f) / 6);
    EXPECT_EQ(second->GetIcon(), D::kIconThumbsDown);
    EXPECT_EQ(ThoughtBase(park, *second, 0), u"CROWDING_LOOKS_BAD");
    EXPECT_EQ(park.Feedback().GetMissedDesireCount(D::DESIRE_QUEUE), 1u);
    EXPECT_FLOAT_EQ(food->GetOpinionMean(BuildingObject::OPINION_QUEUING), 0.25f);

    first->FinishedQueueing();
    EXPECT_FLOAT_EQ(first->GetOpinion(D::OPINION_CROWDING), 0.54f);
    EXPECT_FLOAT_EQ(first->GetHappiness(), (5 * 0.5f + 0.54f) / 6);
    EXPECT_EQ(first->GetActivityScore(), 1);
    EXPECT_FLOAT_EQ(food->GetOpinionMean(BuildingObject::OPINION_QUEUING), 1.5f / 3.0f);
    first->LeaveQueue();
    EXPECT_TRUE(food->GetQueue()->GetGuests().empty());
}

TEST(GuestOpinions, AVisitEndsWithAThoughtOnItsScoreAndTheServedDesireStartsAgain)
{
    struct Case
    {
        int score;
        const char16_t* thought;
        int icon;
        int32_t desire;
        bool buyingMap;
        bool map;
        int souvenirs;
    };
    const Case cases[] = {{-2, u"ACTIVITY_BAD", D::kIconThumbsDown, D::DESIRE_MEALS, false, false, 0},
                          {0, u"ACTIVITY_AVERAGE", 0, D::DESIRE_RIDE, false, false, 0},
                          {3, u"ACTIVITY_GOOD", D::kIconThumbsUp, D::DESIRE_RETAIL, true, true, 0},
                          {1, u"ACTIVITY_GOOD", D::kIconThumbsUp, D::DESIRE_RETAIL, false, false, 1}};
    for (const Case& c : cases)
    {
        GuestPark park;
        BuildingObject* shop = park.Shop(c.desire == D::DESIRE_RETAIL ? (c.buyingMap ? "INFORMATION" : "GIFTS")
                                         : c.desire == D::DESIRE_RIDE ? "RIDE"
                                                                      : "FOOD",
                                         2, 10);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        SetAllOpinions(*guest, 0.5f);
        guest->SetDesire(c.desire, 0.9f);
        // Sent to the building by a search of that desire (the variety gain of the visit is the type's 0.04).
        for (int d = 0; d < D::DESIRE_COUNT; ++d)
            guest->SetDesire(d, d == c.desire ? 0.9f : 0.0f);
        guest->SetHasMap(false);
        guest->SearchDesire();
        ASSERT_EQ(guest->GetDestObjectID(), shop->GetID());
        guest->SetActivityScore(c.score);
        // An icon still showing from the search is gone two seconds on.
        park.Frames(21, 0.1f);
        guest->PostActivityScore();
        EXPECT_EQ(ThoughtBase(park, *guest, 0), c.thought) << c.score;
        EXPECT_EQ(guest->GetThoughtID(0), static_cast<int32_t>(shop->GetID()));
        EXPECT_EQ(guest->GetIconTime() > 0.0f ? guest->GetIcon() : 0, c.icon) << c.score;
        EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_VARIETY), 0.54f) << c.score;
        EXPECT_EQ(guest->GetDesire(c.desire), 0.0f) << c.score;
        EXPECT_EQ(std::pair(guest->HasMap(), guest->GetSouvenirs()), std::pair(c.map, c.souvenirs)) << c.score;
        // A man's voice after the visit, now and then: his bad-event sound (3) after a bad one, his good-event
        // sound (2) after a good one, nothing after an average one.
        const std::vector<int32_t> voice = c.score < 0   ? std::vector<int32_t>{3}
                                           : c.score > 0 ? std::vector<int32_t>{2}
                                                         : std::vector<int32_t>{};
        int heard = 0;
        for (unsigned seed = 1; seed <= 60; ++seed)
        {
            platform::SRand(seed);
            park.views.sounds.clear();
            guest->SetActivityScore(c.score);
            guest->PostActivityScore();
            heard += park.views.sounds.empty() ? 0 : 1;
            if (!park.views.sounds.empty())
            {
                ASSERT_EQ(park.views.sounds, voice) << c.score << " " << seed;
            }
        }
        EXPECT_EQ(heard > 0, !voice.empty()) << c.score;
    }
}

TEST(GuestOpinions, ThoughtsKeepTheThreeNewestAndAKeyWithoutTextChangesNothing)
{
    GuestPark park;
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    const char* bases[] = {"GUEST_THOUGHT_DESIRE_MEALS", "GUEST_THOUGHT_DESIRE_RIDE", "GUEST_THOUGHT_DESIRE_REST",
                           "GUEST_THOUGHT_DESIRE_TOILET"};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_GE(guest->AddThought(bases[i], static_cast<uint32_t>(100 + i)), 0);
        // Newest first; the fourth pushes the first out.
        for (int slot = 0; slot < 3; ++slot)
        {
            const int added = i - slot;
            EXPECT_EQ(guest->GetThoughtID(slot), added >= 0 ? 100 + added : -1) << i << " " << slot;
            const std::string base = added >= 0 ? std::string(bases[added]).substr(14) : "";
            EXPECT_EQ(ThoughtBase(park, *guest, slot), std::u16string(base.begin(), base.end())) << i << " " << slot;
        }
    }
    // A key the table lacks: nothing changes. NEED_CASH has only its first variant, so it takes only sometimes.
    const int32_t before[3] = {guest->GetThought(0), guest->GetThought(1), guest->GetThought(2)};
    EXPECT_EQ(guest->AddThought("GUEST_THOUGHT_NOT_THERE", 7), -1);
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_EQ(guest->GetThought(slot), before[slot]);
    for (unsigned seed = 1; seed < 12; ++seed)
    {
        platform::SRand(seed);
        const int variant = platform::RandomGenerator(seed).Next() % 3 + 1;
        EXPECT_EQ(guest->AddThought("GUEST_THOUGHT_NEED_CASH", 7) >= 0, variant == 1) << seed;
    }
}

TEST(GuestOpinions, ThumbsShowOnlyWhenNoIconIsShowingAndTheFlagGoesEitherWay)
{
    struct Case
    {
        bool good;
        bool bad;
        bool iconShowing;
        int icon;
    };
    const Case cases[] = {{true, false, false, D::kIconThumbsUp},
                          {false, true, false, D::kIconThumbsDown},
                          {true, true, false, D::kIconThumbsUp},
                          {false, true, true, 3},
                          {true, false, true, 3},
                          {false, false, false, -1}};
    for (const Case& c : cases)
    {
        GuestPark park;
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        if (c.iconShowing)
            guest->ShowIcon(3);
        guest->SetLastGood(c.good);
        guest->SetLastBad(c.bad);
        guest->ShowThumbsOverlay();
        EXPECT_EQ(guest->GetIconTime() > 0.0f ? guest->GetIcon() : -1, c.icon) << c.good << c.bad << c.iconShowing;
        // The flag that was looked at is cleared, shown or not; a bad one waits behind a good one.
        EXPECT_FALSE(guest->IsLastGood());
        EXPECT_EQ(guest->IsLastBad(), c.good && c.bad);
    }
    // An icon shows for two game seconds, not while paused.
    GuestPark park;
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    guest->ShowThumbsDown();
    park.world->SetPaused(true);
    park.Frames(30, 0.1f);
    EXPECT_FLOAT_EQ(guest->GetIconTime(), 2.0f);
    park.world->SetPaused(false);
    park.Frames(19, 0.1f);
    EXPECT_GT(guest->GetIconTime(), 0.0f);
    park.Frames(2, 0.1f);
    EXPECT_EQ(guest->GetIconTime(), 0.0f);
}

// A shown icon is drawn as a billboard of its texture above the guest's head, only while it shows.
TEST(GuestOpinions, AShownIconIsDrawnAboveTheGuestWithItsTexture)
{
    GuestPark park;
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    const uint32_t before = g_BillboardList.GetCount();
    guest->Render();
    EXPECT_EQ(g_BillboardList.GetCount(), before) << "no icon, no billboard";
    guest->ShowIcon(3);
    guest->Render();
    ASSERT_EQ(g_BillboardList.GetCount(), before + 1);
    const BillboardEntry& icon = g_BillboardList.GetEntries()[before];
    const platform::Vec3 at = guest->GetPosition();
    EXPECT_EQ(icon.texture, g_pWorldParams->GetGuestIconTexture(3));
    EXPECT_FLOAT_EQ(icon.x, at.x);
    EXPECT_FLOAT_EQ(icon.z, at.z);
    EXPECT_GT(icon.y, at.y + 1.0f) << "above the head, not at the feet";
}

TEST(GuestOpinions, AVoiceIsHeardOneTimeInFourWithTheGendersSound)
{
    // Kinds 4, 3, 0, 1 give the man's voices 2, 3, 0, 1 and the woman's 6, 7, 4, 5; kind 2 none.
    for (const char* type : {"MAN", "WOMAN"})
    {
        GuestPark park;
        WatchedGuest* guest = park.Guest(40.0f, 480.0f, type);
        const int base = std::string(type) == "MAN" ? 0 : 4;
        const std::pair<uint32_t, int> kinds[] = {{4, base + 2}, {3, base + 3}, {0, base + 0}, {1, base + 1}, {2, -1}};
        for (const auto& [kind, sound] : kinds)
        {
            int heard = 0;
            for (unsigned seed = 1; seed <= 400; ++seed)
            {
                platform::SRand(seed);
                const bool chance = platform::RandomGenerator(seed).Next() % 100 <= 25;
                park.views.sounds.clear();
                guest->PlayVoice(kind);
                const std::vector<int32_t> expected =
                    chance && sound >= 0 ? std::vector<int32_t>{sound} : std::vector<int32_t>{};
                ASSERT_EQ(park.views.sounds, expected) << type << " " << kind << " " << seed;
                heard += park.views.sounds.empty() ? 0 : 1;
            }
            if (sound >= 0)
            {
                EXPECT_NEAR(heard / 400.0, 0.26, 0.06) << type << " " << kind;
            }
        }
    }
}

TEST(GuestOpinions, TheWorstAndBestOpinionsAndTheirBands)
{
    // Bands: above 0.5 is 3; 0.1 or below is 0; exactly 0.5 is 2; else 1. Band 4 is never given.
    const std::pair<float, int32_t> bands[] = {{0.0f, 0},  {0.1f, 0}, {0.11f, 1}, {0.49f, 1}, {0.5f, 2},
                                               {0.51f, 3}, {0.9f, 3}, {0.95f, 3}, {1.0f, 3}};
    for (const auto& [value, band] : bands)
        EXPECT_EQ(GuestObject::OpinionBand(value), band) << value;

    GuestPark park;
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    const float opinions[D::OPINION_COUNT] = {0.4f, 0.2f, 0.9f, 0.2f, 0.9f, 0.5f};
    for (int o = 0; o < D::OPINION_COUNT; ++o)
        guest->SetOpinion(o, opinions[o]);
    ScriptOperand operand;
    const auto read = [&](uint32_t id)
    {
        operand.id = id;
        return ScriptValueToInt(guest->GetScriptVariable(operand));
    };
    // Ties go to the lower index.
    EXPECT_EQ(read(SV_WorstOpinion), 1u);
    EXPECT_EQ(read(SV_WorstOpinionVal), 1u);
    EXPECT_EQ(read(SV_BestOpinion), 2u);
    EXPECT_EQ(read(SV_BestOpinionVal), 3u);
}

// A desire missed on the way (the script's MissedDesire: the building closed, the way blocked, the price too dear)
// costs the variety opinion alone, starts the desire of the trip again and is counted for that desire; one that no
// building serves at all (the search's miss) costs every opinion.
TEST(GuestOpinions, ADesireMissedOnTheWayCostsVarietyAloneAndOneNoBuildingServesCostsAll)
{
    struct Case
    {
        const char* what;
        bool bySearch;
        float variety;
        float others;
    };
    // Opinions at 0.5, the type's VARIETY_EFFECT_BAD 0.05.
    const Case cases[] = {
        {"missed on the way", false, 0.45f, 0.5f},
        {"no building serves it", true, 0.45f, 0.45f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        GuestPark park;
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        SetAllOpinions(*guest, 0.5f);
        for (int d = 0; d < D::DESIRE_COUNT; ++d)
            guest->SetDesire(d, d == D::DESIRE_RIDE ? 0.9f : d == D::DESIRE_SNACKS ? 0.4f : 0.2f);
        guest->SetActivityDesire(D::DESIRE_RIDE);
        if (c.bySearch)
            guest->SearchDesire();
        else
            guest->CallScriptFunction(SF_MissedDesire);
        EXPECT_FLOAT_EQ(guest->GetOpinion(D::OPINION_VARIETY), c.variety);
        for (int o :
             {D::OPINION_BEAUTY, D::OPINION_CROWDING, D::OPINION_WELFARE, D::OPINION_PRICE, D::OPINION_CLEANLINESS})
            EXPECT_FLOAT_EQ(guest->GetOpinion(o), c.others) << o;
        EXPECT_FLOAT_EQ(guest->GetHappiness(), (c.variety + 5.0f * c.others) / 6.0f);
        EXPECT_EQ(guest->GetDesire(D::DESIRE_RIDE), 0.0f);
        EXPECT_FLOAT_EQ(guest->GetDesire(D::DESIRE_SNACKS), 0.4f);
        EXPECT_EQ(park.Feedback().GetMissedDesireCount(D::DESIRE_RIDE), 1u);
        EXPECT_EQ(park.Feedback().GetMissedDesireCount(D::DESIRE_SNACKS), 0u);
    }
}

} // namespace
