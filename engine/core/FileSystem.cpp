// File services: whole-file reads and writes, plain or scrambled (.ble), file dates, delete and mkdir.
#include "engine/core/FileSystem.h"

#include "engine/core/EngineCore.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Strings.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <limits>
#include <new>

namespace
{

// Byte stored after the contents of every buffer handed out by the readers.
constexpr char kEndMark = '.';

// The file's last-write time, read while the file is open for reading; false when it cannot be opened or read.
bool ReadWriteTime(const char* fileName, std::time_t* when)
{
    if (!fileName)
        return false;
    FILE* file = platform::OpenFile(fileName, "rb");
    if (!file)
        return false;
    bool ok = platform::GetFileWriteTime(fileName, when);
    std::fclose(file);
    return ok;
}

// Reads the whole file, sized through the service's GetFileSize, into a new[] buffer of size + 1 bytes ending in
// the end mark; null when the size is 0 or the read comes up short (the file shrank or failed in between).
char* ReadWhole(FileSystem& files, const char* fileName, uint32_t* size)
{
    *size = files.GetFileSize(fileName);
    if (*size == 0)
        return nullptr;
    char* buffer = new (std::nothrow) char[static_cast<size_t>(*size) + 1];
    if (!buffer)
        return nullptr;
    FILE* file = platform::OpenFile(fileName, "rb");
    size_t read = file ? std::fread(buffer, 1, *size, file) : 0;
    if (file)
        std::fclose(file);
    if (read != *size)
    {
        delete[] buffer;
        return nullptr;
    }
    buffer[*size] = kEndMark;
    return buffer;
}

} // namespace

const char* FileSystem::GetFileTimeText(const char* fileName)
{
    std::time_t when = 0;
    if (!ReadWriteTime(fileName, &when))
        return nullptr;
    // A locale text longer than the buffer is cut to its first 127 characters.
    platform::CopyString(m_szTime, sizeof(m_szTime), platform::FormatTimeOfDay(when).c_str());
    return m_szTime;
}

const char* FileSystem::GetFileDateText(const char* fileName)
{
    std::time_t when = 0;
    if (!ReadWriteTime(fileName, &when))
        return nullptr;
    platform::CopyString(m_szDate, sizeof(m_szDate), platform::FormatLongDate(when).c_str());
    return m_szDate;
}

bool FileSystem::DeleteFile(const char* fileName)
{
    if (!fileName)
        return false;
    return platform::RemoveFile(fileName);
}

bool FileSystem::CreateDirectory(const char* path)
{
    if (!path)
        return false;
    return platform::MakeDirectory(path);
}

uint32_t FileSystem::GetFileSize(const char* fileName)
{
    if (!fileName)
        return 0;
    FILE* file = platform::OpenFile(fileName, "rb");
    if (!file)
        return 0;
    // A directory opens for reading too, but has no contents to read and no meaningful end.
    if (!IsRegularFile(fileName))
    {
        std::fclose(file);
        return 0;
    }
    long end = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        end = std::ftell(file);
    std::fclose(file);
    // A file too large for the 32-bit size cannot be read whole.
    if (end <= 0 || static_cast<unsigned long>(end) > std::numeric_limits<uint32_t>::max())
        return 0;
    return static_cast<uint32_t>(end);
}

char* FileSystem::LoadFile(const char* fileName)
{
    uint32_t size = 0;
    return LoadFileSized(fileName, &size);
}

char* FileSystem::LoadFileSized(const char* fileName, uint32_t* pSize)
{
    uint32_t size = 0;
    char* buffer = ReadWhole(*this, fileName, &size);
    if (pSize)
        *pSize = buffer ? size : 0;
    return buffer;
}

bool FileSystem::WriteBleFile(const char* fileName, char* buffer, uint32_t size)
{
    if (!fileName || (!buffer && size > 0))
        return false;
    for (uint32_t i = 0; i < size; ++i)
        buffer[i] = static_cast<char>(~static_cast<unsigned char>(buffer[i]));
    return platform::WriteFileAtomically(fileName, buffer, size);
}

char* FileSystem::ReadBleFile(const char* fileName)
{
    uint32_t size = 0;
    return ReadBleFileSized(fileName, &size);
}

char* FileSystem::ReadBleFileSized(const char* fileName, uint32_t* pSize)
{
    uint32_t size = 0;
    char* buffer = ReadWhole(*this, fileName, &size);
    if (pSize)
        *pSize = buffer ? size : 0;
    if (!buffer)
        return nullptr;
    for (uint32_t i = 0; i < size; ++i)
        buffer[i] = static_cast<char>(~static_cast<unsigned char>(buffer[i]));
    return buffer;
}

bool FileSystem::WriteFile(const char* fileName, const void* buffer, uint32_t size)
{
    if (!fileName || (!buffer && size > 0))
        return false;
    return platform::WriteFileAtomically(fileName, buffer, size);
}

std::string BleFileName(const char* name)
{
    if (!name)
        return {};
    std::string ble(name);
    if (ble.size() >= 4)
        ble.resize(ble.size() - 4);
    return ble + ".ble";
}

bool IsRegularFile(const char* fileName)
{
    std::error_code error;
    return fileName && std::filesystem::is_regular_file(platform::ResolveExisting(fileName), error);
}

FileSystem* GetFileSystem()
{
    if (g_pEngineCore && g_pEngineCore->m_pFileSystem)
        return g_pEngineCore->m_pFileSystem;
    static FileSystem standalone;
    return &standalone;
}
