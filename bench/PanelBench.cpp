// The object browser's cost: the refill of a guest table of 1,500 guests under each guest filter, and of a building
// table of 500 buildings by name (the worst order: a text compare per comparison, names sharing long prefixes); and
// one frame of a 15-row table of six columns (update and draw). The park is a hand-made one behind the panel data
// interface: what it leaves out is the walk over the real object pools (the copy of each object's fields into its
// entry) and, for the frame, the drawing of texts and sprites (no display: the cells' text writers are absent), so
// it measures the table's own bookkeeping, lookups and per-row widgets.
#include "gui/DialogListener.h"
#include "gui/GUIManager.h"
#include "gui/GuiShell.h"
#include "gui/ObjectBrowser.h"
#include "gui/PanelData.h"
#include "tests/gui/EmptyPanelData.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

namespace
{

class Row : public DialogListener
{
public:
    void GetVariable(const char*, platform::WString& text) override { text = u"12.50"; }
    void ResetPanelState() override {}
};

class BenchData : public EmptyPanelData
{
public:
    BenchData(int guests, int buildings)
    {
        uint32_t seed = 12345;
        auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16 & 0x7FFF; };
        for (int i = 0; i < guests; ++i)
        {
            BrowserEntry e;
            e.id = static_cast<uint32_t>(1000 + i);
            e.kind = 3;
            e.gender = static_cast<int32_t>(next() & 1);
            e.happiness = static_cast<float>(next()) / 32767.0f;
            e.cash = static_cast<float>(next() % 200);
            e.toiletDesire = static_cast<float>(next()) / 32767.0f;
            for (float& o : e.opinion)
                o = static_cast<float>(next() % 11) / 10.0f;
            m_guests.push_back(e);
        }
        for (int i = 0; i < buildings; ++i)
        {
            BrowserEntry e;
            e.id = static_cast<uint32_t>(i);
            e.kind = 2;
            const std::string name = "Seaside Refreshment Kiosk " + std::to_string(next());
            e.name.assign(name.begin(), name.end());
            m_buildings.push_back(e);
        }
    }
    void ListGuests(std::vector<BrowserEntry>& out) override { out = m_guests; }
    void ListBuildings(std::vector<BrowserEntry>& out) override { out = m_buildings; }
    DialogListener* FindObject(uint32_t) override { return &m_row; }

private:
    std::vector<BrowserEntry> m_guests, m_buildings;
    Row m_row;
};

using Shell = PanelDataShell;

void BM_GuestRefill(benchmark::State& state)
{
    BenchData data(1500, 0);
    Shell shell(&data);
    GUIManager gui(nullptr);
    gui.SetShell(&shell);
    gui.SetSelection(1, static_cast<int32_t>(state.range(0)));
    Table table({0, 0, 300, 300}, {300, 0, 310, 300}, "GUESTS", 20, 15, true);
    table.SetActive(true);
    for (auto _ : state)
    {
        table.FillRows(Table::kRefreshTime);
        benchmark::DoNotOptimize(table.GetRowCount());
    }
    gui.SetShell(nullptr);
}
BENCHMARK(BM_GuestRefill)->DenseRange(0, 11)->Unit(benchmark::kMicrosecond);

void BM_BuildingRefillByName(benchmark::State& state)
{
    BenchData data(0, 500);
    Shell shell(&data);
    GUIManager gui(nullptr);
    gui.SetShell(&shell);
    gui.SetSelection(2, 12);
    Table table({0, 0, 300, 300}, {300, 0, 310, 300}, "BUILDINGS", 20, 15, true);
    table.SetActive(true);
    for (auto _ : state)
    {
        table.FillRows(Table::kRefreshTime);
        benchmark::DoNotOptimize(table.GetRowCount());
    }
    gui.SetShell(nullptr);
}
BENCHMARK(BM_BuildingRefillByName)->Unit(benchmark::kMicrosecond);

void BM_TableFrame(benchmark::State& state)
{
    BenchData data(1500, 0);
    Shell shell(&data);
    GUIManager gui(nullptr);
    gui.SetShell(&shell);
    Table table({0, 0, 360, 300}, {360, 0, 370, 300}, "GUESTS", 20, 15, true);
    const char* names[] = {"VAR_GUEST_NAME", "VARIMG_BROWSER_SMILEY", "FILTER_GUEST",
                           "VAR_GUEST_CASH", "NUMADJ_PRICE",          "BUT_GOTO"};
    std::vector<std::unique_ptr<TableColumn>> columns;
    for (int i = 0; i < 6; ++i)
    {
        columns.push_back(
            std::make_unique<TableColumn>(60 * i, 0, 60 * i + 60, 300, names[i], 0xFF000000u, 0, 0, false));
        table.AddChild(columns.back().get());
    }
    table.SetActive(true);
    for (auto _ : state)
    {
        table.Update(1.0f / 60.0f);
        table.Draw();
    }
    table.SetActive(false);
    gui.SetShell(nullptr);
}
BENCHMARK(BM_TableFrame)->Unit(benchmark::kMicrosecond);

} // namespace
