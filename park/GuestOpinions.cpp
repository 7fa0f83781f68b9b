// GuestObject: its six opinions and happiness, the judgements of queues, prices, animals, visits and surroundings,
// the three latest thoughts, and the thumbs shown over its head.
#include "engine/core/TextTable.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/FeedbackManager.h"
#include "park/GuestObject.h"
#include "park/ParkManagers.h"
#include "park/SceneryObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

constexpr float kSixth = 0.16666667f;
constexpr float kNinth = 0.11111111f;
constexpr float kLitterShare = 0.037037037f;

// The mean happiness of the building's animals; 0 without animals.
float AnimalWelfare(const BuildingObject& building)
{
    float sum = 0.0f;
    int32_t count = 0;
    for (uint32_t id : building.AnimalIds())
    {
        BaseObject* object = g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
        if (const auto* animal = dynamic_cast<const CaredAnimal*>(object))
        {
            sum += animal->GetHappiness();
            ++count;
        }
    }
    return count > 0 ? sum / static_cast<float>(count) : 0.0f;
}

} // namespace

BuildingObject* GuestObject::CurrentBuilding() const
{
    if (m_DestObjectID == kNoObjectID || !g_pObjectManager)
        return nullptr;
    return dynamic_cast<BuildingObject*>(g_pObjectManager->GetObject(m_DestObjectID));
}

void GuestObject::UpdateHappiness()
{
    float sum = 0.0f;
    for (float opinion : m_opinion)
        sum += opinion;
    m_fHappiness = sum * kSixth;
}

void GuestObject::ChangeOpinion(int32_t opinion, float amount)
{
    if (std::isnan(amount))
        return;
    m_opinion[opinion] = std::clamp(m_opinion[opinion] + amount, 0.0f, 1.0f);
}

void GuestObject::LowerOpinions(float amount)
{
    for (int32_t o : {OPINION_BEAUTY, OPINION_CROWDING, OPINION_WELFARE, OPINION_PRICE, OPINION_CLEANLINESS})
        ChangeOpinion(o, -amount);
    UpdateHappiness();
}

void GuestObject::RecordVerdict(int32_t category, int32_t verdict)
{
    if (BuildingObject* building = CurrentBuilding())
        building->AddOpinion(category, verdict);
}

// ---------------------------------------------------------------- thoughts

int32_t GuestObject::AddThought(const char* base, uint32_t object)
{
    char key[96];
    std::snprintf(key, sizeof key, "%s_%d", base, platform::Rand() % 3 + 1);
    const int32_t index = g_pTextTable ? g_pTextTable->FindIndex(key) : -1;
    if (index < 0)
        return -1;
    for (int32_t slot = kThoughtSlots - 1; slot > 0; --slot)
    {
        m_Thoughts[slot] = m_Thoughts[slot - 1];
        m_ThoughtID[slot] = m_ThoughtID[slot - 1];
    }
    m_Thoughts[0] = index;
    m_ThoughtID[0] = static_cast<int32_t>(object);
    return index;
}

void GuestObject::AddDesireThought(int32_t desire)
{
    if (desire == DESIRE_RETAIL && m_bBuyingMap)
    {
        AddThought("GUEST_THOUGHT_DESIRE_MAP", kNoObjectID);
        return;
    }
    char base[64];
    std::snprintf(base, sizeof base, "GUEST_THOUGHT_DESIRE_%s", GetDesireName(desire));
    AddThought(base, kNoObjectID);
}

// ---------------------------------------------------------------- judgements

void GuestObject::CheckQueue()
{
    BuildingObject* building = CurrentBuilding();
    if (!building)
        return;
    if (building->IsQueueNotFull())
    {
        building->JoinQueue(m_dwID);
        Tell(MT_STATECHANGE, 0, STATE_GUEST_JOIN_QUEUE);
        return;
    }
    ShowThumbsDown();
    AddThought("GUEST_THOUGHT_CROWDING_LOOKS_BAD", building->GetID());
    RecordVerdict(BuildingObject::OPINION_QUEUING, 0);
    ChangeOpinion(OPINION_CROWDING, -m_pGuestType->fCrowdEffectBad);
    ChangeOpinion(OPINION_VARIETY, -m_pGuestType->fVarietyEffectBad);
    UpdateHappiness();
    if (FeedbackManager* feedback = GetFeedbackManager())
        feedback->CountMissedDesire(DESIRE_QUEUE);
}

void GuestObject::FinishedQueueing()
{
    RecordVerdict(BuildingObject::OPINION_QUEUING, 2);
    ChangeOpinion(OPINION_CROWDING, m_pGuestType->fCrowdEffectGood);
    ++m_iActivityScore;
    UpdateHappiness();
}

void GuestObject::LeaveQueue()
{
    if (BuildingObject* building = CurrentBuilding())
        building->LeaveQueue(m_dwID);
}

void GuestObject::PriceTooHigh()
{
    ChangeOpinion(OPINION_PRICE, -m_pGuestType->fPriceEffectBad);
    if (BuildingObject* building = CurrentBuilding())
    {
        AddThought("GUEST_THOUGHT_PRICE_IS_BAD", building->GetID());
        RecordVerdict(BuildingObject::OPINION_PRICE, 0);
    }
    else
    {
        AddThought("GUEST_THOUGHT_PRICE_IS_BAD", kNoObjectID);
    }
    m_bLastBad = true;
    ShowThumbsOverlay();
    UpdateHappiness();
    PlayVoice(3);
}

void GuestObject::AlterPriceOpinion()
{
    BuildingObject* building = CurrentBuilding();
    if (!building)
        return;
    const float listed = building->GetInfo().fAttractPrice;
    const float percent = listed > 0.0f ? building->GetAttractionPrice() / listed * 100.0f : 0.0f;
    if (percent >= m_Tolerance[TOL_PRICE_HIGH])
    {
        ChangeOpinion(OPINION_PRICE, -m_pGuestType->fPriceEffectBad);
        AddThought("GUEST_THOUGHT_PRICE_WAS_BAD", building->GetID());
        RecordVerdict(BuildingObject::OPINION_PRICE, 0);
        --m_iActivityScore;
        UpdateHappiness();
        m_bMissedPurchase = true;
        PlayVoice(3);
    }
    else if (percent >= m_Tolerance[TOL_PRICE_LOW])
    {
        RecordVerdict(BuildingObject::OPINION_PRICE, 1);
    }
    else
    {
        ChangeOpinion(OPINION_PRICE, m_pGuestType->fPriceEffectGood);
        AddThought("GUEST_THOUGHT_PRICE_GOOD", building->GetID());
        RecordVerdict(BuildingObject::OPINION_PRICE, 2);
        ++m_iActivityScore;
        UpdateHappiness();
    }
}

void GuestObject::WelfareOpinion()
{
    BuildingObject* building = CurrentBuilding();
    if (!building || building->GetAnimalCount() <= 0)
        return;
    m_bVisitedAnimals = true;
    const float welfare = AnimalWelfare(*building);
    if (welfare > m_Tolerance[TOL_ANIMAL_HIGH])
    {
        ChangeOpinion(OPINION_WELFARE, m_pGuestType->fAnimalEffectGood);
        ++m_iActivityScore;
        UpdateHappiness();
        AddThought("GUEST_THOUGHT_WELFARE_GOOD", building->GetID());
        RecordVerdict(BuildingObject::OPINION_WELFARE, 2);
    }
    else if (welfare < m_Tolerance[TOL_ANIMAL_LOW])
    {
        ChangeOpinion(OPINION_WELFARE, -m_pGuestType->fAnimalEffectBad);
        --m_iActivityScore;
        UpdateHappiness();
        AddThought("GUEST_THOUGHT_WELFARE_BAD", building->GetID());
        RecordVerdict(BuildingObject::OPINION_WELFARE, 0);
    }
    else
    {
        RecordVerdict(BuildingObject::OPINION_WELFARE, 1);
    }
}

void GuestObject::RateSurroundings()
{
    if (!g_pWorldMap)
        return;
    const GridPos here = GetGridPos();
    MapCell* cells[9] = {};
    g_pWorldMap->GetNeighbourCells(here, cells);
    cells[8] = g_pWorldMap->GetCell(here);
    float beauty = 0.0f;
    int32_t litter = 0;
    for (const MapCell* cell : cells)
    {
        if (!cell)
            continue;
        for (const BaseObject* object : cell->GetObjectList())
        {
            if (object->GetType() == OBJECT_LITTER)
                ++litter;
            else if (object->GetType() == OBJECT_SCENERY)
            {
                if (const auto* scenery = dynamic_cast<const Scenery*>(object))
                    beauty += scenery->GetInfo().fBeauty;
            }
        }
    }
    const float clean = 1.0f - static_cast<float>(litter) * kLitterShare;
    if (clean < m_Tolerance[TOL_CLEAN_LOW])
    {
        ChangeOpinion(OPINION_CLEANLINESS, -m_pGuestType->fCleanEffectBad);
        UpdateHappiness();
    }
    else if (clean > m_Tolerance[TOL_CLEAN_HIGH])
    {
        ChangeOpinion(OPINION_CLEANLINESS, m_pGuestType->fCleanEffectGood);
        UpdateHappiness();
    }
    const float beautiful = beauty * kNinth;
    if (beautiful > m_Tolerance[TOL_BEAUTY_HIGH])
    {
        ChangeOpinion(OPINION_BEAUTY, m_pGuestType->fBeautyEffectGood);
        UpdateHappiness();
    }
    else if (beautiful < m_Tolerance[TOL_BEAUTY_LOW])
    {
        ChangeOpinion(OPINION_BEAUTY, -m_pGuestType->fBeautyEffectBad);
        UpdateHappiness();
    }
}

void GuestObject::PostActivityScore()
{
    const uint32_t about = m_DestObjectID;
    if (m_iActivityScore < 0)
    {
        AddThought("GUEST_THOUGHT_ACTIVITY_BAD", about);
        m_bLastBad = true;
        ShowThumbsOverlay();
        PlayVoice(3);
    }
    else if (m_iActivityScore > 0)
    {
        AddThought("GUEST_THOUGHT_ACTIVITY_GOOD", about);
        m_bLastGood = true;
        ShowThumbsOverlay();
        PlayVoice(4);
    }
    else
    {
        AddThought("GUEST_THOUGHT_ACTIVITY_AVERAGE", about);
    }
    ChangeOpinion(OPINION_VARIETY, m_fVarietyScore);
    UpdateHappiness();
    DrawDesireRate(m_eActivityDesire);
    if (m_eActivityDesire == DESIRE_RETAIL)
    {
        if (m_bBuyingMap)
            m_bGotMap = true;
        else
            ++m_iNumSouvenirs;
    }
}

void GuestObject::MissedDesire()
{
    ChangeOpinion(OPINION_VARIETY, -m_pGuestType->fVarietyEffectBad);
    UpdateHappiness();
    DrawDesireRate(m_eActivityDesire);
    PlayVoice(3);
    if (FeedbackManager* feedback = GetFeedbackManager())
        feedback->CountMissedDesire(static_cast<uint32_t>(m_eActivityDesire));
}

void GuestObject::ShowThumbsOverlay()
{
    if (m_bLastGood)
    {
        m_bLastGood = false;
        if (m_fIconTime <= 0.0f)
            ShowThumbsUp();
    }
    else if (m_bLastBad)
    {
        m_bLastBad = false;
        if (m_fIconTime <= 0.0f)
            ShowThumbsDown();
    }
}

int32_t GuestObject::OpinionBand(float value)
{
    // The bands as the script knows them; 4 is never reached (above 0.5 is 3 first).
    if (value > 0.5f)
        return 3;
    if (value >= 0.9f)
        return 4;
    if (value <= 0.1f)
        return 0;
    if (value >= 0.5f)
        return 2;
    return 1;
}
