// BuildingObject: wear with use, breakdowns by wear and by chance, the mechanics' repairs and services, the
// zookeepers' visits, the care of the animals held, toilet cleanliness, and the building's messages to the player.
#include "engine/core/TextFormat.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/CleaningManager.h"
#include "park/FeedbackManager.h"
#include "park/ParkManagers.h"
#include "park/QueueComponent.h"
#include "park/RepairManager.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>

namespace
{

// Repair progress gained with each of a mechanic's work steps.
constexpr float kRepairStep = 0.1f;
// Condition below which a building asks for a service; the wear stages of its model.
constexpr float kServiceCondition = 0.5f;
constexpr float kFirstWearStage = 0.6f;
constexpr float kSecondWearStage = 0.4f;
// Toilets: cleanliness lost per use; below these the flies and then the fog show, and a cleaner is asked for.
constexpr float kToiletUse = 0.04f;
constexpr float kFlyCleanliness = 0.5f;
constexpr float kFogCleanliness = 0.1f;
// The animals' mean happiness or food opinion below which a zookeeper is called.
constexpr float kCareLevel = 0.5f;
constexpr int kBrokenRemarks = 40;
constexpr const char* kSmokePart = "_smoke";

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

float Random01()
{
    return static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
}

} // namespace

void BuildingObject::SetWaterDirtStage(int32_t stage)
{
    EnableBone("Water_dirt1", stage == 1);
    EnableBone("Water_dirt2", stage == 2);
}

bool BuildingObject::SetMechanicCalledByPlayer(bool called)
{
    m_fRepairStateOnBreakdown = m_fRepairState;
    return called;
}

void BuildingObject::PostBuildingFeedback(const char* textId)
{
    FeedbackManager* feedback = GetFeedbackManager();
    if (!feedback)
        return;
    const std::string name = std::string("FAN_") + m_pInfo->keyword;
    const platform::WString text = FormatTableText(textId, {TableText(name.c_str())});
    feedback->AddWideMessage(text.c_str(), m_dwID, FeedbackManager::MESSAGE_BUILDING);
}

// ---------------------------------------------------------------- wear and breakdowns

void BuildingObject::ApplyWear()
{
    if (!m_pInfo->bCanBreakdown || IsBrokenDown())
        return;
    // The condition stays within 0 to 1 whatever the data's decay: one that is no number wears nothing, one
    // below 0 mends no further than new.
    const float decay = m_pInfo->fRepairDecay;
    if (!std::isnan(decay))
        m_fRepairState = std::min(m_fRepairState - decay, 1.0f);
    if (m_fRepairState < 0.0f)
    {
        BreakDownByWear();
        m_fRepairState = 0.0f;
    }
    if (m_fRepairState < kServiceCondition && !IsBeingDemolished())
    {
        if (RepairManager* mechanics = GetMechanicsRepair())
            mechanics->RequestRepair(m_dwID, RepairManager::REPAIR_SERVICE);
        // The service starts from the condition the mechanic finds; once one has taken the job, sales while he
        // works do not set his progress back.
        if (!m_bRepairing)
            m_fRepairStateOnBreakdown = m_fRepairState;
    }
    SetWaterDirtStage(m_fRepairState < kSecondWearStage ? 2 : m_fRepairState < kFirstWearStage ? 1 : 0);
}

void BuildingObject::BreakDownByWear()
{
    // A scenario that turns breakdowns off keeps its buildings working.
    if (g_pWorld && !g_pWorld->AreBreakDownsAllowed())
        return;
    RepairManager* mechanics = GetMechanicsRepair();
    if (mechanics && mechanics->HoldsRequest(m_dwID))
        return;
    m_RepairState = kBrokenDown;
    m_bWasBroken = true;
    m_OpenStatus = kClosed;
    m_fRepairStateOnBreakdown = m_fRepairState;
    if (m_pQueueManager)
        m_pQueueManager->Clear();
    SetWaterDirtStage(2);
    SendToAllHumans(MT_BUILDING_CLOSING);
    HideServers();
    if (g_pWorld)
    {
        m_fLastFaultDayTime = g_pWorld->GetGameDayTime();
        m_LastFaultDay = g_pWorld->GetGameDay();
    }
    ++m_NumFaults;
    PostBuildingFeedback("FEEDBACK_BUILDING_BROKEN");
    // A building being pulled down waits for no mechanic: the request would keep it standing until one came.
    if (mechanics && !IsBeingDemolished())
        mechanics->RequestRepair(m_dwID, RepairManager::REPAIR_BREAKDOWN);
    std::snprintf(m_RepairText, sizeof m_RepairText, "BUILDING_REPAIR_BROKEN_%d",
                  platform::Rand() % kBrokenRemarks + 1);
    m_fRepairState = 0.0f;
    EnableBone(kSmokePart, true);
}

void BuildingObject::BreakDown()
{
    m_RepairState = kBrokenDown;
    if (g_pWorld)
    {
        m_fLastFaultDayTime = g_pWorld->GetGameDayTime();
        m_LastFaultDay = g_pWorld->GetGameDay();
    }
    ++m_NumFaults;
    if (!IsBeingDemolished())
    {
        if (RepairManager* mechanics = GetMechanicsRepair())
            mechanics->RequestRepair(m_dwID, RepairManager::REPAIR_BREAKDOWN);
    }
    SetWaterDirtStage(2);
}

void BuildingObject::CheckBreakdown()
{
    // The chain ends with demolition.
    if (IsBeingDemolished() || !g_pWorld)
        return;
    if (!IsBrokenDown() && m_fRepairState < Random01())
        BreakDownByWear();
    PostBreakdownCheck();
}

void BuildingObject::PostBreakdownCheck()
{
    if (!g_pWorld)
        return;
    // Each check of the chain carries its number (from 1; two a game day never reach the unknown number); a newer
    // one supersedes every check posted before it.
    MessageRecord record;
    record.dwSender = m_dwID;
    record.dwReciever = m_dwID;
    record.dwType = MT_UPDATE_BREAKDOWN;
    record.dwData = ++m_BreakdownCheck;
    PostDelayedMessage(record, static_cast<float>(g_pWorld->GetDayLength() / 2));
}

bool BuildingObject::IsCurrentBreakdownCheck(uint32_t check) const
{
    // A check from outside the chain (number 0) starts it afresh; after a load the first check to come is the
    // chain's.
    return check == 0 || check == m_BreakdownCheck || m_BreakdownCheck == kUnknownBreakdownCheck;
}

// ---------------------------------------------------------------- the workers' steps

void BuildingObject::RepairStep(uint32_t mechanic)
{
    m_fRepairStateOnBreakdown += kRepairStep;
    if (m_fRepairStateOnBreakdown < 1.0f)
    {
        SendTo(mechanic, MT_MORE_REPAIRS);
        return;
    }
    SendTo(mechanic, MT_REPAIRS_FINISHED);
    m_bRepairing = false;
    m_bCalledRepairing = false;
    SetMechanicCalledByPlayer(false);
    if (m_bWasBroken)
    {
        PostBuildingFeedback("FEEDBACK_BUILDING_REPAIRED");
        m_bWasBroken = false;
    }
    if (g_pWorld)
    {
        m_fLastRepairDayTime = g_pWorld->GetGameDayTime();
        m_LastRepairDay = g_pWorld->GetGameDay();
    }
    m_fRepairState = 1.0f;
    std::snprintf(m_RepairText, sizeof m_RepairText, "BUILDING_REPAIR_GOOD");
    m_RepairState = 0;
    SetWaterDirtStage(0);
    EnableBone(kSmokePart, false);
    if (!m_bUserClose)
        ReopenIfPossible();
    MessageRecord visited;
    visited.dwSender = m_dwID;
    visited.dwType = MT_ANIMAL_MECHANIC_VISITED;
    SendToAnimals(visited);
}

void BuildingObject::ZooStep(uint32_t keeper)
{
    if (m_bWaitingForAnimalEat)
    {
        if (m_iNumAnimals == 0)
            m_bWaitingForAnimalEat = false;
        if (m_bWaitingForAnimalEat)
        {
            SendTo(keeper, MT_MORE_REPAIRS);
            return;
        }
    }
    // A visit with no animal left to see (a call the player made) ends at once rather than counting on below 0.
    if (m_iAnimalsToZoo > 0)
        --m_iAnimalsToZoo;
    if (m_iAnimalsToZoo < 1)
    {
        SendTo(keeper, MT_REPAIRS_FINISHED);
        MessageRecord visited;
        visited.dwSender = m_dwID;
        visited.dwType = MT_ANIMAL_ZOO_VISITED;
        SendToAnimals(visited);
        return;
    }
    SendTo(keeper, MT_MORE_REPAIRS);
}

void BuildingObject::CallZoo()
{
    RepairManager* zoo = GetZooRepair();
    if (IsBeingDemolished() || (zoo && zoo->HoldsRequest(m_dwID)))
        return;
    if (zoo)
        zoo->RequestRepair(m_dwID, RepairManager::REPAIR_ZOO_VISIT);
    m_iAnimalsToZoo = static_cast<uint32_t>(m_iNumAnimals);
    m_bWaitingForAnimalEat = false;
}

void BuildingObject::OnCareMessage(const MessageRecord& record)
{
    switch (record.dwType)
    {
    case MT_UPDATE_BREAKDOWN:
        // The first check to come after a load carries the chain's number on.
        if (m_BreakdownCheck == kUnknownBreakdownCheck)
            m_BreakdownCheck = record.dwData;
        CheckBreakdown();
        break;
    case MT_REPAIR:
        if (record.dwData == RepairManager::REPAIR_SERVICE || record.dwData == RepairManager::REPAIR_BREAKDOWN)
            RepairStep(record.dwSender);
        else if (record.dwData == RepairManager::REPAIR_ZOO_VISIT)
            ZooStep(record.dwSender);
        break;
    case MT_REPAIR_STARTING:
        if (record.dwData == RepairManager::REPAIR_ZOO_VISIT)
        {
            MessageRecord feeding;
            feeding.dwSender = m_dwID;
            feeding.dwType = MT_ANIMAL_FEEDING_TIME;
            SendToAnimals(feeding);
        }
        break;
    case MT_CALL_ZOO:
        CallZoo();
        break;
    case MT_ANIMAL_EAT_NOW:
        m_bWaitingForAnimalEat = false;
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- animals and toilets

void BuildingObject::CheckAnimalCare()
{
    if (m_iNumAnimals <= 0)
        return;
    float happiness = 0.0f;
    float food = 0.0f;
    int32_t counted = 0;
    for (int32_t i = 0; i < m_iNumAnimals && i < static_cast<int32_t>(kMaxAnimals); ++i)
    {
        if (const auto* animal = dynamic_cast<const CaredAnimal*>(FindObject(m_dwAnimals[i])))
        {
            happiness += animal->GetHappiness();
            food += animal->GetOpinion(0);
            ++counted;
        }
    }
    if (counted == 0)
        return;
    const float n = static_cast<float>(counted);
    if (!(happiness / n < kCareLevel || food / n < kCareLevel))
        return;
    RepairManager* zoo = GetZooRepair();
    if (zoo && zoo->HoldsRequest(m_dwID))
        return;
    if (zoo && !IsBeingDemolished())
        zoo->RequestRepair(m_dwID, RepairManager::REPAIR_ZOO_VISIT);
    m_iAnimalsToZoo = static_cast<uint32_t>(m_iNumAnimals);
    m_bWaitingForAnimalEat = true;
}

void BuildingObject::UseToilet()
{
    m_fCleanliness -= kToiletUse;
    if (m_fCleanliness < kFlyCleanliness)
        EnableBone("FLYSWARM", true);
    if (m_fCleanliness < kFogCleanliness)
        EnableBone("FOG", true);
    const bool building = IsUnderConstruction() || IsBeingDemolished();
    CleaningManager* cleaning = GetCleaningManager();
    if (m_fCleanliness <= FLT_EPSILON)
    {
        m_fCleanliness = 0.0f;
        m_bTooStinky = true;
        if (!building && !m_bCleanerCalledByPlayer)
        {
            m_bCleanerCalledByPlayer = true;
            if (cleaning)
                cleaning->RequestUrgentCleaning(m_dwID);
        }
    }
    else if (m_fCleanliness < kFlyCleanliness && !building && !m_bCalledCleaning && !IsCleaningBusy())
    {
        if (cleaning)
            cleaning->RequestCleaning(m_dwID);
        m_bCalledCleaning = true;
    }
}

int32_t BuildingObject::CleanToilet()
{
    ResetCleanliness();
    return ++m_NumTimesCleanedToday;
}

void BuildingObject::ResetCleanliness()
{
    m_fCleanliness = 1.0f;
    m_bTooStinky = false;
    EnableBone("FLYSWARM", false);
    EnableBone("FOG", false);
}
