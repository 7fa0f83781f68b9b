// Tests of the version line under the main menu: a text that places the version itself, and a plain label.
#include "game/Screens.h"

#include <gtest/gtest.h>

namespace
{

struct VersionCase
{
    const char* what;
    const char16_t* text;
    float version;
    const char16_t* shown;
};

TEST(MainMenuVersion, TheVersionTextPlacesTheNumberOrIsFollowedByIt)
{
    const VersionCase cases[] = {
        // A format: its conversion takes the version, and the number is not shown a second time.
        {"one decimal", u"Version %.1f", 1.0f, u"Version 1.0"},
        {"two decimals mid-text", u"v%.2f (release)", 1.0f, u"v1.00 (release)"},
        {"another version", u"Build %.1f", 2.5f, u"Build 2.5"},
        // A label: the version follows it after a space.
        {"plain label", u"Tidewell version", 1.0f, u"Tidewell version 1.0"},
        {"a percent sign that takes nothing", u"100%% sea", 1.0f, u"100% sea 1.0"},
        // A conversion of another kind takes no real number: it stays as written and the version follows.
        {"whole-number conversion", u"Version %d", 1.0f, u"Version %d 1.0"},
    };
    for (const VersionCase& c : cases)
        EXPECT_EQ(MainMenuScreen::VersionLine(c.text, c.version), platform::WString(c.shown)) << c.what;
}

} // namespace
