// The progress extension: its picture by the objective count, the scenario's dialog moved into it, the pointer
// over it counted as over the GUI, and the dialog's buttons working while it shows.
#include "WidgetTestSupport.h"

#include "gui/DialogItem.h"
#include "gui/GUIManager.h"

#include <gtest/gtest.h>

namespace
{

class ProgressExtensionTest : public widgettest::WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        // (The test banks' rows hold runs of at most 127 pixels.)
        guitest::Load(GetSpriteManager(), {widgettest::Bank("uis_progress_extension1", 120, 40, 1),
                                           widgettest::Bank("uis_progress_extension2", 120, 60, 1),
                                           widgettest::Bank("uis_progress_extension3", 120, 80, 1)});
        gui->SetMode(1);
    }
    void ProgressScript()
    {
        Script("Font(TestFont)\n"
               "DialogItem Progress(300, 300, 400, 340, CLEAR, 50, 0)\n{\n"
               "    Button(10, 10, 50, 30, NONE, 0, NONE, Fire, NONE)\n}\n");
    }
};

TEST_F(ProgressExtensionTest, ThePictureFollowsTheObjectiveCount)
{
    struct Case
    {
        int32_t n;
        const char* picture;
        int32_t height;
    };
    const Case cases[] = {{0, "uis_progress_extension1", 40}, {1, "uis_progress_extension1", 40},
                          {2, "uis_progress_extension2", 60}, {3, "uis_progress_extension3", 80},
                          {4, "uis_progress_extension3", 80}, {-7, "uis_progress_extension1", 40}};
    for (const Case& c : cases)
    {
        gui->SetProgressExtension("Progress", c.n);
        EXPECT_EQ(gui->GetProgressExtensionPicture(), c.picture) << c.n;
        EXPECT_EQ(gui->GetProgressDialogName(), "Progress");
        const GuiRect& r = gui->GetProgressExtensionRect();
        EXPECT_EQ(r.left, 172);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right, 172 + 120);
        EXPECT_EQ(r.bottom, c.height) << c.n;
    }
    gui->ResetProgressExtension();
    EXPECT_EQ(gui->GetProgressExtensionPicture(), "uis_progress_extension1");
    EXPECT_TRUE(gui->GetProgressDialogName().empty());
}

TEST_F(ProgressExtensionTest, TheDialogIsMovedIntoTheExtensionAndForgottenWithTheScript)
{
    ProgressScript();
    gui->SetProgressExtension("Nowhere", 1);
    EXPECT_FALSE(gui->PlaceProgressExtension());
    EXPECT_EQ(gui->GetProgressDialog(), nullptr);
    gui->SetProgressExtension("Progress", 1);
    ASSERT_TRUE(gui->PlaceProgressExtension());
    DialogItem* dialog = gui->GetProgressDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetRect().left, 172);
    EXPECT_EQ(dialog->GetRect().top, 0);
    EXPECT_EQ(dialog->GetRect().right, 272);
    EXPECT_EQ(dialog->GetRect().bottom, 40);
    // A new script deletes the dialog: the extension keeps only its name, and places the new one.
    ProgressScript();
    EXPECT_EQ(gui->GetProgressDialog(), nullptr);
    EXPECT_EQ(gui->GetProgressDialogName(), "Progress");
    EXPECT_TRUE(gui->PlaceProgressExtension());
    gui->ReleaseProgressExtension();
    EXPECT_EQ(gui->GetProgressDialog(), nullptr);
    EXPECT_TRUE(gui->GetProgressDialogName().empty());
}

TEST_F(ProgressExtensionTest, WhileShownThePointerOverItIsOverTheGuiAndItsButtonsFire)
{
    ProgressScript();
    gui->SetProgressExtension("Progress", 1);
    ASSERT_TRUE(gui->PlaceProgressExtension());
    gui->HideProgressExtension();
    Step(250, 20);
    EXPECT_FALSE(gui->IsMouseOverGui(false));
    Click(172 + 20, 0 + 20);
    EXPECT_TRUE(guitest::g_fired.empty()) << "a hidden extension takes no clicks";
    gui->ShowProgressExtension();
    Step(250, 20);
    EXPECT_TRUE(gui->IsMouseOverProgressExtension());
    EXPECT_TRUE(gui->IsMouseOverGui(false));
    Step(500, 20);
    EXPECT_FALSE(gui->IsMouseOverGui(false));
    Click(172 + 20, 0 + 20);
    ASSERT_EQ(guitest::g_fired.size(), 1u);
    // ("Fire" and "fire" are one command name: the table's last row wins.)
    EXPECT_EQ(guitest::g_fired[0].first, "B");
}

// The extension's dialog runs its frame only while the extension shows; an extension shown with no dialog (the
// scenario named one the script does not have) runs its frames without one.
TEST_F(ProgressExtensionTest, TheDialogRunsItsFramesOnlyWhileTheExtensionShowsIt)
{
    struct Probe : Widget
    {
        Probe() : Widget(10, 10, 20, 20) {}
        void Update(float) override { ++frames; }
        int frames = 0;
    };
    struct Case
    {
        const char* what;
        const char* dialog; // the dialog the extension is to hold
        bool shown;
        bool runs; // the dialog's widgets run their frames
    };
    const Case cases[] = {{"placed and shown", "Progress", true, true},
                          {"placed and hidden", "Progress", false, false},
                          {"shown without its dialog", "Nowhere", true, false}};
    Probe probe;
    for (const Case& c : cases)
    {
        ProgressScript();
        gui->FindItem(WT_DIALOG, "Progress")->AddChild(&probe);
        gui->SetProgressExtension(c.dialog, 1);
        gui->PlaceProgressExtension();
        c.shown ? gui->ShowProgressExtension() : gui->HideProgressExtension();
        probe.frames = 0;
        Step(500, 500);
        Step(500, 500);
        EXPECT_EQ(probe.frames > 0, c.runs) << c.what;
        EXPECT_EQ(gui->IsProgressExtensionShown(), c.shown) << c.what;
    }
    // The dialog lets go of the probe before it goes.
    gui->ReleaseProgressExtension();
    gui->Reset();
}

} // namespace
