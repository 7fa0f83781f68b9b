// Field-by-field reading of the model files' packed little-endian records from bytes in memory, with every count
// checked against the bytes that remain before anything is made from it.
#pragma once

#include "engine/core/Stream.h"
#include "engine/render/TmFormat.h"
#include "engine/render/Waveform.h"
#include "platform/gfx/Math.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class RecordReader
{
public:
    RecordReader(const uint8_t* data, size_t size)
        : m_stream(data, static_cast<uint32_t>(size > UINT32_MAX ? UINT32_MAX : size))
    {
    }

    // False once any read went past the end (every later read yields zeros).
    bool Good() const { return m_stream.Good(); }
    uint32_t Tell() const { return m_stream.Tell(); }
    uint32_t Remaining() const { return m_stream.Good() ? m_stream.Remaining() : 0; }
    // Whether `count` records of `size` bytes each can still be read.
    // Divided, not multiplied: a count read from the file times the record size may not fit in 64 bits.
    bool Fits(uint64_t count, uint64_t size) const { return size == 0 || count <= Remaining() / size; }

    uint8_t U8() { return m_stream.ReadUInt8(); }
    uint16_t U16() { return m_stream.ReadUInt16(); }
    uint32_t U32() { return m_stream.ReadUInt32(); }
    int32_t I32() { return m_stream.ReadInt32(); }
    float F32() { return m_stream.ReadFloat(); }
    platform::Vec3 Vec3()
    {
        const float x = F32();
        const float y = F32();
        return {x, y, F32()};
    }
    platform::Vec2 Vec2()
    {
        const float u = F32();
        return {u, F32()};
    }
    platform::Matrix Matrix()
    {
        platform::Matrix m;
        for (auto& row : m.m)
            for (float& value : row)
                value = F32();
        return m;
    }
    WaveRecord Wave()
    {
        uint8_t bytes[kWaveRecordSize];
        m_stream.Read(bytes, kWaveRecordSize);
        return ReadWaveRecord(bytes);
    }
    template <size_t N> void Bytes(std::array<uint8_t, N>* out) { m_stream.Read(out->data(), N); }
    void Bytes(uint8_t* out, uint32_t n) { m_stream.Read(out, n); }
    // A zero-padded name field of `size` bytes; false when it holds no terminator (or is cut short).
    bool Name(uint32_t size, std::string* out)
    {
        std::vector<char> field(size);
        m_stream.Read(field.data(), size);
        for (uint32_t i = 0; i < size; ++i)
        {
            if (field[i] == '\0')
            {
                out->assign(field.data(), i);
                return Good();
            }
        }
        out->clear();
        return false;
    }

    // The records both model layouts share; false when they do not fit what remains.
    ModelBounds Bounds()
    {
        ModelBounds bounds;
        for (float& value : bounds.m_af)
            value = F32();
        return bounds;
    }
    // Width, height and, when both are non-zero, width x height values.
    bool Table(uint32_t* width, uint32_t* height, std::vector<uint32_t>* values)
    {
        *width = U32();
        *height = U32();
        if (*width == 0 || *height == 0)
            return Good();
        const uint64_t cells = uint64_t{*width} * *height;
        if (!Fits(cells, 4))
            return false;
        values->resize(cells);
        for (uint32_t& value : *values)
            value = U32();
        return Good();
    }
    // A count, then that many 24-byte attachment points; false when a point is not finite (objects are placed on
    // them).
    bool Attachments(std::vector<AttachmentPoint>* points)
    {
        const uint32_t count = U32();
        if (!Fits(count, kTmAttachmentSize))
            return false;
        points->resize(count);
        for (AttachmentPoint& point : *points)
        {
            for (float& value : point.m_afValues)
                if (!std::isfinite(value = F32()))
                    return false;
            point.m_uValue = U32();
        }
        return Good();
    }
    // A count, then that many 56-byte locators (position, vector, name).
    bool Locators(std::vector<Locator>* locators)
    {
        const uint32_t count = U32();
        if (!Fits(count, kTmLocatorSize))
            return false;
        locators->resize(count);
        for (Locator& locator : *locators)
        {
            locator.m_position = Vec3();
            locator.m_vector = Vec3();
            if (!Name(kTmLinkNameSize, &locator.m_name))
                return false;
        }
        return Good();
    }

private:
    FileStream m_stream;
};
