// FeedbackManager: short messages to the player (staff complaints, building events, research, the world script's
// tickers, the desires guests could not satisfy). One shows at a time in the message box, the others wait in a
// queue; the last shown are kept in a log the ticker walks; a scenario may suppress kinds of message; staff keep a
// word of bits per kind so each complaint is sent once.
#pragma once

#include "world/ParkServices.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class SerialStream;

class FeedbackManager : public FeedbackService
{
public:
    // Message types given by the senders.
    enum MessageType : uint32_t
    {
        MESSAGE_TICKER = 1,
        MESSAGE_SCENERY = 3,
        MESSAGE_BUILDING = 4,
        MESSAGE_GUEST = 5,
        MESSAGE_VEHICLE = 6,
        MESSAGE_STAFF = 7,
        MESSAGE_MECHANIC = 8,
        MESSAGE_CLEANER = 9,
    };
    static constexpr uint32_t kParkID = 0xFFFFFFFE;
    static constexpr uint32_t kGoneID = 0xFFFFFFFF;
    static constexpr size_t kMaxQueued = 16;
    static constexpr size_t kMaxLogged = 6;
    static constexpr uint32_t kMaxSuppressed = 100;
    // The most UTF-16 units of a message's own text: a longer one is cut where a whole character ends when it is
    // added, and a save holding a longer one is damaged.
    static constexpr uint32_t kMaxTextLength = 0xFFFF;
    static constexpr uint32_t kDesireCount = 11;
    // A desire missed more often than this between two checks is told to the player.
    static constexpr uint32_t kMissedDesireLimit = 10;
    // Hours between two checks of the missed desires.
    static constexpr float kMissedDesireHours = 0.5f;
    // Seconds a message shows; the shorter time while more than kBusyQueue messages wait.
    static constexpr float kShowSeconds = 2.0f;
    static constexpr float kBusyShowSeconds = 1.0f;
    static constexpr size_t kBusyQueue = 5;

    // A message: about an object (or the park, or an object that is gone), with a text id or a text of its own.
    struct Message
    {
        uint32_t ID = kParkID;
        std::u16string wideText;
        std::string textId;
        bool bWide = false;
        // When it was shown (logged messages): the game day and the hour of day.
        uint32_t day = 0;
        float time = 0.0f;
    };

    // A list of at most a fixed number of messages, oldest first, whose places (and the room their texts took) are
    // used again as messages come and go.
    class MessageList
    {
    public:
        explicit MessageList(size_t capacity) : m_Slots(capacity) {}
        size_t size() const { return m_Count; }
        bool empty() const { return m_Count == 0; }
        const Message& operator[](size_t i) const { return m_Slots[(m_First + i) % m_Slots.size()]; }
        Message& operator[](size_t i) { return m_Slots[(m_First + i) % m_Slots.size()]; }
        const Message& front() const { return (*this)[0]; }
        const Message& back() const { return (*this)[m_Count - 1]; }
        // A place at the end for a new message, holding an old one to be written over; when the list is full its
        // oldest message makes room, and `dropped` is set.
        Message& PushBack(bool* dropped = nullptr);
        void PopFront();
        void Clear() { m_Count = 0; }
        // Drops the messages the test holds for, keeping the others in order.
        template <typename Test> void EraseIf(Test test);

        template <typename List, typename Item> class Iterator
        {
        public:
            Iterator(List* list, size_t index) : m_List(list), m_Index(index) {}
            Item& operator*() const { return (*m_List)[m_Index]; }
            Iterator& operator++()
            {
                ++m_Index;
                return *this;
            }
            bool operator!=(const Iterator& other) const { return m_Index != other.m_Index; }

        private:
            List* m_List;
            size_t m_Index;
        };
        Iterator<const MessageList, const Message> begin() const { return {this, 0}; }
        Iterator<const MessageList, const Message> end() const { return {this, m_Count}; }
        Iterator<MessageList, Message> begin() { return {this, 0}; }
        Iterator<MessageList, Message> end() { return {this, m_Count}; }

    private:
        std::vector<Message> m_Slots;
        size_t m_First = 0;
        size_t m_Count = 0;
    };

    // Shows the message of a text id at once when the box is free (and logs it), else queues it; nothing when its
    // type is suppressed.
    void AddMessage(const char* textId, uint32_t id, uint32_t type) override;
    void AddWideMessage(const char16_t* text, uint32_t id, uint32_t type);
    bool IsSuppressed(uint32_t id, uint32_t type) const;
    // A message type of the world script's keys ("MESS_TYPE_BUILDING" and the others); unknown keys do nothing.
    void SuppressMessageType(const char* keyword) override;
    // Shows the oldest queued message when the box is free; tells the player of missed desires every half hour.
    void Update() override;
    // The ticker's walk over the log, oldest first: the text, its hour, day and object; null at the end.
    const char16_t* GetFirstMessage(float& time, uint32_t& day, uint32_t& id);
    const char16_t* GetNextMessage(float& time, uint32_t& day, uint32_t& id);
    void ForgetObject(uint32_t id) override;
    // The queued messages about the object, but those of the text `keep` (when given).
    void RemoveObjectMessages(uint32_t id, const char* keep = nullptr);
    void RemoveMessagesWithText(const char* textId);
    // A guest found nothing for a desire (0 meals to 10 queue).
    void CountMissedDesire(uint32_t desire);
    // The words of staff kinds 7 (cleaners), 6 (mechanics) and 5 (shop servers); others read 0.
    void SetStaffMessageBits(uint32_t bits, uint32_t kind);
    uint32_t GetStaffMessageBits(uint32_t kind) const;
    void ClearStaffMessages(uint32_t kind);

    void Dump(SerialStream& stream) const override;
    // False, with a report and the manager unchanged, when the record is damaged or cut short.
    bool Load(SerialStream& stream) override;

    const MessageList& GetQueue() const { return m_Queue; }
    const MessageList& GetLog() const { return m_Log; }
    uint32_t GetMissedDesireCount(uint32_t desire) const
    {
        return desire < kDesireCount ? m_dwMissedDesireCounts[desire] : 0;
    }
    uint32_t GetSuppressedCount() const { return m_NumOfSuppressedMessages; }
    bool IsWorldSuppressed() const { return m_SuppressWorldMess; }
    bool IsObjectSuppressed() const { return m_SuppressObjectMess; }

    // The desires' names as the message ids spell them, 0 to 10.
    static const char* DesireName(uint32_t desire);

private:
    // A message of a text id or of a text of its own (one of the two is given).
    void Add(const char* textId, const char16_t* text, uint32_t id, uint32_t type);
    void Show(const Message& message, float seconds);
    // A place at the end of the log for a message shown now.
    Message& Log();
    uint32_t* StaffWord(uint32_t kind);
    const char16_t* TickerEntry(float& time, uint32_t& day, uint32_t& id) const;
    void CheckMissedDesires();

    MessageList m_Queue{kMaxQueued};
    MessageList m_Log{kMaxLogged};
    size_t m_Ticker = 0;
    uint32_t m_CleanerMessages = 0;
    uint32_t m_MechanicMessages = 0;
    uint32_t m_StaffMessages = 0;
    uint32_t m_NumOfSuppressedMessages = 0;
    uint32_t m_SuppressedMessages[kMaxSuppressed] = {};
    bool m_SuppressWorldMess = false;
    bool m_SuppressObjectMess = false;
    float m_fLastCheckedMissedDesires = 25.0f;
    uint32_t m_dwMissedDesireCounts[kDesireCount] = {};
};

template <typename Test> void FeedbackManager::MessageList::EraseIf(Test test)
{
    size_t kept = 0;
    for (size_t i = 0; i < m_Count; ++i)
    {
        if (test(std::as_const((*this)[i])))
            continue;
        if (kept != i)
            std::swap((*this)[kept], (*this)[i]);
        ++kept;
    }
    m_Count = kept;
}
