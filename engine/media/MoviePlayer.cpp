// The logo movie player: screen set-up, the blocking play loop with its skip keys, and silent failure.
#include "engine/media/MoviePlayer.h"

#include "platform/Input.h"
#include "platform/Window.h"
#include "platform/movie/MovieScreen.h"
#include "platform/movie/MovieStream.h"

MoviePlayer::MoviePlayer(void* window, int32_t x, int32_t y, int32_t width, int32_t height, bool windowed,
                         bool restoreDisplayMode)
    : m_pWindow(window), m_iX(x), m_iY(y), m_iWidth(width), m_iHeight(height), m_bWindowed(windowed),
      m_bRestoreDisplayMode(restoreDisplayMode)
{
    m_pScreen = platform::MovieScreen::Create(m_pWindow, m_bWindowed, m_iWidth, m_iHeight);
    if (!m_pScreen)
        m_bUsable = false;
}

MoviePlayer::~MoviePlayer()
{
    if (m_pScreen && m_bRestoreDisplayMode)
        m_pScreen->RestoreDisplayMode();
    m_pScreen.reset();
}

void MoviePlayer::Play(const char* fileName)
{
    m_uFramesShown = 0;
    m_bSkipped = false;
    if (!m_bUsable || !m_pScreen || !fileName)
        return;

    platform::MovieStream::Options options;
    options.paced = !m_bUnpaced;
    options.audio = !m_bUnpaced;
    std::unique_ptr<platform::MovieStream> stream = platform::MovieStream::Open(fileName, options);
    if (!stream)
    {
        m_bUsable = false;
        return;
    }

    platform::Rect destination;
    if (m_bWindowed)
        destination = platform::Rect{m_iX, m_iY, m_iX + m_iWidth, m_iY + m_iHeight};
    else
        destination = platform::Rect{0, 0, m_iWidth, m_iHeight};

    stream->Run();
    uint32_t lastPicture = 0;
    for (;;)
    {
        if (platform::IsKeyDownAsync(platform::kKeyEscape) || platform::IsKeyDownAsync(platform::kKeySpace))
        {
            m_bSkipped = true;
            break;
        }
        // The update waits for the picture's time; the end of the movie or a decoding failure ends the loop.
        if (!stream->Update())
            break;
        if (m_pScreen->Show(stream->GetFrame(), destination) && stream->GetFramesDecoded() != lastPicture)
        {
            lastPicture = stream->GetFramesDecoded();
            ++m_uFramesShown;
        }
    }
    stream->Stop();
}
