// Tests of the feedback manager's save record: text keys come back whole up to 127 characters; the player's own
// message texts of any length a message may have come back whole, and a record holding a longer one is refused.
#include "engine/core/SerialStream.h"
#include "park/FeedbackManager.h"
#include "tests/support/TestSupport.h"
#include "tests/world/SaveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

using savebytes::Bytes;

constexpr char kDamaged[] = "FeedbackManager::Load - the saved messages are damaged or cut short";

// A text of exactly `length` UTF-16 units mixing letters below U+0100, others within U+FFFF and pairs for letters
// beyond it. A pair takes units pairAt and pairAt + 1 when both are within the length.
std::u16string Letters(size_t length, size_t pairAt)
{
    static const char16_t kUnits[] = {u'a', u'\u00E9', u'\u4E2D', u'Z', u'\u03A9', u' '};
    std::u16string text;
    while (text.size() < length)
    {
        const size_t at = text.size();
        const bool pair = at == pairAt || (at % 37 == 11 && at + 1 != pairAt);
        if (pair && at + 1 < length)
            text += u"\U0001F42C"; // a dolphin: two units
        else
            text += kUnits[at % std::size(kUnits)];
    }
    return text;
}

Bytes SavedRecord(const FeedbackManager& feedback)
{
    return savebytes::Saved([&](SerialStream& s) { feedback.Dump(s); });
}

bool LoadRecord(FeedbackManager& feedback, const Bytes& record)
{
    return savebytes::LoadFrom(record, [&](SerialStream& s) { return feedback.Load(s); });
}

std::vector<std::u16string> LoggedTexts(const FeedbackManager& feedback)
{
    std::vector<std::u16string> texts;
    for (const FeedbackManager::Message& message : feedback.GetLog())
        texts.push_back(message.wideText);
    return texts;
}

TEST(FeedbackSavedTextTest, KeysComeBackWholeUpToTheirBufferAndAreCutThere)
{
    const struct
    {
        size_t length;
        size_t kept;
    } cases[] = {{127, 127}, {128, 127}, {300, 127}};
    for (const auto& c : cases)
    {
        const std::string key(c.length, 'K');
        FeedbackManager saved;
        // With no message box the message is shown at once and logged.
        saved.AddMessage(key.c_str(), 7, FeedbackManager::MESSAGE_BUILDING);
        FeedbackManager loaded;
        ASSERT_TRUE(LoadRecord(loaded, SavedRecord(saved))) << c.length;
        ASSERT_EQ(loaded.GetLog().size(), 1u);
        EXPECT_FALSE(loaded.GetLog()[0].bWide);
        EXPECT_EQ(loaded.GetLog()[0].textId, key.substr(0, c.kept)) << c.length;
    }
}

// Each text is saved before a short one, so a long text that left the stream out of step would show in the next.
TEST(FeedbackSavedTextTest, MessageTextsOfAnyLengthComeBackWhole)
{
    const size_t kMost = FeedbackManager::kMaxTextLength;
    const struct
    {
        size_t length;
        size_t pairAt;
    } cases[] = {{0, 0},
                 {1, 0},
                 {2, 0},
                 {510, 508},
                 {511, 509},
                 {512, 510},
                 {513, 510},
                 {513, 511},
                 {1023, 1021},
                 {1024, 1022},
                 {1025, 1023},
                 {4096, 2047},
                 {20000, 10000},
                 {kMost - 1, kMost - 3},
                 {kMost, kMost - 2}};
    for (const auto& c : cases)
    {
        const std::u16string text = Letters(c.length, c.pairAt);
        ASSERT_EQ(text.size(), c.length);
        FeedbackManager saved;
        saved.AddWideMessage(text.c_str(), 7, FeedbackManager::MESSAGE_BUILDING);
        saved.AddWideMessage(u"After \U0001F42C", 8, FeedbackManager::MESSAGE_BUILDING);
        ASSERT_EQ(LoggedTexts(saved), (std::vector<std::u16string>{text, u"After \U0001F42C"})) << c.length;
        FeedbackManager loaded;
        ASSERT_TRUE(LoadRecord(loaded, SavedRecord(saved))) << c.length;
        EXPECT_EQ(LoggedTexts(loaded), LoggedTexts(saved)) << c.length << " at " << c.pairAt;
        EXPECT_TRUE(loaded.GetLog()[0].bWide);
        EXPECT_EQ(loaded.GetLog()[1].ID, 8u);
    }
}

// A text longer than a message may be is cut where a whole letter ends when it is added, and comes back as cut.
TEST(FeedbackSavedTextTest, ATextLongerThanAMessageMayBeIsCutBetweenLettersAndComesBackAsCut)
{
    const size_t kMost = FeedbackManager::kMaxTextLength;
    const struct
    {
        size_t length;
        size_t pairAt;
        size_t kept;
    } cases[] = {{kMost + 1, kMost - 1, kMost - 1},
                 {kMost + 1, kMost, kMost},
                 {kMost + 2, kMost - 1, kMost - 1},
                 {kMost + 700, kMost - 2, kMost},
                 {3 * kMost, kMost - 1, kMost - 1}};
    for (const auto& c : cases)
    {
        const std::u16string text = Letters(c.length, c.pairAt);
        FeedbackManager saved;
        saved.AddWideMessage(text.c_str(), 7, FeedbackManager::MESSAGE_BUILDING);
        ASSERT_EQ(saved.GetLog().size(), 1u);
        EXPECT_EQ(saved.GetLog()[0].wideText, text.substr(0, c.kept)) << c.length << " at " << c.pairAt;
        FeedbackManager loaded;
        ASSERT_TRUE(LoadRecord(loaded, SavedRecord(saved))) << c.length;
        EXPECT_EQ(LoggedTexts(loaded), LoggedTexts(saved)) << c.length << " at " << c.pairAt;
    }
}

// A record whose text holds more units than a message may have is damaged: the load is refused with the report and
// the manager keeps what it had. One unit fewer loads.
TEST(FeedbackSavedTextTest, ARecordHoldingATextLongerThanAMessageMayBeIsRefused)
{
    const uint32_t kMost = FeedbackManager::kMaxTextLength;
    FeedbackManager saved;
    saved.AddWideMessage(std::u16string(kMost, u'x').c_str(), 7, FeedbackManager::MESSAGE_BUILDING);
    const Bytes whole = SavedRecord(saved);
    // The text item: tag 7 and the count of units, little-endian, then the units.
    Bytes item;
    savebytes::Tagged(item, 7, kMost);
    const auto at = std::search(whole.begin(), whole.end(), item.begin(), item.end());
    ASSERT_NE(at, whole.end());
    const size_t units = static_cast<size_t>(at - whole.begin()) + item.size();
    for (uint32_t extra : {1u, 2u, 1000u})
    {
        Bytes record(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(units));
        record[units - 4] = static_cast<uint8_t>(kMost + extra);
        record[units - 3] = static_cast<uint8_t>((kMost + extra) >> 8);
        record[units - 2] = static_cast<uint8_t>((kMost + extra) >> 16);
        record.insert(record.end(), 2 * extra, uint8_t{'y'});
        record.insert(record.end(), whole.begin() + static_cast<std::ptrdiff_t>(units), whole.end());
        testsupport::RecordingReportSink reports;
        FeedbackManager loaded;
        loaded.AddWideMessage(u"Kept", 3, FeedbackManager::MESSAGE_BUILDING);
        EXPECT_FALSE(LoadRecord(loaded, record)) << extra;
        ASSERT_EQ(reports.boxes.size(), 1u) << extra;
        EXPECT_EQ(reports.boxes[0].text, kDamaged);
        EXPECT_EQ(LoggedTexts(loaded), std::vector<std::u16string>{u"Kept"}) << extra;
    }
    FeedbackManager loaded;
    ASSERT_TRUE(LoadRecord(loaded, whole));
    EXPECT_EQ(LoggedTexts(loaded), LoggedTexts(saved));
}

// A record of long texts loads whole; cut short at any byte it is refused with the report, and the manager keeps
// what it had.
TEST(FeedbackSavedTextTest, ARecordOfLongTextsCutAtAnyByteIsRefusedAndWholeLoadsWhole)
{
    FeedbackManager saved;
    for (const auto& [length, pairAt] : {std::pair<size_t, size_t>{511, 509}, {513, 511}})
        saved.AddWideMessage(Letters(length, pairAt).c_str(), 7, FeedbackManager::MESSAGE_BUILDING);
    saved.AddMessage("FEEDBACK_NO_CLEANERS", 9, FeedbackManager::MESSAGE_STAFF);
    const Bytes whole = SavedRecord(saved);
    FeedbackManager loaded;
    loaded.AddWideMessage(u"Kept \U0001F42C", 3, FeedbackManager::MESSAGE_BUILDING);
    const std::vector<std::u16string> before = LoggedTexts(loaded);
    testsupport::RecordingReportSink reports;
    for (size_t cut = 0; cut < whole.size(); ++cut)
    {
        reports.boxes.clear();
        ASSERT_FALSE(LoadRecord(loaded, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)))) << cut;
        ASSERT_EQ(reports.boxes.size(), 1u) << cut;
        EXPECT_EQ(reports.boxes[0].text, kDamaged) << cut;
        ASSERT_EQ(LoggedTexts(loaded), before) << cut;
    }
    reports.boxes.clear();
    ASSERT_TRUE(LoadRecord(loaded, whole));
    EXPECT_TRUE(reports.boxes.empty());
    EXPECT_EQ(LoggedTexts(loaded), LoggedTexts(saved));
    EXPECT_EQ(loaded.GetLog()[2].textId, "FEEDBACK_NO_CLEANERS");
}

} // namespace
