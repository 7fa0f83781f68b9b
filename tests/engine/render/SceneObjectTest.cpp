// Tests of scene objects with real models: links, bounds and attachment slots from the model, bone masks, the
// scene told of moves, model instances, culling by the placed model box; and the save record: each field with the
// tag of its type, Dump then Load gives the same state and bytes, play-once animations (and only running ones) go
// back to the scheduler, and handles from a save are checked.
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
constexpr const char* kRigText = "model\nbounds 0 0 0 2 4 2 1 2 1 0 3\nattachment 0 0 0 0 0 1\nattachment 1 0 0 0 0 2\n"
                                 "link \"Front\" 0 0 0 1 1 1\nlink \"Back\" 0 0 0 2 2 2\nbone \"Body\"\ntoggle 0x2\n"
                                 "bone \"Hat\"\ntoggle 0x4\nend\nbone \"Arm\"\nend\nend\nend\n";

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
        WriteModel("walk.tm", modeltest::TmBytes("model\nbone \"Hips\"\nkeys position\n0 0 0 0 0\n9600 0 1 0 0\n"
                                                 "end\nend\nend\n"));
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
    EXPECT_TRUE(object.GetModel() == SceneObject::kNoModel && object.GetBoneMask() == 0x80000000u &&
                object.GetRadius() == 1.0f);
    const uint32_t handle = object.SetModel("rig.tm");
    ASSERT_TRUE(handle != 0u &&
                (object.GetModel() == handle && object.GetRadius() == 3.0f && object.GetCentre().y == 2.0f));
    ASSERT_TRUE(object.GetModelBoundingBox() != nullptr && object.GetModelBoundingBox()->m_af[4] == 4.0f);
    ASSERT_EQ(object.GetLinks().size(), 2u);
    EXPECT_TRUE(object.GetLinks()[0].m_uFlagA == 0u && object.GetLinks()[0].m_uFlagB == 1u &&
                object.GetLinks()[0].m_uFlagC == 0u && object.GetLinks()[1].m_uFlagA == 1u &&
                object.GetAttachmentCount() == 2u);
    // A missing file: handle 0, and links and slots stay as they were.
    EXPECT_TRUE(object.SetModel("missing.tm") == 0u && object.GetAttachmentCount() == 2u &&
                object.GetLinks().size() == 2u && !(object.Render()));

    ModelInstance instance(handle, {1, 2, 3}, {0, 1.5f, 0});
    EXPECT_TRUE(instance.Render() && instance.GetKind() == 1u && instance.GetModel() == handle &&
                instance.GetRadius() == 3.0f && instance.GetPosition().z == 3.0f &&
                instance.GetOrientation().y == 1.5f && instance.GetAttachmentCount() == 0u &&
                instance.GetLinks().empty());

    // The scene is told of moves (not of turns) and of the end.
    Host host;
    {
        SceneObject object(4);
        object.SetScene(&host);
        object.SetOrientation(1, 2, 3);
        EXPECT_TRUE(host.moved.empty());
        object.SetPositionVec({4, 5, 6});
        ASSERT_TRUE(host.moved.size() == 1u &&
                    (host.moved[0] == (&object) && object.GetPosition().y == 5.0f && host.removed.empty()));
    }
    EXPECT_EQ(host.removed.size(), 1u);

    {
        SceneObject object(4), a(4), b(4);
        EXPECT_FALSE(object.EnableBone("Hat", true)); // no model yet
        object.SetModel("rig.tm");
        const std::tuple<const char*, bool, bool, uint32_t> steps[] = {{"hat", true, true, 0x80000004u},
                                                                       {"BODY", true, true, 0x80000006u},
                                                                       {"Hat", false, true, 0x80000002u},
                                                                       {"Arm", true, false, 0x80000002u},
                                                                       {"Tail", true, false, 0x80000002u}};
        for (const auto& [bone, enable, found, mask] : steps)
        {
            EXPECT_TRUE(object.EnableBone(bone, enable) == found && object.GetBoneMask() == mask) << bone;
        }

        // full.
        EXPECT_TRUE(object.AddAttachment(&a) && object.AddAttachment(&a) && !(object.AddAttachment(&b)) &&
                    object.GetAttachment(1) == (&a));
        object.RemoveAttachment(&a); // both slots
        EXPECT_FALSE(object.HasAttachment(0) || object.HasAttachment(1));
        object.SetAttachment(1, &b);
        EXPECT_TRUE(object.AddAttachment(&a) && object.GetAttachment(0) == (&a));
        object.ClearAttachment(1);
        EXPECT_FALSE(object.HasAttachment(1));
        object.SetAttachment(2, &b); // past the slots: ignored
        EXPECT_TRUE(!(object.HasAttachment(2)) && object.GetAttachment(2) == nullptr);
    }
}

// Culling an object with a model: its bounding sphere first; where the sphere crosses the view, the model's box
// placed by the object's orientation (yaw about y, pitch about x, roll about z) decides. The view: eye 10 above
// the ground looking along +z, 90 degrees high, aspect 4/3: in view space inside is 1 < z < 80, |x| < 4/3 z and
// |y| < z. The model is a rod from x = 0 to 20 (half a unit thick) in a sphere of radius 10.025 about its middle.
TEST_F(SceneObjectTest, ObjectsAreCulledByTheirPlacedModelBox)
{
    GraphicsManager& gm = g_GraphicsManager;
    gm.SetFog(0.0f, 10.0f, 0);
    gm.SetProjection(90.0f, 4.0f / 3.0f, 1.0f, 101.0f);
    gm.SetViewMatrix(platform::MatrixTranslation(0.0f, -10.0f, 0.0f), true);
    gm.ApplyProjection();
    WriteModel("rod.tm", modeltest::TmBytes("model\nbounds 0 -0.5 -0.5 20 0.5 0.5 10 0 0 0 10.025\nend\n"));
    const std::tuple<platform::Vec3, platform::Vec3, bool> cases[] = {
        // The sphere about (26, 10, 30) crosses the right side (x = 40 at z = 30); the rod ends at x = 36.
        {{16, 10, 30}, {0, 0, 0}, false},
        {{30, 10, 30}, {0, 0, 0}, true}, // the rod reaches x = 50
        // Yawed by -90 degrees the rod runs along +z to (35, 10, 50), well inside; pitched it would stay along x
        // and cross the right side.
        {{35, 10, 30}, {0, -1.5707964f, 0}, false},
        // Pitched the rod stays along x, 15 units below the top side (y = z in view space); rolled it would rise
        // through it.
        {{16, 25, 30}, {1.5707964f, 0, 0}, false},
        // Rolled the rod stands up from (16, 0, 30); yawed it would run back to z = 10, past the right side.
        {{16, 0, 30}, {0, 0, 1.5707964f}, false}};
    for (const auto& [position, orientation, crossing] : cases)
    {
        SceneObject object(4);
        object.SetModel("rod.tm");
        object.SetPositionVec(position);
        object.SetOrientationVec(orientation);
        const uint32_t code = gm.TestObject(object, ClipCode::kView);
        EXPECT_TRUE((code & ClipCode::kOutside) == 0u && ((code & ClipCode::kView) != 0) == crossing) << position.x;
    }
}

// The save record field by field, as (tag) items: a bool, signed integers for the frames and the animation, the
// unsigned play type, six floats, then the signed bone mask and model handle.
std::vector<uint8_t> Tags(const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> tags;
    for (size_t at = 0; at < bytes.size();)
    {
        const uint8_t tag = bytes[at++];
        tags.push_back(tag);
        if (tag <= 1)
            at += 4 + (bytes[at] | bytes[at + 1] << 8);
        else
            at += tag == 2 || tag == 8 ? 1 : tag == 4 || tag == 12 ? 2 : 4;
    }
    return tags;
}

// Dump, Load into a fresh object and Dump again: the same bytes, the same state, links and slots rebuilt from
// the model (empty), and a running play-once animation back in the scheduler with its end time. A looping
// animation, or a play-once animation that has ended, is not listed again.
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
    EXPECT_EQ(Tags(first), (std::vector<uint8_t>{0, 2, 5, 5, 5, 11, 5, 3, 3, 3, 3, 3, 3, 5, 5}));
    g_AnimationScheduler.Cancel(&object);

    AnimatedObject loaded(8);
    ASSERT_TRUE(LoadFrom(loaded, "a.sav"));
    EXPECT_TRUE(DumpBytes(loaded, "b.sav") == first && loaded.GetModel() == object.GetModel() &&
                loaded.GetBoneMask() == 0x80000004u && loaded.GetPosition().y == -2.25f &&
                loaded.GetOrientation().z == -1.0f && loaded.GetAttachmentCount() == 2u && !(loaded.HasAttachment(0)) &&
                loaded.GetLinks().size() == 2u && loaded.IsAnimating() && loaded.GetCurrentFrame() == 605u &&
                loaded.GetLastFrame() == end);
    const auto entries = g_AnimationScheduler.GetEntries();
    ASSERT_TRUE(entries.size() == 1u && entries[0].first == (&loaded) && entries[0].second == end);
    g_AnimationScheduler.Update(end);
    EXPECT_FALSE(loaded.IsAnimating());

    DumpBytes(loaded, "ended.sav"); // play-once, ended: not animating
    g_AnimationScheduler.Play(&object, object.GetAnimation(0), 0, 2);
    DumpBytes(object, "looping.sav");
    for (const char* name : {"ended.sav", "looping.sav"})
    {
        AnimatedObject again(8);
        ASSERT_TRUE(LoadFrom(again, name) && again.IsAnimating() == (std::string(name) == "looping.sav"));
        EXPECT_FALSE(g_AnimationScheduler.IsScheduled(&again)) << name;
    }

    // A handle in a save that names no loaded model leaves the object without one; slots and links come from the
    // model only. A short save fails without harm.
    {
        SceneObject object(4);
        object.SetModel("rig.tm");
        const std::vector<uint8_t> good = DumpBytes(object, "good.sav");
        for (uint32_t bad : {5u, 16u, 0x7FFFFFFFu})
        {
            const std::string file = dir.File("bad.sav");
            {
                BinarySerialStream out(true, file.c_str());
                for (int i = 0; i < 6; ++i)
                    out.WriteFloat("f", 1.0f);
                out.WriteInt("m_BoneEnable", 7);
                out.WriteInt("m_hModel", static_cast<int32_t>(bad));
                ASSERT_TRUE(out.Close());
            }
            SceneObject loaded(4);
            EXPECT_TRUE(LoadFrom(loaded, "bad.sav"));
            EXPECT_EQ(loaded.GetModel(), 0u) << bad;
            EXPECT_TRUE(loaded.GetAttachmentCount() == 0u && loaded.GetBoneMask() == 7u);
        }
        for (size_t n = 0; n + 1 < good.size(); ++n)
        {
            Write("cut.sav", std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)));
            SceneObject loaded(4);
            EXPECT_FALSE(LoadFrom(loaded, "cut.sav")) << n;
            EXPECT_LE(loaded.GetAttachmentCount(), 2u);
        }
    }
}

// Model handles are given in the order models are first loaded, which differs from one run of the game to the
// next (and after another park was played). An object that its creation has given its model keeps that model when
// a save is loaded into it, whatever handle number the save holds.
TEST_F(SceneObjectTest, ALoadedObjectKeepsTheModelItWasMadeWith)
{
    ASSERT_NE(g_ModelManager.Load("walk.tm"), 0u); // walk.tm takes the first handle in the run that saves
    SceneObject saved(4);
    saved.SetModel("rig.tm");
    saved.EnableBone("Hat", true);
    DumpBytes(saved, "rig.sav");

    const struct
    {
        const char* run;
        std::vector<const char*> loadedFirst;
        bool restart;
    } cases[] = {
        {"the same run", {}, false},
        {"a run that loads the rig first", {"rig.tm", "walk.tm"}, true},
        {"a run that never loads the walk", {"rig.tm"}, true},
        {"a run that loads others first", {"missing.tm", "walk.tm"}, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.run);
        if (c.restart)
            Start(true);
        for (const char* name : c.loadedFirst)
            g_ModelManager.Load(name);
        SceneObject loaded(4);
        const uint32_t rig = loaded.SetModel("rig.tm"); // as the object's creation does, by name
        ASSERT_NE(rig, 0u);
        ASSERT_TRUE(LoadFrom(loaded, "rig.sav"));
        EXPECT_EQ(loaded.GetModel(), rig);
        EXPECT_STREQ(g_ModelManager.GetName(loaded.GetModel()), "rig.tm");
        EXPECT_TRUE(loaded.GetAttachmentCount() == 2u && loaded.GetLinks().size() == 2u &&
                    loaded.GetBoneMask() == 0x80000004u);
    }
}

// Animation handles are numbered in the same way. An object whose creation has built its animation table (by file
// names) plays, after a load, the animation it was playing when saved, whatever that handle number names in the
// run that loads: another object's animation, another of its own, or nothing.
TEST_F(SceneObjectTest, ALoadedObjectPlaysTheAnimationItWasPlaying)
{
    // A walk of 80 ticks and a wave of 40, by their last key times; a swim of another object.
    WriteModel("wave.tm", modeltest::TmBytes("model\nbone \"Hips\"\nkeys position\n0 0 0 0 0\n4800 0 0 1 0\n"
                                             "end\nend\nend\n"));
    WriteModel("swim.tm", modeltest::TmBytes("model\nbone \"Fin\"\nkeys position\n0 0 0 0 0\n2400 1 0 0 0\n"
                                             "end\nend\nend\n"));
    const auto make = [](AnimatedObject& object)
    {
        object.SetModel("rig.tm");
        object.SetAnimationCount(2);
        EXPECT_TRUE(object.LoadAnimation(0, "walk.tm") && object.LoadAnimation(1, "wave.tm"));
    };
    AnimatedObject saved(8);
    make(saved);
    g_AnimationScheduler.Update(300);
    g_AnimationScheduler.Play(&saved, saved.GetAnimation(1), 0, AnimationScheduler::kPlayOnce);
    const uint32_t savedHandle = saved.GetCurrentAnimation();
    ASSERT_STREQ(g_ModelManager.GetName(savedHandle), "wave.tm");
    DumpBytes(saved, "waving.sav");
    g_AnimationScheduler.Cancel(&saved);

    const struct
    {
        const char* run;
        std::vector<const char*> loadedFirst;
        bool restart;
        const char* savedHandleNames; // what the saved number stands for in the run that loads
    } cases[] = {
        {"the same run", {}, false, "wave.tm"},
        {"a run where it names another object's animation", {"rig.tm", "walk.tm", "swim.tm"}, true, "swim.tm"},
        {"a run where it names the object's walk", {"swim.tm", "rig.tm", "walk.tm"}, true, "walk.tm"},
        {"a run where it names the object's model", {"wave.tm", "swim.tm", "rig.tm"}, true, "rig.tm"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.run);
        if (c.restart)
        {
            Start(true);
            g_AnimationScheduler.Clear();
            g_AnimationScheduler.Update(300);
        }
        for (const char* name : c.loadedFirst)
            g_ModelManager.Load(name);
        AnimatedObject loaded(8);
        make(loaded);
        ASSERT_STREQ(g_ModelManager.GetName(savedHandle), c.savedHandleNames);
        ASSERT_TRUE(LoadFrom(loaded, "waving.sav"));
        EXPECT_STREQ(g_ModelManager.GetName(loaded.GetCurrentAnimation()), "wave.tm");
        EXPECT_EQ(loaded.GetCurrentAnimation(), loaded.GetAnimation(1));
        EXPECT_TRUE(loaded.IsAnimating() && g_AnimationScheduler.IsScheduled(&loaded));
        g_AnimationScheduler.Cancel(&loaded);
    }
}

// A loaded object stands where the save put it: a scene that already holds it files it there, as it would after
// any move, so culling and picking look for it in the right place.
TEST_F(SceneObjectTest, ASceneIsToldWhereALoadedObjectStands)
{
    SceneObject saved(4);
    saved.SetModel("rig.tm");
    saved.SetPositionVec({40, 0, 70});
    DumpBytes(saved, "placed.sav");

    Host host;
    SceneObject loaded(4);
    loaded.SetModel("rig.tm");
    loaded.SetScene(&host);
    ASSERT_TRUE(LoadFrom(loaded, "placed.sav"));
    EXPECT_EQ(loaded.GetPosition().x, 40.0f);
    ASSERT_FALSE(host.moved.empty());
    EXPECT_EQ(host.moved.back(), &loaded);
    loaded.SetScene(nullptr);
}

} // namespace
