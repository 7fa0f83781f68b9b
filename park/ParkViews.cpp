// The views and sounds the park talks to, when they are registered.
#include "park/ParkViews.h"

namespace
{

ParkViews* s_views = nullptr;

} // namespace

ParkViews* GetParkViews()
{
    return s_views;
}

void SetParkViews(ParkViews* views)
{
    s_views = views;
}
