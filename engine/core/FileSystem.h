// File services: whole-file reads and writes, plain or scrambled (.ble), file dates, delete and mkdir.
#pragma once

#include "engine/core/EngineService.h"

#include <cstddef>
#include <cstdint>
#include <string>

class FileSystem : public EngineService
{
public:
    static constexpr int kTextSize = 128;

    int32_t Init() override { return 0; }
    void Shutdown() override {}

    // Last-write time and date of a file in the user's local formats, in the service's own buffers
    // (overwritten by the next call of the same operation); null when the file cannot be read.
    virtual const char* GetFileTimeText(const char* fileName);
    virtual const char* GetFileDateText(const char* fileName);
    virtual bool DeleteFile(const char* fileName);
    // True when the directory was created; false when it exists already or cannot be made.
    virtual bool CreateDirectory(const char* path);
    // Size in bytes; 0 when the file cannot be opened.
    virtual uint32_t GetFileSize(const char* fileName);
    // A new[] buffer holding the whole file followed by one '.' byte; null when the file is empty, missing
    // or cannot be read whole. The caller frees it with delete[].
    virtual char* LoadFile(const char* fileName);
    // Writes the buffer with every byte complemented (the caller's buffer is left complemented).
    virtual bool WriteBleFile(const char* fileName, char* buffer, uint32_t size);
    // As LoadFile, with every byte complemented back.
    virtual char* ReadBleFile(const char* fileName);
    virtual bool WriteFile(const char* fileName, const void* buffer, uint32_t size);

    // LoadFile and ReadBleFile that also give the number of content bytes read (0 with a null result), so a
    // caller never pairs a buffer with the size of a file that changed between two calls.
    char* LoadFileSized(const char* fileName, uint32_t* pSize);
    char* ReadBleFileSized(const char* fileName, uint32_t* pSize);

private:
    char m_szDate[kTextSize] = {};
    char m_szTime[kTextSize] = {};
};

// The name of the scrambled file that stands for `name`: its last four characters replaced by ".ble"
// (a name shorter than four characters gets ".ble" appended).
std::string BleFileName(const char* name);

// True when the name resolves to an existing regular file (not a directory or a device).
bool IsRegularFile(const char* fileName);

// The engine root's file services, or a stand-alone instance while no engine root exists.
FileSystem* GetFileSystem();
