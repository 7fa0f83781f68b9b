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
#include "game/StateDump.h"
#include "platform/FileOps.h"
#include "platform/Input.h"
#include "platform/Paths.h"
#include "platform/Strings.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

namespace
{

constexpr const char* kUserFolderName = "tidewell";

// The folder the program's file is in; empty when the system does not say.
std::string ProgramFolder()
{
    std::vector<char> path(4096);
    const ssize_t size = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (size <= 0)
        return {};
    std::string folder(path.data(), static_cast<size_t>(size));
    const size_t slash = folder.rfind('/');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash == 0 ? 1 : slash);
}

// The user's home folder: $HOME, else the password database's.
std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

std::string JoinList(const std::vector<std::string>& items)
{
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " or " : ", ") + items[i];
    return text;
}

} // namespace

const char* ProgramUsage()
{
    return "usage: tidewell [--windowed] [DATA-FOLDER]\n"
           "Plays the data set in DATA-FOLDER (the folder that holds its data/ folder); without one, the data set\n"
           "in the working folder, else the one beside the program.\n"
           "  --windowed  a window of the game's resolution at the top-left of the screen, not the full screen\n"
           "The options, scenario progress, save games and logs go to $XDG_DATA_HOME/tidewell\n"
           "(~/.local/share/tidewell when XDG_DATA_HOME is not set).\n";
}

ProgramOptions ParseCommandLine(int argc, const char* const* argv)
{
    ProgramOptions options;
    bool optionsEnd = false;
    for (int i = 1; i < argc && argv && argv[i]; ++i)
    {
        const std::string arg = argv[i];
        if (!optionsEnd && arg == "--")
            optionsEnd = true;
        else if (!optionsEnd && arg == "--windowed")
            options.windowed = true;
        else if (!optionsEnd && (arg == "--help" || arg == "-h"))
            options.help = true;
        else if (!optionsEnd && arg.size() > 1 && arg[0] == '-')
            options.error = "tidewell: unknown option " + arg;
        else if (!options.dataFolder.empty() || arg.empty())
            options.error = "tidewell: one data folder, please (" +
                            (arg.empty() ? std::string("an empty name") : options.dataFolder + " and " + arg) + ")";
        else
            options.dataFolder = arg;
        if (!options.error.empty())
            break;
    }
    return options;
}

std::string FindDataFolder(const std::string& named, const std::string& working, const std::string& programFolder,
                           std::vector<std::string>* looked)
{
    std::vector<std::string> candidates;
    if (!named.empty())
        candidates.push_back(named);
    else
    {
        candidates.push_back(working);
        if (!programFolder.empty() && programFolder != working)
            candidates.push_back(programFolder);
    }
    for (const std::string& folder : candidates)
    {
        if (looked)
            looked->push_back(folder);
        if (!folder.empty() && !platform::ResolveExisting(folder + "/" + kGameParametersFile).empty())
            return platform::ResolveExisting(folder); // the spelling that the system's own calls accept
    }
    return {};
}

std::string UserFolderFor(const char* xdgDataHome, const char* home)
{
    const std::string base = platform::XdgDataHome(xdgDataHome, home);
    return base.empty() ? std::string() : base + "/" + kUserFolderName;
}

bool EnterProgramFolders(const ProgramOptions& options, std::string* message)
{
    std::vector<std::string> looked;
    const std::string data = FindDataFolder(options.dataFolder, platform::CurrentDirectory(), ProgramFolder(), &looked);
    if (data.empty())
    {
        *message = platform::Format("Tidewell cannot find its data set: there is no %s in %s. Start it with the "
                                    "folder that holds the data set: tidewell DATA-FOLDER",
                                    kGameParametersFile, JoinList(looked).c_str());
        return false;
    }
    if (::chdir(data.c_str()) != 0)
    {
        *message = platform::Format("Tidewell cannot enter the folder of its data set, %s: %s", data.c_str(),
                                    std::strerror(errno));
        return false;
    }
    // Listings cached under names relative to the old working folder mean nothing now.
    platform::InvalidatePathCache();

    const std::string home = HomeFolder();
    const std::string user = UserFolderFor(std::getenv("XDG_DATA_HOME"), home.empty() ? nullptr : home.c_str());
    if (user.empty())
    {
        *message = "Tidewell cannot tell where to keep its options, progress and save games: neither "
                   "XDG_DATA_HOME nor a home folder is known.";
        return false;
    }
    if (!platform::MakeFolders(user))
    {
        *message = platform::Format("Tidewell cannot make the folder %s for its options, progress and save games: %s",
                                    user.c_str(), std::strerror(errno));
        return false;
    }
    platform::SetUserFolder(user);
    return true;
}

int RunProgram(int argc, const char* const* argv)
{
    const ProgramOptions options = ParseCommandLine(argc, argv);
    if (options.help)
    {
        std::fputs(ProgramUsage(), stdout);
        return 0;
    }
    if (!options.error.empty())
    {
        std::fprintf(stderr, "%s\n%s", options.error.c_str(), ProgramUsage());
        return 0;
    }
    platform::SetWindowMode(options.windowed ? platform::WindowMode::Window : platform::WindowMode::FullScreen);

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
    std::string message;
    if (!EnterProgramFolders(options, &message))
    {
        std::fprintf(stderr, "%s\n", message.c_str());
        platform::ShowStartupMessage(kWindowTitle, message.c_str());
        return 0;
    }

    auto parameters = std::make_unique<GameParameters>(kGameParametersFile);
    int32_t rate = FrameLimiter::kDefaultRate;
    parameters->GetInt(kFrameRateParameter, &rate);

    // Set up before the game starts, so that it counts every message box.
    const std::unique_ptr<StateWatch> watch = StateWatch::FromEnvironment();
    auto game = StartGame();

    FrameLimiter limiter(rate);
    while (!RunMainLoopPass())
    {
        if (watch)
            watch->Update();
        limiter.Wait();
    }
    if (watch)
        watch->Finish();

    ShutDownGame(std::move(game), std::move(parameters));
    lock.Release();
    return 0;
}
