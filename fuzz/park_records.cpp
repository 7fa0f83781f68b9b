// Fuzz target: the saved records of an animal and of the components of animal and show buildings (ride, crowd,
// animal paths, show programme); the first byte chooses which, the rest is the save file. A record that loads is
// saved, loaded into a fresh one and saved again: the two saves must be the same.
#include "engine/core/SerialStream.h"
#include "fuzz/FuzzSupport.h"
#include "park/AnimalObject.h"
#include "park/AnimalPathComponent.h"
#include "park/CrowdFiller.h"
#include "park/RideComponent.h"
#include "park/ShowScheduler.h"
#include "scripts/WorldParams.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"
#include "world/WorldMap.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{

const char* const kTables = "\"ANIMAL_DOLPHIN\"\n\"DOLPHIN_COST\" \"100\"\n\"DOLPHIN_MOVE_ANIMS\" \"2\"\n"
                            "\"DOLPHIN_NUM_PATHS\" \"4\"\n"
                            "\"MOVE_HOP\"\n\"HOP_SHOW\" \"SPLASH\"\n\"HOP_ANIM1\" \"jump\"\n"
                            "\"MOVE_SPLASHSTART\"\n\"SPLASHSTART_SHOW\" \"SPLASH\"\n\"SPLASHSTART_ANIM1\" \"start\"\n";

// An 8 x 8 park with the tables above.
struct Park
{
    Park()
    {
        RegisterObjectKind(OBJECT_ANIMAL, []() -> BaseObject* { return new AnimalObject; });
        std::string text = kTables;
        params->Process(text.data(), static_cast<uint32_t>(text.size()));
    }
    ~Park()
    {
        objects.reset();
        messages.reset();
        map.reset();
        params.reset();
        world.reset();
        ClearObjectKinds();
    }
    std::unique_ptr<World> world = std::make_unique<World>();
    std::unique_ptr<WorldParams> params = std::make_unique<WorldParams>();
    std::unique_ptr<WorldMap> map = std::make_unique<WorldMap>(8, 8, WorldMap::kDefaultCellSize, "");
    std::unique_ptr<MessageHandler> messages = std::make_unique<MessageHandler>();
    std::unique_ptr<ObjectManager> objects = std::make_unique<ObjectManager>();
};

// A record of the kind chosen: its load and its save, on a fresh object each time.
struct Record
{
    std::function<bool(SerialStream&)> load;
    std::function<void(SerialStream&)> dump;
};

Record Fresh(Park& park, uint8_t kind)
{
    switch (kind % 5)
    {
    case 0:
    {
        auto* animal = static_cast<AnimalObject*>(park.objects->CreateObject("DOLPHIN", OBJECT_ANIMAL));
        return {[animal](SerialStream& s) { return animal->Load(s); }, [animal](SerialStream& s) { animal->Dump(s); }};
    }
    case 1:
    {
        auto ride = std::make_shared<RideComponent>(0, RideComponent::RIDE_TIME, "NONE", 8);
        return {[ride](SerialStream& s) { return ride->Load(s); }, [ride](SerialStream& s) { ride->Dump(s); }};
    }
    case 2:
    {
        auto crowd = std::make_shared<CrowdFiller>();
        return {[crowd](SerialStream& s) { return crowd->Load(s); }, [crowd](SerialStream& s) { crowd->Dump(s); }};
    }
    case 3:
    {
        auto paths = std::make_shared<AnimalPathComponent>(0);
        return {[paths](SerialStream& s) { return paths->Load(s); }, [paths](SerialStream& s) { paths->Dump(s); }};
    }
    default:
    {
        auto show = std::make_shared<ShowScheduler>("SPLASH", 1, 5);
        return {[show](SerialStream& s) { return show->Load(s); }, [show](SerialStream& s) { show->Dump(s); }};
    }
    }
}

std::vector<char> Bytes(const char* file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Load(const Record& record, const char* file)
{
    BinarySerialStream in(false, file);
    return record.load(in);
}

void Save(const Record& record, const char* file)
{
    BinarySerialStream out(true, file);
    record.dump(out);
    if (!out.Close())
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    if (size < 1)
        return 0;
    fuzzsupport::WriteFile("record.sav", data + 1, size - 1);
    Park park;
    const Record first = Fresh(park, data[0]);
    if (!Load(first, "record.sav"))
        return 0;
    Save(first, "first.sav");
    const Record second = Fresh(park, data[0]);
    if (!Load(second, "first.sav"))
        __builtin_trap(); // a record saved after a load does not load again
    Save(second, "second.sav");
    if (Bytes("first.sav") != Bytes("second.sav"))
        __builtin_trap(); // loaded and saved again, a record changed
    return 0;
}
