// Tests of the front-end screens: element transitions by kind, the screen phases and start command, the glide of an
// element two screens share, buttons, value texts and pictures, and the rising bubbles.
#include "gui/ScreenElements.h"
#include "gui/GuiShell.h"
#include "platform/Random.h"
#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

// An element of a known size (a fifth of the page wide, a tenth high).
class BoxElement : public ScreenElement
{
public:
    BoxElement() : ScreenElement(GuiRect{240, 240, 400, 300}, "Box") {}
    float GetRelativeWidth() const override { return 0.2f; }
    float GetRelativeHeight() const override { return 0.1f; }
};

struct KindCase
{
    int32_t kind;
    bool entering;
    float startX, startY;   // where the element stands once the transition starts
    float targetX, targetY; // where it ends
};

// The element stands at (0.3, 0.4); entering transitions aim at (0.6, 0.5).
const KindCase kKindCases[] = {
    {1, true, 0.6f, -0.1f, 0.6f, 0.5f},  {2, true, 0.6f, 1.0f, 0.6f, 0.5f},   {3, true, -0.2f, 0.5f, 0.6f, 0.5f},
    {4, true, 1.0f, 0.5f, 0.6f, 0.5f},   {5, true, 0.6f, 0.5f, 0.6f, 0.5f},   {6, true, 0.3f, 0.4f, 0.6f, 0.5f},
    {9, true, 0.6f, 0.5f, 0.6f, 0.5f},   {1, false, 0.3f, 0.4f, 0.3f, -0.1f}, {2, false, 0.3f, 0.4f, 0.3f, 1.0f},
    {3, false, 0.3f, 0.4f, -0.2f, 0.4f}, {4, false, 0.3f, 0.4f, 1.0f, 0.4f},  {5, false, 0.3f, 0.4f, 0.3f, 0.4f},
    {6, false, 0.3f, 0.4f, 0.3f, 0.4f},  {0, false, 0.3f, 0.4f, 0.3f, 0.4f},
};

TEST(ScreenElementTest, EachKindStartsAndEndsWhereItsEdgeSays)
{
    for (const KindCase& c : kKindCases)
    {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << (c.entering ? " entering" : " leaving"));
        BoxElement box;
        box.SetActive(true);
        box.SetPosition(0.3f, 0.4f);
        box.StartTransition(c.kind, c.entering, false, 0.6f, 0.5f, 1.0f, 0.0f, 1.0f, 255);
        EXPECT_FLOAT_EQ(box.GetX(), c.startX);
        EXPECT_FLOAT_EQ(box.GetY(), c.startY);
        box.Update(0.5f);
        EXPECT_TRUE(box.IsTransitionRunning());
        EXPECT_NEAR(box.GetX(), (c.startX + c.targetX) / 2, 1e-5f);
        EXPECT_NEAR(box.GetY(), (c.startY + c.targetY) / 2, 1e-5f);
        box.Update(0.5f);
        EXPECT_FALSE(box.IsTransitionRunning());
        EXPECT_NEAR(box.GetX(), c.targetX, 1e-5f);
        EXPECT_NEAR(box.GetY(), c.targetY, 1e-5f);
    }
}

TEST(ScreenElementTest, DelayHoldsThenAlphaAndScaleMoveWithTheTime)
{
    BoxElement box;
    box.SetActive(true);
    box.SetAlpha(0);
    box.SetScale(0.5f);
    box.StartTransition(5, true, true, 0.3f, 0.4f, 2.0f, 0.5f, 1.5f, 200);
    box.Update(0.25f); // still waiting
    EXPECT_EQ(box.GetAlpha(), 0);
    EXPECT_FLOAT_EQ(box.GetScale(), 0.5f);
    box.Update(0.25f); // the delay is spent, and the same step already moves by its time
    box.Update(0.5f);  // 0.75 s of 2 s
    EXPECT_EQ(box.GetAlpha(), static_cast<int>(200 * 0.375f));
    EXPECT_NEAR(box.GetScale(), 0.5f + 1.0f * 0.375f, 1e-5f);
    // A second start while running changes nothing.
    box.StartTransition(1, true, false, 0.9f, 0.9f, 0.1f, 0.0f, 3.0f, 10);
    box.Update(1.0f);
    EXPECT_TRUE(box.IsTransitionRunning());
    EXPECT_TRUE(box.IsActive());
    box.Update(0.25f);
    EXPECT_EQ(box.GetAlpha(), 200);
    EXPECT_FALSE(box.IsTransitionRunning());
    EXPECT_FALSE(box.IsActive()); // hide at the end
}

TEST(ScreenElementTest, TransitionOfNoLengthReachesItsTargetsAtOnce)
{
    BoxElement box;
    box.SetActive(true);
    box.SetAlpha(255);
    box.StartTransition(3, false, true, 0.0f, 0.0f, 0.0f, 0.0f, 2.0f, 0);
    box.Update(0.016f);
    EXPECT_FALSE(box.IsTransitionRunning());
    EXPECT_FLOAT_EQ(box.GetX(), -0.2f);
    EXPECT_EQ(box.GetAlpha(), 0);
    EXPECT_FLOAT_EQ(box.GetScale(), 2.0f);
    EXPECT_FALSE(box.IsActive());
}

TEST(ScreenElementTest, ImageRectScalesThePagePlaceToTheDisplay)
{
    BoxElement box;
    box.SetPosition(0.25f, 0.5f);
    box.SetScale(2.0f);
    // Without a GUI manager the display is the 800 x 600 page.
    const GuiRect r = box.ImageRect(100, 30);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.bottom, 360);
}

TEST(ScreenSpriteSetTest, TextureSidesRoundUpToPowersOfTwoFrom32To1024)
{
    const struct
    {
        uint32_t size, side;
    } cases[] = {{0, 32}, {1, 32}, {32, 32}, {33, 64}, {200, 256}, {512, 512}, {513, 1024}, {5000, 1024}};
    for (const auto& c : cases)
        EXPECT_EQ(ScreenSpriteSet::TextureSide(c.size), c.side) << c.size;
}

// ---- bubbles

TEST(BubbleSetTest, TwelveBubblesStartAtRandomHeightsFromTheGamesGenerator)
{
    platform::SRand(1234);
    BubbleSet bubbles(nullptr);
    ASSERT_EQ(bubbles.GetBubbles().size(), 12u);
    // The same seed gives the same draws: size, x, then height, per bubble.
    platform::SRand(1234);
    for (const BubbleSet::Bubble& b : bubbles.GetBubbles())
    {
        const float u1 = platform::Rand() / 32767.0f, u2 = platform::Rand() / 32767.0f,
                    u3 = platform::Rand() / 32767.0f;
        EXPECT_FLOAT_EQ(b.size, 0.25f + 0.75f * u1);
        EXPECT_FLOAT_EQ(b.x, 1.1f * u2 - 0.1f);
        EXPECT_FLOAT_EQ(b.y, u3);
        EXPECT_FLOAT_EQ(b.opacity, 0.5f);
    }
}

TEST(BubbleSetTest, BubblesRiseFasterWhenSmallAndGoAboveTheTop)
{
    BubbleSet bubbles(nullptr);
    const BubbleSet::Bubble first = bubbles.GetBubbles().front();
    bubbles.SetInterval(100.0f);
    bubbles.Update(0.5f);
    EXPECT_NEAR(bubbles.GetBubbles().front().y, first.y - 0.5f * 0.2f / (1.5f * first.size), 1e-5f);
    EXPECT_FLOAT_EQ(bubbles.GetBubbles().front().age, 0.5f);
    // The slowest bubble (size 1) needs (1.2 / (0.2 / 1.5)) = 9 s to pass -0.2 from the bottom of the screen.
    for (int i = 0; i < 100; ++i)
        bubbles.Update(0.1f);
    for (const BubbleSet::Bubble& b : bubbles.GetBubbles())
        EXPECT_GT(b.y, -0.2f);
}

TEST(BubbleSetTest, AnIntervalOfZeroRaisesABubbleEveryFrame)
{
    BubbleSet bubbles(nullptr);
    bubbles.SetInterval(0.0f);
    bubbles.Update(1.0f); // the first countdown of 1 s runs out
    for (int i = 0; i < 5; ++i)
        bubbles.Update(0.001f);
    // Those born in the last five frames are the youngest (the start bubbles may have risen out meanwhile).
    int young = 0;
    for (const BubbleSet::Bubble& b : bubbles.GetBubbles())
        young += b.age < 0.01f;
    EXPECT_EQ(young, 5);
    EXPECT_FLOAT_EQ(bubbles.GetBubbles().back().y, 1.1f - 0.001f * 0.2f / (1.5f * bubbles.GetBubbles().back().size));
}

TEST(BubbleSetTest, AlphaIsClampedAndFadesOverOneSecond)
{
    const struct
    {
        float asked, reached;
    } cases[] = {{2.0f, 1.0f}, {-1.0f, 0.0f}, {0.7f, 0.7f}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.asked);
        BubbleSet bubbles(nullptr);
        bubbles.SetInterval(100.0f);
        bubbles.SetAlpha(c.asked);
        EXPECT_FLOAT_EQ(bubbles.GetAlpha(), c.reached);
        bubbles.Update(0.5f);
        EXPECT_NEAR(bubbles.GetBubbles().front().opacity, 0.5f + (c.reached - 0.5f) * 0.5f, 1e-5f);
        bubbles.Update(0.5f);
        EXPECT_FALSE(bubbles.IsFading());
        EXPECT_NEAR(bubbles.GetBubbles().front().opacity, c.reached, 1e-5f);
    }
}

// A second fade starts from the alpha the first one asked for (even when the first has not finished), not from the
// alpha of construction.
TEST(BubbleSetTest, ANewFadeStartsFromTheAlphaAskedBefore)
{
    const struct
    {
        float first, waited, second, after, opacity; // opacity `after` seconds into the second fade
    } cases[] = {
        {1.0f, 1.0f, 0.2f, 0.5f, 0.6f},   // 1.0 + (0.2 - 1.0) x 0.5
        {0.0f, 1.0f, 1.0f, 0.25f, 0.25f}, // 0.0 + (1.0 - 0.0) x 0.25
        {1.0f, 0.5f, 0.0f, 0.25f, 0.75f}, // from 1.0, though the first fade had reached only 0.75
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.second);
        BubbleSet bubbles(nullptr);
        bubbles.SetInterval(100.0f);
        bubbles.SetAlpha(c.first);
        bubbles.Update(c.waited);
        bubbles.SetAlpha(c.second);
        bubbles.Update(c.after);
        EXPECT_NEAR(bubbles.GetBubbles().front().opacity, c.opacity, 1e-5f);
    }
}

// ---- screens from a script

void Go(int32_t)
{
    guitest::g_fired.emplace_back("Go", 0);
}
constexpr GuiCommand kFrontEnd[] = {{"StartButton", Go}, {"NONE", nullptr}};

class RecordingShell : public GuiShell
{
public:
    void SelectScreen(int32_t screen) override { selected.push_back(screen); }
    void ClearScenarioList() override { ++cleared; }
    DialogListener* GetShellListener() override { return &listener; }
    void GetScenarioChoice(bool* sb, int32_t* index, int32_t* p) const override
    {
        *sb = sandbox;
        *index = scenario;
        *p = park;
    }
    std::vector<int32_t> selected;
    int cleared = 0;
    guitest::RecordingListener listener;
    bool sandbox = false;
    int32_t scenario = 0;
    int32_t park = 0;
};

// Two screens: "Menu" places Shared at (80, 60) and Only at (400, 300), entering in 1 s; "Go" places Shared at
// (400, 120) in 2 s and starts the game when settled.
const char* const kScreens = R"(
ScreenVar(80,60,240,120,Shared,NOTHING,0,0)
ScreenVar(400,300,560,360,Only,NOTHING,0,0)
ScreenButton(100,400,200,440,0,0,100,40,Btn,none.tga,none.tga,StartButton,BTN_ON)
ScreenItem Menu(0,0,800,600,bg.tga,1.0,128,NONE,X)
{
ScreenItemInfo(80,60,240,120,Shared,255,1.0,2,0,1.0,0.0,1.0,1,0,1.0,0.0,1.0)
ScreenItemInfo(400,300,560,360,Only,255,1.0,4,0,1.0,0.0,1.0,3,0,0.5,0.0,1.0)
ScreenItemInfo(100,400,200,440,Btn,255,1.0,5,255,0.0,0.0,1.0,5,0,0.0,0.0,1.0)
}
ScreenItem Go(0,0,800,600,bg.tga,0.5,64,STARTGAME,X)
{
ScreenItemInfo(400,120,560,180,Shared,200,1.0,1,0,2.0,0.0,1.0,1,0,1.0,0.0,1.0)
}
)";

class ScreenScriptTest : public guitest::GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        SetGuiCommandTables({}, kFrontEnd);
        gui->SetShell(&shell);
        shell.listener.values["BTN_ON"] = u"1";
        gui->CreateScreenSet();
        Script(kScreens);
    }
    ScreenElement* Element(int32_t type, const char* name)
    {
        return dynamic_cast<ScreenElement*>(gui->FindItem(type, name));
    }
    ScreenItem* Current() { return dynamic_cast<ScreenItem*>(gui->GetCurrentScreen()); }
    RecordingShell shell;
};

// A name no screen has leaves no screen current: the one before is not drawn or answered again half put away.
TEST_F(ScreenScriptTest, ANameNoScreenHasLeavesNoScreenCurrent)
{
    gui->ActivateScreen("Menu");
    ASSERT_NE(Current(), nullptr);
    gui->ActivateScreen("NoSuchScreen");
    EXPECT_EQ(gui->GetCurrentScreen(), nullptr);
    EXPECT_FALSE(gui->IsCurrentScreenLocked());
}

TEST_F(ScreenScriptTest, PhasesRunLeaveEnterSettleAndTheStartCommandComesLast)
{
    gui->ActivateScreen("Menu");
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Current()->GetPhase(), ScreenItem::PHASE_LEAVING);
    EXPECT_EQ(Current()->GetElements().size(), 3u);
    Frame(16, -1, -1);
    EXPECT_EQ(Current()->GetPhase(), ScreenItem::PHASE_ENTERING);
    ScreenElement* shared = Element(WT_SCREENVAR, "Shared");
    ScreenElement* only = Element(WT_SCREENVAR, "Only");
    EXPECT_TRUE(shared->IsActive());
    EXPECT_FLOAT_EQ(shared->GetY(), 1.0f); // from the bottom edge
    EXPECT_FLOAT_EQ(only->GetX(), 1.0f);   // from the right edge
    EXPECT_TRUE(gui->IsCurrentScreenLocked());
    Frame(1100, -1, -1); // the enter transitions end
    EXPECT_FALSE(gui->IsCurrentScreenLocked());
    Frame(1116, -1, -1);
    EXPECT_EQ(Current()->GetPhase(), ScreenItem::PHASE_SETTLED);
    EXPECT_FLOAT_EQ(shared->GetX(), 0.1f);
    EXPECT_FLOAT_EQ(shared->GetY(), 0.1f);
    EXPECT_TRUE(shell.selected.empty()); // NONE does nothing

    // The second screen: Only leaves (to the left, 0.5 s), Shared stays and then glides.
    gui->ActivateScreen("Go");
    EXPECT_EQ(gui->GetBubbles()->GetInterval(), 0.5f);
    EXPECT_FLOAT_EQ(gui->GetBubbles()->GetAlpha(), 64.0f / 255.0f);
    EXPECT_TRUE(only->IsTransitionRunning());
    EXPECT_FALSE(shared->IsTransitionRunning());
    Frame(1316, -1, -1);
    EXPECT_EQ(Current()->GetPhase(), ScreenItem::PHASE_LEAVING); // waits for the leaving element
    Frame(1716, -1, -1); // Only is gone, and the entering starts in the same frame
    EXPECT_FALSE(only->IsActive());
    EXPECT_FLOAT_EQ(only->GetX(), -0.2f);
    ASSERT_EQ(Current()->GetPhase(), ScreenItem::PHASE_ENTERING);
    // Shared glides from where it is, keeping its alpha as the start: halfway after 1 of 2 s.
    EXPECT_FLOAT_EQ(shared->GetX(), 0.1f);
    EXPECT_EQ(shared->GetAlpha(), 255);
    Frame(2716, -1, -1);
    EXPECT_NEAR(shared->GetX(), 0.1f + (0.5f - 0.1f) * 0.5f, 1e-4f);
    EXPECT_NEAR(shared->GetY(), 0.1f + (0.2f - 0.1f) * 0.5f, 1e-4f);
    EXPECT_EQ(shared->GetAlpha(), 255 + static_cast<int>((200 - 255) * 0.5f));
    EXPECT_TRUE(shell.selected.empty());
    Frame(3800, -1, -1);
    Frame(3816, -1, -1);
    // Settled: the start command goes to the game (a new park is reached through the loading screen).
    EXPECT_EQ(shell.selected, std::vector<int32_t>{5});
    EXPECT_EQ(shell.cleared, 1);
}

TEST_F(ScreenScriptTest, ButtonFiresOnlyWhenHoveredFirstAndIgnoresPressesWhileMoving)
{
    gui->ActivateScreen("Menu");
    // The button is over (100..200, 400..440); while the screen's transitions run, presses are ignored.
    Frame(16, 150, 420, 1);
    Frame(32, 150, 420, 1);
    EXPECT_TRUE(guitest::g_fired.empty());
    Frame(1200, -1, -1);
    Frame(1216, -1, -1);
    auto* button = dynamic_cast<ScreenButton*>(Element(WT_SCREENBUTTON, "Btn"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetState(), ScreenButton::STATE_IDLE);
    Frame(1232, 150, 420, 1); // the first event over it: only the highlight
    EXPECT_EQ(button->GetState(), ScreenButton::STATE_OVER);
    EXPECT_TRUE(guitest::g_fired.empty());
    Frame(1248, 150, 420, 0);
    Frame(1264, 150, 420, 1);
    ASSERT_EQ(guitest::g_fired.size(), 1u);
    Frame(1280, 10, 10, 0);
    EXPECT_EQ(button->GetState(), ScreenButton::STATE_IDLE);
    // The enable variable answers 0: disabled, and back to idle once it answers again.
    shell.listener.values["BTN_ON"] = u"0";
    Frame(1296, 10, 10, 0);
    EXPECT_EQ(button->GetState(), ScreenButton::STATE_DISABLED);
    shell.listener.values["BTN_ON"] = u"3";
    Frame(1312, 10, 10, 0);
    EXPECT_EQ(button->GetState(), ScreenButton::STATE_IDLE);
}

// An enable variable the game does not know is asked for once each time the screen comes up, not every frame (the
// game reports every unknown name it is asked for), and leaves the button as it is, usable.
TEST_F(ScreenScriptTest, AnEnableVariableTheGameDoesNotKnowIsAskedOnceAndLeavesTheButtonUsable)
{
    struct Counting : guitest::RecordingListener
    {
        void GetVariable(const char* keyword, platform::WString& text) override
        {
            asked += std::string(keyword) == "BTN_ON";
            RecordingListener::GetVariable(keyword, text);
        }
        int asked = 0;
    };
    Counting listener;
    struct Shell : RecordingShell
    {
        DialogListener* GetShellListener() override { return target; }
        DialogListener* target = nullptr;
    } shell;
    shell.target = &listener;
    gui->SetShell(&shell);
    auto* button = dynamic_cast<ScreenButton*>(Element(WT_SCREENBUTTON, "Btn"));
    ASSERT_NE(button, nullptr);
    uint32_t t = 0;
    for (int shown = 1; shown <= 2; ++shown)
    {
        gui->ActivateScreen("Menu");
        for (int i = 0; i < 100; ++i)
            Frame(t += 16, -1, -1);
        EXPECT_EQ(listener.asked, shown) << "once each time the screen comes up";
        EXPECT_NE(button->GetState(), ScreenButton::STATE_DISABLED);
        guitest::g_fired.clear();
        Frame(t += 16, 150, 420, 0);
        Frame(t += 16, 150, 420, 1);
        EXPECT_EQ(guitest::g_fired.size(), 1u) << "the button still fires";
        // Another screen, without the button: it leaves, and comes up again with the menu.
        gui->ActivateScreen("Go");
        for (int i = 0; i < 10; ++i)
            Frame(t += 16, -1, -1);
        ASSERT_FALSE(button->IsActive());
    }
    gui->SetShell(nullptr);
}

TEST_F(ScreenScriptTest, ValueTextNamesTheChosenScenariosDescription)
{
    const struct
    {
        const char* variable;
        bool sandbox;
        int32_t scenario;
        const char* id;
    } cases[] = {{"CUR_SCENARIO_DESC", false, 2, "MAINSS_SCENARIO3_DESC"},
                 {"cur_scenario_desc", true, 0, "MAINSS_SANDBOX1_DESC"},
                 {"SOMETHING_ELSE", false, 2, ""}};
    for (const auto& c : cases)
    {
        shell.sandbox = c.sandbox;
        shell.scenario = c.scenario;
        ScreenVar text(GuiRect{0, 0, 10, 10}, "T", c.variable, 0, 0);
        EXPECT_EQ(text.TextId(), c.id) << c.variable;
    }
}

TEST_F(ScreenScriptTest, ThumbnailFollowsTheParkNumberAndIsHalfAPageWithoutOne)
{
    ScreenVarImage thumb(GuiRect{0, 0, 10, 10}, "Thumb", "SCENARIO_THUMBNAIL");
    ScreenVarImage other(GuiRect{0, 0, 10, 10}, "Other", "NOT_A_PICTURE");
    for (int32_t park : {0, 4, -1})
    {
        shell.park = park;
        EXPECT_EQ(thumb.CurrentImage(), nullptr) << park;
        EXPECT_FLOAT_EQ(thumb.GetRelativeWidth(), 0.5f);
        EXPECT_FLOAT_EQ(thumb.GetRelativeHeight(), 0.5f);
    }
    for (int32_t park : {1, 2, 3})
    {
        shell.park = park;
        ASSERT_NE(thumb.CurrentImage(), nullptr) << park;
        EXPECT_NE(thumb.CurrentImage()->GetFileName().find(ScreenVarImage::kThumbnails[park - 1]), std::string::npos);
        EXPECT_EQ(other.CurrentImage(), nullptr);
    }
}

TEST_F(ScreenScriptTest, MissingBracketsAreReportedAndBuildNothing)
{
    const struct
    {
        const char* line;
        const char* routine;
    } cases[] = {{"ScreenImage 1,2", "GUIManager::ProcessScreenImage"},
                 {"ScreenButton 1,2", "GUIManager::ProcessScreenButton"},
                 {"ScreenListBox 1", "GUIManager::ProcessScreenListBox"},
                 {"ScreenVarImage 1", "GUIManager::ProcessScreenVarImage"},
                 {"ScreenVar 1", "GUIManager::ProcessScreenVariable"}};
    for (const auto& c : cases)
    {
        Script(c.line);
        std::vector<Widget*> elements;
        gui->CollectScreenElements(elements);
        EXPECT_TRUE(elements.empty()) << c.line;
        const std::string all = reports.debug + [this]
        {
            std::string boxes;
            for (const auto& box : reports.boxes)
                boxes += box.text;
            return boxes;
        }();
        EXPECT_NE(all.find(std::string(c.routine) + " - Script Error \r\nNo open bracket"), std::string::npos)
            << c.line;
    }
}

// A finished screen names what the game does next, in any case: starting or loading a park goes through the loading
// screen, or straight to the load list's choice when the game was started to load one; a reset goes to the loading
// screen, a load from inside a park back to the main menu. Every other name, and none, leaves the screen as it is.
TEST_F(ScreenScriptTest, AStartStateNameTellsTheGameWhereToGoNext)
{
    struct Shell : RecordingShell
    {
        void TakeLoadListSelection() override { ++taken; }
        int taken = 0;
    };
    const struct
    {
        const char* name;
        bool direct;
        bool leaves;    // the screen is put away
        int cleared;    // the scenario list is emptied
        int taken;      // the load list's choice is taken
        int32_t screen; // the screen chosen, -1 for none
    } cases[] = {{"STARTGAME", false, true, 1, 0, 5},
                 {"startGame", false, true, 1, 0, 5},
                 {"LOADGAME", false, true, 1, 0, 5},
                 {"loadgame", true, true, 1, 1, -1},
                 {"STARTGAME", true, true, 1, 1, -1},
                 {"RESETGAME", false, true, 0, 0, 5},
                 {"ResetGame", true, true, 0, 0, 5},
                 {"INGAMELOAD", false, true, 0, 0, 1},
                 {"InGameLoad", true, true, 0, 0, 1},
                 {"NONE", false, false, 0, 0, -1},
                 {"none", true, false, 0, 0, -1},
                 {nullptr, false, false, 0, 0, -1},
                 {"STARTGAMES", false, false, 0, 0, -1},
                 {"QUIT", false, false, 0, 0, -1},
                 {"", false, false, 0, 0, -1}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name ? c.name : "(no name)");
        Shell shell;
        gui->SetShell(&shell);
        gui->SetDirectStart(c.direct);
        gui->ActivateScreen("Menu");
        ASSERT_NE(Current(), nullptr);
        gui->StartGameState(c.name);
        EXPECT_EQ(Current() == nullptr, c.leaves);
        EXPECT_EQ(shell.cleared, c.cleared);
        EXPECT_EQ(shell.taken, c.taken);
        EXPECT_EQ(shell.selected, c.screen < 0 ? std::vector<int32_t>{} : std::vector<int32_t>{c.screen});
        gui->SetShell(nullptr);
    }
    gui->SetDirectStart(false);
}

// ---- scales far past any screen

// A scale that the page's pixels cannot hold, reached directly or through a transition.
struct BigScaleCase
{
    const char* what;
    float startScale;  // the scale before the transition
    float targetScale; // the scale the transition aims at (reached after its second)
    float seconds;     // how far into the transition the element is looked at
    bool grows;        // the scale is positive: the rectangle reaches right and down
};

const BigScaleCase kBigScales[] = {
    {"ten million times", 1.0f, 1.0e7f, 1.0f, true},
    {"the largest float", 1.0f, 3.4e38f, 1.0f, true},
    {"half way to the largest float", 1.0f, 3.4e38f, 0.5f, true},
    {"ten million times, mirrored", 1.0f, -1.0e7f, 1.0f, false},
    {"the most negative float", 1.0f, -3.4e38f, 1.0f, false},
};

// However far an element is scaled, its picture and its text reach past the page from their corner and never
// turn back over it.
TEST(ScreenElementTest, AnElementScaledPastAnyScreenReachesPastThePageFromItsCorner)
{
    for (const BigScaleCase& c : kBigScales)
    {
        SCOPED_TRACE(c.what);
        ScreenVar text(GuiRect{80, 60, 240, 120}, "T", "NOTHING", 0, 0);
        text.SetActive(true);
        text.SetRelativeSize(0.2f, 0.1f);
        text.SetScale(c.startScale);
        text.StartTransition(5, true, false, 0.25f, 0.5f, 1.0f, 0.0f, c.targetScale, 255);
        text.Update(c.seconds);
        // Without a GUI manager the display is the 800 x 600 page; the corner is at (200, 300).
        for (const GuiRect& r : {text.ImageRect(100, 30), text.TextRect()})
        {
            EXPECT_EQ(r.left, 200);
            EXPECT_EQ(r.top, 300);
            if (c.grows)
            {
                EXPECT_GE(r.right, r.left + 800);
                EXPECT_GE(r.bottom, r.top + 600);
            }
            else
            {
                EXPECT_LE(r.right, r.left - 800);
                EXPECT_LE(r.bottom, r.top - 600);
            }
        }
    }
}

TEST(ScreenElementTest, AValueTextTakesItsPlacedShareOfTheDisplayAtItsScale)
{
    ScreenVar text(GuiRect{80, 60, 240, 120}, "T", "NOTHING", 0, 0);
    text.SetPosition(0.25f, 0.5f);
    text.SetRelativeSize(0.2f, 0.1f);
    text.SetScale(1.5f);
    // 0.2 x 1.5 of 800 wide, 0.1 x 1.5 of 600 high, from the corner at (200, 300).
    const GuiRect r = text.TextRect();
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(r.right, 200 + 240);
    EXPECT_EQ(r.bottom, 300 + 90);
}

} // namespace
