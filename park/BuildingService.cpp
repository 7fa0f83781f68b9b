// BuildingObject: its messages: the price offer, serving and the sale, new staff, tables and animals, the day's
// close, queue path changes, rides and shows.
#include "engine/core/Logger.h"
#include "park/AnimalObject.h"
#include "park/AnimalPathComponent.h"
#include "park/BuildingObject.h"
#include "park/ConstructionManager.h"
#include "park/CrowdFiller.h"
#include "park/Money.h"
#include "park/ParkManagers.h"
#include "park/QueueComponent.h"
#include "park/RepairManager.h"
#include "park/RideComponent.h"
#include "park/ShowScheduler.h"
#include "park/TableObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <algorithm>

namespace
{

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

float Random01()
{
    return static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
}

} // namespace

void BuildingObject::SendTo(uint32_t receiver, uint32_t type, uint32_t data, float fData)
{
    MessageRecord record;
    record.dwSender = m_dwID;
    record.dwReciever = receiver;
    record.dwType = type;
    record.dwData = data;
    record.fData = fData;
    PostMessage(record);
}

void BuildingObject::SendToAllHumans(uint32_t type)
{
    if (!g_pWorld)
        return;
    MessageRecord record;
    record.dwSender = m_dwID;
    record.dwType = type;
    g_pWorld->SendToAllHumans(record);
}

// ---------------------------------------------------------------- who may say what, and when

bool BuildingObject::IsOwnServer(uint32_t id) const
{
    const uint32_t* const end = m_staff + GetServerCount();
    return std::find(m_staff, end, id) != end;
}

bool BuildingObject::IsOwnAnimal(uint32_t id) const
{
    const std::span<const uint32_t> animals = AnimalIds();
    return std::find(animals.begin(), animals.end(), id) != animals.end();
}

bool BuildingObject::IsExpectedStateChange(const MessageRecord& record) const
{
    const bool fromSelf = record.dwSender == m_dwID;
    const bool working = m_dwState == STATE_NULL || m_dwState == STATE_OCCUPIED;
    switch (record.dwData)
    {
    case STATE_STARTUP:
        // The World starts a building it has made, once.
        return record.dwSender == kWorldID && !m_bStarted;
    case STATE_NULL:
        // Construction finished (the construction manager speaks for the building), or no longer occupied.
        return fromSelf && (m_dwState == STATE_STARTUP || m_dwState == STATE_OCCUPIED);
    case STATE_OCCUPIED:
        return fromSelf && m_dwState == STATE_NULL;
    case STATE_DEMOLISHING:
        // Sold.
        return fromSelf && (working || m_dwState == STATE_STARTUP);
    case STATE_DEMOLISHED:
    {
        // Emptied while being pulled down (a building whose record is gone is pulled down without it).
        const ConstructionManager* construction = GetConstructionManager();
        return fromSelf && m_dwState == STATE_DEMOLISHING &&
               (!construction || !construction->FindRecord(m_dwID) || construction->IsBuildingReady(m_dwID));
    }
    default:
        return false;
    }
}

bool BuildingObject::IsExpectedSender(const MessageRecord& record) const
{
    const uint32_t sender = record.dwSender;
    const BaseObject* from = sender == m_dwID ? this : FindObject(sender);
    const auto ofKind = [from](uint8_t kind) { return from && from->GetType() == kind; };
    switch (record.dwType)
    {
    case MT_STATECHANGE:
        return IsExpectedStateChange(record);
    case MT_STAFF_CREATED:
        return ofKind(OBJECT_SERVER);
    case MT_TABLE_CREATED:
        return ofKind(OBJECT_TABLE);
    case MT_ANIMAL_CREATED:
        return ofKind(OBJECT_ANIMAL);
    case MT_SCENERY_ENTER_CREATED:
        return ofKind(OBJECT_SCENERY) && m_pInfo->bShowEnter;
    case MT_NEW_DAY:
        return sender == kWorldID;
    case MT_UPDATE_BREAKDOWN:
        // The building's own chain of checks, one at a time.
        return sender == m_dwID && IsCurrentBreakdownCheck(record.dwData);
    case MT_RIDE_COMPLETE:
        return sender == m_dwID;
    case MT_GUEST_SERVED:
        return IsOwnServer(sender);
    case MT_CALL_ZOO:
        return sender == m_dwID || IsOwnAnimal(sender);
    case MT_ANIMAL_EAT_NOW:
        return IsOwnAnimal(sender);
    case MT_REPAIR:
    case MT_REPAIR_STARTING:
        return ofKind(record.dwData == RepairManager::REPAIR_ZOO_VISIT ? OBJECT_ZOOKEEPER : OBJECT_MECHANIC);
    default:
        return true;
    }
}

// ---------------------------------------------------------------- messages

bool BuildingObject::Message(const MessageRecord& record)
{
    const uint32_t sender = record.dwSender;
    if (!IsExpectedSender(record))
    {
        GetLogger()->Report(1, "BuildingObject::Message - %s in state %u ignores message %u (data %u) from %u", m_Name,
                            m_dwState, record.dwType, record.dwData, sender);
        // Taken: there is nothing more to do with it.
        return true;
    }
    switch (record.dwType)
    {
    case MT_REQUEST_COMMOD:
        // A toilet is used by the guest it takes; a guest asking again while it is full leaves it as it is.
        if (OfferPrice(sender) && m_bIsToilet)
            UseToilet();
        break;
    case MT_PRICE_OK:
        AcceptPrice(sender);
        break;
    case MT_IM_READY:
        BookSale(record);
        break;
    case MT_PRICE_NOT_OK:
        if (m_pQueueManager)
            m_pQueueManager->Advance();
        for (uint32_t id : TableIds())
        {
            if (auto* table = dynamic_cast<TableSeats*>(FindObject(id)))
                table->ReleaseSeat(sender);
        }
        break;
    case MT_GUEST_SERVED:
    {
        // From one of the building's servers. The guest it was given last leaves the queue, wherever it stands: an
        // emptied queue may have taken new guests while the server was still at work. A server whose guest is not
        // known (since a load) served the head.
        uint32_t served = kNoObjectID;
        for (uint32_t i = 0; i < GetServerCount(); ++i)
        {
            if (m_staff[i] == sender)
            {
                m_staff_busy[i] = false;
                served = m_staff_guest[i];
            }
        }
        if (m_pQueueManager && served != kNoObjectID)
            m_pQueueManager->RemoveGone(served);
        else if (m_pQueueManager)
            m_pQueueManager->Advance();
        break;
    }
    case MT_STAFF_CREATED:
        if (record.dwData == 0)
            OnStaffCreated(record);
        break;
    case MT_TABLE_CREATED:
        OnTableCreated(sender);
        break;
    case MT_SCENERY_ENTER_CREATED:
        m_dwEntranceID = static_cast<int32_t>(sender);
        if (BaseObject* entrance = FindObject(sender))
            entrance->SetVisible(false);
        EnableBone(m_pInfo->keyword, true);
        break;
    case MT_ANIMAL_CREATED:
        OnAnimalCreated(sender);
        break;
    case MT_NEW_DAY:
        if (m_dwState == STATE_NULL)
            CloseDay();
        break;
    case MT_UPDATE_BREAKDOWN:
    case MT_REPAIR:
    case MT_REPAIR_STARTING:
    case MT_CALL_ZOO:
    case MT_ANIMAL_EAT_NOW:
        OnCareMessage(record);
        break;
    case MT_QUEUE_REMOVED:
    case MT_PATH_REMOVED:
    case MT_PATH_PLACED:
    case MT_QUEUE_PLACED:
        OnQueuePathChanged(record);
        break;
    case MT_RIDE_COMPLETE:
        m_pRide->EndRide();
        m_fCurrentRideStartLevel = m_fRideStartLevel;
        break;
    case MT_ANIMAL_MOVE_PATH:
    case MT_ANIMAL_EAT_PATH:
    case MT_ANIMAL_REST_PATH:
    case MT_ANIMAL_PLAY_PATH:
    {
        const int32_t action = record.dwType == MT_ANIMAL_MOVE_PATH   ? AnimalPathComponent::ACTION_MOVE
                               : record.dwType == MT_ANIMAL_EAT_PATH  ? AnimalPathComponent::ACTION_EAT
                               : record.dwType == MT_ANIMAL_REST_PATH ? AnimalPathComponent::ACTION_REST
                                                                      : AnimalPathComponent::ACTION_PLAY;
        for (const auto& path : m_AnimalPaths)
            path->PutOnPath(action, sender);
        break;
    }
    case MT_SHOW_ANIMAL_PATHS:
    case MT_HIDE_ANIMAL_PATHS:
        for (const auto& path : m_AnimalPaths)
            path->SetVisible(record.dwType == MT_SHOW_ANIMAL_PATHS);
        break;
    case MT_SHOW_STARTING:
        // Only a show building has a programme to perform; anywhere else the message means nothing.
        if (!m_pScheduler)
            break;
        if (m_pCrowd)
            m_pCrowd->React(CrowdFiller::REACT_SHOW_STARTING);
        m_pScheduler->StartShow();
        break;
    case MT_SHOW_MOVE_FINISHED:
        if (m_pCrowd)
            m_pCrowd->React(CrowdFiller::REACT_MOVE_FINISHED);
        break;
    case MT_SHOW_FINISHED:
    {
        if (m_pCrowd)
            m_pCrowd->React(CrowdFiller::REACT_SHOW_FINISHED);
        MessageRecord finished;
        finished.dwSender = m_dwID;
        finished.dwType = MT_ANIMAL_SHOW_FINISHED;
        SendToAnimals(finished);
        SendTo(m_dwID, MT_RIDE_COMPLETE);
        break;
    }
    default:
        return StaticObject::Message(record);
    }
    // Every message the building takes is taken.
    return true;
}

// ---------------------------------------------------------------- the guest's visit

void BuildingObject::StartRide()
{
    m_pRide->StartRide();
    for (uint32_t id : AnimalIds())
    {
        if (auto* animal = dynamic_cast<HomeAnimal*>(FindObject(id)))
            animal->SetShowTime();
    }
}

uint32_t BuildingObject::RideStartThreshold(float level) const
{
    // The share is taken in single precision, as the level is: 10 x 0.7 makes 7.
    const int32_t capacity = std::max(m_pInfo->iGuestCapacity, 0);
    const float share = static_cast<float>(capacity) * level;
    return static_cast<uint32_t>(Truncated(share, 0, capacity));
}

bool BuildingObject::OfferPrice(uint32_t guest)
{
    bool canTake = false;
    const uint32_t guests = static_cast<uint32_t>(m_GuestList.size());
    const int32_t capacity = m_pInfo->iGuestCapacity;
    if (GetServerCount() > 0)
    {
        for (uint32_t i = 0; i < GetServerCount() && !canTake; ++i)
            canTake = !m_staff_busy[i];
    }
    else if (m_iNumTables > 0)
    {
        for (uint32_t id : TableIds())
        {
            auto* table = dynamic_cast<TableSeats*>(FindObject(id));
            canTake = table && table->ReserveSeat(guest);
            if (canTake)
                break;
        }
    }
    else if (m_pInfo->bServeAtOnce)
    {
        const uint32_t threshold = std::max(RideStartThreshold(m_fCurrentRideStartLevel), 1u);
        canTake = !m_pRide->IsRunning() && guests < threshold && static_cast<int64_t>(guests) != capacity;
    }
    else
    {
        canTake = static_cast<int64_t>(guests) < capacity;
    }
    if (canTake)
        SendTo(guest, MT_COMMOD_PRICE, 0, m_fAttractionPrice);
    return canTake;
}

void BuildingObject::AcceptPrice(uint32_t guest)
{
    if (GetServerCount() > 0)
    {
        for (uint32_t i = 0; i < GetServerCount(); ++i)
        {
            if (!m_staff_busy[i])
            {
                m_staff_busy[i] = true;
                m_staff_guest[i] = guest;
                SendTo(guest, MT_IM_READY, m_staff[i]);
                break;
            }
        }
    }
    else
    {
        SendTo(guest, MT_ENTER_BUILDING, m_dwID);
        if (m_pQueueManager)
            m_pQueueManager->Advance();
    }
    m_GuestList.push_back(guest);
}

void BuildingObject::BookSale(const MessageRecord& record)
{
    const uint32_t guest = record.dwSender;
    // Money is booked in whole cents.
    const float price = RoundToCents(m_fAttractionPrice);
    const float cost = RoundToCents(m_pInfo->fAttractCost);
    m_fIncomeToday += price;
    m_fCostToday += cost;
    World* world = g_pWorld;
    if (world && world->GetPlayer())
        world->GetPlayer()->Cash += price - cost;
    if (world)
    {
        world->m_fCostsToday += cost;
        world->m_fStockCostToday += cost;
    }
    ApplyWear();
    if (world)
    {
        switch (m_pInfo->iAttractCategory)
        {
        case kAttractAmusement:
        case kAttractRide:
        case kAttractToilet:
        case kAttractShow:
            world->m_fIncomeToday += price;
            world->m_fAttractIncomeToday += price;
            break;
        case kAttractSnacks:
        case kAttractMeals:
        case kAttractRetail:
            world->m_fIncomeToday += price;
            world->m_fRetailIncomeToday += price;
            break;
        case kAttractAnimal:
            world->m_fAnimalIncomeTotal += price;
            break;
        default:
            world->m_fIncomeToday += price;
            break;
        }
    }
    ++m_NumVisitsToday;

    if (GetServerCount() > 0)
    {
        const uint32_t* const servers = m_staff + GetServerCount();
        const uint32_t* const server = std::find(static_cast<const uint32_t*>(m_staff), servers, record.dwData);
        if (server != servers)
            m_staff_guest[server - m_staff] = guest;
        SendTo(record.dwData, MT_SERVE_GUEST, guest);
    }
    else if (m_iNumTables > 0)
    {
        for (uint32_t id : TableIds())
            SendTo(id, MT_SERVE_GUEST, guest);
    }
    else if (m_pInfo->bServeAtOnce)
    {
        m_pRide->AddRider(guest);
        const uint32_t riders = m_pRide->GetRiderCount();
        const bool full = static_cast<int64_t>(riders) == m_pInfo->iGuestCapacity;
        if ((riders >= RideStartThreshold(m_fCurrentRideStartLevel) || full) && !IsBeingDemolished() && IsOpen())
            StartRide();
    }
    else
    {
        const MapGridInfo* grid = GetMapGrid();
        const bool viewPoints = grid && (grid->List(kViewPoints).count > 0 || grid->List(kViewPoints2).count > 0);
        const float low = m_pInfo->fServeTimeMin;
        const float delay = viewPoints ? kViewPointServeDelay : low + Random01() * (m_pInfo->fServeTimeMax - low);
        MessageRecord served;
        served.dwSender = m_dwID;
        served.dwReciever = guest;
        served.dwType = MT_SERVED_COMMOD;
        PostDelayedMessage(served, delay);
    }
}

// ---------------------------------------------------------------- new staff, tables and animals

void BuildingObject::OnStaffCreated(const MessageRecord& record)
{
    BaseObject* server = FindObject(record.dwSender);
    if (IsOwnServer(record.dwSender))
        return;
    const uint32_t slot = GetServerCount();
    if (slot >= kMaxStaff)
    {
        // Not taken on, it would stand at the counter for good: it goes.
        GetLogger()->Report(1, "BuildingObject::Message - %s already has %u servers: server %u is not taken on", m_Name,
                            kMaxStaff, record.dwSender);
        if (server)
            server->SetWaitingForDeath(true);
        return;
    }
    m_staff[slot] = record.dwSender;
    m_staff_busy[slot] = false;
    // The server's own staff type says whether it is a man or a woman; the type the building hires stands in for
    // a server the tables do not know.
    int32_t gender = kMale;
    if (g_pWorldParams)
    {
        int32_t type = server ? g_pWorldParams->FindStaff(server->GetName()) : WorldParams::kNotFound;
        if (type == WorldParams::kNotFound)
            type = g_pWorldParams->FindStaff(m_pInfo->szStaffID);
        if (type != WorldParams::kNotFound)
            gender = g_pWorldParams->GetStaffInfo(type).iGender;
    }
    if (gender == kMale)
        ++m_numMalestaff;
    else
        ++m_numFemalestaff;
    if (!IsOpen() && server && server->GetType() == OBJECT_SERVER)
        server->SetVisible(false);
}

void BuildingObject::OnTableCreated(uint32_t table)
{
    const std::span<const uint32_t> tables = TableIds();
    if (std::find(tables.begin(), tables.end(), table) != tables.end())
        return;
    if (m_iNumTables >= kMaxTables)
    {
        GetLogger()->Report(1, "BuildingObject::Message - %s already has %u tables: table %u is not kept", m_Name,
                            kMaxTables, table);
        if (BaseObject* object = FindObject(table))
            object->SetWaitingForDeath(true);
        return;
    }
    m_Tables[m_iNumTables++] = table;
}

void BuildingObject::OnAnimalCreated(uint32_t animal)
{
    if (IsOwnAnimal(animal))
        return;
    if (m_iNumAnimals >= static_cast<int32_t>(kMaxAnimals))
    {
        GetLogger()->Report(1, "BuildingObject::Message - %s already holds %u animals: animal %u is not kept", m_Name,
                            kMaxAnimals, animal);
        if (BaseObject* object = FindObject(animal))
            object->SetWaitingForDeath(true);
        return;
    }
    m_dwAnimals[m_iNumAnimals] = animal;
    for (const auto& path : m_AnimalPaths)
        path->AddAnimal(animal);
    ++m_iNumAnimals;
    if (m_iNumAnimals == 1 && !m_bUserClose)
    {
        if (CanOpen())
        {
            m_OpenStatus = kOpen;
            ShowServers();
        }
        PlaceEntrance();
    }
    RecomputeAnimalIntensity();
}

// ---------------------------------------------------------------- the day's close

void BuildingObject::CloseDay()
{
    for (uint32_t i = kProfitDays - 1; i > 0; --i)
        m_fProfitRecord[i] = m_fProfitRecord[i - 1];
    ++m_BuildingAge;
    // Today's profit as the takings stand now: sales since the last update count too.
    m_fProfitToday = m_fIncomeToday - m_fCostToday;
    m_fProfitRecord[0] = m_fProfitToday;
    m_fProfitToday = m_fIncomeToday = m_fCostToday = 0.0f;
    m_NumVisitsToday = 0;
    m_NumTimesCleanedToday = 0;
    if (m_BuildingAge > 0)
    {
        const uint32_t days = std::min(static_cast<uint32_t>(m_BuildingAge), kProfitDays);
        float sum = 0.0f;
        for (uint32_t i = 0; i < days; ++i)
            sum += m_fProfitRecord[i];
        // The mean of the days summed: beyond the record's 64 days a steady profit keeps a steady average.
        m_fAverageProfit = sum / static_cast<float>(days);
    }
    if (m_iNumAnimals > 0 && g_pWorld)
    {
        MessageRecord call;
        call.dwSender = m_dwID;
        call.dwReciever = m_dwID;
        call.dwType = MT_CALL_ZOO;
        PostDelayedMessage(call, static_cast<float>(g_pWorld->GetDayLength()) * Random01());
    }
}

// ---------------------------------------------------------------- queue path changes

void BuildingObject::ReopenIfPossible()
{
    if (CanOpen())
    {
        m_OpenStatus = kOpen;
        ShowServers();
    }
}

void BuildingObject::CloseForBadQueue()
{
    m_OpenStatus = kClosed;
    m_pQueueManager->Clear();
    SendToAllHumans(MT_BUILDING_BAD_QUEUE);
    SendToAllHumans(MT_BUILDING_CLOSING);
    HideServers();
    m_pQueueManager->Rebuild();
    // A building the player closed stays closed.
    if (!m_bUserClose)
        ReopenIfPossible();
}

void BuildingObject::OnQueuePathChanged(const MessageRecord& record)
{
    if (!m_pQueueManager || IsBeingDemolished())
        return;
    const int32_t x = static_cast<int32_t>(record.dwFlags);
    const int32_t y = static_cast<int32_t>(record.dwData);
    switch (record.dwType)
    {
    case MT_QUEUE_REMOVED:
    {
        const bool ours = m_pQueueManager->ContainsCell(x, y);
        if (!ours)
            return;
        if (m_pQueueManager->IsValid())
            CloseForBadQueue();
        else if (m_pInfo->bShowEnter)
            m_pQueueManager->Rebuild();
        PlaceEntrance();
        return;
    }
    case MT_PATH_REMOVED:
        if (m_pQueueManager->IsValid() && m_pQueueManager->GetStartCell() == GridPos{x, y})
        {
            CloseForBadQueue();
            PlaceEntrance();
        }
        return;
    default:
        if (m_pQueueManager->IsValid())
            return;
        // A building the player closed stays closed, but its queue is traced again all the same: its flags and its
        // entrance show the queue as it now is.
        if (!m_bUserClose)
            ReopenIfPossible();
        else
            m_pQueueManager->Rebuild();
        PlaceEntrance();
        return;
    }
}
