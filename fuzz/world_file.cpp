// Fuzz target: the park built from a scenario's world file as the game builds it, then a few frames of it. The
// park's files (fuzz/ParkScenario.h) and a world script that lays out and fills a little park are written once
// into the working folder; the fuzzed bytes are the world file.
#include "fuzz/ParkScenario.h"
#include "world/World.h"

#include <string>

namespace
{

// The world script every run starts: it lays out and fills a little park, then counts in its running State.
void WriteWorldScript()
{
    static bool written = false;
    if (written)
        return;
    written = true;
    fuzzsupport::WriteBleText("data/script/world.pis", "State STATE_WORLD_STARTUP\n"
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
    fuzzsupport::WriteParkScenario();
    WriteWorldScript();
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
