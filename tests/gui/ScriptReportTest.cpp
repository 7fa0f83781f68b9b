// Tests of what the GUI reports: a garbled script reports each kind of fault once, at load, with no raw bytes; words
// from scripts and sprite files are escaped; a variable no listener answers is asked for once per button; a
// missing GUI script or sprite file is one report naming it, and widgets whose picture is missing keep their place.
#include "GuiTestSupport.h"

#include "engine/core/Logger.h"
#include "gui/Button.h"
#include "gui/DialogItem.h"
#include "gui/ReportText.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{

// Only printable ASCII, carriage returns and line feeds.
bool Printable(const std::string& text)
{
    for (const char c : text)
    {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\r' && b != '\n') || b >= 0x7F)
            return false;
    }
    return true;
}

// The fault a report names: its text up to "file offset", digits left out.
std::string FaultOf(const std::string& text)
{
    std::string head = text.substr(0, text.find("file offset"));
    std::erase_if(head, [](char c) { return c >= '0' && c <= '9'; });
    return head;
}

class ScriptReportTest : public guitest::GuiTest
{
protected:
    int Boxes(const std::string& part) const
    {
        int n = 0;
        for (const auto& box : reports.boxes)
            n += box.text.find(part) != std::string::npos;
        return n;
    }
    int DebugLines(const std::string& part) const
    {
        int n = 0;
        for (size_t at = reports.debug.find(part); at != std::string::npos; at = reports.debug.find(part, at + 1))
            ++n;
        return n;
    }
};

TEST_F(ScriptReportTest, AGarbledScriptReportsEachFaultOnceAtLoadWithoutRawBytes)
{
    const std::string menu =
        testsupport::ReadText(std::string(TW_SOURCE_DIR) + "/sample-data/src/data/script/gui/MainMenu.pis");
    ASSERT_FALSE(menu.empty());
    // About 3 KB of the main menu, every fifth byte replaced by a byte of a fixed pseudo-random sequence.
    std::string script;
    while (script.size() < 3000)
        script += menu;
    uint32_t seed = 12345;
    for (size_t i = 3; i < script.size(); i += 5)
    {
        seed = seed * 1103515245u + 12345u;
        script[i] = static_cast<char>((seed >> 16) & 0xFF);
    }
    const GuiScript parsed = GuiParser(800, 600).Parse(script.data(), script.size());
    uint32_t met = 0;
    for (const GuiFault& fault : parsed.faults)
        met += fault.count;
    reports.boxes.clear();
    reports.debug.clear();
    Script(script);
    const size_t atLoad = reports.boxes.size();
    ASSERT_GT(atLoad, 0u);
    EXPECT_GT(met, 3 * atLoad) << "most faults repeat a kind already reported";
    std::set<std::string> faults;
    for (const auto& box : reports.boxes)
    {
        EXPECT_TRUE(Printable(box.text)) << box.text;
        EXPECT_TRUE(faults.insert(FaultOf(box.text)).second) << "reported twice: " << box.text;
    }
    EXPECT_TRUE(Printable(reports.debug));
    // Frames with every dialog open and the mouse pressing about report nothing more.
    for (const Widget* item : gui->GetTopLevel())
        if (item->GetType() == WT_DIALOG)
            gui->OpenDialog(item->GetName(), nullptr);
    for (uint32_t t = 10; t < 1000; t += 10)
    {
        Frame(t, static_cast<int32_t>(t * 7 % 800), static_cast<int32_t>(t * 3 % 600), t / 10 % 3);
        gui->DrawDialogs();
        gui->Draw();
    }
    EXPECT_EQ(reports.boxes.size(), atLoad);
}

TEST_F(ScriptReportTest, WordsOfAScriptAreEscapedAndCutInItsReports)
{
    struct Case
    {
        std::string script;
        std::string shown; // as the report must show it
    };
    const std::string longName(300, 'L');
    const Case cases[] = {
        {"DialogItem D(0, 0, 99, 99, NONE, 1, 0)\n{\nAb\x1b[2J\n}\n", "string Ab\\x1b[2J"},
        {"DialogItem D(0, 0, 99, 99, NONE, 1, 0)\n{\n\xff\xfe\x80\n}\n", "string \\xff\\xfe\\x80"},
        {"DialogItem D(0, 0, 99, 99, NONE, 1, 0)\n{\na\\b\x7f\n}\n", "string a\\\\b\\x7f"},
        {"Define Bad\aName\n{\n}\nDefine Bad\aName\n{\n}\n", "Bad\\x07Name is defined again"},
        {"Define " + longName + "\n{\n}\nDefine " + longName + "\n{\n}\n",
         std::string(32, 'L') + "... is defined again"},
    };
    for (const Case& c : cases)
    {
        reports.boxes.clear();
        Script(c.script);
        ASSERT_EQ(reports.boxes.size(), 1u) << c.shown;
        EXPECT_NE(reports.boxes[0].text.find(c.shown), std::string::npos) << reports.boxes[0].text;
        EXPECT_EQ(reports.boxes[0].text.find("times"), std::string::npos) << "a fault met once has no count";
        EXPECT_TRUE(Printable(reports.boxes[0].text)) << c.shown;
    }
    // The helper alone: short words pass as they are.
    EXPECT_EQ(ReportWord("Button_Over"), "Button_Over");
    EXPECT_EQ(ReportWord(" a b ~"), " a b ~");
    EXPECT_EQ(ReportWord(std::string(32, 'x')), std::string(32, 'x'));
    EXPECT_EQ(ReportWord(std::string("\0\t", 2), 1), "\\x00...");
}

TEST_F(ScriptReportTest, AFontNamedAgainIsReadOnceAndANameOfNoFileHasNoFont)
{
    // No font file is at hand: each font read reports its two missing tables.
    reports.boxes.clear();
    Script("Font(GuiFont7)\nFont(Bad\x1b]0;Name)\nFont(GuiFont7)\nFont()\n");
    EXPECT_EQ(Boxes("Font::Font"), 2) << "one font read for two slots";
    EXPECT_EQ(Boxes("names no font file"), 1);
    std::set<std::string> seen;
    for (const auto& box : reports.boxes)
    {
        EXPECT_TRUE(Printable(box.text)) << box.text;
        EXPECT_TRUE(seen.insert(box.text).second) << "twice: " << box.text;
    }
    EXPECT_NE(gui->GetFont(0), nullptr);
    EXPECT_EQ(gui->GetFont(2), gui->GetFont(0));
    EXPECT_EQ(gui->GetFont(1), nullptr);
    EXPECT_EQ(gui->GetFont(3), nullptr);
    EXPECT_EQ(gui->GetFont(4), nullptr) << "past the slots";
    EXPECT_EQ(gui->GetFont(-1), nullptr);
    for (int slot = 0; slot < 4; ++slot)
        EXPECT_NE(gui->GetTextWriter(slot), nullptr) << slot;
    // A reset drops them all.
    gui->Reset();
    EXPECT_EQ(gui->GetFont(0), nullptr);
    EXPECT_EQ(gui->GetTextWriter(0), nullptr);
}

TEST_F(ScriptReportTest, BankNamesFromASpriteFileAreEscapedInItsReports)
{
    // A bank whose name holds an escape sequence and whose animation lies outside the data.
    guitest::BankMade bank{"Bad\x1b[31m", 1, {}, {{"anim\x9b", 4, 4, 1, {{0xFC, 0xFC, 0xFC, 0xFC}}}}};
    std::vector<uint8_t> hdr, dat;
    guitest::MakeSpriteFiles({bank}, &hdr, &dat);
    dat.clear();
    reports.debug.clear();
    GetSpriteManager().LoadSpriteData(hdr.data(), hdr.size(), dat, "bad.hdr");
    EXPECT_NE(reports.debug.find("Bad\\x1b[31m"), std::string::npos) << reports.debug;
    EXPECT_NE(reports.debug.find("anim\\x9b"), std::string::npos) << reports.debug;
    EXPECT_TRUE(Printable(reports.debug));
}

// Answers the keywords it knows with 1; reports each unknown one, as the game's objects do.
class AskedListener : public DialogListener
{
public:
    void GetVariable(const char* keyword, platform::WString& text) override
    {
        ++asked[keyword];
        if (known.count(keyword))
            text = u"1";
        else
            GetLogger()->Report(0, "AskedListener::GetVariable - data keyword not recognised - %s", keyword);
    }
    void ResetPanelState() override {}
    std::map<std::string, int> asked;
    std::set<std::string> known{"GO_STATE"};
};

TEST_F(ScriptReportTest, AVariableNoListenerAnswersIsAskedForOncePerButtonAndOpening)
{
    Script("Font(GuiFont7)\nDialogItem D(0, 0, 399, 299, CLEAR, 1, 0)\n{\n"
           "Button(10, 40, 60, 60, NONE, 0, BUTSTATEVAR_GO, Fire, NONE)\n"
           "Button(70, 40, 120, 60, NONE, 0, BUTSTATEVAR_NOPE, Fire, NONE)\n"
           "Button(130, 40, 180, 60, NONE, 0, BUTSTATENTVAR_NOPE2, Fire, NONE)\n"
           "Button(190, 40, 240, 60, NONE, 0, BUTSTATEVISVAR_NOPE3, Fire, NONE)\n"
           "Button(250, 40, 300, 60, NONE, 0, BUTVAR_NOPE4, Fire, NONE)\n}\n");
    AskedListener listener;
    reports.boxes.clear();
    ASSERT_TRUE(gui->OpenDialog("D", &listener));
    uint32_t t = 0;
    for (int frame = 0; frame < 150; ++frame)
    {
        Frame(t += 20, 900, 900);
        gui->Draw();
    }
    const std::map<std::string, int> once = {
        {"GO_STATE", 150}, {"NOPE_STATE", 1}, {"NOPE2_STATE", 1}, {"NOPE3_STATE", 1}, {"NOPE4", 1}};
    EXPECT_EQ(listener.asked, once);
    EXPECT_EQ(Boxes("not recognised"), 4);
    EXPECT_EQ(DebugLines("is not answered"), 4);
    // A button whose variable went unanswered is left as it was: enabled, shown, and it fires.
    Frame(t += 20, 90, 50);
    Frame(t += 20, 90, 50, ME_PRESSED);
    Frame(t += 100, 90, 50);
    EXPECT_EQ(guitest::g_fired.size(), 1u);
    // Opened again, each is asked once more.
    gui->CloseDialog("D");
    Frame(t += 20, 900, 900);
    gui->OpenDialog("D", &listener);
    for (int frame = 0; frame < 10; ++frame)
    {
        Frame(t += 20, 900, 900);
        gui->Draw();
    }
    EXPECT_EQ(listener.asked["NOPE_STATE"], 2);
    EXPECT_EQ(listener.asked["NOPE4"], 2);
    EXPECT_EQ(listener.asked["GO_STATE"], 150 + 3 + 10);
    // A Define's button shared by two open dialogs for two listeners that do not answer asks each of them once.
    Script("Define Shared\n{\nButton(10, 40, 60, 60, NONE, 0, BUTSTATEVAR_NOPE, Fire, NONE)\n}\n"
           "DialogItem One(0, 0, 99, 99, CLEAR, 1, 0)\n{\nShared\n}\n"
           "DialogItem Two(200, 0, 299, 99, CLEAR, 2, 0)\n{\nShared\n}\n");
    AskedListener other;
    listener.asked.clear();
    gui->OpenDialog("One", &listener);
    gui->OpenDialog("Two", &other);
    for (int frame = 0; frame < 20; ++frame)
        Frame(t += 20, 900, 900);
    EXPECT_EQ(listener.asked["NOPE_STATE"], 1);
    EXPECT_EQ(other.asked["NOPE_STATE"], 1);
}

TEST_F(ScriptReportTest, AMissingScriptOrSpriteFileIsOneReportNamingItAndButtonsKeepTheirPlace)
{
    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd(dir.Path());
    reports.boxes.clear();
    EXPECT_FALSE(gui->LoadScript("data/script/gui/Gone.pis"));
    ASSERT_EQ(reports.boxes.size(), 1u);
    EXPECT_NE(reports.boxes[0].text.find("data/script/gui/Gone.ble"), std::string::npos);
    // A name longer than any path is shown cut at 260 bytes.
    const std::string longPath = "data/" + std::string(300, 'p');
    reports.boxes.clear();
    EXPECT_FALSE(gui->LoadScript((longPath + ".pis").c_str()));
    ASSERT_EQ(reports.boxes.size(), 1u);
    EXPECT_NE(reports.boxes[0].text.find(longPath.substr(0, 260) + "..."), std::string::npos);
    EXPECT_EQ(reports.boxes[0].text.find(longPath.substr(0, 261)), std::string::npos);

    struct Case
    {
        const char* what;
        bool writeIndex, writeData;
        std::vector<std::string> named; // the files the one report names
    };
    const Case cases[] = {
        {"neither file", false, false, {"none.hdr", "none.Dat"}},
        {"no index", false, true, {"none.hdr"}},
        {"no data", true, false, {"none.Dat"}},
    };
    std::vector<uint8_t> hdr, dat;
    guitest::MakeSpriteFiles(
        {{"dummy", 1, {}, {{"d", 4, 4, 1, {{4, 1, 1, 1, 1, 4, 1, 1, 1, 1, 4, 1, 1, 1, 1, 4, 1, 1, 1, 1}}}}}}, &hdr,
        &dat);
    for (const Case& c : cases)
    {
        GetSpriteManager().UnloadBanks();
        std::remove("none.hdr");
        std::remove("none.Dat");
        if (c.writeIndex)
            testsupport::WriteBytes(dir.File("none.hdr"), hdr);
        if (c.writeData)
            testsupport::WriteBytes(dir.File("none.Dat"), dat);
        reports.boxes.clear();
        GetSpriteManager().LoadSpriteFile("none.hdr", "none.Dat");
        ASSERT_EQ(reports.boxes.size(), 1u) << c.what;
        for (const std::string& name : c.named)
            EXPECT_NE(reports.boxes[0].text.find(name), std::string::npos) << c.what;
        if (c.named.size() == 1)
        {
            const std::string other = c.named[0] == "none.hdr" ? "none.Dat" : "none.hdr";
            EXPECT_EQ(reports.boxes[0].text.find(other), std::string::npos) << c.what;
        }
    }
    // With no banks at all, an image button keeps the rectangle of its script and takes presses on it.
    GetSpriteManager().UnloadBanks();
    GetSpriteManager().LoadSpriteFile("gone.hdr", "gone.Dat");
    reports.boxes.clear();
    reports.debug.clear();
    Script("DialogItem D(0, 0, 399, 299, UIS_panel, 1, 0)\n{\nButton(10, 40, 60, 60, UIS_button, 0, None, Fire, "
           "NONE)\n}\n");
    EXPECT_TRUE(reports.boxes.empty());
    EXPECT_TRUE(reports.debug.empty()) << "the file's report says it all";
    const GuiRect& r = gui->GetItems().at(1)->GetRect();
    EXPECT_TRUE(r.left == 10 && r.top == 40 && r.right == 60 && r.bottom == 60);
    gui->OpenDialog("D", nullptr);
    Frame(10, 35, 50);
    Frame(20, 35, 50, ME_PRESSED);
    Frame(100, 35, 50);
    EXPECT_EQ(guitest::g_fired.size(), 1u);
}

TEST_F(ScriptReportTest, ANameMissingFromTheLoadedBanksIsReportedOnceAndItsWidgetsKeepTheirPlace)
{
    // A 4 x 4 opaque picture: each row one run of four pixels.
    const std::vector<uint8_t> square = {4, 1, 1, 1, 1, 4, 1, 1, 1, 1, 4, 1, 1, 1, 1, 4, 1, 1, 1, 1};
    struct Case
    {
        const char* what;
        bool dummy;
        int32_t right, bottom; // of the button built at 10, 40 to 60, 60
        bool dialogHit;        // a press on an empty place of the dialog is taken
    };
    const Case cases[] = {
        {"no dummy bank", false, 60, 60, true},
        {"a dummy bank", true, 14, 44, false},
    };
    gui->SetMode(1);
    uint32_t t = 0;
    for (const Case& c : cases)
    {
        GetSpriteManager().UnloadBanks();
        std::vector<guitest::BankMade> banks = {{"other", 1, {}, {{"o", 4, 4, 1, {square}}}}};
        if (c.dummy)
            banks.push_back({"dummy", 1, {}, {{"d", 4, 4, 1, {square}}}});
        guitest::Load(GetSpriteManager(), banks, "in.hdr");
        reports.debug.clear();
        Script("DialogItem D(0, 0, 399, 299, gone_panel, 1, 0)\n{\n"
               "Button(10, 40, 60, 60, gone, 0, None, Fire, NONE)\n"
               "Button(100, 40, 150, 60, GONE, 0, None, Fire, NONE)\n}\n");
        EXPECT_EQ(DebugLines("no sprite bank gone;"), 1) << c.what << "\n" << reports.debug;
        EXPECT_EQ(DebugLines("no sprite bank gone_panel;"), 1) << c.what;
        EXPECT_EQ(DebugLines(c.dummy ? "\"dummy\" is shown" : "nothing is shown"), 2) << c.what;
        const GuiRect& r = gui->GetItems().at(1)->GetRect();
        EXPECT_TRUE(r.left == 10 && r.top == 40 && r.right == c.right && r.bottom == c.bottom) << c.what;
        gui->OpenDialog("D", nullptr);
        Frame(t += 10, 900, 900);
        guitest::g_modeLog.mouse.clear();
        Frame(t += 10, 300, 200, ME_PRESSED);
        EXPECT_EQ(guitest::g_modeLog.mouse.empty(), c.dialogHit) << c.what;
        gui->DrawDialogs();
        // Every sprite made for the widgets, shown or not, goes with them.
        gui->Reset();
        EXPECT_EQ(GetSpriteManager().GetLiveSprites(), 0) << c.what;
    }
}

TEST_F(ScriptReportTest, APictureOfNoSizeIsNoPictureAndADialogWithoutItsPictureIsPaintedWhite)
{
    const std::vector<uint8_t> square = {4, 1, 1, 1, 1, 4, 1, 1, 1, 1, 4, 1, 1, 1, 1, 4, 1, 1, 1, 1};
    guitest::Load(GetSpriteManager(), {{"wide0", 1, {}, {{"w", 0, 4, 1, {{0, 0, 0, 0}}}}},
                                       {"high0", 1, {}, {{"h", 4, 0, 1, {{}}}}},
                                       {"square", 1, {}, {{"s", 4, 4, 1, {square}}}},
                                       {"thin", 1, {}, {{"t", 1, 1, 1, {{1, 1}}}}}});
    struct Case
    {
        const char* image;
        int32_t right, bottom; // of the button built at 10, 40 to 60, 60
    };
    const Case cases[] = {{"wide0", 60, 60}, {"high0", 60, 60}, {"square", 14, 44}, {"thin", 11, 41}};
    for (const Case& c : cases)
    {
        Script(std::string("DialogItem D(0, 0, 99, 99, CLEAR, 1, 0)\n{\nButton(10, 40, 60, 60, ") + c.image +
               ", 0, None, Fire, NONE)\n}\n");
        const GuiRect& r = gui->GetItems().at(1)->GetRect();
        EXPECT_TRUE(r.left == 10 && r.top == 40 && r.right == c.right && r.bottom == c.bottom) << c.image;
    }
    // The layer of a dialog: white for "NONE" and for a picture that is missing, untouched for "CLEAR".
    struct Background
    {
        const char* name;
        bool white;
    };
    const Background backgrounds[] = {{"NONE", true}, {"CLEAR", false}, {"gone_panel", true}, {"wide0", true}};
    uint32_t t = 0;
    for (const Background& b : backgrounds)
    {
        Script(std::string("DialogItem D(0, 0, 99, 99, ") + b.name + ", 1, 0)\n{\n}\n");
        gui->OpenDialog("D", nullptr);
        Frame(t += 10, 900, 900);
        gui->DrawDialogs();
        const SoftSurface* layer = display->GetSurface(gui->GetOpenList().at(0).layer);
        ASSERT_TRUE(layer && layer->m_pPixels) << b.name;
        EXPECT_EQ(layer->m_pPixels[0], b.white ? 0x7FFF : display->GetColourKey()) << b.name;
        EXPECT_EQ(layer->m_pPixels[99 * 100 + 99], b.white ? 0x7FFF : display->GetColourKey()) << b.name;
    }
}

} // namespace
