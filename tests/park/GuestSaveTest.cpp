// Tests of the guest's save record: saved, loaded and saved again it is the same; a record with more visits than
// the park can hold, one cut short, one holding no number, or one naming an activity beyond the desires is
// refused; a name longer than a name may be is cut and the rest of the record read in step; a guest type with
// figures beyond the reals makes guests that save and load.
#include "engine/core/SerialStream.h"
#include "scripts/DataScript.h"
#include "scripts/ObjectScriptVocabulary.h"
#include "scripts/ObjectStates.h"
#include "tests/park/GuestTestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

using namespace guesttest;

namespace
{

using D = GuestObject;

savebytes::Bytes Record(GuestObject& guest)
{
    return savebytes::Saved([&](SerialStream& s) { guest.Dump(s); });
}

// A guest of the park that has been to its FOOD shop once; the shop's id.
WatchedGuest* GuestFedOnce(GuestPark& park, uint32_t* shop)
{
    BuildingObject* food = park.Shop("FOOD", 2, 10);
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    guest->SetDestObject(food->GetID());
    guest->AddVisit();
    *shop = food->GetID();
    return guest;
}

// The place of the first run of bytes in the record.
size_t Find(const savebytes::Bytes& record, const savebytes::Bytes& run)
{
    return static_cast<size_t>(std::search(record.begin(), record.end(), run.begin(), run.end()) - record.begin());
}

TEST(GuestSave, AGuestSavedLoadedAndSavedAgainIsTheSame)
{
    GuestPark park(48);
    BuildingObject* food = park.Shop("FOOD", 2, 10);
    BuildingObject* ride = park.Shop("RIDE", 2, 11);
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    guest->SetDestObject(food->GetID());
    guest->AddVisit();
    guest->AddVisit();
    guest->SetDestObject(ride->GetID());
    guest->AddVisit();
    guest->AddThought("GUEST_THOUGHT_PRICE_GOOD", food->GetID());
    guest->SetHasMap(true);
    guest->SetSouvenirs(3);
    // The ride is what the guest wants most, whatever desires it was drawn at its arrival.
    for (int32_t d = 0; d < D::DESIRE_COUNT; ++d)
        guest->SetDesire(d, d == D::DESIRE_RIDE ? 0.9f : 0.1f);
    guest->SearchDesire();
    park.Frames(20, 0.1f);
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); }));
    EXPECT_EQ(savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); }), saved);
    auto* loaded = static_cast<GuestObject*>(park.All(OBJECT_GUEST).at(0));
    EXPECT_EQ(loaded->GetVisitCount(), 2);
    EXPECT_EQ(loaded->GetGuestName(), u"Arlo Holt");
    EXPECT_EQ(std::pair(loaded->HasMap(), loaded->GetSouvenirs()), std::pair(true, 3));
    EXPECT_EQ(loaded->GetState(), uint32_t{STATE_GUEST_HEADING_DESIRE});
}

TEST(GuestSave, ScriptArithmeticThatGivesNoNumberLeavesCashAndHappinessAndTheGuestSaves)
{
    // A guest script that divides by 0, or multiplies past the largest real, asks to store a value that is no
    // number: the guest keeps what it had (as a script cannot put an object or the player's account out of the
    // numbers either), and the park saved afterwards loads.
    const char* const commands[] = {"Divide Cash 0 ;", "Multiply Cash 1e38 ; Multiply Cash 1e38 ;", "Set Cash nan ;",
                                    "Divide Happiness 0 ;", "Minus Happiness 1e39 ;"};
    for (const char* command : commands)
    {
        SCOPED_TRACE(command);
        GuestPark park(48);
        WatchedGuest* guest = park.GuestRunning(command);
        const float cash = guest->GetCash();
        const float happiness = guest->GetHappiness();
        park.Send(kNoObjectID, guest->GetID(), MT_SPOT_OPINION, 0);
        const bool cashKept = guest->GetCash() == cash;
        const bool happinessKept = guest->GetHappiness() == happiness;
        EXPECT_TRUE(cashKept && happinessKept) << guest->GetCash() << " " << guest->GetHappiness();
        const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
        EXPECT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); }));
    }
}

TEST(GuestSave, ARecordThatDoesNotHoldTogetherIsRefused)
{
    GuestPark park(48);
    uint32_t id = 0;
    const savebytes::Bytes good = Record(*GuestFedOnce(park, &id));
    // The visit count (a signed word, tag 5) just before the one visit's building id (an unsigned word, tag 11).
    const size_t count =
        Find(good, {5, 1, 0, 0, 0, 11, uint8_t(id), uint8_t(id >> 8), uint8_t(id >> 16), uint8_t(id >> 24)});
    ASSERT_LT(count, good.size());
    const auto withCount = [&](uint32_t n)
    {
        savebytes::Bytes bad = good;
        for (int i = 0; i < 4; ++i)
            bad[count + 1 + i] = uint8_t(n >> (8 * i));
        return bad;
    };
    struct Case
    {
        const char* what;
        savebytes::Bytes record;
    };
    const Case cases[] = {
        {"more visits than the park has buildings", withCount(501)},
        {"a count below nothing", withCount(0xFFFFFFFF)},
        {"more visits than the record holds", withCount(2)},
        {"cut short among the visits", savebytes::Bytes(good.begin(), good.begin() + count + 8)},
        {"cut short at the start", savebytes::Bytes(good.begin(), good.begin() + 30)},
    };
    for (const Case& c : cases)
    {
        auto* copy = static_cast<GuestObject*>(park.objects->CreateObject("MAN", OBJECT_GUEST));
        EXPECT_FALSE(savebytes::LoadFrom(c.record, [&](SerialStream& s) { return copy->Load(s); })) << c.what;
    }
    // Five hundred visits are as many as the park can have buildings: taken.
    {
        WatchedGuest* busy = park.Guest(40.0f, 480.0f);
        for (uint32_t b = 0; b < 600; ++b)
        {
            busy->SetDestObject(id);
            busy->AddVisit();
        }
        EXPECT_EQ(busy->GetVisitCount(), 1);
    }
    // No number where a number must be.
    for (int field : {0, 1, 2})
    {
        WatchedGuest* odd = park.Guest(40.0f, 480.0f);
        const float nan = std::numeric_limits<float>::quiet_NaN();
        if (field == 0)
            odd->SetCash(nan);
        else if (field == 1)
            odd->SetOpinion(D::OPINION_PRICE, nan);
        else
            odd->SetDesire(D::DESIRE_MEALS, std::numeric_limits<float>::infinity());
        const savebytes::Bytes record = Record(*odd);
        auto* copy = static_cast<GuestObject*>(park.objects->CreateObject("MAN", OBJECT_GUEST));
        EXPECT_FALSE(savebytes::LoadFrom(record, [&](SerialStream& s) { return copy->Load(s); })) << field;
    }
    // An activity beyond the desires would index past them.
    WatchedGuest* other = park.Guest(40.0f, 480.0f);
    other->SetActivityDesire(12);
    const savebytes::Bytes record = Record(*other);
    auto* copy = static_cast<GuestObject*>(park.objects->CreateObject("MAN", OBJECT_GUEST));
    EXPECT_FALSE(savebytes::LoadFrom(record, [&](SerialStream& s) { return copy->Load(s); }));
}

// The view point a guest stands at is one of a building's ten, or none (-1): any other saved point is refused, as
// it would index past the building's points. Its wandering heads one of the eight ways (0 to 7), or it is refused.
TEST(GuestSave, ASavedViewPointIsOneOfABuildingsTenOrNoneAndAWanderingOneOfEightWays)
{
    GuestPark park(48);
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    ASSERT_EQ(guest->GetPointUsing(), -1);
    const savebytes::Bytes good = Record(*guest);
    // The variety score (a float, tag 3), then the point (a signed word, tag 5, -1), then the two view point counts
    // and the wander direction (signed words).
    std::vector<size_t> found;
    for (size_t i = 0; i + 25 <= good.size(); ++i)
        if (good[i] == 3 && good[i + 5] == 5 && good[i + 6] == 0xFF && good[i + 7] == 0xFF && good[i + 8] == 0xFF &&
            good[i + 9] == 0xFF && good[i + 10] == 5 && good[i + 15] == 5 && good[i + 20] == 5)
            found.push_back(i + 6);
    ASSERT_EQ(found.size(), 1u);
    const size_t pointAt = found[0], wanderAt = found[0] + 15;
    const struct
    {
        size_t at;
        int32_t value;
        bool taken;
    } cases[] = {{pointAt, -1, true},         {pointAt, 0, true},    {pointAt, 9, true},
                 {pointAt, 10, false},        {pointAt, -2, false},  {pointAt, INT32_MAX, false},
                 {pointAt, INT32_MIN, false}, {wanderAt, 0, true},   {wanderAt, 7, true},
                 {wanderAt, 8, false},        {wanderAt, -1, false}, {wanderAt, INT32_MIN, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.at == pointAt ? "view point" : "wander direction");
        savebytes::Bytes record = good;
        for (int i = 0; i < 4; ++i)
            record[c.at + i] = uint8_t(static_cast<uint32_t>(c.value) >> (8 * i));
        auto* copy = static_cast<GuestObject*>(park.objects->CreateObject("MAN", OBJECT_GUEST));
        EXPECT_EQ(savebytes::LoadFrom(record, [&](SerialStream& s) { return copy->Load(s); }), c.taken) << c.value;
        if (c.taken && c.at == pointAt)
        {
            EXPECT_EQ(copy->GetPointUsing(), c.value);
        }
    }
}

// A saved visit count is taken as it stands, from none to the most a count holds, and a building is scored by it
// (1 / (visits + 1)), also once it is visited again; a count below none is refused.
TEST(GuestSave, ASavedVisitCountScoresItsBuildingOrIsRefused)
{
    struct Case
    {
        int32_t visits;
        bool taken;
        // Visits counted once it is visited again.
        double again;
    };
    const Case cases[] = {{0, true, 1.0},   {1, true, 2.0},         {7, true, 8.0}, {INT32_MAX, true, 2147483647.0},
                          {-1, false, 0.0}, {INT32_MIN, false, 0.0}};
    for (const Case& c : cases)
    {
        GuestPark park(48);
        uint32_t id = 0;
        const savebytes::Bytes good = Record(*GuestFedOnce(park, &id));
        // The one visit: its building id (an unsigned word, tag 11), then its count (a signed word, tag 5).
        const size_t at =
            Find(good, {11, uint8_t(id), uint8_t(id >> 8), uint8_t(id >> 16), uint8_t(id >> 24), 5, 1, 0, 0, 0});
        ASSERT_LT(at, good.size());
        savebytes::Bytes record = good;
        for (int i = 0; i < 4; ++i)
            record[at + 6 + i] = uint8_t(static_cast<uint32_t>(c.visits) >> (8 * i));
        auto* copy = static_cast<GuestObject*>(park.objects->CreateObject("MAN", OBJECT_GUEST));
        ASSERT_EQ(savebytes::LoadFrom(record, [&](SerialStream& s) { return copy->Load(s); }), c.taken) << c.visits;
        if (!c.taken)
            continue;
        for (double visits : {static_cast<double>(c.visits), c.again})
        {
            for (int32_t d = 0; d < D::DESIRE_COUNT; ++d)
                copy->SetDesire(d, d == D::DESIRE_MEALS ? 0.9f : 0.0f);
            copy->SearchDesire();
            ASSERT_EQ(copy->GetCandidateCount(), 1u) << c.visits;
            EXPECT_FLOAT_EQ(copy->GetCandidates()[0].repeat, static_cast<float>(1.0 / (visits + 1.0))) << c.visits;
            EXPECT_EQ(copy->GetDestObjectID(), id) << c.visits;
            copy->AddVisit();
        }
    }
}

TEST(GuestSave, ANameLongerThanANameMayBeIsCutAndTheRestReadInStep)
{
    GuestPark park(48);
    const std::u16string longName(400, u'x');
    const auto texts = jobstest::MakeTexts(park.dir, u"NAME_M_ARLO=" + longName + u"|NAME_S_HOLT=Holt");
    WatchedGuest* guest = park.Guest(40.0f, 480.0f);
    ASSERT_EQ(guest->GetGuestName().size(), 405u);
    guest->SetCash(33.5f);
    const savebytes::Bytes record = Record(*guest);
    auto* copy = static_cast<GuestObject*>(park.objects->CreateObject("MAN", OBJECT_GUEST));
    ASSERT_TRUE(savebytes::LoadFrom(record, [&](SerialStream& s) { return copy->Load(s); }));
    EXPECT_EQ(copy->GetGuestName(), longName.substr(0, 255));
    EXPECT_EQ(copy->GetCash(), 33.5f);
    EXPECT_EQ(copy->GetWorldPosition().x, 40.0f);
}

// An opinion lies between 0 and 1, where every judgement keeps it. A saved opinion outside would be kept by the loaded
// guest, and six of them past what a real holds make a happiness that is no number: the guest's next record would be
// refused, and the park saved with it lost. Such a record is refused when it is read.
TEST(GuestSave, ASavedOpinionOutsideNothingToOneIsRefused)
{
    struct Case
    {
        float opinion;
        bool taken;
    };
    const Case cases[] = {
        {0.0f, true}, {0.5f, true}, {1.0f, true}, {1.01f, false}, {-0.01f, false}, {3.0e38f, false}, {-3.0e38f, false},
    };
    GuestPark park(48);
    for (const Case& c : cases)
    {
        for (int32_t o = 0; o < D::OPINION_COUNT; ++o)
        {
            WatchedGuest* guest = park.Guest(40.0f, 480.0f);
            guest->SetOpinion(o, c.opinion);
            const savebytes::Bytes record = Record(*guest);
            auto* copy = static_cast<GuestObject*>(park.objects->CreateObject("MAN", OBJECT_GUEST));
            EXPECT_EQ(savebytes::LoadFrom(record, [&](SerialStream& s) { return copy->Load(s); }), c.taken)
                << "opinion " << o << " at " << c.opinion;
        }
    }
}

// A guest type whose data file gives a number beyond the reals ("1e39" reads as an infinity) or no number at all
// ("nan") makes guests that live a visit as others do and save into a park that loads again: a figure beyond the
// reals is kept at the largest real, one that is no number counts as nothing, desires stay between nothing and full
// and an effect that is no number moves no opinion.
TEST(GuestSave, AGuestTypeWithFiguresBeyondTheRealsMakesGuestsThatSaveAndLoad)
{
    struct Case
    {
        const char* field;
        const char* value;
    };
    const Case cases[] = {
        {"MONEY", "1e39"},
        {"MONEY", "-1e39"},
        {"MONEY", "nan"},
        {"VARIETY_EFFECT_GOOD", "1e39"},
        {"VARIETY_EFFECT_GOOD", "nan"},
        {"CROWD_EFFECT_GOOD", "nan"},
        {"PRICE_TOL_LOW", "nan"},
        {"PRICE_TOL_HIGH", "1e39"},
        {"RIDE_PREF_INTEN", "-1e39"},
        {"MEALS_DESIRE_MAX", "1e39"},
        {"MEALS_DESIRE_MIN", "-1e39"},
        {"MEALS_DESIRE_MIN", "nan"},
        {"BLADDER", "1e39"},
        {"BLADDER", "nan"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.field) + " " + c.value);
        GuestPark park(48);
        GuestInfo& type = park.params->GetGuestInfo(park.params->FindGuest("MAN"));
        const std::string field = c.field;
        float* member = field == "MONEY"                 ? &type.fMoney
                        : field == "VARIETY_EFFECT_GOOD" ? &type.fVarietyEffectGood
                        : field == "CROWD_EFFECT_GOOD"   ? &type.fCrowdEffectGood
                        : field == "PRICE_TOL_LOW"       ? &type.fPriceTolLow
                        : field == "PRICE_TOL_HIGH"      ? &type.fPriceTolHigh
                        : field == "RIDE_PREF_INTEN"     ? &type.fRidePrefInten
                        : field == "MEALS_DESIRE_MAX"    ? &type.fMealsDesireMax
                        : field == "MEALS_DESIRE_MIN"    ? &type.fMealsDesireMin
                                                         : &type.fBladder;
        *member = datascript::ToReal(c.value);
        BuildingObject* ride = park.Shop("RIDE", 2, 10);
        WatchedGuest* guest = park.Guest(40.0f, 480.0f);
        // A visit to the ride, judged and scored, with a drink on the way, then a while in the park.
        for (int32_t d = 0; d < D::DESIRE_COUNT; ++d)
            guest->SetDesire(d, d == D::DESIRE_RIDE ? 0.9f : 0.1f);
        guest->SetCash(60.0f);
        guest->SearchDesire();
        guest->SetDestObject(ride->GetID());
        guest->FinishedQueueing();
        guest->AlterPriceOpinion();
        guest->PostActivityScore();
        guest->CallScriptFunction(SF_AddToBladder);
        // Saved at once, as the frame that had the script add to the bladder ends.
        const auto savesAndLoads = [&]
        {
            const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { park.objects->Dump(s); });
            return savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.objects->Load(s); });
        };
        EXPECT_TRUE(savesAndLoads());
        guest = static_cast<WatchedGuest*>(park.All(OBJECT_GUEST).at(0));
        park.Frames(10, 1.0f);

        for (int32_t d = 0; d < D::DESIRE_COUNT; ++d)
        {
            EXPECT_TRUE(guest->GetDesire(d) >= 0.0f && guest->GetDesire(d) <= 1.0f) << d << " " << guest->GetDesire(d);
            EXPECT_TRUE(std::isfinite(guest->GetDesireRate(d))) << d;
        }
        for (int32_t o = 0; o < D::OPINION_COUNT; ++o)
            EXPECT_TRUE(guest->GetOpinion(o) >= 0.0f && guest->GetOpinion(o) <= 1.0f)
                << o << " " << guest->GetOpinion(o);
        for (int32_t t = 0; t < D::TOL_COUNT; ++t)
            EXPECT_TRUE(std::isfinite(guest->GetTolerance(t))) << t;
        EXPECT_TRUE(std::isfinite(guest->GetVarietyScore()));
        EXPECT_TRUE(std::isfinite(guest->GetHappiness()));

        // Fresh from the type, a guest holds the largest real for a figure beyond the reals, nothing for no number.
        WatchedGuest* fresh = park.Guest(40.0f, 480.0f);
        if (field == "MONEY")
        {
            const std::string value = c.value;
            const float expected = value == "1e39" ? FLT_MAX : value == "-1e39" ? -FLT_MAX : 0.0f;
            EXPECT_EQ(fresh->GetCash(), expected);
        }

        EXPECT_TRUE(savesAndLoads());
    }
}

} // namespace
