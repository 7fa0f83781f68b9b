// ShowErrorAndExit: the start-up failure box and the exit.
#include "game/ErrorExit.h"

#include "platform/Report.h"
#include "platform/WideText.h"
#include "platform/Window.h"

#include <cstdio>

void ShowErrorAndExit(const char16_t* text)
{
    char message[512];
    platform::WideToAnsi(text ? text : u"", message, sizeof(message));
    std::fprintf(stderr, "Error: %s\n", message);
    if (platform::HasGameWindow())
        platform::ShowMessageBox("Error", message);
    platform::ExitProcess(0);
}
