// Tests of the logo movie player: every picture of a movie made at test time reaches the window, Escape and
// Space end it (other keys and the mouse do not), and every failure is silent.
#include "engine/media/MoviePlayer.h"

#include "tests/platform/SdlTestEvents.h"
#include "tests/platform/movie/MovieTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{

// A movie clock moving 10 ms at every reading from 0, pressing a key when it reads `pressAt` (a multiple of 10):
// the key goes down at a known point of the movie however slow the machine is.
class KeyAtMovieTime : public testsupport::ManualTimeSource
{
public:
    KeyAtMovieTime(SDL_Scancode key, uint32_t pressAt) : m_eKey(key), m_uPressAt(pressAt) {}

    uint32_t TickCount() override
    {
        if (ticks == m_uPressAt)
            sdltest::PushKey(m_eKey, true);
        ticks += 10;
        return ticks - 10;
    }
    // Waiting takes no real time: the clock runs on as it is read.
    void Sleep(uint32_t) override {}

private:
    SDL_Scancode m_eKey;
    uint32_t m_uPressAt;
};

class MoviePlayerTest : public sdltest::HeadlessWindowTest
{
protected:
    // A movie of `frames` pictures at 25 a second, with sound when mjpegtools can multiplex; empty without them.
    std::string MakeMovie(int frames)
    {
        std::string name = "logo" + std::to_string(frames) + ".mpg";
        if (movietest::HaveTools(true) &&
            movietest::MakeSystemStream(m_dir.Path(), name, 32, 32, frames, 44100 * frames / 25))
            return m_dir.File(name);
        if (movietest::HaveTools(false) && movietest::MakeVideo(m_dir.Path(), name, 32, 32, frames))
            return m_dir.File(name);
        return {};
    }

    void* Window() { return platform::GameWindowHandle(); }

    testsupport::TempDir m_dir;
};

TEST_F(MoviePlayerTest, EveryPictureIsShownFullScreenAndWindowedWhateverOtherInputComes)
{
    std::string movie = MakeMovie(10);
    if (movie.empty())
        GTEST_SKIP() << "mjpegtools are not installed";
    // Other keys and the mouse buttons do not end the movie.
    sdltest::PushKey(SDL_SCANCODE_RETURN, true);
    sdltest::PushButton(SDL_BUTTON_LEFT, true);
    // Full screen, then a second player on the same window in a rectangle, restoring the display mode.
    for (bool windowed : {false, true})
    {
        MoviePlayer player(Window(), 100, 50, 320, 240, windowed, windowed);
        player.SetUnpaced(true);
        player.Play(movie.c_str());
        EXPECT_EQ(player.GetFramesShown(), 10u);
        EXPECT_FALSE(player.WasSkipped());
    }
}

TEST_F(MoviePlayerTest, SpaceOrEscapeEndsTheMovieBeforeItsFirstPictureOrDuringIt)
{
    std::string movie = MakeMovie(50);
    if (movie.empty())
        GTEST_SKIP() << "mjpegtools are not installed";
    // Pressed as the movie starts: not one picture. Pressed 250 ms into the two-second movie (25 pictures a
    // second, each waited for): the seven due before then are shown, and at most the one waiting for its time.
    for (SDL_Scancode key : {SDL_SCANCODE_SPACE, SDL_SCANCODE_ESCAPE})
        for (auto [pressAt, least, most] : {std::tuple{0u, 0u, 0u}, std::tuple{250u, 7u, 8u}})
        {
            SCOPED_TRACE(testing::Message() << key << " at " << pressAt);
            MoviePlayer player(Window(), 0, 0, 800, 600, false, false);
            {
                KeyAtMovieTime clock(key, pressAt);
                player.Play(movie.c_str());
            }
            EXPECT_TRUE(player.WasSkipped());
            EXPECT_GE(player.GetFramesShown(), least);
            EXPECT_LE(player.GetFramesShown(), most);
            sdltest::PushKey(key, false);
            sdltest::Drain();
        }
}

TEST_F(MoviePlayerTest, FailuresAreSilentAndLeaveThePlayerUnusable)
{
    testsupport::RecordingReportSink sink;
    std::string movie = MakeMovie(5);
    testsupport::WriteText(m_dir.File("notes.mpg"), "not a movie");
    // A missing movie or a file that is no movie fails at opening: the player is spent, and a later play of a
    // good movie does nothing.
    for (const char* name : {"data/movies/missing.mpg", "notes.mpg"})
    {
        MoviePlayer player(Window(), 0, 0, 800, 600, false, false);
        player.SetUnpaced(true);
        player.Play(m_dir.File(name).c_str());
        EXPECT_FALSE(player.IsUsable()) << name;
        player.Play(movie.c_str());
        EXPECT_EQ(player.GetFramesShown(), 0u);
    }
    // No window: nothing is set up and nothing plays.
    MoviePlayer player(nullptr, 0, 0, 800, 600, false, true);
    player.Play(movie.c_str());
    EXPECT_EQ(player.GetFramesShown(), 0u);
    EXPECT_TRUE(sink.boxes.empty() && sink.debug.empty());
}

} // namespace
