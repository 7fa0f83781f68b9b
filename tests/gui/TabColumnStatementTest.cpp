// Tests of the GUI script's TAB and COL statements: the close symbol after the argument list may stand after blanks
// and line ends; anything else there is reported.
#include "gui/GuiParser.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

TEST(TabColumnStatementTest, TheCloseSymbolMayFollowBlanksAndAnythingElseIsReported)
{
    const struct
    {
        const char* script;
        std::vector<std::string> skipped; // COL is read and skipped, TAB builds its tab
        uint32_t noCloseSymbol;           // "No close symbol" faults
    } cases[] = {
        {"<COL(0, 0, N, 0, 10, 0, 0)>\n", {"COL"}, 0},
        {"<COL(0, 0, N, 0, 10, 0, 0) >\n", {"COL"}, 0},
        {"<COL(0, 0, N, 0, 10, 0, 0, TIP)\t\r\n  >\n", {"COL"}, 0},
        {"<TAB(0, 0, 9, 9, T)  >\n{\n}\n", {}, 0},
        {"<TAB(0, 0, 9, 9, T)\n>\n{\n}\n", {}, 0},
        {"<COL(0, 0, N, 0, 10, 0, 0) x>\n", {"COL"}, 1},
        {"<TAB(0, 0, 9, 9, T) }\n", {}, 1},
    };
    for (const auto& c : cases)
    {
        testsupport::RecordingReportSink reports;
        const std::string text = c.script;
        const GuiScript script = GuiParser(800, 600).Parse(text.data(), text.size());
        EXPECT_EQ(script.skipped, c.skipped) << c.script;
        uint32_t faults = 0, noClose = 0;
        for (const GuiFault& fault : script.faults)
        {
            faults += fault.count;
            noClose += fault.text.find("No close symbol") != std::string::npos ? fault.count : 0;
        }
        EXPECT_EQ(noClose, c.noCloseSymbol) << c.script;
        if (c.noCloseSymbol == 0)
        {
            EXPECT_EQ(faults, 0u) << c.script;
        }
    }
}

} // namespace
