// Case-insensitive path resolver with cached directory listings.
#include "platform/Paths.h"

#include "platform/FileOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform
{
namespace
{

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
    {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::atomic<uint64_t> g_scans{0};

std::mutex& UserFolderMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& UserFolderPath()
{
    static std::string folder;
    return folder;
}

// Directory path -> (lower-case entry name -> real entry name).
using Listing = std::unordered_map<std::string, std::string>;
// Sound and movie code may open files from their own threads, so the cache is guarded.
std::mutex& CacheMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<std::string, Listing>& Cache()
{
    static std::unordered_map<std::string, Listing> cache;
    return cache;
}

const Listing& ReadListing(const std::string& dir, bool refresh)
{
    auto& cache = Cache();
    auto it = cache.find(dir);
    if (it != cache.end() && !refresh)
        return it->second;
    Listing listing;
    ++g_scans;
    if (DIR* d = ::opendir(dir.empty() ? "." : dir.c_str()))
    {
        while (dirent* e = ::readdir(d))
        {
            std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            // Two entries that differ only in case: the first seen wins (an exact match is tried before).
            listing.emplace(Lower(name), name);
        }
        ::closedir(d);
    }
    return cache[dir] = std::move(listing);
}

std::string Join(const std::string& dir, const std::string& leaf)
{
    if (dir.empty())
        return leaf;
    if (dir == "/")
        return "/" + leaf;
    return dir + "/" + leaf;
}

// Finds `component` inside the real directory `dir`; empty when absent.
std::string FindEntry(const std::string& dir, const std::string& component)
{
    std::string exact = Join(dir, component);
    if (Exists(exact))
        return exact;
    std::string key = Lower(component);
    for (int pass = 0; pass < 2; ++pass)
    {
        const Listing& listing = ReadListing(dir, pass == 1);
        auto it = listing.find(key);
        if (it != listing.end())
        {
            std::string real = Join(dir, it->second);
            if (Exists(real))
                return real;
        }
    }
    return {};
}

std::vector<std::string> Split(const std::string& normalized)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= normalized.size())
    {
        size_t end = normalized.find('/', start);
        if (end == std::string::npos)
            end = normalized.size();
        if (end > start)
            parts.push_back(normalized.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Resolves every component; a missing leaf is kept as given unless `resolveLeaf`. False when one is missing.
bool ResolveComponents(std::string_view name, bool resolveLeaf, std::string& out)
{
    std::string normalized = NormalizePath(name);
    if (normalized.empty())
        return false;
    bool absolute = normalized[0] == '/';
    std::vector<std::string> parts = Split(normalized);
    if (parts.empty())
    {
        out = absolute ? "/" : ".";
        return true;
    }
    std::string dir = absolute ? "/" : "";
    std::lock_guard<std::mutex> lock(CacheMutex());
    for (size_t i = 0; i < parts.size(); ++i)
    {
        const std::string& part = parts[i];
        bool leaf = i + 1 == parts.size();
        if (part == "..")
        {
            dir = Join(dir, "..");
            continue;
        }
        std::string found = FindEntry(dir, part);
        if (found.empty())
        {
            if (leaf && !resolveLeaf)
            {
                out = Join(dir, part);
                return true;
            }
            return false;
        }
        dir = found;
    }
    out = dir;
    return true;
}

} // namespace

std::string NormalizePath(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name)
    {
        if (c == '\\')
            c = '/';
        if (c == '/' && !out.empty() && out.back() == '/')
            continue;
        out.push_back(c);
    }
    // Drop "." components ("./a", "a/./b", "a/.").
    std::string cleaned;
    cleaned.reserve(out.size());
    size_t i = 0;
    while (i < out.size())
    {
        size_t end = out.find('/', i);
        if (end == std::string::npos)
            end = out.size();
        std::string_view part(out.data() + i, end - i);
        if (part == "." && !(cleaned.empty() && end == out.size()))
        {
            i = end + 1;
            continue;
        }
        cleaned.append(part);
        if (end < out.size())
            cleaned.push_back('/');
        i = end + 1;
    }
    if (cleaned.size() > 1 && cleaned.back() == '/')
        cleaned.pop_back();
    // Nothing but "." components ("./", ".//.") still names the current directory.
    if (cleaned.empty() && !out.empty())
        cleaned = ".";
    return cleaned;
}

std::string ResolveExisting(std::string_view name)
{
    std::string out;
    if (!ResolveComponents(name, true, out))
        return {};
    return out;
}

std::string ResolveForWrite(std::string_view name)
{
    std::string out;
    if (!ResolveComponents(name, false, out))
        return {};
    return out;
}

FILE* OpenFile(std::string_view name, const char* mode)
{
    if (!mode || !*mode)
        return nullptr;
    bool writes = mode[0] == 'w' || mode[0] == 'a';
    std::string path = writes ? ResolveForWrite(name) : ResolveExisting(name);
    if (path.empty())
        return nullptr;
    // A cached listing that misses a new file is re-read on the next miss, so writes need no invalidation.
    return OpenPath(path, mode);
}

FILE* OpenPath(const std::string& path, const char* mode)
{
    if (!mode || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a'))
        return nullptr;
    const std::string_view rest(mode + 1);
    const bool both = rest.find('+') != std::string_view::npos;
    int flags = both ? O_RDWR : mode[0] == 'r' ? O_RDONLY : O_WRONLY;
    if (mode[0] == 'w')
        flags |= O_CREAT | O_TRUNC;
    else if (mode[0] == 'a')
        flags |= O_CREAT | O_APPEND;
    if (rest.find('x') != std::string_view::npos)
        flags |= O_EXCL;
    if (rest.find('e') != std::string_view::npos)
        flags |= O_CLOEXEC;
    // Opening a pipe waits for its other end unless told not to; once open, it is read and written as any file.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK, 0666);
    if (fd < 0)
        return nullptr;
    const int status = ::fcntl(fd, F_GETFL);
    FILE* file = status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1 ? nullptr : ::fdopen(fd, mode);
    if (!file)
        ::close(fd);
    return file;
}

void InvalidatePathCache()
{
    std::lock_guard<std::mutex> lock(CacheMutex());
    Cache().clear();
}

namespace
{

PathStamp StampOf(const std::string& path)
{
    PathStamp stamp;
    stamp.path = path;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    stamp.takenNs = int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = static_cast<uint64_t>(st.st_dev);
    stamp.inode = static_cast<uint64_t>(st.st_ino);
    stamp.modifiedNs = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
    stamp.size = static_cast<int64_t>(st.st_size);
    return stamp;
}

} // namespace

PathStamp StampPath(std::string_view name)
{
    std::string normalized = NormalizePath(name);
    while (!normalized.empty())
    {
        std::string real = ResolveExisting(normalized);
        if (!real.empty())
            return StampOf(real);
        const size_t slash = normalized.rfind('/');
        if (slash == std::string::npos)
            break;
        normalized.resize(slash == 0 ? 1 : slash);
    }
    return StampOf(!normalized.empty() && normalized[0] == '/' ? "/" : ".");
}

bool IsStampCurrent(const PathStamp& stamp)
{
    if (stamp.exists && stamp.modifiedNs > stamp.takenNs - kStampTickNs)
        return false;
    const PathStamp now = StampOf(stamp.path);
    return now.exists == stamp.exists && now.device == stamp.device && now.inode == stamp.inode &&
           now.modifiedNs == stamp.modifiedNs && now.changedNs == stamp.changedNs && now.size == stamp.size;
}

uint64_t GetDirectoryScanCount()
{
    return g_scans.load();
}

void SetUserFolder(std::string folder)
{
    std::lock_guard<std::mutex> lock(UserFolderMutex());
    UserFolderPath() = std::move(folder);
}

std::string GetUserFolder()
{
    {
        std::lock_guard<std::mutex> lock(UserFolderMutex());
        if (!UserFolderPath().empty())
            return UserFolderPath();
    }
    return CurrentDirectory();
}

std::string UserFile(std::string_view name)
{
    std::string folder = GetUserFolder();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder.append(name);
}

std::string XdgDataHome(const char* xdgDataHome, const char* home)
{
    // The rules ignore a relative $XDG_DATA_HOME.
    if (xdgDataHome && xdgDataHome[0] == '/')
        return xdgDataHome;
    if (home && *home)
    {
        std::string folder = home;
        if (folder.back() != '/')
            folder += '/';
        return folder + ".local/share";
    }
    return {};
}

bool MakeFolders(std::string_view path)
{
    std::string normalized = NormalizePath(path);
    if (normalized.empty())
        return false;
    // Each prefix ending before a separator, then the whole path.
    for (size_t end = normalized.find('/', 1);; end = normalized.find('/', end + 1))
    {
        const std::string prefix = end == std::string::npos ? normalized : normalized.substr(0, end);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (end == std::string::npos)
            break;
    }
    struct stat st;
    return ::stat(normalized.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace platform
