// Tests of the crowd filler: three seated figures a guest on free seats of the building's model (random seats, the
// first free one when the draws find none, nobody more when every seat is taken or there are none), the oldest
// leaving first, cheers with their chances and times, and the crowd's save record.
#include "park/CrowdFiller.h"
#include "engine/render/ModelManager.h"
#include "platform/Random.h"
#include "scripts/WorldParams.h"
#include "tests/park/AnimalTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/ModelObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>

using namespace animaltest;

namespace
{

using std::tuple;

// The sample arena's model has 56 seats.
constexpr uint32_t kSeats = 56;

class Crowds : public testing::Test
{
protected:
    Crowds()
    {
        park.params->LoadAnimList("data\\script\\mrvanimlist.pis");
        stands = park.Make(OBJECT_SCENERY, "STANDS");
        stands->SetModel("Data/Models/D_Ezize/ARENA.tm");
        sit = g_ModelManager.Load("Data/Models/D_Ezize/Characters/crowd_sit_00.tm");
        cheer = g_ModelManager.Load("Data/Models/D_Ezize/Characters/crowd_cheer_00.tm");
    }
    // A crowd of the stands.
    std::unique_ptr<CrowdFiller> Crowd()
    {
        auto crowd = std::make_unique<CrowdFiller>();
        crowd->SetOwner(stands->GetID());
        return crowd;
    }
    std::set<int32_t> TakenSeats() const
    {
        std::set<int32_t> seats;
        for (uint32_t s = 0; s < stands->GetAttachmentCount(); ++s)
            if (stands->HasAttachment(s))
                seats.insert(static_cast<int32_t>(s));
        return seats;
    }

    AnimalPark park;
    Stub* stands = nullptr;
    uint32_t sit = 0;
    uint32_t cheer = 0;
    // Something to take a seat with.
    ModelObject filler;
};

} // namespace

TEST_F(Crowds, SeatThreeFiguresAGuestOnFreeSeatsAndTheOldestLeaveFirst)
{
    ASSERT_EQ(stands->GetAttachmentCount(), kSeats);
    std::unique_ptr<CrowdFiller> crowd = Crowd();
    // The crowd's animations from the anim list, in its order: sitting, cheering.
    ASSERT_EQ(crowd->GetAnimations().size(), 2u);
    EXPECT_EQ(tuple(crowd->GetAnimations()[0].first, crowd->GetAnimations()[0].second, crowd->GetAnimations()[1].first,
                    crowd->GetAnimations()[1].second),
              tuple("SIT_NORMAL", sit, "SIT_CHEER", cheer));
    platform::SRand(11);
    for (int guest = 0; guest < 5; ++guest)
        crowd->AddPeople();
    ASSERT_EQ(crowd->GetFigureCount(), 15);
    // Each on a seat of its own, the seats the crowd lists; each a family mesh, sitting.
    const std::vector<int32_t> seats = crowd->GetSlots();
    EXPECT_EQ(std::set<int32_t>(seats.begin(), seats.end()), TakenSeats());
    EXPECT_EQ(TakenSeats().size(), 15u);
    for (int32_t i = 0; i < 15; ++i)
    {
        const CrowdPerson* figure = crowd->GetFigure(i);
        const int32_t family = crowd->GetFamilies()[i];
        EXPECT_TRUE(family >= 0 && family < 6);
        EXPECT_EQ(tuple(stands->GetAttachment(seats[i]) == figure, figure->GetCurrentAnimation(),
                        std::string(g_ModelManager.GetName(figure->GetModel()))),
                  tuple(true, sit, CrowdFiller::FamilyModel(family)));
    }
    // Random seats: five guests do not sit in a row from the first seat.
    EXPECT_NE(*TakenSeats().rbegin(), 14);
    // Three leave a guest, the oldest first; with fewer than three left, those there are.
    const std::vector<int32_t> before = crowd->GetSlots();
    crowd->RemovePeople();
    EXPECT_EQ(crowd->GetSlots(), std::vector<int32_t>(before.begin() + 3, before.end()));
    EXPECT_FALSE(stands->HasAttachment(before[0]) || stands->HasAttachment(before[1]) ||
                 stands->HasAttachment(before[2]));
    for (int i = 0; i < 4; ++i)
        crowd->RemovePeople();
    EXPECT_EQ(tuple(crowd->GetFigureCount(), TakenSeats().size()), tuple(0, size_t{0}));
    // The figures of a crowd that goes leave their seats.
    crowd->AddPeople();
    crowd.reset();
    EXPECT_TRUE(TakenSeats().empty());
}

TEST_F(Crowds, TakeTheLastFreeSeatAndNoMoreWhenEverySeatIsTaken)
{
    // Whichever seat is left free, the one figure that can sit down sits there, whatever the draws.
    for (const uint32_t free : {0u, 27u, kSeats - 1})
    {
        for (uint32_t seed : {1u, 2u, 3u})
        {
            for (uint32_t s = 0; s < kSeats; ++s)
                stands->SetAttachment(s, s == free ? nullptr : &filler);
            platform::SRand(seed);
            std::unique_ptr<CrowdFiller> crowd = Crowd();
            crowd->AddPeople();
            EXPECT_EQ(crowd->GetSlots(), std::vector<int32_t>{static_cast<int32_t>(free)}) << free << " " << seed;
            // Full: nobody more, and no draw is spent on it.
            platform::SRand(seed);
            const int first = platform::Rand();
            platform::SRand(seed);
            crowd->AddPeople();
            EXPECT_EQ(tuple(crowd->GetFigureCount(), platform::Rand()), tuple(1, first));
            crowd->RemovePeople();
        }
    }
    // Stands without seats (a model with no attachment points) or with no model at all seat nobody.
    for (const char* model : {"Data/Models/D_Ezize/LAGOON.tm", ""})
    {
        Stub* bare = park.Make(OBJECT_SCENERY, "BARE");
        bare->SetModel(model);
        CrowdFiller crowd;
        crowd.SetOwner(bare->GetID());
        crowd.AddPeople();
        EXPECT_EQ(crowd.GetFigureCount(), 0) << model;
    }
    // A crowd whose building is not (yet) known seats nobody.
    CrowdFiller ownerless;
    ownerless.AddPeople();
    EXPECT_EQ(ownerless.GetFigureCount(), 0);
}

TEST_F(Crowds, CheerWithTheChanceAndForTheTimeOfWhatTheyCheerAt)
{
    // (code, chance, shortest, longest); any other code moves nobody.
    const struct
    {
        int32_t code;
        float chance, shortest, longest;
    } cases[] = {{0, 0.75f, 5.5f, 10.5f}, {3, 0.75f, 3.0f, 7.5f}, {4, 0.95f, 7.5f, 15.0f}, {1, 0.0f, 0, 0},
                 {2, 0.0f, 0, 0},         {5, 0.0f, 0, 0},        {-1, 0.0f, 0, 0}};
    platform::SRand(5);
    std::unique_ptr<CrowdFiller> crowd = Crowd();
    for (uint32_t i = 0; i < kSeats / 3; ++i)
        crowd->AddPeople();
    const int figures = crowd->GetFigureCount();
    for (const auto& c : cases)
    {
        int cheering = 0, total = 0;
        for (int run = 0; run < 30; ++run)
        {
            crowd->React(c.code);
            // Within 0.3 s every figure that reacts cheers.
            crowd->Update(0.3f + 1e-4f);
            std::vector<bool> cheered;
            for (int i = 0; i < figures; ++i)
                cheered.push_back(crowd->GetFigure(i)->GetCurrentAnimation() == cheer);
            cheering += static_cast<int>(std::count(cheered.begin(), cheered.end(), true));
            total += figures;
            if (c.chance == 0.0f)
                continue;
            // Not one sits back before the shortest time has passed, every one has by the longest.
            crowd->Update(c.shortest - 0.01f);
            for (int i = 0; i < figures; ++i)
                EXPECT_EQ(crowd->GetFigure(i)->GetCurrentAnimation(), cheered[i] ? cheer : sit) << c.code;
            crowd->Update(c.longest - c.shortest + 0.02f);
            for (int i = 0; i < figures; ++i)
                EXPECT_FALSE(crowd->GetFigure(i)->AreTimersRunning() ||
                             crowd->GetFigure(i)->GetCurrentAnimation() != sit)
                    << c.code;
        }
        const float share = static_cast<float>(cheering) / static_cast<float>(total);
        EXPECT_NEAR(share, c.chance, 0.04f) << c.code;
    }
}

TEST_F(Crowds, SaveTheirSeatsAndFamiliesAndSeatThemAgainAfterALoad)
{
    platform::SRand(3);
    std::unique_ptr<CrowdFiller> crowd = Crowd();
    crowd->AddPeople();
    crowd->AddPeople();
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { crowd->Dump(s); });
    // The owner, the state 0, then the seats and the families, each list after its count.
    savebytes::Bytes expected;
    savebytes::Tagged(expected, 11, stands->GetID());
    savebytes::Tagged(expected, 5, 0);
    savebytes::Tagged(expected, 5, 6);
    for (int32_t seat : crowd->GetSlots())
        savebytes::Tagged(expected, 5, static_cast<uint32_t>(seat));
    savebytes::Tagged(expected, 5, 6);
    for (int32_t family : crowd->GetFamilies())
        savebytes::Tagged(expected, 5, static_cast<uint32_t>(family));
    EXPECT_EQ(saved, expected);
    const std::vector<int32_t> seats = crowd->GetSlots(), families = crowd->GetFamilies();
    crowd.reset();

    // Loaded into the building's new crowd, the figures sit on the same seats with the same families.
    {
        CrowdFiller copy;
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return copy.Load(s); }));
        EXPECT_EQ(savebytes::Saved([&](SerialStream& s) { copy.Dump(s); }), saved);
        copy.PostLoad();
        EXPECT_EQ(tuple(copy.GetFigureCount(), copy.GetSlots(), copy.GetFamilies(), TakenSeats()),
                  tuple(6, seats, families, std::set<int32_t>(seats.begin(), seats.end())));
        EXPECT_EQ(savebytes::Saved([&](SerialStream& s) { copy.Dump(s); }), saved);
    }

    // A family that does not exist, a seat below 0, lists of different lengths, more figures than an audience
    // holds, a record cut short: refused, the crowd left empty. A seat the model does not have is left out.
    const auto edited = [&](size_t item, uint32_t value)
    {
        savebytes::Bytes bytes = saved;
        std::memcpy(&bytes[item * 5 + 1], &value, 4);
        return bytes;
    };
    for (const savebytes::Bytes& bad : {edited(10, 6), edited(3, 0xFFFFFFFF), edited(9, 5), edited(2, 5000),
                                        savebytes::Bytes(saved.begin(), saved.end() - 2)})
    {
        CrowdFiller damaged;
        damaged.SetOwner(stands->GetID());
        EXPECT_FALSE(savebytes::LoadFrom(bad, [&](SerialStream& s) { return damaged.Load(s); }));
        damaged.PostLoad();
        EXPECT_EQ(tuple(damaged.GetFigureCount(), damaged.GetSlots().size()), tuple(0, size_t{0}));
    }
    CrowdFiller elsewhere;
    ASSERT_TRUE(savebytes::LoadFrom(edited(3, kSeats), [&](SerialStream& s) { return elsewhere.Load(s); }));
    elsewhere.PostLoad();
    EXPECT_EQ(tuple(elsewhere.GetFigureCount(), park.CountReports("have no seat")), tuple(5, size_t{1}));
}
