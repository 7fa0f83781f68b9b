// Tests of a dialog listener's default value setter: whole numbers reach the integer form, a decimal number is
// refused with a line of debugger output (never a message box or the end of the program).
#include "gui/DialogListener.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace
{

class IntegerListener : public DialogListener
{
public:
    void GetVariable(const char*, platform::WString&) override {}
    using DialogListener::SetVariable;
    void SetVariable(const char* keyword, const int32_t* value) override
    {
        lastKeyword = keyword ? keyword : "";
        lastValue = value ? std::optional<int32_t>(*value) : std::nullopt;
    }
    void ResetPanelState() override {}

    std::string lastKeyword;
    std::optional<int32_t> lastValue;
};

TEST(DialogListener, WholeNumbersReachTheIntegerFormAndADecimalIsRefusedWithADebugLine)
{
    testsupport::RecordingReportSink reports;
    IntegerListener listener;
    listener.SetVariable("PRICE", DialogValue::Int(-7));
    EXPECT_EQ(listener.lastKeyword, "PRICE");
    EXPECT_EQ(listener.lastValue, -7);

    listener.SetVariable("SPEED", DialogValue::Float(2.5f));
    EXPECT_EQ(listener.lastKeyword, "PRICE") << "a decimal number must not reach the integer form";
    EXPECT_TRUE(reports.boxes.empty());
    EXPECT_NE(reports.debug.find("SPEED takes whole numbers only"), std::string::npos) << reports.debug;
}

} // namespace
