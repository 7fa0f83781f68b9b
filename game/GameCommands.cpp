// Game: the command tables the GUI's buttons resolve their command names in. The rows that need only the GUI and
// the Game are here; the park's commands join them with the park's panels.
#include "engine/core/GameOptions.h"
#include "game/Game.h"
#include "game/Mp3Player.h"
#include "game/ParkCommands.h"
#include "gui/GUIManager.h"
#include "gui/GuiCommands.h"
#include "platform/Strings.h"
#include "platform/Window.h"

#include <array>
#include <vector>

namespace
{

GUIManager& Gui()
{
    return *g_pGUIManager;
}

void Nothing(int32_t) {}

void ExitDialog(int32_t dialog)
{
    Gui().CloseOwningDialog(dialog);
}

void OpenModal(const char* name)
{
    Gui().OpenDialog(name, nullptr, true);
}

void ExitGame(int32_t)
{
    OpenModal("ExitConfirmBox");
}

void ResetGame(int32_t)
{
    OpenModal("ResetConfirmBox");
}

void ExitGameConfirm(int32_t)
{
    g_pGame->SelectScreen(Game::kMainMenuScreen);
}

void ResetGameConfirm(int32_t)
{
    g_pGame->SelectScreen(Game::kResetGameScreen);
}

void WonGame(int32_t)
{
    g_pGame->SelectScreen(Game::kGameWonScreen);
}

void InGameOptions(int32_t)
{
    Gui().ToggleInGameOptions();
}

void ExitOptions(int32_t dialog)
{
    Gui().CloseOwningDialog(dialog);
    g_pGame->GetOptions().SaveOrReport();
}

void LoadGamePanel(int32_t)
{
    Gui().ToggleLoadGameMenu();
}

void SaveGamePanel(int32_t)
{
    Gui().ToggleSaveGameMenu();
}

void CloseDialog(const char* name)
{
    Gui().CloseDialog(name);
}

void LoadGameMenu(int32_t)
{
    g_pGame->ScanSaveGames();
    Gui().CloseAllDialogs();
    Gui().OpenDialog("LoadGameMenu", g_pGame, true);
    g_pGame->FillLoadList();
}

void LoadGame(int32_t)
{
    g_pGame->SelectInGameLoad();
    g_pGame->SetInGameLoadListShown(false);
    Gui().CloseAllDialogs();
    g_pGame->SelectScreen(Game::kInGameLoadScreen);
}

// The confirmation opens only when the save succeeded; a failed save has reported why.
void SaveAndConfirm()
{
    const bool saved = g_pGame->SaveGame();
    CloseDialog("SaveOverBox");
    if (saved)
        OpenModal("SaveOKBox");
}

void SaveGame(int32_t)
{
    if (g_pGame->IsExistingSlotSelected())
        OpenModal("SaveOverBox");
    else
        SaveAndConfirm();
}

void SaveGameConfirm(int32_t)
{
    SaveAndConfirm();
}

void ExitSaveOK(int32_t dialog)
{
    Gui().CloseOwningDialog(dialog);
    g_pGame->ScanSaveGames();
    g_pGame->FillSaveList();
    Gui().RedrawDialog("SaveGameMenu", true);
}

void DeleteSaveGame(int32_t)
{
    OpenModal("DeleteSaveConfirmBox");
}

void DeleteLoadGame(int32_t)
{
    OpenModal("DeleteLoadConfirmBox");
}

void DeleteSaveGameConfirm(int32_t dialog)
{
    g_pGame->DeleteSaveFromSaveList();
    Gui().CloseOwningDialog(dialog);
    g_pGame->FillSaveList();
    Gui().RedrawDialog("SaveGameMenu", true);
}

void DeleteLoadGameConfirm(int32_t dialog)
{
    g_pGame->DeleteSaveFromLoadList();
    Gui().CloseOwningDialog(dialog);
    g_pGame->FillLoadList();
    Gui().RedrawDialog("LoadGameMenu", true);
}

void ExitLoadGame(int32_t)
{
    g_pGame->ClearSaveGames();
    if (!g_pGame->HasPark())
    {
        Gui().CloseAllDialogs();
        Gui().ActivateScreen("MainMenu");
        return;
    }
    CloseDialog("SaveGameMenu");
    CloseDialog("LoadGameMenu");
    CloseDialog("SaveOKBox");
}

void Toggle(const char* name)
{
    Gui().ToggleDialog(name, nullptr);
}

void MoneyPanel(int32_t)
{
    Toggle("MoneyPanel");
}

void IslandStatus(int32_t)
{
    Toggle("IslandStatus");
}

void TrainDisclaim(int32_t)
{
    Toggle("TrainDisclaim");
}

// The play list dialog's buttons: each its own handler, so that buttons can be found by their command.
template <int32_t N> void Mp3Command(int32_t)
{
    g_pGame->GetMp3Player().Command(N);
}

// The play list dialog itself and the music volume.
void ShowPlayList(int32_t)
{
    g_pGame->GetMp3Player().ToggleDialog();
}

void ExitPlayList(int32_t)
{
    if (g_pGame->GetMp3Player().IsDialogOpen())
        g_pGame->GetMp3Player().ToggleDialog();
}

void Mp3VolumeUp(int32_t)
{
    g_pGame->GetMp3Player().ChangeVolume(Mp3Player::kVolumeStep);
}

void Mp3VolumeDown(int32_t)
{
    g_pGame->GetMp3Player().ChangeVolume(-Mp3Player::kVolumeStep);
}

constexpr std::array kInGame = {
    GuiCommand{"ExitDialog", ExitDialog},
    GuiCommand{"MoneyPanel", MoneyPanel},
    GuiCommand{"IslandStatus", IslandStatus},
    GuiCommand{"TrainDisclaim", TrainDisclaim},
    GuiCommand{"ToggleProgressSize", Nothing},
    GuiCommand{"StaffSend", Nothing},
    GuiCommand{"NONE", Nothing},
    GuiCommand{"InGameOptions", InGameOptions},
    GuiCommand{"ExitOptions", ExitOptions},
    GuiCommand{"LoadGamePanel", LoadGamePanel},
    GuiCommand{"SaveGamePanel", SaveGamePanel},
    GuiCommand{"LoadGameMenu", LoadGameMenu},
    GuiCommand{"LoadGame", LoadGame},
    GuiCommand{"SaveGame", SaveGame},
    GuiCommand{"SaveGameConfirm", SaveGameConfirm},
    GuiCommand{"ExitSaveOK", ExitSaveOK},
    GuiCommand{"DeleteSaveGame", DeleteSaveGame},
    GuiCommand{"DeleteLoadGame", DeleteLoadGame},
    GuiCommand{"DeleteSaveGameConfirm", DeleteSaveGameConfirm},
    GuiCommand{"DeleteLoadGameConfirm", DeleteLoadGameConfirm},
    GuiCommand{"ExitLoadGame", ExitLoadGame},
    GuiCommand{"ResetGame", ResetGame},
    GuiCommand{"ExitGame", ExitGame},
    GuiCommand{"ResetGameConfirm", ResetGameConfirm},
    GuiCommand{"ExitGameConfirm", ExitGameConfirm},
    GuiCommand{"WonGame", WonGame},
    GuiCommand{"MP3_Sun", Mp3Command<Mp3Player::CMD_SUN>},
    GuiCommand{"MP3_Moon", Mp3Command<Mp3Player::CMD_MOON>},
    GuiCommand{"MP3_Repeat", Mp3Command<Mp3Player::CMD_REPEAT>},
    GuiCommand{"MP3_Shuffle", Mp3Command<Mp3Player::CMD_SHUFFLE>},
    GuiCommand{"MP3_Delete", Mp3Command<Mp3Player::CMD_DELETE>},
    GuiCommand{"MP3_MoveUp", Mp3Command<Mp3Player::CMD_MOVE_UP>},
    GuiCommand{"MP3_MoveDown", Mp3Command<Mp3Player::CMD_MOVE_DOWN>},
    GuiCommand{"MP3_AmpPlay", Mp3Command<Mp3Player::CMD_PLAY>},
    GuiCommand{"MP3_VolUp", Mp3VolumeUp},
    GuiCommand{"MP3_VolDown", Mp3VolumeDown},
    GuiCommand{"ShowPlayList", ShowPlayList},
    GuiCommand{"ExitPlayList", ExitPlayList},
};

// ---- the front end's buttons

void ActivateExitScreen(int32_t)
{
    Gui().ActivateScreen("ExitScreen");
}

void ActivateMainScreen(int32_t)
{
    Gui().StopCredits();
    Gui().ActivateScreen("MainMenu");
}

void ConfirmExit(int32_t)
{
    platform::detail::PostWindowMessage({platform::WindowMessage::Close, false});
}

void ActivateCreditsScreen(int32_t)
{
    Gui().ActivateScreen("CreditScreen");
    Gui().StartCredits();
}

bool CurrentScreenIs(const char* name)
{
    const char* current = Gui().GetCurrentScreenName();
    return current && platform::StrICmp(current, name) == 0;
}

void LoadButton(int32_t)
{
    if (CurrentScreenIs("MainMenu"))
    {
        g_pGame->ShowFrontEndLoadPage();
        return;
    }
    Gui().SetDirectStart(true);
    Gui().ActivateScreen("LoadGame");
}

void StartButton(int32_t)
{
    if (!Gui().GetCurrentScreenName())
        Gui().ActivateScreen("StartScreen");
    else if (CurrentScreenIs("MainMenu"))
    {
        Gui().ActivateScreen("StartScreen");
        g_pGame->FillScenarioList();
    }
    else if (CurrentScreenIs("StartScreen"))
    {
        Gui().SetDirectStart(false);
        Gui().ActivateScreen("LoadingScreen");
    }
}

constexpr std::array kFrontEnd = {
    GuiCommand{"ActivateExitScreen", ActivateExitScreen},
    GuiCommand{"ActivateMainScreen", ActivateMainScreen},
    GuiCommand{"ConfirmExit", ConfirmExit},
    GuiCommand{"ActivateCreditsScreen", ActivateCreditsScreen},
    GuiCommand{"LoadButton", LoadButton},
    GuiCommand{"StartButton", StartButton},
    GuiCommand{"NONE", Nothing},
};

} // namespace

void Game::RegisterCommands()
{
    // The shell's rows, then the park's: one flat table that lives as long as the program.
    static const std::vector<GuiCommand> inGame = []
    {
        std::vector<GuiCommand> rows(kInGame.begin(), kInGame.end());
        const std::span<const GuiCommand> park = GetParkCommandRows();
        rows.insert(rows.end(), park.begin(), park.end());
        return rows;
    }();
    SetGuiCommandTables(inGame, kFrontEnd);
}
