// Tests of a guest made on the World's request (the entrance's arrivals, a world script's Create): a real guest of
// the park stands where it was asked, with the hours it has already spent, and counts as an arrival of its gender.
#include "park/GuestObject.h"
#include "tests/park/GuestTestSupport.h"
#include "world/ObjectKinds.h"

#include <gtest/gtest.h>

#include <utility>

using namespace guesttest;

namespace
{

TEST(GuestArrival, TheWorldsRequestMakesAGuestThatCountsAsAnArrivalOfItsGender)
{
    GuestPark park(48);
    struct Case
    {
        const char* type;
        float x, y;
        uint32_t hours;
        int32_t gender;
    };
    const Case cases[] = {
        {"MAN", 48.0f, 480.0f, 0, 0},
        {"WOMAN", 80.0f, 224.0f, 3, 1},
        {"MAN", 16.0f, 736.0f, 23, 0},
        {"WOMAN", 48.0f, 224.0f, 1, 1},
    };
    int32_t men = 0, women = 0;
    for (const Case& c : cases)
    {
        const uint32_t id = park.objects->GetNextFreeObjectID();
        park.world->RequestGuest(c.type, c.x, c.y, c.hours);
        auto* guest = dynamic_cast<GuestObject*>(park.objects->GetObject(id));
        ASSERT_NE(guest, nullptr) << c.type;
        (c.gender == 1 ? women : men) += 1;
        EXPECT_EQ(guest->GetType(), OBJECT_GUEST);
        EXPECT_EQ(guest->GetGender(), c.gender) << c.type;
        EXPECT_EQ(std::pair(guest->GetWorldPosition().x, guest->GetWorldPosition().y), std::pair(c.x, c.y));
        EXPECT_EQ(guest->GetHoursInPark(), static_cast<int32_t>(c.hours)) << c.hours;
        EXPECT_EQ(std::pair(park.world->m_TotalGuestArrive[0], park.world->m_TotalGuestArrive[1]),
                  std::pair(men, women));
        EXPECT_EQ(std::pair(park.world->m_TodayGuestArrive[0], park.world->m_TodayGuestArrive[1]),
                  std::pair(men, women));
    }
    EXPECT_EQ(park.objects->CountObjectsOfKind(OBJECT_GUEST), std::size(cases));
    // A guest type the park does not have makes no guest and no arrival.
    park.world->RequestGuest("NOBODY", 48.0f, 480.0f, 0);
    EXPECT_EQ(park.objects->CountObjectsOfKind(OBJECT_GUEST), std::size(cases));
    EXPECT_EQ(park.world->m_TotalGuestArrive[0] + park.world->m_TotalGuestArrive[1], men + women);
}

} // namespace
