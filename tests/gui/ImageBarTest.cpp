// Tests of the image and the bar: an image takes its sprite's size, changes sprite only for another name and
// reports presses without taking them; a bar clamps its value, fills at least 2 pixels, colours itself by its value,
// grows from its centre in the centred style, and reads park figures by name when its dialog has no object.
#include "WidgetTestSupport.h"

#include "gui/Image.h"

#include <gtest/gtest.h>

namespace
{

using widgettest::Fill;
using widgettest::WidgetsTest;

class ImageBarTest : public WidgetsTest
{
protected:
    // The fills of the bars drawn in one frame of the GUI's drawing.
    std::vector<Fill> Drawn()
    {
        widgettest::Fills();
        widgettest::DrawGui(*gui);
        return widgettest::Fills();
    }
};

TEST_F(ImageBarTest, AnImageTakesItsSpritesSizeAndChangesOnlyForAnotherSprite)
{
    Dialog("Image(10, 20, 0, 0, 0, pic, TIP)\nIcon(100, 20, 0, 0, pic, 1)\n");
    const auto images = widgettest::ItemsOf<Image>(*gui, WT_IMAGE);
    ASSERT_EQ(images.size(), 2u);
    Image& image = *images[0];
    EXPECT_EQ(image.GetRect().left, 10);
    EXPECT_EQ(image.GetRect().top, 20);
    EXPECT_EQ(image.GetRect().right, 42);
    EXPECT_EQ(image.GetRect().bottom, 36);
    EXPECT_FALSE(image.IsLive());
    EXPECT_EQ(images[1]->GetSprite()->GetFrame(), 1) << "an icon shows its frame";
    gui->DrawDialogs();
    EXPECT_FALSE(image.IsDirty());
    image.SetSprite("pic");
    EXPECT_FALSE(image.IsDirty()) << "the same sprite changes nothing";
    image.SetSprite("other");
    EXPECT_TRUE(image.IsDirty());
    EXPECT_EQ(image.GetSpriteName(), "other");
    EXPECT_EQ(image.GetRect().right, 30);
    EXPECT_EQ(image.GetRect().bottom, 30);
}

TEST_F(ImageBarTest, AnImageReportsPressesAndHoldsOnItsPictureWithoutTakingThem)
{
    Dialog("Image(10, 20, 0, 0, 0, pic)\n");
    Image& image = *widgettest::ItemsOf<Image>(*gui, WT_IMAGE)[0];
    struct Case
    {
        int32_t x, y, event;
        bool pressed, held;
    };
    const Case cases[] = {{20, 25, ME_PRESSED, true, false},  {20, 25, ME_HELD, false, true},
                          {10, 25, ME_PRESSED, false, false}, {42, 25, ME_PRESSED, false, false},
                          {41, 35, ME_HELD, false, true},     {20, 25, ME_NONE, false, false}};
    for (const Case& c : cases)
    {
        EXPECT_FALSE(image.OnMouse(c.x, c.y, c.event));
        EXPECT_EQ(image.IsPressed(), c.pressed) << c.x << "," << c.y;
        EXPECT_EQ(image.IsHeld(), c.held) << c.x << "," << c.y;
    }
    image.OnMouse(20, 25, ME_LEAVE);
    EXPECT_FALSE(image.IsMouseOver());
}

TEST_F(ImageBarTest, AFillingBarShowsItsValueWithinItsRangeAndAtLeastTwoPixels)
{
    // From x 100 to 300 (200 pixels), 0 to 10.
    Dialog("Bar(100, 50, 300, 60, 0, 10, LEVEL, 0)\n");
    struct Case
    {
        std::u16string value;
        int32_t filled; // pixels from the left
    };
    const Case cases[] = {{u"5", 100}, {u"-5", 2}, {u"0", 2}, {u"0.1", 2}, {u"10", 200}, {u"40", 200}, {u"x", 2}};
    for (const Case& c : cases)
    {
        listener.values["LEVEL"] = c.value;
        const auto fills = Drawn();
        const std::vector<Fill> expected = {{100, 50, 100 + c.filled, 60, Bar::kFillColour},
                                            {100 + c.filled, 50, 300, 60, Bar::kBackColour}};
        EXPECT_EQ(fills, expected) << std::string(c.value.begin(), c.value.end());
    }
}

TEST_F(ImageBarTest, TheColourModesRunBetweenRedAndGreen)
{
    struct Case
    {
        int32_t mode;
        float p;
        uint32_t colour; // red 255 or 2 x (1 - p) x 255, green 2 x p x 200 or 200
    };
    const Case cases[] = {
        {1, 0.0f, 0xFFFF0000},  {1, 0.25f, 0xFFFF6400}, {1, 0.5f, 0xFFFFC800},  {1, 0.75f, 0xFF7FC800},
        {1, 1.0f, 0xFF00C800},  {2, 0.0f, 0xFF00C800},  {2, 0.25f, 0xFF7FC800}, {2, 0.5f, 0xFFFFC800},
        {2, 0.75f, 0xFFFF6400}, {2, 1.0f, 0xFFFF0000},  {0, 0.3f, 0xFF1ADB7B},  {5, 0.3f, 0xFF1ADB7B},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bar::FillColour(c.mode, c.p), c.colour) << c.mode << " at " << c.p;
    // Drawn: mode 1 at a quarter.
    Dialog("Bar(100, 50, 300, 60, 0, 4, LEVEL, 1)\n");
    listener.values["LEVEL"] = u"1";
    EXPECT_EQ(Drawn().front(), (Fill{100, 50, 150, 60, 0xFFFF6400}));
}

TEST_F(ImageBarTest, ACentredBarGrowsFromItsMiddle)
{
    Dialog("Bar(100, 50, 300, 60, 0, 10, LEVEL, 0, 1)\n");
    struct Case
    {
        std::u16string value;
        Fill mark;
    };
    // The middle is at 200; a quarter of the range is 50 pixels.
    const Case cases[] = {{u"2.5", {150, 50, 200, 60, 0xFFF26522}},
                          {u"7.5", {200, 50, 250, 60, 0xFF00C800}},
                          {u"5", {198, 50, 201, 60, 0xFF0000C8}},
                          {u"-1", {100, 50, 200, 60, 0xFFF26522}}};
    for (const Case& c : cases)
    {
        listener.values["LEVEL"] = c.value;
        const auto fills = Drawn();
        ASSERT_EQ(fills.size(), 3u);
        EXPECT_EQ(fills[0], (Fill{100, 50, 300, 60, Bar::kBackColour}));
        EXPECT_EQ(fills[1], c.mark) << std::string(c.value.begin(), c.value.end());
    }
}

TEST_F(ImageBarTest, WithoutADialogObjectABarReadsAParkFigureOrReportsItsNameOnce)
{
    shell.price = 0.25f;
    Script("Font(TestFont)\nDialogItem D(0, 0, 599, 399, CLEAR, 1, 0)\n{\n"
           "Bar(100, 50, 300, 60, 0, 1, GUEST_AV_PRICE, 0)\nBar(100, 70, 300, 80, 0, 1, NO_SUCH_FIGURE, 0)\n}\n");
    gui->OpenDialog("D", nullptr);
    Step(900, 900);
    reports.debug.clear();
    std::vector<Fill> fills;
    for (int i = 0; i < 5; ++i)
        fills = Drawn();
    ASSERT_EQ(fills.size(), 4u);
    EXPECT_EQ(fills[0], (Fill{100, 50, 150, 60, Bar::kFillColour}));
    EXPECT_EQ(fills[2], (Fill{100, 70, 102, 80, Bar::kFillColour}));
    size_t notes = 0;
    for (size_t at = reports.debug.find("Unhandled UIBAR variable NO_SUCH_FIGURE"); at != std::string::npos;
         at = reports.debug.find("Unhandled UIBAR", at + 1))
        ++notes;
    EXPECT_EQ(notes, 1u);
    for (const auto& box : reports.boxes)
        ADD_FAILURE() << box.text;
}

} // namespace
