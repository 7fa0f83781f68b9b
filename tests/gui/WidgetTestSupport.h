// Helpers of the standard widgets' tests: sprite banks of known sizes under the names the widgets ask for, a test
// font, the filled rectangles the GUI drew, a shell with options that counts what it is asked, and typed access to
// the widgets a script built.
#pragma once

#include "GuiTestSupport.h"

#include "engine/core/GameOptions.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/RenderTypes.h"
#include "gui/GuiShell.h"
#include "gui/Widget.h"
#include "tests/engine/render/FontTestSupport.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace widgettest
{

// Coded rows of a w x h frame: every pixel opaque, or with the first `gap` pixels of each row transparent.
inline std::vector<uint8_t> Rows(int w, int h, int gap = 0, uint8_t colour = 7)
{
    std::vector<uint8_t> rows;
    for (int y = 0; y < h; ++y)
    {
        if (gap > 0)
            rows.push_back(static_cast<uint8_t>(-gap));
        rows.push_back(static_cast<uint8_t>(w - gap));
        for (int x = gap; x < w; ++x)
            rows.push_back(colour);
    }
    return rows;
}

// A bank of `frames` frames of w x h, each row's first `gap` pixels transparent.
inline guitest::BankMade Bank(const std::string& name, int w, int h, int frames, int gap = 0)
{
    guitest::AnimMade anim{"default", static_cast<uint16_t>(w), static_cast<uint16_t>(h), 1, {}};
    for (int f = 0; f < frames; ++f)
        anim.frames.push_back(Rows(w, h, gap, static_cast<uint8_t>(10 + f)));
    return {name, 1, {}, {anim}};
}

// The banks of the widgets' parts, at the sizes the tests reckon with.
inline std::vector<guitest::BankMade> WidgetBanks()
{
    return {
        Bank("UI3_scrollbar_up", 14, 14, 4),
        Bank("UI3_scrollbar_down", 14, 14, 4),
        Bank("UI3_SCROLLBAR_SLIDER", 12, 3, 2),
        Bank("UI3_slider_button", 13, 16, 4),
        Bank("UI3_field_n_left", 32, 16, 2),
        Bank("UI3_field_n_right", 18, 16, 2),
        Bank("UI3_inc_flat", 8, 16, 4),
        Bank("UI3_dec_flat", 8, 16, 4),
        Bank("UIS_combobox_button", 17, 17, 4),
        Bank("UIS_combobox_textarea", 6, 17, 2),
        Bank("UI3_bar_message_goto", 14, 14, 4),
        // A check box whose left half is transparent, a radio button, tab headers, pictures.
        Bank("check", 16, 16, 2, 8),
        Bank("radio", 20, 20, 5),
        Bank("tabA", 50, 20, 2),
        Bank("tabB", 50, 20, 2),
        Bank("pic", 32, 16, 2),
        Bank("other", 20, 10, 1),
    };
}

// A font of that height written into the working folder as "TestFont".
inline void WriteTestFont(uint32_t height)
{
    fonttest::FontFiles files;
    files.height = height;
    for (int c = 32; c < 127; ++c)
        files.rects[c] = GlyphRect{0, 0, 6, static_cast<uint16_t>(height)};
    files.Write(".", "TestFont");
}

// One filled rectangle the GUI drew: its corners and colour.
struct Fill
{
    int32_t left, top, right, bottom;
    uint32_t colour;
    bool operator==(const Fill&) const = default;
};

inline platform::RecordingDevice* GuiDevice()
{
    return static_cast<platform::RecordingDevice*>(
        static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->GetDevice());
}

inline platform::RecordingDevice* GuiDevice();

// The GUI's per-frame drawing inside a scene of the device (draws outside one are refused).
inline void DrawGui(GUIManager& gui)
{
    GuiDevice()->BeginScene();
    gui.Draw();
    g_GraphicsManager.BeginBatch(BATCH_NONE, 0, 1);
    GuiDevice()->EndScene();
}

// The top-left and bottom-right corners of every textured quad in the device's log, in the order drawn.
inline std::vector<std::pair<TexturedVertex, TexturedVertex>> TexturedQuads()
{
    std::vector<std::pair<TexturedVertex, TexturedVertex>> quads;
    for (const auto& draw : GuiDevice()->draws)
    {
        if (draw.stride != sizeof(TexturedVertex))
            continue;
        std::vector<TexturedVertex> v(draw.vertexBytes.size() / sizeof(TexturedVertex));
        std::memcpy(v.data(), draw.vertexBytes.data(), v.size() * sizeof(TexturedVertex));
        for (size_t i = 0; i + 5 < v.size(); i += 6)
            quads.emplace_back(v[i], v[i + 2]);
    }
    return quads;
}

// The rectangles filled since the last call, in order (lines and textured draws left out).
inline std::vector<Fill> Fills()
{
    g_GraphicsManager.BeginBatch(BATCH_NONE, 0, 1);
    platform::RecordingDevice* device = GuiDevice();
    std::vector<Fill> fills;
    for (const auto& draw : device->draws)
    {
        if (draw.stride != sizeof(ColourVertex) || draw.type != platform::PrimitiveType::TriangleList)
            continue;
        std::vector<ColourVertex> v(draw.vertexBytes.size() / sizeof(ColourVertex));
        std::memcpy(v.data(), draw.vertexBytes.data(), v.size() * sizeof(ColourVertex));
        for (size_t i = 0; i + 5 < v.size(); i += 6)
            fills.push_back({static_cast<int32_t>(v[i].x), static_cast<int32_t>(v[i].y),
                             static_cast<int32_t>(v[i + 2].x), static_cast<int32_t>(v[i + 2].y), v[i].colour});
    }
    device->ClearLog();
    return fills;
}

// The fills of one colour.
inline std::vector<Fill> FillsOf(const std::vector<Fill>& fills, uint32_t colour)
{
    std::vector<Fill> out;
    for (const Fill& f : fills)
        if (f.colour == colour)
            out.push_back(f);
    return out;
}

// A shell with options (written into the working folder) that counts the video applications and answers park
// figures and the research spend from its fields.
class TestShell : public GuiShell
{
public:
    TestShell() : options("options.ini") {}
    DialogListener* GetShellListener() override { return listener; }
    GameOptions* GetGuiOptions() override { return &options; }
    void ApplyVideoOptions() override { ++videoApplied; }
    bool GetParkFigure(const char* name, float* value) const override
    {
        if (std::strcmp(name, "GUEST_AV_PRICE") != 0)
            return false;
        *value = price;
        return true;
    }
    bool GetResearchSpend(float* value) const override
    {
        *value = research;
        return true;
    }
    void SetResearchSpend(float value) override { research = value; }

    GameOptions options;
    DialogListener* listener = nullptr;
    int videoApplied = 0;
    float price = 0.0f;
    float research = 0.0f;
};

// The widgets of that type the script built, in script order.
template <typename T> std::vector<T*> ItemsOf(const GUIManager& gui, int32_t type)
{
    std::vector<T*> found;
    for (const auto& item : gui.GetItems())
        if (item->GetType() == type)
            found.push_back(static_cast<T*>(item.get()));
    return found;
}

// A GUI test with the widgets' banks, the test font in slot 0 (8 pixels high) and a shell.
class WidgetsTest : public guitest::GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        WriteTestFont(8);
        guitest::Load(GetSpriteManager(), WidgetBanks());
        gui->SetShell(&shell);
    }
    void TearDown() override
    {
        gui->SetShell(nullptr);
        GuiTest::TearDown();
    }
    // A script of one dialog D at (0, 0)-(599, 399) holding the body, opened for the listener; one frame runs.
    void Dialog(const std::string& body, bool withFont = true)
    {
        Script(std::string(withFont ? "Font(TestFont)\n" : "") + "DialogItem D(0, 0, 599, 399, CLEAR, 1, 0)\n{\n" +
               body + "}\n");
        gui->OpenDialog("D", &listener);
        Frame(now += 10, 900, 900);
    }
    // A frame 10 ms after the last.
    void Step(int32_t x, int32_t y, int32_t first = 0, int32_t wheel = 0) { Frame(now += 10, x, y, first, 0, wheel); }
    // A click at (x, y): the cursor arrives (60 ms after the last frame, so that a button pressed before is up
    // again), rests, presses and lets go, then one more frame for a button's delayed fire (60 ms).
    void Click(int32_t x, int32_t y)
    {
        Frame(now += 60, x, y);
        Step(x, y);
        Step(x, y, ME_PRESSED);
        Frame(now += 60, x, y, ME_NONE);
    }

    TestShell shell;
    guitest::RecordingListener listener;
    uint32_t now = 0;
};

} // namespace widgettest
