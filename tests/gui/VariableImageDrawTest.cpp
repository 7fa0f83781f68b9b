// Tests of what the variable pictures put into the dialog's layer: the bar's end cap only on a display wider than
// 800 pixels, the photos of staff, guests and animals from their banks (an empty place for a photo the banks do not
// hold), each drawn once while dirty, and every working sprite given back.
#include "GuiTestSupport.h"

#include "engine/render/GraphicsManager.h"
#include "engine/render/TextureManager.h"
#include "gui/GuiShell.h"
#include "gui/PanelData.h"
#include "gui/Sprite.h"
#include "gui/VariableWidgets.h"
#include "tests/gui/EmptyPanelData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using guitest::AnimMade;
using guitest::BankMade;

constexpr int kLayerW = 16, kLayerH = 8;
using Pixels = std::vector<std::pair<int, uint16_t>>; // (index in the layer, pixel)

// A 4 x 2 frame of palette index `index`, every pixel opaque (a run of 4 on each row).
std::vector<uint8_t> Solid(uint8_t index)
{
    return {4, index, index, index, index, 4, index, index, index, index};
}

// A bank of `frames` solid frames; frame i has palette index 10 + i.
BankMade Bank(const char* name, int frames)
{
    AnimMade anim{"still", 4, 2, 1, {}};
    for (int i = 0; i < frames; ++i)
        anim.frames.push_back(Solid(static_cast<uint8_t>(10 + i)));
    return BankMade{name, 1, {}, {anim}};
}

// The layer pixel of palette index c of the made palette, colour (c, 255 - c, c / 2).
uint16_t PixelOf(uint32_t c)
{
    return guitest::Pack555((c << 16) | ((255 - c) << 8) | (c / 2));
}

class PhotoData : public EmptyPanelData
{
public:
    bool GetFigure(PanelFigure figure, double* value) override
    {
        *value = cash;
        return figure == PF_CASH;
    }
    int32_t GetObjectKind(DialogListener* object) override { return object == &someone ? kind : -1; }
    int32_t GetGuestPhotoFrame(DialogListener* object) override { return object == &someone ? photo : -1; }
    int32_t GetAnimalPhotoFrame(DialogListener* object) override { return object == &someone ? photo : -1; }

    guitest::RecordingListener someone;
    int32_t kind = -1, photo = -1;
    double cash = 0.0;
};

using Shell = PanelDataShell;

class VariableImageDraw : public guitest::GuiTest
{
protected:
    // A display `width` pixels wide with a cleared layer selected, placed at the screen's corner.
    void OnDisplay(int32_t width)
    {
        gui.reset();
        display = std::make_unique<Display>(nullptr, width, 600, true);
        gui = std::make_unique<GUIManager>(display.get());
        gui->SetShell(&shell);
        layer = display->CreateSurface(kLayerW, kLayerH, "layer", false);
        display->SetSurfacePosition(layer, 0, 0);
        display->SelectSurface(layer);
        display->ClearSurface(layer);
    }
    void TearDown() override
    {
        if (gui)
            gui->SetShell(nullptr);
        guitest::GuiTest::TearDown();
    }
    // The layer's pixels that are not the colour key.
    Pixels Painted() const
    {
        Pixels out;
        const SoftSurface* surface = display->GetSurface(layer);
        for (int i = 0; i < kLayerW * kLayerH; ++i)
            if (surface->m_pPixels[i] != Display::kColourKey)
                out.emplace_back(i, surface->m_pPixels[i]);
        return out;
    }
    // The 4 x 2 block at (x, y) of the layer, all of pixel `pixel`.
    static Pixels Block(int x, int y, uint16_t pixel)
    {
        Pixels out;
        for (int row = y; row < y + 2; ++row)
            for (int col = x; col < x + 4; ++col)
                out.emplace_back(row * kLayerW + col, pixel);
        return out;
    }

    PhotoData data;
    Shell shell{&data};
    int32_t layer = -1;
};

TEST_F(VariableImageDraw, TheEndCapIsDrawnIntoTheLayerOnlyOnDisplaysWiderThan800)
{
    const struct
    {
        int32_t width;
        bool drawn;
    } cases[] = {{800, false}, {801, true}, {1024, true}, {640, false}};
    for (const auto& c : cases)
    {
        OnDisplay(c.width);
        GetSpriteManager().UnloadBanks();
        guitest::Load(GetSpriteManager(), {Bank("uis_bar_endcap", 1)});
        const int live = GetSpriteManager().GetLiveSprites();
        VariableImage cap(3, 2, 20, 10, "UIS_BAR_ENDCAP");
        cap.DrawCached();
        EXPECT_EQ(Painted(), c.drawn ? Block(3, 2, PixelOf(10)) : Pixels{}) << c.width;
        EXPECT_FALSE(cap.IsDirty()) << c.width;
        // The working sprite is given back after the draw.
        EXPECT_EQ(GetSpriteManager().GetLiveSprites(), live) << c.width;
        // Clean, it draws nothing more; dirty again, it draws again.
        display->ClearSurface(layer);
        cap.DrawCached();
        EXPECT_TRUE(Painted().empty()) << c.width;
        cap.SetDirty();
        cap.DrawCached();
        EXPECT_EQ(Painted().empty(), !c.drawn) << c.width;
    }
}

TEST_F(VariableImageDraw, PhotosShowTheirFrameAndAnEmptyPlaceForOneTheBanksDoNotHold)
{
    OnDisplay(800);
    const struct
    {
        const char* name;
        int32_t kind, photo;
        bool banks; // the photo banks loaded
        int frame;  // the frame drawn; -1 for nothing
    } cases[] = {
        {"ANIMAL_PHOTO", 9, 2, true, 2},   {"ANIMAL_PHOTO", 9, 0, true, 0},   {"ANIMAL_PHOTO", 9, 3, true, -1},
        {"ANIMAL_PHOTO", 9, 40, true, -1}, {"ANIMAL_PHOTO", 9, -1, true, -1}, {"ANIMAL_PHOTO", 9, 1, false, -1},
        {"GUEST_PHOTO", 3, 1, true, 1},    {"GUEST_PHOTO", 3, 3, true, -1},   {"GUEST_PHOTO", 3, 1, false, -1},
        {"STAFF_PHOTO", 6, -1, true, 2},   {"STAFF_PHOTO", 8, -1, true, -1},  {"STAFF_PHOTO", 7, -1, false, -1},
    };
    for (const auto& c : cases)
    {
        GetSpriteManager().UnloadBanks();
        // Each photo bank has three frames; a "dummy" bank stands in for missing banks, but never for a photo.
        std::vector<BankMade> banks = {Bank("dummy", 1)};
        if (c.banks)
            for (const char* name : {"uis_animal_photos", "uis_guest_photos", "uis_staff_photos"})
                banks.push_back(Bank(name, 3));
        guitest::Load(GetSpriteManager(), banks);
        display->ClearSurface(layer);
        data.kind = c.kind;
        data.photo = c.photo;
        const int live = GetSpriteManager().GetLiveSprites();
        VariableImage photo(6, 4, 40, 40, c.name);
        photo.SetObject(&data.someone);
        photo.DrawCached();
        if (c.frame < 0)
            EXPECT_TRUE(Painted().empty()) << c.name << " " << c.photo << " " << c.banks;
        else
            EXPECT_EQ(Painted(), Block(6, 4, PixelOf(static_cast<uint32_t>(10 + c.frame)))) << c.name << " " << c.photo;
        EXPECT_EQ(GetSpriteManager().GetLiveSprites(), live) << c.name << " " << c.photo << " " << c.banks;
    }
}

TEST_F(VariableImageDraw, PerFramePicturesGoToTheScreenNotIntoTheLayer)
{
    OnDisplay(1024);
    // Screen pictures are made into textures through the graphics manager, here on the recording device.
    g_GraphicsManager.Create(RendererSettings{}, nullptr);
    g_TextureManager.Init();
    ASSERT_TRUE(g_GraphicsManager.BeginFrame(0));
    g_GraphicsManager.Begin2D();
    guitest::Load(GetSpriteManager(), {Bank("UIS_bar_debt_backing", 1)});
    VariableImage backing(2, 2, 20, 10, "BAR_CASH_BACKING");
    const int live = GetSpriteManager().GetLiveSprites();
    const struct
    {
        double cash;
        bool drawn;
    } cases[] = {{-0.5, true}, {0.0, false}, {250.0, false}};
    for (const auto& c : cases)
    {
        data.cash = c.cash;
        GetSpriteManager().ReleaseFrameCache();
        const uint32_t before = GetSpriteManager().GetDecodeCount();
        backing.Draw();
        // Drawn as a screen picture (its frame made into a texture), never blitted into the dialog's layer.
        EXPECT_EQ(GetSpriteManager().GetDecodeCount() - before, c.drawn ? 1u : 0u) << c.cash;
        EXPECT_TRUE(Painted().empty()) << c.cash;
        EXPECT_EQ(GetSpriteManager().GetLiveSprites(), live) << c.cash;
    }
    // The per-frame pictures have nothing to put into the layer.
    data.cash = -1.0;
    backing.DrawCached();
    EXPECT_TRUE(Painted().empty());
    GetSpriteManager().ReleaseFrameCache();
    g_TextureManager.Shutdown();
    g_GraphicsManager.Shutdown();
}

} // namespace
