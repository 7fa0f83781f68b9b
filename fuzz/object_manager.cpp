// Fuzz target: the object manager's records in a save (pools, id list, each object's own record), loaded into a
// park as a saved game is; a save that loads is saved again and must load again alike.
#include "engine/core/SerialStream.h"
#include "fuzz/FuzzSupport.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/StaticObject.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <memory>

namespace
{

class FuzzObject : public StaticObject
{
public:
    FuzzObject() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
    bool Update() override { return true; }
    bool Message(const MessageRecord&) override { return true; }
};

struct Park
{
    Park()
    {
        for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
            RegisterObjectKind(kind, []() -> BaseObject* { return new FuzzObject; });
    }
    ~Park()
    {
        objects.reset();
        messages.reset();
        map.reset();
        world.reset();
        ClearObjectKinds();
    }
    std::unique_ptr<World> world = std::make_unique<World>();
    std::unique_ptr<WorldMap> map = std::make_unique<WorldMap>(16, 16, WorldMap::kDefaultCellSize, "");
    std::unique_ptr<MessageHandler> messages = std::make_unique<MessageHandler>();
    std::unique_ptr<ObjectManager> objects = std::make_unique<ObjectManager>();
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("game.sav", data, size);
    uint32_t active = 0, next = 0;
    {
        Park park;
        BinarySerialStream in(false, "game.sav");
        if (!park.objects->Load(in))
            return 0;
        active = park.objects->GetNumActiveObjects();
        next = park.objects->GetNextFreeObjectID();
        for (uint8_t kind = 0; kind <= kLastObjectKind + 1; ++kind)
            park.objects->GetObjectsOfKind(kind);
        park.objects->GetStaffIds();
        BinarySerialStream out(true, "again.sav");
        park.objects->Dump(out);
        if (!out.Close())
            __builtin_trap();
    }
    Park park;
    BinarySerialStream in(false, "again.sav");
    if (!park.objects->Load(in) || park.objects->GetNumActiveObjects() != active ||
        park.objects->GetNextFreeObjectID() != next)
        __builtin_trap(); // a loaded game saved again does not load alike
    return 0;
}
