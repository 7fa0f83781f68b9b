// Tests of the scene object base as far as it stands without models: its starting fields, what a missing model
// and bone leave, attachments without slots, the animation fields, and its save record.
#include "engine/render/AnimatedObject.h"

#include "engine/core/SerialStream.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(SceneObject, StartsWithoutAModelAndKeepsItsMaskWhenABoneIsMissing)
{
    AnimatedObject object(8);
    EXPECT_EQ(object.GetKind(), 8u);
    EXPECT_EQ(object.GetModel(), 0xFFFFFFFFu);
    EXPECT_EQ(object.GetBoneMask(), 0x80000000u);
    EXPECT_FALSE(object.EnableBone("HAT", true));
    EXPECT_EQ(object.GetBoneMask(), 0x80000000u);
    EXPECT_EQ(object.SetModel("missing.tm"), 0u);
    EXPECT_EQ(object.GetModel(), 0u);
    // No model, no attachment slots.
    AnimatedObject other(8);
    EXPECT_FALSE(object.AddAttachment(&other));
    object.SetAttachment(0, &other);
    EXPECT_FALSE(object.HasAttachment(0));
    EXPECT_TRUE(object.Tick());
    EXPECT_FALSE(object.Render());
    EXPECT_LE(object.IntersectRay({0, 0, 0}, {0, 0, 1}), 0.0f);
}

TEST(SceneObject, AnimationFieldsAndTableFollowStartAndStop)
{
    AnimatedObject object(8);
    EXPECT_EQ(object.StartAnimation(7, 30, 1, 90), 1u);
    EXPECT_TRUE(object.IsAnimating());
    EXPECT_EQ(object.GetCurrentAnimation(), 7u);
    EXPECT_EQ(object.GetCurrentFrame(), 30u);
    object.StopAnimation();
    EXPECT_FALSE(object.IsAnimating());
    EXPECT_EQ(object.GetCurrentAnimation(), 0u);
    EXPECT_EQ(object.GetCurrentFrame(), 0u);
    object.SetAnimationCount(3);
    object.SetAnimation(2, 44);
    object.SetAnimation(3, 55); // past the table: ignored
    EXPECT_EQ(object.GetAnimation(2), 44u);
    EXPECT_EQ(object.GetAnimation(3), 0u);
    EXPECT_FALSE(object.LoadAnimation(1, "missing.tm"));
    EXPECT_EQ(object.GetAnimationCount(), 3u);
}

TEST(SceneObject, SaveAndLoadRestorePositionOrientationAndAnimation)
{
    testsupport::TempDir dir;
    const std::string file = dir.File("scene.sav");
    {
        AnimatedObject object(8);
        object.SetPosition(1.0f, 2.0f, 3.0f);
        object.SetOrientation(0.5f, 0.25f, -1.0f);
        object.StartAnimation(9, 10, 0, 70);
        BinarySerialStream out(true, file.c_str());
        object.Dump(out);
        ASSERT_TRUE(out.Close());
    }
    AnimatedObject loaded(8);
    BinarySerialStream in(false, file.c_str());
    ASSERT_TRUE(loaded.Load(in));
    EXPECT_EQ(loaded.GetPosition().z, 3.0f);
    EXPECT_EQ(loaded.GetOrientation().x, 0.5f);
    EXPECT_EQ(loaded.GetOrientation().z, -1.0f);
    EXPECT_TRUE(loaded.IsAnimating());
    EXPECT_EQ(loaded.GetCurrentAnimation(), 9u);
    EXPECT_EQ(loaded.GetModel(), 0xFFFFFFFFu);
    EXPECT_EQ(loaded.GetBoneMask(), 0x80000000u);
    // 1 + 5 words + 6 floats + 2 words, each a tag and its payload.
    EXPECT_EQ(testsupport::ReadBytes(file).size(), 25u + 2u + 13u * 5u);
}
