// Message boxes, debugger output and process exit, with a replaceable sink for tests.
#pragma once

#include <cstddef>
#include <string>

namespace platform
{

// The widest line a message box is given, in characters: a box is as wide as its longest line, and one longer than
// this would reach past the sides of a small screen.
constexpr size_t kMessageBoxColumns = 72;

// A UTF-8 text laid out for a message box: its lines (the text's own line breaks kept) broken at spaces so that none
// is longer than `columns` characters; a word longer than a line is cut between its characters.
std::string WrapMessageBoxText(const char* text, size_t columns = kMessageBoxColumns);

// Where reports go. The default shows an SDL message box while a window exists and writes to standard error
// otherwise; debugger output always goes to standard error.
class ReportSink
{
public:
    virtual ~ReportSink() = default;
    virtual void ShowMessageBox(const char* title, const char* text) = 0;
    virtual void DebugOutput(const char* text) = 0;
};

// Installs a sink (null restores the default); returns the previous one.
ReportSink* SetReportSink(ReportSink* sink);

// Shows a modal error box titled `title` (blocks until closed with the default sink).
void ShowMessageBox(const char* title, const char* text);

// Writes text to the debugger output as it is (no line feed added).
void DebugOutput(const char* text);

// The window message boxes are shown over (an SDL_Window*); null when no window exists.
void SetMessageBoxWindow(void* window);

// Ends the process at once with the given exit code, flushing standard streams first. The exit hook, when one is
// set, is told first (and may end the process its own way).
[[noreturn]] void ExitProcess(int code);
using ExitHook = void (*)(int code);
void SetExitHook(ExitHook hook);

} // namespace platform
