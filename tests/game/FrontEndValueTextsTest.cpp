// Tests of the value texts a front-end dialog shows with no park: the program's version and the chosen sandbox's
// title come from the Game, which is there before any park is.
#include "engine/core/GameParameters.h"
#include "engine/core/TextTable.h"
#include "game/Game.h"
#include "gui/VariableWidgets.h"
#include "tests/game/SampleGameTest.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

// A text table of "id=text|id=text" pairs, written scrambled as the game reads it.
std::unique_ptr<TextTable> MakeTable(const testsupport::TempDir& dir, const std::u16string& texts)
{
    return std::make_unique<TextTable>(testsupport::WriteTextTable(dir, texts).c_str());
}

class FrontEndValueTexts : public gametest::SampleGameTest
{
protected:
    void SetUp() override
    {
        SampleGameTest::SetUp();
        if (HasFatalFailure())
            return;
        game = std::make_unique<Game>(nullptr, platform::GameWindowHandle());
        game->Update();
        ASSERT_EQ(game->GetCurrentScreen(), game->GetScreen(Game::kMainMenuScreen));
        ASSERT_FALSE(game->HasPark());
    }
    void TearDown() override
    {
        texts.reset();
        SampleGameTest::TearDown();
    }
    std::string Show(const char* name)
    {
        Variable variable(0, 0, 200, 20, name, 0, 0xFF000000u, 2);
        platform::WString text;
        uint32_t colour = 0;
        int32_t indent = 0;
        variable.Compose(text, &colour, &indent);
        return std::string(text.begin(), text.end());
    }

    testsupport::RecordingReportSink reports;
    testsupport::ManualTimeSource clock;
    testsupport::TempDir textDir;
    std::unique_ptr<TextTable> texts;
};

TEST_F(FrontEndValueTexts, TheVersionAndTheChosenSandboxShowWithoutAPark)
{
    texts = MakeTable(textDir, u"MAINMENU_VERSION=Version %.1f|MAINSS_SANDBOX2_TITLE=Second sandbox|"
                               u"MAINSS_SANDBOX3_TITLE=Third sandbox");
    struct Case
    {
        const char* what;
        std::function<void()> choose;
        const char* name;
        const char* shown;
    };
    const Case cases[] = {
        // The program is version 1.0, shown through the text's own conversion.
        {"version", [] {}, "MAIN_VERSION", "Version 1.0"},
        // Rows 12 to 14 of the scenario list are the three sandboxes: row 13 is the second.
        {"second sandbox", [&] { game->SelectScenario(13); }, "SCENARIO_TITLE", "Second sandbox"},
        {"third sandbox", [&] { game->SelectScenario(14); }, "SCENARIO_TITLE", "Third sandbox"},
    };
    for (const Case& c : cases)
    {
        c.choose();
        EXPECT_EQ(Show(c.name), c.shown) << c.what;
    }
}

} // namespace
