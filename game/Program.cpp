// The program's entry and main loop.
#include "game/Program.h"

#include "engine/core/CycleTimer.h"
#include "engine/core/EngineCore.h"
#include "engine/core/EngineInput.h"
#include "engine/core/FatalError.h"
#include "engine/core/GameClock.h"
#include "engine/core/GameParameters.h"
#include "engine/core/TextSystem.h"
#include "engine/render/TextFontSet.h"
#include "game/FrameLimiter.h"
#include "game/Game.h"
#include "game/InstanceLock.h"
#include "game/Processor.h"
#include "platform/Input.h"

#include <cstdio>
#include <memory>

bool HandleWindowMessage(const platform::WindowMessage& message)
{
    switch (message.type)
    {
    case platform::WindowMessage::Close:
        return true;
    case platform::WindowMessage::Activate:
        if (message.active && g_pEngineCore && g_pEngineCore->m_pInput)
            g_pEngineCore->m_pInput->ReacquireDevice();
        if (g_pGame)
        {
            if (message.active)
                g_pGame->Activate();
            else
                g_pGame->Deactivate();
        }
        return false;
    }
    return false;
}

bool RunMainLoopPass()
{
    // Every event that arrived since the last pass is taken now, so input never lags behind a burst of events.
    platform::PumpEvents();
    bool close = false;
    platform::WindowMessage message;
    while (platform::PollWindowMessage(&message))
        close = HandleWindowMessage(message) || close;
    if (!g_pGame)
        return close;

    CycleTimer* timer = g_pCycleTimer;
    GameClock& clock = g_pGame->GetClock();
    if (timer)
    {
        timer->StartStop();
        timer->Start();
    }
    g_pGame->Update();
    if (timer)
    {
        timer->Stop();
        clock.SetUpdateTime(timer->GetElapsedThousands());
        timer->Start();
    }
    g_pGame->Render();
    if (timer)
    {
        timer->Stop();
        clock.SetRenderTime(timer->GetElapsedThousands());
    }
    return close;
}

std::unique_ptr<Game> StartGame()
{
    if (!platform::CreateGameWindow(kWindowTitle, platform::kDefaultWindowWidth, platform::kDefaultWindowHeight))
        FatalError("WinMain - error creating window");

    g_pEngineCore = new EngineCore;
    g_pAppInstance = nullptr;
    g_pMainWindow = platform::GameWindowHandle();
    g_pEngineCore->CreateServices();
    g_pEngineCore->m_pTextSystem->SetFonts(std::make_unique<TextFontSet>());

    auto game = std::make_unique<Game>(g_pAppInstance, g_pMainWindow);
    g_pEngineCore->StartServices();
    return game;
}

void ShutDownGame(std::unique_ptr<Game> game, std::unique_ptr<GameParameters> parameters)
{
    game.reset();
    parameters.reset();
    if (g_pEngineCore)
    {
        g_pEngineCore->ShutdownServices();
        delete g_pEngineCore;
        g_pEngineCore = nullptr;
    }
    g_pMainWindow = nullptr;
    platform::DestroyGameWindow();
}

int RunProgram()
{
    InstanceLock lock;
    const std::string lockPath = InstanceLock::DefaultPath();
    const bool single = lock.Acquire(lockPath);
    if (!(ReadProcessorFeatures() & kMmxFeatureBit))
        FatalError("Your processor does not have the MMX capability this application requires");
    if (!single)
    {
        // Another copy runs: nothing to say. A lock that cannot be made at all is worth a line.
        if (lock.CouldNotOpen())
            std::fprintf(stderr, "cannot open the lock file %s; the program does not start\n", lockPath.c_str());
        return 0;
    }

    auto parameters = std::make_unique<GameParameters>(kGameParametersFile);
    int32_t rate = FrameLimiter::kDefaultRate;
    parameters->GetInt(kFrameRateParameter, &rate);

    auto game = StartGame();

    FrameLimiter limiter(rate);
    while (!RunMainLoopPass())
        limiter.Wait();

    ShutDownGame(std::move(game), std::move(parameters));
    lock.Release();
    return 0;
}
