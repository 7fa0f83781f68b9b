// Ends the program at once with exit code 0 when start-up cannot go on.
// It lives in the engine's core because the game parameters, read before anything else, call it.
#pragma once

// Formats the message printf-style into 256 characters, writes it to standard error and ends the process with
// exit code 0. Never returns.
[[noreturn]] void FatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));
