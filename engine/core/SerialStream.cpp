// The typed save stream: class banners, typed arrays and the tagged binary file form.
#include "engine/core/SerialStream.h"

#include "platform/Paths.h"
#include "platform/WideText.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{

// Elements encoded or decoded per buffered file call in the array items.
constexpr uint32_t kChunk = 256;

void StoreU16(uint8_t* b, uint16_t v)
{
    b[0] = static_cast<uint8_t>(v);
    b[1] = static_cast<uint8_t>(v >> 8);
}

void StoreU32(uint8_t* b, uint32_t v)
{
    b[0] = static_cast<uint8_t>(v);
    b[1] = static_cast<uint8_t>(v >> 8);
    b[2] = static_cast<uint8_t>(v >> 16);
    b[3] = static_cast<uint8_t>(v >> 24);
}

uint16_t LoadU16(const uint8_t* b)
{
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t LoadU32(const uint8_t* b)
{
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

uint32_t ClampCount(int32_t count)
{
    return count > 0 ? static_cast<uint32_t>(count) : 0;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// SerialStream

SerialStream::~SerialStream() = default;

void SerialStream::WriteClassHeader(const char* className, int32_t size)
{
    std::string banner = "Class name : ";
    banner += className ? className : "";
    WriteHeader(banner.c_str());
    WriteInt("sizeof", size);
}

bool SerialStream::ReadClassHeader(char* buffer, uint32_t capacity, int32_t* size)
{
    bool ok = ReadHeader(buffer, capacity);
    int32_t stored = 0;
    ok = ReadInt(&stored) && ok;
    if (size)
        *size = stored;
    return ok;
}

void SerialStream::WriteArray(const char* name, const float* values, int32_t count)
{
    std::vector<uint32_t> bits(ClampCount(count));
    if (values && !bits.empty())
        std::memcpy(bits.data(), values, bits.size() * sizeof(uint32_t));
    WriteUIntArray(name, bits.data(), count);
}

bool SerialStream::ReadArray(float* values, int32_t count)
{
    std::vector<uint32_t> bits(ClampCount(count));
    bool ok = ReadUIntArray(bits.data(), count);
    if (values && !bits.empty())
        std::memcpy(values, bits.data(), bits.size() * sizeof(float));
    return ok;
}

// ---------------------------------------------------------------------------------------------------------------
// BinarySerialStream: opening and closing

BinarySerialStream::BinarySerialStream(bool writing, const char* fileName) : SerialStream(writing)
{
    if (!fileName)
        m_pFile = nullptr;
    else if (writing)
        m_pFile = m_output.Open(fileName) ? m_output.Get() : nullptr;
    else
        m_pFile = platform::OpenFile(fileName, "rb");
    if (!m_pFile)
    {
        m_bFailed = true;
        return;
    }
    m_bOpen = true;
    if (writing)
        WriteHeader(kStreamName);
    else
        ReadHeader(m_szBanner, kBannerSize);
}

BinarySerialStream::~BinarySerialStream()
{
    Close();
}

bool BinarySerialStream::Close()
{
    if (m_pFile && m_bWriting)
    {
        if (!m_output.Commit(!m_bFailed))
            m_bFailed = true;
    }
    else if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
    return !m_bFailed;
}

// ---------------------------------------------------------------------------------------------------------------
// Writing

void BinarySerialStream::Put(const void* bytes, size_t size)
{
    if (m_bFailed || size == 0)
        return;
    if (!m_pFile || !m_bWriting || std::fwrite(bytes, 1, size, m_pFile) != size)
        Fail();
}

void BinarySerialStream::PutItem(uint8_t tag, const void* payload, size_t size)
{
    uint8_t item[1 + 4];
    item[0] = tag;
    std::memcpy(item + 1, payload, size);
    Put(item, 1 + size);
}

void BinarySerialStream::PutCounted(uint8_t tag, uint32_t count)
{
    uint8_t head[4];
    StoreU32(head, count);
    PutItem(tag, head, 4);
}

template <typename T> void BinarySerialStream::PutWordArray(uint8_t tag, const T* values, int32_t count)
{
    uint32_t n = ClampCount(count);
    PutCounted(tag, n);
    uint8_t chunk[kChunk * 4];
    for (uint32_t done = 0; done < n && !m_bFailed;)
    {
        uint32_t step = std::min(kChunk, n - done);
        for (uint32_t i = 0; i < step; ++i)
            StoreU32(chunk + i * 4, values ? static_cast<uint32_t>(values[done + i]) : 0);
        Put(chunk, step * 4);
        done += step;
    }
}

void BinarySerialStream::WriteUShort(const char*, uint16_t value)
{
    uint8_t b[2];
    StoreU16(b, value);
    PutItem(kTagUShort, b, 2);
}

void BinarySerialStream::WriteUInt(const char*, uint32_t value)
{
    uint8_t b[4];
    StoreU32(b, value);
    PutItem(kTagUInt, b, 4);
}

void BinarySerialStream::WriteUIntArray(const char*, const uint32_t* values, int32_t count)
{
    PutWordArray(kTagUIntArray, values, count);
}

void BinarySerialStream::WriteByteArray(const char*, const uint8_t* values, int32_t count)
{
    uint32_t n = ClampCount(count);
    PutCounted(kTagByteArray, n);
    if (values)
    {
        Put(values, n);
        return;
    }
    uint8_t zeros[kChunk] = {};
    for (uint32_t done = 0; done < n && !m_bFailed;)
    {
        uint32_t step = std::min(kChunk, n - done);
        Put(zeros, step);
        done += step;
    }
}

void BinarySerialStream::WriteByte(const char*, uint8_t value)
{
    PutItem(kTagByte, &value, 1);
}

void BinarySerialStream::WriteWideString(const char*, const char16_t* text)
{
    uint32_t n = 0;
    if (text)
        while (text[n])
            ++n;
    PutCounted(kTagWideString, n);
    uint8_t chunk[kChunk * 2];
    for (uint32_t done = 0; done < n && !m_bFailed;)
    {
        uint32_t step = std::min(kChunk, n - done);
        for (uint32_t i = 0; i < step; ++i)
            StoreU16(chunk + i * 2, static_cast<uint16_t>(text[done + i]));
        Put(chunk, step * 2);
        done += step;
    }
}

void BinarySerialStream::WriteIntArray(const char*, const int32_t* values, int32_t count)
{
    PutWordArray(kTagIntArray, values, count);
}

void BinarySerialStream::WriteInt(const char*, int32_t value)
{
    uint8_t b[4];
    StoreU32(b, static_cast<uint32_t>(value));
    PutItem(kTagInt, b, 4);
}

void BinarySerialStream::WriteShort(const char*, int16_t value)
{
    uint8_t b[2];
    StoreU16(b, static_cast<uint16_t>(value));
    PutItem(kTagShort, b, 2);
}

void BinarySerialStream::WriteFloat(const char*, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    uint8_t b[4];
    StoreU32(b, bits);
    PutItem(kTagFloat, b, 4);
}

void BinarySerialStream::WriteBool(const char*, bool value)
{
    uint8_t b = value ? 1 : 0;
    PutItem(kTagBool, &b, 1);
}

void BinarySerialStream::WriteString(const char*, const char* text)
{
    uint32_t n = text ? static_cast<uint32_t>(std::strlen(text)) : 0;
    PutCounted(kTagString, n);
    Put(text, n);
}

void BinarySerialStream::WriteHeader(const char* text)
{
    uint32_t n = text ? static_cast<uint32_t>(std::strlen(text)) : 0;
    PutCounted(kTagHeader, n);
    Put(text, n);
}

// ---------------------------------------------------------------------------------------------------------------
// Reading

BinarySerialStream::Shape BinarySerialStream::ShapeOf(uint8_t tag)
{
    switch (tag)
    {
    case kTagHeader:
    case kTagString:
        return Shape::Text;
    case kTagBool:
    case kTagByte:
        return Shape::Byte;
    case kTagShort:
    case kTagUShort:
        return Shape::Half;
    case kTagFloat:
    case kTagInt:
    case kTagUInt:
        return Shape::Word;
    case kTagIntArray:
    case kTagUIntArray:
        return Shape::WordArray;
    case kTagByteArray:
        return Shape::ByteArray;
    case kTagWideString:
        return Shape::WideText;
    default:
        return Shape::Unknown;
    }
}

bool BinarySerialStream::Get(void* bytes, size_t size)
{
    if (m_bFailed)
        return false;
    if (size == 0)
        return true;
    if (!m_pFile || m_bWriting || std::fread(bytes, 1, size, m_pFile) != size)
    {
        Fail();
        return false;
    }
    return true;
}

bool BinarySerialStream::Discard(uint64_t size)
{
    // Read through rather than seek, so a count that runs past the end of the file fails here.
    uint8_t scratch[1024];
    while (size > 0 && !m_bFailed)
    {
        size_t step = static_cast<size_t>(std::min<uint64_t>(size, sizeof scratch));
        Get(scratch, step);
        size -= step;
    }
    return !m_bFailed;
}

bool BinarySerialStream::Expect(Shape shape)
{
    uint8_t tag = 0;
    if (!Get(&tag, 1))
        return false;
    if (ShapeOf(tag) != shape)
    {
        Fail();
        return false;
    }
    return true;
}

bool BinarySerialStream::GetU32(uint32_t* value)
{
    uint8_t b[4] = {};
    bool ok = Get(b, 4);
    *value = ok ? LoadU32(b) : 0;
    return ok;
}

bool BinarySerialStream::ReadValue(Shape shape, void* out, size_t width)
{
    bool ok = Expect(shape) && Get(out, width);
    if (!ok)
        std::memset(out, 0, width); // a short read may have filled part of the value
    return ok;
}

bool BinarySerialStream::ReadText(char* buffer, uint32_t capacity)
{
    if (buffer && capacity > 0)
        buffer[0] = 0;
    uint32_t n = 0;
    if (!Expect(Shape::Text) || !GetU32(&n))
        return false;
    uint32_t keep = (buffer && capacity > 0) ? std::min(n, capacity - 1) : 0;
    if (keep > 0 && Get(buffer, keep))
        buffer[keep] = 0;
    if (!Discard(static_cast<uint64_t>(n) - keep))
    {
        if (buffer && capacity > 0)
            buffer[0] = 0;
        return false;
    }
    return true;
}

template <typename T> bool BinarySerialStream::ReadWordArray(T* values, int32_t count)
{
    uint32_t wanted = values ? ClampCount(count) : 0;
    if (wanted)
        std::memset(values, 0, wanted * sizeof(T));
    uint32_t stored = 0;
    if (!Expect(Shape::WordArray) || !GetU32(&stored))
        return false;
    uint32_t keep = std::min(stored, wanted);
    uint8_t chunk[kChunk * 4];
    for (uint32_t done = 0; done < keep;)
    {
        uint32_t step = std::min(kChunk, keep - done);
        if (!Get(chunk, step * 4))
            break;
        for (uint32_t i = 0; i < step; ++i)
            values[done + i] = static_cast<T>(LoadU32(chunk + i * 4));
        done += step;
    }
    if (!m_bFailed)
        Discard(static_cast<uint64_t>(stored - keep) * 4);
    if (m_bFailed && wanted)
        std::memset(values, 0, wanted * sizeof(T));
    return !m_bFailed;
}

bool BinarySerialStream::ReadHeader(char* buffer, uint32_t capacity)
{
    return ReadText(buffer, capacity);
}

bool BinarySerialStream::ReadUShort(uint16_t* value)
{
    uint8_t b[2];
    bool ok = ReadValue(Shape::Half, b, 2);
    if (value)
        *value = LoadU16(b);
    return ok;
}

bool BinarySerialStream::ReadUInt(uint32_t* value)
{
    uint8_t b[4];
    bool ok = ReadValue(Shape::Word, b, 4);
    if (value)
        *value = LoadU32(b);
    return ok;
}

bool BinarySerialStream::ReadUIntArray(uint32_t* values, int32_t count)
{
    return ReadWordArray(values, count);
}

bool BinarySerialStream::ReadByteArray(uint8_t* values, int32_t count)
{
    uint32_t wanted = values ? ClampCount(count) : 0;
    if (wanted)
        std::memset(values, 0, wanted);
    uint32_t stored = 0;
    if (!Expect(Shape::ByteArray) || !GetU32(&stored))
        return false;
    uint32_t keep = std::min(stored, wanted);
    if (Get(values, keep))
        Discard(stored - keep);
    if (m_bFailed && wanted)
        std::memset(values, 0, wanted);
    return !m_bFailed;
}

bool BinarySerialStream::ReadByte(uint8_t* value)
{
    uint8_t b;
    bool ok = ReadValue(Shape::Byte, &b, 1);
    if (value)
        *value = b;
    return ok;
}

bool BinarySerialStream::ReadWideString(char16_t* buffer, uint32_t capacity)
{
    bool room = buffer && capacity > 0;
    if (room)
        buffer[0] = 0;
    uint32_t n = 0;
    if (!Expect(Shape::WideText) || !GetU32(&n))
        return false;
    uint32_t keep = room ? std::min(n, capacity - 1) : 0;
    uint8_t chunk[kChunk * 2];
    for (uint32_t done = 0; done < keep;)
    {
        uint32_t step = std::min(kChunk, keep - done);
        if (!Get(chunk, step * 2))
            break;
        for (uint32_t i = 0; i < step; ++i)
            buffer[done + i] = static_cast<char16_t>(LoadU16(chunk + i * 2));
        done += step;
    }
    uint64_t left = static_cast<uint64_t>(n) - keep;
    if (room && keep > 0 && left > 0 && !m_bFailed)
    {
        // A text cut to the buffer keeps a character beyond U+FFFF whole or leaves it out whole.
        uint8_t next[2];
        if (Get(next, 2))
        {
            --left;
            const char16_t edge[2] = {buffer[keep - 1], static_cast<char16_t>(LoadU16(next))};
            if (platform::WholeCharacterCut(edge, 1) == 0)
                --keep;
        }
    }
    if (room)
        buffer[keep] = 0;
    if (!m_bFailed)
        Discard(left * 2);
    if (m_bFailed && room)
        buffer[0] = 0;
    return !m_bFailed;
}

bool BinarySerialStream::ReadWideText(std::u16string* text, uint32_t limit)
{
    if (text)
        text->clear();
    uint32_t n = 0;
    if (!Expect(Shape::WideText) || !GetU32(&n))
        return false;
    if (n > limit)
    {
        Fail();
        return false;
    }
    if (!text)
        return Discard(static_cast<uint64_t>(n) * 2);
    // The text grows as its units are read, so a count that runs past the end of the file takes no more room than
    // the file holds.
    std::u16string read;
    uint8_t chunk[kChunk * 2];
    for (uint32_t done = 0; done < n;)
    {
        uint32_t step = std::min(kChunk, n - done);
        if (!Get(chunk, step * 2))
            return false;
        for (uint32_t i = 0; i < step; ++i)
            read.push_back(static_cast<char16_t>(LoadU16(chunk + i * 2)));
        done += step;
    }
    *text = std::move(read);
    return true;
}

bool BinarySerialStream::ReadIntArray(int32_t* values, int32_t count)
{
    return ReadWordArray(values, count);
}

bool BinarySerialStream::ReadShort(int16_t* value)
{
    uint8_t b[2];
    bool ok = ReadValue(Shape::Half, b, 2);
    if (value)
        *value = static_cast<int16_t>(LoadU16(b));
    return ok;
}

bool BinarySerialStream::ReadInt(int32_t* value)
{
    uint8_t b[4];
    bool ok = ReadValue(Shape::Word, b, 4);
    if (value)
        *value = static_cast<int32_t>(LoadU32(b));
    return ok;
}

bool BinarySerialStream::ReadString(char* buffer, uint32_t capacity)
{
    return ReadText(buffer, capacity);
}

bool BinarySerialStream::ReadFloat(float* value)
{
    uint8_t b[4];
    bool ok = ReadValue(Shape::Word, b, 4);
    if (value)
    {
        uint32_t bits = LoadU32(b);
        std::memcpy(value, &bits, sizeof bits);
    }
    return ok;
}

bool BinarySerialStream::ReadBool(bool* value)
{
    uint8_t b;
    bool ok = ReadValue(Shape::Byte, &b, 1);
    if (value)
        *value = b != 0;
    return ok;
}
