// ObjectManager: creation into the pools, removal, lookups and queries, and the save record of every object.
#include "world/ObjectManager.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "world/BaseObject.h"
#include "world/MessageRecord.h"

#include <cstring>

ObjectManager* g_pObjectManager = nullptr;

namespace
{

constexpr const char* kPoolFullReport[ObjectManager::POOL_COUNT] = {
    "ObjectManager::CreateObject - ran out of slots for building objects",
    "ObjectManager::CreateObject - ran out of slots for guest objects",
    "ObjectManager::CreateObject - ran out of slots for litter",
    "ObjectManager::CreateObject - ran out of slots for other objects",
};

// The kind every object of a pool is made as when loaded; the other pool takes the saved kind byte.
constexpr uint8_t kPoolKind[ObjectManager::POOL_COUNT] = {OBJECT_BUILDING, OBJECT_GUEST, OBJECT_LITTER, 0};

constexpr int32_t kSaveSize = 216024;
constexpr uint32_t kNameCapacity = 128;

bool IsOtherPoolKind(uint8_t kind)
{
    return kind == OBJECT_SCENERY || (kind >= OBJECT_TABLE && kind <= OBJECT_ANIMAL);
}

} // namespace

ObjectManager::ObjectManager()
    : m_dwObjectIDList(kSlotCount, kNoObjectID), m_Objects(kSlotCount, nullptr), m_Index(kSlotCount)
{
    g_pObjectManager = this;
}

ObjectManager::~ObjectManager()
{
    DeleteAll();
    if (g_pObjectManager == this)
        g_pObjectManager = nullptr;
}

void ObjectManager::DeleteAll()
{
    for (uint32_t pool = 0; pool < POOL_COUNT; ++pool)
    {
        const uint32_t first = kPoolFirstSlot[pool];
        for (uint32_t slot = first; slot < first + m_uPoolCount[pool]; ++slot)
        {
            // Out of the pool before it goes, so nothing its destructor asks finds it half-deleted.
            BaseObject* object = m_Objects[slot];
            m_Objects[slot] = nullptr;
            m_dwObjectIDList[slot] = kNoObjectID;
            delete object;
        }
        m_uPoolCount[pool] = 0;
    }
    m_dwNumActiveObjects = 0;
    m_Index.Clear();
}

ObjectManager::Pool ObjectManager::PoolOfKind(uint8_t kind)
{
    switch (kind)
    {
    case OBJECT_BUILDING:
        return POOL_BUILDING;
    case OBJECT_GUEST:
        return POOL_GUEST;
    case OBJECT_LITTER:
        return POOL_LITTER;
    default:
        return POOL_OTHER;
    }
}

BaseObject* ObjectManager::CreateObject(const char* name, uint32_t kindArgument)
{
    const uint8_t kind = static_cast<uint8_t>(kindArgument & 0xFF);
    if (kind < kFirstObjectKind || kind > kLastObjectKind)
    {
        GetLogger()->Report(0, "ObjectManager::CreateObject - unrecognised type for creation");
        return nullptr;
    }
    const Pool pool = PoolOfKind(kind);
    if (m_uPoolCount[pool] >= kPoolCapacity[pool])
    {
        GetLogger()->Report(0, "%s", kPoolFullReport[pool]);
        return nullptr;
    }
    if (m_dwNextFreeObjectID > kLastObjectID)
    {
        GetLogger()->Report(0, "ObjectManager::CreateObject - ran out of valid id's");
        return nullptr;
    }
    ObjectFactory factory = GetObjectFactory(kind);
    BaseObject* object = factory ? factory() : nullptr;
    if (!object)
    {
        GetLogger()->Report(0, "ObjectManager::CreateObject - no class for type %u", kind);
        return nullptr;
    }
    // The slot and id are taken before the object's own set-up runs, so a creation from inside it gets the next.
    const uint32_t slot = kPoolFirstSlot[pool] + m_uPoolCount[pool];
    const uint32_t id = m_dwNextFreeObjectID++;
    m_Objects[slot] = object;
    m_dwObjectIDList[slot] = id;
    m_Index.Assign(id, slot);
    ++m_uPoolCount[pool];
    ++m_dwNumActiveObjects;
    object->Create(name);
    object->SetID(id);
    ReportFullPool(pool);
    return object;
}

void ObjectManager::ReportFullPool(Pool pool) const
{
    // Only the creation that fills the pool tells of it (and each one it refuses after): a guest or a piece of
    // litter made while the buildings' pool is full is no news of that pool, and each report is a message box.
    if (m_uPoolCount[pool] == kPoolCapacity[pool])
        GetLogger()->Report(0, "%s", kPoolFullReport[pool]);
}

bool ObjectManager::RemoveObject(uint32_t id)
{
    const uint32_t slot = m_Index.Find(id);
    if (slot == kNoSlot)
        return false;
    uint32_t pool = POOL_OTHER;
    while (slot < kPoolFirstSlot[pool])
        --pool;
    BaseObject* object = m_Objects[slot];
    m_Index.Erase(id);
    const uint32_t last = kPoolFirstSlot[pool] + m_uPoolCount[pool] - 1;
    if (pool == POOL_BUILDING)
    {
        // Buildings keep their creation order.
        for (uint32_t s = slot; s < last; ++s)
        {
            m_Objects[s] = m_Objects[s + 1];
            m_dwObjectIDList[s] = m_dwObjectIDList[s + 1];
            m_Index.Assign(m_dwObjectIDList[s], s);
        }
    }
    else if (slot != last)
    {
        m_Objects[slot] = m_Objects[last];
        m_dwObjectIDList[slot] = m_dwObjectIDList[last];
        m_Index.Assign(m_dwObjectIDList[slot], slot);
    }
    m_Objects[last] = nullptr;
    m_dwObjectIDList[last] = kNoObjectID;
    --m_uPoolCount[pool];
    --m_dwNumActiveObjects;
    delete object;
    return true;
}

BaseObject* ObjectManager::GetObject(uint32_t id) const
{
    const uint32_t slot = m_Index.Find(id);
    return slot == kNoSlot ? nullptr : m_Objects[slot];
}

BaseObject* ObjectManager::GetPoolObject(Pool pool, uint32_t index) const
{
    if (pool >= POOL_COUNT || index >= m_uPoolCount[pool])
        return nullptr;
    return m_Objects[kPoolFirstSlot[pool] + index];
}

std::vector<BaseObject*> ObjectManager::GetObjectsByName(const char* name) const
{
    if (!name)
        return {};
    return FindObjects([name](const BaseObject* o) { return std::strcmp(o->GetName(), name) == 0; });
}

std::vector<BaseObject*> ObjectManager::GetBuildingsByName(const char* name) const
{
    std::vector<BaseObject*> found;
    if (!name)
        return found;
    for (uint32_t i = 0; i < m_uPoolCount[POOL_BUILDING]; ++i)
    {
        if (std::strcmp(m_Objects[i]->GetName(), name) == 0)
            found.push_back(m_Objects[i]);
    }
    return found;
}

std::vector<BaseObject*> ObjectManager::GetObjectsOfKind(uint8_t kind) const
{
    const Pool pool = PoolOfKind(kind);
    if (pool != POOL_OTHER)
    {
        const auto first = m_Objects.begin() + kPoolFirstSlot[pool];
        return std::vector<BaseObject*>(first, first + m_uPoolCount[pool]);
    }
    return FindObjects([kind](const BaseObject* o) { return o->GetType() == kind; });
}

std::vector<uint32_t> ObjectManager::GetIdsOfKind(uint8_t kind) const
{
    std::vector<uint32_t> ids;
    CollectIdsOfKind(kind, ids);
    return ids;
}

void ObjectManager::CollectIdsOfKind(uint8_t kind, std::vector<uint32_t>& ids) const
{
    ids.clear();
    const Pool own = PoolOfKind(kind);
    for (uint32_t pool = 0; pool < POOL_COUNT; ++pool)
    {
        if (own != POOL_OTHER && pool != own)
            continue;
        const uint32_t first = kPoolFirstSlot[pool];
        for (uint32_t slot = first; slot < first + m_uPoolCount[pool]; ++slot)
        {
            if (own != POOL_OTHER || m_Objects[slot]->GetType() == kind)
                ids.push_back(m_dwObjectIDList[slot]);
        }
    }
}

bool ObjectManager::IsHourlyStaff(const BaseObject* object)
{
    const uint8_t kind = object->GetType();
    return kind == OBJECT_MECHANIC || kind == OBJECT_CLEANER || kind == OBJECT_ZOOKEEPER;
}

std::vector<BaseObject*> ObjectManager::GetStaffObjects() const
{
    std::vector<BaseObject*> found;
    const uint32_t first = kPoolFirstSlot[POOL_OTHER];
    for (uint32_t slot = first; slot < first + m_uPoolCount[POOL_OTHER]; ++slot)
    {
        if (IsHourlyStaff(m_Objects[slot]))
            found.push_back(m_Objects[slot]);
    }
    return found;
}

std::vector<uint32_t> ObjectManager::GetStaffIds() const
{
    std::vector<uint32_t> ids;
    CollectStaffIds(ids);
    return ids;
}

void ObjectManager::CollectStaffIds(std::vector<uint32_t>& ids) const
{
    ids.clear();
    const uint32_t first = kPoolFirstSlot[POOL_OTHER];
    for (uint32_t slot = first; slot < first + m_uPoolCount[POOL_OTHER]; ++slot)
    {
        if (IsHourlyStaff(m_Objects[slot]))
            ids.push_back(m_dwObjectIDList[slot]);
    }
}

uint32_t ObjectManager::CountObjectsOfKind(uint8_t kind) const
{
    uint32_t count = 0;
    for (uint32_t pool = 0; pool < POOL_COUNT; ++pool)
    {
        const uint32_t first = kPoolFirstSlot[pool];
        for (uint32_t slot = first; slot < first + m_uPoolCount[pool]; ++slot)
            count += m_Objects[slot]->GetType() == kind ? 1 : 0;
    }
    return count;
}

void ObjectManager::ClosePanelsOfKind(uint8_t kind)
{
    const Pool pool = PoolOfKind(kind);
    const uint32_t first = kPoolFirstSlot[pool];
    for (uint32_t slot = first; slot < first + m_uPoolCount[pool]; ++slot)
    {
        if (pool != POOL_OTHER || m_Objects[slot]->GetType() == kind)
            m_Objects[slot]->ClosePanel();
    }
}

void ObjectManager::CloseStaffPanels()
{
    for (BaseObject* object : GetStaffObjects())
        object->ClosePanel();
}

void ObjectManager::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteClassHeader("ObjectManager", kSaveSize);
    stream.WriteUInt("m_dwNumActiveObjects", m_dwNumActiveObjects);
    stream.WriteUInt("m_dwNumActiveBuildingObjects", m_uPoolCount[POOL_BUILDING]);
    stream.WriteUInt("m_dwNumActiveGuestObjects", m_uPoolCount[POOL_GUEST]);
    stream.WriteUInt("m_dwNumActiveLitterObjects", m_uPoolCount[POOL_LITTER]);
    stream.WriteUInt("m_dwNumActiveOtherObjects", m_uPoolCount[POOL_OTHER]);
    // The id list travels as the signed word array that id lists use.
    stream.WriteIntArray("m_dwObjectIDList", reinterpret_cast<const int32_t*>(m_dwObjectIDList.data()), kSlotCount);
    stream.WriteUInt("m_dwNextFreeObjectID", m_dwNextFreeObjectID);
    for (uint32_t pool = 0; pool < POOL_COUNT; ++pool)
    {
        const uint32_t first = kPoolFirstSlot[pool];
        for (uint32_t slot = first; slot < first + m_uPoolCount[pool]; ++slot)
        {
            BaseObject* object = m_Objects[slot];
            stream.BeginSave();
            stream.WriteByte("Object type", object->GetType());
            stream.WriteString("Object Name", object->GetName());
            object->Dump(stream);
        }
    }
}

bool ObjectManager::Load(SerialStream& stream)
{
    stream.BeginLoad();
    char text[kNameCapacity];
    stream.ReadClassHeader(text, sizeof text);
    uint32_t total = 0;
    uint32_t counts[POOL_COUNT] = {};
    stream.ReadUInt(&total);
    for (uint32_t& count : counts)
        stream.ReadUInt(&count);
    std::vector<uint32_t> ids(kSlotCount, kNoObjectID);
    stream.ReadIntArray(reinterpret_cast<int32_t*>(ids.data()), kSlotCount);
    uint32_t nextID = 0;
    stream.ReadUInt(&nextID);
    if (!stream.Good())
    {
        GetLogger()->Report(0, "ObjectManager::Load - the saved object list is cut short");
        return false;
    }
    uint64_t sum = 0;
    for (uint32_t pool = 0; pool < POOL_COUNT; ++pool)
    {
        sum += counts[pool];
        if (counts[pool] > kPoolCapacity[pool])
        {
            GetLogger()->Report(0, "ObjectManager::Load - %u saved objects for a pool of %u", counts[pool],
                                kPoolCapacity[pool]);
            return false;
        }
    }
    if (sum != total || nextID > kLastObjectID + 1)
    {
        GetLogger()->Report(0, "ObjectManager::Load - the saved counts do not agree (%u objects, next id %u)", total,
                            nextID);
        return false;
    }

    // Everything is built aside and only taken in once the whole list has loaded and agrees with itself.
    std::vector<BaseObject*> objects(kSlotCount, nullptr);
    IdSlotIndex index(kSlotCount);
    auto fail = [&objects](const char* why, uint32_t slot)
    {
        GetLogger()->Report(0, "ObjectManager::Load - %s (slot %u)", why, slot);
        for (BaseObject*& object : objects)
        {
            delete object;
            object = nullptr;
        }
        return false;
    };
    for (uint32_t pool = 0; pool < POOL_COUNT; ++pool)
    {
        const uint32_t first = kPoolFirstSlot[pool];
        for (uint32_t slot = first; slot < first + counts[pool]; ++slot)
        {
            stream.BeginLoad();
            uint8_t type = 0;
            stream.ReadByte(&type);
            stream.ReadString(text, sizeof text);
            if (!stream.Good())
                return fail("the saved objects are cut short", slot);
            const uint8_t kind = kPoolKind[pool] ? kPoolKind[pool] : type;
            if (pool == POOL_OTHER && !IsOtherPoolKind(kind))
                return fail("an object of an unknown kind", slot);
            ObjectFactory factory = GetObjectFactory(kind);
            BaseObject* object = factory ? factory() : nullptr;
            if (!object)
                return fail("an object of a kind with no class", slot);
            objects[slot] = object;
            object->Create(text);
            if (!object->Load(stream))
                return fail("an object's saved record is refused", slot);
            if (object->GetType() != kind)
                return fail("an object whose own kind is not the one it was made as", slot);
            const uint32_t id = object->GetID();
            if (id != ids[slot] || id >= nextID || index.Find(id) != IdSlotIndex::kNone)
                return fail("an object's id does not agree with the id list", slot);
            index.Assign(id, slot);
        }
        for (uint32_t slot = first + counts[pool]; slot < first + kPoolCapacity[pool]; ++slot)
            ids[slot] = kNoObjectID;
    }

    DeleteAll();
    m_Objects.swap(objects);
    m_dwObjectIDList.swap(ids);
    for (uint32_t pool = 0; pool < POOL_COUNT; ++pool)
        m_uPoolCount[pool] = counts[pool];
    m_dwNumActiveObjects = total;
    m_dwNextFreeObjectID = nextID;
    m_Index = std::move(index);
    return true;
}
