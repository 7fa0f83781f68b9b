// A plain main for a fuzz target's entry: runs it once on every file named (a folder stands for the files in it,
// in name order), each within a time limit, and says which input it was on when one fails.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace
{

// Seconds one input may take (TW_REPLAY_SECONDS); a sanitizer build of the slowest target takes well under one.
constexpr unsigned kDefaultSeconds = 20;

// Set before each input, for the alarm's message.
char g_current[4096];

void OnAlarm(int)
{
    static const char kPrefix[] = "replay: time limit passed on ";
    ssize_t ignored = write(STDERR_FILENO, kPrefix, sizeof(kPrefix) - 1);
    ignored = write(STDERR_FILENO, g_current, std::strlen(g_current));
    ignored = write(STDERR_FILENO, "\n", 1);
    (void)ignored;
    _exit(3);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i)
    {
        // Absolute now: the targets change the working folder.
        const std::filesystem::path path = std::filesystem::absolute(argv[i]);
        if (std::filesystem::is_directory(path))
        {
            std::vector<std::filesystem::path> inFolder;
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file())
                    inFolder.push_back(entry.path());
            std::sort(inFolder.begin(), inFolder.end());
            files.insert(files.end(), inFolder.begin(), inFolder.end());
        }
        else
        {
            files.push_back(path);
        }
    }
    if (files.empty())
    {
        std::fprintf(stderr, "replay: no inputs (usage: %s FILE|FOLDER...)\n", argv[0]);
        return 2;
    }
    unsigned seconds = kDefaultSeconds;
    if (const char* limit = std::getenv("TW_REPLAY_SECONDS"); limit && std::atoi(limit) > 0)
        seconds = static_cast<unsigned>(std::atoi(limit));
    std::signal(SIGALRM, OnAlarm);

    for (const std::filesystem::path& file : files)
    {
        std::ifstream in(file, std::ios::binary);
        if (!in)
        {
            std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            return 2;
        }
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        // An allocation of exactly the input's size, as libFuzzer gives it, so a read past the end is caught.
        std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), data.get());
        std::snprintf(g_current, sizeof(g_current), "%s", file.c_str());
        std::printf("replay: %s (%zu bytes)\n", file.c_str(), bytes.size());
        std::fflush(stdout);
        alarm(seconds);
        LLVMFuzzerTestOneInput(data.get(), bytes.size());
        alarm(0);
    }
    std::printf("replay: %zu inputs, none failed\n", files.size());
    return 0;
}
