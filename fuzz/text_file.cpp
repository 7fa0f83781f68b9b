// Fuzz target: the unicode text file (UTF-16 lines of ids, texts and tokens) and the expansion of every entry it
// gives, with texts and with numbers for arguments, as the GUI formats its texts.
#include "engine/core/TextSystem.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    static TextSystem* system = new TextSystem();
    fuzzsupport::WriteFile("english.uni", data, size);
    system->LoadTextFile("english.uni");
    // A slot is read as the conversion in the entry says, whatever the caller put there: texts where the file asks
    // for numbers, and numbers where it asks for texts.
    static const char kWord[] = "word";
    static const char kEmpty[] = "";
    const uintptr_t args[] = {TextSystem::TextArg(kWord), TextSystem::TextArg(kEmpty), TextSystem::TextArg(kWord),
                              TextSystem::TextArg(kWord), TextSystem::TextArg(kEmpty)};
    const uintptr_t numbers[] = {TextSystem::TextArg(7), TextSystem::TextArg(-2.5f), TextSystem::TextArg(0),
                                 TextSystem::TextArg(1.0e30f), TextSystem::TextArg(-1)};
    const int count = system->GetEntryCount(0);
    for (int i = -1; i <= count; ++i)
    {
        system->FormatTextArgs(i, args, 5);
        system->FormatTextArgs(i, numbers, 5);
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
