// The running program's state as a few lines of text, written to a file named by TW_STATE_FILE, so that a test or
// a tool can watch the game from outside: the page and screen shown, the open dialogs, the park's cash, day,
// guests, buildings and footpath, the tool and the cell under the pointer, and the message boxes reported.
#pragma once

#include "platform/Report.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ShownState
{
    int32_t screen = -1;           // the Game's screen index, -1 when none
    std::string page;              // the front end's page, empty when none
    std::vector<std::string> open; // the open dialogs, front first
    bool park = false;             // a park is running; the fields below are its
    float cash = 0.0f;
    int32_t day = 0;
    float hour = 0.0f;
    int32_t speed = 0;
    int32_t guests = 0;       // in the park now
    int32_t arrived = 0;      // ever arrived, both genders
    int32_t departed = 0;     // ever left, both genders
    float incomeToday = 0.0f; // everything the park took today
    float retailToday = 0.0f; // the shops' takings today
    float exhibits = 0.0f;    // the animal attractions' takings ever (not in the day's income)
    uint32_t buildings = 0;
    uint32_t staff = 0;
    uint32_t footpath = 0; // cells laid with footpath
    int32_t mode = -1;     // the GUI's tool
    int32_t cursorX = -1, cursorY = -1;
    uint32_t passes = 0; // passes of the main loop the watcher has seen
    uint32_t boxes = 0;  // message boxes reported since start (level 0 and above)
};

// "name value" lines, one a field, in the order of the structure; the open dialogs on one line after "open".
std::string FormatShownState(const ShownState& state);

// The state of the running Game, World and GUI (fields of what does not exist keep their defaults).
ShownState ReadShownState();

// Writes the text given when it differs from the last written, at most once every `intervalMs` (the last text
// offered is written by Flush), each time whole: a temporary file renamed over the target.
class StateFile
{
public:
    StateFile(std::string path, uint32_t intervalMs) : m_path(std::move(path)), m_interval(intervalMs) {}
    void Offer(const std::string& text, uint32_t nowMs);
    void Flush();
    uint32_t Writes() const { return m_writes; }

private:
    std::string m_path;
    uint32_t m_interval;
    std::string m_written;
    std::string m_pending;
    bool m_hasWritten = false;
    bool m_hasPending = false;
    uint32_t m_lastWrite = 0;
    uint32_t m_writes = 0;
};

// Counts the message boxes reported and passes every report on to the sink it replaced; installed for its life.
class ReportCounter : public platform::ReportSink
{
public:
    ReportCounter();
    ~ReportCounter() override;
    ReportCounter(const ReportCounter&) = delete;
    ReportCounter& operator=(const ReportCounter&) = delete;
    void ShowMessageBox(const char* title, const char* text) override;
    void DebugOutput(const char* text) override;
    uint32_t Boxes() const { return m_boxes; }

private:
    platform::ReportSink* m_pNext;
    uint32_t m_boxes = 0;
};

// The program's watcher: null when TW_STATE_FILE is not set.
class StateWatch
{
public:
    static std::unique_ptr<StateWatch> FromEnvironment();
    explicit StateWatch(const std::string& path) : m_file(path, kIntervalMs) {}
    // After each pass of the main loop.
    void Update();
    // Before the Game goes: the last state is written.
    void Finish();

    static constexpr uint32_t kIntervalMs = 100;

private:
    ReportCounter m_counter;
    StateFile m_file;
    uint32_t m_passes = 0;
};
