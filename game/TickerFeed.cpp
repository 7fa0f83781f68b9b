// TickerFeed: the feedback manager's log walk and the object manager's objects.
#include "game/TickerFeed.h"

#include "park/FeedbackManager.h"
#include "park/ParkManagers.h"
#include "world/BaseObject.h"
#include "world/ObjectManager.h"

const char16_t* TickerFeed::FirstMessage(float& hour, uint32_t& day, uint32_t& id)
{
    FeedbackManager* feedback = GetFeedbackManager();
    return feedback ? feedback->GetFirstMessage(hour, day, id) : nullptr;
}

const char16_t* TickerFeed::NextMessage(float& hour, uint32_t& day, uint32_t& id)
{
    FeedbackManager* feedback = GetFeedbackManager();
    return feedback ? feedback->GetNextMessage(hour, day, id) : nullptr;
}

void TickerFeed::SelectObject(uint32_t id)
{
    if (!g_pObjectManager)
        return;
    if (BaseObject* object = g_pObjectManager->GetObject(id))
        object->OnSelected(true, true);
}
