// Fuzz target: a walker's saved record (its walk, its path and its base) loaded into a small park beside a leader
// that walks; a walker that loads walks 300 frames and must stand at a finite position on the map, then saves and
// loads again alike.
#include "engine/core/SerialStream.h"
#include "fuzz/FuzzSupport.h"
#include "scripts/ObjectStates.h"
#include "world/MessageHandler.h"
#include "world/MovingObject.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/Path.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <cmath>
#include <memory>

namespace
{

class FuzzWalker : public HumanObject
{
public:
    FuzzWalker() : HumanObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool PostMessage(MessageRecord record) override { return g_pMessageHandler->Send(record); }
    bool PostDelayedMessage(MessageRecord record, float delay) override
    {
        return g_pMessageHandler->SendDelayed(record, delay);
    }
};

// An 8 x 4 park (256 x 256 map units): footpath on the two first rows, ground with a raised cell below; a leader
// (id 0) walking along the ground and the walker (id 1).
struct Park
{
    Park()
    {
        RegisterObjectKind(OBJECT_GUEST, []() -> BaseObject* { return new FuzzWalker; });
        RegisterObjectKind(OBJECT_MECHANIC, []() -> BaseObject* { return new FuzzWalker; });
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 8; ++x)
                map->GetCell({x, y})->m_uiFlags = y < 2 ? 0x90000001u : 0x80000001u;
        map->GetCell({2, 2})->m_ZOffset = 3.0f;
        leader = static_cast<MovingObject*>(objects->CreateObject("LEADER", OBJECT_MECHANIC));
        leader->SetType(OBJECT_MECHANIC);
        leader->SetWorldPosition(WorldMap::GetCellCentre({7, 3}));
        walker = static_cast<MovingObject*>(objects->CreateObject("WALKER", OBJECT_GUEST));
        walker->SetType(OBJECT_GUEST);
        walker->SetWorldPosition(WorldMap::GetCellCentre({0, 2}));
        MessageRecord order;
        order.dwSender = order.dwReciever = leader->GetID();
        order.dwType = MT_MOVE_DIRECT_2POINT;
        order.dwFlags = 16;
        order.dwData = 224;
        messages->Send(order);
    }
    ~Park()
    {
        objects.reset();
        messages.reset();
        path.reset();
        map.reset();
        world.reset();
        ClearObjectKinds();
    }
    bool Load(const char* file)
    {
        BinarySerialStream in(false, file);
        return walker->Load(in);
    }
    std::unique_ptr<World> world = std::make_unique<World>();
    std::unique_ptr<WorldMap> map = std::make_unique<WorldMap>(8, 4, WorldMap::kDefaultCellSize, "");
    std::unique_ptr<Path> path = std::make_unique<Path>(*map);
    std::unique_ptr<MessageHandler> messages = std::make_unique<MessageHandler>();
    std::unique_ptr<ObjectManager> objects = std::make_unique<ObjectManager>();
    MovingObject* leader = nullptr;
    MovingObject* walker = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("walker.sav", data, size);
    {
        Park park;
        if (!park.Load("walker.sav"))
            return 0;
        for (int frame = 0; frame < 300; ++frame)
        {
            park.world->AdvanceClock(0.05f);
            park.leader->Update();
            park.walker->Update();
            park.messages->Update();
        }
        const platform::Vec3 at = park.walker->GetWorldPosition();
        if (!(at.x >= 0.0f && at.x < park.map->GetExtentX() && at.y >= 0.0f && at.y < park.map->GetExtentY()) ||
            !std::isfinite(park.walker->GetPosition().y))
            __builtin_trap(); // a walker that loaded walked off the map or into no number at all
        BinarySerialStream out(true, "again.sav");
        park.walker->Dump(out);
        if (!out.Close())
            __builtin_trap();
    }
    Park park;
    if (!park.Load("again.sav"))
        __builtin_trap(); // a walker saved after walking does not load again
    return 0;
}
