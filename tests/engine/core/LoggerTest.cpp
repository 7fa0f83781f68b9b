// Tests of the log service: what each level shows or sends, and messages cut to the buffer.
#include "engine/core/Logger.h"

#include "engine/core/EngineCore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using testsupport::RecordingReportSink;

TEST(LoggerLevels, LevelOneSendsTextAndLineFeedToDebuggerOnly)
{
    RecordingReportSink sink;
    Logger logger;
    logger.Report(1, "abc");
    EXPECT_EQ(sink.debug, "abc\n");
    EXPECT_TRUE(sink.boxes.empty());
}

TEST(LoggerLevels, LevelZeroShowsErrorBoxAndGoesOn)
{
    RecordingReportSink sink;
    Logger logger;
    logger.Report(0, "Missing file %s (%d)", "data/x.ble", 42);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].title, "Error");
    EXPECT_EQ(sink.boxes[0].text, "Missing file data/x.ble (42)");
    EXPECT_TRUE(sink.debug.empty());

    logger.Report(0, "second");
    ASSERT_EQ(sink.boxes.size(), 2u);
    EXPECT_EQ(sink.boxes[1].text, "second");
}

TEST(LoggerLevels, OtherLevelsShowNothing)
{
    RecordingReportSink sink;
    Logger logger;
    for (int level : {3, 4, -1, 1000})
        logger.Report(level, "quiet %d", level);
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_TRUE(sink.debug.empty());
    // The text is still formatted.
    EXPECT_STREQ(logger.LastMessage(), "quiet 1000");
}

TEST(LoggerLevelsDeathTest, LevelTwoShowsTheBoxAndExitsWithCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // With no window the default report sink writes the box to standard error.
    EXPECT_EXIT(
        {
            Logger logger;
            logger.Report(2, "cannot go %s", "on");
        },
        ::testing::ExitedWithCode(0), "Error: cannot go on");
}

TEST(LoggerBuffer, LongMessageIsCutAtLevelZero)
{
    RecordingReportSink sink;
    Logger logger;
    std::string longText(2000, 'x');
    logger.Report(0, "%s", longText.c_str());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, std::string(Logger::kBufferSize - 1, 'x'));
    EXPECT_EQ(sink.boxes[0].text.size(), 1027u);
}

TEST(LoggerBuffer, LongMessageKeepsRoomForLineFeedAtLevelOne)
{
    RecordingReportSink sink;
    Logger logger;
    std::string longText(2000, 'y');
    logger.Report(1, "%s", longText.c_str());
    EXPECT_EQ(sink.debug, std::string(1026, 'y') + "\n");
}

TEST(LoggerBuffer, MessageOfExactlyTheLimitIsKeptWhole)
{
    RecordingReportSink sink;
    Logger logger;
    logger.Report(0, "%s", std::string(1027, 'a').c_str());
    logger.Report(1, "%s", std::string(1026, 'b').c_str());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, std::string(1027, 'a'));
    EXPECT_EQ(sink.debug, std::string(1026, 'b') + "\n");
}

TEST(LoggerBuffer, HugeArgumentAfterPrefixIsCut)
{
    RecordingReportSink sink;
    Logger logger;
    std::string huge(5000, 'z');
    logger.Report(0, "Texture %s not found", huge.c_str());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "Texture " + std::string(1027 - 8, 'z'));
    // A later short report is whole again, with nothing left over from the long one.
    logger.Report(1, "ok");
    EXPECT_EQ(sink.debug, "ok\n");
}

TEST(LoggerRoot, ReportsGoThroughTheRootsLogger)
{
    EngineCore* saved = g_pEngineCore;
    g_pEngineCore = nullptr;
    Logger* standalone = GetLogger();
    ASSERT_NE(standalone, nullptr);

    EngineCore core;
    Logger own;
    core.m_pLogger = &own;
    g_pEngineCore = &core;
    EXPECT_EQ(GetLogger(), &own);
    {
        RecordingReportSink sink;
        GetLogger()->Report(0, "through the root");
        EXPECT_STREQ(own.LastMessage(), "through the root");
        ASSERT_EQ(sink.boxes.size(), 1u);
    }
    core.m_pLogger = nullptr;
    EXPECT_EQ(GetLogger(), standalone);
    g_pEngineCore = saved;
}

} // namespace
