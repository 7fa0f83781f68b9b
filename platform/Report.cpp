// Default report sink: SDL message boxes over the game window, standard error otherwise.
#include "platform/Report.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace platform
{
namespace
{

void* g_messageBoxWindow = nullptr;

class DefaultSink final : public ReportSink
{
public:
    void ShowMessageBox(const char* title, const char* text) override
    {
        if (g_messageBoxWindow && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text,
                                                           static_cast<SDL_Window*>(g_messageBoxWindow)) == 0)
            return;
        std::fprintf(stderr, "%s: %s\n", title, text);
    }

    void DebugOutput(const char* text) override { std::fputs(text, stderr); }
};

DefaultSink g_defaultSink;
ReportSink* g_sink = &g_defaultSink;
ExitHook g_exitHook = nullptr;

} // namespace

ReportSink* SetReportSink(ReportSink* sink)
{
    ReportSink* previous = g_sink;
    g_sink = sink ? sink : &g_defaultSink;
    return previous;
}

void ShowMessageBox(const char* title, const char* text)
{
    g_sink->ShowMessageBox(title ? title : "", text ? text : "");
}

void DebugOutput(const char* text)
{
    g_sink->DebugOutput(text ? text : "");
}

void SetMessageBoxWindow(void* window)
{
    g_messageBoxWindow = window;
}

void SetExitHook(ExitHook hook)
{
    g_exitHook = hook;
}

void ExitProcess(int code)
{
    if (g_exitHook)
        g_exitHook(code);
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace platform
