// Tests of the feedback manager's save record: the texts of logged messages come back whole up to the lengths a
// load keeps (127 characters of a text key, 511 of a wide text) and are cut there.
#include "engine/core/SerialStream.h"
#include "park/FeedbackManager.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(FeedbackSavedTextTest, KeysAndWideTextsComeBackWholeUpToTheirBuffersAndAreCutThere)
{
    const struct
    {
        size_t length;
        bool wide;
        size_t kept;
    } cases[] = {{127, false, 127}, {128, false, 127}, {300, false, 127},
                 {511, true, 511},  {512, true, 511},  {900, true, 511}};
    testsupport::TempDir dir;
    const std::string file = dir.File("feedback.sav");
    for (const auto& c : cases)
    {
        const std::string key(c.length, 'K');
        const std::u16string wide(c.length, u'W');
        FeedbackManager saved;
        // With no message box the message is shown at once and logged.
        if (c.wide)
            saved.AddWideMessage(wide.c_str(), 7, FeedbackManager::MESSAGE_BUILDING);
        else
            saved.AddMessage(key.c_str(), 7, FeedbackManager::MESSAGE_BUILDING);
        ASSERT_EQ(saved.GetLog().size(), 1u);
        {
            BinarySerialStream out(true, file.c_str());
            saved.Dump(out);
            ASSERT_TRUE(out.Close());
        }
        FeedbackManager loaded;
        BinarySerialStream in(false, file.c_str());
        ASSERT_TRUE(loaded.Load(in)) << c.length;
        ASSERT_EQ(loaded.GetLog().size(), 1u);
        const FeedbackManager::Message& message = loaded.GetLog()[0];
        EXPECT_EQ(message.bWide, c.wide);
        if (c.wide)
            EXPECT_EQ(message.wideText, wide.substr(0, c.kept)) << c.length;
        else
            EXPECT_EQ(message.textId, key.substr(0, c.kept)) << c.length;
    }
}

} // namespace
