// The program: command line, single-instance guard, processor check, data and user folders, game parameters,
// window, engine root, the Game, the main loop and the shut-down in their fixed orders.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Game;
class GameParameters;

constexpr const char* kWindowTitle = "Tidewell Marivane 3D";
constexpr const char* kGameParametersFile = "data/script/gameparameters.pis";
// The game parameter that caps the main loop's passes a second (0: no cap; absent: 60).
constexpr const char* kFrameRateParameter = "iFRAME_RATE_CAP";

// What the command line asks for: "tidewell [--windowed] [DATA-FOLDER]".
struct ProgramOptions
{
    std::string dataFolder; // empty: the working folder, else the program's own folder
    bool windowed = false;  // a window of the game's resolution instead of the full screen
    bool help = false;
    std::string error; // what the program did not understand
};
ProgramOptions ParseCommandLine(int argc, const char* const* argv);
// The command line's usage text.
const char* ProgramUsage();

// The folder that holds the data set (recognised by kGameParametersFile): `named` when it is given, else
// `working`, else `programFolder`, as its name is spelt on the disk (a name given in other letters finds it too).
// Empty when none holds it; `looked` gets the folders looked in.
std::string FindDataFolder(const std::string& named, const std::string& working, const std::string& programFolder,
                           std::vector<std::string>* looked);
// The folder the program writes into: "tidewell" in the user's data folder ($XDG_DATA_HOME, else
// <home>/.local/share); empty when neither is known.
std::string UserFolderFor(const char* xdgDataHome, const char* home);
// Finds the data set and makes it the working folder, then makes the user folder and sends every file the
// program writes there. False, with the message for the player, when the program cannot run.
bool EnterProgramFolders(const ProgramOptions& options, std::string* message);

// Runs the program and returns its exit code, 0 on every path: on the data set found from the command line, in
// the full screen unless it asks for a window.
int RunProgram(int argc = 0, const char* const* argv = nullptr);

// The middle of the program, shared with the tests that run the real Game: the window, the engine root and its
// services, then the Game, made and started in their fixed order. A window that cannot be made ends the program.
std::unique_ptr<Game> StartGame();
// The matching shut-down: the Game, then the game parameters are destroyed; the engine services stop, the engine
// root goes and the window is destroyed.
void ShutDownGame(std::unique_ptr<Game> game, std::unique_ptr<GameParameters> parameters);

// The window procedure: a close request ends the loop after the current pass (true is returned); activation
// acquires the input again and resumes the Game, deactivation pauses it.
bool HandleWindowMessage(const platform::WindowMessage& message);

// Drains every pending window event, hands each window message to HandleWindowMessage, and runs one timed update
// and render of the Game. True when a close request came.
bool RunMainLoopPass();
