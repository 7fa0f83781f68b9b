// Game: the named values the GUI reads (GetVariable) and sets (SetVariable).
#include "engine/core/GameOptions.h"
#include "engine/core/Logger.h"
#include "engine/media/SoundManager.h"
#include "game/Game.h"
#include "game/ParkPanelData.h"
#include "gui/GUIManager.h"
#include "gui/ListRows.h"
#include "platform/Strings.h"
#include "world/World.h"

#include <cmath>
#include <cstring>

namespace
{

constexpr const char* kSpeedStatusPrefix = "GAME_GAME_SPEED_STATUS_";
constexpr size_t kSpeedStatusPrefixLength = 23;
// The rescue messages' choices (a radio group on "RESCUE_POPUPS") are always open.
constexpr const char* kRescueStatusPrefix = "RESCUE_POPUPS_STATUS_";
constexpr size_t kRescueStatusPrefixLength = 21;

void SetInt(platform::WString& text, int32_t value)
{
    char16_t buffer[16];
    platform::IntToWStr(value, buffer, 16);
    text = buffer;
}

void SetFloat(platform::WString& text, float value)
{
    char16_t buffer[64];
    platform::FloatToWStr(value, 6, buffer, 64);
    text = buffer;
}

// The front-end screen is the one named (letter case ignored).
bool ScreenIs(const GUIManager& gui, const char* name)
{
    const char* current = gui.GetCurrentScreenName();
    return current && platform::StrICmp(current, name) == 0;
}

// The named in-game list box has exactly one selected row; `row` is that row.
bool OneRowSelected(const GUIManager& gui, const char* listName, int32_t* row = nullptr)
{
    const ListRows* list = gui.FindList(GUIManager::kListBoxType, listName);
    if (!list || list->GetSelectedRows().size() != 1)
        return false;
    if (row)
        *row = list->GetSelectedRows().front();
    return true;
}

// A fraction from 0 to 1; false for NaN.
bool ReadFraction(const DialogValue& value, float* out)
{
    const float number = value.AsFloat();
    if (std::isnan(number))
        return false;
    *out = number < 0.0f ? 0.0f : number > 1.0f ? 1.0f : number;
    return true;
}

} // namespace

void Game::GetVariable(const char* keyword, platform::WString& text)
{
    if (!keyword)
        return;
    GameOptions& options = *m_pOptions;
    GUIManager& gui = *m_pGUIManager;
    const bool haveSaves = !m_saveGames.empty();
    int32_t row = -1;

    if (std::strcmp(keyword, "GAME_NUDGE") == 0)
        SetInt(text, options.m_bNudgeScroll ? 1 : 0);
    else if (std::strcmp(keyword, "RESCUE_POPUPS") == 0)
        SetInt(text, options.m_bConservationPopups ? 1 : 0);
    else if (std::strcmp(keyword, "NOT_RESCUE_POPUPS") == 0)
        SetInt(text, options.m_bConservationPopups ? 0 : 1);
    else if (std::strcmp(keyword, "STAFF_DISMISS_STATE") == 0)
        SetInt(text, gui.GetSelection(10) != -1 ? 1 : 0);
    else if (std::strcmp(keyword, "LOADGAME_STATE") == 0)
        SetInt(text, ScreenIs(gui, "LoadScreen") && !gui.IsCurrentScreenLocked() && !haveSaves ? 0 : 1);
    else if (std::strcmp(keyword, "LOADSAVE_LOAD_STATE") == 0 || std::strcmp(keyword, "LOADSAVE_LOADDELETE_STATE") == 0)
        SetInt(text, OneRowSelected(gui, "LoadListBox") && haveSaves ? 1 : 0);
    else if (std::strcmp(keyword, "LOADSAVE_SAVE_STATE") == 0)
        SetInt(text, OneRowSelected(gui, "SaveListBox") ? 1 : 0);
    else if (std::strcmp(keyword, "LOADSAVE_SAVEDELETE_STATE") == 0)
        SetInt(text, OneRowSelected(gui, "SaveListBox", &row) && row != 0 && haveSaves ? 1 : 0);
    else if (std::strcmp(keyword, "GAME_GAME_SPEED") == 0)
    {
        // Without a park there is no speed: the text stays as it was.
        if (g_pWorld)
            SetInt(text, g_pWorld->GetGameSpeedLevel());
    }
    else if (std::strncmp(keyword, kSpeedStatusPrefix, kSpeedStatusPrefixLength) == 0 ||
             std::strncmp(keyword, kRescueStatusPrefix, kRescueStatusPrefixLength) == 0)
        SetInt(text, 1);
    else if (std::strcmp(keyword, "GZSOUND_STATE") == 0)
    {
        char sample[32];
        platform::FormatString(sample, sizeof(sample), "GAZSOUND_%d", static_cast<int>(gui.GetSelection(13)));
        if (!m_pSoundManager->HasSample(sample))
            SetInt(text, 0);
        else
            SetInt(text, m_pSoundManager->FindSample(sample) == -1 ? 1 : 0);
    }
    else if (std::strcmp(keyword, "STARTGAME_STATE") == 0)
        SetInt(text, ScreenIs(gui, "StartScreen") && !m_bSandbox && m_Progress.IsLocked(m_iScenarioIndex) ? 0 : 1);
    else if (std::strcmp(keyword, "VIDEO_DRAW_DIST") == 0)
        SetFloat(text, options.m_fDrawDist);
    else if (std::strcmp(keyword, "VIDEO_OBJECT_DETAIL") == 0)
        SetFloat(text, options.m_fObjectDetail);
    else
        GetLogger()->Report(0, "Game::GetVariable - data keyword not recognised - %s", keyword);
}

void Game::SetVariable(const char* keyword, const DialogValue& typed)
{
    if (!keyword)
        return;
    const int32_t whole = typed.AsInt();
    const int32_t* value = &whole;
    GameOptions& options = *m_pOptions;
    float fraction = 0.0f;
    if (std::strcmp(keyword, "GAME_NUDGE") == 0)
        options.m_bNudgeScroll = *value != 0;
    else if (std::strcmp(keyword, "RESCUE_POPUPS") == 0)
        options.m_bConservationPopups = *value != 0;
    else if (std::strcmp(keyword, "NOT_RESCUE_POPUPS") == 0)
        options.m_bConservationPopups = *value == 0;
    else if (std::strcmp(keyword, "GAME_GAME_SPEED") == 0)
    {
        if (g_pWorld)
            g_pWorld->SetGameSpeedLevel(*value);
    }
    else if (std::strcmp(keyword, "VIDEO_DRAW_DIST") == 0 || std::strcmp(keyword, "VIDEO_OBJECT_DETAIL") == 0)
    {
        if (!ReadFraction(typed, &fraction))
        {
            GetLogger()->Report(1, "Game::SetVariable - %s is not a number", keyword);
            return;
        }
        float& field = std::strcmp(keyword, "VIDEO_DRAW_DIST") == 0 ? options.m_fDrawDist : options.m_fObjectDetail;
        field = fraction;
        ApplyVideoSettings();
    }
    else
        GetLogger()->Report(0, "Unknown set variable in Game");
}

bool Game::GetParkFigure(const char* name, float* value) const
{
    if (!g_pWorld || !name || !value)
        return false;
    struct Figure
    {
        const char* name;
        int average; // a guest average, or -1
    };
    static constexpr Figure kFigures[] = {
        {"GUEST_AV_PRICE", World::AV_PRICE},     {"GUEST_AV_QUEUE", World::AV_QUEUE},
        {"GUEST_AV_BEAUTY", World::AV_BEAUTY},   {"GUEST_AV_CLEAN", World::AV_CLEAN},
        {"GUEST_AV_VARIETY", World::AV_VARIETY}, {"GUEST_AV_WELFARE", World::AV_WELFARE},
    };
    for (const Figure& figure : kFigures)
        if (std::strcmp(name, figure.name) == 0)
        {
            *value = g_pWorld->GetGuestAverage(figure.average);
            return true;
        }
    if (std::strcmp(name, "AV_ANIMAL_HAPPY") == 0)
        *value = g_pWorld->GetAnimalHappyAverage();
    else if (std::strcmp(name, "GUEST_AV_RESEARCH") == 0)
        *value = g_pWorld->GetResearchRating();
    else if (std::strcmp(name, "GUEST_AV_CONS") == 0)
        *value = g_pWorld->GetRescueAcceptRatio();
    else
        return false;
    return true;
}

PanelData* Game::GetPanelData()
{
    // The park's figures and records are there only while a park is; the program's version and the scenario choice
    // are there in the front end too.
    static ParkPanelData s_panelData;
    return &s_panelData;
}

bool Game::GetResearchSpend(float* value) const
{
    ResearchService* research = g_pWorld ? g_pWorld->GetManagers().research.get() : nullptr;
    if (!research || !value)
        return false;
    *value = research->GetSliderValue();
    return true;
}

void Game::SetResearchSpend(float value)
{
    if (ResearchService* research = g_pWorld ? g_pWorld->GetManagers().research.get() : nullptr)
        research->SetSliderValue(value);
}
