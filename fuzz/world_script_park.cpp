// Fuzz target: a world script run in a real park. The park's files (fuzz/ParkScenario.h) and its world file are
// written once; the fuzzed bytes are the scenario's world script, which the park compiles and starts while it is
// built, then runs through a few frames, its posted messages and State changes delivered by the park itself.
#include "fuzz/ParkScenario.h"
#include "world/World.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteParkScenario();
    static const std::string file =
        fuzzsupport::WriteFile("park.pis", reinterpret_cast<const uint8_t*>(fuzzsupport::kParkWorldFile),
                               std::strlen(fuzzsupport::kParkWorldFile));
    fuzzsupport::WriteBleFile("data/script/world.pis", data, size);
    World world(nullptr, nullptr, file.c_str(), false);
    if (!world.IsBuilt())
        return 0;
    // Four-second game steps: hours pass every frame, delayed messages and State changes arrive, and a day ends.
    for (int frame = 0; frame < 8; ++frame)
        world.Update(World::kMaxGameDeltaTime);
    return 0;
}
