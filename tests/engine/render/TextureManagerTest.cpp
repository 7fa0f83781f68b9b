// Tests of the texture manager on the recording device: TGA, DDS and DDT files (or the bank) read through
// upper-cased names, reference counts, the alert texture for missing, BMP and broken files, DDT reduction,
// crossfade names, created textures, the "RESERVED" entry and slots on a texture pipe.
#include "engine/render/TextureManager.h"

#include "TextureTestFiles.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/TextureBank.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

using namespace texturetest;

class TextureManagerTest : public TextureTest
{
protected:
    // Level 0 of the slot's page as 32-bit pixels.
    std::vector<uint32_t> ReadPage(uint32_t slot)
    {
        const int32_t page = static_cast<int32_t>(g_TextureManager.GetSlot(slot)->m_uPage);
        platform::SurfaceDesc desc;
        Renderer().GetTexture(page)->GetLevelDesc(0, &desc);
        std::vector<uint32_t> pixels(static_cast<size_t>(desc.width) * desc.height);
        EXPECT_TRUE(Renderer().ReadTexture(pixels.data(), static_cast<uint32_t>(pixels.size() * 4), page));
        return pixels;
    }
};

TEST(TextureSizeTest, RoundUpTextureSizeTakesTheNextOfThePageSizes)
{
    for (const auto& c : {std::pair{1u, 32u}, {33u, 64u}, {5000u, 1024u}})
    {
        uint32_t w = 0, h = 0;
        RoundUpTextureSize(c.first, 64, &w, &h);
        EXPECT_TRUE(w == c.second && h == 64) << c.first;
    }
}

TEST_F(TextureManagerTest, LoadsEachFileKindOntoItsPage)
{
    // Texture quality 4 leaves nothing to reduce; the device's 2048 limit gives 1024 pages.
    EXPECT_EQ(g_TextureManager.GetPageSize(), 1024u);
    std::vector<uint8_t> ddtPixels;
    AppendPixels(ddtPixels, std::vector<uint32_t>(64, 0xFF204060));
    const struct
    {
        const char* file;
        std::vector<uint8_t> bytes;
        const char* name;
        uint32_t width, height, format, pageKind, average;
    } cases[] = {
        // Every pixel 0x00FF0000: the mean of each channel, alpha 0xFF.
        {"gamedata/gameart/red.tga", MakeTGA(8, 4, std::vector<uint32_t>(32, 0x00FF0000)), "GAMEDATA\\GAMEART\\RED.TGA",
         8, 4, 4, TexturePage::kKindOwn, 0xFFFF0000},
        {"gamedata/blocks.dds", MakeDDS(8, 8, "DXT1", SolidBlocks(8, 4, 0xF800)), "gamedata\\BLOCKS.dds", 8, 8, 5,
         TexturePage::kKindOwn, TextureManager::kAverageDefault},
        {"gamedata/packed.ddt", MakeDDT(DDTSpec{.ownPage = 0}, ddtPixels), "GAMEDATA\\PACKED.DDT", 8, 8, 4,
         TexturePage::kKindShared, 0xFF204060},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Write(c.file, c.bytes);
        const uint32_t slot = g_TextureManager.Load(c.name, false, false);
        ASSERT_NE(slot, 0u);
        const TextureSlot* s = g_TextureManager.GetSlot(slot);
        EXPECT_TRUE(s->m_uWidth == c.width && s->m_uHeight == c.height && s->m_uFormat == c.format);
        EXPECT_EQ(s->m_uAverageColour, c.average);
        EXPECT_EQ(s->m_pPixels, nullptr); // sent to the device and dropped
        EXPECT_EQ(g_TextureManager.GetPage(s->m_uPage)->GetKind(), c.pageKind);
    }
    // The DDT lies at the top-left of a 256 x 256 shared page.
    const uint32_t packed = g_TextureManager.Find("GAMEDATA\\PACKED.DDT");
    const TexturePlacement p = g_TextureManager.GetPlacement(packed);
    EXPECT_TRUE(p.m_fUOffset == 0 && p.m_fUScale == 8.0f / 256.0f && p.m_fVScale == 8.0f / 256.0f);
    EXPECT_EQ(ReadPage(packed)[7 * 256 + 7], 0xFF204060u);

    // On a texture pipe a slot stands for its page; -1 is no texture; a slot out of range leaves the pipe alone.
    const int32_t page = static_cast<int32_t>(g_TextureManager.GetSlot(packed)->m_uPage);
    for (const auto& [slot, texture] : {std::pair{static_cast<int32_t>(packed), page}, {-1, -1}, {1500, 0}})
    {
        Renderer().SetTexturePipe(0, slot);
        EXPECT_EQ(Renderer().GetRequestedTexture(0), texture) << slot;
    }
}

TEST_F(TextureManagerTest, NamesAreCanonicalAndCountedByReference)
{
    Write("gamedata/gameart/wood.tga", MakeTGA(4, 4, std::vector<uint32_t>(16, 0xFF808080)));
    const uint32_t slot = g_TextureManager.Load("z:\\tdmrv2\\game\\gamedata\\gameart\\wood.tga", false, true);
    ASSERT_NE(slot, 0u);
    EXPECT_STREQ(g_TextureManager.GetSlot(slot)->GetName(), "GAMEDATA\\GAMEART\\WOOD.TGA");
    EXPECT_NE(g_TextureManager.GetSlot(slot)->m_pPixels, nullptr); // keep flag
    EXPECT_EQ(g_TextureManager.Load("GameData\\GameArt\\Wood.tga", false, false), slot);
    EXPECT_EQ(g_TextureManager.Find("Z:\\TDMRV2\\GAME\\GAMEDATA\\GAMEART\\WOOD.TGA"), slot);
    EXPECT_EQ(g_TextureManager.GetSlot(slot)->m_uRefCount, 3u);
    EXPECT_EQ(g_TextureManager.Load("x", false, false), 0u); // too short: no slot taken

    const uint32_t page = g_TextureManager.GetSlot(slot)->m_uPage;
    for (int i = 0; i < 3; ++i)
        g_TextureManager.Release(slot);
    EXPECT_EQ(Renderer().GetTexture(static_cast<int32_t>(page)), nullptr); // its own page is released
    EXPECT_EQ(g_TextureManager.Find("GAMEDATA\\GAMEART\\WOOD.TGA"), 0u);
    g_TextureManager.Release(slot);
    EXPECT_NE(TexLogText().find("Release  ERROR  REFCOUNT 0  (Slot:  1)"), std::string::npos) << TexLogText();
    // Loaded again, it takes the freed slot and a new page: page numbers are not reused.
    EXPECT_EQ(g_TextureManager.Load("GAMEDATA\\GAMEART\\WOOD.TGA", false, false), slot);
    EXPECT_EQ(g_TextureManager.GetSlot(slot)->m_uPage, page + 1);
}

TEST_F(TextureManagerTest, FreedSlotDataTakesItsNameOutOfTheNameTable)
{
    Write("gamedata/gameart/wood.tga", MakeTGA(4, 4, std::vector<uint32_t>(16, 0xFF808080)));
    const uint32_t slot = g_TextureManager.Load("GAMEDATA\\GAMEART\\WOOD.TGA", false, true);
    ASSERT_NE(slot, 0u);
    g_TextureManager.FreeSlotData(slot);
    EXPECT_STREQ(g_TextureManager.GetSlot(slot)->GetName(), "");
    EXPECT_EQ(g_TextureManager.GetSlot(slot)->m_pPixels, nullptr);
    // The table's key was the freed text: looking the name up must not read it (the sanitizer build stops on
    // that), nor find the slot.
    EXPECT_EQ(g_TextureManager.Find("GAMEDATA\\GAMEART\\WOOD.TGA"), 0u);
    // The name loads afresh into another slot while the first one still holds its reference.
    const uint32_t again = g_TextureManager.Load("GAMEDATA\\GAMEART\\WOOD.TGA", false, false);
    EXPECT_TRUE(again != 0 && again != slot && g_TextureManager.Find("gamedata\\gameart\\wood.tga") == again);
    g_TextureManager.Release(slot);
    EXPECT_EQ(g_TextureManager.Find("GAMEDATA\\GAMEART\\WOOD.TGA"), again);
}

TEST_F(TextureManagerTest, FailedLoadsFallBackToTheAlertTexture)
{
    std::vector<uint8_t> magenta;
    AppendPixels(magenta, std::vector<uint32_t>(64, 0xFFFF00FF));
    Write("gamedata/gameart/ddt files/test/alert.ddt", MakeDDT(DDTSpec{}, magenta));
    Write("gamedata/picture.bmp", {'B', 'M', 0, 0});
    std::vector<uint8_t> cut = MakeTGA(4, 4, std::vector<uint32_t>(16, 0xFF000000));
    cut.resize(40);
    Write("gamedata/cut.tga", cut);
    Write("gamedata/odd.png", {1, 2, 3});
    // clang-format off
    const struct { const char* name; const char* log; } cases[] = {
        {"gamedata\\missing.tga", nullptr},
        {"gamedata\\picture.bmp", "No reader for BMP texture (GAMEDATA\\PICTURE.BMP)"},
        {"gamedata\\cut.tga", nullptr}, {"gamedata\\odd.png", "Unknown File extension type (GAMEDATA\\ODD.PNG)"},
    };
    // clang-format on
    testsupport::RecordingReportSink sink;
    uint32_t previous = 0;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const uint32_t slot = g_TextureManager.Load(c.name, true, false);
        ASSERT_NE(slot, 0u);
        EXPECT_NE(slot, previous); // every failure takes a slot of its own
        previous = slot;
        const TextureSlot* s = g_TextureManager.GetSlot(slot);
        EXPECT_STREQ(s->GetName(), "GAMEDATA\\GAMEART\\DDT FILES\\TEST\\ALERT.DDT");
        EXPECT_EQ(s->m_uAverageColour, 0xFFFF00FFu);
        EXPECT_EQ(g_TextureManager.Find(c.name), 0u); // the failing name is not entered
        EXPECT_NE(sink.debug.find(std::string("Failed to Load Texture File ") + c.name), std::string::npos);
        EXPECT_TRUE(!c.log || TexLogText().find(c.log) != std::string::npos) << TexLogText();
    }

    // While a bank is set, DDT names are served from it alone: the alert is not in it either.
    const std::vector<uint8_t> ddt = MakeDDT(DDTSpec{}, magenta);
    std::vector<uint8_t> index(44, 0);
    Put32(index, 0, 1);
    Put32(index, 8, static_cast<uint32_t>(ddt.size()));
    std::memcpy(&index[12], "grass.ddt", 9);
    Write("bank.hdr", index);
    Write("bank.gtb", ddt);
    TextureBank bank("bank.hdr", "bank.gtb");
    g_TextureManager.SetTextureBank(&bank);
    const uint32_t grass = g_TextureManager.Load("nowhere\\on\\disk\\Grass.ddt", false, false);
    ASSERT_NE(grass, 0u);
    EXPECT_EQ(ReadPage(grass)[0], 0xFFFF00FFu);
    sink.boxes.clear();
    EXPECT_EQ(g_TextureManager.Load("gamedata\\other.ddt", false, false), 0u);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "Couldn't load default alert texture");
}

TEST_F(TextureManagerTest, DdtLevelFollowsQualityAndPageSize)
{
    // Colours that survive the 16-bit pages of level 4.
    const std::vector<uint32_t> colours = {0xFF112233, 0xFF445566, 0xFF778899};
    // clang-format off
    const struct
    {
        uint32_t side, height, reduction;
        bool reduce;
        uint32_t level, expectedWidth, expectedHeight;
    } cases[] = {
        // Level 4 asks for sides below 33: three halvings, at most two taken; level 2 takes one.
        {256, 256, 4, true, 2, 64, 64}, {256, 256, 4, false, 0, 256, 256}, {256, 256, 2, true, 1, 128, 128},
        // 16 x 64 halves to 8 x 32, below 16: back to level 0.
        {16, 64, 4, true, 0, 16, 64},
    };
    // clang-format on
    int n = 0;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(n);
        g_TextureManager.SetReductionLevel(c.reduction);
        const std::string file = "level" + std::to_string(n++) + ".ddt";
        Write(file,
              MakeDDT({.width = c.side, .height = c.height, .levels = 3}, ChainPixels(c.side, c.height, colours)));
        const uint32_t slot = g_TextureManager.Load(file.c_str(), c.reduce, false);
        ASSERT_NE(slot, 0u);
        const TextureSlot* s = g_TextureManager.GetSlot(slot);
        EXPECT_TRUE(s->m_uWidth == c.expectedWidth && s->m_uHeight == c.expectedHeight &&
                    s->m_uMipLevels == 3 - c.level);
        EXPECT_EQ(ReadPage(slot)[0], colours[c.level]);
    }

    // A level wider than the page size (1024 here) is skipped whatever the flags.
    Write("big.ddt", MakeDDT({.format = kTextureFormatDXT1, .width = 2048, .height = 1024, .levels = 2},
                             SolidBlocks(8, 512 * 256 + 256 * 128, 0xF800)));
    const TextureSlot* s = g_TextureManager.GetSlot(g_TextureManager.Load("BIG.DDT", false, false));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->m_uWidth == 1024 && s->m_uHeight == 512);
}

TEST_F(TextureManagerTest, ReducedSharedImageRecomputesItsMargins)
{
    g_TextureManager.SetReductionLevel(4);
    // Margins left 4, right 8, top 2, bottom 6.
    const DDTSpec spec = {.width = 64, .height = 64, .levels = 2, .margins = {4, 8, 2, 6}, .ownPage = 0};
    Write("framed.ddt", MakeDDT(spec, ChainPixels(64, 64, {0xFF0000FF, 0xFF00FF00})));
    const uint32_t slot = g_TextureManager.Load("FRAMED.DDT", true, false);
    ASSERT_NE(slot, 0u);
    // Level 1 (32 x 32): the used 52 x 56 at (4, 2) halves to 26 x 28 at (2, 1); right 32 - 26 - 2, bottom 32 - 28 - 1.
    const TextureSlot* s = g_TextureManager.GetSlot(slot);
    EXPECT_EQ(s->m_uWidth, 32u);
    const float expected[4] = {2, 4, 1, 3};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(s->m_afMargins[i], expected[i]) << i;
    // Level 4 puts format 4 on 16-bit pages.
    EXPECT_EQ(g_TextureManager.GetPage(s->m_uPage)->GetFormat(), kTextureFormatA4R4G4B4);
    const TexturePlacement p = g_TextureManager.GetPlacement(slot);
    EXPECT_TRUE(p.m_fUOffset == 2.0f / 256 && p.m_fVOffset == 1.0f / 256 && p.m_fUScale == 26.0f / 256 &&
                p.m_fVScale == 28.0f / 256);
}

TEST_F(TextureManagerTest, CreatedTexturesTakeUpdatesAndRelease)
{
    const uint32_t slot = g_TextureManager.CreateTexture(64, 32, "SpriteCache7");
    ASSERT_NE(slot, 0u);
    EXPECT_EQ(g_TextureManager.Find("SPRITECACHE7"), slot);
    std::vector<uint32_t> pixels(64 * 32);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | static_cast<uint32_t>(i);
    EXPECT_TRUE(g_TextureManager.UpdateTexture(slot, pixels.data(), 64, 32, kTextureFormatA8R8G8B8));
    EXPECT_EQ(ReadPage(slot), pixels);

    // A "RESERVED" entry outlives its slot's name without pointing at freed text, and hides no new one.
    g_TextureManager.Release(g_TextureManager.CreateTexture(4, 4, "RESERVED"));
    EXPECT_EQ(g_TextureManager.Find("RESERVED"), 0u);
    const uint32_t again = g_TextureManager.CreateTexture(8, 8, "RESERVED");
    EXPECT_EQ(g_TextureManager.Find("reserved"), again);
}

// With every slot held, a texture that is not loaded yet gets none (0, and a line in the texture log) and the
// held slots keep their counts; a name already loaded is still found.
TEST_F(TextureManagerTest, NoFreeSlotGivesNoTexture)
{
    ASSERT_TRUE(g_TextureManager.Init(4)); // slots 1 to 3, sharing a page
    DDTSpec spec;
    spec.ownPage = 0;
    for (const char* name : {"a", "b", "c", "late"})
        Write(std::string("gamedata/") + name + ".ddt", MakeDDT(spec, ChainPixels(8, 8, {0xFF808080})));
    uint32_t held[3];
    for (uint32_t i = 0; i < 3; ++i)
    {
        const std::string name = std::string("gamedata\\") + char('a' + i) + ".ddt";
        ASSERT_EQ(held[i] = g_TextureManager.Load(name.c_str(), true, false), i + 1);
    }
    EXPECT_EQ(g_TextureManager.Load("gamedata\\late.ddt", true, false), 0u);
    EXPECT_NE(TexLogText().find("No free texture slot for GAMEDATA\\LATE.DDT"), std::string::npos) << TexLogText();
    EXPECT_EQ(g_TextureManager.CreateTexture(8, 8, "Made"), 0u);
    for (uint32_t slot : held)
        EXPECT_EQ(g_TextureManager.GetSlot(slot)->m_uRefCount, 1u) << slot;
    EXPECT_EQ(g_TextureManager.Load("gamedata\\b.ddt", true, false), held[1]);
}

TEST_F(TextureManagerTest, CrossfadeNamesLoadTheirTgaAsTwoSquares)
{
    std::vector<uint32_t> squares(32, 0xFFFFFFFF);
    std::fill(squares.begin() + 16, squares.end(), 0xFF000000);
    Write("gamedata/sky_crossfade.tga", MakeTGA(4, 8, squares));
    const uint32_t slot = g_TextureManager.Load("gamedata\\Sky_Crossfade.ddt", false, false);
    ASSERT_NE(slot, 0u);
    EXPECT_EQ(g_TextureManager.GetSlot(slot)->m_uHeight, 4u);
    EXPECT_EQ(g_TextureManager.Load("GAMEDATA\\SKY_CROSSFADE.TGA", false, false), slot);
    g_CrossfadeList.SetFactor(0.0f); // the lower square
    EXPECT_EQ(ReadPage(slot), std::vector<uint32_t>(16, 0xFF000000));
    g_TextureManager.Release(slot);
    g_TextureManager.Release(slot);
    EXPECT_EQ(g_CrossfadeList.Find("GAMEDATA\\SKY_CROSSFADE.TGA"), nullptr);
}

// While a bank is set a DDT is found in it by its file name alone, whichever separator its folders are written with:
// the park's own ground and path textures are named with forward slashes.
TEST_F(TextureManagerTest, BankTexturesAreFoundByFileNameWhateverTheSeparators)
{
    const uint32_t green = 0xFF00FF00;
    std::vector<uint8_t> pixels;
    AppendPixels(pixels, std::vector<uint32_t>(64, green));
    const std::vector<uint8_t> bankDdt = MakeDDT(DDTSpec{}, pixels);
    std::vector<uint8_t> index(44, 0);
    Put32(index, 0, 1);
    Put32(index, 8, static_cast<uint32_t>(bankDdt.size()));
    std::memcpy(&index[12], "cracked.ddt", 11);
    Write("bank.hdr", index);
    Write("bank.gtb", bankDdt);
    TextureBank bank("bank.hdr", "bank.gtb");
    g_TextureManager.SetTextureBank(&bank);
    testsupport::RecordingReportSink sink;
    for (const char* name : {"Data/Textures/cracked.ddt", "data\\textures\\Cracked.DDT",
                             "Data/Textures\\Paths/CRACKED.ddt", "cracked.ddt"})
    {
        SCOPED_TRACE(name);
        const uint32_t slot = g_TextureManager.Load(name, false, false);
        ASSERT_NE(slot, 0u);
        EXPECT_EQ(ReadPage(slot)[0], green);
    }
    EXPECT_TRUE(sink.boxes.empty());
}

} // namespace
