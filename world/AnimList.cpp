// The anim-list records of a model, as the game data tables give them.
#include "world/BaseObject.h"

// The game data tables are joined to the world later; until then no model has animation records.
std::vector<AnimListItem> CollectAnimList(const char*)
{
    return {};
}
