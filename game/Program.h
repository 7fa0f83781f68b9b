// The program: single-instance guard, processor check, game parameters, window, engine root, the Game, the main
// loop and the shut-down in their fixed orders.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <string>

constexpr const char* kWindowTitle = "Tidewell Marivane 3D";
constexpr const char* kGameParametersFile = "data/script/gameparameters.pis";
// The game parameter that caps the main loop's passes a second (0: no cap; absent: 60).
constexpr const char* kFrameRateParameter = "iFRAME_RATE_CAP";

// Runs the program in the current folder (the data set) and returns its exit code, 0 on every path.
int RunProgram();

// The window procedure: a close request ends the loop after the current pass (true is returned); activation
// acquires the input again and resumes the Game, deactivation pauses it.
bool HandleWindowMessage(const platform::WindowMessage& message);

// Drains every pending window event, hands each window message to HandleWindowMessage, and runs one timed update
// and render of the Game. True when a close request came.
bool RunMainLoopPass();
