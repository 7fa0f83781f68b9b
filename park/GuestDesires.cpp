// GuestObject: desires that grow with game time, the choice of the desire to serve and of the building that serves
// it, the seat for a rest, leaving, and a desire no building can serve.
#include "engine/core/WholeNumbers.h"
#include "park/BuildingObject.h"
#include "park/FeedbackManager.h"
#include "park/GuestObject.h"
#include "park/ParkManagers.h"
#include "park/SceneryObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <cmath>
#include <cstring>

namespace
{

// The attraction category that serves each desire (REST is served by a seat instead).
constexpr int32_t kDesireCategory[GuestObject::DESIRE_COUNT] = {
    kAttractMeals, kAttractSnacks, kAttractAnimal, kAttractShow,   kAttractAmusement,
    kAttractRide,  kAttractRetail, kAttractToilet, kAttractToilet, kAttractCash};

constexpr const char* kDesireNames[GuestObject::DESIRE_COUNT] = {
    "MEALS", "SNACKS", "ANIMAL_ATTRACT", "ANIMAL_SHOW", "AMUSEMENT", "RIDE", "RETAIL", "TOILET", "REST", "CASH"};

constexpr const char* kInformation = "INFORMATION";

float SquaredDistance(const platform::Vec3& a, const platform::Vec3& b)
{
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

} // namespace

int32_t GuestObject::GetDesireCategory(int32_t desire)
{
    return desire >= 0 && desire < DESIRE_COUNT ? kDesireCategory[desire] : kAttractNone;
}

const char* GuestObject::GetDesireName(int32_t desire)
{
    return desire >= 0 && desire < DESIRE_COUNT ? kDesireNames[desire] : "";
}

int32_t GuestObject::GetDesireIcon(int32_t desire) const
{
    switch (desire)
    {
    case DESIRE_MEALS:
    case DESIRE_SNACKS:
        return 0;
    case DESIRE_ANIMAL_ATTRACT:
    case DESIRE_ANIMAL_SHOW:
        return 4;
    case DESIRE_AMUSEMENT:
        return 5;
    case DESIRE_RIDE:
        return 3;
    case DESIRE_RETAIL:
        return m_bBuyingMap ? 8 : 7;
    case DESIRE_TOILET:
        return 2;
    default:
        return 6;
    }
}

void GuestObject::GrowDesires(float delta)
{
    // A desire is a level from nothing to full: a rate drawn below nothing empties it, never past.
    for (int32_t d = 0; d < DESIRE_COUNT; ++d)
        m_desires[d] = std::clamp(m_desires[d] + m_person[d] * delta, 0.0f, 1.0f);
}

void GuestObject::DrawDesireRate(int32_t desire)
{
    if (desire >= 0 && desire < DESIRE_COUNT)
        m_desires[desire] = 0.0f;
    for (int32_t d : {DESIRE_MEALS, DESIRE_SNACKS, DESIRE_ANIMAL_ATTRACT, DESIRE_ANIMAL_SHOW, DESIRE_AMUSEMENT,
                      DESIRE_RIDE, DESIRE_RETAIL, DESIRE_REST})
        m_person[d] = DrawRate(d);
    m_person[DESIRE_TOILET] = 0.0f;
    m_person[DESIRE_CASH] = 0.0f;
}

int32_t GuestObject::GetHoursInPark() const
{
    const int32_t hour = g_pWorld ? g_pWorld->GetDayLength() / 24 : 0;
    if (hour <= 0)
        return m_iHourOffset;
    const float now = g_pWorld->GetGameTime();
    // A stay beyond what a count of hours holds (an arrival time from a damaged record, or a clock run on for ages)
    // counts as the longest there is, not as a number the conversion makes up.
    return TruncateToInt((now - m_fTimeArrived) / static_cast<float>(hour)) + m_iHourOffset;
}

uint32_t GuestObject::FindCandidates(int32_t category, bool informationOnly)
{
    m_uCandidates = 0;
    if (!g_pObjectManager)
        return 0;
    const uint32_t count = g_pObjectManager->GetPoolCount(ObjectManager::POOL_BUILDING);
    for (uint32_t i = 0; i < count; ++i)
    {
        auto* building =
            dynamic_cast<BuildingObject*>(g_pObjectManager->GetPoolObject(ObjectManager::POOL_BUILDING, i));
        if (!building)
            continue;
        const bool information = std::strcmp(building->GetName(), kInformation) == 0;
        if (informationOnly && !information)
            continue;
        if (!building->IsOpen() || building->GetInfo().iAttractCategory != category)
            continue;
        if (category == kAttractRetail && !m_bBuyingMap && information)
            continue;
        if (building->IsToilet() && building->IsTooStinky())
            continue;
        if (m_uCandidates == m_Candidates.size())
            m_Candidates.emplace_back();
        Candidate& c = m_Candidates[m_uCandidates++];
        c = Candidate{};
        c.building = building;
    }
    return m_uCandidates;
}

void GuestObject::Leave()
{
    Tell(MT_STATECHANGE, 0, STATE_GUEST_LEAVING_WORLD);
    ShowIcon(kIconLeaving);
}

void GuestObject::SearchDesire()
{
    const bool leave = GetHoursInPark() > kLongestStay;
    if (leave)
        AddThought("GUEST_THOUGHT_DESIRE_LEAVE", kNoObjectID);
    if (m_fHappiness < kUnhappy)
    {
        AddThought("GUEST_THOUGHT_DESIRE_LEAVE_EARLY", kNoObjectID);
        m_bLastBad = true;
        TellDelayed(MT_THUMBS_DOWN, kThumbsDownDelay);
        m_bLeavingEarly = true;
        Leave();
        return;
    }
    if (leave)
    {
        Leave();
        return;
    }

    int32_t desire = DESIRE_MEALS;
    if (m_bNeedCash || m_cash < kLowCash)
    {
        desire = DESIRE_CASH;
    }
    else if (m_desires[DESIRE_TOILET] > kToiletUrge)
    {
        desire = DESIRE_TOILET;
    }
    else
    {
        float best = 0.0f;
        for (int32_t d = 0; d < DESIRE_COUNT; ++d)
        {
            if (m_desires[d] > best)
            {
                best = m_desires[d];
                desire = d;
            }
        }
    }

    if (desire == DESIRE_REST)
    {
        SeekRest();
        return;
    }
    if (desire == DESIRE_RETAIL)
    {
        // Information booths sell park maps; every other retail building is a shop.
        if (m_bGotMap)
        {
            m_bBuyingMap = false;
            FindCandidates(kAttractRetail, false);
        }
        else if (platform::Rand() % 2 == 0)
        {
            m_bBuyingMap = false;
            if (FindCandidates(kAttractRetail, false) == 0)
            {
                m_bBuyingMap = true;
                FindCandidates(kAttractRetail, true);
            }
        }
        else
        {
            m_bBuyingMap = true;
            if (FindCandidates(kAttractRetail, true) == 0)
            {
                m_bBuyingMap = false;
                FindCandidates(kAttractRetail, false);
            }
        }
    }
    else
    {
        FindCandidates(GetDesireCategory(desire), false);
    }
    if (m_uCandidates == 0)
    {
        OnMissedDesire(desire);
        return;
    }

    const bool scored = desire <= DESIRE_RETAIL;
    Candidate* chosen = nullptr;
    float best = -10.0f;
    for (uint32_t i = 0; i < m_uCandidates; ++i)
    {
        Candidate& c = m_Candidates[i];
        const platform::Vec3& at = c.building->GetWorldPosition();
        const float dx = m_WorldXYZ.x - at.x;
        // A cell is twice as long along y as along x.
        const float dy = (m_WorldXYZ.y - at.y) * 0.5f;
        const float d2 = dx * dx + dy * dy;
        c.distance = d2 <= kNearBand ? 1.0f : d2 <= kMiddleBand ? 0.66f : d2 <= kFarBand ? 0.33f : 0.0f;
        if (scored)
        {
            c.intensity = 1.0f - std::fabs(c.building->GetAttraction() - m_DesirePrefs[desire]);
            // Counted as a real: one more than the most visits a count holds is still a number of visits.
            c.repeat = 1.0f / (static_cast<float>(CountVisits(c.building->GetID())) + 1.0f);
        }
        c.total = c.repeat + c.intensity + c.distance;
        if (c.total > best)
        {
            best = c.total;
            chosen = &c;
        }
    }
    if (!chosen)
    {
        OnMissedDesire(desire);
        return;
    }
    m_eActivityDesire = desire;
    m_iActivityScore = 0;
    m_fVarietyScore = Held(m_pGuestType->fVarietyEffectGood);
    const uint32_t target = chosen->building->GetID();
    Tell(MT_STATECHANGE, 0, STATE_GUEST_HEADING_DESIRE);
    Tell(MT_PAVEMENT2OBJECT, 0, target);
    AddDesireThought(desire);
    ShowIcon(GetDesireIcon(desire));
}

int32_t GuestObject::CountVisits(uint32_t building) const
{
    for (const Visit& visit : m_VisitList)
    {
        if (visit.m_VisitedID == building)
            return visit.m_iVisitedCount;
    }
    return 0;
}

void GuestObject::SeekRest()
{
    // A rest starts a new activity: the verdict of the visit before it is not carried onto the seat. It is the
    // activity before the seat is told and the way to it asked for, as a way found blocked at once is answered
    // (a missed rest) before the seat search returns.
    const int32_t desire = m_eActivityDesire;
    const int32_t score = m_iActivityScore;
    m_eActivityDesire = DESIRE_REST;
    m_iActivityScore = 0;
    if (!FindBench())
    {
        // No seat: nothing was told, and the activity stays the one before.
        m_eActivityDesire = desire;
        m_iActivityScore = score;
        OnMissedDesire(DESIRE_REST);
    }
}

bool GuestObject::FindBench()
{
    Scenery* chosen = nullptr;
    float best = kSeatRange;
    uint32_t bestSlot = 0;
    for (Scenery* seat : Scenery::GetBenches())
    {
        if (!seat->IsBench() || seat->IsWaitingForDeath() || seat->GetFreeSeatCount() <= 0)
            continue;
        const float d2 = SquaredDistance(seat->GetWorldPosition(), m_WorldXYZ);
        // Nearest first; of two as near, the one earlier in the pool.
        const uint32_t slot = g_pObjectManager ? g_pObjectManager->GetSlot(seat->GetID()) : 0;
        if (d2 < best || (chosen && d2 == best && slot < bestSlot))
        {
            best = d2;
            bestSlot = slot;
            chosen = seat;
        }
    }
    if (!chosen)
        return false;
    // A seat that is also a bin takes guests only while it has room for litter; a plain seat always does.
    if (chosen->IsBin() && chosen->GetInfo().iCapacity <= chosen->GetNumItems())
        return true;
    MessageRecord sit;
    sit.dwSender = m_dwID;
    sit.dwReciever = chosen->GetID();
    sit.dwType = MT_STATECHANGE;
    sit.dwData = STATE_OCCUPIED;
    sit.dwData2 = m_dwState;
    if (g_pMessageHandler)
        g_pMessageHandler->Send(sit);
    Tell(MT_STATECHANGE, 0, STATE_GUEST_HEADING_FOR_BENCH);
    m_DestObjectID = chosen->GetID();
    const platform::Vec3 point = WorldMap::GetCellPoint(chosen->GetGridPos(), 4);
    Tell(MT_PAVEMENT2POINT, static_cast<uint32_t>(static_cast<int32_t>(point.x)),
         static_cast<uint32_t>(static_cast<int32_t>(point.y)));
    return true;
}

void GuestObject::OnMissedDesire(int32_t desire)
{
    DrawDesireRate(desire);
    AddDesireThought(desire);
    AddThought("GUEST_THOUGHT_MISSED_DESIRE", kNoObjectID);
    m_bLastBad = true;
    TellDelayed(MT_THUMBS_DOWN, kThumbsDownDelay);
    const float bad = m_pGuestType->fVarietyEffectBad;
    ChangeOpinion(OPINION_VARIETY, -bad);
    LowerOpinions(bad);
    PlayVoice(3);
    if (desire == DESIRE_CASH)
    {
        // No money and nowhere to get more: the guest gives up on the park.
        std::fill(std::begin(m_opinion), std::end(m_opinion), 0.0f);
        m_fHappiness = 0.0f;
        SearchDesire();
    }
    if (FeedbackManager* feedback = GetFeedbackManager())
        feedback->CountMissedDesire(static_cast<uint32_t>(desire));
}
