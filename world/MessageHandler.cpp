// MessageHandler: immediate, delayed and World deliveries, the pause rule, the nesting limit and the pending list's
// save record; and the broadcasts to sets of objects.
#include "world/MessageHandler.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "scripts/ObjectStates.h"
#include "world/BaseObject.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <limits>

MessageHandler* g_pMessageHandler = nullptr;

namespace
{

double GameTimeNow()
{
    return g_pWorld ? g_pWorld->GetGameTimeExact() : 0.0;
}

BaseObject* FindReceiver(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

// Counts one level of nesting for the life of a delivery.
class DepthGuard
{
public:
    explicit DepthGuard(uint32_t& depth) : m_depth(depth) { ++m_depth; }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    uint32_t& m_depth;
};

// The park's own senders, which no object script drives: the World, the player's demolition, and no object (every
// queue of the park telling its guests to move up, the world script's messages), whose posts in a frame grow with
// the park's guests.
bool IsParkSender(uint32_t sender)
{
    return sender == kWorldID || sender == kPlayerDemolishID || sender == kNoObjectID;
}

} // namespace

MessageHandler::MessageHandler()
{
    g_pMessageHandler = this;
}

MessageHandler::~MessageHandler()
{
    if (g_pMessageHandler == this)
        g_pMessageHandler = nullptr;
}

bool MessageHandler::TakePost(const MessageRecord& record)
{
    const uint32_t share = IsParkSender(record.dwSender) ? kMaxWorldPostsPerFrame : kMaxPostsPerFrame;
    // Posts come in runs from one sender (a broadcast, a script's list): the last sender's count is kept at hand.
    if (!m_pLastCount || record.dwSender != m_LastSender)
    {
        m_LastSender = record.dwSender;
        m_pLastCount = &m_PostCounts[record.dwSender];
    }
    if (m_pLastCount->frame != m_uFrame)
        *m_pLastCount = {m_uFrame, 0};
    uint32_t& posts = m_pLastCount->posts;
    if (posts < share)
    {
        ++posts;
        return true;
    }
    if (m_ReportedSenders.insert(record.dwSender).second)
        GetLogger()->Report(0,
                            "MessageHandler - object %u posted more than %u messages in one frame - the rest are "
                            "dropped (type %u)",
                            record.dwSender, share, record.dwType);
    return false;
}

bool MessageHandler::Queue(const MessageRecord& record, double due)
{
    const bool worldToItself = record.dwSender == kWorldID && record.dwReciever == kWorldID;
    const size_t room = kMaxDelayedMessages + (worldToItself ? kWorldReserve : 0);
    if (m_DelayedMessages.size() >= room)
    {
        if (!m_bFullReported)
            GetLogger()->Report(0,
                                "MessageHandler - %zu messages are waiting - further delayed messages are dropped "
                                "(type %u from %u)",
                                m_DelayedMessages.size(), record.dwType, record.dwSender);
        m_bFullReported = true;
        return false;
    }
    Pending pending{record, due};
    pending.record.fTime = static_cast<float>(due);
    // The save keeps the clock and this time in single precision: a message not yet due keeps a time after the
    // clock's, or a park loaded from the save (paused, say) would find it due at once.
    const float clock = static_cast<float>(GameTimeNow());
    if (due > GameTimeNow() && pending.record.fTime <= clock)
        pending.record.fTime = std::nextafter(clock, std::numeric_limits<float>::infinity());
    m_DelayedMessages.push_back(pending);
    return true;
}

bool MessageHandler::Send(const MessageRecord& record)
{
    return TakePost(record) && SendTaken(record);
}

bool MessageHandler::SendTaken(const MessageRecord& record)
{
    const double now = GameTimeNow();
    if (g_pWorld && g_pWorld->IsPaused() && record.dwSender != kPlayerDemolishID)
        return Queue(record, now + static_cast<double>(kPauseDelay));
    if (m_uDepth >= kMaxSendDepth)
    {
        if (m_NestingReported.insert(record.dwSender).second)
            GetLogger()->Report(0,
                                "MessageHandler::Send - messages nested too deeply - type %u from %u to %u waits a "
                                "frame",
                                record.dwType, record.dwSender, record.dwReciever);
        return Queue(record, now);
    }
    MessageRecord stamped = record;
    stamped.fTime = static_cast<float>(now);
    Deliver(FindReceiver(stamped.dwReciever), stamped, nullptr);
    return true;
}

bool MessageHandler::SendDelayed(const MessageRecord& record, float delay)
{
    if (!TakePost(record))
        return false;
    // A delay that is not a number would never fall due.
    const double wait = std::isfinite(delay) ? static_cast<double>(delay) : 0.0;
    return Queue(record, GameTimeNow() + wait);
}

bool MessageHandler::SendToWorld(const MessageRecord& record, const void* payload)
{
    if (!TakePost(record))
        return false;
    if (m_uDepth >= kMaxSendDepth)
    {
        // The payload lives only for this call, so the request cannot wait: it is refused.
        GetLogger()->Report(0, "MessageHandler::SendToWorld - messages nested too deeply - type %u from %u refused",
                            record.dwType, record.dwSender);
        return false;
    }
    MessageRecord stamped = record;
    stamped.fTime = static_cast<float>(GameTimeNow());
    return Deliver(nullptr, stamped, payload);
}

bool MessageHandler::Deliver(BaseObject* object, const MessageRecord& record, const void* payload)
{
    DepthGuard guard(m_uDepth);
    if (record.dwReciever == kWorldID)
        return g_pWorld && g_pWorld->HandleMessage(record, payload);
    if (object)
        return object->Message(record);
    return false;
}

void MessageHandler::Update()
{
    if (m_bUpdating)
        return;
    m_bUpdating = true;
    const double now = GameTimeNow();
    size_t kept = 0;
    for (size_t i = 0; i < m_DelayedMessages.size(); ++i)
    {
        if (m_DelayedMessages[i].due <= now)
            m_DueMessages.push_back(m_DelayedMessages[i]);
        else
            m_DelayedMessages[kept++] = m_DelayedMessages[i];
    }
    m_DelayedMessages.resize(kept);
    // Deliveries may post more: delayed ones join the pending list, which is no longer being walked.
    for (size_t i = 0; i < m_DueMessages.size(); ++i)
    {
        const MessageRecord record = m_DueMessages[i].record;
        Deliver(FindReceiver(record.dwReciever), record, nullptr);
    }
    m_DueMessages.clear();
    // The next frame's shares start now.
    if (m_PostCounts.size() > kKeptSenders)
        std::erase_if(m_PostCounts, [this](const auto& entry) { return entry.second.frame != m_uFrame; });
    ++m_uFrame;
    m_pLastCount = nullptr;
    if (m_DelayedMessages.size() < kMaxDelayedMessages)
        m_bFullReported = false;
    m_bUpdating = false;
}

std::vector<MessageRecord> MessageHandler::GetPendingMessages() const
{
    std::vector<MessageRecord> records;
    records.reserve(m_DelayedMessages.size());
    for (const Pending& pending : m_DelayedMessages)
        records.push_back(pending.record);
    return records;
}

bool MessageHandler::IsWaitingForClock(const MessageRecord& record) const
{
    // A saved game keeps the time in single precision, a step of which may be longer than the pause's delay.
    const double now = GameTimeNow();
    const double held = now + static_cast<double>(kPauseDelay);
    const double soon = std::max(
        held, static_cast<double>(std::nextafter(static_cast<float>(held), std::numeric_limits<float>::infinity())));
    return std::any_of(m_DelayedMessages.begin(), m_DelayedMessages.end(),
                       [&](const Pending& pending)
                       {
                           const MessageRecord& waiting = pending.record;
                           return pending.due <= soon && waiting.dwSender == record.dwSender &&
                                  waiting.dwReciever == record.dwReciever && waiting.dwType == record.dwType &&
                                  waiting.dwData == record.dwData;
                       });
}

void MessageHandler::RemoveMessagesFor(uint32_t id)
{
    std::erase_if(m_DelayedMessages,
                  [id](const Pending& pending)
                  {
                      const MessageRecord& record = pending.record;
                      return record.dwReciever == id && record.dwType != MT_FINISH_ACTION &&
                             record.dwType != MT_MOVEIMHERE;
                  });
}

void MessageHandler::RemoveMessagesFor(uint32_t id, uint32_t type, uint32_t state)
{
    std::erase_if(m_DelayedMessages,
                  [&](const Pending& pending)
                  {
                      const MessageRecord& record = pending.record;
                      return record.dwReciever == id && record.dwType == type && record.dwData2 == state;
                  });
}

void MessageHandler::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteClassHeader("MessageHandler", 8);
    stream.WriteInt("Delayed list size", static_cast<int32_t>(m_DelayedMessages.size()));
    for (const Pending& pending : m_DelayedMessages)
    {
        const MessageRecord& record = pending.record;
        stream.WriteUInt("m_DelayedMessages.dwSender", record.dwSender);
        stream.WriteUInt("m_DelayedMessages.dwReciever", record.dwReciever);
        stream.WriteUInt("m_DelayedMessages.dwType", record.dwType);
        stream.WriteUInt("m_DelayedMessages.dwFlags", record.dwFlags);
        stream.WriteUInt("m_DelayedMessages.dwData", record.dwData);
        stream.WriteFloat("m_DelayedMessages.fData", record.fData);
        stream.WriteFloat("m_DelayedMessages.fTime", record.fTime);
        stream.WriteUInt("m_DelayedMessages.dwData2", record.dwData2);
    }
}

bool MessageHandler::Load(SerialStream& stream)
{
    stream.BeginLoad();
    char className[128];
    stream.ReadClassHeader(className, sizeof className);
    int32_t count = 0;
    stream.ReadInt(&count);
    // Read whole before anything changes: a list cut short replaces nothing.
    std::vector<Pending> loaded;
    for (int32_t i = 0; i < count && stream.Good(); ++i)
    {
        MessageRecord record;
        stream.ReadUInt(&record.dwSender);
        stream.ReadUInt(&record.dwReciever);
        stream.ReadUInt(&record.dwType);
        stream.ReadUInt(&record.dwFlags);
        stream.ReadUInt(&record.dwData);
        stream.ReadFloat(&record.fData);
        stream.ReadFloat(&record.fTime);
        stream.ReadUInt(&record.dwData2);
        if (stream.Good())
            loaded.push_back({record, std::isfinite(record.fTime) ? static_cast<double>(record.fTime) : 0.0});
    }
    if (!stream.Good())
    {
        GetLogger()->Report(0, "MessageHandler::Load - the saved messages are cut short (%zu of %d read)",
                            loaded.size(), count);
        return false;
    }
    m_DelayedMessages = std::move(loaded);
    return true;
}

void SendToAllBuildings(MessageHandler& handler, MessageRecord record)
{
    if (g_pObjectManager)
        handler.Broadcast(record,
                          [](std::vector<uint32_t>& ids) { g_pObjectManager->CollectIdsOfKind(OBJECT_BUILDING, ids); });
}

void SendToAllOfKind(MessageHandler& handler, uint8_t kind, MessageRecord record)
{
    if (g_pObjectManager)
        handler.Broadcast(record,
                          [kind](std::vector<uint32_t>& ids) { g_pObjectManager->CollectIdsOfKind(kind, ids); });
}

void SendToHourlyObjects(MessageHandler& handler, MessageRecord record)
{
    if (g_pObjectManager)
        handler.Broadcast(record, [](std::vector<uint32_t>& ids) { g_pObjectManager->CollectStaffIds(ids); });
}
