// Tests of a radio group's status keywords: each button asks for the group's variable name, "_STATUS_" and its
// value, whatever the length of the name the script gives.
#include "WidgetTestSupport.h"

#include "gui/CheckBox.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using widgettest::WidgetsTest;

TEST_F(WidgetsTest, EveryRadioButtonAsksForItsOwnStatusWhateverTheLengthOfTheGroupsName)
{
    // Names up to the longest text a script may hold; the status of button 1 is on, that of button 2 off.
    const size_t lengths[] = {1, 40, 90, 120, 250};
    for (size_t length : lengths)
    {
        SCOPED_TRACE(length);
        std::string name(length, 'V');
        name.back() = 'Z';
        shell.listener = &listener;
        listener.values = {{name, u"7"}, {name + "_STATUS_1", u"1"}, {name + "_STATUS_2", u"0"}};
        Dialog("RadioGroup(300, 100, 400, 120, " + name +
               ", none)\n{\nRadioButton(0, 0, 20, 20, radio, 0, 1, None)\n"
               "RadioButton(30, 0, 50, 20, radio, 0, 2, None)\n}\n");
        const auto radios = widgettest::ItemsOf<RadioButton>(*gui, WT_RADIOBUTTON);
        ASSERT_EQ(radios.size(), 2u);
        EXPECT_FALSE(radios[0]->IsDisabled());
        EXPECT_TRUE(radios[1]->IsDisabled());
        gui->CloseAllDialogs();
    }
}

} // namespace
