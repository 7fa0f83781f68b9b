// Fuzz target: the options file (an INI-style profile), read over the defaults and saved again as the options
// screen does, then the saved file read back.
#include "engine/core/GameOptions.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteFile("options.ini", data, size);
    GameOptions options("options.ini");
    if (!options.Load())
        return 0;
    int32_t width = 0, height = 0;
    options.GetResolution(&width, &height);
    for (int32_t i = -1; i <= options.GetPlayListCount(); ++i)
    {
        options.GetPlayListDirectory(i);
        options.GetPlayListFile(i);
        options.GetPlayListAttribute(i);
        options.GetPlayListTime(i);
    }
    for (int32_t id = -1; id <= GameOptions::kMaxDialogId + 1; ++id)
    {
        int32_t x = 0, y = 0;
        options.GetDialogPosition(id, &x, &y);
    }
    if (!options.Save())
        __builtin_trap();
    GameOptions again("options.ini");
    if (!again.Load())
        __builtin_trap(); // the file just saved is refused
    return 0;
}
