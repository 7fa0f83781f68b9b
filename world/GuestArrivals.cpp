// GuestArrivals: the arrival timer, the entrance check and the guest requests.
#include "world/GuestArrivals.h"

#include "platform/Random.h"
#include "platform/Strings.h"
#include "scripts/WorldParams.h"
#include "world/BaseObject.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <cmath>

void GuestArrivals::Update(float delta)
{
    m_fCountdown -= delta;
    if (m_fCountdown <= 0.0f)
    {
        Spawn();
        Recompute();
        m_fCountdown = m_fInterval;
    }
}

void GuestArrivals::Spawn()
{
    if (!g_pObjectManager || !g_pWorld || !g_pMessageHandler || !g_pWorldParams)
        return;
    const std::vector<BaseObject*> entrances = g_pObjectManager->GetBuildingsByName("ENTRANCE");
    if (entrances.empty())
        return;
    ParkServices* park = GetParkServices();
    if (park && !park->IsBuildingOpen(*entrances.front()))
        return;
    if (g_pWorld->m_NumGuests >= m_iTarget)
        return;
    const uint32_t types = g_pWorldParams->GetGuestCount();
    if (types == 0)
        return;
    const int32_t type = static_cast<int32_t>(static_cast<uint32_t>(platform::Rand()) % types);
    GuestCreationRequest request;
    platform::CopyString(request.szKeyword, sizeof request.szKeyword, g_pWorldParams->GetGuestInfo(type).keyword);
    // Through the entrance, with no hours in the park yet.
    request.position = {kArrivalX, kArrivalY, 0.0f};
    g_pMessageHandler->SendToWorld(CreationRecord(OBJECT_GUEST), &request);
}

void GuestArrivals::Recompute()
{
    // Whole numbers throughout, so the product is exact: rating 50 and 10 buildings make 100, not 99.99.
    const int64_t rating = g_pWorld ? g_pWorld->GetParkRating() : 0;
    const int64_t buildings = g_pObjectManager ? g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING) : 0;
    const int64_t unhappy =
        g_pWorld ? static_cast<int64_t>(g_pWorld->m_TodayGuestUnhappyDepart[0]) + g_pWorld->m_TodayGuestUnhappyDepart[1]
                 : 0;
    const double target =
        std::trunc(static_cast<double>(rating * buildings * 20) / 100.0 - static_cast<double>(unhappy));
    m_iTarget = target < kMinTarget ? kMinTarget : target > kMaxTarget ? kMaxTarget : static_cast<int32_t>(target);
    const int32_t halfDay = g_pWorld ? g_pWorld->GetDayLength() / 2 : 0;
    m_fInterval = static_cast<float>(halfDay) / static_cast<float>(m_iTarget);
}
