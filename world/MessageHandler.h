// MessageHandler: delivers messages between objects and the World at once or at a later game time, in posting
// order, and saves the ones still pending.
#pragma once

#include "world/MessageRecord.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <unordered_map>
#include <unordered_set>
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
    // Most messages one sender may post between two Updates; further ones are dropped, with one report per sender.
    // A script that posts to itself more than once per message it handles would otherwise double its messages at
    // every step. The World and the player's demolition broadcast to every object, and "no object" sends the move-up
    // calls of every queue and the world script's messages: these have a share of their own.
    static constexpr uint32_t kMaxPostsPerFrame = 1024;
    static constexpr uint32_t kMaxWorldPostsPerFrame = 65536;
    // Most messages that may wait at once; further delayed ones are dropped, with one report until there is room
    // again. The World's messages to itself (its rating and averages) keep a reserve beyond it.
    static constexpr size_t kMaxDelayedMessages = 65536;
    static constexpr size_t kWorldReserve = 1024;

    // Stores the global pointer.
    MessageHandler();
    ~MessageHandler();
    MessageHandler(const MessageHandler&) = delete;
    MessageHandler& operator=(const MessageHandler&) = delete;

    // Delivers now, inside this call; while the park is paused (and the sender is not the player's demolition)
    // the message is delayed by kPauseDelay instead. True, or false when the sender has posted its share of the
    // frame (or the delayed list is full) and the message is dropped.
    bool Send(const MessageRecord& record);
    // Delivers when the game time reaches now + delay (a delay of 0, or one that is not a number, means the next
    // Update). False when the message is dropped, as for Send.
    bool SendDelayed(const MessageRecord& record, float delay);
    // Delivers now to the World, with the payload; a record for any other receiver takes no effect. The World's
    // answer.
    bool SendToWorld(const MessageRecord& record, const void* payload);
    // Delivers the delayed messages that are due, in posting order, and starts the senders' shares afresh. Once
    // per frame.
    void Update();
    // Drops the pending messages for an object, except MT_FINISH_ACTION and MT_MOVEIMHERE.
    void RemoveMessagesFor(uint32_t id);
    // Drops the pending messages of the type for an object that were posted in the state (their dwData2).
    void RemoveMessagesFor(uint32_t id, uint32_t type, uint32_t state);

    void Dump(SerialStream& stream) const;
    // False, with a report and the pending messages as they were, when the saved list is cut short.
    bool Load(SerialStream& stream);

    // One copy of the record to each id the fill gives (called once, before the first delivery), sent as Send
    // does; the copies count as one post of the sender. The lists are kept with their room for the next broadcast
    // at the same depth: a delivery may broadcast in turn.
    template <typename Fill> void Broadcast(MessageRecord record, Fill fill);

    // The pending messages in posting order, each stamped with its time (as a float, as saved).
    std::vector<MessageRecord> GetPendingMessages() const;
    size_t GetPendingCount() const { return m_DelayedMessages.size(); }
    // True when a message with the record's sender, receiver, type and data waits to be delivered as soon as the
    // game clock moves again: one the pause holds (also as a saved game restores it).
    bool IsWaitingForClock(const MessageRecord& record) const;

private:
    // A waiting message and the game time it is due at, kept in full precision: late in a game a float cannot
    // tell now from now + kPauseDelay.
    struct Pending
    {
        MessageRecord record;
        double due;
    };

    bool Deliver(BaseObject* object, const MessageRecord& record, const void* payload);
    // Counts a post against its sender's share of the frame; false, with the sender's one report, past it.
    bool TakePost(const MessageRecord& record);
    // Appends a message due at a game time; false, with a report, when the list is full.
    bool Queue(const MessageRecord& record, double due);
    // Send after the post was counted.
    bool SendTaken(const MessageRecord& record);

    std::vector<Pending> m_DelayedMessages;
    // The messages being delivered by Update; empty outside it.
    std::vector<Pending> m_DueMessages;
    uint32_t m_uDepth = 0;
    bool m_bUpdating = false;
    // Posts of a sender in the frame it last posted in. Senders stay listed from frame to frame (a frame of the
    // same senders makes no entries), until more than kKeptSenders are listed: then those that did not post in the
    // frame that ended go.
    struct PostCount
    {
        uint64_t frame;
        uint32_t posts;
    };
    static constexpr size_t kKeptSenders = 8192;
    std::unordered_map<uint32_t, PostCount> m_PostCounts;
    uint64_t m_uFrame = 0;
    uint32_t m_LastSender = 0;
    PostCount* m_pLastCount = nullptr;
    // Senders reported once for going past their share, and for nesting sends too deeply.
    std::unordered_set<uint32_t> m_ReportedSenders;
    std::unordered_set<uint32_t> m_NestingReported;
    bool m_bFullReported = false;
    // The receivers of the broadcasts under way, one list per depth; broadcasts nest no deeper than sends.
    std::vector<uint32_t> m_Receivers[kMaxSendDepth + 2];
    size_t m_uBroadcastDepth = 0;
};

template <typename Fill> void MessageHandler::Broadcast(MessageRecord record, Fill fill)
{
    if (!TakePost(record))
        return;
    std::vector<uint32_t> spare;
    std::vector<uint32_t>& ids = m_uBroadcastDepth < std::size(m_Receivers) ? m_Receivers[m_uBroadcastDepth] : spare;
    ++m_uBroadcastDepth;
    fill(ids);
    for (uint32_t id : ids)
    {
        record.dwReciever = id;
        SendTaken(record);
    }
    --m_uBroadcastDepth;
}

// The message handler while the park exists, null otherwise.
extern MessageHandler* g_pMessageHandler;

// One copy of the record to every object of a set, each with its own receiver. The receivers are the set as it
// stands when the call begins: objects created or reordered by the deliveries do not change who is sent to.
void SendToAllBuildings(MessageHandler& handler, MessageRecord record);
void SendToAllOfKind(MessageHandler& handler, uint8_t kind, MessageRecord record);
// Every mechanic, cleaner and zookeeper.
void SendToHourlyObjects(MessageHandler& handler, MessageRecord record);
