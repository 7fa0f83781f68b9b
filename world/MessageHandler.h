// MessageHandler: delivers messages between objects and the World at once or at a later game time, in posting
// order, and saves the ones still pending.
#pragma once

#include "world/MessageRecord.h"

#include <cstdint>
#include <vector>

class BaseObject;
class SerialStream;

class MessageHandler
{
public:
    // How deep immediate sends may nest (handlers sending from handlers); a deeper send waits for the next Update.
    static constexpr uint32_t kMaxSendDepth = 64;
    // Delay given to an immediate send while the park is paused.
    static constexpr float kPauseDelay = 0.0001f;

    // Stores the global pointer.
    MessageHandler();
    ~MessageHandler();
    MessageHandler(const MessageHandler&) = delete;
    MessageHandler& operator=(const MessageHandler&) = delete;

    // Delivers now, inside this call; while the park is paused (and the sender is not the player's demolition)
    // the message is delayed by kPauseDelay instead. True.
    bool Send(const MessageRecord& record);
    // Delivers when the game time reaches now + delay (a delay of 0 means the next Update). True.
    bool SendDelayed(const MessageRecord& record, float delay);
    // Delivers now to the World, with the payload; a record for any other receiver takes no effect. The World's
    // answer.
    bool SendToWorld(const MessageRecord& record, const void* payload);
    // Delivers the delayed messages that are due, in posting order. Once per frame.
    void Update();
    // Drops the pending messages for an object, except MT_FINISH_ACTION and MT_MOVEIMHERE.
    void RemoveMessagesFor(uint32_t id);

    void Dump(SerialStream& stream) const;
    // False, with a report and the pending messages as they were, when the saved list is cut short.
    bool Load(SerialStream& stream);

    const std::vector<MessageRecord>& GetPendingMessages() const { return m_DelayedMessages; }

private:
    bool Deliver(BaseObject* object, const MessageRecord& record, const void* payload);

    std::vector<MessageRecord> m_DelayedMessages;
    // The messages being delivered by Update; empty outside it.
    std::vector<MessageRecord> m_DueMessages;
    uint32_t m_uDepth = 0;
    bool m_bUpdating = false;
};

// The message handler while the park exists, null otherwise.
extern MessageHandler* g_pMessageHandler;

// One copy of the record to every object of a set, each with its own receiver. The receivers are the set as it
// stands when the call begins: objects created or reordered by the deliveries do not change who is sent to.
void SendToAllBuildings(MessageHandler& handler, MessageRecord record);
void SendToAllOfKind(MessageHandler& handler, uint8_t kind, MessageRecord record);
// Every mechanic, cleaner and zookeeper.
void SendToHourlyObjects(MessageHandler& handler, MessageRecord record);
