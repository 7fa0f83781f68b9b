// Fuzz target: the scene-object records of a save (a model instance's placement, model handle, bone mask and
// attachments; an animated object's animations and play state), loaded as a saved game loads them; a record that
// loads is saved again and must load again and save the same bytes.
#include "engine/core/SerialStream.h"
#include "engine/render/AnimatedObject.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "engine/render/SceneObject.h"
#include "fuzz/FuzzSupport.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::vector<char> ReadAll(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads the record into a fresh object of the kind; when it loads, dumps it, loads the dump into another object and
// checks that its dump is the same bytes.
template <typename Object> void RoundTrip(uint32_t kind)
{
    Object first(kind);
    {
        BinarySerialStream in(false, "scene.sav");
        if (!first.Load(in))
            return;
    }
    {
        BinarySerialStream out(true, "once.sav");
        first.Dump(out);
        if (!out.Close())
            __builtin_trap();
    }
    Object second(kind);
    {
        BinarySerialStream in(false, "once.sav");
        if (!second.Load(in))
            __builtin_trap(); // a loaded record saved again does not load
    }
    {
        BinarySerialStream out(true, "twice.sav");
        second.Dump(out);
        if (!out.Close())
            __builtin_trap();
    }
    if (ReadAll("once.sav") != ReadAll("twice.sav"))
        __builtin_trap(); // loading and saving again changed the record
    g_AnimationScheduler.Clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    static const bool modelsReady = []
    {
        g_ModelManager.Init(64, false);
        return true;
    }();
    (void)modelsReady;
    fuzzsupport::WriteFile("scene.sav", data, size);
    RoundTrip<SceneObject>(1);
    RoundTrip<AnimatedObject>(2);
    return 0;
}
