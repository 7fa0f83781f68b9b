// Tests of the logo movie player: every picture of a movie made at test time reaches the window, Escape and
// Space end it (other keys and the mouse do not), and every failure is silent.
#include "engine/media/MoviePlayer.h"

#include "platform/Time.h"

#include "tests/platform/SdlTestEvents.h"
#include "tests/platform/movie/MovieTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{

class MoviePlayerTest : public sdltest::HeadlessWindowTest
{
protected:
    // A movie of `frames` pictures: a system stream with sound when mjpegtools can multiplex, else bare video.
    // Empty when the tools are missing.
    std::string MakeMovie(int frames)
    {
        std::string name = "logo" + std::to_string(frames) + ".mpg";
        if (movietest::HaveMuxTools() &&
            movietest::MakeSystemStream(m_dir.Path(), name, 32, 32, frames, 44100 * frames / 25))
            return m_dir.File(name);
        if (movietest::HaveVideoTools() && movietest::MakeVideo(m_dir.Path(), name, 32, 32, frames))
            return m_dir.File(name);
        return {};
    }

    void* Window() { return platform::GameWindowHandle(); }

    testsupport::TempDir m_dir;
};

TEST_F(MoviePlayerTest, EveryPictureIsShownFullScreenAndWindowed)
{
    std::string movie = MakeMovie(10);
    if (movie.empty())
        GTEST_SKIP() << "mjpegtools are not installed";
    {
        MoviePlayer player(Window(), 0, 0, 800, 600, false, false);
        ASSERT_TRUE(player.IsUsable());
        player.SetUnpaced(true);
        player.Play(movie.c_str());
        EXPECT_EQ(player.GetFramesShown(), 10u);
        EXPECT_FALSE(player.WasSkipped());
        EXPECT_TRUE(player.IsUsable());
    }
    {
        // A second player on the same window, in a window rectangle, restoring the display mode afterwards.
        MoviePlayer player(Window(), 100, 50, 320, 240, true, true);
        ASSERT_TRUE(player.IsUsable());
        player.SetUnpaced(true);
        player.Play(movie.c_str());
        EXPECT_EQ(player.GetFramesShown(), 10u);
    }
}

TEST_F(MoviePlayerTest, MoviePlaysAtItsOwnSpeed)
{
    std::string movie = MakeMovie(10);
    if (movie.empty())
        GTEST_SKIP() << "mjpegtools are not installed";
    MoviePlayer player(Window(), 0, 0, 800, 600, false, false);
    uint32_t start = platform::TickCount();
    player.Play(movie.c_str());
    EXPECT_EQ(player.GetFramesShown(), 10u);
    // Ten pictures at 25 per second: the last is due 360 ms after the first.
    EXPECT_GE(platform::TickCount() - start, 358u);
}

TEST_F(MoviePlayerTest, SpaceOrEscapeHeldEndsTheMovieBeforeItsFirstPicture)
{
    std::string movie = MakeMovie(10);
    if (movie.empty())
        GTEST_SKIP() << "mjpegtools are not installed";
    for (SDL_Scancode key : {SDL_SCANCODE_SPACE, SDL_SCANCODE_ESCAPE})
    {
        SCOPED_TRACE(key);
        sdltest::PushKey(key, true);
        MoviePlayer player(Window(), 0, 0, 800, 600, false, false);
        player.SetUnpaced(true);
        player.Play(movie.c_str());
        EXPECT_TRUE(player.WasSkipped());
        EXPECT_EQ(player.GetFramesShown(), 0u);
        sdltest::PushKey(key, false);
        sdltest::Drain();
    }
}

TEST_F(MoviePlayerTest, SpacePressedDuringTheMovieEndsIt)
{
    std::string movie = MakeMovie(50);
    if (movie.empty())
        GTEST_SKIP() << "mjpegtools are not installed";
    MoviePlayer player(Window(), 0, 0, 800, 600, false, false);
    // Two seconds of movie; the key goes down a quarter of a second in.
    std::thread presser(
        []
        {
            platform::SleepMs(250);
            SDL_Event event{};
            event.type = SDL_KEYDOWN;
            event.key.state = SDL_PRESSED;
            event.key.keysym.scancode = SDL_SCANCODE_SPACE;
            SDL_PushEvent(&event);
        });
    uint32_t start = platform::TickCount();
    player.Play(movie.c_str());
    uint32_t elapsed = platform::TickCount() - start;
    presser.join();
    EXPECT_TRUE(player.WasSkipped());
    EXPECT_GE(player.GetFramesShown(), 1u);
    EXPECT_LT(player.GetFramesShown(), 50u);
    EXPECT_LT(elapsed, 1900u);
    sdltest::PushKey(SDL_SCANCODE_SPACE, false);
}

TEST_F(MoviePlayerTest, OtherKeysAndTheMouseDoNotEndTheMovie)
{
    std::string movie = MakeMovie(10);
    if (movie.empty())
        GTEST_SKIP() << "mjpegtools are not installed";
    sdltest::PushKey(SDL_SCANCODE_RETURN, true);
    sdltest::PushKey(SDL_SCANCODE_A, true);
    sdltest::PushButton(SDL_BUTTON_LEFT, true);
    sdltest::PushButton(SDL_BUTTON_RIGHT, true);
    MoviePlayer player(Window(), 0, 0, 800, 600, false, false);
    player.SetUnpaced(true);
    player.Play(movie.c_str());
    EXPECT_FALSE(player.WasSkipped());
    EXPECT_EQ(player.GetFramesShown(), 10u);
}

TEST_F(MoviePlayerTest, FailuresAreSilentAndLeaveThePlayerUnusable)
{
    testsupport::RecordingReportSink sink;
    {
        // A missing movie fails at opening: the player is spent and a later play does nothing.
        MoviePlayer player(Window(), 0, 0, 800, 600, false, false);
        player.SetUnpaced(true);
        player.Play(m_dir.File("data/movies/missing.mpg").c_str());
        EXPECT_FALSE(player.IsUsable());
        EXPECT_EQ(player.GetFramesShown(), 0u);
        std::string movie = MakeMovie(5);
        if (!movie.empty())
        {
            player.Play(movie.c_str());
            EXPECT_EQ(player.GetFramesShown(), 0u);
        }
        player.Play(nullptr);
    }
    {
        // A file that is no movie at all.
        testsupport::WriteText(m_dir.File("notes.mpg"), "not a movie");
        MoviePlayer player(Window(), 0, 0, 800, 600, false, false);
        player.Play(m_dir.File("notes.mpg").c_str());
        EXPECT_FALSE(player.IsUsable());
    }
    {
        // No window: nothing is set up and nothing plays.
        MoviePlayer player(nullptr, 0, 0, 800, 600, false, true);
        EXPECT_FALSE(player.IsUsable());
        player.Play(m_dir.File("notes.mpg").c_str());
        EXPECT_EQ(player.GetFramesShown(), 0u);
    }
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_TRUE(sink.debug.empty());
}

} // namespace
