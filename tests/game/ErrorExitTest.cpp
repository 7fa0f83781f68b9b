// The start-up failure box: the text shown in every language's letters, on the box and on standard error.
#include "game/ErrorExit.h"
#include "platform/Report.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

// The bytes of a text as upper-case hex pairs, so the box's bytes can be matched exactly.
std::string Hex(const std::string& bytes)
{
    std::string out;
    char pair[3];
    for (unsigned char b : bytes)
    {
        std::snprintf(pair, sizeof pair, "%02X", b);
        out += pair;
    }
    return out;
}

std::string Bytes(const char8_t* text)
{
    return std::string(reinterpret_cast<const char*>(text));
}

// Writes what a message box would show to standard error, where the parent of the death test reads it.
class HexBoxSink final : public platform::ReportSink
{
public:
    void ShowMessageBox(const char* title, const char* text) override
    {
        std::fprintf(stderr, "box %s [%s]\n", title, Hex(text).c_str());
        std::fflush(stderr);
    }
    void DebugOutput(const char*) override {}
};

[[noreturn]] void ShowInWindow(const char16_t* text)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (!platform::CreateGameWindow("start-up failure", 64, 48))
    {
        std::fprintf(stderr, "no window\n");
        std::_Exit(3);
    }
    static HexBoxSink sink;
    platform::SetReportSink(&sink);
    ShowErrorAndExit(text);
}

struct ShownText
{
    const char* language;
    const char16_t* text;   // as the text table holds it
    const char8_t* written; // the same letters as UTF-8 (the compiler's own encoding)
};

} // namespace

// The text table's words for a display that could not start reach the player letter for letter, whatever the
// language: the box and standard error take UTF-8, so accented and Polish letters are neither garbled nor '?'.
TEST(ErrorExitDeathTest, TheBoxAndStandardErrorShowEveryLetterOfTheText)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const ShownText cases[] = {
        {"English", u"The display could not start", u8"The display could not start"},
        {"French", u"Échec de l\u2019affichage", u8"Échec de l\u2019affichage"},
        {"German", u"Grafikkarte wird nicht unterstützt", u8"Grafikkarte wird nicht unterstützt"},
        {"Polish", u"Błąd karty graficznej", u8"Błąd karty graficznej"},
        {"Italian", u"Impossibile avviare la modalità video", u8"Impossibile avviare la modalità video"},
    };
    for (const ShownText& c : cases)
    {
        SCOPED_TRACE(c.language);
        const std::string written = Bytes(c.written);
        EXPECT_EXIT(ShowInWindow(c.text), ::testing::ExitedWithCode(0), "box Error \\[" + Hex(written) + "\\]");
        EXPECT_EXIT(ShowErrorAndExit(c.text), ::testing::ExitedWithCode(0), "Error: " + written + "\n");
    }
}

// A text longer than the box takes is cut between letters: 600 two-byte letters leave 255 whole ones (510 of the
// 511 bytes), never half a letter.
TEST(ErrorExitDeathTest, ALongTextIsCutBetweenLetters)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::u16string text(600, u'é');
    std::string expected;
    for (int i = 0; i < 255; ++i)
        expected += Bytes(u8"é");
    EXPECT_EXIT(ShowInWindow(text.c_str()), ::testing::ExitedWithCode(0), "box Error \\[" + Hex(expected) + "\\]");
}
