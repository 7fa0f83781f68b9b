// Tests of dragging the front-end list's scroll bar on displays of any size: the pointer leaving the window is not
// a movement of the thumb.
#include "WidgetTestSupport.h"

#include "engine/core/GameInput.h"
#include "gui/MainItem.h"
#include "gui/ScreenListBox.h"
#include "gui/ScrollBar.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

class ScreenListBoxDragTest : public widgettest::WidgetsTest
{
protected:
    void OnDisplay(int32_t width, int32_t height)
    {
        list.reset();
        gui.reset();
        display = std::make_unique<Display>(nullptr, width, height, true);
        gui = std::make_unique<GUIManager>(display.get());
        gui->SetShell(&shell);
        // A list at (100, 100) of 300 x 120 page pixels, rows 15 high, with many more rows than it shows.
        list = std::make_unique<ScreenListBox>(GuiRect{100, 100, 400, 220}, "List", 15, 8);
        list->SetRelativeSize(300.0f / 800.0f, 120.0f / 600.0f);
        list->SetActive(true);
        for (int i = 0; i < 60; ++i)
            list->AddTextItem(i, 0, 200, 15, 2, 0, 0, u"row", true);
        w = width;
        h = height;
    }
    void TearDown() override
    {
        list.reset();
        WidgetsTest::TearDown();
    }
    // One frame with the pointer at display pixel (x, y), as the GUI manager hands it to a screen.
    void Tick(int32_t x, int32_t y, int32_t event)
    {
        clock->Update(now += 10);
        list->Update(clock->GetFrameTime());
        list->OnScreenMouse(static_cast<float>(x) / static_cast<float>(w),
                            static_cast<float>(y) / static_cast<float>(h), event);
    }
    std::unique_ptr<ScreenListBox> list;
    int32_t w = 800, h = 600;
};

TEST_F(ScreenListBoxDragTest, ThePointerLeavingTheWindowDuringADragLeavesTheRowsWhereTheyAre)
{
    const struct
    {
        int32_t width, height;
    } displays[] = {{800, 600}, {1024, 768}, {1280, 720}, {1280, 1024}, {1600, 1200}, {1920, 1080}};
    for (const auto& d : displays)
    {
        SCOPED_TRACE(testing::Message() << d.width << " x " << d.height);
        OnDisplay(d.width, d.height);
        ScrollBar* bar = list->GetScrollBar();
        ASSERT_NE(bar, nullptr);
        const GuiRect thumb = bar->GetThumb().GetRect();
        const int32_t x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
        // The thumb is taken hold of and dragged 20 pixels down.
        Tick(x, y, ME_NONE);
        Tick(x, y, ME_PRESSED);
        Tick(x, y, ME_HELD);
        Tick(x, y + 20, ME_HELD);
        Tick(x, y + 20, ME_HELD); // the list follows its bar at its next update
        ASSERT_TRUE(bar->IsDragging());
        const int32_t first = list->GetFirstRow();
        const int32_t top = bar->GetThumb().GetRect().top;
        ASSERT_GT(first, 0);
        // The pointer leaves the window with the button held, and comes back where it left.
        for (int i = 0; i < 3; ++i)
            Tick(GameInput::kOutsideWindow, GameInput::kOutsideWindow, ME_HELD);
        Tick(GameInput::kOutsideWindow, GameInput::kOutsideWindow, ME_HELD);
        EXPECT_EQ(list->GetFirstRow(), first);
        EXPECT_EQ(bar->GetThumb().GetRect().top, top);
        Tick(x, y + 20, ME_HELD);
        Tick(x, y + 20, ME_HELD);
        EXPECT_EQ(list->GetFirstRow(), first);
        EXPECT_EQ(bar->GetThumb().GetRect().top, top);
        Tick(x, y + 20, ME_NONE);
    }
}

} // namespace
