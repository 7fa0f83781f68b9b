// A sprite drawn again with a frame whose texture is made allocates nothing: the GUI draws its sprites in every frame.
#include "gui/Sprite.h"
#include "tests/allocations/CountedNew.h"
#include "tests/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using guitest::AnimMade;
using guitest::BankMade;

class SpriteAllocationTest : public guitest::GuiTest
{
};

TEST_F(SpriteAllocationTest, ADrawOfAFrameWhoseTextureIsMadeAllocatesNothing)
{
    // Bank names as short and as long as the GUI's own, the long ones past any string's inline room.
    const std::vector<std::string> names = {"pic", "uis_scanner_paneldown", "UI3_bar_message_goto_with_a_longer_name"};
    std::vector<BankMade> banks;
    for (const std::string& name : names)
        banks.push_back(BankMade{name, 1, {}, {AnimMade{"a", 2, 2, 1, {{2, 5, 6, 2, 7, 8}, {2, 9, 9, 2, 9, 9}}}}});
    SpriteManager& sprites = GetSpriteManager();
    guitest::Load(sprites, banks);
    for (const std::string& name : names)
    {
        Sprite* sprite = sprites.CreateSprite(name.c_str());
        ASSERT_NE(sprite, nullptr) << name;
        sprite->SetPlayMode(Sprite::PLAY_MANUAL);
        // Both frames' textures made.
        const uint32_t before = sprites.GetDecodeCount();
        for (int frame : {0, 1})
        {
            sprite->SetFrame(frame);
            sprite->Draw(0, 0, 0.0f);
        }
        const uint32_t decodes = sprites.GetDecodeCount();
        ASSERT_EQ(decodes, before + 2) << name;
        {
            // The frame last drawn, so the draws join the batch under way and reach no device.
            testsupport::CountedAllocations counted;
            for (int i = 0; i < 3; ++i)
                sprite->Draw(static_cast<float>(10 * i), 10, 0.0f);
            EXPECT_EQ(counted.Count(), 0u) << name;
        }
        // The draws found the textures made before.
        EXPECT_EQ(sprites.GetDecodeCount(), decodes) << name;
        sprites.ReleaseSprite(sprite);
    }
}

} // namespace
