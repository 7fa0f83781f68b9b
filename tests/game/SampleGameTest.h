// Test fixture: the Game on the recording graphics device in its headless window, run in a copy of the sample data
// with the game's parameters read, torn down in the program's order.
#pragma once

#include "engine/core/GameParameters.h"
#include "game/Game.h"
#include "tests/engine/render/RenderTestSupport.h"
#include "tests/platform/SdlTestEvents.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace gametest
{

class SampleGameTest : public rendertest::RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        std::filesystem::copy(std::string(TW_SOURCE_DIR) + "/sample-data/data", dir.File("data"),
                              std::filesystem::copy_options::recursive);
        ASSERT_TRUE(sdltest::StartHeadlessWindow());
        parameters = std::make_unique<GameParameters>("data/script/gameparameters.pis");
    }
    void TearDown() override
    {
        game.reset();
        parameters.reset();
        platform::DestroyGameWindow();
        RecordingTest::TearDown();
    }

    std::unique_ptr<GameParameters> parameters;
    std::unique_ptr<Game> game;
};

} // namespace gametest
