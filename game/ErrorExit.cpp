// ShowErrorAndExit: the start-up failure box and the exit.
#include "game/ErrorExit.h"

#include "platform/Report.h"
#include "platform/WideText.h"
#include "platform/Window.h"

#include <cstdio>
#include <string>

namespace
{

// The longest message shown, in bytes.
constexpr size_t kMaxMessageBytes = 511;

} // namespace

void ShowErrorAndExit(const char16_t* text)
{
    // Message boxes and standard error take UTF-8: every character of the text's language shows as it is.
    std::string message = platform::WideToUtf8(text ? text : u"");
    if (message.size() > kMaxMessageBytes)
    {
        // Cut before the character the limit falls inside, never within one.
        size_t cut = kMaxMessageBytes;
        while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80)
            --cut;
        message.resize(cut);
    }
    std::fprintf(stderr, "Error: %s\n", message.c_str());
    if (platform::HasGameWindow())
        platform::ShowMessageBox("Error", message.c_str());
    platform::ExitProcess(0);
}
