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
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
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
    return Cat({{tag}, Cat(payload)});
}

// Tag 0, length 20, the stream's name: the 25 bytes every save file opens with.
const Bytes kBanner = Item(0x00, {U32(20), Text("Binary Serial Stream")});

class SerialStreamFileTest : public ::testing::Test
{
protected:
    std::string Path() const { return m_dir.File("save.sav"); }

    // Writes a save file with the given writes after the stream banner.
    void Write(const std::function<void(SerialStream&)>& writes)
    {
        BinarySerialStream out(true, Path().c_str());
        writes(out);
        EXPECT_TRUE(out.Close());
    }

    // Writes the banner and the given items as a save file for a reading stream.
    void Store(std::initializer_list<Bytes> items) { testsupport::WriteBytes(Path(), Cat({kBanner, Cat(items)})); }

    void ExpectInt(SerialStream& in, int32_t expected)
    {
        int32_t value = -999;
        EXPECT_TRUE(in.ReadInt(&value));
        EXPECT_EQ(value, expected);
    }

    testsupport::TempDir m_dir;
};

// A reading stream gives its file back when it is closed: reading a save many times leaves no file open.
TEST_F(SerialStreamFileTest, AClosedReadingStreamLeavesNoFileOpen)
{
    Write([](SerialStream& out) { out.WriteInt("i", 7); });
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator{});
    };
    const auto before = openFiles();
    for (int i = 0; i < 64; ++i)
    {
        BinarySerialStream in(false, Path().c_str());
        ExpectInt(in, 7);
        EXPECT_TRUE(in.Close());
    }
    EXPECT_EQ(openFiles(), before);
}

TEST_F(SerialStreamFileTest, EveryItemIsTagThenLittleEndianPayload)
{
    const int32_t ints[] = {1, -1};
    const uint32_t words[] = {0x10};
    const uint8_t bytes[] = {1, 2, 3};
    const float floats[] = {1.0f, -2.5f}; // bits 0x3F800000 and 0xC0200000
    using Writer = std::function<void(SerialStream&)>;
    const std::pair<Writer, Bytes> items[] = {
        // The class record: its banner (13 + 6 characters), then the signed size.
        {[](SerialStream& s) { s.WriteClassHeader("Player", 132); },
         Cat({Item(0x00, {U32(19), Text("Class name : Player")}), Item(0x05, {U32(132)})})},
        {[](SerialStream& s) { s.WriteBool("m_bFlag", true); }, Item(0x02, {{0x01}})},
        {[](SerialStream& s) { s.WriteFloat("m_fTime", -2.5f); }, Item(0x03, {{0x00, 0x00, 0x20, 0xC0}})},
        {[](SerialStream& s) { s.WriteShort("s", -2); }, Item(0x04, {{0xFE, 0xFF}})},
        {[](SerialStream& s) { s.WriteInt("i", 0x01020304); }, Item(0x05, {{0x04, 0x03, 0x02, 0x01}})},
        {[](SerialStream& s) { s.WriteByte("b", 0xAB); }, Item(0x08, {{0xAB}})},
        {[](SerialStream& s) { s.WriteUInt("u", 0x80000000u); }, Item(0x0B, {{0x00, 0x00, 0x00, 0x80}})},
        {[](SerialStream& s) { s.WriteUShort("w", 0xBEEF); }, Item(0x0C, {{0xEF, 0xBE}})},
        {[](SerialStream& s) { s.WriteString("Name", "abc"); }, Item(0x01, {U32(3), Text("abc")})},
        {[](SerialStream& s) { s.WriteString("Name", nullptr); }, Item(0x01, {U32(0)})},
        // Two UTF-16 units, the second outside 8-bit range.
        {[](SerialStream& s) { s.WriteWideString("N", u"H\u20AC"); }, Item(0x07, {U32(2), {'H', 0, 0xAC, 0x20}})},
        {[&](SerialStream& s) { s.WriteIntArray("a", ints, 2); }, Item(0x06, {U32(2), U32(1), U32(0xFFFFFFFFu)})},
        {[&](SerialStream& s) { s.WriteIntArray("a", ints, -4); }, Item(0x06, {U32(0)})}, // a negative count: none
        {[&](SerialStream& s) { s.WriteUIntArray("w", words, 1); }, Item(0x0A, {U32(1), U32(0x10)})},
        {[&](SerialStream& s) { s.WriteByteArray("b", bytes, 3); }, Item(0x09, {U32(3), {1, 2, 3}})},
        // Float arrays travel as words.
        {[&](SerialStream& s) { s.WriteArray("f", floats, 2); },
         Item(0x0A, {U32(2), U32(0x3F800000u), U32(0xC0200000u)})},
    };
    Bytes expected = kBanner;
    Write(
        [&](SerialStream& s)
        {
            s.BeginSave();
            for (const auto& [write, encoded] : items)
            {
                write(s);
                expected.insert(expected.end(), encoded.begin(), encoded.end());
            }
        });
    EXPECT_EQ(testsupport::ReadBytes(Path()), expected);
}

// Arrays and texts longer than any internal chunk and a class record survive a round trip.
TEST_F(SerialStreamFileTest, LongArraysTextsAndRecordsRoundTrip)
{
    std::vector<int32_t> ints(1000);
    std::vector<uint8_t> bytes(3000);
    std::u16string wide(700, u'\0');
    for (size_t k = 0; k < bytes.size(); ++k)
    {
        bytes[k] = uint8_t(k * 31);
        if (k < ints.size())
            ints[k] = int32_t(k * 7919) - 100000;
        if (k < wide.size())
            wide[k] = char16_t(0x100 + k);
    }
    Write(
        [&](SerialStream& out)
        {
            out.WriteClassHeader("World", 2600);
            out.WriteIntArray("ints", ints.data(), 1000);
            out.WriteByteArray("bytes", bytes.data(), 3000);
            out.WriteWideString("w", wide.c_str());
        });
    BinarySerialStream in(false, Path().c_str());
    EXPECT_STREQ(in.GetBanner(), "Binary Serial Stream");
    char banner[128];
    int32_t size = 0;
    std::vector<int32_t> intsIn(1000);
    std::vector<uint8_t> bytesIn(3000);
    std::vector<char16_t> wideIn(701);
    EXPECT_TRUE(in.ReadClassHeader(banner, sizeof banner, &size) && in.ReadIntArray(intsIn.data(), 1000) &&
                in.ReadByteArray(bytesIn.data(), 3000) && in.ReadWideString(wideIn.data(), 701));
    EXPECT_EQ(std::tuple(std::string(banner), size), std::tuple("Class name : World", 2600));
    EXPECT_TRUE(intsIn == ints && bytesIn == bytes && std::u16string(wideIn.data()) == wide);
    bool b = true;
    EXPECT_FALSE(in.ReadBool(&b)); // everything was consumed
}

// An array written without values is that many zeros, longer than one chunk of the writer or not; what follows it
// is read in step and the file holds nothing more.
TEST_F(SerialStreamFileTest, ArraysWrittenWithoutValuesAreZeros)
{
    for (int32_t count : {1, 256, 700})
    {
        Write(
            [&](SerialStream& out)
            {
                out.WriteByteArray("bytes", nullptr, count);
                out.WriteInt("after", 1);
                out.WriteIntArray("ints", nullptr, count);
                out.WriteInt("after", 2);
            });
        BinarySerialStream in(false, Path().c_str());
        std::vector<uint8_t> bytes(count, 0xEE);
        std::vector<int32_t> ints(count, -1);
        EXPECT_TRUE(in.ReadByteArray(bytes.data(), count)) << count;
        ExpectInt(in, 1);
        EXPECT_TRUE(in.ReadIntArray(ints.data(), count)) << count;
        ExpectInt(in, 2);
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), count);
        EXPECT_EQ(std::count(ints.begin(), ints.end(), 0), count);
        bool b = true;
        EXPECT_FALSE(in.ReadBool(&b)) << count; // nothing after the last value
    }
}

// Files written by the original mix the tags of one payload width freely (an unsigned "sizeof", for example).
TEST_F(SerialStreamFileTest, SameWidthTagsStandInForEachOther)
{
    Store({
        Item(0x00, {U32(20), Text("Class name : Player2")}), // a class banner
        Item(0x0B, {U32(132)}),                              // "sizeof" with the unsigned tag
        Item(0x03, {U32(0x3F800000u)}),                      // float read as unsigned
        Item(0x0C, {{0xFF, 0xFF}}),                          // unsigned 16-bit read as signed
        Item(0x08, {{0x07}}),                                // byte read as bool
        Item(0x00, {U32(2), Text("hi")}),                    // header read as string
        Item(0x0A, {U32(2), U32(7), U32(0xFFFFFFFEu)}),      // unsigned array read as signed
    });
    BinarySerialStream in(false, Path().c_str());
    char banner[128], text[8];
    int32_t size = 0, list[2] = {};
    uint32_t u = 0;
    int16_t s = 0;
    bool b = false;
    EXPECT_TRUE(in.ReadClassHeader(banner, sizeof banner, &size) && in.ReadUInt(&u) && in.ReadShort(&s) &&
                in.ReadBool(&b) && in.ReadString(text, sizeof text) && in.ReadIntArray(list, 2));
    EXPECT_EQ(std::tuple(std::string(banner), size, u, s, b, std::string(text), list[0], list[1]),
              std::tuple("Class name : Player2", 132, 0x3F800000u, int16_t(-1), true, "hi", 7, -2));
}

TEST_F(SerialStreamFileTest, TagOfAnotherShapeFailsTheLoadForGood)
{
    // A bool read where a float stands must not take one byte of the float and lose step; the stream then stays
    // failed, so later reads give zero even where the file holds a matching item.
    Store({{0x03}, U32(0x3F800000u), {0x05}, U32(7)});
    {
        BinarySerialStream in(false, Path().c_str());
        bool b = true;
        int32_t i = 99;
        EXPECT_FALSE(in.ReadBool(&b));
        EXPECT_FALSE(in.ReadInt(&i));
        EXPECT_TRUE(!b && i == 0 && in.IsFailed());
    }
    char text[8];
    int32_t ints[2];
    int16_t s;
    const std::pair<Bytes, std::function<bool(SerialStream&)>> cases[] = {
        {Item(0x07, {U32(0)}), [&](SerialStream& in) { return in.ReadString(text, 8); }},
        {Item(0x09, {U32(0)}), [&](SerialStream& in) { return in.ReadIntArray(ints, 2); }},
        {Item(0x05, {U32(0)}), [&](SerialStream& in) { return in.ReadShort(&s); }},
        {Item(0x0D, {U32(0)}), [&](SerialStream& in) { return in.ReadInt(ints); }}, // beyond the tag table
    };
    for (size_t k = 0; k < std::size(cases); ++k)
    {
        SCOPED_TRACE(k);
        Store({cases[k].first});
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
            out.WriteIntArray("a", five, 5);
            out.WriteInt("after", 4);
            out.WriteByteArray("b", two, 2);
            out.WriteInt("after", 5);
            out.WriteString("s", "no room");
            out.WriteInt("after", 6);
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
    EXPECT_TRUE(in.ReadHeader(nullptr, 16)); // no buffer: skipped whole
    ExpectInt(in, 3);
    int32_t fewer[3] = {};
    EXPECT_TRUE(in.ReadIntArray(fewer, 3));
    EXPECT_EQ(fewer[2], 3);
    ExpectInt(in, 4);
    uint8_t more[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_TRUE(in.ReadByteArray(more, 4));
    EXPECT_EQ(std::memcmp(more, "\x07\x08\0\0", 4), 0);
    ExpectInt(in, 5);
    char untouched = 'x'; // a buffer of no room is not written to
    EXPECT_TRUE(in.ReadString(&untouched, 0));
    EXPECT_EQ(untouched, 'x');
    ExpectInt(in, 6);
}

// A saved text longer than the buffer it is read into is cut there; a character beyond U+FFFF (two units) that the
// cut falls inside is left out whole, and the next value is read in step.
TEST_F(SerialStreamFileTest, ATextCutToItsBufferKeepsCharactersWhole)
{
    const std::u16string dolphin = u"\U0001F42C";
    const std::u16string saved = u"ab" + dolphin + u"c" + dolphin;
    Write(
        [&](SerialStream& out)
        {
            for (int i = 0; i < 5; ++i)
            {
                out.WriteWideString("name", saved.c_str());
                out.WriteInt("after", i);
            }
        });
    BinarySerialStream in(false, Path().c_str());
    const struct
    {
        uint32_t capacity;
        std::u16string expected;
    } cases[] = {
        {4, u"ab"},                  // the cut falls inside the first dolphin
        {5, u"ab" + dolphin},        // just after it
        {7, u"ab" + dolphin + u"c"}, // inside the second
        {8, saved},                  // room for all
        {2, u"a"},                   // before any pair
    };
    for (const auto& c : cases)
    {
        char16_t wide[16];
        std::fill(std::begin(wide), std::end(wide), u'#');
        EXPECT_TRUE(in.ReadWideString(wide, c.capacity)) << c.capacity;
        EXPECT_EQ(std::u16string(wide), c.expected) << c.capacity;
        ExpectInt(in, static_cast<int32_t>(&c - cases));
    }
}

// A text read with no buffer or a buffer of no room skips the stored text whole and writes nothing; the next value
// is read in step. The buffer stands inside a larger array whose every unit is checked afterwards.
TEST_F(SerialStreamFileTest, TextsReadWithoutRoomAreSkippedAndNothingIsWritten)
{
    Write(
        [&](SerialStream& out)
        {
            for (int i = 0; i < 3; ++i)
            {
                out.WriteWideString("w", u"wide text");
                out.WriteString("s", "narrow text");
                out.WriteInt("after", i);
            }
        });
    BinarySerialStream in(false, Path().c_str());
    const struct
    {
        bool buffer;
        uint32_t capacity;
    } cases[] = {{true, 0}, {false, 0}, {false, 16}};
    for (const auto& c : cases)
    {
        char16_t wide[16];
        char narrow[16];
        std::fill(std::begin(wide), std::end(wide), u'#');
        std::fill(std::begin(narrow), std::end(narrow), '#');
        EXPECT_TRUE(in.ReadWideString(c.buffer ? wide : nullptr, c.capacity)) << c.buffer << " " << c.capacity;
        EXPECT_TRUE(in.ReadString(c.buffer ? narrow : nullptr, c.capacity)) << c.buffer << " " << c.capacity;
        EXPECT_EQ(std::count(std::begin(wide), std::end(wide), u'#'), 16) << c.buffer << " " << c.capacity;
        EXPECT_EQ(std::count(std::begin(narrow), std::end(narrow), '#'), 16) << c.buffer << " " << c.capacity;
        ExpectInt(in, static_cast<int32_t>(&c - cases));
    }

    // A text cut short by the end of the file fails the read, and still writes nothing where there is no room.
    for (const auto& c : cases)
    {
        for (bool wide : {true, false})
        {
            Write(
                [&](SerialStream& out)
                {
                    if (wide)
                        out.WriteWideString("w", u"a wide text that the end of the file cuts");
                    else
                        out.WriteString("s", "a narrow text that the end of the file cuts");
                });
            std::filesystem::resize_file(Path(), std::filesystem::file_size(Path()) - 12);
            BinarySerialStream cut(false, Path().c_str());
            char16_t units[16];
            std::fill(std::begin(units), std::end(units), u'#');
            char* bytes = reinterpret_cast<char*>(units);
            EXPECT_FALSE(wide ? cut.ReadWideString(c.buffer ? units : nullptr, c.capacity)
                              : cut.ReadString(c.buffer ? bytes : nullptr, c.capacity));
            EXPECT_EQ(std::count(std::begin(units), std::end(units), u'#'), 16)
                << wide << " " << c.buffer << " " << c.capacity;
        }
    }
}

// A whole text comes back however long it is, up to the limit the reader gives; an empty one is empty, a skipped
// one keeps the stream in step, and one longer than the limit or cut by the end of the file fails the stream with
// nothing kept.
TEST_F(SerialStreamFileTest, AWholeTextIsReadUpToItsLimitAndALongerOrCutOneFails)
{
    std::u16string longText(2999, u'x');
    longText += u"\U0001F42C"; // a pair at the very end: 3001 units
    Write(
        [&](SerialStream& out)
        {
            out.WriteWideString("w", longText.c_str());
            out.WriteInt("after", 7);
            out.WriteWideString("w", u"");
            out.WriteInt("after", 8);
            out.WriteWideString("w", u"ten units!");
            out.WriteInt("after", 9);
            out.WriteWideString("w", u"ten units!");
            out.WriteInt("after", 10);
        });
    {
        BinarySerialStream in(false, Path().c_str());
        std::u16string text = u"old";
        EXPECT_TRUE(in.ReadWideText(&text, 3001));
        EXPECT_EQ(text, longText);
        ExpectInt(in, 7);
        EXPECT_TRUE(in.ReadWideText(&text, 0));
        EXPECT_EQ(text, u"");
        ExpectInt(in, 8);
        EXPECT_TRUE(in.ReadWideText(nullptr, 10));
        ExpectInt(in, 9);
        // One unit over the limit: the stream fails for good.
        text = u"old";
        EXPECT_FALSE(in.ReadWideText(&text, 9));
        EXPECT_EQ(text, u"");
        int32_t after = 0;
        EXPECT_FALSE(in.ReadInt(&after));
    }
    // The long text cut by the end of the file at a few places, its count included.
    const auto whole = std::filesystem::file_size(Path());
    Write([&](SerialStream& out) { out.WriteWideString("w", longText.c_str()); });
    const auto textOnly = std::filesystem::file_size(Path());
    ASSERT_LT(textOnly, whole);
    for (uintmax_t cut : {uintmax_t{1}, uintmax_t{2}, uintmax_t{3000}, textOnly - 40})
    {
        Write([&](SerialStream& out) { out.WriteWideString("w", longText.c_str()); });
        std::filesystem::resize_file(Path(), textOnly - cut);
        BinarySerialStream in(false, Path().c_str());
        std::u16string text = u"old";
        EXPECT_FALSE(in.ReadWideText(&text, 0xFFFFFFFFu)) << cut;
        EXPECT_EQ(text, u"") << cut;
    }
}

TEST_F(SerialStreamFileTest, TruncatedFilesFailCleanly)
{
    // An int cut after two of its four bytes; a string and an array whose lengths run past the end.
    Store({{0x05, 0x10, 0x20}});
    int32_t i = 5;
    EXPECT_FALSE(BinarySerialStream(false, Path().c_str()).ReadInt(&i));
    EXPECT_EQ(i, 0);
    Store({Item(0x01, {U32(0xFFFFFFF0u), Text("abc")})});
    char text[128];
    std::memset(text, 'x', sizeof text);
    EXPECT_FALSE(BinarySerialStream(false, Path().c_str()).ReadString(text, sizeof text));
    EXPECT_STREQ(text, "");
    Store({Item(0x06, {U32(1000000), U32(1), U32(2)})});
    int32_t list[4] = {9, 9, 9, 9};
    EXPECT_FALSE(BinarySerialStream(false, Path().c_str()).ReadIntArray(list, 4));
    EXPECT_EQ(std::count(list, list + 4, 0), 4);
    // A file with no banner at all.
    testsupport::WriteBytes(Path(), {});
    BinarySerialStream in(false, Path().c_str());
    EXPECT_TRUE(in.IsOpen() && in.IsFailed());
}

TEST_F(SerialStreamFileTest, MissingUnwritableOrFullStreamsFail)
{
    BinarySerialStream in(false, m_dir.File("nosuch.sav").c_str());
    EXPECT_TRUE(!in.IsOpen() && in.IsFailed());

    std::string unreachable = m_dir.File("nofolder/slot1.sav");
    {
        BinarySerialStream out(true, unreachable.c_str());
        out.WriteInt("i", 1);
        EXPECT_FALSE(out.Close());
    }
    EXPECT_FALSE(std::filesystem::exists(unreachable));
    if (!std::filesystem::exists("/dev/full"))
        return;
    BinarySerialStream full(true, "/dev/full");
    std::vector<uint8_t> block(64 * 1024, 1);
    full.WriteByteArray("block", block.data(), int32_t(block.size()));
    EXPECT_FALSE(full.Close());
}

// Writes a 4 KB save over the named file; true when the save reported its failure.
bool SaveReportsFailure(const std::string& path)
{
    BinarySerialStream out(true, path.c_str());
    std::vector<uint8_t> block(4096, 7);
    out.WriteByteArray("block", block.data(), int32_t(block.size()));
    return !out.Close();
}

TEST_F(SerialStreamFileTest, ASaveThatFailsPartWayLeavesThePreviousSaveWhole)
{
    Write([](SerialStream& out) { out.WriteInt("money", 12345); });
    const auto previous = testsupport::ReadBytes(Path());
    ASSERT_FALSE(previous.empty());

    // The disk fills after 1 KB: the save fails and says so, and the slot still holds the last good save.
    EXPECT_TRUE(testsupport::RunWithFileSizeLimit(1024, SaveReportsFailure, Path()));
    EXPECT_EQ(testsupport::ReadBytes(Path()), previous);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"save.sav"});

    // With room on the disk the same save replaces it.
    EXPECT_FALSE(SaveReportsFailure(Path()));
    EXPECT_GT(testsupport::ReadBytes(Path()).size(), 4096u);
}

} // namespace
