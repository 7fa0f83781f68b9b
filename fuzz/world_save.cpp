// Fuzz target: a whole saved park (the World's record and every record after it) loaded into a park freshly built
// from a little scenario with the park layer's classes, as a saved game is. A save that loads must run, and save
// and load again alike; one that does not must leave no park behind.
#include "engine/core/SerialStream.h"
#include "fuzz/ParkScenario.h"
#include "park/ParkLayer.h"
#include "world/World.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace
{

constexpr const char* kWorldFile = "park.pis";

void WriteScenario()
{
    static bool written = false;
    if (written)
        return;
    written = true;
    fuzzsupport::WriteParkScenario();
    RegisterParkLayer();
    fuzzsupport::WriteBleText("data/script/world.pis", "State STATE_WORLD_STARTUP\n"
                                                       " OnEntry\n"
                                                       "  Path 10 10 6 E ;\n"
                                                       "  Queue 12 11 1 ;\n"
                                                       "  Create Building KIOSK 14 12 0 ;\n"
                                                       "  Create Scenery BENCH 11 9 0 ;\n"
                                                       "  Create Guest MAN Random Number 3 ;\n"
                                                       "  ChangeState Running ;\n"
                                                       " End\n"
                                                       "End\n"
                                                       "State Running\n"
                                                       "End\n");
    const std::string world = fuzzsupport::kParkWorldFile;
    fuzzsupport::WriteFile(kWorldFile, reinterpret_cast<const uint8_t*>(world.data()), world.size());
}

std::vector<uint8_t> SaveOf(const World& world, const char* name)
{
    {
        BinarySerialStream out(true, name);
        world.Save(out);
        out.Close();
    }
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    WriteScenario();
    fuzzsupport::WriteFile("game.sav", data, size);
    std::vector<uint8_t> first;
    {
        BinarySerialStream in(false, "game.sav");
        std::unique_ptr<World> world = World::LoadSaved(nullptr, nullptr, kWorldFile, in);
        if (!world)
        {
            if (g_pWorld)
                std::abort();
            return 0;
        }
        first = SaveOf(*world, "again.sav");
    }
    // What loaded saves as it loads: a second load of that save gives the same save again.
    {
        BinarySerialStream in(false, "again.sav");
        std::unique_ptr<World> world = World::LoadSaved(nullptr, nullptr, kWorldFile, in);
        if (!world)
            std::abort();
        if (SaveOf(*world, "third.sav") != first)
            std::abort();
        for (int frame = 0; frame < 4; ++frame)
            world->Update(World::kMaxGameDeltaTime);
    }
    return 0;
}
