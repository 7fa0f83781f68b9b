// The program: single-instance guard, processor check, game parameters, window, engine root, the Game, the main
// loop and the shut-down in their fixed orders.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <memory>
#include <string>

class Game;
class GameParameters;

constexpr const char* kWindowTitle = "Tidewell Marivane 3D";
constexpr const char* kGameParametersFile = "data/script/gameparameters.pis";
// The game parameter that caps the main loop's passes a second (0: no cap; absent: 60).
constexpr const char* kFrameRateParameter = "iFRAME_RATE_CAP";

// Runs the program in the current folder (the data set) and returns its exit code, 0 on every path.
int RunProgram();

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
