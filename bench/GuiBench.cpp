// The GUI per frame on the recording device: update and drawing with five dialogs of the sample data open, and of a
// dialog of nested Defines; a list box of 1,500 rows scrolled every frame; the ticker list following a log of 300
// messages; the parse of a script of 32,000 Defines; warm sprite draws (cached frame textures), and the decoding of a
// 256 x 256 frame.
#include "bench/BenchSupport.h"
#include "engine/core/GameClock.h"
#include "engine/core/TextTable.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/DeviceEnum.h"
#include "engine/render/Display.h"
#include "engine/render/GraphicsManager.h"
#include "gui/GUIManager.h"
#include "gui/GuiParser.h"
#include "gui/ListBox.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "gui/TickerList.h"
#include "platform/gfx/RecordingDevice.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{

// The recording device, a display and clock, the front-end sprite file and text table of the sample data, with
// the sample data as working folder while it lives.
class GuiBench
{
public:
    GuiBench() : m_previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(std::string(TW_SOURCE_DIR) + "/sample-data");
        m_hook.config.defaultPoolTextureLimit = 9;
        m_hook.config.adapters.push_back(platform::DefaultRecordingAdapter());
        ResetDeviceEnumeration();
        platform::InstallRecordingSystemFactory(&m_hook);
        m_display = std::make_unique<Display>(nullptr, 800, 600, true);
        m_clock = std::make_unique<GameClock>(0);
        m_texts = std::make_unique<TextTable>("data/text_uk.uni");
        GetSpriteManager().LoadSpriteFile("data\\sprites\\VA2FESprites.hdr", "data\\sprites\\VA2FESprites.Dat");
    }
    ~GuiBench()
    {
        GetSpriteManager().UnloadBanks();
        GetSpriteManager().ReleaseFrameCache();
        m_texts.reset();
        m_clock.reset();
        m_display.reset();
        platform::SetGraphicsSystemFactory({});
        ResetDeviceEnumeration();
        std::filesystem::current_path(m_previous);
    }
    platform::RecordingDevice* Device() const
    {
        return static_cast<platform::RecordingDevice*>(
            static_cast<D3DRenderer*>(g_GraphicsManager.GetRenderer())->GetDevice());
    }
    Display& GetDisplay() const { return *m_display; }

private:
    QuietReports m_quiet;
    std::filesystem::path m_previous;
    platform::RecordingSystemHook m_hook;
    std::unique_ptr<Display> m_display;
    std::unique_ptr<GameClock> m_clock;
    std::unique_ptr<TextTable> m_texts;
};

// Five dialogs of panels and labelled buttons, side by side and overlapping, all open; the mouse sweeps across them
// pressing now and then.
void BM_GuiFrameFiveDialogs(benchmark::State& state)
{
    GuiBench bench;
    GUIManager gui(&bench.GetDisplay());
    std::string script = "Font(GuiFont7)\n";
    for (int i = 0; i < 5; ++i)
    {
        const int x = 20 + i * 110, y = 40 + i * 60;
        script += "DialogItem D" + std::to_string(i) + "(" + std::to_string(x) + ", " + std::to_string(y) + ", " +
                  std::to_string(x + 299) + ", " + std::to_string(y + 199) + ", UIS_options_panel, " +
                  std::to_string(i + 1) + ", 1)\n{\n";
        for (int b = 0; b < 4; ++b)
            script += "Button(" + std::to_string(10 + 150 * (b % 2)) + ", " + std::to_string(60 + 60 * (b / 2)) +
                      ", 0, 0, UIS_small_button, 0, MAINMENU_OPTIONS, NONE, NONE, MAINMENU_OPTIONS_TIP)\n";
        script += "}\n";
    }
    gui.LoadScriptText(script.data(), script.size());
    for (int i = 0; i < 5; ++i)
        gui.OpenDialog(("D" + std::to_string(i)).c_str(), nullptr);
    int frame = 0;
    for (auto _ : state)
    {
        ++frame;
        g_GraphicsManager.BeginFrame(0);
        g_GraphicsManager.Begin2D();
        const int32_t x = (frame * 7) % 800, y = 100 + (frame * 3) % 300;
        gui.Update(0.016f, GuiMouse{x, y, 0, frame % 30 == 0 ? 1 : 0, 0});
        gui.DrawDialogs();
        gui.Draw();
        g_GraphicsManager.EndFrame();
        state.PauseTiming();
        bench.Device()->ClearLog();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GuiFrameFiveDialogs)->Unit(benchmark::kMicrosecond);

// Parsing a script of 32,000 Defines of one button each, every one placed by name in one of 32 dialogs: the
// worst realistic count of names looked up. Leaves out the sprite banks (the buttons have no image).
void BM_GuiParseManyDefines(benchmark::State& state)
{
    QuietReports quiet;
    constexpr int kDefines = 32000;
    std::string script;
    for (int i = 0; i < kDefines; ++i)
        script += "Define N" + std::to_string(i) + "\n{\nButton(1, 1, 9, 9, NONE, 0, None, NONE, NONE)\n}\n";
    for (int d = 0; d < 32; ++d)
    {
        script += "DialogItem D" + std::to_string(d) + "(0, 0, 0, 0, NONE, " + std::to_string(d + 1) + ", 0)\n{\n";
        for (int i = d; i < kDefines; i += 32)
            script += "N" + std::to_string(i) + "\n";
        script += "}\n";
    }
    for (auto _ : state)
    {
        GuiScript built = GuiParser(800, 600).Parse(script.data(), script.size());
        benchmark::DoNotOptimize(built.items.data());
    }
    state.SetItemsProcessed(state.iterations() * kDefines);
}
BENCHMARK(BM_GuiParseManyDefines)->Unit(benchmark::kMillisecond);

// One frame (update, layers, drawing) of a dialog whose Defines each place the one before twice, 24 levels deep:
// the walk the bound on widgets per dialog keeps short. Leaves out the sprite banks and the text table.
void BM_GuiFrameNestedDefines(benchmark::State& state)
{
    QuietReports quiet;
    std::string script = "Define D0\n{\nButton(1, 1, 9, 9, NONE, 0, None, NONE, NONE)\n}\n";
    for (int i = 1; i <= 24; ++i)
        script +=
            "Define D" + std::to_string(i) + "\n{\nD" + std::to_string(i - 1) + "\nD" + std::to_string(i - 1) + "\n}\n";
    script += "DialogItem Menu(0, 0, 399, 299, NONE, 1, 1)\n{\nD24\n}\n";
    GUIManager gui(nullptr);
    gui.LoadScriptText(script.data(), script.size());
    gui.OpenDialog("Menu", nullptr);
    int frame = 0;
    for (auto _ : state)
    {
        ++frame;
        gui.Update(0.016f, GuiMouse{frame % 400, frame % 300, 0, frame % 30 == 0 ? 1 : 0, 0});
        gui.DrawDialogs();
        gui.Draw();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GuiFrameNestedDefines)->Unit(benchmark::kMicrosecond);

// One frame (update with the mouse over the list, layers, drawing) of a dialog holding a list box of 1,500 rows, each a
// text and every third a goto button, 20 rows shown, scrolled by a row every frame: the longest list the program
// fills (a save list or a music play list are far shorter). With the sample data's font and sprites; leaves out the
// presentation of the frame.
void BM_GuiListBox1500RowsScrolled(benchmark::State& state)
{
    GuiBench bench;
    GUIManager gui(&bench.GetDisplay());
    const std::string script = "Font(GuiFont7)\nDialogItem Rows(100, 50, 640, 520, NONE, 1, 0)\n{\n"
                               "ListBox(10, 10, 500, 410, 510, 10, 524, 410, Rows, 20, 20)\n}\n";
    gui.LoadScriptText(script.data(), script.size());
    auto* list = static_cast<ListBox*>(gui.FindItem(WT_LISTBOX, "Rows"));
    constexpr int kRows = 1500;
    for (int row = 0; row < kRows; ++row)
    {
        const std::string text = "Row " + std::to_string(row) + " of the longest list";
        list->AddText(row, 5, 400, 15, 2, 0, 0xFF000000, text.c_str(), true);
        if (row % 3 == 0)
            list->AddButton(row, 420, "UI3_bar_message_goto", row);
    }
    gui.OpenDialog("Rows", nullptr);
    int frame = 0;
    for (auto _ : state)
    {
        ++frame;
        list->SetFirst(frame % (kRows - 20));
        g_GraphicsManager.BeginFrame(0);
        g_GraphicsManager.Begin2D();
        gui.Update(0.016f, GuiMouse{300, 100 + frame % 300, 0, 0, 0});
        gui.DrawDialogs();
        gui.Draw();
        g_GraphicsManager.EndFrame();
        state.PauseTiming();
        bench.Device()->ClearLog();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GuiListBox1500RowsScrolled)->Unit(benchmark::kMicrosecond);

// A log of messages that changes only when asked.
class BenchLog : public TickerSource
{
public:
    const char16_t* FirstMessage(float& hour, uint32_t& day, uint32_t& id) override
    {
        at = 0;
        return NextMessage(hour, day, id);
    }
    const char16_t* NextMessage(float& hour, uint32_t& day, uint32_t& id) override
    {
        if (at >= texts.size())
            return nullptr;
        hour = 8.0f + static_cast<float>(at % 12);
        day = static_cast<uint32_t>(at / 12);
        id = static_cast<uint32_t>(at % 2 ? at : 0xFFFFFFFE);
        return texts[at++].c_str();
    }
    void SelectObject(uint32_t) override {}
    std::vector<std::u16string> texts;
    size_t at = 0;
};

// One frame of the ticker list with a log of 300 messages (the feedback manager keeps far fewer) that does not
// change: the ticker walks the log and compares it with its rows, and rebuilds nothing (a rebuild is counted, and
// one every 300 frames, a new message, is included). The list's dialog is open; the frame's update and drawing are
// timed, its presentation left out.
void BM_GuiTicker300Messages(benchmark::State& state)
{
    GuiBench bench;
    GUIManager gui(&bench.GetDisplay());
    const std::string script = "Font(GuiFont7)\nDialogItem Ticker(150, 330, 650, 470, CLEAR, 1, 0)\n{\n"
                               "ListBox(0, 30, 480, 130, 482, 30, 496, 130, TickerListBox800, 16, 6)\n}\n";
    gui.LoadScriptText(script.data(), script.size());
    BenchLog log;
    for (int i = 0; i < 300; ++i)
        log.texts.push_back(u"Message number " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)));
    gui.GetTickerList().SetSource(&log);
    gui.GetTickerList().Enable(true);
    gui.OpenDialog("Ticker", nullptr);
    int frame = 0;
    for (auto _ : state)
    {
        if (++frame % 300 == 0)
        {
            log.texts.erase(log.texts.begin());
            log.texts.push_back(u"A new message");
        }
        g_GraphicsManager.BeginFrame(0);
        g_GraphicsManager.Begin2D();
        gui.Update(0.016f, GuiMouse{300, 400, 0, 0, 0});
        gui.DrawDialogs();
        gui.Draw();
        g_GraphicsManager.EndFrame();
        state.PauseTiming();
        bench.Device()->ClearLog();
        state.ResumeTiming();
    }
    state.counters["rebuilds"] = static_cast<double>(gui.GetTickerList().GetRebuildCount());
    gui.GetTickerList().SetSource(nullptr);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GuiTicker300Messages)->Unit(benchmark::kMicrosecond);

// Sprite frames drawn as textured rectangles once their textures are made.
void BM_WarmSpriteDraws(benchmark::State& state)
{
    GuiBench bench;
    std::vector<Sprite*> sprites;
    for (const char* name : {"UIS_menu_button", "UIS_small_button", "UIS_smiles", "UIS_BAR_STARS"})
    {
        sprites.push_back(GetSpriteManager().CreateSprite(name));
        sprites.back()->SetPlayMode(Sprite::PLAY_MANUAL);
    }
    g_GraphicsManager.BeginFrame(0);
    g_GraphicsManager.Begin2D();
    int n = 0;
    for (auto _ : state)
    {
        for (int i = 0; i < 100; ++i, ++n)
        {
            Sprite* sprite = sprites[static_cast<size_t>(n) % sprites.size()];
            sprite->SetFrame(n % 4);
            sprite->Draw(static_cast<float>(n % 700), static_cast<float>(n % 500), 0.0f);
        }
        state.PauseTiming();
        g_GraphicsManager.EndFrame();
        bench.Device()->ClearLog();
        g_GraphicsManager.BeginFrame(0);
        g_GraphicsManager.Begin2D();
        state.ResumeTiming();
    }
    g_GraphicsManager.EndFrame();
    for (Sprite* sprite : sprites)
        GetSpriteManager().ReleaseSprite(sprite);
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_WarmSpriteDraws);

// A 256 x 256 frame of stripes: runs of 16 opaque and 16 transparent pixels on every row.
void BM_Decode256(benchmark::State& state)
{
    std::vector<uint8_t> rows;
    for (int y = 0; y < 256; ++y)
        for (int run = 0; run < 8; ++run)
        {
            rows.push_back(16);
            for (int i = 0; i < 16; ++i)
                rows.push_back(static_cast<uint8_t>(y + i));
            rows.push_back(static_cast<uint8_t>(-16));
        }
    std::vector<uint8_t> hdr = {'S', 'P', 'R'};
    hdr.resize(24, 0);
    auto put = [&hdr](uint64_t v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            hdr.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(1, 4);
    put(2, 1), hdr.push_back('s'), hdr.push_back(0);
    put(1, 4), put(1, 4);
    for (int c = 0; c < 256; ++c)
        put(static_cast<uint64_t>(c) * 0x010101, 3);
    put(1, 4);
    put(2, 1), hdr.push_back('a'), hdr.push_back(0);
    put(1, 2), put(1, 1), put(256, 2), put(256, 2), put(0, 4), put(0, 4), put(0, 4), put(1, 2);
    std::vector<uint8_t> data = {0, 0, 0, 0, 0, 0};
    data.insert(data.end(), rows.begin(), rows.end());
    SpriteManager sprites;
    sprites.LoadSpriteData(hdr.data(), hdr.size(), data, "bench.hdr");
    Sprite* sprite = sprites.CreateSprite("s");
    std::vector<uint32_t> pixels(256 * 256);
    for (auto _ : state)
    {
        sprite->DecodeFrameARGB(pixels.data(), 256, 256);
        benchmark::DoNotOptimize(pixels.data());
    }
    sprites.ReleaseSprite(sprite);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Decode256)->Unit(benchmark::kMicrosecond);

} // namespace
