// ShowErrorAndExit: the Game's start-up failure: the text in an "Error" box (on standard error too), then the end.
#pragma once

// Converts the text to UTF-8 (at most 511 bytes, cut between characters), writes it to standard error, shows it in
// a message box titled "Error" while the game window exists, and ends the process with exit code 0.
[[noreturn]] void ShowErrorAndExit(const char16_t* text);
