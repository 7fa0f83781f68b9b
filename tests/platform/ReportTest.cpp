// Tests for the report channel: replaceable sinks, the standard-error fallback and process exit.
#include "platform/Report.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace
{

// A second sink to check that installing returns the one it replaces.
class CountingSink : public platform::ReportSink
{
public:
    void ShowMessageBox(const char*, const char*) override { ++boxes; }
    void DebugOutput(const char*) override { ++debugs; }
    int boxes = 0;
    int debugs = 0;
};

} // namespace

TEST(ReportTest, InstalledSinkReceivesBoxesAndDebugText)
{
    testsupport::RecordingReportSink sink;
    platform::ShowMessageBox("Error", "Could not open \"MRV2.ini\"");
    platform::DebugOutput("first");
    platform::DebugOutput(" second\n");

    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].title, "Error");
    EXPECT_EQ(sink.boxes[0].text, "Could not open \"MRV2.ini\"");
    // Debugger output is passed on exactly as given: no line feed is added.
    EXPECT_EQ(sink.debug, "first second\n");
}

TEST(ReportTest, NullTextsReachTheSinkAsEmptyTexts)
{
    testsupport::RecordingReportSink sink;
    platform::ShowMessageBox(nullptr, nullptr);
    platform::DebugOutput(nullptr);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].title, "");
    EXPECT_EQ(sink.boxes[0].text, "");
    EXPECT_EQ(sink.debug, "");
}

TEST(ReportTest, SetReportSinkReturnsThePreviousSinkAndNullRestoresTheDefault)
{
    testsupport::RecordingReportSink recording;
    CountingSink counting;
    EXPECT_EQ(platform::SetReportSink(&counting), &recording);
    platform::ShowMessageBox("Error", "x");
    platform::DebugOutput("y");
    EXPECT_EQ(counting.boxes, 1);
    EXPECT_EQ(counting.debugs, 1);
    EXPECT_TRUE(recording.boxes.empty());

    // Null installs the default sink; installing again hands that default back.
    EXPECT_EQ(platform::SetReportSink(nullptr), &counting);
    platform::ReportSink* builtIn = platform::SetReportSink(&recording);
    EXPECT_NE(builtIn, nullptr);
    EXPECT_NE(builtIn, &counting);
    EXPECT_NE(builtIn, &recording);
    platform::ShowMessageBox("Error", "z");
    EXPECT_EQ(recording.boxes.size(), 1u);
}

TEST(ReportTest, DefaultSinkWritesToStandardErrorWithoutAWindow)
{
    platform::ReportSink* previous = platform::SetReportSink(nullptr);
    platform::SetMessageBoxWindow(nullptr);

    ::testing::internal::CaptureStderr();
    platform::ShowMessageBox("Error", "The park could not be loaded");
    platform::DebugOutput("raw debugger text");
    std::string err = ::testing::internal::GetCapturedStderr();
    platform::SetReportSink(previous);

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

    EXPECT_EXIT(platform::ExitProcess(0), ::testing::ExitedWithCode(0), "");
}
