// The anim-list records of a model, as the game data tables give them.
#include "scripts/WorldParams.h"
#include "world/BaseObject.h"

// The anim list holds no owner to more files than an object loads.
static_assert(AnimListEntry::kMaxOwnerFiles == static_cast<int32_t>(BaseObject::kMaxAnimations));

std::vector<AnimListItem> CollectAnimList(const char* modelKeyword)
{
    std::vector<AnimListItem> items;
    if (!g_pWorldParams || !modelKeyword)
        return items;
    std::vector<const AnimListEntry*> entries;
    g_pWorldParams->GetAnimList(modelKeyword, entries);
    for (const AnimListEntry* entry : entries)
        items.push_back({entry->szOwner, entry->szAnimName, entry->szFileStem, entry->iFileCount});
    return items;
}
