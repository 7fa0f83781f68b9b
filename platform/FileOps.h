// File and directory operations through the case-insensitive resolver: times, dates, create, delete, copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform
{

bool FileExists(std::string_view name);

// True when both names lead to one existing file (however the names are spelt, links included): a tool told to
// write where it reads would lose what it reads.
bool IsSameFile(std::string_view a, std::string_view b);

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

// A file written beside its target ("name.tmp") and renamed over it only when every byte reached the disk, so a
// failed or interrupted write never replaces the file that was there. A target that exists and is no regular file
// (a device, a pipe) cannot be replaced by a rename and is written in place. A target that is a link to a file
// stays a link: the file it leads to is replaced, beside itself.
class ReplacingFile
{
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile() { Abandon(); }

    bool Open(std::string_view name);
    FILE* Get() const { return m_pFile; }
    // Flushes and closes; renames over the target when `ok` and every step succeeded. False leaves the target as
    // it was (a file written in place excepted) and removes the temporary file.
    bool Commit(bool ok = true);
    // Closes and removes the temporary file; the target is untouched.
    void Abandon();

private:
    FILE* m_pFile = nullptr;
    std::string m_target;
    std::string m_temp; // empty when writing in place
};

// Writes the bytes through a ReplacingFile, so a crash never leaves a half-written file behind.
bool WriteFileAtomically(std::string_view name, const void* data, size_t size);

// One file of a set written together.
struct FileContents
{
    std::string_view name;
    const void* data = nullptr;
    size_t size = 0;
};
// Writes files that belong together (an index and the data it points into): every one is written beside its
// target and reaches the disk before any target is replaced, so a failed write leaves all of them as they were.
bool WriteFilesAtomically(std::initializer_list<FileContents> files);

std::string CurrentDirectory();

} // namespace platform
