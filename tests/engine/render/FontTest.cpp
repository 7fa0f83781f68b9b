// Tests of the game font's files: rectangles, the a x 255 + b kerning rule, missing, short and hostile files.
#include "engine/render/Font.h"

#include "tests/engine/render/FontTestSupport.h"

#include <gtest/gtest.h>

namespace
{

using FontTest = fonttest::FontDrawTest;

TEST_F(FontTest, ReadsTablesAndKernsByTheOverlappingRowRule)
{
    fonttest::FontFiles files;
    files.height = 11;
    files.secondValue = 77;
    files.rects['A'] = {1, 2, 9, 14};
    files.rects['C'] = {0, 0, 8, 8};
    files.rects[0xFF] = {50, 40, 60, 52};
    files.rects['?'] = {20, 20, 25, 30};
    files.rects['Z'] = {30, 0, 20, 10}; // right left of left
    files.kerning['A' * 255 + 'B'] = -3;
    files.kerning['C' * 255 + 'D'] = -128;
    files.kerning[2 * 255] = 9; // also pair (1, 255): the rows overlap by one byte
    files.Write(dir.Path(), "Test");
    Font font("Test");
    EXPECT_EQ(std::make_pair(font.GetHeight(), font.GetSecondValue()), std::make_pair(11u, 77u));
    EXPECT_TRUE(font.GetTextureWidth() == 64 && font.GetRect(0xFF).m_uBottom == 52);
    EXPECT_EQ(font.GetRect(u'\u0416').m_uLeft, 20); // beyond the tables: '?'
    EXPECT_TRUE(font.GetKerning('A', 'B') == -3 && font.GetKerning(1, 255) == 9 && font.GetKerning(2, 0) == 9);
    EXPECT_EQ(font.GetAdvance('A', 'B'), 8 - 3);
    EXPECT_EQ(font.GetAdvance('A', 0), 8);   // no kerning before the end
    EXPECT_EQ(font.GetAdvance('C', 'D'), 0); // 8 - 128 stays at 0
    EXPECT_EQ(font.GetGlyphWidth('Z'), 0);
}

TEST_F(FontTest, MissingFilesAreReportedAndShortOnesCut)
{
    // clang-format off
    const struct
    {
        size_t texCoordBytes, kerningBytes;
        const char* box;
        uint16_t rightOfA, rightOfB;
        int kerningAB;
    } cases[] = {
        {0, Font::kKerningSize, "Font::Font - could not find TexCoord file Cut", 0, 0, 4},
        {Font::kTexCoordSize, 0, "Font::Font - could not find Kerning file Cut", 9, 10, 0},
        // Rectangles up to 'A' and kerning bytes up to (not including) the pair A, B.
        {8 + 8 * 66, 'A' * 255 + 'B', nullptr, 9, 0, 0},
    };
    // clang-format on
    for (const auto& c : cases)
    {
        fonttest::FontFiles files;
        files.height = 0xFFFFFFFF;
        files.rects['A'] = {1, 2, 9, 14};
        files.rects['B'] = {2, 2, 10, 14};
        files.kerning['A' * 255 + 'B'] = 4;
        files.texCoordBytes = c.texCoordBytes;
        files.kerningBytes = c.kerningBytes;
        files.Write(dir.Path(), "Cut");
        testsupport::RecordingReportSink sink;
        Font font("Cut");
        ASSERT_EQ(sink.boxes.size(), c.box ? 1u : 0u);
        EXPECT_EQ(c.box ? sink.boxes[0].text : "", c.box ? c.box : "");
        // A huge height is taken as the largest the writer handles.
        EXPECT_EQ(font.GetHeight(), c.texCoordBytes ? Font::kMaxHeight : 0u);
        EXPECT_TRUE(font.GetRect('A').m_uRight == c.rightOfA && font.GetRect('B').m_uRight == c.rightOfB);
        EXPECT_EQ(font.GetKerning('A', 'B'), c.kerningAB);
    }
}

} // namespace
