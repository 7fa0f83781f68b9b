// ScenarioProgress: which of the twelve scenarios the player may start and which are won, kept in "sp.bin".
#pragma once

#include <cstddef>
#include <cstdint>

class ListRows;
class TextTable;

class ScenarioProgress
{
public:
    static constexpr int kScenarioCount = 12;
    static constexpr int kSandboxCount = 3;
    // The scenario list: rows 0-11 the scenarios, rows 12-14 the sandboxes.
    static constexpr int kRowCount = kScenarioCount + kSandboxCount;
    // The file: the twelve flags as 32-bit little-endian values, in scenario order, nothing else.
    static constexpr size_t kFileSize = kScenarioCount * 4;
    static constexpr const char* kFileName = "sp.bin";

    // Flag values; kCompleted is added to one of the first three.
    static constexpr uint32_t kLocked = 1;
    static constexpr uint32_t kOpened = 2;      // opened by winning an earlier scenario
    static constexpr uint32_t kOpenAtStart = 4; // the first scenario of each group of four
    static constexpr uint32_t kCompleted = 8;

    // The list's colours and pictures.
    static constexpr uint32_t kLockedColour = 0xFFB3B3B3;
    static constexpr uint32_t kCompletedColour = 0xFF089A08;
    static constexpr uint32_t kOpenColour = 0xFF000000;
    static constexpr const char* kLockIcon = "uis_fef_lock_icon";
    static constexpr const char* kTickIcon = "uis_fef_tick_icon";

    ScenarioProgress() { SetDefaults(); }

    // Every scenario locked except the first of each group.
    void SetDefaults();
    // The defaults, then the file's first 48 bytes over them. A missing file is a first start; a shorter one is
    // reported and read as a first start too. True when the file was taken.
    bool Read(const char* fileName = kFileName);
    // Writes the file through a temporary file renamed over it; false (nothing reported) when it cannot be written.
    bool Write(const char* fileName = kFileName) const;

    // Scenario `current` (0-11) was won: it is marked completed and `next` (0-11), unless already completed, is
    // opened. A current or next index outside 0-11 is reported and leaves that flag alone.
    void Complete(uint32_t current, uint32_t next);
    // Every scenario opened (the first of each group "open at start"), or, with `sandbox`, marked completed.
    void UnlockAll(bool sandbox);

    // The flag of a scenario; kLocked for an index outside 0-11.
    uint32_t GetFlag(int index) const;
    bool IsLocked(int index) const { return GetFlag(index) == kLocked; }
    bool IsCompleted(int index) const { return (GetFlag(index) & kCompleted) != 0; }

    // Fills the front-end scenario list: a row per scenario, titled, grey with a lock when locked, green with a tick
    // when completed, black when open; then the three sandboxes; row 0 selected.
    void FillList(ListRows& list, const TextTable& texts) const;

    // The park picture (1 to 3) of a list row; 0 for a row outside the list.
    static int32_t GetParkNumber(int row);

private:
    uint32_t m_flags[kScenarioCount] = {};
};
