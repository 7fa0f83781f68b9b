// Default report sink: SDL message boxes over the game window, standard error otherwise.
#include "platform/Report.h"

#include <SDL.h>

#include <algorithm>
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
        if (g_messageBoxWindow &&
            SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, WrapMessageBoxText(text).c_str(),
                                     static_cast<SDL_Window*>(g_messageBoxWindow)) == 0)
            return;
        std::fprintf(stderr, "%s: %s\n", title, text);
    }

    void DebugOutput(const char* text) override { std::fputs(text, stderr); }
};

DefaultSink g_defaultSink;

// The characters of a UTF-8 text: the bytes that do not continue a character.
size_t Characters(const std::string& text)
{
    size_t count = 0;
    for (char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}
ReportSink* g_sink = &g_defaultSink;
ExitHook g_exitHook = nullptr;

} // namespace

std::string WrapMessageBoxText(const char* text, size_t columns)
{
    columns = std::max<size_t>(columns, 1);
    std::string out, line;
    size_t lineLength = 0;
    const auto endLine = [&]
    {
        out += line;
        out += '\n';
        line.clear();
        lineLength = 0;
    };
    const std::string all = text ? text : "";
    size_t start = 0;
    while (start <= all.size())
    {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        // The paragraph's words, each placed on the line when it fits there and on a new line when it does not.
        size_t at = start;
        while (at < end)
        {
            const size_t space = std::min(all.find(' ', at), end);
            std::string word = all.substr(at, space - at);
            at = space + 1;
            if (word.empty())
                continue;
            size_t length = Characters(word);
            if (lineLength > 0 && lineLength + 1 + length > columns)
                endLine();
            // A word longer than a whole line fills lines of its own, cut before a character's first byte.
            while (length > columns)
            {
                size_t cut = 0;
                for (size_t taken = 0; cut < word.size(); ++cut)
                    if ((static_cast<unsigned char>(word[cut]) & 0xC0) != 0x80 && taken++ == columns)
                        break;
                line = word.substr(0, cut);
                endLine();
                word.erase(0, cut);
                length -= columns;
            }
            if (lineLength > 0)
            {
                line += ' ';
                ++lineLength;
            }
            line += word;
            lineLength += length;
        }
        out += line;
        line.clear();
        lineLength = 0;
        if (end == all.size())
            break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

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
