// Shared pieces of the fuzz targets: a quiet report sink, a private working folder and file writers.
#include "fuzz/FuzzSupport.h"

#include "engine/core/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Report.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fuzzsupport
{
namespace
{

class QuietSink : public platform::ReportSink
{
public:
    void ShowMessageBox(const char*, const char*) override { ++boxes; }
    void DebugOutput(const char*) override {}
    uint64_t boxes = 0;
};

QuietSink g_sink;
std::string g_folder;

void RemoveFolder()
{
    std::error_code error;
    if (!g_folder.empty())
        std::filesystem::remove_all(g_folder, error);
}

std::string PlainPath(const char* name)
{
    std::string path = name;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

} // namespace

void Init()
{
    if (!g_folder.empty())
        return;
    platform::SetReportSink(&g_sink);
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tw-fuzz-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    if (!mkdtemp(buffer.data()))
        std::abort();
    g_folder = buffer.data();
    std::filesystem::current_path(g_folder);
    std::atexit(RemoveFolder);
}

std::string WriteFile(const char* name, const uint8_t* data, size_t size)
{
    const std::filesystem::path path = PlainPath(name);
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    if (FILE* file = std::fopen(path.c_str(), "wb"))
    {
        if (size > 0)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return name;
}

std::string WriteBleFile(const char* name, const uint8_t* data, size_t size)
{
    std::string bleName = BleFileName(name);
    std::vector<uint8_t> scrambled(size);
    for (size_t i = 0; i < size; ++i)
        scrambled[i] = static_cast<uint8_t>(~data[i]);
    WriteFile(bleName.c_str(), scrambled.data(), scrambled.size());
    return bleName;
}

void RemoveFile(const char* name)
{
    std::error_code error;
    std::filesystem::remove(PlainPath(name), error);
}

uint64_t MessageBoxCount()
{
    return g_sink.boxes;
}

} // namespace fuzzsupport
