// Case-insensitive resolution of the game's file names (any letter case, '\' or '/') to real files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace platform
{

// Backslashes become '/', doubled separators fold into one, "." components are dropped.
std::string NormalizePath(std::string_view name);

// The real path of an existing file or directory whose every component matches `name` without regard to
// letter case; empty when nothing matches.
std::string ResolveExisting(std::string_view name);

// The path to write `name` to: directories matched without regard to case, an existing file that matches
// without regard to case is reused, otherwise the leaf is kept as given. Empty when a directory is missing.
std::string ResolveForWrite(std::string_view name);

// fopen through the resolver: "r" modes open an existing file, "w" and "a" modes resolve for writing.
FILE* OpenFile(std::string_view name, const char* mode);

// fopen of a real path that never waits for the other end of a pipe: a pipe with no writer reads as empty, one
// with no reader cannot be opened for writing. Files of every other kind open as fopen opens them.
FILE* OpenPath(const std::string& path, const char* mode);

// Forgets every cached directory listing.
void InvalidatePathCache();

// What the lookup of a name depends on: the deepest part of the name that exists (the file itself, or the
// nearest folder on the way to it), by its real path, identity and times. While that entry is unchanged, a name
// that was missing is still missing.
struct PathStamp
{
    std::string path;
    bool exists = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t modifiedNs = 0;
    int64_t changedNs = 0;
    int64_t size = 0;
    int64_t takenNs = 0; // the clock when the stamp was taken
};
// File systems keep times to a tick of their own (up to two seconds): an entry changed this close to the taking
// of its stamp may change again within the same tick, so such a stamp vouches for nothing.
constexpr int64_t kStampTickNs = 2000000000;
// Takes the stamp of a name (this may read directory listings).
PathStamp StampPath(std::string_view name);
// Whether the entry a stamp was taken of is unchanged (and was not changed within kStampTickNs before the stamp
// was taken); one status query, no listing read.
bool IsStampCurrent(const PathStamp& stamp);

// How many directory listings the resolver has read since the program started (the costly part of a lookup of a
// name that is not there).
uint64_t GetDirectoryScanCount();

// The folder the program writes its own files into (options, progress, save games, logs): the working folder
// until SetUserFolder names another.
void SetUserFolder(std::string folder);
std::string GetUserFolder();
// The path of `name` inside the user folder.
std::string UserFile(std::string_view name);

// The user's data folder by the XDG rules: $XDG_DATA_HOME when it is an absolute path, else
// <home>/.local/share; empty when neither is known.
std::string XdgDataHome(const char* xdgDataHome, const char* home);

// Makes a folder and any missing parents (new ones readable by the user only). True when it is a folder now.
bool MakeFolders(std::string_view path);

} // namespace platform
