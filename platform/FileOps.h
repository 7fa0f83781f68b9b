// File and directory operations through the case-insensitive resolver: times, dates, create, delete, copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace platform
{

bool FileExists(std::string_view name);

// Last-write time in seconds since the epoch; false when the file is missing.
bool GetFileWriteTime(std::string_view name, std::time_t* out);

// Local date and time texts as the user's locale shows them: "Sunday, December 06, 2026" and "5:36:25 PM".
std::string FormatLongDate(std::time_t when);
std::string FormatTimeOfDay(std::time_t when);

// True when the directory was created; false when it exists already or cannot be made.
bool MakeDirectory(std::string_view path);
bool RemoveDirectory(std::string_view path);
bool RemoveFile(std::string_view name);
bool CopyFile(std::string_view from, std::string_view to);

// Writes the bytes to a temporary file beside `name` and renames it over `name`, so a crash never leaves a
// half-written file behind.
bool WriteFileAtomically(std::string_view name, const void* data, size_t size);

std::string CurrentDirectory();

} // namespace platform
