// Save-stream items written out by hand from the stream's format (independent of the code under test), and
// helpers that save into bytes and load from bytes.
#pragma once

#include "engine/core/SerialStream.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace savebytes
{

// A stream that only writes: every read fails. Test streams that keep or pass on what a save writes derive from it.
class WriteOnlyStream : public SerialStream
{
public:
    WriteOnlyStream() : SerialStream(true) {}
    void BeginLoad() override {}
    bool ReadHeader(char*, uint32_t) override { return false; }
    bool ReadUShort(uint16_t*) override { return false; }
    bool ReadUInt(uint32_t*) override { return false; }
    bool ReadUIntArray(uint32_t*, int32_t) override { return false; }
    bool ReadByteArray(uint8_t*, int32_t) override { return false; }
    bool ReadByte(uint8_t*) override { return false; }
    bool ReadWideString(char16_t*, uint32_t) override { return false; }
    bool ReadWideText(std::u16string*, uint32_t) override { return false; }
    bool ReadIntArray(int32_t*, int32_t) override { return false; }
    bool ReadShort(int16_t*) override { return false; }
    bool ReadInt(int32_t*) override { return false; }
    bool ReadString(char*, uint32_t) override { return false; }
    bool ReadFloat(float*) override { return false; }
    bool ReadBool(bool*) override { return false; }
};

// Keeps every saved item as one line of text, its name and its value, so two saves can be compared item by item
// and a difference named.
class ItemLines : public savebytes::WriteOnlyStream
{
public:
    std::vector<std::string> lines;

    void BeginSave() override { lines.emplace_back("--"); }
    void WriteUShort(const char* n, uint16_t v) override { Line(n, std::to_string(v)); }
    void WriteUInt(const char* n, uint32_t v) override { Line(n, std::to_string(v)); }
    void WriteUIntArray(const char* n, const uint32_t* v, int32_t c) override { Many(n, v, c); }
    void WriteByteArray(const char* n, const uint8_t* v, int32_t c) override { Many(n, v, c); }
    void WriteByte(const char* n, uint8_t v) override { Line(n, std::to_string(v)); }
    void WriteWideString(const char* n, const char16_t* t) override
    {
        std::string text;
        for (; t && *t; ++t)
            text += static_cast<char>(*t);
        Line(n, text);
    }
    void WriteIntArray(const char* n, const int32_t* v, int32_t c) override { Many(n, v, c); }
    void WriteInt(const char* n, int32_t v) override { Line(n, std::to_string(v)); }
    void WriteShort(const char* n, int16_t v) override { Line(n, std::to_string(v)); }
    void WriteFloat(const char* n, float v) override
    {
        char text[48];
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
        Line(n, text);
    }
    void WriteBool(const char* n, bool v) override { Line(n, v ? "true" : "false"); }
    void WriteString(const char* n, const char* t) override { Line(n, t ? t : ""); }
    void WriteHeader(const char* t) override { Line("header", t); }

private:
    void Line(const char* name, const std::string& value) { lines.push_back(std::string(name) + " = " + value); }
    template <typename T> void Many(const char* name, const T* values, int32_t count)
    {
        std::string text;
        for (int32_t i = 0; i < count; ++i)
            text += (i ? " " : "") + std::to_string(values[i]);
        Line(name, text);
    }
};

using Bytes = std::vector<uint8_t>;

// Item encodings written out from the stream's format, independent of the code under test.
inline void Put(Bytes& b, std::initializer_list<uint8_t> bytes)
{
    b.insert(b.end(), bytes);
}
inline void U32(Bytes& b, uint32_t v)
{
    Put(b, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
inline void Tagged(Bytes& b, uint8_t tag, uint32_t v)
{
    b.push_back(tag);
    U32(b, v);
}
inline void F32(Bytes& b, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    Tagged(b, 3, v);
}
inline void Text(Bytes& b, uint8_t tag, const std::string& s)
{
    Tagged(b, tag, uint32_t(s.size()));
    b.insert(b.end(), s.begin(), s.end());
}

constexpr size_t kStreamBanner = 25; // tag 0, length 20, "Binary Serial Stream"

inline Bytes Saved(const std::function<void(SerialStream&)>& write)
{
    static testsupport::TempDir dir;
    const std::string file = dir.File("s.sav");
    {
        BinarySerialStream out(true, file.c_str());
        write(out);
        EXPECT_TRUE(out.Close());
    }
    Bytes bytes = testsupport::ReadBytes(file);
    return Bytes(bytes.begin() + kStreamBanner, bytes.end());
}

// Runs `read` on a file holding the stream banner and these bytes.
inline bool LoadFrom(const Bytes& body, const std::function<bool(SerialStream&)>& read)
{
    static testsupport::TempDir dir;
    const std::string file = dir.File("l.sav");
    Bytes bytes;
    Text(bytes, 0, "Binary Serial Stream");
    bytes.insert(bytes.end(), body.begin(), body.end());
    testsupport::WriteBytes(file, bytes);
    BinarySerialStream in(false, file.c_str());
    return read(in);
}

// Whether two item lines hold the same: the same text, or the same name and numbers that differ only in the last
// places of a float, by at most `tolerance` and a millionth of their size (the clock's fraction of a second after a
// load is a float's, not the running park's); whole numbers must be equal.
inline bool ItemsAlike(const std::string& a, const std::string& b, double tolerance = 1e-5)
{
    if (a == b)
        return true;
    const size_t split = a.find(" = ");
    if (split == std::string::npos || a.compare(0, split, b, 0, split) != 0)
        return false;
    std::istringstream ra(a.substr(split + 3)), rb(b.substr(split + 3));
    std::string ta, tb;
    while (ra >> ta)
    {
        if (!(rb >> tb))
            return false;
        char* enda = nullptr;
        char* endb = nullptr;
        const double va = std::strtod(ta.c_str(), &enda);
        const double vb = std::strtod(tb.c_str(), &endb);
        if (*enda || *endb ||
            (ta.find_first_of(".e") == std::string::npos && tb.find_first_of(".e") == std::string::npos))
        {
            if (ta != tb)
                return false;
            continue;
        }
        if (std::fabs(va - vb) > tolerance + 1e-6 * std::fabs(va))
            return false;
    }
    return !(rb >> tb);
}

// The items that differ between two saves, each with the object or record it belongs to; empty when alike.
inline std::string ItemDifferences(const std::vector<std::string>& a, const std::vector<std::string>& b,
                                   double tolerance = 1e-5, size_t most = 12)
{
    std::ostringstream out;
    if (a.size() != b.size())
        out << "item counts " << a.size() << " and " << b.size() << "\n";
    std::string owner;
    size_t shown = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()) && shown < most; ++i)
    {
        if (a[i].rfind("Object Name", 0) == 0 || a[i].rfind("header", 0) == 0)
            owner = a[i];
        if (!ItemsAlike(a[i], b[i], tolerance))
        {
            out << "item " << i << " (" << owner << "): " << a[i] << " | " << b[i] << "\n";
            ++shown;
        }
    }
    return out.str();
}

} // namespace savebytes
