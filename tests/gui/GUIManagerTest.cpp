// Tests of the GUI manager's state so far: the selection slots with their defaults and resets, scripts that can and
// cannot be read, and the front-end screen by name.
#include "gui/GUIManager.h"

#include "engine/core/FileSystem.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{

TEST(GUIManager, SelectionSlotsStartAtTheirDefaultsAndAScriptResetRestoresThem)
{
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    testsupport::RecordingReportSink reports;
    GUIManager gui(nullptr);
    EXPECT_EQ(g_pGUIManager, &gui);
    // Slot: its value at the start, and after a reset when every slot was set to 99 before.
    const int32_t start[17] = {0, 1, 12, 0, -1, 0, 0, 0, 0, 3, -1, -1, 32, 0, 0, 0, 0};
    const int32_t reset[17] = {0, 1, 12, 99, 99, 99, 99, 0, 99, 3, -1, -1, 32, 99, 99, 99, 99};
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(gui.GetSelection(i), start[i]) << i;
    for (int i = -1; i <= 17; ++i)
        gui.SetSelection(i, 99);
    EXPECT_TRUE(gui.GetSelection(-1) == 0 && gui.GetSelection(17) == 0);
    gui.ActivateScreen("StartScreen");
    EXPECT_STREQ(gui.GetCurrentScreenName(), "StartScreen");

    char text[] = "/ a script";
    ASSERT_TRUE(GetFileSystem()->WriteBleFile(dir.File("menu.ble").c_str(), text, sizeof(text) - 1));
    EXPECT_TRUE(gui.LoadScript("menu.pis"));
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(gui.GetSelection(i), reset[i]) << i;
    EXPECT_EQ(gui.GetCurrentScreenName(), nullptr);
    EXPECT_TRUE(reports.debug.empty());
    EXPECT_FALSE(gui.LoadScript("nothere.pis"));
    EXPECT_NE(reports.debug.find("nothere.ble"), std::string::npos);
}

} // namespace
