// Tests for the report channel: replaceable sinks, the standard-error fallback and process exit.
#include "platform/Report.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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
