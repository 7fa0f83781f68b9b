// Fuzz target: the unicode text file (UTF-16 lines of ids, texts and tokens) and the expansion of every entry it
// gives, with arguments of each kind, as the GUI formats its texts.
#include "engine/core/TextSystem.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    static TextSystem* system = new TextSystem();
    fuzzsupport::WriteFile("english.uni", data, size);
    system->LoadTextFile("english.uni");
    // Every slot holds a text: a slot is read as the conversion in the entry says, so whatever conversions the
    // file puts where, none reads a number as a pointer (the callers' slots are typed by the shipped texts).
    static const char kWord[] = "word";
    static const char kEmpty[] = "";
    const uintptr_t args[] = {TextSystem::TextArg(kWord), TextSystem::TextArg(kEmpty), TextSystem::TextArg(kWord),
                              TextSystem::TextArg(kWord), TextSystem::TextArg(kEmpty)};
    const int count = system->GetEntryCount(0);
    for (int i = -1; i <= count; ++i)
    {
        system->FormatTextArgs(i, args, 5);
        system->FormatTextArgs(i, args, 0);
        system->GetIdName(i);
        system->GetTextLength(i);
        const int specs = system->CountFormatSpecs(i);
        for (int s = 0; s <= specs && s < 16; ++s)
            system->GetFormatSpec(i, s);
        system->InspectEntry(i);
    }
    system->WriteTextDump(0, "dump.uni");
    system->LoadMasterAndSlave("dump.uni", "english.uni");
    return 0;
}
