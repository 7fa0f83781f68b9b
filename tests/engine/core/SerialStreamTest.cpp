// Tests of the typed save stream: the exact bytes of every item, round trips, and loads of mismatched,
// truncated, oversized and missing files.
#include "engine/core/SerialStream.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
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

class SerialStreamFileTest : public ::testing::Test
{
protected:
    std::string Path() const { return m_dir.File("save.sav"); }

    // The bytes the writes produce after the stream banner.
    Bytes Written(const std::function<void(SerialStream&)>& writes)
    {
        {
            BinarySerialStream out(true, Path().c_str());
            EXPECT_TRUE(out.IsOpen());
            writes(out);
            EXPECT_TRUE(out.Close());
        }
        Bytes all = testsupport::ReadBytes(Path());
        EXPECT_GE(all.size(), kBanner.size());
        EXPECT_TRUE(std::equal(kBanner.begin(), kBanner.end(), all.begin()));
        return Bytes(all.begin() + static_cast<std::ptrdiff_t>(kBanner.size()), all.end());
    }

    // Writes the banner and the given items as a save file for a reading stream.
    void Store(const Bytes& items) { testsupport::WriteBytes(Path(), Cat({kBanner, items})); }

    testsupport::TempDir m_dir;
};

// ---------------------------------------------------------------------------------------------------------------
// The bytes of every item

TEST_F(SerialStreamFileTest, NewFileHoldsOnlyTheStreamBanner)
{
    {
        BinarySerialStream out(true, Path().c_str());
        EXPECT_TRUE(out.Good());
    }
    EXPECT_EQ(testsupport::ReadBytes(Path()), kBanner);
    EXPECT_EQ(kBanner.size(), 25u);
}

TEST_F(SerialStreamFileTest, SingleValuesAreTagThenLittleEndianPayload)
{
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteBool("m_bFlag", true); }), (Bytes{0x02, 0x01}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteBool("m_bFlag", false); }), (Bytes{0x02, 0x00}));
    // 1.0f is 0x3F800000, -2.5f is 0xC0200000.
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteFloat("m_fTime", 1.0f); }), (Bytes{0x03, 0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteFloat("m_fTime", -2.5f); }), (Bytes{0x03, 0x00, 0x00, 0x20, 0xC0}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteShort("s", -2); }), (Bytes{0x04, 0xFE, 0xFF}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteInt("i", 0x01020304); }), (Bytes{0x05, 0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteInt("i", -1); }), (Bytes{0x05, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteByte("b", 0xAB); }), (Bytes{0x08, 0xAB}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteUInt("u", 0x80000000u); }), (Bytes{0x0B, 0x00, 0x00, 0x00, 0x80}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteUShort("w", 0xBEEF); }), (Bytes{0x0C, 0xEF, 0xBE}));
}

TEST_F(SerialStreamFileTest, TextsAreCountedWithoutTerminator)
{
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteString("Name", "abc"); }),
              (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteString("Name", ""); }), (Bytes{0x01, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteString("Name", nullptr); }), (Bytes{0x01, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteHeader("X"); }), (Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 'X'}));
    // Two UTF-16 units, each little-endian; the second is outside 8-bit range.
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteWideString("Name", u"H\u20AC"); }),
              (Bytes{0x07, 0x02, 0x00, 0x00, 0x00, 'H', 0x00, 0xAC, 0x20}));
    EXPECT_EQ(Written([](SerialStream& s) { s.WriteWideString("Name", u""); }), (Bytes{0x07, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(SerialStreamFileTest, ArraysAreCountThenElements)
{
    const int32_t ints[] = {1, -1};
    EXPECT_EQ(Written([&](SerialStream& s) { s.WriteIntArray("ids", ints, 2); }),
              Cat({{0x06}, U32(2), U32(1), U32(0xFFFFFFFFu)}));
    const uint32_t words[] = {0x10};
    EXPECT_EQ(Written([&](SerialStream& s) { s.WriteUIntArray("w", words, 1); }), Cat({{0x0A}, U32(1), U32(0x10)}));
    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(Written([&](SerialStream& s) { s.WriteByteArray("b", bytes, 3); }), Cat({{0x09}, U32(3), {1, 2, 3}}));
    // Float arrays go out as tag-10 words carrying the floats' bits.
    const float floats[] = {1.0f, -2.5f};
    EXPECT_EQ(Written([&](SerialStream& s) { s.WriteArray("f", floats, 2); }),
              Cat({{0x0A}, U32(2), U32(0x3F800000u), U32(0xC0200000u)}));
    EXPECT_EQ(Written([&](SerialStream& s) { s.WriteIntArray("none", ints, -4); }), Cat({{0x06}, U32(0)}));
}

TEST_F(SerialStreamFileTest, ClassHeaderIsBannerThenSignedSize)
{
    // "Class name : Player" is 13 + 6 = 19 characters; the size item is tag 5.
    Bytes expected = Cat({{0x00}, U32(19), Text("Class name : Player"), {0x05}, U32(132)});
    EXPECT_EQ(Written(
                  [](SerialStream& s)
                  {
                      s.BeginSave();
                      s.WriteClassHeader("Player", 132);
                  }),
              expected);
}

// ---------------------------------------------------------------------------------------------------------------
// Round trips

TEST_F(SerialStreamFileTest, EveryTypeRoundTrips)
{
    const uint32_t words[] = {0, 0xFFFFFFFFu, 42};
    const uint8_t bytes[] = {9, 8, 7, 6};
    const int32_t ints[] = {-5, 5};
    const float floats[] = {0.5f, -1e30f, 3.25f};
    {
        BinarySerialStream out(true, Path().c_str());
        out.BeginSave();
        out.WriteClassHeader("World", 2600);
        out.WriteUShort("w", 65535);
        out.WriteUInt("u", 4000000000u);
        out.WriteUIntArray("words", words, 3);
        out.WriteByteArray("bytes", bytes, 4);
        out.WriteByte("b", 200);
        out.WriteWideString("Name", u"Zo\u00EB");
        out.WriteIntArray("ints", ints, 2);
        out.WriteInt("i", -123456789);
        out.WriteShort("s", -32768);
        out.WriteFloat("f", 3.5f);
        out.WriteBool("t", true);
        out.WriteString("str", "hello park");
        out.WriteHeader("Class name : Inner");
        out.WriteArray("floats", floats, 3);
        EXPECT_TRUE(out.Close());
    }

    BinarySerialStream in(false, Path().c_str());
    ASSERT_TRUE(in.IsOpen());
    EXPECT_STREQ(in.GetBanner(), "Binary Serial Stream");
    in.BeginLoad();
    char banner[128];
    int32_t size = 0;
    EXPECT_TRUE(in.ReadClassHeader(banner, sizeof banner, &size));
    EXPECT_STREQ(banner, "Class name : World");
    EXPECT_EQ(size, 2600);
    uint16_t w = 0;
    EXPECT_TRUE(in.ReadUShort(&w));
    EXPECT_EQ(w, 65535);
    uint32_t u = 0;
    EXPECT_TRUE(in.ReadUInt(&u));
    EXPECT_EQ(u, 4000000000u);
    uint32_t wordsIn[3] = {};
    EXPECT_TRUE(in.ReadUIntArray(wordsIn, 3));
    EXPECT_EQ(std::memcmp(wordsIn, words, sizeof words), 0);
    uint8_t bytesIn[4] = {};
    EXPECT_TRUE(in.ReadByteArray(bytesIn, 4));
    EXPECT_EQ(std::memcmp(bytesIn, bytes, sizeof bytes), 0);
    uint8_t b = 0;
    EXPECT_TRUE(in.ReadByte(&b));
    EXPECT_EQ(b, 200);
    char16_t name[64];
    EXPECT_TRUE(in.ReadWideString(name, 64));
    EXPECT_EQ(std::u16string(name), u"Zo\u00EB");
    int32_t intsIn[2] = {};
    EXPECT_TRUE(in.ReadIntArray(intsIn, 2));
    EXPECT_EQ(intsIn[0], -5);
    EXPECT_EQ(intsIn[1], 5);
    int32_t i = 0;
    EXPECT_TRUE(in.ReadInt(&i));
    EXPECT_EQ(i, -123456789);
    int16_t s = 0;
    EXPECT_TRUE(in.ReadShort(&s));
    EXPECT_EQ(s, -32768);
    float f = 0;
    EXPECT_TRUE(in.ReadFloat(&f));
    EXPECT_EQ(f, 3.5f);
    bool t = false;
    EXPECT_TRUE(in.ReadBool(&t));
    EXPECT_TRUE(t);
    char str[32];
    EXPECT_TRUE(in.ReadString(str, sizeof str));
    EXPECT_STREQ(str, "hello park");
    EXPECT_TRUE(in.ReadHeader(banner, sizeof banner));
    EXPECT_STREQ(banner, "Class name : Inner");
    float floatsIn[3] = {};
    EXPECT_TRUE(in.ReadArray(floatsIn, 3));
    EXPECT_EQ(std::memcmp(floatsIn, floats, sizeof floats), 0);
    EXPECT_TRUE(in.Good());
    // Everything was consumed: one more read meets the end of the file.
    EXPECT_FALSE(in.ReadBool(&t));
    EXPECT_TRUE(in.IsFailed());
}

TEST_F(SerialStreamFileTest, LongArraysAndTextsRoundTrip)
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
    {
        BinarySerialStream out(true, Path().c_str());
        out.WriteIntArray("ints", ints.data(), 1000);
        out.WriteByteArray("bytes", bytes.data(), 3000);
        out.WriteWideString("w", wide.c_str());
        out.WriteInt("end", 77);
    }
    // Banner, then 1 + 4 + 4000, 1 + 4 + 3000, 1 + 4 + 1400, 1 + 4 bytes.
    EXPECT_EQ(testsupport::ReadBytes(Path()).size(), 25u + 4005u + 3005u + 1405u + 5u);

    BinarySerialStream in(false, Path().c_str());
    std::vector<int32_t> intsIn(1000);
    std::vector<uint8_t> bytesIn(3000);
    std::vector<char16_t> wideIn(701);
    EXPECT_TRUE(in.ReadIntArray(intsIn.data(), 1000));
    EXPECT_TRUE(in.ReadByteArray(bytesIn.data(), 3000));
    EXPECT_TRUE(in.ReadWideString(wideIn.data(), 701));
    int32_t end = 0;
    EXPECT_TRUE(in.ReadInt(&end));
    EXPECT_EQ(intsIn, ints);
    EXPECT_EQ(bytesIn, bytes);
    EXPECT_EQ(std::u16string(wideIn.data()), wide);
    EXPECT_EQ(end, 77);
}

TEST_F(SerialStreamFileTest, ReadsItemsWrittenByHand)
{
    Store(Cat({
        Item(0x00, {U32(20), Text("Class name : Player2")}), // banner
        Item(0x0B, {U32(132)}),                              // "sizeof" with the unsigned tag
        Item(0x07, {U32(3), {'B', 0, 'o', 0, 'b', 0}}),      // wide name
        Item(0x03, {U32(0x447A0000u)}),                      // 1000.0f
        Item(0x0A, {U32(2), U32(7), U32(0xFFFFFFFEu)}),      // word array read as signed
    }));
    BinarySerialStream in(false, Path().c_str());
    char banner[128];
    int32_t size = 0;
    EXPECT_TRUE(in.ReadClassHeader(banner, sizeof banner, &size));
    EXPECT_STREQ(banner, "Class name : Player2");
    EXPECT_EQ(size, 132);
    char16_t name[64];
    EXPECT_TRUE(in.ReadWideString(name, 64));
    EXPECT_EQ(std::u16string(name), u"Bob");
    float cash = 0;
    EXPECT_TRUE(in.ReadFloat(&cash));
    EXPECT_EQ(cash, 1000.0f);
    int32_t list[2] = {};
    EXPECT_TRUE(in.ReadIntArray(list, 2));
    EXPECT_EQ(list[0], 7);
    EXPECT_EQ(list[1], -2);
    EXPECT_TRUE(in.Good());
}

// ---------------------------------------------------------------------------------------------------------------
// Tags checked on reading

TEST_F(SerialStreamFileTest, SameWidthTagsStandInForEachOther)
{
    Store(Cat({
        Item(0x0B, {U32(0xFFFFFFFFu)}),         // unsigned read as signed
        Item(0x05, {U32(0xFFFFFFFEu)}),         // signed read as unsigned
        Item(0x03, {U32(0x3F800000u)}),         // float read as unsigned
        Item(0x0B, {U32(0x40000000u)}),         // unsigned read as float (2.0f)
        Item(0x0C, {{0xFF, 0xFF}}),             // unsigned 16-bit read as signed
        Item(0x04, {{0xFE, 0xFF}}),             // signed 16-bit read as unsigned
        Item(0x08, {{0x07}}),                   // byte read as bool
        Item(0x02, {{0x01}}),                   // bool read as byte
        Item(0x00, {U32(2), Text("hi")}),       // header read as string
        Item(0x01, {U32(2), Text("yo")}),       // string read as header
        Item(0x06, {U32(1), U32(9)}),           // signed array read as unsigned
        Item(0x0A, {U32(1), U32(0xFFFFFFFFu)}), // unsigned array read as signed
    }));
    BinarySerialStream in(false, Path().c_str());
    int32_t i = 0;
    uint32_t u = 0;
    float f = 0;
    int16_t s = 0;
    uint16_t us = 0;
    bool b = false;
    uint8_t by = 0;
    char text[8];
    EXPECT_TRUE(in.ReadInt(&i));
    EXPECT_EQ(i, -1);
    EXPECT_TRUE(in.ReadUInt(&u));
    EXPECT_EQ(u, 0xFFFFFFFEu);
    EXPECT_TRUE(in.ReadUInt(&u));
    EXPECT_EQ(u, 0x3F800000u);
    EXPECT_TRUE(in.ReadFloat(&f));
    EXPECT_EQ(f, 2.0f);
    EXPECT_TRUE(in.ReadShort(&s));
    EXPECT_EQ(s, -1);
    EXPECT_TRUE(in.ReadUShort(&us));
    EXPECT_EQ(us, 0xFFFE);
    EXPECT_TRUE(in.ReadBool(&b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(in.ReadByte(&by));
    EXPECT_EQ(by, 1);
    EXPECT_TRUE(in.ReadString(text, sizeof text));
    EXPECT_STREQ(text, "hi");
    EXPECT_TRUE(in.ReadHeader(text, sizeof text));
    EXPECT_STREQ(text, "yo");
    uint32_t words[1] = {};
    EXPECT_TRUE(in.ReadUIntArray(words, 1));
    EXPECT_EQ(words[0], 9u);
    int32_t ints[1] = {};
    EXPECT_TRUE(in.ReadIntArray(ints, 1));
    EXPECT_EQ(ints[0], -1);
    EXPECT_TRUE(in.Good());
}

TEST_F(SerialStreamFileTest, TagOfAnotherWidthFailsTheLoad)
{
    // A bool read where a float stands must not take one byte of the float and lose step.
    Store(Cat({{0x03}, U32(0x3F800000u), {0x05}, U32(7)}));
    BinarySerialStream in(false, Path().c_str());
    bool b = true;
    EXPECT_FALSE(in.ReadBool(&b));
    EXPECT_FALSE(b);
    EXPECT_TRUE(in.IsFailed());
    // The stream stays failed: later reads give zero even where the file holds a matching item.
    int32_t i = 99;
    EXPECT_FALSE(in.ReadInt(&i));
    EXPECT_EQ(i, 0);
}

TEST_F(SerialStreamFileTest, EachShapeRejectsTheOthers)
{
    struct Case
    {
        Bytes item;
        std::function<bool(SerialStream&)> read;
    };
    char text[8];
    char16_t wide[8];
    int32_t ints[2];
    uint8_t bytes[2];
    int16_t s;
    int32_t i;
    const Case cases[] = {
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
        Store(cases[k].item);
        BinarySerialStream in(false, Path().c_str());
        ASSERT_TRUE(in.Good()) << k;
        EXPECT_FALSE(cases[k].read(in)) << "case " << k;
        EXPECT_TRUE(in.IsFailed()) << "case " << k;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Capacities and counts that differ from the file

TEST_F(SerialStreamFileTest, LongTextsAreCutAndTheRestSkipped)
{
    {
        BinarySerialStream out(true, Path().c_str());
        out.WriteString("s", "abcdefgh");
        out.WriteInt("after", 1);
        out.WriteHeader("Class name : VeryLongClassName");
        out.WriteInt("after", 2);
        out.WriteWideString("w", u"wxyz0123");
        out.WriteInt("after", 3);
        out.WriteHeader("skipped whole");
        out.WriteInt("after", 4);
        out.WriteString("s", "zero capacity");
        out.WriteInt("after", 5);
    }
    BinarySerialStream in(false, Path().c_str());
    char text[4];
    char16_t wide[3];
    int32_t after = 0;
    EXPECT_TRUE(in.ReadString(text, sizeof text));
    EXPECT_STREQ(text, "abc");
    EXPECT_TRUE(in.ReadInt(&after));
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(in.ReadHeader(text, sizeof text));
    EXPECT_STREQ(text, "Cla");
    EXPECT_TRUE(in.ReadInt(&after));
    EXPECT_EQ(after, 2);
    EXPECT_TRUE(in.ReadWideString(wide, 3));
    EXPECT_EQ(std::u16string(wide), u"wx");
    EXPECT_TRUE(in.ReadInt(&after));
    EXPECT_EQ(after, 3);
    EXPECT_TRUE(in.ReadHeader(nullptr, 0));
    EXPECT_TRUE(in.ReadInt(&after));
    EXPECT_EQ(after, 4);
    text[0] = 'q';
    EXPECT_TRUE(in.ReadString(text, 0));
    EXPECT_EQ(text[0], 'q');
    EXPECT_TRUE(in.ReadInt(&after));
    EXPECT_EQ(after, 5);
    EXPECT_TRUE(in.Good());
}

TEST_F(SerialStreamFileTest, ArrayCountsThatDifferKeepTheStreamInStep)
{
    const int32_t five[] = {1, 2, 3, 4, 5};
    const uint8_t two[] = {7, 8};
    {
        BinarySerialStream out(true, Path().c_str());
        out.WriteIntArray("a", five, 5);
        out.WriteInt("after", 10);
        out.WriteIntArray("a", five, 5);
        out.WriteInt("after", 11);
        out.WriteByteArray("b", two, 2);
        out.WriteInt("after", 12);
        out.WriteIntArray("a", five, 5);
        out.WriteInt("after", 13);
    }
    BinarySerialStream in(false, Path().c_str());
    int32_t after = 0;

    // Same count: the stream ends just after the array.
    int32_t same[5] = {};
    EXPECT_TRUE(in.ReadIntArray(same, 5));
    EXPECT_EQ(same[4], 5);
    EXPECT_TRUE(in.ReadInt(&after));
    EXPECT_EQ(after, 10);

    // Fewer wanted than stored: the first three, the last two skipped.
    int32_t fewer[3] = {};
    EXPECT_TRUE(in.ReadIntArray(fewer, 3));
    EXPECT_EQ(fewer[0], 1);
    EXPECT_EQ(fewer[2], 3);
    EXPECT_TRUE(in.ReadInt(&after));
    EXPECT_EQ(after, 11);

    // More wanted than stored: the stored two, zeros after them.
    uint8_t more[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_TRUE(in.ReadByteArray(more, 4));
    EXPECT_EQ(more[0], 7);
    EXPECT_EQ(more[1], 8);
    EXPECT_EQ(more[2], 0);
    EXPECT_EQ(more[3], 0);
    EXPECT_TRUE(in.ReadInt(&after));
    EXPECT_EQ(after, 12);

    // A null destination skips the array.
    EXPECT_TRUE(in.ReadIntArray(nullptr, 5));
    EXPECT_TRUE(in.ReadInt(&after));
    EXPECT_EQ(after, 13);
    EXPECT_TRUE(in.Good());
}

// ---------------------------------------------------------------------------------------------------------------
// Damaged and missing files

TEST_F(SerialStreamFileTest, TruncatedFileFailsCleanly)
{
    // An int cut after two of its four bytes.
    Store({0x02, 0x01, 0x05, 0x10, 0x20});
    {
        BinarySerialStream in(false, Path().c_str());
        bool b = false;
        EXPECT_TRUE(in.ReadBool(&b));
        int32_t i = 5;
        EXPECT_FALSE(in.ReadInt(&i));
        EXPECT_EQ(i, 0);
        EXPECT_TRUE(in.IsFailed());
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
        for (int32_t v : list)
            EXPECT_EQ(v, 0);
    }
    // A file with no banner at all.
    testsupport::WriteBytes(Path(), {});
    {
        BinarySerialStream in(false, Path().c_str());
        EXPECT_TRUE(in.IsOpen());
        EXPECT_TRUE(in.IsFailed());
        EXPECT_STREQ(in.GetBanner(), "");
    }
}

TEST_F(SerialStreamFileTest, MissingFileOrFolderLeavesAClosedFailedStream)
{
    BinarySerialStream in(false, m_dir.File("nosuch.sav").c_str());
    EXPECT_FALSE(in.IsOpen());
    EXPECT_TRUE(in.IsFailed());
    float f = 4;
    EXPECT_FALSE(in.ReadFloat(&f));
    EXPECT_EQ(f, 0.0f);
    char text[8] = "keep";
    EXPECT_FALSE(in.ReadString(text, sizeof text));
    EXPECT_STREQ(text, "");

    std::string unreachable = m_dir.File("nofolder/slot1.sav");
    {
        BinarySerialStream out(true, unreachable.c_str());
        EXPECT_FALSE(out.IsOpen());
        EXPECT_TRUE(out.IsFailed());
        out.WriteInt("i", 1);
        EXPECT_FALSE(out.Close());
    }
    EXPECT_FALSE(std::filesystem::exists(unreachable));
}

TEST_F(SerialStreamFileTest, WriteFailureIsReportedToTheSaver)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full to stand for a full disk";
    BinarySerialStream out(true, "/dev/full");
    ASSERT_TRUE(out.IsOpen());
    std::vector<uint8_t> block(64 * 1024, 1);
    out.WriteByteArray("block", block.data(), static_cast<int32_t>(block.size()));
    EXPECT_FALSE(out.Close());
    EXPECT_TRUE(out.IsFailed());
}

TEST_F(SerialStreamFileTest, ReadingAndWritingAreNotMixed)
{
    BinarySerialStream out(true, Path().c_str());
    int32_t i = 3;
    EXPECT_FALSE(out.ReadInt(&i));
    EXPECT_EQ(i, 0);
    EXPECT_TRUE(out.IsFailed());
}

} // namespace
