// Tests of the log service: what each level shows or sends, and messages cut to the buffer.
#include "engine/core/Logger.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace
{

using testsupport::RecordingReportSink;

TEST(Logger, EachLevelShowsSendsOrOnlyFormats)
{
    RecordingReportSink sink;
    Logger logger;
    logger.Report(1, "abc");
    EXPECT_EQ(sink.debug, "abc\n");
    EXPECT_TRUE(sink.boxes.empty());

    logger.Report(0, "Missing file %s (%d)", "data/x.ble", 42);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].title, "Error");
    EXPECT_EQ(sink.boxes[0].text, "Missing file data/x.ble (42)");

    for (int level : {3, -1, 1000})
        logger.Report(level, "quiet %d", level);
    EXPECT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.debug, "abc\n");
    EXPECT_STREQ(logger.LastMessage(), "quiet 1000");
}

TEST(LoggerDeathTest, LevelTwoShowsTheBoxAndExitsWithCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // With no window the default report sink writes the box to standard error.
    EXPECT_EXIT(Logger().Report(2, "cannot go %s", "on"), ::testing::ExitedWithCode(0), "Error: cannot go on");
}

// At most 1027 characters reach a box and 1026 plus the line feed the debugger, whatever %s is handed.
TEST(Logger, LongMessagesAreCutToTheBuffer)
{
    const std::tuple<int, const char*, size_t, std::string> rows[] = {
        {0, "%s", 2000, std::string(1027, 'x')},
        {1, "%s", 2000, std::string(1026, 'x') + "\n"},
        {0, "%s", 1027, std::string(1027, 'x')},
        {1, "%s", 1026, std::string(1026, 'x') + "\n"},
        {0, "Texture %s not found", 5000, "Texture " + std::string(1027 - 8, 'x')},
    };
    for (const auto& [level, format, argLength, expected] : rows)
    {
        SCOPED_TRACE(std::string(format) + " " + std::to_string(argLength));
        RecordingReportSink sink;
        Logger logger;
        logger.Report(level, format, std::string(argLength, 'x').c_str());
        EXPECT_EQ(level == 0 ? (sink.boxes.empty() ? "" : sink.boxes[0].text) : sink.debug, expected);
        // A later short report is whole again, with nothing left over from the long one.
        logger.Report(1, "ok");
        EXPECT_STREQ(logger.LastMessage(), "ok\n");
    }
}

} // namespace
