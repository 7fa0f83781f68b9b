// Scenery: creation, placement on its footprint, seats, bins, demolition, its panel keywords and its save record.
#include "park/SceneryObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "park/CleaningManager.h"
#include "park/GuestObject.h"
#include "park/ParkGui.h"
#include "park/ParkManagers.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/Player.h"
#include "world/World.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace
{

// The type of an item whose keyword the tables do not hold and that has no first type to fall back to.
const SceneryInfo kNoType{};

std::vector<Scenery*> s_benches;
std::vector<Scenery*> s_bins;

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

Scene* WorldScene()
{
    return g_pWorld ? g_pWorld->GetScene() : nullptr;
}

// A message from the item to every object of a kind.
void TellAllOfKind(uint32_t sender, uint32_t type, uint8_t kind)
{
    if (!g_pWorld || !g_pMessageHandler)
        return;
    MessageRecord record;
    record.dwSender = sender;
    record.dwType = type;
    g_pWorld->SendToAllOfKind(record, kind);
}

} // namespace

Scenery::Scenery() : StaticObject(4), m_pInfo(&kNoType) {}

Scenery::~Scenery()
{
    Unregister();
    ReleaseSitters();
    // However it goes, the item leaves every cell of its footprint (its own cell is left by the base).
    ForEachFootprintCell(
        [this](MapCell& cell, bool isOwn)
        {
            if (!isOwn)
                cell.RemoveObject(this);
        });
}

void Scenery::ReleaseSitters()
{
    for (uint32_t i = 0; i < GetAttachmentCount(); ++i)
    {
        auto* guest = dynamic_cast<GuestObject*>(GetAttachment(i));
        if (!guest)
            continue;
        ClearAttachment(i);
        guest->SetSeatHolder(nullptr);
        if (Scene* scene = WorldScene())
            scene->AddObject(guest);
    }
}

const std::vector<Scenery*>& Scenery::GetBenches()
{
    return s_benches;
}

const std::vector<Scenery*>& Scenery::GetBins()
{
    return s_bins;
}

void Scenery::Register()
{
    Unregister();
    if (IsBench())
        s_benches.push_back(this);
    if (m_bIsBin)
        s_bins.push_back(this);
    m_bRegistered = true;
}

void Scenery::Unregister()
{
    if (!m_bRegistered)
        return;
    std::erase(s_benches, this);
    std::erase(s_bins, this);
    m_bRegistered = false;
}

bool Scenery::IsBench() const
{
    return m_pInfo->bIsBench;
}

// ---------------------------------------------------------------- creation

void Scenery::Create(const char* name)
{
    StaticObject::Create(name);
    m_pInfo = &kNoType;
    if (g_pWorldParams && g_pWorldParams->GetSceneryCount() > 0)
        m_pInfo = &g_pWorldParams->GetSceneryInfo(g_pWorldParams->GetSceneryID(m_Name));
    const SceneryInfo& info = *m_pInfo;
    m_bGridW = static_cast<uint8_t>(std::clamp(info.iGridWidth, 1, 255));
    m_bGridH = static_cast<uint8_t>(std::clamp(info.iGridHeight, 1, 255));
    for (int32_t seat = 0; seat < kMaxSeats; ++seat)
        m_AttachedGuest[seat] = m_GuestStates[seat] = kNoObjectID;
    m_MaxNumAttachedGuests = info.bIsBench ? 2 : 1;
    m_NumAttachedGuests = 0;
    m_FreeSeat = 0;
    m_bCanSelect = false;
    m_bIsBin = std::strncmp(m_Name, "Bin", 3) == 0;
    m_dwOwner = kNoObjectID;
    m_bTurned = false;
    LoadModel();
    if (Scene* scene = WorldScene())
        scene->AddObject(this);
    SetNumItems(0);
    Register();
}

void Scenery::LoadModel()
{
    char path[256];
    std::snprintf(path, sizeof path, "%s/%s%s", WorldParams::GetSceneryModelPath(), m_pInfo->szModel,
                  WorldParams::GetModelExtension());
    if (SetModel(path) != 0)
        return;
    std::snprintf(path, sizeof path, "%s/%s%s", WorldParams::GetSceneryModelPath(), kFallbackModel,
                  WorldParams::GetModelExtension());
    if (SetModel(path) != 0 || g_ModelManager.GetCapacity() == 0)
        return;
    // Not even the fallback: the placeholder every missing model shows stands in, and the game goes on.
    GetLogger()->Report(1, "Scenery::Create - can't load a suitable scenery model for %s: the placeholder stands in",
                        m_Name);
    SetModel(ModelManager::kPlaceholderName);
}

bool Scenery::SetUpFromRequest(uint8_t kind, const void* request)
{
    if (kind != OBJECT_SCENERY || !request)
        return true;
    const auto& r = *static_cast<const SceneryCreationRequest*>(request);
    if (r.dwOwner != kWorldID)
        m_dwOwner = r.dwOwner;
    return true;
}

// ---------------------------------------------------------------- placement

bool Scenery::IsStateSupported(uint32_t state)
{
    return state == STATE_NULL || state == STATE_STARTUP || state == STATE_DEMOLISHED || state == STATE_OCCUPIED;
}

bool Scenery::SetsGroundFlags() const
{
    return m_pInfo->bSetFlags && !m_pInfo->bPlaceAuto && !m_pInfo->bIsLitter;
}

template <typename Visit> void Scenery::ForEachFootprintCell(Visit visit) const
{
    if (!g_pWorldMap)
        return;
    const GridPos own = GetGridPos();
    for (int32_t row = 0; row < m_bGridH; ++row)
    {
        for (int32_t column = 0; column < m_bGridW; ++column)
        {
            const GridPos pos{own.x + column, own.y + row};
            if (MapCell* cell = g_pWorldMap->GetCell(pos))
                visit(*cell, row == 0 && column == 0);
        }
    }
}

void Scenery::SetWorldPosition(const platform::Vec3& position)
{
    BaseObject::SetWorldPosition(position);
    PlaceModel();
}

void Scenery::PlaceModel()
{
    // Until the item has started its footprint is the type's, which an odd turn lies across.
    const bool across = !m_bTurned && (m_iDirection & 1) != 0;
    const platform::Vec3 half =
        WorldMap::GetFootprintHalfSize(across ? m_bGridH : m_bGridW, across ? m_bGridW : m_bGridH);
    SetPositionVec(WorldMap::WorldToScene({m_WorldXYZ.x + half.x, m_WorldXYZ.y + half.y, 0.0f}));
}

void Scenery::SetDirection(int32_t direction)
{
    m_iDirection = direction;
    SetOrientation(0.0f, GetRotation(), 0.0f);
}

bool Scenery::OnStateEntry(uint32_t state)
{
    if (state == STATE_STARTUP)
        StartUp();
    else if (state == STATE_DEMOLISHED)
        Demolished();
    return true;
}

void Scenery::StartUp()
{
    MessageRecord settle;
    settle.dwSender = m_dwID;
    settle.dwReciever = m_dwID;
    settle.dwType = MT_STATECHANGE;
    settle.dwData = STATE_NULL;
    PostMessage(settle);

    const GridPos own = GetGridPos();
    if (!m_pInfo->bIsLitter)
    {
        BaseObject::SetWorldPosition(WorldMap::GridToWorld(own));
    }
    else
    {
        const platform::Vec3 centre = WorldMap::GetCellCentre(own);
        const float dx = static_cast<float>(platform::Rand() % 30 - 15);
        const float dy = static_cast<float>(platform::Rand() % 14 - 7);
        BaseObject::SetWorldPosition({centre.x + dx, centre.y + dy, 0.0f});
    }
    if ((m_iDirection & 1) && !m_bTurned)
        std::swap(m_bGridW, m_bGridH);
    m_bTurned = true;

    const bool flags = SetsGroundFlags();
    const bool sweep = !m_pInfo->bPlaceAuto;
    CleaningManager* cleaning = GetCleaningManager();
    std::vector<BaseObject*> litter;
    ForEachFootprintCell(
        [&](MapCell& cell, bool isOwn)
        {
            if (!isOwn)
                cell.AddObject(this);
            if (flags)
                cell.m_uiFlags |= CELL_SCENERY_GROUND;
            if (!sweep)
                return;
            for (BaseObject* object : cell.GetObjectList())
            {
                const bool beingCleaned =
                    cleaning && cleaning->GetCleaningState(object->GetID()) == CleaningManager::CLEAN_CLEANING;
                if (object->GetType() == OBJECT_LITTER && !object->IsWaitingForDeath() && !beingCleaned)
                    litter.push_back(object);
            }
        });
    // The litter under the item is swept away (a piece being cleaned is left to its cleaner).
    for (BaseObject* piece : litter)
    {
        const uint32_t id = piece->GetID();
        MessageRecord gone;
        gone.dwSender = m_dwID;
        gone.dwReciever = id;
        gone.dwType = MT_STATECHANGE;
        gone.dwData = STATE_DEMOLISHED;
        PostMessage(gone);
        if (BaseObject* still = FindObject(id))
            still->SetWaitingForDeath(true);
        TellAllOfKind(id, MT_BUILDING_BEING_REMOVED, OBJECT_CLEANER);
    }

    PlaceModel();
    SetOrientation(0.0f, GetRotation(), 0.0f);

    if (std::strncmp(m_Name, "ENTER", 5) == 0)
    {
        MessageRecord created;
        created.dwSender = m_dwID;
        created.dwReciever = m_dwOwner;
        created.dwType = MT_SCENERY_ENTER_CREATED;
        PostMessage(created);
    }
}

void Scenery::Demolished()
{
    // Demolished once: a second demolition before the item has gone refunds nothing more.
    if (m_bWaitingForDeath)
        return;
    if (g_pWorld && g_pWorld->GetPlayer())
        g_pWorld->GetPlayer()->Cash += static_cast<float>(m_pInfo->iCost2Build) * kRefundShare;
    m_bWaitingForDeath = true;
    const bool flags = SetsGroundFlags();
    ForEachFootprintCell(
        [&](MapCell& cell, bool isOwn)
        {
            if (!isOwn)
                cell.RemoveObject(this);
            if (flags)
                cell.m_uiFlags &= ~CELL_SCENERY_GROUND;
        });
    if (CleaningManager* cleaning = GetCleaningManager())
        cleaning->CancelCleaning(m_dwID);
    TellAllOfKind(m_dwID, MT_BUILDING_BEING_REMOVED, OBJECT_CLEANER);
    if (m_pInfo->bWater)
        TellAllOfKind(m_dwID, MT_BUILDING_BEING_REMOVED, OBJECT_MECHANIC);
    if (IsBench())
    {
        TellAllOfKind(m_dwID, MT_BENCH_BEING_REMOVED, OBJECT_GUEST);
        Scene* scene = WorldScene();
        for (int32_t seat = 0; seat < kMaxSeats; ++seat)
        {
            BaseObject* guest = m_AttachedGuest[seat] != kNoObjectID ? FindObject(m_AttachedGuest[seat]) : nullptr;
            if (guest && scene && guest->GetScene() != scene)
                SetDown(guest);
        }
    }
    if (m_bIsBin)
        TellAllOfKind(m_dwID, MT_BIN_BEING_REMOVED, OBJECT_GUEST);
}

void Scenery::Demolish()
{
    MessageRecord record;
    record.dwSender = kPlayerDemolishID;
    record.dwReciever = m_dwID;
    record.dwType = MT_STATECHANGE;
    record.dwData = STATE_DEMOLISHED;
    PostMessage(record);
}

// ---------------------------------------------------------------- the frame and messages

bool Scenery::Update()
{
    if (!StaticObject::Update())
        GetLogger()->Report(0, "Scenery::Update - error calling staticobject::update - %s", m_Name);
    if (m_dwState == STATE_NULL)
    {
        if (m_pInfo->bClean && m_NumItems == m_pInfo->iCapacity && !IsCleaningBusy() && !m_bCalledCleaning &&
            !m_bCleanerCalledByPlayer)
        {
            if (CleaningManager* cleaning = GetCleaningManager())
                cleaning->RequestCleaning(m_dwID);
            m_bCalledCleaning = true;
        }
    }
    else if (m_dwState == STATE_OCCUPIED)
    {
        for (int32_t seat = 0; seat < m_MaxNumAttachedGuests && seat < kMaxSeats; ++seat)
        {
            if (m_AttachedGuest[seat] == kNoObjectID)
                continue;
            const BaseObject* guest = FindObject(m_AttachedGuest[seat]);
            const uint32_t now = guest ? guest->GetState() : kNoObjectID;
            if (now == STATE_GUEST_HEADING_FOR_BENCH)
                continue;
            // The sitter has moved on (or gone) without giving the seat up: said once, and the seat is free again.
            GetLogger()->Report(1,
                                "Guest thinks they've no Longer got the scenery item locked! \n Why's that then? "
                                "Scenery Type = %s \n Guests Old State = %d \n Guests New State = %d",
                                m_pInfo->keyword, static_cast<int>(m_GuestStates[seat]), static_cast<int>(now));
            Unseat(seat);
            if (m_NumAttachedGuests == 0 && m_dwState == STATE_OCCUPIED)
                m_dwState = STATE_NULL;
        }
    }
    return true;
}

void Scenery::Unseat(int32_t seat)
{
    BaseObject* guest = FindObject(m_AttachedGuest[seat]);
    ClearAttachment(static_cast<uint32_t>(seat));
    SetDown(guest);
    m_AttachedGuest[seat] = kNoObjectID;
    m_GuestStates[seat] = kNoObjectID;
    if (m_NumAttachedGuests > 0)
        --m_NumAttachedGuests;
}

void Scenery::SetDown(BaseObject* object)
{
    // Only a guest that rides on this item, or on nothing, is the item's to set down: a guest a damaged save names in
    // a seat while it sits at a table stays on the table, which would otherwise keep it after it went.
    auto* guest = dynamic_cast<GuestObject*>(object);
    if (!guest || (guest->GetSeatHolder() && guest->GetSeatHolder() != this))
        return;
    RemoveAttachment(guest);
    guest->SetSeatHolder(nullptr);
    if (Scene* scene = WorldScene())
        scene->AddObject(guest);
}

bool Scenery::Seat(int32_t seat, BaseObject* guest)
{
    SetAttachment(static_cast<uint32_t>(seat), guest);
    // A model with no place for the seat (the lamp standing in for a missing one) cannot carry the guest, which then
    // stays in the park's scene rather than vanish from it while it sits.
    if (GetAttachment(static_cast<uint32_t>(seat)) != guest)
        return false;
    if (auto* sitter = dynamic_cast<GuestObject*>(guest))
        sitter->SetSeatHolder(this);
    if (Scene* scene = WorldScene())
        scene->RemoveObject(guest);
    return true;
}

void Scenery::PostLoad()
{
    if (!IsBench())
        return;
    for (int32_t seat = 0; seat < kMaxSeats; ++seat)
    {
        const uint32_t id = m_AttachedGuest[seat];
        if (id == kNoObjectID)
            continue;
        auto* guest = dynamic_cast<GuestObject*>(FindObject(id));
        if (!guest)
        {
            // A seat is held for a guest of the park: held for anything else it would never be given up.
            GetLogger()->Report(1, "Scenery::PostLoad - %s frees its seat %d, held for %u", m_Name,
                                static_cast<int>(seat), id);
            Unseat(seat);
            if (m_NumAttachedGuests == 0 && m_dwState == STATE_OCCUPIED)
                m_dwState = STATE_NULL;
            continue;
        }
        // The guest sat down when it reached this bench (its action went on from walking to sitting, as its panel
        // shows); one still walking to its seat, or seated elsewhere, stays where it is.
        const bool sitting = guest->GetState() == STATE_GUEST_HEADING_FOR_BENCH && guest->GetActionState() != 0 &&
                             guest->GetDestObjectID() == m_dwID;
        if (sitting && (!guest->GetSeatHolder() || guest->GetSeatHolder() == this))
            Seat(seat, guest);
    }
}

bool Scenery::SeatMessage(const MessageRecord& record)
{
    const uint32_t sender = record.dwSender;
    const BaseObject* guest = FindObject(sender);
    if (record.dwData == STATE_OCCUPIED)
    {
        int32_t seat = 0;
        while (seat < m_MaxNumAttachedGuests && seat < kMaxSeats && m_AttachedGuest[seat] != kNoObjectID)
            ++seat;
        // No free seat (two guests chose it at once): the second is not seated.
        if (seat >= m_MaxNumAttachedGuests || seat >= kMaxSeats)
            return true;
        m_FreeSeat = seat;
        m_AttachedGuest[seat] = sender;
        m_GuestStates[seat] = guest ? guest->GetState() : kNoObjectID;
        ++m_NumAttachedGuests;
        return m_NumAttachedGuests == 1 ? StaticObject::Message(record) : true;
    }
    int32_t seat = 0;
    while (seat < kMaxSeats && m_AttachedGuest[seat] != sender)
        ++seat;
    // A guest that holds no seat has nothing to give up.
    if (seat >= kMaxSeats)
        return true;
    Unseat(seat);
    return m_NumAttachedGuests == 0 ? StaticObject::Message(record) : true;
}

bool Scenery::Message(const MessageRecord& record)
{
    const uint32_t sender = record.dwSender;
    switch (record.dwType)
    {
    case MT_STATECHANGE:
    {
        if (!IsBench() || sender == m_dwID || sender == kWorldID || sender == kPlayerDemolishID)
            break;
        const BaseObject* from = FindObject(sender);
        if (!from || from->GetType() != OBJECT_GUEST)
            break;
        return SeatMessage(record);
    }
    case MT_BENCH_ADD_GUEST:
        for (int32_t seat = 0; seat < kMaxSeats; ++seat)
        {
            if (m_AttachedGuest[seat] != sender)
                continue;
            if (BaseObject* guest = FindObject(sender))
                Seat(seat, guest);
            break;
        }
        StaticObject::Message(record);
        return true;
    case MT_REPAIR:
    {
        m_bRepairing = false;
        m_bCalledRepairing = false;
        m_bMechanicCalledByPlayer = false;
        MessageRecord done;
        done.dwSender = m_dwID;
        done.dwReciever = sender;
        done.dwType = MT_REPAIRS_FINISHED;
        PostMessage(done);
        StaticObject::Message(record);
        return true;
    }
    default:
        break;
    }
    return StaticObject::Message(record);
}

// ---------------------------------------------------------------- bins and benches

void Scenery::SetNumItems(int32_t count)
{
    const int32_t capacity = m_pInfo->iCapacity;
    if (static_cast<float>(count) > kFullShare * static_cast<float>(capacity))
        count = capacity;
    // No item holds less than nothing, whatever a script writes or a type's capacity says: a count below 0 would be
    // saved, and the save refused as damaged.
    m_NumItems = std::max(count, 0);
    if (m_bIsBin)
        EnableBone(kFullPart, m_NumItems == capacity);
}

int32_t Scenery::GetFreeSeatCount()
{
    m_FreeSeat = m_MaxNumAttachedGuests;
    return m_MaxNumAttachedGuests - m_NumAttachedGuests;
}

// ---------------------------------------------------------------- drawing and the panel

bool Scenery::Render()
{
    if (m_bVisible)
        DrawModel();
    return true;
}

void Scenery::OnSelected(bool open, bool /*focus*/)
{
    if (!open)
        return;
    char dialog[64];
    std::snprintf(dialog, sizeof dialog, "%s_Menu", m_pInfo->keyword);
    if (ParkGui* gui = GetParkGui())
        gui->OpenDialog(dialog, this);
}

bool Scenery::IsSelectable()
{
    return m_pInfo->bMenu || m_bCanSelect;
}

bool Scenery::IsRailPiece() const
{
    return m_pInfo->bRail;
}

void Scenery::GetVariable(const char* keyword, platform::WString& text)
{
    if (!keyword)
        keyword = "";
    if (std::strcmp(keyword, "BIN_LITTER") == 0)
    {
        text = FormatChecked(u"%d", {m_NumItems});
    }
    else if (std::strcmp(keyword, "BI_CALL_CLEANER_STATE") == 0)
    {
        const bool cleaners = g_pObjectManager && g_pObjectManager->CountObjectsOfKind(OBJECT_CLEANER) > 0;
        text = FormatChecked(u"%d", {cleaners && !m_bCleanerCalledByPlayer ? 1 : 0});
    }
    else if (std::strcmp(keyword, "SCENERY_CLEANINGSTATUS") == 0)
    {
        const CleaningManager* cleaning = GetCleaningManager();
        const int32_t state = cleaning ? cleaning->GetCleaningState(m_dwID) : 0;
        const char* id = state == CleaningManager::CLEAN_NO_CLEANERS ? "BI_CLEAN_NO_CLEANERS"
                         : state == CleaningManager::CLEAN_REQUIRED  ? "BI_CLEAN_REQUIRED"
                         : state == CleaningManager::CLEAN_ON_ROUTE  ? "BI_CLEAN_ONROUTE"
                         : state == CleaningManager::CLEAN_CLEANING  ? "BI_CLEAN_CLEANING"
                                                                     : "BI_CLEAN_NOT_NEEDED";
        text = TableText(id);
    }
    else
    {
        GetLogger()->Report(0, "Scenery::GetVariable - data keyword not recognised - %s", keyword);
    }
}

// ---------------------------------------------------------------- save record

void Scenery::Dump(SerialStream& stream)
{
    stream.BeginSave();
    stream.WriteArray("m_AttachedGuest", m_AttachedGuest, kMaxSeats);
    stream.WriteInt("m_NumItems", m_NumItems);
    stream.WriteInt("m_NumAttachedGuests", m_NumAttachedGuests);
    stream.WriteInt("m_MaxNumAttachedGuests", m_MaxNumAttachedGuests);
    stream.WriteInt("m_FreeSeat", m_FreeSeat);
    stream.WriteBool("m_bCanSelect", m_bCanSelect);
    stream.WriteInt("m_dwOwner", static_cast<int32_t>(m_dwOwner));
    StaticObject::Dump(stream);
}

bool Scenery::Load(SerialStream& stream)
{
    stream.BeginLoad();
    uint32_t seated[kMaxSeats] = {kNoObjectID, kNoObjectID};
    int32_t items = 0, taken = 0, seats = 0, freeSeat = 0, owner = 0;
    bool canSelect = false;
    stream.ReadArray(seated, kMaxSeats);
    stream.ReadInt(&items);
    stream.ReadInt(&taken);
    stream.ReadInt(&seats);
    stream.ReadInt(&freeSeat);
    stream.ReadBool(&canSelect);
    stream.ReadInt(&owner);
    const int32_t held = (seated[0] != kNoObjectID ? 1 : 0) + (seated[1] != kNoObjectID ? 1 : 0);
    if (!stream.Good() || seats < 1 || seats > kMaxSeats || taken != held || freeSeat < 0 || freeSeat > kMaxSeats ||
        items < 0)
    {
        GetLogger()->Report(0, "Scenery::Load - the saved record of %s is damaged", m_Name);
        return false;
    }
    if (!StaticObject::Load(stream))
        return false;
    std::copy(std::begin(seated), std::end(seated), m_AttachedGuest);
    m_NumAttachedGuests = taken;
    m_MaxNumAttachedGuests = seats;
    m_FreeSeat = freeSeat;
    m_bCanSelect = canSelect;
    m_dwOwner = static_cast<uint32_t>(owner);
    // The litter is held as any count given to the item: a bin saved fuller than its type now holds is full, and
    // asks for a cleaner, rather than overfull, which no guest would use and no cleaner would ever be called to.
    SetNumItems(items);
    // A saved item has started: its footprint is saved turned.
    m_bTurned = true;
    PlaceModel();
    SetOrientation(0.0f, GetRotation(), 0.0f);
    ForEachFootprintCell(
        [this](MapCell& cell, bool isOwn)
        {
            if (!isOwn && !cell.ContainsObject(this))
                cell.AddObject(this);
        });
    return true;
}
