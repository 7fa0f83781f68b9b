// FeedbackManager: showing, queueing and logging messages, suppressed types, the missed-desire check, the staff's
// message bits and the save record.
#include "park/FeedbackManager.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/core/TextFormat.h"
#include "park/ParkGui.h"
#include "platform/Random.h"
#include "platform/WideText.h"
#include "world/ObjectKinds.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace
{

constexpr int32_t kSaveSize = 564;
constexpr uint32_t kIdCapacity = 128;

constexpr const char* kDesireNames[FeedbackManager::kDesireCount] = {
    "MEALS",  "SNACKS", "ANIMAL_ATTRACT", "ANIMAL_SHOW", "AMUSEMENT", "RIDE",
    "RETAIL", "TOILET", "REST",           "CASH",        "QUEUE"};

bool IsBoxFree()
{
    ParkGui* gui = GetParkGui();
    return !gui || gui->IsMessageBoxFree();
}

} // namespace

const char* FeedbackManager::DesireName(uint32_t desire)
{
    return desire < kDesireCount ? kDesireNames[desire] : "";
}

bool FeedbackManager::IsSuppressed(uint32_t /*id*/, uint32_t type) const
{
    const uint32_t low = type & 0xFF;
    for (uint32_t i = 0; i < m_NumOfSuppressedMessages && i < kMaxSuppressed; ++i)
    {
        if (m_SuppressedMessages[i] == low)
            return true;
    }
    return false;
}

void FeedbackManager::SuppressMessageType(const char* keyword)
{
    static constexpr struct
    {
        const char* keyword;
        uint32_t type;
    } kTypes[] = {{"MESS_TYPE_SCENERY", MESSAGE_SCENERY}, {"MESS_TYPE_BUILDING", MESSAGE_BUILDING},
                  {"MESS_TYPE_GUEST", MESSAGE_GUEST},     {"MESS_TYPE_VEHICLE", MESSAGE_VEHICLE},
                  {"MESS_TYPE_STAFF", MESSAGE_STAFF},     {"MESS_TYPE_MECHANIC", MESSAGE_MECHANIC},
                  {"MESS_TYPE_CLEANER", MESSAGE_CLEANER}};
    if (!keyword)
        return;
    if (std::strcmp(keyword, "MESS_TYPE_WORLD") == 0)
    {
        m_SuppressWorldMess = true;
        return;
    }
    if (std::strcmp(keyword, "MESS_TYPE_OBJECT") == 0)
    {
        m_SuppressObjectMess = true;
        return;
    }
    for (const auto& entry : kTypes)
    {
        if (std::strcmp(keyword, entry.keyword) != 0)
            continue;
        if (m_NumOfSuppressedMessages >= kMaxSuppressed)
        {
            GetLogger()->Report(1, "FeedbackManager::SuppressMessageType - %u types are suppressed already: %s is not",
                                kMaxSuppressed, keyword);
            return;
        }
        m_SuppressedMessages[m_NumOfSuppressedMessages++] = entry.type;
        return;
    }
}

FeedbackManager::Message& FeedbackManager::MessageList::PushBack(bool* dropped)
{
    if (dropped)
        *dropped = m_Count == m_Slots.size();
    if (m_Count == m_Slots.size())
        PopFront();
    ++m_Count;
    return (*this)[m_Count - 1];
}

void FeedbackManager::MessageList::PopFront()
{
    if (m_Count == 0)
        return;
    m_First = (m_First + 1) % m_Slots.size();
    --m_Count;
}

void FeedbackManager::AddMessage(const char* textId, uint32_t id, uint32_t type)
{
    if (textId)
        Add(textId, nullptr, id, type);
}

void FeedbackManager::AddWideMessage(const char16_t* text, uint32_t id, uint32_t type)
{
    if (text)
        Add(nullptr, text, id, type);
}

void FeedbackManager::Add(const char* textId, const char16_t* text, uint32_t id, uint32_t type)
{
    if (IsSuppressed(id, type))
        return;
    const bool shown = IsBoxFree();
    Message& message = shown ? Log() : m_Queue.PushBack();
    // The place's old texts are written over in the room they took.
    message.ID = id;
    message.bWide = text != nullptr;
    if (text)
    {
        // Cut where a whole character ends, so that the text a save keeps is the one shown.
        size_t length = std::char_traits<char16_t>::length(text);
        if (length > kMaxTextLength)
            length = platform::WholeCharacterCut(text, kMaxTextLength);
        message.wideText.assign(text, length);
        message.textId.clear();
    }
    else
    {
        message.textId.assign(textId);
        message.wideText.clear();
    }
    if (shown)
        Show(message, kShowSeconds);
}

void FeedbackManager::Show(const Message& message, float seconds)
{
    ParkGui* gui = GetParkGui();
    if (!gui)
        return;
    if (message.bWide)
        gui->ShowMessageText(message.wideText.c_str(), seconds);
    else
        gui->ShowMessage(message.textId.c_str(), seconds);
}

FeedbackManager::Message& FeedbackManager::Log()
{
    bool dropped = false;
    Message& message = m_Log.PushBack(&dropped);
    // The ticker stays on the message it was on.
    if (dropped && m_Ticker > 0)
        --m_Ticker;
    message.day = g_pWorld ? static_cast<uint32_t>(g_pWorld->GetGameDay()) : 0;
    message.time = g_pWorld ? g_pWorld->GetGameDayTime() : 0.0f;
    return message;
}

void FeedbackManager::Update()
{
    if (!m_Queue.empty() && IsBoxFree())
    {
        const float seconds = m_Queue.size() > kBusyQueue ? kBusyShowSeconds : kShowSeconds;
        // The queued message's texts change places with the log place's old ones.
        Message& message = Log();
        Message& queued = m_Queue[0];
        message.ID = queued.ID;
        message.bWide = queued.bWide;
        std::swap(message.wideText, queued.wideText);
        std::swap(message.textId, queued.textId);
        m_Queue.PopFront();
        Show(message, seconds);
    }
    CheckMissedDesires();
}

void FeedbackManager::CheckMissedDesires()
{
    const float now = g_pWorld ? g_pWorld->GetGameDayTime() : 0.0f;
    const float last = m_fLastCheckedMissedDesires;
    // The hours since the last check, across midnight too.
    const bool due = now - last > kMissedDesireHours || (last > now && now + 24.0f - last > kMissedDesireHours);
    if (!due)
        return;
    for (uint32_t desire = 0; desire < kDesireCount; ++desire)
    {
        if (m_dwMissedDesireCounts[desire] <= kMissedDesireLimit)
            continue;
        m_dwMissedDesireCounts[desire] = 0;
        char key[64];
        std::snprintf(key, sizeof key, "FEEDBACK_MISSED_%s_%d", kDesireNames[desire], platform::Rand() % 3 + 1);
        AddMessage(key, kParkID, MESSAGE_GUEST);
    }
    m_fLastCheckedMissedDesires = now;
}

const char16_t* FeedbackManager::TickerEntry(float& time, uint32_t& day, uint32_t& id) const
{
    if (m_Ticker >= m_Log.size())
        return nullptr;
    const Message& message = m_Log[m_Ticker];
    time = message.time;
    day = message.day;
    id = message.ID;
    return message.bWide ? message.wideText.c_str() : TableText(message.textId.c_str());
}

const char16_t* FeedbackManager::GetFirstMessage(float& time, uint32_t& day, uint32_t& id)
{
    m_Ticker = 0;
    return TickerEntry(time, day, id);
}

const char16_t* FeedbackManager::GetNextMessage(float& time, uint32_t& day, uint32_t& id)
{
    if (m_Ticker < m_Log.size())
        ++m_Ticker;
    return TickerEntry(time, day, id);
}

void FeedbackManager::ForgetObject(uint32_t id)
{
    for (MessageList* list : {&m_Queue, &m_Log})
    {
        for (Message& message : *list)
        {
            if (message.ID == id)
                message.ID = kGoneID;
        }
    }
}

void FeedbackManager::RemoveObjectMessages(uint32_t id, const char* keep)
{
    m_Queue.EraseIf([id, keep](const Message& m) { return m.ID == id && !(keep && !m.bWide && m.textId == keep); });
}

void FeedbackManager::RemoveMessagesWithText(const char* textId)
{
    if (!textId)
        return;
    m_Queue.EraseIf([textId](const Message& m) { return !m.bWide && m.textId == textId; });
}

void FeedbackManager::CountMissedDesire(uint32_t desire)
{
    if (desire < kDesireCount)
        ++m_dwMissedDesireCounts[desire];
}

uint32_t* FeedbackManager::StaffWord(uint32_t kind)
{
    switch (kind)
    {
    case OBJECT_CLEANER:
        return &m_CleanerMessages;
    case OBJECT_MECHANIC:
        return &m_MechanicMessages;
    case OBJECT_SERVER:
        return &m_StaffMessages;
    default:
        return nullptr;
    }
}

void FeedbackManager::SetStaffMessageBits(uint32_t bits, uint32_t kind)
{
    if (uint32_t* word = StaffWord(kind))
        *word |= bits;
}

uint32_t FeedbackManager::GetStaffMessageBits(uint32_t kind) const
{
    const uint32_t* word = const_cast<FeedbackManager*>(this)->StaffWord(kind);
    return word ? *word : 0;
}

void FeedbackManager::ClearStaffMessages(uint32_t kind)
{
    if (uint32_t* word = StaffWord(kind))
        *word = 0;
}

// ---------------------------------------------------------------- save record

namespace
{

void WriteText(SerialStream& stream, const FeedbackManager::Message& message)
{
    stream.WriteBool("pwText set", message.bWide);
    if (message.bWide)
        stream.WriteWideString("pwText", message.wideText.c_str());
    else
        stream.WriteString("pText", message.textId.c_str());
}

// A wide text comes back whole; one longer than a message may be fails the stream, and the record is damaged.
void ReadText(SerialStream& stream, FeedbackManager::Message& message)
{
    stream.ReadBool(&message.bWide);
    if (message.bWide)
    {
        stream.ReadWideText(&message.wideText, FeedbackManager::kMaxTextLength);
        return;
    }
    char id[kIdCapacity] = {};
    stream.ReadString(id, kIdCapacity);
    message.textId = id;
}

} // namespace

void FeedbackManager::Dump(SerialStream& stream) const
{
    stream.BeginSave();
    stream.WriteHeader("Class name : FeedbackManager");
    stream.WriteInt("sizeof", kSaveSize);
    stream.WriteInt("List size", static_cast<int32_t>(m_Queue.size()));
    for (const Message& message : m_Queue)
    {
        stream.WriteUInt("ID", message.ID);
        WriteText(stream, message);
    }
    stream.WriteInt("Buffer size", static_cast<int32_t>(m_Log.size()));
    for (const Message& message : m_Log)
    {
        stream.WriteUInt("ID", message.ID);
        stream.WriteUInt("day", message.day);
        stream.WriteFloat("time", message.time);
        WriteText(stream, message);
    }
    stream.WriteUInt("m_CleanerMessages", m_CleanerMessages);
    stream.WriteUInt("m_MechanicMessages", m_MechanicMessages);
    stream.WriteUInt("m_StaffMessages", m_StaffMessages);
    stream.WriteUInt("m_NumOfSuppressedMessages", m_NumOfSuppressedMessages);
    stream.WriteBool("m_SuppressWorldMess", m_SuppressWorldMess);
    stream.WriteBool("m_SuppressObjectMess", m_SuppressObjectMess);
    stream.WriteIntArray("m_SuppressedMessages", reinterpret_cast<const int32_t*>(m_SuppressedMessages),
                         static_cast<int32_t>(kMaxSuppressed));
    stream.WriteFloat("m_fLastCheckedMissedDesires", m_fLastCheckedMissedDesires);
    stream.WriteIntArray("m_dwMissedDesireCounts", reinterpret_cast<const int32_t*>(m_dwMissedDesireCounts),
                         static_cast<int32_t>(kDesireCount));
}

bool FeedbackManager::Load(SerialStream& stream)
{
    stream.BeginLoad();
    char header[128];
    int32_t size = 0;
    stream.ReadHeader(header, sizeof header);
    stream.ReadInt(&size);
    std::vector<Message> queue;
    std::vector<Message> log;
    uint32_t queued = 0;
    stream.ReadUInt(&queued);
    // Lists longer than the manager keeps mark the record as damaged.
    for (uint32_t i = 0; i < queued && i < kMaxQueued && stream.Good(); ++i)
    {
        Message message;
        stream.ReadUInt(&message.ID);
        ReadText(stream, message);
        queue.push_back(std::move(message));
    }
    uint32_t logged = 0;
    if (queued <= kMaxQueued)
        stream.ReadUInt(&logged);
    for (uint32_t i = 0; i < logged && i < kMaxLogged && stream.Good(); ++i)
    {
        Message message;
        stream.ReadUInt(&message.ID);
        stream.ReadUInt(&message.day);
        stream.ReadFloat(&message.time);
        ReadText(stream, message);
        log.push_back(std::move(message));
    }
    uint32_t words[4] = {};
    for (uint32_t& word : words)
        stream.ReadUInt(&word);
    bool world = false;
    bool object = false;
    stream.ReadBool(&world);
    stream.ReadBool(&object);
    uint32_t suppressed[kMaxSuppressed] = {};
    stream.ReadIntArray(reinterpret_cast<int32_t*>(suppressed), static_cast<int32_t>(kMaxSuppressed));
    float lastChecked = 0.0f;
    stream.ReadFloat(&lastChecked);
    uint32_t missed[kDesireCount] = {};
    stream.ReadIntArray(reinterpret_cast<int32_t*>(missed), static_cast<int32_t>(kDesireCount));
    if (queued > kMaxQueued || logged > kMaxLogged || words[3] > kMaxSuppressed || !stream.Good())
    {
        GetLogger()->Report(0, "FeedbackManager::Load - the saved messages are damaged or cut short");
        return false;
    }
    for (auto [list, loaded] : {std::pair{&m_Queue, &queue}, {&m_Log, &log}})
    {
        list->Clear();
        for (Message& message : *loaded)
            std::swap(list->PushBack(), message);
    }
    m_Ticker = 0;
    m_CleanerMessages = words[0];
    m_MechanicMessages = words[1];
    m_StaffMessages = words[2];
    m_NumOfSuppressedMessages = words[3];
    m_SuppressWorldMess = world;
    m_SuppressObjectMess = object;
    std::copy(std::begin(suppressed), std::end(suppressed), m_SuppressedMessages);
    // A time that is no hour of the day (nor a new park's mark) starts the checks afresh, as in a new park: one far
    // on would never be passed, and the missed desires never told.
    m_fLastCheckedMissedDesires = lastChecked >= 0.0f && lastChecked <= 25.0f ? lastChecked : 25.0f;
    std::copy(std::begin(missed), std::end(missed), m_dwMissedDesireCounts);
    return true;
}
