// ScenarioProgress: the progress flags, their file and the rules that open and complete scenarios.
#include "game/ScenarioProgress.h"

#include "engine/core/Logger.h"
#include "engine/core/TextTable.h"
#include "gui/ListRows.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Strings.h"

#include <cstdio>

namespace
{

// The park picture of each list row: scenarios 1-12, then sandboxes 1-3.
constexpr int32_t kParkNumbers[ScenarioProgress::kRowCount] = {1, 3, 1, 3, 3, 2, 1, 2, 1, 2, 3, 2, 2, 3, 1};

bool IsGroupStart(int index)
{
    return index % 4 == 0;
}

} // namespace

void ScenarioProgress::SetDefaults()
{
    for (int i = 0; i < kScenarioCount; ++i)
        m_flags[i] = IsGroupStart(i) ? kOpenAtStart : kLocked;
}

bool ScenarioProgress::Read(const char* fileName)
{
    SetDefaults();
    FILE* file = platform::OpenFile(fileName, "rb");
    if (!file)
        return false;
    // The twelve flags are the file's first 48 bytes: a file cut short gives a first start; one with more after
    // them, or a flag no rule sets, keeps every scenario's state as the file holds it (a flag that is neither
    // locked nor completed is open), so that no damage elsewhere in it loses the player's wins.
    uint8_t bytes[kFileSize] = {};
    const size_t size = std::fread(bytes, 1, sizeof(bytes), file);
    std::fclose(file);
    if (size != kFileSize)
    {
        GetLogger()->Report(1, "Game::ReadProgress - %s is shorter than %u bytes; every scenario starts afresh",
                            fileName, static_cast<unsigned>(kFileSize));
        return false;
    }
    for (int i = 0; i < kScenarioCount; ++i)
    {
        const uint8_t* p = bytes + 4 * i;
        m_flags[i] = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                     static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    }
    return true;
}

bool ScenarioProgress::Write(const char* fileName) const
{
    uint8_t bytes[kFileSize];
    for (int i = 0; i < kScenarioCount; ++i)
    {
        for (int b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<uint8_t>(m_flags[i] >> (8 * b));
    }
    return platform::WriteFileAtomically(fileName, bytes, sizeof(bytes));
}

void ScenarioProgress::Complete(uint32_t current, uint32_t next)
{
    if (current < kScenarioCount)
        m_flags[current] |= kCompleted;
    else
        GetLogger()->Report(1, "Game::CompleteScenario - no scenario %u is running", current);
    if (next >= kScenarioCount)
    {
        GetLogger()->Report(1, "Game::CompleteScenario - there is no scenario %u to open", next);
        return;
    }
    if (!(m_flags[next] & kCompleted))
        m_flags[next] = kOpened;
}

void ScenarioProgress::UnlockAll(bool sandbox)
{
    for (int i = 0; i < kScenarioCount; ++i)
        m_flags[i] = sandbox ? kCompleted : (IsGroupStart(i) ? kOpenAtStart : kOpened);
}

uint32_t ScenarioProgress::GetFlag(int index) const
{
    return index >= 0 && index < kScenarioCount ? m_flags[index] : kLocked;
}

void ScenarioProgress::FillList(ListRows& list, const TextTable& texts) const
{
    // Every text cell: alignment flags 2, font 1; the 15 is passed along and has no effect.
    constexpr int32_t kTitleX = 23, kStateX = 264, kIconX = 4, kWidth = 200, kAlign = 2, kFont = 1, kUnused = 15;
    char id[64];
    list.ClearRows();
    for (int i = 0; i < kScenarioCount; ++i)
    {
        platform::FormatString(id, sizeof(id), "MAINSS_SCENARIO%d_TITLE", i + 1);
        const char* state = nullptr;
        const char* icon = nullptr;
        uint32_t colour = kOpenColour;
        if (m_flags[i] == kLocked)
        {
            state = "MAINSS_LIST_LOCKED";
            icon = kLockIcon;
            colour = kLockedColour;
        }
        else if (m_flags[i] & kCompleted)
        {
            state = "MAINSS_LIST_COMPLETE";
            icon = kTickIcon;
            colour = kCompletedColour;
        }
        list.AddTextItem(i, kTitleX, kWidth, kUnused, kAlign, kFont, colour, texts.GetText(id), true);
        if (state)
        {
            list.AddTextItem(i, kStateX, kWidth, kUnused, kAlign, kFont, colour, texts.GetText(state), false);
            list.AddImageItem(i, kIconX, icon);
        }
    }
    for (int i = 0; i < kSandboxCount; ++i)
    {
        platform::FormatString(id, sizeof(id), "MAINSS_SANDBOX%d_TITLE", i + 1);
        list.AddTextItem(kScenarioCount + i, kTitleX, kWidth, kUnused, kAlign, kFont, kOpenColour, texts.GetText(id),
                         true);
    }
    list.SetSelected(0, true);
}

int32_t ScenarioProgress::GetParkNumber(int row)
{
    return row >= 0 && row < kRowCount ? kParkNumbers[row] : 0;
}
