// Fuzz target: the anim list and the show list (scrambled token lists). The input serves as both files, after a
// small show-move table, as a world loads them; then the lists are searched as objects and shows search them.
#include "fuzz/FuzzSupport.h"
#include "scripts/WorldParams.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{

// Three moves: two in the show "SPLASH" (the first with one animation, the second with one after a "NONE"), one
// in "KAIKO". Moves are declared by "MOVE_<keyword>".
constexpr const char* kShowMoves = "\"MOVE_JUMP\"\n\"JUMP_SHOW\" \"SPLASH\"\n\"JUMP_ANIM1\" \"jump\"\n"
                                   "\"MOVE_SPIN\"\n\"SPIN_SHOW\" \"SPLASH\"\n\"SPIN_ANIM1\" \"NONE\"\n"
                                   "\"SPIN_ANIM2\" \"spin\"\n"
                                   "\"MOVE_WAVE\"\n\"WAVE_SHOW\" \"KAIKO\"\n";
constexpr uint32_t kMoves = 3;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    fuzzsupport::WriteBleFile("data\\script\\mrvshowmoves.pis", reinterpret_cast<const uint8_t*>(kShowMoves),
                              std::strlen(kShowMoves));
    fuzzsupport::WriteBleFile("data\\script\\mrvanimlist.pis", data, size);
    fuzzsupport::WriteBleFile("data\\script\\mrvshows.pis", data, size);
    WorldParams params(nullptr, nullptr);
    if (params.GetShowMoveCount() != kMoves)
        __builtin_trap(); // the move table above did not load: the show list would find no move
    for (const AnimListEntry& entry : params.GetAnimListEntries())
    {
        std::vector<const AnimListEntry*> list;
        params.GetAnimList(entry.szOwner, list);
        if (list.empty())
            __builtin_trap(); // an entry's own owner finds nothing
    }
    for (const ShowListEntry& entry : params.GetShowListEntries())
    {
        // A show-list entry names a move of the table, or move 0 when its keyword is not one.
        if (entry.iShowMoveID < 0 || static_cast<uint32_t>(entry.iShowMoveID) >= kMoves)
            __builtin_trap();
        std::vector<ShowMoveInfo> moves;
        params.GetShowMoves(entry.szShowName, moves);
        for (const ShowMoveInfo& move : moves)
            if (std::string(move.cShowName) != entry.szShowName || move.NumAnims < 0 || move.NumAnims > 5)
                __builtin_trap(); // a move of another show, or more animations than a move holds
        std::vector<int32_t> ids;
        params.GetShowMoveIDs(entry.szShowName, ids);
        if (ids.empty())
            __builtin_trap(); // an entry's own show finds nothing
    }
    return 0;
}
