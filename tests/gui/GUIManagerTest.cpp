// Tests of the GUI manager: the selection slots, scripts and their file names, dialogs in front-to-back order with
// modality, the mouse routed behind dialogs to the tool mode, reopening for the same or another listener, closing,
// remembered positions, tool modes by id, and the layers the dialogs draw into.
#include "GuiTestSupport.h"

#include "engine/core/FileSystem.h"
#include "gui/DialogItem.h"
#include "gui/GuiShell.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

#include <functional>
#include <map>
#include <set>

namespace
{

using guitest::g_modeLog;

// Three dialogs side by side (A at x 0-99, B at 200-299, M at 400-499; all y 0-99), A and B draggable; a button
// in A that closes its own dialog.
const char* const kScript = "Font(GuiFont7)\n"
                            "DialogItem A(0, 0, 99, 99, NONE, 1, 1)\n{\nButton(10, 40, 50, 60, NONE, 0, None, "
                            "CloseOwn, NONE)\n}\n"
                            "DialogItem B(200, 0, 299, 99, NONE, 2, 1)\n{\n}\n"
                            "DialogItem M(400, 0, 499, 99, CLEAR, 3, 0)\n{\n}\n"
                            "DialogItem A2(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
                            "DialogItem ObjectBrowser(600, 0, 699, 99, NONE, 4, 0)\n{\n}\n"
                            "DialogItem P(0, 200, 99, 299, NONE, 5, 0)\n{\nVariable(10, 10, 90, 30, NAME, 0, "
                            "4294967295, 2)\n}\n";

// The positions a shell remembers.
class PositionShell : public GuiShell
{
public:
    bool GetDialogPosition(int32_t id, int32_t* x, int32_t* y) override
    {
        ++asked;
        if (id != 1)
            return false;
        *x = px;
        *y = py;
        return true;
    }
    void SetDialogPosition(int32_t id, int32_t x, int32_t y) override { stored = {id, x, y}; }
    int32_t px = 0, py = 0;
    int asked = 0;
    std::array<int32_t, 3> stored{-1, -1, -1};
};

class GUIManagerTest : public guitest::GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        Script(kScript);
        gui->SetMode(1);
    }
    std::vector<std::string> Order() const
    {
        std::vector<std::string> names;
        for (const auto& entry : gui->GetOpenList())
            if (entry.state != GUIManager::ENTRY_CLOSING)
                names.push_back(entry.dialog->GetName());
        return names;
    }
    using V = std::vector<std::string>;
};

TEST(GUIManagerAlone, SelectionSlotsStartAtTheirDefaultsAndAScriptResetRestoresThem)
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
    ASSERT_EQ(reports.boxes.size(), 1u) << "a missing script is one clear report";
    EXPECT_NE(reports.boxes[0].text.find("nothere.ble"), std::string::npos);
    // An empty script file is a script with nothing in it: loaded, and no fault.
    std::ofstream(dir.File("empty.ble")).close();
    EXPECT_TRUE(gui.LoadScript("empty.pis"));
    EXPECT_EQ(reports.boxes.size(), 1u) << "an empty script is no fault";
}

TEST(GUIManagerAlone, AScriptIsReadFromItsNameWithTheExtensionReplaced)
{
    const std::pair<const char*, const char*> cases[] = {
        {"data/script/gui/MainMenu.PIS", "data/script/gui/MainMenu.ble"},
        {"a.b", "a.ble"},
        {"ab", "ab.ble"},
        {"", ".ble"},
        {"dir.x/name", "dir.x/name.ble"},
        {"dir.x\\gui.pis", "dir.x\\gui.ble"},
    };
    for (const auto& [name, file] : cases)
        EXPECT_EQ(GuiScriptFileName(name), file) << name;
}

TEST_F(GUIManagerTest, DialogsStackFrontToBackAndAClickBringsOneForwardUnlessOneIsModal)
{
    EXPECT_TRUE(gui->OpenDialog("A", nullptr));
    EXPECT_TRUE(gui->OpenDialog("B", nullptr));
    EXPECT_FALSE(gui->OpenDialog("Nothing", nullptr));
    EXPECT_FALSE(gui->OpenDialog("a", nullptr)) << "names are matched exactly";
    Frame(0, 900, 900);
    EXPECT_EQ(Order(), (V{"B", "A"}));
    Frame(10, 50, 10, ME_PRESSED);
    EXPECT_EQ(Order(), (V{"A", "B"}));
    EXPECT_TRUE(gui->OpenDialog("M", nullptr, true));
    EXPECT_TRUE(gui->IsModalDialogOpen());
    Frame(20, 250, 10, ME_PRESSED);
    EXPECT_EQ(Order(), (V{"M", "A", "B"})) << "a modal dialog keeps the front";
}

TEST_F(GUIManagerTest, TheMouseReachesTheToolModeOnlyPastEveryDialogAndAsLeaveBehindOne)
{
    gui->OpenDialog("A", nullptr);
    struct Case
    {
        int32_t x, y, first;
        bool reaches;      // the mode gets the event at all
        int32_t modeFirst; // as what
    };
    // A press on a dialog is taken; resting on it reaches the mode as a leave; off every dialog as it is.
    const Case cases[] = {{50, 10, ME_PRESSED, false, 0},
                          {50, 10, ME_NONE, true, ME_LEAVE},
                          {150, 10, ME_PRESSED, true, ME_PRESSED},
                          {150, 10, ME_HELD, true, ME_HELD}};
    uint32_t t = 0;
    for (const Case& c : cases)
    {
        g_modeLog.mouse.clear();
        g_modeLog.wheel.clear();
        Frame(t += 10, c.x, c.y, c.first, ME_NONE, 3);
        // The wheel passes the front dialog (nothing in it scrolls) to the mode.
        EXPECT_EQ(g_modeLog.wheel, (std::vector<int32_t>{3}));
        EXPECT_EQ(gui->IsMouseOverGui(false), c.x < 100) << c.x;
        ASSERT_EQ(g_modeLog.mouse.size(), c.reaches ? 1u : 0u) << c.x << " " << c.first;
        if (c.reaches)
        {
            EXPECT_EQ(g_modeLog.mouse[0][2], c.modeFirst) << c.x << " " << c.first;
        }
    }
    // Behind a modal dialog every press is a leave, wherever the cursor is.
    gui->OpenDialog("M", nullptr, true);
    g_modeLog.mouse.clear();
    Frame(t += 10, 150, 10, ME_PRESSED, ME_PRESSED);
    ASSERT_EQ(g_modeLog.mouse.size(), 1u);
    EXPECT_EQ(g_modeLog.mouse[0][2], ME_LEAVE);
    EXPECT_EQ(g_modeLog.mouse[0][3], ME_LEAVE);
}

TEST_F(GUIManagerTest, ReopeningForTheSameListenerChangesNothingAndForAnotherClosesTheFirst)
{
    guitest::RecordingListener first, second;
    gui->OpenDialog("A", &first);
    Frame(0, 900, 900);
    EXPECT_TRUE(gui->OpenDialog("A", &first));
    EXPECT_EQ(gui->GetOpenList().size(), 1u);
    EXPECT_EQ(first.closed, 0);
    gui->OpenDialog("A", &second);
    EXPECT_EQ(first.closed, 1) << "told at once";
    EXPECT_EQ(gui->GetOpenList().size(), 2u) << "the closed entry stays until the next update";
    // A dialog of the same position id replaces the open one.
    gui->OpenDialog("A2", nullptr);
    EXPECT_EQ(second.closed, 1);
    Frame(10, 900, 900);
    EXPECT_EQ(Order(), (V{"A2"}));
    EXPECT_EQ(gui->GetOpenList().size(), 1u);
    // A button fires its dialog's own close.
    gui->CloseAllDialogs();
    gui->OpenDialog("A", &first);
    Frame(20, 30, 50);
    Frame(30, 30, 50, ME_PRESSED);
    Frame(100, 30, 50);
    EXPECT_FALSE(gui->IsDialogOpen("A"));
    EXPECT_EQ(first.closed, 2);
}

TEST_F(GUIManagerTest, ARememberedPositionIsTakenOnlyWhenTheWholeDialogStaysOnTheScreen)
{
    PositionShell shell;
    gui->SetShell(&shell);
    Frame(0, 900, 900);
    struct Case
    {
        int32_t x, y;
        bool modal;
        int32_t left, top; // where the dialog opens (its home is 0, 0)
    };
    // The dialog is 99 x 99 (right and bottom inclusive) on an 800 x 600 screen.
    const Case cases[] = {{50, 60, false, 50, 60},
                          {-5, 60, false, 0, 0},
                          {50, -1, false, 0, 0},
                          {701, 0, false, 0, 0},
                          {0, 501, false, 0, 0},
                          {50, 60, true, 0, 0},
                          {700, 500, false, 700, 500},
                          {0, 60, false, 0, 60},
                          {50, 0, false, 50, 0},
                          // A position far past the screen (an edited options file) is no place either.
                          {INT32_MAX, 0, false, 0, 0},
                          {0, INT32_MAX, false, 0, 0},
                          {INT32_MAX - 50, 60, false, 0, 0}};
    uint32_t t = 0;
    for (const Case& c : cases)
    {
        shell.px = c.x;
        shell.py = c.y;
        gui->OpenDialog("A", nullptr, c.modal);
        const GuiRect& r = gui->FindItem(WT_DIALOG, "A")->GetRect();
        EXPECT_EQ(r.left, c.left) << c.x << "," << c.y;
        EXPECT_EQ(r.top, c.top) << c.x << "," << c.y;
        // Closing remembers where it was; the next case starts from home again.
        gui->CloseDialog("A");
        EXPECT_EQ(shell.stored, (std::array<int32_t, 3>{1, c.left, c.top}));
        static_cast<DialogItem*>(gui->FindItem(WT_DIALOG, "A"))->Reposition(0, 0);
        Frame(t += 10, 900, 900);
    }
    // The idle mode of the front end neither reads nor writes positions.
    gui->SetMode(GUIManager::kIdleMode);
    Frame(t += 10, 900, 900);
    shell.asked = 0;
    shell.stored = {-1, -1, -1};
    gui->OpenDialog("A", nullptr);
    gui->CloseDialog("A");
    EXPECT_EQ(shell.asked, 0);
    EXPECT_EQ(shell.stored[0], -1);
    gui->SetShell(nullptr);
}

TEST_F(GUIManagerTest, ADialogOpensAtItsHomeWhereverItWasDraggedOrSlidUnlessAPlaceIsRemembered)
{
    // A: 0,0 to 99,99, draggable, its button built at 10,40 to 50,60. Each case leaves A somewhere else, then opens
    // it again; in the idle mode of the front end nothing is remembered, so it opens at home with its button.
    auto* a = static_cast<DialogItem*>(gui->FindItem(WT_DIALOG, "A"));
    const Widget* button = a->GetChildren().at(0);
    guitest::RecordingListener first, second;
    gui->SetMode(GUIManager::kIdleMode);
    uint32_t t = 0;
    Frame(t += 10, 900, 900);
    struct Case
    {
        const char* what;
        std::function<void()> leave; // moves A away (it is open for `first`)
        std::function<void()> reopen;
    };
    auto drag = [&]
    {
        Frame(t += 10, 50, 10, ME_PRESSED);
        Frame(t += 10, 50, 10, ME_HELD);
        Frame(t += 10, 250, 130, ME_HELD);
        Frame(t += 10, 250, 130);
    };
    const Case cases[] = {
        {"dragged, closed and opened", [&] { drag(), gui->CloseDialog("A"), Frame(t += 10, 900, 900); },
         [&] { gui->OpenDialog("A", &first); }},
        {"dragged and opened again for another listener", drag, [&] { gui->OpenDialog("A", &second); }},
        {"dragged and opened again without a listener", drag, [&] { gui->OpenDialog("A", nullptr); }},
        {"slid out and closed by its slide",
         [&]
         {
             gui->AnimateDialog("A", DialogItem::SLIDE_OUT, 0.05f, 0);
             for (int i = 0; i < 10; ++i)
                 Frame(t += 10, 900, 900);
             ASSERT_FALSE(gui->IsDialogOpen("A"));
         },
         [&] { gui->OpenDialog("A", &first); }},
    };
    for (const Case& c : cases)
    {
        gui->CloseAllDialogs();
        Frame(t += 10, 900, 900);
        gui->OpenDialog("A", &first);
        Frame(t += 10, 900, 900);
        c.leave();
        EXPECT_NE(a->GetRect().left, 0) << c.what << ": it was away";
        c.reopen();
        Frame(t += 10, 900, 900);
        EXPECT_TRUE(gui->IsDialogOpen("A")) << c.what;
        const GuiRect& r = a->GetRect();
        EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == 99 && r.bottom == 99) << c.what;
        const GuiRect& b = button->GetRect();
        EXPECT_TRUE(b.left == 10 && b.top == 40 && b.right == 50 && b.bottom == 60) << c.what;
        // Opened at home, it still drags by its title strip at home.
        Frame(t += 10, 50, 10, ME_PRESSED);
        Frame(t += 10, 50, 10, ME_HELD);
        Frame(t += 10, 60, 15, ME_HELD);
        Frame(t += 10, 60, 15);
        EXPECT_EQ(a->GetRect().left, 10) << c.what;
        EXPECT_EQ(button->GetRect().left, 20) << c.what;
    }
    // In the park a remembered place is still taken over the home one.
    PositionShell shell;
    gui->SetShell(&shell);
    gui->SetMode(1);
    Frame(t += 10, 900, 900);
    shell.px = 300;
    shell.py = 200;
    gui->CloseAllDialogs();
    Frame(t += 10, 900, 900);
    gui->OpenDialog("A", &first);
    EXPECT_EQ(a->GetRect().left, 300);
    EXPECT_EQ(button->GetRect().top, 240);
    gui->SetShell(nullptr);
}

TEST_F(GUIManagerTest, ModesAreMadeByIdAtTheNextUpdate)
{
    Frame(0, 900, 900);
    EXPECT_EQ(g_modeLog.made, 1);
    EXPECT_NE(gui->GetCurrentMode(), nullptr);
    gui->SetMode(3);
    EXPECT_EQ(gui->GetMode(), 1) << "only at the next update";
    Frame(10, 900, 900);
    EXPECT_EQ(gui->GetMode(), 3);
    EXPECT_EQ(gui->GetCurrentMode(), nullptr);
    EXPECT_EQ(g_modeLog.exits, 1);
}

TEST_F(GUIManagerTest, DialogsPaintTheirLayersAndASlotRedrawsOnlyWhatItShows)
{
    gui->OpenDialog("A", nullptr);
    gui->OpenDialog("ObjectBrowser", nullptr);
    Frame(0, 900, 900);
    gui->DrawDialogs();
    const auto& open = gui->GetOpenList();
    const auto a = std::find_if(open.begin(), open.end(), [](auto& e) { return e.dialog->GetName()[0] == 'A'; });
    // A dialog with the background "NONE" fills its layer white, at the dialog's own size.
    const SoftSurface* layer = display->GetSurface(a->layer);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->m_uWidth, 100u);
    EXPECT_EQ(layer->m_pPixels[0], 0x7FFF);
    EXPECT_EQ(layer->m_pPixels[99 * 100 + 99], 0x7FFF);
    struct Case
    {
        int slot;
        int32_t value;
        bool browserDirty, otherDirty;
    };
    const Case cases[] = {{6, 0, false, false}, {6, 5, true, false}, {10, 3, false, false}, {3, 4, true, true}};
    for (const Case& c : cases)
    {
        gui->DrawDialogs();
        gui->SetSelection(c.slot, c.value);
        EXPECT_EQ(gui->FindItem(WT_DIALOG, "ObjectBrowser")->IsDirty(), c.browserDirty) << c.slot;
        EXPECT_EQ(gui->FindItem(WT_DIALOG, "A")->IsDirty(), c.otherDirty) << c.slot;
    }
}

// A panel reopened for another object in the frame it closed for the first (a panel's Next button does it between
// the update and the drawing): the new entry's layer takes the dialog's picture, and the closing entry, whose
// dialog is the same one, is neither repainted nor drawn with the first object's values.
TEST_F(GUIManagerTest, ADialogReopenedForAnotherListenerIsPaintedAndDrawnOnlyForIt)
{
    struct Counting : guitest::RecordingListener
    {
        void GetVariable(const char* keyword, platform::WString& text) override
        {
            ++asked;
            RecordingListener::GetVariable(keyword, text);
        }
        int asked = 0;
    };
    Counting first, second;
    first.values["NAME"] = u"first";
    second.values["NAME"] = u"second";
    ASSERT_TRUE(gui->OpenDialog("P", &first));
    Frame(0, 900, 900);
    gui->DrawDialogs();
    gui->Draw();
    ASSERT_GT(first.asked, 0) << "the panel's figure is read from its object";
    ASSERT_TRUE(gui->OpenDialog("P", &second));
    const auto& open = gui->GetOpenList();
    ASSERT_EQ(open.size(), 2u);
    ASSERT_EQ(open.front().listener, &second);
    ASSERT_EQ(open.back().state, GUIManager::ENTRY_CLOSING);
    const int32_t fresh = open.front().layer;
    gui->DrawDialogs();
    const int askedBefore = first.asked;
    gui->Draw();
    EXPECT_EQ(first.asked, askedBefore) << "the closing entry is not drawn";
    EXPECT_GT(second.asked, 0);
    // Painted white (the background "NONE") at once, and still after the closing entry went at the next update.
    for (int frame = 0; frame < 2; ++frame)
    {
        const SoftSurface* layer = display->GetSurface(fresh);
        ASSERT_NE(layer, nullptr);
        ASSERT_EQ(layer->m_uWidth, 100u);
        EXPECT_EQ(layer->m_pPixels[0], 0x7FFF) << frame;
        EXPECT_EQ(layer->m_pPixels[99 * 100 + 99], 0x7FFF) << frame;
        Frame(10 + frame * 10, 900, 900);
        gui->DrawDialogs();
    }
    EXPECT_EQ(gui->GetOpenList().size(), 1u);
}

// A filter change reads every open panel again from its object. A panel that closed in this frame (its object went,
// or it was reopened for another object) is no longer open: nothing in it is read from its old object, which may be
// gone, and a panel reopened for another object is read last from that object.
TEST_F(GUIManagerTest, AFilterChangeRereadsOnlyTheOpenPanelsFromTheirObjects)
{
    // A widget of the panel that notes the object it is read from.
    struct Probe : Widget
    {
        Probe() : Widget(10, 210, 20, 220) {}
        void Refresh() override { readFrom.push_back(g_pGUIManager->GetDialogObject()); }
        std::vector<DialogListener*> readFrom;
    };
    Probe probe;
    gui->FindItem(WT_DIALOG, "P")->AddChild(&probe);
    const struct
    {
        const char* what;
        bool reopen; // for the second object; else the panel closes as its object goes
    } cases[] = {{"closed as its object goes", false}, {"reopened for another object", true}};
    int32_t filter = 100;
    uint32_t t = 0;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        guitest::RecordingListener first, second;
        gui->CloseAllDialogs();
        Frame(t += 10, 900, 900);
        ASSERT_TRUE(gui->OpenDialog("P", &first));
        Frame(t += 10, 900, 900);
        probe.readFrom.clear();
        gui->SetSelection(1, ++filter);
        ASSERT_EQ(probe.readFrom, std::vector<DialogListener*>{&first}) << "the open panel is read from its object";
        if (c.reopen)
            gui->OpenDialog("P", &second);
        else
            gui->CloseDialogsOfListener(&first);
        probe.readFrom.clear();
        gui->SetSelection(1, ++filter);
        EXPECT_EQ(std::count(probe.readFrom.begin(), probe.readFrom.end(), &first), 0)
            << "the closed panel is not read from its object";
        if (c.reopen)
        {
            EXPECT_EQ(probe.readFrom, std::vector<DialogListener*>{&second});
        }
    }
    // The panel lets go of the probe before it goes.
    gui->Reset();
}

// The open panels are read again when one of the four filters changes (guests 1, buildings 2, staff 9, animals
// 12); a filter set to the value it holds, and any other slot, reads nothing.
TEST_F(GUIManagerTest, OnlyAChangedFilterSlotRereadsTheOpenPanels)
{
    struct Probe : Widget
    {
        Probe() : Widget(10, 210, 20, 220) {}
        void Refresh() override { ++reads; }
        int reads = 0;
    };
    Probe probe;
    gui->FindItem(WT_DIALOG, "P")->AddChild(&probe);
    guitest::RecordingListener listener;
    ASSERT_TRUE(gui->OpenDialog("P", &listener));
    Frame(10, 900, 900);
    const std::set<int> filters = {1, 2, 9, 12};
    constexpr int kSlots = 17;
    for (int slot = 0; slot < kSlots; ++slot)
    {
        const int32_t value = gui->GetSelection(slot) + 5;
        probe.reads = 0;
        gui->SetSelection(slot, value);
        EXPECT_EQ(probe.reads > 0, filters.count(slot) == 1) << "slot " << slot;
        probe.reads = 0;
        gui->SetSelection(slot, value);
        EXPECT_EQ(probe.reads, 0) << "slot " << slot << " set to the value it holds";
    }
    // The panel lets go of the probe before it goes.
    gui->Reset();
}

// A value the object of a panel did not answer (a guest's thought about a building that has gone) is asked no more
// while the panel stays open; opened again, the panel asks once more and shows what the object answers by then.
TEST_F(GUIManagerTest, AValueAnObjectDidNotAnswerIsAskedAgainWhenItsPanelOpensAgain)
{
    struct Sometimes : guitest::RecordingListener
    {
        void GetVariable(const char* keyword, platform::WString& text) override
        {
            ++asked[keyword];
            if (answering)
                text = u"1";
        }
        std::map<std::string, int> asked;
        bool answering = false;
    };
    Script("Font(GuiFont7)\n"
           "DialogItem G(0, 0, 199, 99, NONE, 1, 0)\n{\n"
           "Variable(10, 10, 190, 30, GUEST_THOUGHT_1, 0, 4294967295, 2)\n"
           "VariableImage(10, 40, 40, 70, GUEST_SMILEY)\n}\n");
    // The text and the picture, each with the name its object is asked for.
    const std::pair<const char*, const char*> widgets[] = {{"GUEST_THOUGHT_1", "GUEST_THOUGHT_1"},
                                                           {"GUEST_SMILEY", "GUEST_HAPPY_VALUE"}};
    Sometimes guest;
    uint32_t t = 0;
    auto frames = [&](int n)
    {
        for (int i = 0; i < n; ++i)
        {
            Frame(t += 10, 900, 900);
            gui->DrawDialogs();
            gui->Draw();
        }
    };
    ASSERT_TRUE(gui->OpenDialog("G", &guest));
    frames(5);
    for (const auto& [widget, keyword] : widgets)
        EXPECT_EQ(guest.asked[keyword], 1) << widget << ": asked no more while the panel stays open";
    guest.answering = true;
    gui->CloseDialog("G");
    frames(1);
    ASSERT_TRUE(gui->OpenDialog("G", &guest));
    frames(5);
    for (const auto& [widget, keyword] : widgets)
        EXPECT_GT(guest.asked[keyword], 1) << widget << ": asked again once the panel opened again";
}

// While the manager is locked only the dialogs opened to be drawn then are drawn, each with its own listener as the
// one its widgets read; unlocked, every dialog is drawn from the back to the front.
TEST_F(GUIManagerTest, WhileLockedOnlyTheDialogsMeantForItAreDrawn)
{
    guitest::RecordingListener kept, hidden;
    ASSERT_TRUE(gui->OpenDialog("B", &kept, false, true));
    ASSERT_TRUE(gui->OpenDialog("A", &hidden));
    Frame(0, 900, 900);
    gui->SetLock(true);
    gui->Draw();
    EXPECT_EQ(gui->GetDialogObject(), &kept) << "the locked draw reaches the dialog meant for it";
    gui->SetLock(false);
    gui->Draw();
    EXPECT_EQ(gui->GetDialogObject(), &hidden) << "the front dialog is drawn last";
    // Locked with no dialog open: nothing to draw and nothing goes wrong.
    gui->CloseAllDialogs();
    Frame(5000, 900, 900);
    gui->SetLock(true);
    gui->Draw();
    gui->SetLock(false);
}

} // namespace

namespace
{

// Records what the panel shortcuts ask of the shell.
class PanelShell : public GuiShell
{
public:
    DialogListener* GetShellListener() override { return &listener; }
    void PrepareSaveMenu(bool load) override { calls += load ? "prepare-load " : "prepare-save "; }
    void SaveMenuClosed(bool load) override { calls += load ? "closed-load " : "closed-save "; }
    void UseOverviewCamera() override { calls += "camera "; }
    guitest::RecordingListener listener;
    std::string calls;
};

using GUIPanelTest = guitest::GuiTest;

// Tooltips are written in the script's second font, its small print, and in its first when it names no second.
TEST_F(GUIPanelTest, TheTooltipWritesInTheScriptsSecondFontWhenItHasOne)
{
    const struct
    {
        const char* fonts;
        int slot;
    } cases[] = {
        {"Font(GuiFont7)\nFont(Second)\n", 1},
        {"Font(GuiFont7)\n", 0},
        {"Font(GuiFont7)\nFont()\n", 0},
        {"Font(GuiFont7)\nFont(Second)\nFont(Third)\n", 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fonts);
        Script(std::string(c.fonts) + "MainItem\n{\n}\n");
        ASSERT_NE(gui->GetTextWriter(c.slot), nullptr);
        EXPECT_EQ(gui->GetTooltipBox().GetWriter(), gui->GetTextWriter(c.slot));
    }
}

TEST_F(GUIPanelTest, PanelShortcutsToggleTheirDialogsForTheShellAndAreRefusedBehindAModalOne)
{
    Script("Font(GuiFont7)\nFont(Second)\nMainItem\n{\nButton(10, 500, 50, 520, NONE, 0, None, Fire, NONE)\n}\n"
           "DialogItem LoadGameMenu(0, 0, 99, 99, NONE, 1, 0)\n{\n}\n"
           "DialogItem SaveGameMenu(0, 0, 99, 99, NONE, 2, 0)\n{\n}\n"
           "DialogItem InGameOptions(0, 0, 99, 99, NONE, 3, 0)\n{\n}\n"
           "DialogItem PauseBox(0, 0, 99, 99, NONE, 4, 0)\n{\n}\n"
           "DialogItem ScenarioWon(0, 0, 99, 99, NONE, 5, 0)\n{\n}\n");
    PanelShell shell;
    gui->SetShell(&shell);
    // The script's fonts fill their slots, and its toolbar is live: a press on its button fires it.
    EXPECT_NE(gui->GetTextWriter(1), nullptr);
    EXPECT_EQ(gui->GetTextWriter(2), nullptr);
    Frame(10, 20, 510);
    Frame(20, 20, 510, ME_PRESSED);
    Frame(100, 900, 900);
    EXPECT_EQ(guitest::g_fired.size(), 1u);
    struct Step
    {
        std::function<void()> act;
        std::vector<std::string> open; // front first, after the next update
        const char* calls;
    };
    const Step steps[] = {
        {[&] { gui->ToggleLoadGameMenu(); }, {"LoadGameMenu"}, "prepare-load "},
        {[&] { gui->ToggleSaveGameMenu(); }, {"SaveGameMenu"}, "prepare-save "},
        {[&] { gui->ToggleSaveGameMenu(); }, {}, "closed-save "},
        {[&] { gui->ToggleInGameOptions(); }, {"InGameOptions"}, ""},
        {[&] { gui->ToggleInGameOptions(); }, {}, ""},
        {[&] { gui->OpenPauseBox(); }, {"PauseBox"}, ""},
        {[&] { gui->ToggleInGameOptions(), gui->ToggleLoadGameMenu(), gui->OpenBuildPanel(); }, {"PauseBox"}, ""},
        {[&] { gui->ClosePauseBox(), gui->OpenDialog("ScenarioWon", nullptr), gui->OpenPauseBox(); },
         {"ScenarioWon"},
         ""},
        {[&] { gui->ToggleInGameOptions(); }, {"InGameOptions", "ScenarioWon"}, ""},
    };
    uint32_t t = 200;
    for (const Step& s : steps)
    {
        shell.calls.clear();
        s.act();
        Frame(t += 10, 900, 900);
        std::vector<std::string> open;
        for (const auto& entry : gui->GetOpenList())
            open.push_back(entry.dialog->GetName());
        EXPECT_EQ(open, s.open) << t;
        EXPECT_EQ(shell.calls, s.calls) << t;
        if (!open.empty() && open[0] != "PauseBox" && open[0] != "ScenarioWon")
        {
            EXPECT_EQ(gui->GetOpenList()[0].listener, &shell.listener) << t;
        }
    }
    gui->SetShell(nullptr);
}

} // namespace
