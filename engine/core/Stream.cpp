// Byte streams: FileStream over memory, StdioStream over an open file; values are assembled little-endian.
#include "engine/core/Stream.h"

#include "engine/core/FileSystem.h"
#include "platform/Paths.h"

#include <cstring>

namespace
{

uint16_t LoadU16(const uint8_t* b)
{
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t LoadU32(const uint8_t* b)
{
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

float LoadF32(const uint8_t* b)
{
    uint32_t bits = LoadU32(b);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

Stream::~Stream() = default;

// ---------------------------------------------------------------------------------------------------------------
// FileStream

FileStream::FileStream(const char* fileName)
{
    // One call gives the buffer and its size together: a file that changes between a size query and the read
    // can never leave the stream believing in bytes the buffer does not hold.
    uint32_t size = 0;
    char* data = fileName ? GetFileSystem()->LoadFileSized(fileName, &size) : nullptr;
    if (data)
    {
        m_pOwned = data;
        m_pData = reinterpret_cast<const uint8_t*>(data);
        m_uSize = size;
        m_bOpen = true;
    }
    else
    {
        m_bFailed = true;
    }
    m_pPos = m_pData;
}

FileStream::FileStream(const void* data, uint32_t size)
    : m_pData(static_cast<const uint8_t*>(data)), m_pPos(m_pData), m_uSize(data ? size : 0)
{
    m_bOpen = data != nullptr;
    m_bFailed = !m_bOpen;
}

FileStream::~FileStream()
{
    delete[] m_pOwned;
}

void FileStream::MoveTo(int64_t offset)
{
    if (offset < 0)
    {
        offset = 0;
        m_bFailed = true;
    }
    else if (offset > m_uSize)
    {
        offset = m_uSize;
        m_bFailed = true;
    }
    m_pPos = m_pData + offset;
}

int32_t FileStream::Seek(int32_t offset)
{
    MoveTo(offset);
    return offset >= 0 && static_cast<uint32_t>(offset) <= m_uSize ? 0 : -1;
}

int32_t FileStream::Skip(int32_t n)
{
    MoveTo(static_cast<int64_t>(Tell()) + n);
    return n;
}

bool FileStream::Take(uint8_t* out, uint32_t width)
{
    if (Remaining() < width)
    {
        std::memset(out, 0, width);
        m_pPos = m_pData + m_uSize;
        m_bFailed = true;
        return false;
    }
    std::memcpy(out, m_pPos, width);
    m_pPos += width;
    return true;
}

uint8_t FileStream::ReadUInt8()
{
    uint8_t b[1];
    Take(b, 1);
    return b[0];
}

int8_t FileStream::ReadInt8()
{
    return static_cast<int8_t>(ReadUInt8());
}

uint16_t FileStream::ReadUInt16()
{
    uint8_t b[2];
    Take(b, 2);
    return LoadU16(b);
}

int16_t FileStream::ReadInt16()
{
    return static_cast<int16_t>(ReadUInt16());
}

uint32_t FileStream::ReadUInt32()
{
    uint8_t b[4];
    Take(b, 4);
    return LoadU32(b);
}

int32_t FileStream::ReadInt32()
{
    return static_cast<int32_t>(ReadUInt32());
}

float FileStream::ReadFloat()
{
    uint8_t b[4];
    Take(b, 4);
    return LoadF32(b);
}

uint32_t FileStream::Read(void* dst, uint32_t n)
{
    // No bytes asked for: nothing to put anywhere (an empty vector's data() is null).
    if (n == 0)
        return 0;
    if (!dst)
    {
        m_bFailed = true;
        return 0;
    }
    uint32_t count = n;
    if (Remaining() < n)
    {
        count = Remaining();
        std::memset(static_cast<uint8_t*>(dst) + count, 0, n - count);
        m_bFailed = true;
    }
    if (count)
        std::memcpy(dst, m_pPos, count);
    m_pPos += count;
    return count;
}

uint32_t FileStream::Read(char* dst, uint32_t n)
{
    return Read(static_cast<void*>(dst), n);
}

uint32_t FileStream::Read(uint8_t* dst, uint32_t n)
{
    return Read(static_cast<void*>(dst), n);
}

// ---------------------------------------------------------------------------------------------------------------
// StdioStream

StdioStream::StdioStream(const char* fileName)
{
    m_pFile = fileName ? platform::OpenFile(fileName, "rb") : nullptr;
    if (m_pFile)
    {
        std::fseek(m_pFile, 0, SEEK_SET);
        m_bOpen = true;
    }
    else
    {
        m_bFailed = true;
    }
}

StdioStream::~StdioStream()
{
    if (m_pFile)
        std::fclose(m_pFile);
}

int32_t StdioStream::Seek(int32_t offset)
{
    if (!m_pFile || std::fseek(m_pFile, offset, SEEK_SET) != 0)
    {
        m_bFailed = true;
        return -1;
    }
    return 0;
}

int32_t StdioStream::Skip(int32_t n)
{
    if (!m_pFile || std::fseek(m_pFile, n, SEEK_CUR) != 0)
    {
        m_bFailed = true;
        return -1;
    }
    return 0;
}

bool StdioStream::Fill(uint8_t* out, uint32_t width)
{
    std::memset(out, 0, width);
    size_t got = m_pFile ? std::fread(out, 1, width, m_pFile) : 0;
    if (got != width)
    {
        m_bFailed = true;
        return false;
    }
    return true;
}

uint8_t StdioStream::ReadUInt8()
{
    uint8_t b[1];
    Fill(b, 1);
    return b[0];
}

int8_t StdioStream::ReadInt8()
{
    return static_cast<int8_t>(ReadUInt8());
}

uint16_t StdioStream::ReadUInt16()
{
    uint8_t b[2];
    Fill(b, 2);
    return LoadU16(b);
}

int16_t StdioStream::ReadInt16()
{
    return static_cast<int16_t>(ReadUInt16());
}

uint32_t StdioStream::ReadUInt32()
{
    uint8_t b[4];
    Fill(b, 4);
    return LoadU32(b);
}

int32_t StdioStream::ReadInt32()
{
    return static_cast<int32_t>(ReadUInt32());
}

float StdioStream::ReadFloat()
{
    uint8_t b[4];
    Fill(b, 4);
    return LoadF32(b);
}

uint32_t StdioStream::Read(void* dst, uint32_t n)
{
    if (n == 0)
        return 0;
    if (!dst)
    {
        m_bFailed = true;
        return 0;
    }
    size_t got = m_pFile ? std::fread(dst, 1, n, m_pFile) : 0;
    if (got != n)
    {
        std::memset(static_cast<uint8_t*>(dst) + got, 0, n - got);
        m_bFailed = true;
    }
    return static_cast<uint32_t>(got);
}

uint32_t StdioStream::Read(char* dst, uint32_t n)
{
    return Read(static_cast<void*>(dst), n);
}

uint32_t StdioStream::Read(uint8_t* dst, uint32_t n)
{
    return Read(static_cast<void*>(dst), n);
}
