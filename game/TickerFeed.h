// TickerFeed: the park's message log and objects as the GUI's ticker list reaches them.
#pragma once

#include "gui/TickerList.h"

class TickerFeed : public TickerSource
{
public:
    // The feedback manager's log, oldest first; nothing while there is no park.
    const char16_t* FirstMessage(float& hour, uint32_t& day, uint32_t& id) override;
    const char16_t* NextMessage(float& hour, uint32_t& day, uint32_t& id) override;
    // The object's own selection (its panel opens), when the object still exists.
    void SelectObject(uint32_t id) override;
};
