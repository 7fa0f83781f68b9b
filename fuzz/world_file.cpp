// Fuzz target: the park built from a scenario's world file as the game builds it, then a few frames of it. The
// game parameters, a 128 x 128 grid, the path tile tables, tiny data tables and a world script that lays out and
// fills a little park are written once into the working folder; the fuzzed bytes are the world file.
#include "engine/core/GameParameters.h"
#include "fuzz/FuzzSupport.h"
#include "world/ObjectKinds.h"
#include "world/StaticObject.h"
#include "world/World.h"

#include <string>
#include <vector>

namespace
{

// Every object kind: takes any State and any message as a plain static object does.
class FuzzObject : public StaticObject
{
public:
    FuzzObject() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
};

void WriteText(const char* name, const std::string& text)
{
    fuzzsupport::WriteFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void WriteBleText(const char* name, const std::string& text)
{
    fuzzsupport::WriteBleFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// The files every run reads, written once; the game parameters stay loaded for the whole process.
void WriteScenario()
{
    static bool written = false;
    if (written)
        return;
    written = true;
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
        RegisterObjectKind(kind, []() -> BaseObject* { return new FuzzObject; });
    // The shortest day, so a few frames pass hours and a day.
    WriteText("gameparameters.pis", "'iDAY_LENGTH_IN_SECONDS' 24\r\n");
    static GameParameters parameters("gameparameters.pis");
    std::vector<uint8_t> grid(128 * 128 * 4);
    for (size_t i = 0; i < grid.size(); i += 4)
    {
        grid[i] = 0x01;
        grid[i + 3] = 0x80;
    }
    fuzzsupport::WriteFile("data/maps/BaycrestGrid.dat", grid.data(), grid.size());
    for (const char* table : {"data/pathtiles.dat", "data/queuetiles.dat", "data/queuepath.dat"})
        WriteBleText(table, "0 0 0 0 0 0 0 0 1\n");
    WriteBleText("data/script/mrvbuildings.pis",
                 "\"BUILD_ENTRANCE\"\n\"ENTRANCE_RIDE_MODEL\" \"NONE\"\n\"ENTRANCE_TABLE_MODEL\" \"NONE\"\n"
                 "\"BUILD_KIOSK\"\n\"KIOSK_RIDE_MODEL\" \"NONE\"\n\"KIOSK_TABLE_MODEL\" \"NONE\"\n"
                 "\"BUILD_KAIKOADV\"\n\"BUILD_AQUAGALA\"\n");
    WriteBleText("data/script/mrvmapgrids.pis",
                 "\"MAPGRID_MAPKIOSK\"\n\"MAPKIOSK_WIDTH\" \"2\"\n\"MAPKIOSK_HEIGHT\" \"3\"\n");
    WriteBleText("data/script/guestextra.pis", "\"GUEST_MAN\"\n\"MAN_GENDER\" \"M\"\n\"MAN_ANIM_NAME\" \"MANANIM\"\n"
                                               "\"GUEST_WOMAN\"\n\"WOMAN_GENDER\" \"F\"\n");
    WriteBleText("data/script/mrvanimlist.pis", "\"MANANIM\" \"walk\" \"man_walk\" \"2\"\n");
    WriteBleText("data/script/mrvscenery.pis", "\"SCENERY_BENCH\"\n");
    WriteBleText("data/script/mrvanimals.pis", "\"ANIMAL_DOLPHIN\"\n");
    WriteBleText("data/script/world.pis", "State STATE_WORLD_STARTUP\n"
                                          " OnEntry\n"
                                          "  Path 10 10 6 E ;\n"
                                          "  Queue 12 11 1 ;\n"
                                          "  Create Building KIOSK 14 12 0 Prices 2 ; Age 3 ; ;\n"
                                          "  Create Building ENTRANCE 10 12 0 ;\n"
                                          "  Create Scenery BENCH 11 9 0 ;\n"
                                          "  Create Guest MAN Random Number 3 ;\n"
                                          "  Create Staff CLEANER 1 1 ;\n"
                                          "  Set Var1 GuestCount ;\n"
                                          "  ChangeState Running Time 6 ;\n"
                                          " End\n"
                                          "End\n"
                                          "State Running\n"
                                          " OnUpdate\n"
                                          "  If Var1 < 100 Add Var1 1 ; End\n"
                                          " End\n"
                                          "End\n");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    WriteScenario();
    const std::string file = fuzzsupport::WriteFile("park.pis", data, size);
    World world(nullptr, nullptr, file.c_str(), false);
    if (!world.IsBuilt())
        return 0;
    world.GetPreloadList();
    // Four-second game steps: hours pass every frame, the rating messages come, and a day ends.
    for (int frame = 0; frame < 8; ++frame)
        world.Update(World::kMaxGameDeltaTime);
    return 0;
}
