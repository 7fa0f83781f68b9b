// Tests of the sprite banks: the record layouts of the bank types, run decoding with its edge cases, the pixel test,
// frame selection by play mode, the clipped 16-bit blit, the shared frame texture cache (long bank names included),
// the fallbacks and files that lie.
#include "GuiTestSupport.h"

#include "engine/render/TextureManager.h"
#include "gui/Sprite.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iterator>
#include <string>
#include <tuple>

namespace
{

using guitest::AnimMade;
using guitest::BankMade;

// A 5 x 3 frame: row 0 two opaque pixels (10, 11) then a gap of 3; row 1 a zero-length gap, a gap of 1 and four
// opaque (12..15); row 2 seven opaque bytes of which the width keeps five (16..20).
const std::vector<uint8_t> kFrame = {2, 10, 11, 0xFD, 0, 0xFF, 4, 12, 13, 14, 15, 7, 16, 17, 18, 19, 20, 21, 22};
// Which pixels of kFrame are opaque, and their palette index (0 for a transparent one).
const int kIndex[3][5] = {{10, 11, 0, 0, 0}, {0, 12, 13, 14, 15}, {16, 17, 18, 19, 20}};

BankMade OneFrameBank(const char* name, int32_t type = 1, std::vector<uint8_t> frame = kFrame)
{
    return BankMade{name, type, {}, {AnimMade{"still", 5, 3, 1, {std::move(frame)}}}};
}

class SpriteBankTest : public guitest::GuiTest
{
protected:
    SpriteManager& sprites = GetSpriteManager();
};

TEST_F(SpriteBankTest, EachBankTypeKeepsItsPaletteLayoutAndTheNextRecordFollows)
{
    struct Case
    {
        int32_t type;
        size_t colours; // kept per palette
    };
    for (const Case c : {Case{1, 256}, Case{3, 64}, Case{5, 256}, Case{4, 0}, Case{6, 64}, Case{9, 256}})
    {
        sprites.UnloadBanks();
        guitest::Load(sprites, {OneFrameBank("first", c.type), OneFrameBank("second")});
        ASSERT_EQ(sprites.GetBankCount(), 2) << c.type;
        const SpriteBank* bank = sprites.GetBank(0);
        EXPECT_EQ(bank->m_iType, c.type);
        EXPECT_EQ(bank->m_palettes.size(), c.colours ? 1u : 0u);
        if (c.colours)
        {
            ASSERT_EQ(bank->m_palettes[0].size(), c.colours);
            // Colour 40 of the made palette is (40, 215, 20).
            EXPECT_EQ(bank->m_palettes[0][40], guitest::Pack555((40u << 16) | (215u << 8) | 20u));
        }
        EXPECT_STREQ(bank->m_anims.at(0).m_szName, "still");
        EXPECT_EQ(sprites.GetBank(1)->m_name, "second") << c.type;
    }
}

TEST_F(SpriteBankTest, RunsDecodeRowByRowCutAtTheWidthAndThePixelTestFollowsThem)
{
    guitest::Load(sprites, {OneFrameBank("rows")});
    Sprite* sprite = sprites.CreateSprite("ROWS");
    std::vector<uint32_t> pixels(8 * 4, 0xDEADBEEF);
    sprite->DecodeFrameARGB(pixels.data(), 8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
        {
            const int index = y < 3 && x < 5 ? kIndex[y][x] : 0;
            const uint32_t c = static_cast<uint32_t>(index);
            const uint32_t expected =
                index ? guitest::Widen(guitest::Pack555((c << 16) | ((255 - c) << 8) | c / 2)) : 0;
            EXPECT_EQ(pixels[y * 8 + x], expected) << x << "," << y;
        }
    // Data that ends with the second row leaves the third row transparent.
    guitest::Load(sprites, {OneFrameBank("cut", 1, std::vector<uint8_t>(kFrame.begin(), kFrame.begin() + 11))});
    Sprite* cut = sprites.CreateSprite("cut");
    std::vector<uint32_t> cutPixels(5 * 3, 0xDEADBEEF);
    cut->DecodeFrameARGB(cutPixels.data(), 5, 3);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(cutPixels[i] != 0, i < 10 && kIndex[i / 5][i % 5] != 0) << i;
    sprites.ReleaseSprite(cut);
    // The pixel test counts columns from 1.
    for (int y = -1; y <= 3; ++y)
        for (int x = -1; x <= 6; ++x)
        {
            const bool opaque = y >= 0 && y < 3 && x >= 1 && x <= 5 && kIndex[y][x - 1] != 0;
            EXPECT_EQ(sprite->IsOpaqueAt(x, y), opaque) << x << "," << y;
        }
    sprites.ReleaseSprite(sprite);
}

TEST_F(SpriteBankTest, TheFrameFollowsThePlayMode)
{
    std::vector<std::vector<uint8_t>> ten(10, std::vector<uint8_t>{1, 5});
    guitest::Load(sprites, {BankMade{"anim", 1, {}, {AnimMade{"go", 1, 1, 1, ten}}}});
    struct Case
    {
        int32_t mode;
        float start, now;
        int32_t frame;
    };
    // 10 frames at 18 per second: n = floor(18 x elapsed).
    const Case cases[] = {
        {Sprite::PLAY_LOOP, 0.0f, 1.0f, 8},          {Sprite::PLAY_LOOP, 2.0f, 1.0f, 0},
        {Sprite::PLAY_FORWARD_ONCE, 0.0f, 0.3f, 5},  {Sprite::PLAY_FORWARD_ONCE, 0.0f, 1.0f, 9},
        {Sprite::PLAY_BACKWARD_ONCE, 0.0f, 0.0f, 9}, {Sprite::PLAY_BACKWARD_ONCE, 0.0f, 0.3f, 4},
        {Sprite::PLAY_BACKWARD_ONCE, 0.0f, 1.0f, 0}, {Sprite::PLAY_MANUAL, 0.0f, 1.0f, 3},
    };
    for (const Case& c : cases)
    {
        Sprite* sprite = sprites.CreateSprite("anim");
        sprite->SetPlayMode(c.mode);
        sprite->SetFrame(3);
        sprite->SetStartTime(c.start);
        sprite->UpdateFrame(c.now);
        EXPECT_EQ(sprite->GetFrame(), c.frame) << c.mode << " " << c.now;
        sprites.ReleaseSprite(sprite);
    }
}

TEST_F(SpriteBankTest, TheBlitWritesOpaquePixelsOnlyAndIsClippedToTheSurface)
{
    guitest::Load(sprites, {OneFrameBank("rows"), OneFrameBank("textured", 3)});
    const int32_t layer = display->CreateSurface(4, 2, "layer", false);
    display->ClearSurface(layer);
    display->SetSurfacePosition(layer, 100, 50);
    display->SelectSurface(layer);
    Sprite* sprite = sprites.CreateSprite("rows");
    // Frame pixel (fx, fy) lands on surface pixel (fx - 2, fy + 1): the frame hangs over the left and bottom edges.
    sprite->DrawToSurface(98, 51, 0.0f);
    Sprite* other = sprites.CreateSprite("textured");
    other->DrawToSurface(100, 50, 0.0f);
    const SoftSurface* surface = display->GetSurface(layer);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
        {
            const int fx = x + 2, fy = y - 1;
            const int index = fy >= 0 && fx < 5 ? kIndex[fy][fx] : 0;
            const uint32_t c = static_cast<uint32_t>(index);
            const uint16_t expected =
                index ? guitest::Pack555((c << 16) | ((255 - c) << 8) | c / 2) : Display::kColourKey;
            EXPECT_EQ(surface->m_pPixels[y * 4 + x], expected) << x << "," << y;
        }
    sprites.ReleaseSprite(sprite);
    sprites.ReleaseSprite(other);
}

TEST_F(SpriteBankTest, FrameTexturesAreMadeOncePerKeyAndOutliveTheBanks)
{
    std::vector<std::vector<uint8_t>> many(300, std::vector<uint8_t>{1, 5});
    guitest::Load(sprites, {BankMade{"many", 1, {}, {AnimMade{"a", 1, 1, 1, many}}}});
    Sprite* a = sprites.CreateSprite("many");
    Sprite* b = sprites.CreateSprite("many");
    a->SetPlayMode(Sprite::PLAY_MANUAL);
    b->SetPlayMode(Sprite::PLAY_MANUAL);
    const uint32_t before = sprites.GetDecodeCount();
    a->Draw(0, 0, 0.0f);
    b->SetAlpha(100);
    b->SetBlendFlag(true);
    b->Draw(5, 5, 0.0f);
    EXPECT_EQ(sprites.GetDecodeCount(), before + 1) << "same bank, animation, frame and direction share a texture";
    // Far more frames than the old fixed table held: each is made once and found again.
    for (int pass = 0; pass < 2; ++pass)
        for (int f = 0; f < 300; ++f)
        {
            a->SetFrame(f);
            a->Draw(0, 0, 0.0f);
        }
    EXPECT_EQ(sprites.GetDecodeCount(), before + 300);
    sprites.ReleaseSprite(a);
    sprites.ReleaseSprite(b);
    // Another file with a bank of the same name draws its cached frames without decoding.
    sprites.UnloadBanks();
    guitest::Load(sprites, {BankMade{"MANY", 1, {}, {AnimMade{"a", 1, 1, 1, many}}}}, "other.hdr");
    Sprite* c = sprites.CreateSprite("many");
    c->Draw(0, 0, 0.0f);
    EXPECT_EQ(sprites.GetDecodeCount(), before + 300);
    sprites.ReleaseSprite(c);
}

// Every distinct bank, animation, frame and direction has its own frame texture, however long the bank's name (the
// index keeps names of up to 254 characters): long names that differ only at their end, or one long name showing
// two frames, are each decoded once and not served another's picture.
TEST_F(SpriteBankTest, FramesOfLongBankNamesAreTexturesOfTheirOwn)
{
    const std::string stem(250, 'n');
    std::vector<std::vector<uint8_t>> two(2, std::vector<uint8_t>{1, 5});
    guitest::Load(sprites, {BankMade{stem + "_a", 1, {}, {AnimMade{"a", 1, 1, 1, two}}},
                            BankMade{stem + "_b", 1, {}, {AnimMade{"a", 1, 1, 1, two}}}});
    struct Draw
    {
        std::string bank;
        int32_t frame;
    };
    const Draw draws[] = {{stem + "_a", 0}, {stem + "_b", 0}, {stem + "_a", 1}, {stem + "_b", 1}};
    const uint32_t before = sprites.GetDecodeCount();
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < std::size(draws); ++i)
        {
            Sprite* sprite = sprites.CreateSprite(draws[i].bank.c_str());
            ASSERT_EQ(sprite->GetWidth(), 1) << draws[i].bank.size();
            sprite->SetPlayMode(Sprite::PLAY_MANUAL);
            sprite->SetFrame(draws[i].frame);
            sprite->Draw(0, 0, 0.0f);
            sprites.ReleaseSprite(sprite);
            // Decoded at its first draw only.
            EXPECT_EQ(sprites.GetDecodeCount(), before + (pass == 0 ? i + 1 : std::size(draws))) << pass << " " << i;
        }
}

TEST_F(SpriteBankTest, MissingBanksFallBackAndUnloadedBanksStayWhileSpritesUseThem)
{
    Sprite* none = sprites.CreateSprite("nothing");
    EXPECT_EQ(none->GetBankName(), "nothing");
    EXPECT_EQ(none->GetBank(), nullptr);
    EXPECT_EQ(std::tuple(none->GetWidth(), none->GetHeight(), none->GetFrameCount()), std::tuple(0, 0, 0))
        << "a sprite without a bank has no frame to draw";
    EXPECT_FALSE(none->IsOpaqueAt(1, 0));
    none->DrawToSurface(0, 0, 0.0f);
    guitest::Load(sprites, {OneFrameBank("dummy"), OneFrameBank("held")});
    Sprite* fallback = sprites.CreateSprite("nothing");
    EXPECT_EQ(fallback->GetBankName(), "dummy");
    EXPECT_EQ(fallback->GetWidth(), 5);
    Sprite* held = sprites.CreateSprite("held");
    sprites.UnloadBanks();
    EXPECT_EQ(sprites.GetBankCount(), 0);
    EXPECT_TRUE(held->IsOpaqueAt(1, 0)) << "the frame data of a bank in use stays";
    for (Sprite* s : {none, fallback, held})
        sprites.ReleaseSprite(s);
    EXPECT_EQ(sprites.GetLiveSprites(), 0);
}

TEST_F(SpriteBankTest, FilesThatLieAreReportedAndNothingIsReadOutsideThem)
{
    std::vector<uint8_t> hdr, dat;
    guitest::MakeSpriteFiles({OneFrameBank("good")}, &hdr, &dat);
    // Offsets in the made index file: bank count at 24; the bank's palette count at 24 + 4 + 6 + 4; the
    // animation record after the palette.
    const size_t paletteCount = 38, anim = 42 + 768 + 4;
    const size_t offset = anim + 1 + 6 + 2 + 1 + 2 + 2 + 4;
    struct Case
    {
        const char* what;
        std::function<void(std::vector<uint8_t>&, std::vector<uint8_t>&)> lie;
        int banks;     // loaded
        bool drawable; // the frame can be read
    };
    auto put32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    const Case cases[] = {
        {"more banks than records", [&](auto& h, auto&) { put32(h, 24, 1000); }, 1, true},
        {"a negative bank count", [&](auto& h, auto&) { put32(h, 24, 0x80000000u); }, 0, false},
        {"more palettes than bytes", [&](auto& h, auto&) { put32(h, paletteCount, 70000); }, 0, false},
        {"tables past the data", [&](auto& h, auto&) { put32(h, offset, 0xFFFFFFF0u); }, 1, false},
        {"a block number past the blocks", [&](auto&, auto& d) { d[0] = 9; }, 1, false},
        {"a frame offset past the data", [&](auto&, auto& d) { put32(d, 2, 1u << 30); }, 1, false},
        {"a cut frame", [&](auto&, auto& d) { d.resize(d.size() - 6); }, 1, true},
        {"no data file", [&](auto&, auto& d) { d.clear(); }, 1, false},
        {"a cut header", [&](auto& h, auto&) { h.resize(20); }, 0, false},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> h = hdr, d = dat;
        c.lie(h, d);
        sprites.UnloadBanks();
        reports.debug.clear();
        sprites.LoadSpriteData(h.data(), h.size(), d, "lie.hdr");
        EXPECT_EQ(sprites.GetBankCount(), c.banks) << c.what;
        EXPECT_FALSE(reports.debug.empty() && !c.drawable) << c.what << ": not reported";
        Sprite* sprite = sprites.CreateSprite("good");
        std::vector<uint32_t> pixels(8 * 4);
        sprite->DecodeFrameARGB(pixels.data(), 8, 4);
        const bool drawn = std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; });
        EXPECT_EQ(drawn, c.drawable) << c.what;
        sprite->IsOpaqueAt(3, 2);
        sprites.ReleaseSprite(sprite);
    }
    // Every cut of the index file loads what it holds whole, and never more.
    for (size_t cut = 0; cut <= hdr.size(); ++cut)
    {
        sprites.UnloadBanks();
        sprites.LoadSpriteData(hdr.data(), cut, dat, "cut.hdr");
        EXPECT_EQ(sprites.GetBankCount(), cut == hdr.size() ? 1 : 0) << cut;
    }
}

TEST_F(SpriteBankTest, ALongAnimationNameIsCutToItsField)
{
    BankMade bank = OneFrameBank("names");
    bank.anims[0].name = std::string(200, 'n');
    guitest::Load(sprites, {bank, OneFrameBank("after")});
    ASSERT_EQ(sprites.GetBankCount(), 2);
    EXPECT_EQ(std::string(sprites.GetBank(0)->m_anims[0].m_szName), std::string(31, 'n'));
    EXPECT_NE(reports.debug.find("cut"), std::string::npos);
}

TEST_F(SpriteBankTest, AnimationsSharingHugeTablesLoadAtOnce)
{
    // A thousand animations of 65535 frames in 255 directions whose tables all lie at the start of one data
    // file: tables of 33 MB each, over the same bytes. After them, the one frame they all show: two opaque pixels.
    constexpr uint32_t kFrames = 65535, kDirections = 255, kAnims = 1000;
    const size_t frameBase = 2ull * kFrames * kDirections + 4;
    std::vector<uint8_t> dat(frameBase, 0);
    dat.insert(dat.end(), {2, 7, 9});
    std::vector<uint8_t> hdr(20, 0);
    auto put = [&hdr](uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            hdr.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    put(0, 4);
    put(1, 4);                                         // banks
    hdr.insert(hdr.end(), {5, 'h', 'u', 'g', 'e', 0}); // name
    put(4, 4);                                         // a type without palettes
    put(0, 4);                                         // palettes
    put(kAnims, 4);
    for (uint32_t a = 0; a < kAnims; ++a)
    {
        hdr.insert(hdr.end(), {2, 'a', 0});
        put(kFrames, 2);
        put(kDirections, 1);
        put(2, 2); // width
        put(1, 2); // height
        put(0, 4); // the two values
        put(0, 4); // data offset
        put(0, 4); // value
        put(1, 2); // one coded frame
    }
    const auto start = std::chrono::steady_clock::now();
    sprites.LoadSpriteData(hdr.data(), hdr.size(), std::move(dat), "huge.hdr");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 3.0) << "loading the file stalls the game";
    ASSERT_EQ(sprites.GetBankCount(), 1);
    EXPECT_EQ(sprites.GetBank(0)->m_anims.size(), kAnims);
    // Every animation still shows its frame.
    Sprite* sprite = sprites.CreateSprite("huge");
    for (int32_t a : {0, 1, static_cast<int32_t>(kAnims) - 1})
    {
        sprite->SetAnimation(a);
        sprite->SetDirection(kDirections - 1);
        sprite->SetFrame(kFrames - 1);
        EXPECT_TRUE(sprite->IsOpaqueAt(1, 0)) << a;
        EXPECT_TRUE(sprite->IsOpaqueAt(2, 0)) << a;
        EXPECT_FALSE(sprite->IsOpaqueAt(3, 0)) << a;
    }
    sprites.ReleaseSprite(sprite);
}

} // namespace
