// Tests of the typed save stream: the exact bytes of every item, round trips, and loads of mismatched,
// truncated, oversized and missing files.
#include "engine/core/SerialStream.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

// Little-endian encodings, written out from the format rules so the expected files do not depend on the stream.
Bytes U32(uint32_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// One item: its tag byte, then the payload pieces in order.
Bytes Item(uint8_t tag, std::initializer_list<Bytes> payload)
{
    Bytes out{tag};
    for (const Bytes& p : payload)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Tag 0, length 20, the stream's name: the 25 bytes every save file opens with.
const Bytes kBanner = Cat({{0x00, 0x14, 0x00, 0x00, 0x00}, Text("Binary Serial Stream")});

void ExpectInt(SerialStream& in, int32_t expected)
{
    int32_t value = -999;
    EXPECT_TRUE(in.ReadInt(&value));
    EXPECT_EQ(value, expected);
}

class SerialStreamFileTest : public ::testing::Test
{
protected:
    std::string Path() const { return m_dir.File("save.sav"); }

    // Writes a save file with the given writes after the stream banner.
    void Write(const std::function<void(SerialStream&)>& writes)
    {
        BinarySerialStream out(true, Path().c_str());
        EXPECT_TRUE(out.IsOpen());
        writes(out);
        EXPECT_TRUE(out.Close());
    }

    // Writes the banner and the given items as a save file for a reading stream.
    void Store(const Bytes& items) { testsupport::WriteBytes(Path(), Cat({kBanner, items})); }

    testsupport::TempDir m_dir;
};

// Each item, written out from the format rules; the file opens with the stream banner.
TEST_F(SerialStreamFileTest, EveryItemIsTagThenLittleEndianPayload)
{
    const int32_t ints[] = {1, -1};
    const uint32_t words[] = {0x10};
    const uint8_t bytes[] = {1, 2, 3};
    const float floats[] = {1.0f, -2.5f}; // bits 0x3F800000 and 0xC0200000
    Write(
        [&](SerialStream& s)
        {
            s.BeginSave();
            s.WriteClassHeader("Player", 132);
            s.WriteBool("m_bFlag", true);
            s.WriteFloat("m_fTime", -2.5f);
            s.WriteShort("s", -2);
            s.WriteInt("i", 0x01020304);
            s.WriteByte("b", 0xAB);
            s.WriteUInt("u", 0x80000000u);
            s.WriteUShort("w", 0xBEEF);
            s.WriteString("Name", "abc");
            s.WriteString("Name", "");
            s.WriteString("Name", nullptr);
            s.WriteWideString("N", u"H\u20AC");
            s.WriteIntArray("a", ints, 2);
            s.WriteIntArray("a", ints, -4);
            s.WriteUIntArray("w", words, 1);
            s.WriteByteArray("b", bytes, 3);
            s.WriteArray("f", floats, 2);
        });
    const Bytes expected = Cat({
        kBanner,
        Item(0x00, {U32(19), Text("Class name : Player")}), // 13 + 6 characters
        Item(0x05, {U32(132)}),                             // the signed size
        Item(0x02, {{0x01}}),
        Item(0x03, {{0x00, 0x00, 0x20, 0xC0}}),
        Item(0x04, {{0xFE, 0xFF}}),
        Item(0x05, {{0x04, 0x03, 0x02, 0x01}}),
        Item(0x08, {{0xAB}}),
        Item(0x0B, {{0x00, 0x00, 0x00, 0x80}}),
        Item(0x0C, {{0xEF, 0xBE}}),
        Item(0x01, {U32(3), Text("abc")}),
        Item(0x01, {U32(0)}),
        Item(0x01, {U32(0)}),
        Item(0x07, {U32(2), {'H', 0, 0xAC, 0x20}}), // two UTF-16 units, the second outside 8-bit range
        Item(0x06, {U32(2), U32(1), U32(0xFFFFFFFFu)}),
        Item(0x06, {U32(0)}), // a negative count writes none
        Item(0x0A, {U32(1), U32(0x10)}),
        Item(0x09, {U32(3), {1, 2, 3}}),
        Item(0x0A, {U32(2), U32(0x3F800000u), U32(0xC0200000u)}), // float arrays travel as words
    });
    EXPECT_EQ(testsupport::ReadBytes(Path()), expected);
}

// Arrays and texts longer than any internal chunk, a class record and float bits survive a round trip.
TEST_F(SerialStreamFileTest, LongArraysTextsAndRecordsRoundTrip)
{
    std::vector<int32_t> ints(1000);
    std::vector<uint8_t> bytes(3000);
    std::u16string wide(700, u'\0');
    for (size_t k = 0; k < ints.size(); ++k)
        ints[k] = static_cast<int32_t>(k * 7919) - 100000;
    for (size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<uint8_t>(k * 31);
    for (size_t k = 0; k < wide.size(); ++k)
        wide[k] = static_cast<char16_t>(0x100 + k);
    const float floats[] = {0.5f, -1e30f, 3.25f};
    Write(
        [&](SerialStream& out)
        {
            out.WriteClassHeader("World", 2600);
            out.WriteIntArray("ints", ints.data(), 1000);
            out.WriteByteArray("bytes", bytes.data(), 3000);
            out.WriteWideString("w", wide.c_str());
            out.WriteArray("floats", floats, 3);
            out.WriteString("str", "hello park");
        });
    // Banner, class header 23 + 5, then 1 + 4 + 4000, 1 + 4 + 3000, 1 + 4 + 1400, 1 + 4 + 12, 1 + 4 + 10 bytes.
    EXPECT_EQ(testsupport::ReadBytes(Path()).size(), 25u + 28u + 4005u + 3005u + 1405u + 17u + 15u);

    BinarySerialStream in(false, Path().c_str());
    EXPECT_STREQ(in.GetBanner(), "Binary Serial Stream");
    in.BeginLoad();
    char banner[128];
    char str[32];
    int32_t size = 0;
    std::vector<int32_t> intsIn(1000);
    std::vector<uint8_t> bytesIn(3000);
    std::vector<char16_t> wideIn(701);
    float floatsIn[3] = {};
    EXPECT_TRUE(in.ReadClassHeader(banner, sizeof banner, &size) && in.ReadIntArray(intsIn.data(), 1000) &&
                in.ReadByteArray(bytesIn.data(), 3000) && in.ReadWideString(wideIn.data(), 701) &&
                in.ReadArray(floatsIn, 3) && in.ReadString(str, sizeof str));
    EXPECT_EQ(std::tuple(std::string(banner), size, std::string(str)),
              std::tuple("Class name : World", 2600, "hello park"));
    EXPECT_TRUE(intsIn == ints && bytesIn == bytes && std::u16string(wideIn.data()) == wide);
    EXPECT_EQ(std::memcmp(floatsIn, floats, sizeof floats), 0);
    // Everything was consumed: one more read meets the end of the file.
    bool b = true;
    EXPECT_FALSE(in.ReadBool(&b));
}

// Files written by the original mix the tags of one payload width freely (an unsigned "sizeof", for example).
TEST_F(SerialStreamFileTest, SameWidthTagsStandInForEachOther)
{
    Store(Cat({
        Item(0x00, {U32(20), Text("Class name : Player2")}), // a class banner
        Item(0x0B, {U32(132)}),                              // "sizeof" with the unsigned tag
        Item(0x0B, {U32(0xFFFFFFFFu)}),                      // unsigned read as signed
        Item(0x03, {U32(0x3F800000u)}),                      // float read as unsigned
        Item(0x0B, {U32(0x40000000u)}),                      // unsigned read as float (2.0f)
        Item(0x0C, {{0xFF, 0xFF}}),                          // unsigned 16-bit read as signed
        Item(0x08, {{0x07}}),                                // byte read as bool
        Item(0x00, {U32(2), Text("hi")}),                    // header read as string
        Item(0x0A, {U32(2), U32(7), U32(0xFFFFFFFEu)}),      // unsigned array read as signed
    }));
    BinarySerialStream in(false, Path().c_str());
    char banner[128];
    char text[8];
    int32_t size = 0, i = 0, list[2] = {};
    uint32_t u = 0;
    float f = 0;
    int16_t s = 0;
    bool b = false;
    EXPECT_TRUE(in.ReadClassHeader(banner, sizeof banner, &size) && in.ReadInt(&i) && in.ReadUInt(&u) &&
                in.ReadFloat(&f) && in.ReadShort(&s) && in.ReadBool(&b) && in.ReadString(text, sizeof text) &&
                in.ReadIntArray(list, 2));
    EXPECT_EQ(std::tuple(std::string(banner), size, i, u, f, s, b, std::string(text), list[0], list[1]),
              std::tuple("Class name : Player2", 132, -1, 0x3F800000u, 2.0f, int16_t(-1), true, "hi", 7, -2));
}

TEST_F(SerialStreamFileTest, TagOfAnotherShapeFailsTheLoadForGood)
{
    // A bool read where a float stands must not take one byte of the float and lose step; the stream then stays
    // failed, so later reads give zero even where the file holds a matching item.
    Store(Cat({{0x03}, U32(0x3F800000u), {0x05}, U32(7)}));
    {
        BinarySerialStream in(false, Path().c_str());
        bool b = true;
        int32_t i = 99;
        EXPECT_FALSE(in.ReadBool(&b));
        EXPECT_FALSE(in.ReadInt(&i));
        EXPECT_TRUE(!b && i == 0 && in.IsFailed());
    }
    char text[8];
    char16_t wide[8];
    int32_t ints[2];
    uint8_t bytes[2];
    int16_t s;
    int32_t i;
    const std::pair<Bytes, std::function<bool(SerialStream&)>> cases[] = {
        {Cat({{0x07}, U32(0)}), [&](SerialStream& in) { return in.ReadString(text, 8); }},
        {Cat({{0x01}, U32(0)}), [&](SerialStream& in) { return in.ReadWideString(wide, 8); }},
        {Cat({{0x09}, U32(0)}), [&](SerialStream& in) { return in.ReadIntArray(ints, 2); }},
        {Cat({{0x06}, U32(0)}), [&](SerialStream& in) { return in.ReadByteArray(bytes, 2); }},
        {{0x05, 0, 0, 0, 0}, [&](SerialStream& in) { return in.ReadShort(&s); }},
        {{0x04, 0, 0}, [&](SerialStream& in) { return in.ReadInt(&i); }},
        {Cat({{0x0A}, U32(0)}), [&](SerialStream& in) { return in.ReadInt(&i); }},
        // Tags beyond the table are never valid.
        {{0x0D, 0, 0, 0, 0}, [&](SerialStream& in) { return in.ReadInt(&i); }},
        {{0xFF, 0}, [&](SerialStream& in) { return in.ReadByte(bytes); }},
    };
    for (size_t k = 0; k < std::size(cases); ++k)
    {
        SCOPED_TRACE(k);
        Store(cases[k].first);
        BinarySerialStream in(false, Path().c_str());
        ASSERT_TRUE(in.Good());
        EXPECT_FALSE(cases[k].second(in));
        EXPECT_TRUE(in.IsFailed());
    }
}

// Texts are cut to the reader's capacity and arrays filled to the reader's count; the rest of the item is
// skipped, so the next item still reads right.
TEST_F(SerialStreamFileTest, CapacitiesAndCountsThatDifferKeepTheStreamInStep)
{
    const int32_t five[] = {1, 2, 3, 4, 5};
    const uint8_t two[] = {7, 8};
    Write(
        [&](SerialStream& out)
        {
            out.WriteString("s", "abcdefgh");
            out.WriteInt("after", 1);
            out.WriteWideString("w", u"wxyz0123");
            out.WriteInt("after", 2);
            out.WriteHeader("skipped whole");
            out.WriteInt("after", 3);
            out.WriteString("s", "zero capacity");
            out.WriteInt("after", 4);
            for (int32_t k = 5; k < 8; ++k)
            {
                out.WriteIntArray("a", five, 5);
                out.WriteInt("after", k);
            }
            out.WriteByteArray("b", two, 2);
            out.WriteInt("after", 8);
        });
    BinarySerialStream in(false, Path().c_str());
    char text[4];
    char16_t wide[3];
    EXPECT_TRUE(in.ReadString(text, sizeof text));
    EXPECT_STREQ(text, "abc");
    ExpectInt(in, 1);
    EXPECT_TRUE(in.ReadWideString(wide, 3));
    EXPECT_EQ(std::u16string(wide), u"wx");
    ExpectInt(in, 2);
    EXPECT_TRUE(in.ReadHeader(nullptr, 0));
    ExpectInt(in, 3);
    text[0] = 'q';
    EXPECT_TRUE(in.ReadString(text, 0));
    EXPECT_EQ(text[0], 'q');
    ExpectInt(in, 4);

    int32_t same[5] = {};
    EXPECT_TRUE(in.ReadIntArray(same, 5));
    EXPECT_EQ(same[4], 5);
    ExpectInt(in, 5);
    int32_t fewer[3] = {};
    EXPECT_TRUE(in.ReadIntArray(fewer, 3));
    EXPECT_EQ(fewer[2], 3);
    ExpectInt(in, 6);
    EXPECT_TRUE(in.ReadIntArray(nullptr, 5));
    ExpectInt(in, 7);
    uint8_t more[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_TRUE(in.ReadByteArray(more, 4));
    EXPECT_EQ(std::memcmp(more, "\x07\x08\0\0", 4), 0);
    ExpectInt(in, 8);
}

TEST_F(SerialStreamFileTest, TruncatedFilesFailCleanly)
{
    // An int cut after two of its four bytes.
    Store({0x02, 0x01, 0x05, 0x10, 0x20});
    {
        BinarySerialStream in(false, Path().c_str());
        bool b = false;
        int32_t i = 5;
        EXPECT_TRUE(in.ReadBool(&b));
        EXPECT_FALSE(in.ReadInt(&i));
        EXPECT_EQ(i, 0);
    }
    // A string whose length runs past the end, and an array whose count does.
    Store(Cat({{0x01}, U32(0xFFFFFFF0u), Text("abc")}));
    {
        BinarySerialStream in(false, Path().c_str());
        char text[128];
        std::memset(text, 'x', sizeof text);
        EXPECT_FALSE(in.ReadString(text, sizeof text));
        EXPECT_STREQ(text, "");
    }
    Store(Cat({{0x06}, U32(1000000), U32(1), U32(2)}));
    {
        BinarySerialStream in(false, Path().c_str());
        int32_t list[4] = {9, 9, 9, 9};
        EXPECT_FALSE(in.ReadIntArray(list, 4));
        EXPECT_EQ(std::count(list, list + 4, 0), 4);
    }
    // A file with no banner at all.
    testsupport::WriteBytes(Path(), {});
    BinarySerialStream in(false, Path().c_str());
    EXPECT_TRUE(in.IsOpen() && in.IsFailed());
    EXPECT_STREQ(in.GetBanner(), "");
}

TEST_F(SerialStreamFileTest, MissingUnwritableFullOrMisusedStreamsFail)
{
    BinarySerialStream in(false, m_dir.File("nosuch.sav").c_str());
    EXPECT_TRUE(!in.IsOpen() && in.IsFailed());
    float f = 4;
    EXPECT_FALSE(in.ReadFloat(&f));
    EXPECT_EQ(f, 0.0f);
    char text[8] = "keep";
    EXPECT_FALSE(in.ReadString(text, sizeof text));
    EXPECT_STREQ(text, "");

    std::string unreachable = m_dir.File("nofolder/slot1.sav");
    {
        BinarySerialStream out(true, unreachable.c_str());
        EXPECT_TRUE(!out.IsOpen() && out.IsFailed());
        out.WriteInt("i", 1);
        EXPECT_FALSE(out.Close());
    }
    EXPECT_FALSE(std::filesystem::exists(unreachable));

    // Reading from a stream opened for writing; a full disk.
    BinarySerialStream out(true, Path().c_str());
    int32_t i = 3;
    EXPECT_FALSE(out.ReadInt(&i));
    EXPECT_TRUE(i == 0 && out.IsFailed());
    if (!std::filesystem::exists("/dev/full"))
        return;
    BinarySerialStream full(true, "/dev/full");
    std::vector<uint8_t> block(64 * 1024, 1);
    full.WriteByteArray("block", block.data(), static_cast<int32_t>(block.size()));
    EXPECT_FALSE(full.Close());
}

} // namespace
