// Helpers of the GUI tests: sprite files built byte by byte from their written layout, a GUI manager with a display
// on the recording device and a hand-driven game clock, and a listener and tool mode that record what reaches them.
#pragma once

#include "engine/core/GameClock.h"
#include "engine/render/Display.h"
#include "gui/DialogListener.h"
#include "gui/GUIManager.h"
#include "gui/GuiCommands.h"
#include "gui/SpriteManager.h"
#include "gui/ToolMode.h"
#include "tests/engine/render/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace guitest
{

// Little-endian bytes.
struct Bytes
{
    std::vector<uint8_t> b;
    Bytes& u8(uint32_t v)
    {
        b.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Bytes& u16(uint32_t v) { return u8(v & 0xFF).u8(v >> 8); }
    Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& name(const std::string& s) // length byte (terminator counted), the characters, the terminator
    {
        u8(static_cast<uint32_t>(s.size() + 1));
        b.insert(b.end(), s.begin(), s.end());
        return u8(0);
    }
    Bytes& raw(const std::vector<uint8_t>& bytes)
    {
        // Byte by byte: GCC 12 misreads a range insert into an empty vector as an overflow.
        for (uint8_t byte : bytes)
            b.push_back(byte);
        return *this;
    }
};

// One animation of a hand-made bank: its record and its coded frames (one block per frame, shown in order).
struct AnimMade
{
    std::string name;
    uint16_t width = 0, height = 0;
    uint8_t directions = 1;
    std::vector<std::vector<uint8_t>> frames; // coded rows of each block
};

struct BankMade
{
    std::string name;
    int32_t type = 1;
    // Colour c of the single palette is (c, 255 - c, c / 2) unless given.
    std::vector<uint32_t> palette;
    std::vector<AnimMade> anims;
};

// The index and data files of the banks, laid out as the file format says.
inline void MakeSpriteFiles(const std::vector<BankMade>& banks, std::vector<uint8_t>* hdr, std::vector<uint8_t>* dat)
{
    Bytes h, d;
    h.raw(std::vector<uint8_t>(20, 'H')).u32(0).u32(static_cast<uint32_t>(banks.size()));
    for (const BankMade& bank : banks)
    {
        h.name(bank.name).u32(static_cast<uint32_t>(bank.type));
        if (bank.type == 5)
            h.u32(0xDEADBEEF);
        const bool palette = bank.type != 4 && bank.type != 7 && bank.type != 8;
        h.u32(palette ? 1 : 0);
        if (palette)
            for (uint32_t c = 0; c < 256; ++c)
            {
                const uint32_t rgb = c < bank.palette.size() ? bank.palette[c] : (c << 16) | ((255 - c) << 8) | (c / 2);
                h.u8(rgb >> 16).u8(rgb >> 8).u8(rgb);
            }
        h.u32(static_cast<uint32_t>(bank.anims.size()));
        for (const AnimMade& anim : bank.anims)
        {
            const uint32_t count = static_cast<uint32_t>(anim.frames.size());
            h.name(anim.name).u16(count / anim.directions).u8(anim.directions).u16(anim.width).u16(anim.height);
            h.u16(0).u16(0).u32(static_cast<uint32_t>(d.b.size())).u32(0).u16(count);
            for (uint32_t i = 0; i < count; ++i)
                d.u16(i);
            uint32_t offset = 0;
            for (const auto& frame : anim.frames)
            {
                d.u32(offset);
                offset += static_cast<uint32_t>(frame.size());
            }
            for (const auto& frame : anim.frames)
                d.raw(frame);
        }
    }
    *hdr = h.b;
    *dat = d.b;
}

// The 1-5-5-5 packing of an RGB colour and its widening back to 8-bit channels, as the file format writes them.
inline uint16_t Pack555(uint32_t rgb)
{
    return static_cast<uint16_t>((((rgb >> 16) & 0xF8) << 7) | (((rgb >> 8) & 0xF8) << 2) | ((rgb & 0xFF) >> 3));
}
inline uint32_t Widen(uint16_t c)
{
    auto w = [](uint32_t v) { return (v << 3) | (v >> 2); };
    return 0xFF000000u | (w((c >> 10) & 31) << 16) | (w((c >> 5) & 31) << 8) | w(c & 31);
}

// A sprite manager loaded with hand-made banks.
inline void Load(SpriteManager& sprites, const std::vector<BankMade>& banks, const char* name = "test.hdr")
{
    std::vector<uint8_t> hdr, dat;
    MakeSpriteFiles(banks, &hdr, &dat);
    sprites.LoadSpriteData(hdr.data(), hdr.size(), dat, name);
}

// Records the values and closings that reach it; answers "<name>_STATE" from `states`.
class RecordingListener : public DialogListener
{
public:
    void GetVariable(const char* keyword, platform::WString& text) override
    {
        const auto it = values.find(keyword);
        if (it != values.end())
            text = it->second;
    }
    void SetVariable(const char* keyword, const DialogValue& value) override { set.emplace_back(keyword, value); }
    void ResetPanelState() override { ++closed; }

    std::map<std::string, platform::WString> values;
    std::vector<std::pair<std::string, DialogValue>> set;
    int closed = 0;
};

// Records the mouse events that reach the tool mode.
struct ModeLog
{
    std::vector<std::array<int32_t, 4>> mouse;
    std::vector<int32_t> wheel;
    int made = 0;
    int exits = 0;
};
inline ModeLog g_modeLog;

class RecordingMode : public ToolMode
{
public:
    void OnMouse(int32_t x, int32_t y, int32_t first, int32_t second) override
    {
        g_modeLog.mouse.push_back({x, y, first, second});
    }
    void OnMouseWheel(int32_t, int32_t, int32_t delta) override { g_modeLog.wheel.push_back(delta); }
    void Exit() override { ++g_modeLog.exits; }
};

inline std::unique_ptr<ToolMode> MakeRecordingMode(GUIManager&)
{
    ++g_modeLog.made;
    return std::make_unique<RecordingMode>();
}

// Fired commands: handler name and dialog index, in order.
inline std::vector<std::pair<std::string, int32_t>> g_fired;
inline void FireA(int32_t dialog)
{
    g_fired.emplace_back("A", dialog);
}
inline void FireB(int32_t dialog)
{
    g_fired.emplace_back("B", dialog);
}
inline void FireAlt(int32_t dialog)
{
    g_fired.emplace_back("Alt", dialog);
}
inline void CloseOwn(int32_t dialog)
{
    g_pGUIManager->CloseOwningDialog(dialog);
}
inline constexpr GuiCommand kCommands[] = {
    {"Fire", FireA}, {"fire", FireB}, {"Alt", FireAlt}, {"CloseOwn", CloseOwn}, {"NONE", nullptr}};

// A GUI manager on a display of the recording device, the game clock at 0 ms, the test commands and the
// recording mode as mode 1. Time moves with Advance; frames run with Frame.
class GuiTest : public rendertest::RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        display = std::make_unique<Display>(nullptr, 800, 600, true);
        clock = std::make_unique<GameClock>(0);
        SetGuiCommandTables(kCommands, {});
        GUIManager::RegisterToolMode(1, MakeRecordingMode);
        g_modeLog = {};
        g_fired.clear();
        gui = std::make_unique<GUIManager>(display.get());
    }
    void TearDown() override
    {
        gui.reset();
        GetSpriteManager().UnloadBanks();
        GetSpriteManager().ReleaseFrameCache();
        GUIManager::RegisterToolMode(1, nullptr);
        SetGuiCommandTables({}, {});
        clock.reset();
        display.reset();
        RecordingTest::TearDown();
    }
    // The clock moves to `ms` and one GUI frame runs with the mouse.
    void Frame(uint32_t ms, int32_t x, int32_t y, int32_t first = 0, int32_t second = 0, int32_t wheel = 0)
    {
        clock->Update(ms);
        gui->Update(clock->GetFrameTime(), GuiMouse{x, y, wheel, first, second});
    }
    void Script(const std::string& text) { gui->LoadScriptText(text.data(), text.size()); }

    testsupport::RecordingReportSink reports;
    std::unique_ptr<Display> display;
    std::unique_ptr<GameClock> clock;
    std::unique_ptr<GUIManager> gui;
};

} // namespace guitest
