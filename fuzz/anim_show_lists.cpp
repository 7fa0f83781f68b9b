// Fuzz target: the anim list and the show list (scrambled token lists). The input serves as both files, after a
// small show-move table, as a world loads them; then the lists are searched as objects and shows search them.
#include "fuzz/FuzzSupport.h"
#include "scripts/WorldParams.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    static const char kShowMoves[] = "\"SHOWMOVE_JUMP\"\n\"JUMP_SHOW\" \"SPLASH\"\n";
    fuzzsupport::WriteBleFile("data\\script\\mrvshowmoves.pis", reinterpret_cast<const uint8_t*>(kShowMoves),
                              std::strlen(kShowMoves));
    fuzzsupport::WriteBleFile("data\\script\\mrvanimlist.pis", data, size);
    fuzzsupport::WriteBleFile("data\\script\\mrvshows.pis", data, size);
    WorldParams params(nullptr, nullptr);
    for (const AnimListEntry& entry : params.GetAnimListEntries())
    {
        std::vector<const AnimListEntry*> list;
        params.GetAnimList(entry.szOwner, list);
        if (list.empty())
            __builtin_trap(); // an entry's own owner finds nothing
    }
    for (const ShowListEntry& entry : params.GetShowListEntries())
    {
        std::vector<ShowMoveInfo> moves;
        params.GetShowMoves(entry.szShowName, moves);
        std::vector<int32_t> ids;
        params.GetShowMoveIDs(entry.szShowName, ids);
    }
    return 0;
}
