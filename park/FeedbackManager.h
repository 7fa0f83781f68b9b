// FeedbackManager: short messages to the player (staff complaints, building events, research, the world script's
// tickers, the desires guests could not satisfy). One shows at a time in the message box, the others wait in a
// queue; the last shown are kept in a log the ticker walks; a scenario may suppress kinds of message; staff keep a
// word of bits per kind so each complaint is sent once.
#pragma once

#include "world/ParkServices.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

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
    void RemoveObjectMessages(uint32_t id);
    void RemoveMessagesWithText(const char* textId);
    // A guest found nothing for a desire (0 meals to 10 queue).
    void CountMissedDesire(uint32_t desire);
    // The words of staff kinds 7 (cleaners), 6 (mechanics) and 5 (shop servers); others read 0.
    void SetStaffMessageBits(uint32_t bits, uint32_t kind);
    uint32_t GetStaffMessageBits(uint32_t kind) const;
    void ClearStaffMessages(uint32_t kind);

    void Dump(SerialStream& stream) const;
    // False, with a report and the manager unchanged, when the record is damaged or cut short.
    bool Load(SerialStream& stream);

    const std::deque<Message>& GetQueue() const { return m_Queue; }
    const std::deque<Message>& GetLog() const { return m_Log; }
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
    void Add(Message message, uint32_t type);
    void Show(const Message& message, float seconds);
    void Log(Message message);
    uint32_t* StaffWord(uint32_t kind);
    const char16_t* TickerEntry(float& time, uint32_t& day, uint32_t& id) const;
    void CheckMissedDesires();

    std::deque<Message> m_Queue;
    std::deque<Message> m_Log;
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
