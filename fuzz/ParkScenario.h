// The files a park is built from, for the targets that build one: game parameters, a grid, complete path tile
// tables and tiny data tables, written once into the working folder; every object kind made as a plain object.
#pragma once

#include "engine/core/GameParameters.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/TileTables.h"
#include "world/ObjectKinds.h"
#include "world/StaticObject.h"

#include <string>
#include <vector>

namespace fuzzsupport
{

// Every object kind: takes any State and any message as a plain static object does.
class ParkObject : public StaticObject
{
public:
    ParkObject() : StaticObject(8) {}
    bool IsStateSupported(uint32_t) override { return true; }
    bool OnStateEntry(uint32_t) override { return true; }
    bool OnStateExit() override { return true; }
};

inline void WriteBleText(const char* name, const std::string& text)
{
    WriteBleFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// The world file of a small park on the first location, its script "data/script/world.pis".
constexpr const char* kParkWorldFile = "'WORLD_SCRIPT' \"data/script/world.pis\"\r\n"
                                       "'WORLD_GUESTLIST' \"data/script/guestnames.pis\"\r\n"
                                       "'WORLD_LEVEL' \"BAYCREST\"\r\n"
                                       "'WORLD_PATHTILEINFO' \"data/pathtiles.dat\"\r\n"
                                       "'WORLD_PAVEMENT_TILESET' \"tdpathtile\"\r\n"
                                       "'SCENARIO_OBJ_NUMBER' 2\r\n"
                                       "'BUILDING_0' \"KIOSK\"\r\n"
                                       "'BUILDING_1' \"ENTRANCE\"\r\n";

// Writes everything but the world file and the world script, once; the game parameters (the shortest day, so a
// few frames pass hours and a day) stay loaded for the whole process.
inline void WriteParkScenario()
{
    static bool written = false;
    if (written)
        return;
    written = true;
    for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
        RegisterObjectKind(kind, []() -> BaseObject* { return new ParkObject; });
    const std::string parameters = "'iDAY_LENGTH_IN_SECONDS' 24\r\n";
    WriteFile("gameparameters.pis", reinterpret_cast<const uint8_t*>(parameters.data()), parameters.size());
    static GameParameters gameParameters("gameparameters.pis");
    // Walkable ground everywhere.
    std::vector<uint8_t> grid(128 * 128 * 4);
    for (size_t i = 0; i < grid.size(); i += 4)
    {
        grid[i] = 0x01;
        grid[i + 3] = 0x80;
    }
    WriteFile("data/maps/BaycrestGrid.dat", grid.data(), grid.size());
    WriteTileTables();
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
}

} // namespace fuzzsupport
