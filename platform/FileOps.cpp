// File and directory operations built on POSIX calls and the path resolver.
#include "platform/FileOps.h"

#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace platform
{

bool FileExists(std::string_view name)
{
    return !ResolveExisting(name).empty();
}

bool GetFileWriteTime(std::string_view name, std::time_t* out)
{
    std::string path = ResolveExisting(name);
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return false;
    if (out)
        *out = st.st_mtime;
    return true;
}

std::string FormatLongDate(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char buf[128];
    size_t n = std::strftime(buf, sizeof(buf), "%A, %B %d, %Y", &local);
    return std::string(buf, n);
}

std::string FormatTimeOfDay(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    int hour = local.tm_hour % 12;
    if (hour == 0)
        hour = 12;
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%d:%02d:%02d %s", hour, local.tm_min, local.tm_sec,
                  local.tm_hour < 12 ? "AM" : "PM");
    return buf;
}

bool MakeDirectory(std::string_view path)
{
    if (!ResolveExisting(path).empty())
        return false;
    std::string real = ResolveForWrite(path);
    return !real.empty() && ::mkdir(real.c_str(), 0755) == 0;
}

bool RemoveDirectory(std::string_view path)
{
    std::string real = ResolveExisting(path);
    return !real.empty() && ::rmdir(real.c_str()) == 0;
}

bool RemoveFile(std::string_view name)
{
    std::string real = ResolveExisting(name);
    return !real.empty() && ::unlink(real.c_str()) == 0;
}

bool CopyFile(std::string_view from, std::string_view to)
{
    FILE* in = OpenFile(from, "rb");
    if (!in)
        return false;
    std::vector<char> data;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), in)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    bool ok = !std::ferror(in);
    std::fclose(in);
    return ok && WriteFileAtomically(to, data.data(), data.size());
}

bool WriteFileAtomically(std::string_view name, const void* data, size_t size)
{
    std::string target = ResolveForWrite(name);
    if (target.empty())
        return false;
    std::string temp = target + ".tmp";
    FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out)
        return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, out) == size;
    ok = std::fflush(out) == 0 && ok;
    ok = ::fsync(::fileno(out)) == 0 && ok;
    ok = std::fclose(out) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), target.c_str()) != 0)
    {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::string CurrentDirectory()
{
    std::vector<char> buf(4096);
    if (!::getcwd(buf.data(), buf.size()))
        return ".";
    return buf.data();
}

} // namespace platform
