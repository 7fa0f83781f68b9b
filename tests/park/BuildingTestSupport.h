// Shared pieces of the building tests: a park around real buildings (World, messages, objects, grid, tile tables,
// data tables, managers) and stand-ins for the objects buildings deal with (guests, servers, tables, animals,
// scenery), which record what they receive and report their creation to their building as their classes do.
#pragma once

#include "engine/core/GameParameters.h"
#include "park/AnimalObject.h"
#include "park/BuildingObject.h"
#include "park/RequestedObject.h"
#include "park/TableObject.h"
#include "scripts/WorldParams.h"
#include "tests/scripts/TablesTestSupport.h"
#include "tests/support/TestSupport.h"
#include "world/MessageHandler.h"
#include "world/ObjectManager.h"
#include "world/PathTileSet.h"
#include "world/Player.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <memory>
#include <string>
#include <vector>

class ConstructionManager;

namespace bldtest
{

// One message a stand-in received.
struct Received
{
    uint32_t receiver;
    uint32_t sender;
    uint32_t type;
    uint32_t data;
    float fData;
};

// Every message delivered to any stand-in, in delivery order.
std::vector<Received>& Inbox();
// The messages of one type in the inbox (only those to one receiver when it is given).
std::vector<Received> Taken(uint32_t type, uint32_t receiver = kNoObjectID);

// A stand-in for every object kind but buildings. Servers, tables, animals and scenery with an owner post their
// creation message to their building when they start; a server answers MT_SERVE_GUEST as a server does; a table
// has four chairs.
class Stub : public StaticObject, public RequestedObject, public TableSeats, public HomeAnimal
{
public:
    Stub() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t state) override;
    bool OnStateExit() override { return true; }
    bool Message(const MessageRecord& record) override;
    bool SetUpFromRequest(uint8_t kind, const void* request) override;
    bool IsFree() const override;
    bool ReserveSeat(uint32_t guest) override { return Seat(kNoObjectID, guest); }
    bool ReleaseSeat(uint32_t guest) override { return Seat(guest, kNoObjectID); }
    void SetShowTime() override { ++showTimes; }
    // Scenery named RAIL... is a rail piece along a footpath's edge; demolished, it goes.
    bool IsRailPiece() const override { return std::string(GetName()).starts_with("RAIL"); }
    void Demolish() override { SetWaitingForDeath(true); }

    // Moves the chair of `from` to `to`; false when no chair holds `from`.
    bool Seat(uint32_t from, uint32_t to);
    // Posts a message of the type from the stand-in to the receiver.
    void Post(uint32_t receiver, uint32_t type) { PostMessage({m_dwID, receiver, type}); }

    uint32_t owner = kNoObjectID;
    uint32_t chairs[4] = {kNoObjectID, kNoObjectID, kNoObjectID, kNoObjectID};
    int showTimes = 0;
    // While set, servers hold the guests they are sent (as a real one does until the guest has its goods).
    static inline bool serversHold = false;
};

// The World with its managers and player reachable.
class TestWorld : public World
{
public:
    TestWorld();
    using World::m_bStartup;
    using World::m_iDayLength;
    using World::m_Managers;
    using World::m_pScene;
};

// A park of size x size cells of walkable ground, the sample data's path and queue tile tables, the data tables
// given as data-script text, the construction manager, the park's buildings and stand-ins for every other kind.
class BuildingPark
{
public:
    explicit BuildingPark(const std::string& tables, int size = 24);
    ~BuildingPark();

    // A building requested through the World, as a world script or the build tool asks for one; null when the
    // World refused it.
    BuildingObject* Build(const char* type, int x, int y, int rotation = 0, bool broken = false);
    // A stand-in of a kind, started.
    Stub* Make(uint8_t kind, const char* name = "GUEST");
    // Whether the receiver took the message.
    bool Send(uint32_t sender, uint32_t receiver, uint32_t type, uint32_t data = 0, uint32_t flags = 0)
    {
        return messages->Send({sender, receiver, type, flags, data});
    }
    // World frames of `seconds` game time each.
    void Frames(int count, float seconds = 0.1f);
    void Footpath(int x, int y) { map->GetCell({x, y})->m_uiFlags |= CELL_FOOTPATH; }
    size_t CountReports(const std::string& fragment) const;
    float Cash() const { return world->GetPlayer()->Cash; }
    ConstructionManager& Construction() const;

    testsupport::TempDir dir;
    testsupport::RecordingReportSink reports;
    std::unique_ptr<GameParameters> parameters;
    // Destroyed from the last: the objects first, the World last.
    std::unique_ptr<TestWorld> world;
    std::unique_ptr<WorldParams> params;
    std::unique_ptr<WorldMap> map;
    std::unique_ptr<PathTileSet> tiles;
    std::unique_ptr<MessageHandler> messages;
    std::unique_ptr<ObjectManager> objects;
};

using tablestest::Record;

} // namespace bldtest
