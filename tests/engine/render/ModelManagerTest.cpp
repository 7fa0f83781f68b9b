// Tests of the model manager: handles and names, the placeholder for files that are not models, the frame count,
// the loader's messages for every place a file can fail, level reduction, the texture-coordinate shift and page
// mapping, registration of static vertices, bone masks, and hostile files cut at every byte or with huge counts.
#include "ModelTestFiles.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/ModelHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace
{

using namespace modeltest;

// A model record without attachments, table, box, links or locators ends at byte 152 (12 + 140); the first bone
// record follows.
constexpr size_t kFirstBone = 152;
constexpr size_t kBoneRecord = 689;

const char* const kTriangle = kPlaceholderText; // one triangle under one bone

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    texturetest::Put32(b, at, v);
}

class ModelManagerTest : public ModelTest
{
};

TEST_F(ModelManagerTest, LoadsEachNameOnceAndCountsItsReferences)
{
    WriteModel("models/a.tm", TmBytes(kTriangle));
    const uint32_t a = g_ModelManager.Load("models\\a.tm");
    EXPECT_EQ(a, 1u); // the first model takes handle 1
    EXPECT_EQ(g_ModelManager.Load("models\\a.tm"), a);
    EXPECT_EQ(g_ModelManager.GetRefCount(a), 2u);
    EXPECT_STREQ(g_ModelManager.GetName(a), "models\\a.tm");
    ASSERT_NE(g_ModelManager.GetModel(a), nullptr);
    EXPECT_NE(g_ModelManager.GetOptModel(a), nullptr);
    // The name map compares names without regard to case, wherever their hash sends the search.
    EXPECT_EQ(g_ModelManager.Load("MODELS\\A.TM"), a);
    EXPECT_EQ(g_ModelManager.GetRefCount(a), 3u);
    // A file that is not there: no model and no message.
    EXPECT_EQ(g_ModelManager.Load("models\\none.tm"), 0u);
    EXPECT_EQ(g_ModelManager.Load(nullptr), 0u);
    EXPECT_TRUE(TakeBoxes().empty());
    EXPECT_EQ(g_ModelManager.GetModel(0), nullptr);
    EXPECT_EQ(g_ModelManager.GetRefCount(0), 0u);
    EXPECT_EQ(g_ModelManager.GetRefCount(9), 0u);
    EXPECT_EQ(g_ModelManager.GetModel(9), nullptr);
}

// Files the loader cannot take as models give the placeholder with the message of what was wrong; the failed
// name keeps no model, so asking again says so again.
TEST_F(ModelManagerTest, UnreadableFilesGiveThePlaceholderWithTheirMessage)
{
    WritePlaceholder();
    std::vector<uint8_t> oldVersion = TmBytes(kTriangle);
    oldVersion[2] = 9;
    std::vector<uint8_t> shortRecord = TmBytes(kTriangle);
    shortRecord.resize(100);
    const std::string triangle = kTriangle;
    const std::string notANumber = "model\nbounds 0 0 0 1 1 1 0 0 0 0 nan\n" + triangle.substr(6);
    const std::string infinite = "model\nattachment 0 inf 0 0 0 0\n" + triangle.substr(6);
    const struct
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* box;
    } cases[] = {
        {"short.tm", std::vector<uint8_t>(11, 0),
         "ERROR LOADING MODEL! Using placeholder...|Failed to read model header"},
        {"old.tm", oldVersion,
         "ERROR LOADING MODEL! Using placeholder|Model version number is different!\nModel: old.tm"},
        {"text.tm",
         {'h', 'e', 'l', 'l', 'o', ' ', 'm', 'o', 'd', 'e', 'l', 's', '!'},
         "ERROR LOADING MODEL! Using placeholder|Failed to read optimised model\nModel: text.tm"},
        {"cut.tm", shortRecord, "ERROR LOADING MODEL! Using placeholder...|Failed to read model record\nModel: cut.tm"},
        {"nan.tm", TmBytes(notANumber),
         "ERROR LOADING MODEL! Using placeholder...|Failed to read model record\nModel: nan.tm"},
        {"inf.tm", TmBytes(infinite),
         "ERROR LOADING MODEL! Using placeholder...|Failed to read model record\nModel: inf.tm"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        WriteModel(c.name, c.bytes);
        const uint32_t handle = g_ModelManager.Load(c.name);
        EXPECT_EQ(handle, PlaceholderHandle());
        EXPECT_EQ(TakeBoxes(), std::vector<std::string>{c.box});
        EXPECT_EQ(g_ModelManager.Load(c.name), handle);
        EXPECT_EQ(TakeBoxes().size(), 1u);
    }
    EXPECT_STREQ(g_ModelManager.GetName(PlaceholderHandle()), ModelManager::kPlaceholderName);
}

// A placeholder that is missing gives 0; one that cannot be read itself gives 0 after its own message instead of
// asking for itself again.
TEST_F(ModelManagerTest, APlaceholderThatFailsEndsInNoModel)
{
    std::vector<uint8_t> oldVersion = TmBytes(kTriangle);
    oldVersion[2] = 9;
    WriteModel("old.tm", oldVersion);
    EXPECT_EQ(g_ModelManager.Load("old.tm"), 0u);
    EXPECT_EQ(TakeBoxes().size(), 1u);
    Write("gamedata/gameart/TM Files/test/Alert.tm", oldVersion);
    EXPECT_EQ(g_ModelManager.Load("old.tm"), 0u);
    EXPECT_EQ(TakeBoxes().size(), 2u);
}

// The length of an animation is the latest last position key of its bones; scale and rotation keys and bones
// without position keys do not count, and the frame count stored in the file is replaced.
TEST_F(ModelManagerTest, FrameCountIsTheLatestLastPositionKey)
{
    WriteModel("walk.tm", TmBytes(R"(model
    frames 5
    bone "Hips"
        keys rotation
            20000 0 0 0 1
        end
        keys position
            0 0 0 0 0
            4800 0 1 0 0
            9600 0 0 0 0
        end
        bone "Leg"
            keys scale
                30000 1 1 1 0
            end
            keys position
                100 0 0 0 0
            end
        end
    end
    bone "Tail"
        haskeys 1
    end
end
)"));
    const uint32_t walk = g_ModelManager.Load("walk.tm");
    ASSERT_NE(g_ModelManager.GetModel(walk), nullptr);
    EXPECT_EQ(g_ModelManager.GetModel(walk)->m_uFrameCount, 9600u);
    EXPECT_EQ(g_ModelManager.GetOptModel(walk)->m_uFrameCount, 9600u);
    EXPECT_TRUE(TakeBoxes().empty());
}

// Each place the bone tree can stop: the message shown, and the model kept with what was read before it (never
// the placeholder). The file: one bone with a wave and three key lists of one key, a child bone and a submodel.
TEST_F(ModelManagerTest, EveryBoneTreeMessageKeepsWhatWasReadBefore)
{
    WritePlaceholder();
    const std::vector<uint8_t> full = TmBytes(R"(model
    bone "B"
        wave 0x1 0 0 0 0 0 0 0 0 0 0
        keys rotation
            1 0 0 0 1
        end
        keys scale
            1 1 1 1 0
        end
        keys position
            1 0 0 0 0
        end
        bone "C"
        end
        submodel "S"
            vertex 0 0 0 0 0 -1 0 0
            vertex 0 1 0 0 0 -1 0 1
            vertex 1 0 0 0 0 -1 1 0
            level 0
                indices 0 1 2
                material
                end
            end
        end
    end
end
)");
    const size_t wave = kFirstBone + kBoneRecord;
    const size_t rotation = wave + 20;
    const size_t scale = rotation + 4 + 20;
    const size_t position = scale + 4 + 20;
    const size_t child = position + 4 + 20;
    const size_t subModel = child + kBoneRecord;
    const struct
    {
        size_t cut;
        const char* message;
        size_t childrenKept;
    } cases[] = {
        {kFirstBone + 300, "Failed to read in Bones", 0},
        {wave + 10, "Failed to read in Bone Waves", 0},
        {rotation + 2, "Failed to read in RTS Rotation Num Keys", 0},
        {rotation + 10, "Failed to read in RTS Rotation Key List", 0},
        {scale + 3, "Failed to read in RTS Scale Num Keys", 0},
        {scale + 23, "Failed to read in RTS Scale Key List", 0},
        {position + 1, "Failed to read in RTS Pos Num Keys", 0},
        {position + 5, "Failed to read in RTS Pos Key List", 0},
        {child + 5, "Failed to read in Bones", 0},
        {subModel + 5, "Failed to read in SubModels", 1},
        {full.size() - 1, "Failed to read in SubModels", 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.cut);
        const std::string name = "cut" + std::to_string(c.cut) + ".tm";
        WriteModel(name, std::vector<uint8_t>(full.begin(), full.begin() + static_cast<ptrdiff_t>(c.cut)));
        const uint32_t handle = g_ModelManager.Load(name.c_str());
        EXPECT_NE(handle, PlaceholderHandle());
        EXPECT_EQ(TakeBoxes(), std::vector<std::string>{std::string("ERROR LOADING MODEL!|") + c.message});
        const SModel* model = g_ModelManager.GetModel(handle);
        ASSERT_NE(model, nullptr);
        const size_t bones = c.cut < wave ? 0 : 1;
        ASSERT_EQ(model->m_bones.size(), bones);
        if (bones)
        {
            EXPECT_EQ(model->m_bones[0].m_children.size(), c.childrenKept);
            EXPECT_TRUE(model->m_bones[0].m_subModels.empty());
        }
    }
}

// Submodels that read but must not be used: the message, and the rest of the level (later submodels included)
// left out.
TEST_F(ModelManagerTest, SubModelChecksStopTheLevel)
{
    auto withBad = [](SubModel bad)
    {
        SModel model = ModelOf({MakeGrid("Good", 1, 1), std::move(bad), MakeGrid("After", 1, 1)});
        return tmtool::WriteTmModel(model);
    };
    SubModel suspect = MakeGrid("Suspect", 1, 1);
    suspect.m_positions.resize(65001);
    suspect.m_normals.resize(65001);
    suspect.m_uvs.resize(65001);
    suspect.m_levels[0].m_uVertexCount = 65001;
    SubModel noPositions = MakeGrid("Kind7", 1, 1);
    noPositions.m_uVertexKind = 7; // no layout: nothing follows for the vertices
    noPositions.m_levels[0].m_indices.clear();
    SubModel outOfRange = MakeGrid("Range", 1, 1);
    outOfRange.m_levels[0].m_indices[4] = 4;
    SubModel halfTriangle = MakeGrid("Half", 1, 1);
    halfTriangle.m_levels[0].m_indices.pop_back();
    SubModel secondLevel = MakeGrid("Second", 1, 1);
    secondLevel.m_levels.push_back(secondLevel.m_levels[0]);
    secondLevel.m_levels[1].m_uVertexCount = 5;
    SubModel infinite = MakeGrid("Inf", 1, 1);
    infinite.m_uvs[2].y = INFINITY;
    SubModel unbounded = MakeGrid("Unbounded", 1, 1);
    unbounded.m_bounds.m_af[6] = -INFINITY;
    const struct
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* message;
    } cases[] = {
        {"suspect.tm", withBad(suspect), "Number of vertices for submodel is suspect: 65001"},
        {"kind7.tm", withBad(noPositions), "Failed to allocate memory for SubModel Vertices"},
        {"range.tm", withBad(outOfRange), "SubModel indices are out of range"},
        {"half.tm", withBad(halfTriangle), "SubModel indices are out of range"},
        {"second.tm", withBad(secondLevel), "SubModel indices are out of range"},
        {"inf.tm", withBad(infinite), "SubModel texture coordinates are not finite"},
        {"unbounded.tm", withBad(unbounded), "SubModel bounds are not finite"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        WriteModel(c.name, c.bytes);
        const uint32_t handle = g_ModelManager.Load(c.name);
        EXPECT_EQ(TakeBoxes(), std::vector<std::string>{std::string("ERROR LOADING MODEL!|") + c.message});
        const SModel* model = g_ModelManager.GetModel(handle);
        ASSERT_NE(model, nullptr);
        ASSERT_EQ(model->m_bones[0].m_subModels.size(), 1u);
        EXPECT_EQ(model->m_bones[0].m_subModels[0].m_name, "Good");
    }

    // 65,000 vertices are not suspect.
    SubModel large = MakeGrid("Large", 1, 1);
    large.m_positions.resize(65000);
    large.m_normals.resize(65000);
    large.m_uvs.resize(65000);
    large.m_levels[0].m_uVertexCount = 65000;
    WriteModel("large.tm", tmtool::WriteTmModel(ModelOf({large, MakeGrid("After", 1, 1)})));
    const SModel* model = g_ModelManager.GetModel(g_ModelManager.Load("large.tm"));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->m_bones[0].m_subModels.size(), 2u);
    EXPECT_TRUE(TakeBoxes().empty());
}

// Records that do not fit their fields: more than five levels, names without a terminator, bone trees nested
// deeper than any model.
TEST_F(ModelManagerTest, RecordsThatOverflowTheirFieldsStopTheTree)
{
    std::vector<uint8_t> sixLevels = tmtool::WriteTmModel(ModelOf({MakeGrid("G", 1, 1)}));
    const size_t subModel = kFirstBone + kBoneRecord;
    sixLevels[subModel + 98] = 6; // the level count after the name, a value and the bounds
    std::vector<uint8_t> longName = tmtool::WriteTmModel(ModelOf({}));
    std::memset(&longName[kFirstBone], 'A', 50);
    // Bones nested 257 deep still load; one more is refused.
    const auto nested = [](int depth)
    {
        std::string text = "model\n";
        for (int i = 0; i < depth; ++i)
            text += "bone \"D\"\n";
        for (int i = 0; i < depth; ++i)
            text += "end\n";
        return text + "end\n";
    };
    WriteModel("deepest.tm", TmBytes(nested(257)));
    EXPECT_NE(g_ModelManager.GetModel(g_ModelManager.Load("deepest.tm")), nullptr);
    EXPECT_TRUE(TakeBoxes().empty());
    const std::string deep = nested(258);
    const struct
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* message;
    } cases[] = {
        {"six.tm", sixLevels, "Failed to read in SubModels"},
        {"long.tm", longName, "Failed to read in Bones"},
        {"deep.tm", TmBytes(deep), "Failed to read in Bones"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        WriteModel(c.name, c.bytes);
        const SModel* model = g_ModelManager.GetModel(g_ModelManager.Load(c.name));
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(TakeBoxes(), std::vector<std::string>{std::string("ERROR LOADING MODEL!|") + c.message});
        if (std::string(c.name) == "long.tm")
        {
            EXPECT_TRUE(model->m_bones.empty()); // the bone whose name does not end is not kept
        }
    }
}

TEST_F(ModelManagerTest, TwoLevelsAtDistanceZeroBecomeOne)
{
    for (float second : {0.0f, 10.0f})
    {
        SModel model = ModelOf({MakeGrid("G", 1, 1)});
        SubModel& sub = model.m_bones[0].m_subModels[0];
        sub.m_levels.push_back(sub.m_levels[0]);
        sub.m_levels[1].m_fSwitchDistance = second;
        const std::string name = second == 0.0f ? "zero.tm" : "ten.tm";
        WriteModel(name, tmtool::WriteTmModel(model));
        const SModel* loaded = g_ModelManager.GetModel(g_ModelManager.Load(name.c_str()));
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->m_bones[0].m_subModels[0].m_levels.size(), second == 0.0f ? 1u : 2u);
    }
}

// Coordinates below 0 move up by whole units before they are mapped into the texture's place on its page:
// u from -1.5 to 0.5 moves by 2, v from -0.25 to 0.75 by 1. Without the optimised form they only move; without
// a texture they stay.
TEST_F(ModelManagerTest, TextureCoordinatesShiftByWholeUnitsIntoThePage)
{
    texturetest::DDTSpec spec;
    spec.ownPage = 0; // a shared page: the texture takes a part of it
    spec.format = 4;
    Write("tex/shared.ddt", texturetest::MakeDDT(spec, texturetest::ChainPixels(8, 8, {0xFF00FF00})));
    auto model = [](bool textured)
    {
        SModel m = ModelOf({MakeGrid("G", 1, 1)});
        SubModel& sub = m.m_bones[0].m_subModels[0];
        sub.m_uvs = {{-1.5f, -0.25f}, {0.5f, 0.0f}, {0.0f, 0.75f}, {0.25f, 0.5f}};
        if (textured)
            sub.m_levels[0].m_aszTexture[0] = "tex\\shared.ddt";
        return tmtool::WriteTmModel(m);
    };
    WriteModel("textured.tm", model(true));
    WriteModel("plain.tm", model(false));
    const platform::Vec2 shifted[4] = {{0.5f, 0.75f}, {2.5f, 1.0f}, {2.0f, 1.75f}, {2.25f, 1.5f}};

    for (bool optimised : {true, false})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const SModel* m = g_ModelManager.GetModel(g_ModelManager.Load("textured.tm"));
        ASSERT_NE(m, nullptr);
        const SubModel& sub = m->m_bones[0].m_subModels[0];
        const int32_t slot = sub.m_levels[0].m_material.m_aStages[0].m_iTexture;
        ASSERT_GT(slot, 0);
        TexturePlacement page; // identity unless the coordinates go into the page
        if (optimised)
        {
            page = g_TextureManager.GetPlacement(static_cast<uint32_t>(slot));
            ASSERT_LT(page.m_fUScale, 0.5f); // 8 texels of a page of hundreds
        }
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_FLOAT_EQ(sub.m_uvs[i].x, shifted[i].x * page.m_fUScale + page.m_fUOffset) << i;
            EXPECT_FLOAT_EQ(sub.m_uvs[i].y, shifted[i].y * page.m_fVScale + page.m_fVOffset) << i;
        }
        const SModel* plain = g_ModelManager.GetModel(g_ModelManager.Load("plain.tm"));
        EXPECT_EQ(plain->m_bones[0].m_subModels[0].m_uvs[0].x, -1.5f);
    }

    // Coordinates far below 0 move once, by as many units as it takes.
    SModel far = ModelOf({MakeGrid("G", 1, 1)});
    far.m_bones[0].m_subModels[0].m_uvs[0].x = -1.0e30f;
    far.m_bones[0].m_subModels[0].m_levels[0].m_aszTexture[0] = "tex\\shared.ddt";
    WriteModel("far.tm", tmtool::WriteTmModel(far));
    Start(false);
    const SModel* m = g_ModelManager.GetModel(g_ModelManager.Load("far.tm"));
    ASSERT_NE(m, nullptr);
    for (const platform::Vec2& uv : m->m_bones[0].m_subModels[0].m_uvs)
        EXPECT_GE(uv.x, 0.0f);
}

// With the optimised form the vertices go to the mesh manager's shared buffers in the 40-byte layout (vertex
// colour times the diffuse colour, alpha 0), level 0 with its indices; a further level sharing them registers its
// indices only, a level with vertices of its own nothing.
TEST_F(ModelManagerTest, StaticVerticesAreRegisteredInSharedBuffers)
{
    SModel model = ModelOf({MakeGrid("G", 1, 1)});
    SubModel& sub = model.m_bones[0].m_subModels[0];
    sub.m_uColourFlag = 1;
    sub.m_colours = {0xFF804020, 0xFFFFFFFF, 0x00000000, 0x10203040};
    sub.m_levels[0].m_material.m_uDiffuse = 0xFF808080;
    sub.m_levels.push_back(sub.m_levels[0]);
    sub.m_levels.push_back(sub.m_levels[0]);
    sub.m_levels[1].m_fSwitchDistance = 10.0f;
    sub.m_levels[1].m_indices.resize(3);
    sub.m_levels[2].m_fSwitchDistance = 20.0f;
    sub.m_levels[2].m_uRegistration = 1;
    WriteModel("reg.tm", tmtool::WriteTmModel(model));
    const uint32_t handle = g_ModelManager.Load("reg.tm");
    const SubModel& loaded = g_ModelManager.GetModel(handle)->m_bones[0].m_subModels[0];
    EXPECT_TRUE(TakeBoxes().empty());

    const MeshRecord* vertices = g_MeshManager.GetMesh(loaded.m_levels[0].m_uMeshHandle);
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(vertices->m_uVertexKind, 4u);
    EXPECT_EQ(vertices->m_uVertexCount, 4u);
    EXPECT_EQ(vertices->m_uIndexCount, 6u);
    D3DRenderer& r = Renderer();
    const auto* v = static_cast<const LitTexVertex*>(r.LockMeshVertices(loaded.m_levels[0].m_uMeshHandle, 4));
    ASSERT_NE(v, nullptr);
    // (0x80 x 0x80) / 256 = 0x40, (0x40 x 0x80) / 256 = 0x20, (0xFF x 0x80) / 256 = 0x7F, ...
    const uint32_t colours[4] = {0x00402010, 0x007F7F7F, 0x00000000, 0x00101820};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(v[i].diffuse, colours[i]) << i;
        EXPECT_EQ(v[i].x, static_cast<float>(i % 2));
        EXPECT_EQ(v[i].nz, -1.0f);
        EXPECT_EQ(v[i].u, static_cast<float>(i % 2));
    }
    r.UnlockMeshVertices();
    const uint16_t* indices = r.LockMeshIndices(loaded.m_levels[0].m_uMeshHandle, 6);
    ASSERT_NE(indices, nullptr);
    EXPECT_TRUE(std::equal(indices, indices + 6, loaded.m_levels[0].m_indices.begin()));
    r.UnlockMeshIndices();

    const MeshRecord* shared = g_MeshManager.GetMesh(loaded.m_levels[1].m_uMeshHandle);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->m_uVertexCount, 0u);
    EXPECT_EQ(shared->m_uIndexCount, 3u);
    EXPECT_EQ(loaded.m_levels[2].m_uMeshHandle, 0u);
    EXPECT_EQ(g_ModelManager.GetOptModel(handle)->m_bones[0].m_meshes[0].m_uVertexHandle,
              loaded.m_levels[0].m_uMeshHandle);

    // With the mesh manager closed the registration fails, and says so twice.
    g_MeshManager.Close();
    SModel twoLevels = ModelOf({MakeGrid("G", 1, 1)});
    twoLevels.m_bones[0].m_subModels[0].m_levels.push_back(twoLevels.m_bones[0].m_subModels[0].m_levels[0]);
    twoLevels.m_bones[0].m_subModels[0].m_levels[1].m_fSwitchDistance = 10.0f;
    WriteModel("closed.tm", tmtool::WriteTmModel(twoLevels));
    EXPECT_NE(g_ModelManager.GetModel(g_ModelManager.Load("closed.tm")), nullptr);
    const std::vector<std::string> failed = {"Error|Mesh Manager :Register(): Not Open",
                                             "Error|Register static verts: Failed to Register Mesh"};
    std::vector<std::string> both = failed;
    both.insert(both.end(), failed.begin(), failed.end()); // level 0, then level 1
    EXPECT_EQ(TakeBoxes(), both);
    g_MeshManager.Open(&Renderer());

    // Without the optimised form nothing is registered.
    Start(false);
    const SubModel& plain = g_ModelManager.GetModel(g_ModelManager.Load("reg.tm"))->m_bones[0].m_subModels[0];
    EXPECT_EQ(plain.m_levels[0].m_uMeshHandle, 0u);
    EXPECT_EQ(g_ModelManager.GetOptModel(1), nullptr);
}

// The toggle bit of a bone by name in any letter case, searched through children; bones that cannot be toggled
// (0 or 0xFFFFFFFF) are reported and give 0, as does a name no bone has, silently. Both forms of the model.
TEST_F(ModelManagerTest, FindBoneMaskIgnoresCaseAndReportsUntoggleableBones)
{
    WriteModel("bones.tm", TmBytes(R"(model
    bone "Body"
        toggle 0x1
        bone "Head"
            toggle 0x2
        end
        bone "Arm"
        end
    end
    bone "Leg"
        toggle 0
        bone "Hat"
            toggle 0x8
        end
    end
end
)"));
    for (bool optimised : {true, false})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const uint32_t h = g_ModelManager.Load("bones.tm");
        EXPECT_EQ(g_ModelManager.FindBoneMask(h, "head"), 2u);
        EXPECT_EQ(g_ModelManager.FindBoneMask(h, "HAT"), 8u);
        EXPECT_EQ(g_ModelManager.FindBoneMask(h, "body"), 1u);
        EXPECT_TRUE(TakeBoxes().empty());
        EXPECT_EQ(g_ModelManager.FindBoneMask(h, "ARM"), 0u);
        EXPECT_EQ(g_ModelManager.FindBoneMask(h, "Leg"), 0u);
        EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{"Error|IterateFindModelBone - Bone Arm is not toggleable\n",
                                                         "Error|IterateFindModelBone - Bone Leg is not toggleable\n"}));
        EXPECT_EQ(g_ModelManager.FindBoneMask(h, "Tail"), 0u);
        EXPECT_EQ(g_ModelManager.FindBoneMask(h + 1, "Head"), 0u);
        EXPECT_TRUE(TakeBoxes().empty());
    }
}

// Handles are the lowest free numbers, through every bit of the bitmap's words.
TEST_F(ModelManagerTest, HandlesCountUpThroughTheBitmap)
{
    Start(false, 40);
    const std::vector<uint8_t> triangle = TmBytes(kTriangle);
    for (uint32_t i = 1; i < 40; ++i)
    {
        const std::string name = "m" + std::to_string(i) + ".tm";
        WriteModel(name, triangle);
        ASSERT_EQ(g_ModelManager.Load(name.c_str()), i);
    }
    WriteModel("last.tm", triangle);
    EXPECT_EQ(g_ModelManager.Load("last.tm"), 0u);
}

// Loading reorders level 0's triangles for the vertex cache (the same triangles, each wound as before) and gives
// every such submodel a colour array, zeros when the file had none.
TEST_F(ModelManagerTest, LevelZeroIsReorderedForTheVertexCache)
{
    SModel model = ModelOf({MakeGrid("G", 6, 6)});
    std::vector<uint16_t>& indices = model.m_bones[0].m_subModels[0].m_levels[0].m_indices;
    std::reverse(indices.begin(), indices.end());
    const std::vector<uint16_t> written = indices;
    WriteModel("grid.tm", tmtool::WriteTmModel(model));
    const SubModel& sub = g_ModelManager.GetModel(g_ModelManager.Load("grid.tm"))->m_bones[0].m_subModels[0];
    EXPECT_TRUE(sub.m_levels[0].m_bIndicesReplaced);
    EXPECT_NE(sub.m_levels[0].m_indices, written);
    auto turned = [](std::vector<uint16_t> list)
    {
        std::vector<std::array<uint16_t, 3>> triangles;
        for (size_t i = 0; i + 2 < list.size(); i += 3)
        {
            std::array<uint16_t, 3> t = {list[i], list[i + 1], list[i + 2]};
            std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
            triangles.push_back(t);
        }
        std::sort(triangles.begin(), triangles.end());
        return triangles;
    };
    EXPECT_EQ(turned(sub.m_levels[0].m_indices), turned(written));
    EXPECT_EQ(sub.m_colours, std::vector<uint32_t>(49, 0));
    EXPECT_FLOAT_EQ(sub.m_fArea, 36.0f); // 36 cells of one square unit
    EXPECT_EQ(sub.m_uColourFlag, 0u);
}

TEST_F(ModelManagerTest, AFullHandleTableRefusesNewModels)
{
    Start(true, 3); // handle 0 is no model: two are left
    WriteModel("a.tm", TmBytes(kTriangle));
    WriteModel("b.tm", TmBytes(kTriangle));
    WriteModel("c.tm", TmBytes(kTriangle));
    EXPECT_EQ(g_ModelManager.Load("a.tm"), 1u);
    EXPECT_EQ(g_ModelManager.Load("b.tm"), 2u);
    EXPECT_EQ(g_ModelManager.Load("c.tm"), 0u);
    EXPECT_EQ(g_ModelManager.Load("a.tm"), 1u);
}

// A model with every part cut at every byte: the reader never calls a short file complete, and loading each cut
// gives the placeholder or a partial model, never a crash or a read past the bytes. The same file with huge counts
// in each count field is refused or cut short without making anything of that size.
TEST_F(ModelManagerTest, HostileFilesCutAtEveryByteOrWithHugeCounts)
{
    WritePlaceholder();
    SModel model = ParseModel(R"(model
    attachment 1 2 3 4 5 6
    table 1 1 7
    box 1 0 0 0 1 1 1 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1
    link "L" 0 0 0 1 1 1
    locator "P" 0 0 0 0 0 1
    bone "B"
        wave 0x1 0 0 0 0 0 0 0 0 0 0
        keys position
            5 0 0 0 0
        end
        bone "C"
        end
    end
end
)");
    SubModel grid = MakeGrid("G", 1, 1);
    grid.m_uColourFlag = 1;
    grid.m_colours.assign(4, 0xFF808080);
    grid.m_uBoxFlag = 1;
    grid.m_box.m_halfSize = {1, 1, 1};
    grid.m_levels[0].m_material.m_channels.resize(1);
    grid.m_levels.push_back(grid.m_levels[0]);
    grid.m_levels[1].m_fSwitchDistance = 5.0f;
    SubModel strip = MakeGrid("K", 1, 1);
    strip.m_uVertexKind = 1;
    strip.m_uRecordCount = 4;
    strip.m_records.assign(128, 1);
    strip.m_positions.clear();
    strip.m_normals.clear();
    strip.m_uvs.clear();
    strip.m_levels[0].m_uVertexCount = 0;
    model.m_bones[0].m_subModels = {grid, strip};
    const std::vector<uint8_t> full = tmtool::WriteTmModel(model);
    ASSERT_EQ(ReadTmModel(full.data(), full.size()).m_status, TmReadStatus::Ok);

    for (size_t cut = 0; cut < full.size(); ++cut)
    {
        const TmReadResult read = ReadTmModel(full.data(), cut);
        ASSERT_NE(read.m_status, TmReadStatus::Ok) << cut;
        ASSERT_EQ(read.m_pModel == nullptr, read.m_status != TmReadStatus::Partial) << cut;
        if (cut % 7 != 0)
            continue; // loading through the manager too, at a seventh of the cuts, keeps the test quick
        Start(false);
        WriteModel("cut.tm", std::vector<uint8_t>(full.begin(), full.begin() + static_cast<ptrdiff_t>(cut)));
        ASSERT_NE(g_ModelManager.GetModel(g_ModelManager.Load("cut.tm")), nullptr) << cut;
    }

    // Each count field in turn set to a huge value.
    // The record grows by the attachment, the table value, the box, the link and the locator.
    const size_t bone = kFirstBone + 24 + 4 + 88 + 56 + 56;
    // After the root's record, its wave and key lists, and its child's record.
    const size_t subModel = bone + kBoneRecord + 20 + 32 + kBoneRecord;
    const size_t counts[] = {
        12,              // root bones
        76,              // attachments
        104,             // table width (with height 1: a huge table)
        208,             // links
        268,             // locators
        bone + 50,       // children
        bone + 154,      // waves
        bone + 162,      // submodels
        bone + 689 + 28, // position keys
        subModel + 103,  // level 0's indices
        subModel + 119,  // level 0's vertices
    };
    for (size_t at : counts)
    {
        for (uint32_t huge : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x00100000u})
        {
            std::vector<uint8_t> bytes = full;
            Put32(bytes, at, huge);
            const TmReadResult read = ReadTmModel(bytes.data(), bytes.size());
            EXPECT_NE(read.m_status, TmReadStatus::Ok) << at << " " << huge;
        }
    }
    EXPECT_GT(sink.boxes.size(), 0u);
}

} // namespace

namespace
{

// The record accessors the optimiser works through: levels by number, owned copies that refuse nothing to copy,
// level equality, submodels by number.
TEST(TmRecordsTest, AccessorsKeepTheRecordsWhole)
{
    SubModel sub = MakeGrid("G", 1, 1);
    sub.m_levels.push_back(sub.m_levels[0]);
    EXPECT_EQ(sub.GetLevel(1), &sub.m_levels[1]);
    EXPECT_EQ(sub.GetLevel(2), nullptr);
    EXPECT_EQ(sub.GetLevel(-1), nullptr);
    EXPECT_TRUE(LevelsEqual(sub.m_levels[0], sub.m_levels[1]));
    const uint16_t three[3] = {2, 1, 0};
    EXPECT_TRUE(sub.SetIndices(1, three, 3));
    EXPECT_FALSE(LevelsEqual(sub.m_levels[0], sub.m_levels[1]));
    sub.m_levels[1].m_indices = sub.m_levels[0].m_indices;
    sub.m_levels[1].m_uVertexCount = 3;
    EXPECT_FALSE(LevelsEqual(sub.m_levels[0], sub.m_levels[1]));
    EXPECT_FALSE(sub.SetIndices(5, three, 3));
    EXPECT_FALSE(sub.SetIndices(0, nullptr, 3));
    EXPECT_FALSE(sub.SetIndices(0, three, 0));

    const platform::Vec3 points[2] = {{1, 2, 3}, {4, 5, 6}};
    EXPECT_FALSE(sub.SetPositions(nullptr, 2));
    EXPECT_FALSE(sub.SetPositions(points, 0));
    EXPECT_EQ(sub.GetVertexCount(), 4u);
    EXPECT_TRUE(sub.SetPositions(points, 2));
    EXPECT_EQ(sub.GetVertexCount(), 2u);
    EXPECT_EQ(sub.m_positions[1].y, 5.0f);
    EXPECT_FALSE(sub.SetNormals(points, 0));
    EXPECT_TRUE(sub.SetNormals(points, 2));
    EXPECT_EQ(sub.m_normals.size(), 2u);
    const platform::Vec2 uv[1] = {{0.5f, 0.25f}};
    EXPECT_FALSE(sub.SetTexCoords(nullptr, 1));
    EXPECT_TRUE(sub.SetTexCoords(uv, 1));
    EXPECT_EQ(sub.m_uvs.size(), 1u);
    const uint32_t colours[2] = {1, 2};
    EXPECT_FALSE(sub.SetColours(colours, 0));
    EXPECT_TRUE(sub.SetColours(colours, 2));
    EXPECT_EQ(sub.m_colours[1], 2u);

    SBone bone;
    bone.m_subModels.push_back(sub);
    EXPECT_EQ(bone.GetSubModel(0), &bone.m_subModels[0]);
    EXPECT_EQ(bone.GetSubModel(1), nullptr);
    bone.m_uFixedPositionValue = 1;
    EXPECT_TRUE(bone.HasFixedPosition());
    bone.m_uFixedPositionValue = 0;
    EXPECT_FALSE(bone.HasFixedPosition());

    const uint8_t tm[4] = {0, 0, 10, 0};
    const uint8_t old[4] = {0, 0, 9, 0};
    EXPECT_TRUE(IsTmFile(tm, 4));
    EXPECT_FALSE(IsTmFile(tm, 3));
    EXPECT_FALSE(IsTmFile(old, 4));
}

} // namespace
