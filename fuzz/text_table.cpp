// Fuzz target: the scrambled text table (quoted id and text pairs in UTF-16), and the look-ups the game makes.
#include "engine/core/TextTable.h"
#include "fuzz/FuzzSupport.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteBleFile("text.txt", data, size);
    TextTable table("text.txt");
    for (int i = -1; i <= static_cast<int>(table.GetPairCount()); ++i)
    {
        const char16_t* text = table.GetTextByIndex(i);
        if (text)
        {
            std::u16string copy(text);
            table.GetTextW(copy.c_str());
            std::string narrow;
            for (char16_t c : copy)
                narrow.push_back(static_cast<char>(c));
            table.GetText(narrow.c_str());
            table.FindIndex(narrow.c_str());
        }
    }
    table.GetText("");
    table.FindIndex("ERROR");
    return 0;
}
