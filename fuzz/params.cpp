// Fuzz target: the quoted-name parameter script, and the typed game parameters built from a script whose
// entries all carry the type their names' first letters ask for (any other script ends the game at start-up).
#include "engine/core/GameParameters.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    const std::string file = fuzzsupport::WriteFile("params.txt", data, size);
    ParameterScript script(file.c_str());
    bool typed = true;
    for (uint32_t i = 0; i < script.GetEntryCount(); ++i)
    {
        const ParameterScript::Entry& entry = script.GetEntry(i);
        script.GetNumber(entry.name.c_str());
        script.GetString(entry.name.c_str());
        const char first = entry.name.empty() ? 0 : entry.name[0];
        const bool wantsString = first == 'b' || first == 's';
        const bool wantsNumber = first == 'i' || first == 'f';
        if (!(wantsString && entry.type == ParameterScript::kString) &&
            !(wantsNumber && entry.type == ParameterScript::kNumber) &&
            !(entry.name.size() > GameParameters::kMaxText || entry.text.size() > GameParameters::kMaxText))
            typed = false;
    }
    if (typed)
    {
        GameParameters parameters(file.c_str());
        for (uint32_t i = 0; i < script.GetEntryCount(); ++i)
        {
            const char* name = script.GetEntry(i).name.c_str();
            bool b = false;
            int32_t n = 0;
            float f = 0.0f;
            parameters.GetBool(name, &b);
            parameters.GetInt(name, &n);
            parameters.GetFloat(name, &f);
            parameters.GetString(name);
        }
    }
    return 0;
}
