// Case-insensitive resolution of the game's file names (any letter case, '\' or '/') to real files.
#pragma once

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

// Forgets every cached directory listing.
void InvalidatePathCache();

} // namespace platform
