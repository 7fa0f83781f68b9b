// Tests for the report channel: replaceable sinks, the standard-error fallback and process exit.
#include "platform/Report.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

TEST(ReportTest, InstalledSinkReceivesTextsAsGiven)
{
    testsupport::RecordingReportSink sink;
    platform::ShowMessageBox("Error", "Could not open \"MRV2.ini\"");
    platform::ShowMessageBox(nullptr, nullptr);
    platform::DebugOutput("first");
    platform::DebugOutput(nullptr);
    platform::DebugOutput(" second\n");

    ASSERT_EQ(sink.boxes.size(), 2u);
    EXPECT_EQ(sink.boxes[0].title, "Error");
    EXPECT_EQ(sink.boxes[0].text, "Could not open \"MRV2.ini\"");
    EXPECT_EQ(sink.boxes[1].title + sink.boxes[1].text, "");
    // No line feed is added to debugger output.
    EXPECT_EQ(sink.debug, "first second\n");
}

TEST(ReportTest, NullSinkRestoresTheDefaultWhichWritesToStandardErrorWithoutAWindow)
{
    testsupport::RecordingReportSink recording;
    EXPECT_EQ(platform::SetReportSink(nullptr), &recording);
    platform::SetMessageBoxWindow(nullptr);
    ::testing::internal::CaptureStderr();
    platform::ShowMessageBox("Error", "The park could not be loaded");
    platform::DebugOutput("raw debugger text");
    std::string err = ::testing::internal::GetCapturedStderr();
    platform::SetReportSink(&recording);

    EXPECT_TRUE(recording.boxes.empty());
    EXPECT_NE(err.find("Error"), std::string::npos);
    EXPECT_NE(err.find("The park could not be loaded"), std::string::npos);
    EXPECT_NE(err.find("raw debugger text"), std::string::npos);
}

TEST(ReportDeathTest, ExitProcessEndsWithTheCodeAfterFlushingStreams)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    testsupport::TempDir dir;
    const std::string path = dir.File("pending.txt");
    EXPECT_EXIT(
        {
            // Written to a buffered stream and never flushed by hand.
            FILE* file = std::fopen(path.c_str(), "w");
            std::fputs("buffered text", file);
            platform::ExitProcess(7);
        },
        ::testing::ExitedWithCode(7), "");
    EXPECT_EQ(testsupport::ReadText(path), "buffered text");
}

namespace
{

// The characters of a UTF-8 text, and whether it is whole: no character cut at either end.
size_t CharacterCount(const std::string& text)
{
    size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

bool WholeCharacters(const std::string& text)
{
    size_t i = 0;
    while (i < text.size())
    {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string WithoutSpacesAndBreaks(std::string text)
{
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    return text;
}

} // namespace

TEST(MessageBoxText, IsBrokenAtSpacesIntoLinesNoWiderThanTheColumns)
{
    const struct
    {
        const char* text;
        size_t columns;
        const char* wrapped;
    } cases[] = {
        {"", 10, ""},
        {"exactly10c", 10, "exactly10c"},
        {"aaa bbb ccc ddd", 10, "aaa bbb\nccc ddd"},
        {"aaaa bbbbb", 10, "aaaa bbbbb"},
        {"one\ntwo three four", 10, "one\ntwo three\nfour"},
        {"ends with a break\n", 10, "ends with\na break\n"},
        {"a\n\nb", 10, "a\n\nb"},
        {"abcdefghijklmnopqrstuvw x", 10, "abcdefghij\nklmnopqrst\nuvw x"},
        {"go abcdefghijklmnopqrst", 10, "go\nabcdefghij\nklmnopqrst"},
        {"\xC4\x85\xC4\x87\xC4\x99\xC5\x82\xC5\x84\xC3\xB3\xC5\x9B\xC5\xBA\xC5\xBC\xC4\x84 \xC5\xBB", 10,
         "\xC4\x85\xC4\x87\xC4\x99\xC5\x82\xC5\x84\xC3\xB3\xC5\x9B\xC5\xBA\xC5\xBC\xC4\x84\n\xC5\xBB"},
        {"\xC4\x85\xC4\x87\xC4\x99\xC5\x82\xC5\x84\xC3\xB3\xC5\x9B\xC5\xBA\xC5\xBC\xC4\x84\xC5\xBB", 10,
         "\xC4\x85\xC4\x87\xC4\x99\xC5\x82\xC5\x84\xC3\xB3\xC5\x9B\xC5\xBA\xC5\xBC\xC4\x84\n\xC5\xBB"},
        {"a  b", 10, "a b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::WrapMessageBoxText(c.text, c.columns), c.wrapped) << c.text;
    EXPECT_EQ(platform::WrapMessageBoxText(nullptr), "");
}

TEST(MessageBoxText, LongMessagesKeepEveryWordAndFillEachLine)
{
    const std::string longPath = "/home/someone/games/" + std::string(90, 'x') + "/data";
    const std::string texts[] = {
        "Tidewell cannot find its data set: there is no data/script/gameparameters.pis in /tmp/emptyrun or "
        "/usr/local/games/tidewell/bin. Start it with the folder that holds the data set: tidewell DATA-FOLDER",
        "Nie mo\xC5\xBCna wczyta\xC4\x87 parku: plik zapisu jest uszkodzony \xE2\x80\x94 \xC5\xBC\xC3\xB3\xC5\x82"
        "w \xC5\x82\xC4\x85\x63zy si\xC4\x99 z \xC5\x9Bwiatem, a \xC4\x87ma ta\xC5\x84\x63zy nad wod\xC4\x85 "
        "przez ca\xC5\x82\x79 dzie\xC5\x84 i noc, p\xC3\xB3ki park jest otwarty dla go\xC5\x9B\x63i.",
        "cannot make the folder " + longPath + " for its options\nsecond line stays",
    };
    for (const std::string& text : texts)
    {
        SCOPED_TRACE(text);
        const std::string wrapped = platform::WrapMessageBoxText(text.c_str());
        // Nothing lost or added but the breaks.
        EXPECT_EQ(WithoutSpacesAndBreaks(wrapped), WithoutSpacesAndBreaks(text));
        EXPECT_GT(Lines(wrapped).size(), Lines(text).size());
        // The text's own lines are laid out each on its own, one after the other.
        std::string joined;
        for (const std::string& paragraph : Lines(text))
        {
            const std::string laid = platform::WrapMessageBoxText(paragraph.c_str());
            joined += (joined.empty() ? "" : "\n") + laid;
            const std::vector<std::string> lines = Lines(laid);
            for (size_t i = 0; i < lines.size(); ++i)
            {
                EXPECT_LE(CharacterCount(lines[i]), platform::kMessageBoxColumns) << lines[i];
                EXPECT_TRUE(WholeCharacters(lines[i])) << lines[i];
                EXPECT_FALSE(!lines[i].empty() && (lines[i].front() == ' ' || lines[i].back() == ' ')) << lines[i];
                // Each line is full: the next line's first word would not have fitted on it (the cut pieces of a
                // word longer than a line fill it to the last column).
                if (i + 1 < lines.size())
                {
                    const std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
                    EXPECT_GT(CharacterCount(lines[i]) + 1 + CharacterCount(next), platform::kMessageBoxColumns)
                        << lines[i] << " | " << next;
                }
            }
        }
        EXPECT_EQ(wrapped, joined);
    }
}
