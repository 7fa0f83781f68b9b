// Shared pieces of the building tests.
#include "tests/park/BuildingTestSupport.h"

#include "engine/render/ModelManager.h"
#include "park/CleaningManager.h"
#include "park/ConstructionManager.h"
#include "park/ParkLayer.h"
#include "park/RepairManager.h"
#include "scripts/ObjectStates.h"
#include "world/CreationRequests.h"
#include "world/Player.h"

#include <algorithm>
#include <cstring>

namespace bldtest
{

std::vector<Received>& Inbox()
{
    static std::vector<Received> inbox;
    return inbox;
}

std::vector<Received> Taken(uint32_t type, uint32_t receiver)
{
    std::vector<Received> found;
    for (const Received& r : Inbox())
    {
        if (r.type == type && (receiver == kNoObjectID || r.receiver == receiver))
            found.push_back(r);
    }
    return found;
}

bool Stub::OnStateEntry(uint32_t state)
{
    const uint32_t report = m_bType == OBJECT_SERVER    ? MT_STAFF_CREATED
                            : m_bType == OBJECT_TABLE   ? MT_TABLE_CREATED
                            : m_bType == OBJECT_ANIMAL  ? MT_ANIMAL_CREATED
                            : m_bType == OBJECT_SCENERY ? MT_SCENERY_ENTER_CREATED
                                                        : uint32_t{0};
    if (state == STATE_STARTUP && owner != kNoObjectID && report != 0)
        Post(owner, report);
    return true;
}

bool Stub::Message(const MessageRecord& record)
{
    Inbox().push_back({record.dwReciever, record.dwSender, record.dwType, record.dwData, record.fData});
    if (record.dwType == MT_SERVE_GUEST && m_bType == OBJECT_SERVER && !serversHold)
        Post(owner, MT_GUEST_SERVED);
    return StaticObject::Message(record);
}

bool Stub::SetUpFromRequest(uint8_t kind, const void* request)
{
    owner = kind == OBJECT_SERVER    ? static_cast<const ServerCreationRequest*>(request)->dwShop
            : kind == OBJECT_TABLE   ? static_cast<const TableCreationRequest*>(request)->dwOwner
            : kind == OBJECT_ANIMAL  ? static_cast<const AnimalCreationRequest*>(request)->dwHome
            : kind == OBJECT_SCENERY ? static_cast<const SceneryCreationRequest*>(request)->dwOwner
                                     : owner;
    return true;
}

bool Stub::IsFree() const
{
    return std::all_of(std::begin(chairs), std::end(chairs), [](uint32_t c) { return c == kNoObjectID; });
}

bool Stub::Seat(uint32_t from, uint32_t to)
{
    uint32_t* chair = std::find(std::begin(chairs), std::end(chairs), from);
    if (chair == std::end(chairs))
        return false;
    *chair = to;
    return true;
}

TestWorld::TestWorld()
{
    m_Managers.construction = std::make_unique<ConstructionManager>();
    m_Managers.cleaning = std::make_unique<CleaningManager>();
    m_Managers.mechanicsRepair = std::make_unique<RepairManager>();
    m_Managers.zooRepair = std::make_unique<RepairManager>();
    m_pPlayer = std::make_unique<Player>(u"Tester");
    m_pPlayer->Cash = 10000.0f;
}

BuildingPark::BuildingPark(const std::string& tables, int size)
{
    Inbox().clear();
    // No model manager, whatever a test before left: the buildings stand as the placeholder without a report.
    g_ModelManager.Shutdown();
    ClearObjectKinds();
    RegisterParkLayer();
    // The park's buildings; every other kind a stand-in.
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
    {
        if (kind != OBJECT_BUILDING)
            RegisterObjectKind(kind, []() -> BaseObject* { return new Stub; });
    }
    testsupport::WriteText(dir.File("parameters.pis"), "'iDAY_LENGTH_IN_SECONDS' 240\r\n");
    parameters = std::make_unique<GameParameters>(dir.File("parameters.pis").c_str());
    world = std::make_unique<TestWorld>();
    map = std::make_unique<WorldMap>(size, size, WorldMap::kDefaultCellSize, "");
    for (uint32_t i = 0; i < map->GetCellCount(); ++i)
        map->CellAt(i).m_uiFlags = CELL_WALKABLE | CELL_GRID_WALKABLE;
    messages = std::make_unique<MessageHandler>();
    objects = std::make_unique<ObjectManager>();
    params = std::make_unique<WorldParams>();
    std::vector<char> text(tables.begin(), tables.end());
    text.push_back('\n');
    params->Process(text.data(), static_cast<uint32_t>(text.size()));
    params->LinkMapGrids();
    testsupport::ScopedCurrentDir cwd(TW_SOURCE_DIR "/sample-data");
    tiles = std::make_unique<PathTileSet>("data/pathtiles.dat", "tdpathtile");
}

BuildingPark::~BuildingPark()
{
    UnregisterParkLayer();
}

BuildingObject* BuildingPark::Build(const char* type, int x, int y, int rotation, bool broken)
{
    const uint32_t before = objects->GetNextFreeObjectID();
    world->RequestBuilding(type, x, y, static_cast<uint32_t>(rotation), -1.0f, 0, broken);
    for (uint32_t id = before; id < objects->GetNextFreeObjectID(); ++id)
    {
        if (auto* building = dynamic_cast<BuildingObject*>(objects->GetObject(id)))
            return building;
    }
    return nullptr;
}

Stub* BuildingPark::Make(uint8_t kind, const char* name)
{
    auto* stub = static_cast<Stub*>(objects->CreateObject(name, kind));
    stub->SetType(kind);
    Send(kWorldID, stub->GetID(), MT_STATECHANGE, STATE_STARTUP);
    return stub;
}

void BuildingPark::Frames(int count, float seconds)
{
    for (int i = 0; i < count; ++i)
        world->Update(seconds);
}

size_t BuildingPark::CountReports(const std::string& fragment) const
{
    const std::string all = reports.debug;
    size_t n = 0;
    for (size_t at = all.find(fragment); at != std::string::npos; at = all.find(fragment, at + 1))
        ++n;
    for (const auto& box : reports.boxes)
        n += box.text.find(fragment) != std::string::npos ? 1 : 0;
    return n;
}

ConstructionManager& BuildingPark::Construction() const
{
    return *static_cast<ConstructionManager*>(world->m_Managers.construction.get());
}

} // namespace bldtest
