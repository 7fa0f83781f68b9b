// Tests of scene objects with real models: links, bounds and attachment slots from the model, bone masks, the
// scene told of moves, model instances, and the save record: Dump then Load gives the same state and the same
// bytes again, play-once animations go back to the scheduler, and handles from a save are checked.
#include "engine/render/SceneObject.h"
#include "ModelTestFiles.h"
#include "engine/core/SerialStream.h"
#include "engine/render/AnimatedObject.h"
#include "engine/render/AnimationScheduler.h"

#include <gtest/gtest.h>

namespace
{

// Bounds: minimum (0, 0, 0), maximum (2, 4, 2), centre (1, 2, 1), radius 3; two attachment points, two links,
// a toggleable body (bit 2) with a toggleable hat (bit 4) and a bone that cannot be toggled.
constexpr const char* kRigText = R"(model
    bounds 0 0 0 2 4 2 1 2 1 0 3
    attachment 0 0 0 0 0 1
    attachment 1 0 0 0 0 2
    link "Front" 0 0 0 1 1 1
    link "Back" 0 0 0 2 2 2
    bone "Body"
        toggle 0x2
        bone "Hat"
            toggle 0x4
        end
        bone "Arm"
        end
    end
end
)";

constexpr const char* kWalkText = R"(model
    bone "Hips"
        keys position
            0 0 0 0 0
            9600 0 1 0 0
        end
    end
end
)";

class Host : public SceneHost
{
public:
    void ObjectMoved(SceneObject& object) override { moved.push_back(&object); }
    void RemoveObject(SceneObject& object) override { removed.push_back(&object); }
    std::vector<SceneObject*> moved, removed;
};

class SceneObjectTest : public modeltest::ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        WriteModel("rig.tm", modeltest::TmBytes(kRigText));
        WriteModel("walk.tm", modeltest::TmBytes(kWalkText));
        g_AnimationScheduler.Clear();
        g_AnimationScheduler.Update(0);
    }
    void TearDown() override
    {
        g_AnimationScheduler.Clear();
        ModelTest::TearDown();
    }

    std::vector<uint8_t> DumpBytes(SceneObject& object, const std::string& name)
    {
        const std::string file = dir.File(name);
        BinarySerialStream out(true, file.c_str());
        object.Dump(out);
        EXPECT_TRUE(out.Close());
        return testsupport::ReadBytes(file);
    }
    bool LoadFrom(SceneObject& object, const std::string& name)
    {
        BinarySerialStream in(false, dir.File(name).c_str());
        return object.Load(in);
    }
};

TEST_F(SceneObjectTest, ModelGivesLinksBoundsAndSlots)
{
    SceneObject object(4);
    EXPECT_EQ(object.GetModel(), SceneObject::kNoModel);
    EXPECT_EQ(object.GetBoneMask(), 0x80000000u);
    EXPECT_EQ(object.GetRadius(), 1.0f);
    const uint32_t handle = object.SetModel("rig.tm");
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(object.GetModel(), handle);
    EXPECT_EQ(object.GetRadius(), 3.0f);
    EXPECT_EQ(object.GetCentre().y, 2.0f);
    ASSERT_NE(object.GetModelBoundingBox(), nullptr);
    EXPECT_EQ(object.GetModelBoundingBox()->m_af[4], 4.0f);
    ASSERT_EQ(object.GetLinks().size(), 2u);
    EXPECT_EQ(object.GetLinks()[0].m_uFlagA, 0u);
    EXPECT_EQ(object.GetLinks()[0].m_uFlagB, 1u);
    EXPECT_EQ(object.GetLinks()[0].m_uFlagC, 0u);
    EXPECT_EQ(object.GetLinks()[1].m_uFlagA, 1u);
    EXPECT_EQ(object.GetAttachmentCount(), 2u);

    // A missing file: handle 0, and links and slots stay as they were.
    EXPECT_EQ(object.SetModel("missing.tm"), 0u);
    EXPECT_EQ(object.GetAttachmentCount(), 2u);
    EXPECT_EQ(object.GetLinks().size(), 2u);
    EXPECT_FALSE(object.Render());
}

TEST_F(SceneObjectTest, BonesSwitchByTheirToggleBits)
{
    SceneObject object(4);
    EXPECT_FALSE(object.EnableBone("Hat", true)); // no model yet
    object.SetModel("rig.tm");
    EXPECT_TRUE(object.EnableBone("hat", true));
    EXPECT_EQ(object.GetBoneMask(), 0x80000004u);
    EXPECT_TRUE(object.EnableBone("BODY", true));
    EXPECT_EQ(object.GetBoneMask(), 0x80000006u);
    EXPECT_TRUE(object.EnableBone("Hat", false));
    EXPECT_EQ(object.GetBoneMask(), 0x80000002u);
    EXPECT_FALSE(object.EnableBone("Arm", true));
    EXPECT_FALSE(object.EnableBone("Tail", true));
    EXPECT_EQ(object.GetBoneMask(), 0x80000002u);
}

TEST_F(SceneObjectTest, AttachmentSlots)
{
    SceneObject parent(4), a(4), b(4);
    parent.SetModel("rig.tm");
    EXPECT_TRUE(parent.AddAttachment(&a));
    EXPECT_TRUE(parent.AddAttachment(&a));
    EXPECT_FALSE(parent.AddAttachment(&b)); // full
    EXPECT_EQ(parent.GetAttachment(1), &a);
    parent.RemoveAttachment(&a); // both slots
    EXPECT_FALSE(parent.HasAttachment(0));
    EXPECT_FALSE(parent.HasAttachment(1));
    parent.SetAttachment(1, &b);
    EXPECT_TRUE(parent.AddAttachment(&a));
    EXPECT_EQ(parent.GetAttachment(0), &a);
    parent.ClearAttachment(1);
    EXPECT_FALSE(parent.HasAttachment(1));
    // Past the slots: ignored.
    parent.SetAttachment(2, &b);
    EXPECT_FALSE(parent.HasAttachment(2));
    EXPECT_EQ(parent.GetAttachment(2), nullptr);
}

TEST_F(SceneObjectTest, TheSceneIsToldOfMovesAndOfTheEnd)
{
    Host host;
    {
        SceneObject object(4);
        object.SetScene(&host);
        object.SetOrientation(1, 2, 3);
        EXPECT_TRUE(host.moved.empty());
        object.SetPositionVec({4, 5, 6});
        ASSERT_EQ(host.moved.size(), 1u);
        EXPECT_EQ(host.moved[0], &object);
        EXPECT_EQ(object.GetPosition().y, 5.0f);
        EXPECT_TRUE(host.removed.empty());
    }
    EXPECT_EQ(host.removed.size(), 1u);
}

TEST_F(SceneObjectTest, ModelInstancePlacesAModel)
{
    const uint32_t handle = g_ModelManager.Load("rig.tm");
    ModelInstance instance(handle, {1, 2, 3}, {0, 1.5f, 0});
    EXPECT_EQ(instance.GetKind(), 1u);
    EXPECT_EQ(instance.GetModel(), handle);
    EXPECT_EQ(instance.GetRadius(), 3.0f);
    EXPECT_EQ(instance.GetPosition().z, 3.0f);
    EXPECT_EQ(instance.GetOrientation().y, 1.5f);
    EXPECT_EQ(instance.GetAttachmentCount(), 0u);
    EXPECT_TRUE(instance.GetLinks().empty());
    EXPECT_TRUE(instance.Render());
}

// Dump, Load into a fresh object and Dump again: the same bytes, the same state, links and slots rebuilt from
// the model (empty), and a play-once animation back in the scheduler with its end time.
TEST_F(SceneObjectTest, DumpLoadDumpIsByteIdentical)
{
    SceneObject child(4);
    AnimatedObject object(8);
    object.SetModel("rig.tm");
    object.EnableBone("Hat", true);
    object.SetPosition(1.5f, -2.25f, 3.0f);
    object.SetOrientation(0.5f, 0.25f, -1.0f);
    object.AddAttachment(&child);
    object.SetAnimationCount(1);
    ASSERT_TRUE(object.LoadAnimation(0, "walk.tm"));
    g_AnimationScheduler.Update(600);
    const uint32_t end = g_AnimationScheduler.Play(&object, object.GetAnimation(0), 5, AnimationScheduler::kPlayOnce);
    EXPECT_EQ(end, 600u + 5u + 9600u / 120u);
    const std::vector<uint8_t> first = DumpBytes(object, "a.sav");
    g_AnimationScheduler.Cancel(&object);

    AnimatedObject loaded(8);
    ASSERT_TRUE(LoadFrom(loaded, "a.sav"));
    EXPECT_EQ(DumpBytes(loaded, "b.sav"), first);
    EXPECT_EQ(loaded.GetModel(), object.GetModel());
    EXPECT_EQ(loaded.GetBoneMask(), 0x80000004u);
    EXPECT_EQ(loaded.GetPosition().y, -2.25f);
    EXPECT_EQ(loaded.GetOrientation().z, -1.0f);
    EXPECT_EQ(loaded.GetAttachmentCount(), 2u);
    EXPECT_FALSE(loaded.HasAttachment(0));
    EXPECT_EQ(loaded.GetLinks().size(), 2u);
    EXPECT_TRUE(loaded.IsAnimating());
    EXPECT_EQ(loaded.GetCurrentFrame(), 605u);
    EXPECT_EQ(loaded.GetLastFrame(), end);
    const auto entries = g_AnimationScheduler.GetEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, &loaded);
    EXPECT_EQ(entries[0].second, end);
    g_AnimationScheduler.Update(end);
    EXPECT_FALSE(loaded.IsAnimating());

    // A looping animation is saved running but not listed again.
    g_AnimationScheduler.Play(&object, object.GetAnimation(0), 0, 2);
    DumpBytes(object, "c.sav");
    AnimatedObject looping(8);
    ASSERT_TRUE(LoadFrom(looping, "c.sav"));
    EXPECT_TRUE(looping.IsAnimating());
    EXPECT_FALSE(g_AnimationScheduler.IsScheduled(&looping));
}

// A handle in a save that names no loaded model leaves the object without one; slots and links come from the
// model only. A short save fails without harm.
TEST_F(SceneObjectTest, HandlesFromASaveAreChecked)
{
    SceneObject object(4);
    object.SetModel("rig.tm");
    const std::vector<uint8_t> good = DumpBytes(object, "good.sav");
    for (uint32_t bad : {5u, 16u, 0x7FFFFFFFu})
    {
        // The record written by hand with the bad handle.
        const std::string file = dir.File("bad.sav");
        {
            BinarySerialStream out(true, file.c_str());
            for (int i = 0; i < 6; ++i)
                out.WriteFloat("f", 1.0f);
            out.WriteUInt("m_BoneEnable", 7);
            out.WriteUInt("m_hModel", bad);
            ASSERT_TRUE(out.Close());
        }
        SceneObject loaded(4);
        EXPECT_TRUE(LoadFrom(loaded, "bad.sav"));
        EXPECT_EQ(loaded.GetModel(), 0u) << bad;
        EXPECT_EQ(loaded.GetAttachmentCount(), 0u);
        EXPECT_EQ(loaded.GetBoneMask(), 7u);
    }
    // The record cut short at every byte: Load reports failure and the object stays whole.
    for (size_t n = 0; n + 1 < good.size(); ++n)
    {
        Write("cut.sav", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)));
        SceneObject loaded(4);
        EXPECT_FALSE(LoadFrom(loaded, "cut.sav")) << n;
        EXPECT_LE(loaded.GetAttachmentCount(), 2u);
    }
}

} // namespace
