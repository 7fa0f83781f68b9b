// TickerList: keeps the in-game list box "TickerListBox800" filled with the park's message log, one row per message
// with its day and time and, for a message about an object, a button that selects the object. The log and the
// objects are the park's: it reaches them through the source the program gives it.
#pragma once

#include "platform/WideText.h"

#include <cstdint>
#include <vector>

class GUIManager;
class ListBox;

// The park's message log as the ticker walks it, and the selection of the object a message is about.
class TickerSource
{
public:
    virtual ~TickerSource() = default;
    // The log from its first message on: the text (null at the end), its day, its hour of the day and the id of the
    // object it is about.
    virtual const char16_t* FirstMessage(float& hour, uint32_t& day, uint32_t& id) = 0;
    virtual const char16_t* NextMessage(float& hour, uint32_t& day, uint32_t& id) = 0;
    // Selects the object with that id when it exists.
    virtual void SelectObject(uint32_t id) = 0;
};

class TickerList
{
public:
    static constexpr const char* kListName = "TickerListBox800";
    static constexpr const char* kGotoSprite = "UI3_bar_message_goto";
    static constexpr uint32_t kTextColour = 0xFF2A0FB2;
    // Object ids from this one up name the park itself or no object: their messages have no button.
    static constexpr uint32_t kParkId = 0xFFFFFFFE;

    explicit TickerList(GUIManager& gui) : m_GUI(gui) {}

    void SetSource(TickerSource* source) { m_pSource = source; }
    // Enabling finds the list box, makes it unselectable and fills it.
    void Enable(bool enabled);
    bool IsEnabled() const { return m_bEnabled; }
    // Every frame: the rows follow the log (rebuilt only when it changed), and the first row whose button was
    // pressed selects its object.
    void Refresh();
    int32_t GetRowCount() const { return m_iRowCount; }
    // Rebuilds of the rows so far.
    uint32_t GetRebuildCount() const { return m_uRebuilds; }

    // The row text of a message: "<TICKER_DAY> <day + 1>: <hh>:<mm> - <text>", the minutes down to the quarter.
    static platform::WString RowText(const char16_t* dayWord, uint32_t day, float hour, const char16_t* text);
    // The whole hours of an hour of the day, and its minutes rounded down to 0, 15, 30 or 45.
    static int32_t HourOf(float hour);
    static int32_t QuarterMinuteOf(float hour);

private:
    struct Seen
    {
        platform::WString text;
        uint32_t day = 0;
        float hour = 0.0f;
        uint32_t id = 0;
        bool operator==(const Seen& other) const = default;
    };
    // Walks the log into `m_walk`; true when it differs from what the rows show.
    bool LogChanged();
    void Refill();

    GUIManager& m_GUI;
    TickerSource* m_pSource = nullptr;
    ListBox* m_pList = nullptr;
    bool m_bEnabled = false;
    int32_t m_iRowCount = 0;
    uint32_t m_uRebuilds = 0;
    std::vector<Seen> m_shown;
    std::vector<Seen> m_walk;
};
