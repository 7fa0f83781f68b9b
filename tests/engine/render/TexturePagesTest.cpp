// Tests of the texture pages on the recording device: the row scan of shared pages, cell rounding of sizes that
// are not multiples of 4, freed cells, pages per format, and the page-number and size limits.
#include "engine/render/TexturePages.h"

#include "TextureTestFiles.h"

#include <gtest/gtest.h>

namespace
{

using namespace texturetest;

class TexturePagesTest : public TextureTest
{
protected:
    void SetUp() override
    {
        TextureTest::SetUp();
        ASSERT_TRUE(page.Create(900, 256, 256, TexturePage::kKindShared, kTextureFormatA8R8G8B8));
    }
    void TearDown() override
    {
        page.Free();
        TextureTest::TearDown();
    }

    // Finds room for a w x h image and places it there (no pixels); false when there is none.
    bool Place(uint32_t w, uint32_t h, TextureSlot* slot)
    {
        slot->m_uWidth = static_cast<uint16_t>(w);
        slot->m_uHeight = static_cast<uint16_t>(h);
        uint32_t x = 0, y = 0;
        const bool found = page.FindRoom(w, h, &x, &y);
        if (found)
            page.PlaceAt(*slot, x, y);
        return found;
    }

    TexturePage page;
};

TEST_F(TexturePagesTest, SharedPageScansRowsAndNeverTouchesTheFarEdges)
{
    // w, h, placed, x, y. Three 64 x 64 images fill the row as far as x = 192, which would touch the right edge
    // and is not tried; 6 x 6 takes 2 x 2 cells, so the next 4 x 4 image starts 8 texels on, not 4; an image as
    // wide as the page never fits a page that exists.
    const uint32_t steps[7][5] = {{64, 64, 1, 0, 0}, {64, 64, 1, 64, 0}, {64, 64, 1, 128, 0}, {64, 64, 1, 0, 64},
                                  {6, 6, 1, 192, 0}, {4, 4, 1, 200, 0},  {256, 4, 0, 0, 0}};
    TextureSlot slots[7];
    for (int i = 0; i < 7; ++i)
    {
        ASSERT_EQ(Place(steps[i][0], steps[i][1], &slots[i]), steps[i][2] == 1) << i;
        EXPECT_TRUE(!steps[i][2] ||
                    (slots[i].m_uPageX == steps[i][3] && slots[i].m_uPageY == steps[i][4] && slots[i].m_uPage == 900))
            << i;
    }

    // Freed cells take the next image of that size.
    page.ClearCells(slots[1]);
    TextureSlot again;
    ASSERT_TRUE(Place(64, 64, &again));
    EXPECT_TRUE(again.m_uPageX == 64 && again.m_uPageY == 0);
}

TEST_F(TexturePagesTest, ManagerOpensSharedPagesPerFormatAndRefusesOversizeImages)
{
    // Two 128 x 128 images: the second fits neither beside nor below the first (x = 128 and y = 128 are edges).
    const std::vector<uint8_t> ddt =
        MakeDDT({.width = 128, .height = 128, .ownPage = 0}, ChainPixels(128, 128, {0xFF808080}));
    Write("q1.ddt", ddt);
    Write("q2.ddt", ddt);
    const uint32_t p1 = g_TextureManager.GetSlot(g_TextureManager.Load("Q1.DDT", false, false))->m_uPage;
    const uint32_t p2 = g_TextureManager.GetSlot(g_TextureManager.Load("Q2.DDT", false, false))->m_uPage;
    EXPECT_EQ(p2, p1 + 1);
    uint32_t x = 9, y = 9;
    // Another format opens a page of its own, as large as the page size.
    const uint32_t p3 = g_TextureManager.FindPageSpace(8, 8, kTextureFormatDXT5, &x, &y);
    EXPECT_EQ(p3, p2 + 1);
    EXPECT_TRUE(g_TextureManager.GetPage(p3)->GetWidth() == 1024 &&
                g_TextureManager.GetPage(p3)->GetFormat() == kTextureFormatDXT5);

    const uint32_t used = g_TextureManager.GetPagesUsed();
    EXPECT_EQ(g_TextureManager.FindPageSpace(257, 8, kTextureFormatA8R8G8B8, &x, &y), 0u);
    EXPECT_EQ(g_TextureManager.FindPageSpace(8, 1025, kTextureFormatDXT1, &x, &y), 0u);
    EXPECT_EQ(g_TextureManager.GetPagesUsed(), used);
    EXPECT_NE(TexLogText().find("Texture too large for a shared page (257 x 8, page 256 x 256)"), std::string::npos);
}

TEST_F(TexturePagesTest, PageNumbersEndAt749)
{
    for (uint32_t i = 1; i <= 749; ++i)
        ASSERT_EQ(g_TextureManager.CreateTexture(4, 4, "page"), i);
    EXPECT_EQ(g_TextureManager.CreateTexture(4, 4, "one too many"), 0u);
    EXPECT_EQ(g_TextureManager.GetSlot(750)->m_uRefCount, 0u);
    EXPECT_NE(TexLogText().find("Out of texture pages: page 750 refused"), std::string::npos);

    // Freeing a page releases its device texture.
    g_TextureManager.Release(5);
    EXPECT_TRUE(Renderer().GetTexture(5) == nullptr);
}

// Pages of released textures stay out of use while numbers are left; once the numbers are all handed out, a texture
// asked for takes a page that was given back (the park's ground and path textures, made again for every park entered,
// would otherwise find none after a dozen parks and draw nothing). With none given back, the texture is refused.
TEST_F(TexturePagesTest, AtTheLastPageNumberAPageGivenBackIsTakenAgain)
{
    for (uint32_t i = 1; i <= 700; ++i)
        ASSERT_EQ(g_TextureManager.CreateTexture(4, 4, "page"), i);
    // Below the limit a released page's number is not handed out again: the next page is a new number.
    g_TextureManager.Release(3);
    const uint32_t next = g_TextureManager.CreateTexture(8, 8, "next");
    EXPECT_EQ(g_TextureManager.GetSlot(next)->m_uPage, 701u);
    for (uint32_t i = 702; i <= 749; ++i)
        ASSERT_NE(g_TextureManager.CreateTexture(4, 4, "page"), 0u);
    EXPECT_EQ(g_TextureManager.GetPagesUsed(), 749u);

    // At the limit: the pages given back (3, then 9 and 17) are taken again, lowest first, each with a working device
    // texture of the new size; the texture's slot draws from it.
    g_TextureManager.Release(17);
    g_TextureManager.Release(9);
    const struct
    {
        uint32_t side;
        uint32_t page;
    } cases[] = {{16, 3}, {32, 9}, {64, 17}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.page);
        const uint32_t slot = g_TextureManager.CreateTexture(c.side, c.side, "again");
        ASSERT_NE(slot, 0u);
        EXPECT_EQ(g_TextureManager.GetSlot(slot)->m_uPage, c.page);
        EXPECT_EQ(g_TextureManager.GetDeviceTexture(static_cast<int32_t>(slot)), static_cast<int32_t>(c.page));
        ASSERT_NE(Renderer().GetTexture(static_cast<int32_t>(c.page)), nullptr);
        EXPECT_EQ(g_TextureManager.GetPage(c.page)->GetWidth(), c.side);
        EXPECT_TRUE(g_TextureManager.GetPage(c.page)->IsInUse());
    }
    EXPECT_EQ(g_TextureManager.GetPagesUsed(), 749u);

    // None given back: refused, as before.
    EXPECT_EQ(g_TextureManager.CreateTexture(4, 4, "one too many"), 0u);
    EXPECT_NE(TexLogText().find("Out of texture pages: page 750 refused"), std::string::npos);
}

} // namespace
