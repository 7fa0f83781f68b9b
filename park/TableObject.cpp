// TableObject: creation, the model and its place, the four chairs, serving a seated guest and its save record.
#include "park/TableObject.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "park/GuestObject.h"
#include "platform/Random.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/CreationRequests.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <cstdio>
#include <numbers>

namespace
{

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

Scene* WorldScene()
{
    return g_pWorld ? g_pWorld->GetScene() : nullptr;
}

} // namespace

TableObject::TableObject() : StaticObject(4) {}

TableObject::~TableObject()
{
    // Guests still riding on the table stand in the park's scene again.
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

void TableObject::Create(const char* name)
{
    StaticObject::Create(name);
    for (int32_t i = 0; i < kChairs; ++i)
        m_Chairs[static_cast<size_t>(i)] = Chair{i, kNoObjectID, false, 0};
    m_GuestsRemoved = 0;
    m_GuestsAdded = 0;
    m_dwOwner = kNoObjectID;
    if (Scene* scene = WorldScene())
        scene->AddObject(this);
}

bool TableObject::SetUpFromRequest(uint8_t kind, const void* request)
{
    if (kind != OBJECT_TABLE || !request)
        return true;
    const auto& r = *static_cast<const TableCreationRequest*>(request);
    SetModelName(r.szModel);
    SetPositionAt(r.position.x, r.position.y, r.position.z);
    SetOwner(r.dwOwner);
    return true;
}

void TableObject::SetModelName(const char* name)
{
    std::snprintf(m_cTableModel, sizeof m_cTableModel, "%s", name ? name : "");
    char path[256];
    std::snprintf(path, sizeof path, "%s/%s%s", WorldParams::GetBuildingModelPath(), m_cTableModel,
                  WorldParams::GetModelExtension());
    if (SetModel(path) != 0 || g_ModelManager.GetCapacity() == 0)
        return;
    // A table that cannot be drawn as itself is drawn as the placeholder; the game goes on.
    GetLogger()->Report(1, "TableObject::SetModel - can't load table model %s: the placeholder stands in",
                        m_cTableModel);
    SetModel(ModelManager::kPlaceholderName);
}

void TableObject::SetPositionAt(float x, float y, float z)
{
    SetWorldPosition({x, y, z});
    m_WorldXYZ.z = z;
    platform::Vec3 scene = WorldMap::WorldToScene(m_WorldXYZ);
    if (g_pWorldMap)
    {
        if (const MapCell* cell = g_pWorldMap->GetCell(GetGridPos()))
            scene.y = cell->m_ZOffset;
    }
    SetPositionVec(scene);
    const float turn = static_cast<float>(platform::Rand() % 360) / 360.0f * 2.0f * std::numbers::pi_v<float>;
    SetOrientation(0.0f, turn, 0.0f);
}

bool TableObject::IsStateSupported(uint32_t state)
{
    return state == STATE_NULL || state == STATE_STARTUP;
}

bool TableObject::OnStateEntry(uint32_t state)
{
    if (state != STATE_STARTUP)
        return true;
    MessageRecord created;
    created.dwSender = m_dwID;
    created.dwReciever = m_dwOwner;
    created.dwType = MT_TABLE_CREATED;
    PostMessage(created);
    MessageRecord settle;
    settle.dwSender = m_dwID;
    settle.dwReciever = m_dwID;
    settle.dwType = MT_STATECHANGE;
    settle.dwData = STATE_NULL;
    PostMessage(settle);
    return true;
}

bool TableObject::Update()
{
    if (!StaticObject::Update())
        GetLogger()->Report(0, "TableObject::Update - error calling StaticObject::update - %s", m_Name);
    return true;
}

bool TableObject::Render()
{
    DrawModel();
    return true;
}

// ---------------------------------------------------------------- chairs

bool TableObject::IsFree() const
{
    for (const Chair& chair : m_Chairs)
    {
        if (chair.ChairOccupier != kNoObjectID)
            return false;
    }
    return true;
}

bool TableObject::ReserveSeat(uint32_t guest)
{
    for (Chair& chair : m_Chairs)
    {
        if (chair.ChairOccupier != kNoObjectID)
            continue;
        chair.ChairOccupier = guest;
        chair.ChairSeated = false;
        chair.iPosition = 1;
        ++m_GuestsAdded;
        return true;
    }
    return false;
}

bool TableObject::ReleaseSeat(uint32_t guest)
{
    for (Chair& chair : m_Chairs)
    {
        if (chair.ChairOccupier != guest)
            continue;
        chair.ChairOccupier = kNoObjectID;
        if (chair.ChairSeated)
        {
            if (BaseObject* seated = FindObject(guest))
            {
                RemoveAttachment(seated);
                if (auto* sitter = dynamic_cast<GuestObject*>(seated))
                    sitter->SetSeatHolder(nullptr);
                if (Scene* scene = WorldScene())
                    scene->AddObject(seated);
            }
        }
        chair.ChairSeated = false;
        ++m_GuestsRemoved;
        return true;
    }
    return false;
}

void TableObject::ReattachSeatedGuests()
{
    for (Chair& chair : m_Chairs)
    {
        if (chair.ChairOccupier == kNoObjectID)
            continue;
        // A chair is held for a guest of the park, who sits at one table at a time. A damaged save's chair held for
        // anything else would never be given up (and the restaurant could never be pulled down), and an object
        // riding on two tables would stay on one after it went: such a chair is free again.
        auto* guest = dynamic_cast<GuestObject*>(FindObject(chair.ChairOccupier));
        if (!guest || (chair.ChairSeated && guest->GetSeatHolder()))
        {
            GetLogger()->Report(1, "TableObject::ReattachSeatedGuests - %s frees its chair %d, held for %u", m_Name,
                                chair.ChairDir, chair.ChairOccupier);
            chair.ChairOccupier = kNoObjectID;
            chair.ChairSeated = false;
            continue;
        }
        if (!chair.ChairSeated)
            continue;
        Carry(chair, guest);
    }
}

void TableObject::Carry(const Chair& chair, BaseObject* seated)
{
    SetAttachment(static_cast<uint32_t>(chair.ChairDir), seated);
    // A model with no place at the chair (the placeholder standing in for a missing one) cannot carry the guest,
    // which then stays in the park's scene rather than vanish from it for its meal.
    if (GetAttachment(static_cast<uint32_t>(chair.ChairDir)) != seated)
        return;
    if (auto* sitter = dynamic_cast<GuestObject*>(seated))
        sitter->SetSeatHolder(this);
    if (Scene* scene = WorldScene())
        scene->RemoveObject(seated);
}

void TableObject::Serve(uint32_t guest)
{
    for (Chair& chair : m_Chairs)
    {
        if (chair.ChairOccupier != guest)
            continue;
        chair.ChairSeated = true;
        if (BaseObject* seated = FindObject(guest))
            Carry(chair, seated);
        MessageRecord sit;
        sit.dwSender = m_dwID;
        sit.dwReciever = guest;
        sit.dwType = MT_STATECHANGE;
        sit.dwData = STATE_GUEST_AT_TABLE;
        PostMessage(sit);
        MessageRecord meal;
        meal.dwSender = m_dwID;
        meal.dwReciever = guest;
        meal.dwType = MT_SERVED_COMMOD;
        PostDelayedMessage(meal, kMealDelay);
        return;
    }
}

bool TableObject::Message(const MessageRecord& record)
{
    switch (record.dwType)
    {
    case MT_SERVE_GUEST:
        Serve(record.dwData);
        return true;
    case MT_COMMOD_QUALITY:
        ReleaseSeat(record.dwSender);
        return true;
    case MT_CONSTRUCT:
        return true;
    default:
        return StaticObject::Message(record);
    }
}

// ---------------------------------------------------------------- save record

void TableObject::Dump(SerialStream& stream)
{
    stream.BeginSave();
    for (const Chair& chair : m_Chairs)
    {
        stream.WriteBool("ChairSeated", chair.ChairSeated);
        stream.WriteInt("ChairOccupier", static_cast<int32_t>(chair.ChairOccupier));
        stream.WriteInt("ChairDir", chair.ChairDir);
        stream.WriteInt("iPosition", chair.iPosition);
    }
    stream.WriteInt("m_dwOwner", static_cast<int32_t>(m_dwOwner));
    stream.WriteInt("m_GuestsRemoved", m_GuestsRemoved);
    stream.WriteInt("m_GuestsAdded", m_GuestsAdded);
    stream.WriteString("m_cTableModel", m_cTableModel);
    StaticObject::Dump(stream);
}

bool TableObject::Load(SerialStream& stream)
{
    stream.BeginLoad();
    std::array<Chair, kChairs> chairs;
    for (Chair& chair : chairs)
    {
        int32_t occupier = 0;
        stream.ReadBool(&chair.ChairSeated);
        stream.ReadInt(&occupier);
        stream.ReadInt(&chair.ChairDir);
        stream.ReadInt(&chair.iPosition);
        chair.ChairOccupier = static_cast<uint32_t>(occupier);
    }
    int32_t owner = 0, removed = 0, added = 0;
    char model[kModelNameSize] = {};
    stream.ReadInt(&owner);
    stream.ReadInt(&removed);
    stream.ReadInt(&added);
    stream.ReadString(model, sizeof model);
    if (!stream.Good())
    {
        GetLogger()->Report(0, "TableObject::Load - the saved record of %s is cut short", m_Name);
        return false;
    }
    // Each chair is the one of its place, whatever the save says.
    for (int32_t i = 0; i < kChairs; ++i)
        chairs[static_cast<size_t>(i)].ChairDir = i;
    m_Chairs = chairs;
    m_dwOwner = static_cast<uint32_t>(owner);
    m_GuestsRemoved = removed;
    m_GuestsAdded = added;
    SetModelName(model);
    return StaticObject::Load(stream);
}
