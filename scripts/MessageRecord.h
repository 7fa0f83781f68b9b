// MessageRecord: one message between objects and the World, and the ids that stand for no object and the World.
#pragma once

#include <cstdint>

// Object id of no object.
constexpr uint32_t kNoObjectID = 0xFFFFFFFF;
// Sender or receiver id of the World.
constexpr uint32_t kWorldID = 0xFFFFFFFE;
// Sender id of the player's demolition of scenery: such messages are never held back by the pause.
constexpr uint32_t kPlayerDemolishID = 0xFFFFFFFD;

struct MessageRecord
{
    uint32_t dwSender = kNoObjectID;
    uint32_t dwReciever = kNoObjectID;
    uint32_t dwType = 0;
    uint32_t dwFlags = 0;
    uint32_t dwData = 0;
    uint32_t dwData2 = 0;
    float fData = 0.0f;
    // Game time at which the message was or is to be delivered; set by the MessageHandler.
    float fTime = 0.0f;
};
