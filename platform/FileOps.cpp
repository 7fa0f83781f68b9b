// File and directory operations built on POSIX calls and the path resolver.
#include "platform/FileOps.h"

#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace platform
{

bool FileExists(std::string_view name)
{
    return !ResolveExisting(name).empty();
}

bool IsSameFile(std::string_view a, std::string_view b)
{
    struct stat first, second;
    // Each name as it is and as the resolver finds it: a tool may open either.
    for (const std::string& x : {std::string(a), ResolveExisting(a)})
        for (const std::string& y : {std::string(b), ResolveExisting(b)})
            if (!x.empty() && !y.empty() && ::stat(x.c_str(), &first) == 0 && ::stat(y.c_str(), &second) == 0 &&
                first.st_dev == second.st_dev && first.st_ino == second.st_ino)
                return true;
    return false;
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

bool ReplacingFile::Open(std::string_view name)
{
    Abandon();
    m_target = ResolveForWrite(name);
    if (m_target.empty())
        return false;
    struct stat info
    {
    };
    // A link to a file is kept: the file it leads to is the one replaced.
    if (::lstat(m_target.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
    {
        if (char* real = ::realpath(m_target.c_str(), nullptr))
        {
            m_target = real;
            std::free(real);
        }
    }
    const bool inPlace = ::stat(m_target.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
    m_temp = inPlace ? std::string() : m_target + ".tmp";
    // A temporary file left behind is made anew: written through, a link there would overwrite what it leads to
    // and then stand in for the target.
    if (!inPlace)
        ::unlink(m_temp.c_str());
    m_pFile = OpenPath(inPlace ? m_target : m_temp, inPlace ? "wb" : "wbx");
    return m_pFile != nullptr;
}

bool ReplacingFile::Commit(bool ok)
{
    if (!m_pFile)
        return false;
    ok = std::fflush(m_pFile) == 0 && ok;
    if (!m_temp.empty())
        ok = ::fsync(::fileno(m_pFile)) == 0 && ok;
    ok = std::fclose(m_pFile) == 0 && ok;
    m_pFile = nullptr;
    if (!m_temp.empty())
    {
        // Checked again at the rename: nothing but a regular file is ever replaced.
        struct stat info
        {
        };
        const bool replaceable = ::stat(m_target.c_str(), &info) != 0 || S_ISREG(info.st_mode);
        if (!ok || !replaceable || std::rename(m_temp.c_str(), m_target.c_str()) != 0)
        {
            std::remove(m_temp.c_str());
            ok = false;
        }
        m_temp.clear();
    }
    return ok;
}

void ReplacingFile::Abandon()
{
    if (m_pFile)
    {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    if (!m_temp.empty())
    {
        std::remove(m_temp.c_str());
        m_temp.clear();
    }
}

bool WriteFileAtomically(std::string_view name, const void* data, size_t size)
{
    ReplacingFile file;
    if (!file.Open(name))
        return false;
    return file.Commit(size == 0 || std::fwrite(data, 1, size, file.Get()) == size);
}

bool WriteFilesAtomically(std::initializer_list<FileContents> files)
{
    std::vector<std::unique_ptr<ReplacingFile>> written;
    for (const FileContents& file : files)
    {
        written.push_back(std::make_unique<ReplacingFile>());
        FILE* out = written.back()->Open(file.name) ? written.back()->Get() : nullptr;
        if (!out || (file.size != 0 && std::fwrite(file.data, 1, file.size, out) != file.size) ||
            std::fflush(out) != 0 || ::fsync(::fileno(out)) != 0)
            return false; // every temporary file is removed with its ReplacingFile
    }
    // Only a rename is left to fail now; the files after a failed one are not replaced.
    for (const auto& file : written)
        if (!file->Commit())
            return false;
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
