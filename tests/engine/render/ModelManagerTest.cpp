// Tests of the model manager: handles and names, the placeholder for files that are not models, the frame count,
// the loader's messages for every place a file can fail, level reduction, the texture-coordinate shift and page
// mapping, registration of static vertices, bone masks, and hostile files cut at every byte or with huge counts.
#include "ModelTestFiles.h"
#include "engine/render/D3DRenderer.h"
#include "engine/render/ModelHelpers.h"
#include "tools/tmtool/TmTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

namespace
{

using namespace modeltest;

// A model record without attachments, table, box, links or locators ends at byte 152 (12 + 140); the first bone
// record follows.
constexpr size_t kFirstBone = 152;
constexpr size_t kBoneRecord = 689;

const char* const kTriangle = kPlaceholderText; // one triangle under one bone

using ModelManagerTest = ModelTest;

TEST_F(ModelManagerTest, LoadsEachNameOnceAndCountsItsReferences)
{
    WriteModel("models/a.tm", TmBytes(kTriangle));
    const uint32_t a = g_ModelManager.Load("models\\a.tm");
    // The first model takes handle 1; the name map compares names without regard to case, wherever their hash
    // sends the search.
    EXPECT_TRUE(a == 1 && g_ModelManager.Load("models\\a.tm") == a && g_ModelManager.GetRefCount(a) == 2 &&
                g_ModelManager.GetModel(a) && g_ModelManager.GetOptModel(a));
    EXPECT_TRUE(std::string(g_ModelManager.GetName(a)) == "models\\a.tm" &&
                (g_ModelManager.Load("MODELS\\A.TM") == a && g_ModelManager.GetRefCount(a) == 3));
    // A file that is not there: no model and no message.
    EXPECT_TRUE(g_ModelManager.Load("models\\none.tm") == 0u && g_ModelManager.Load(nullptr) == 0u &&
                TakeBoxes().empty());
    for (uint32_t unused : {0u, 9u})
        EXPECT_TRUE(g_ModelManager.GetModel(unused) == nullptr && g_ModelManager.GetRefCount(unused) == 0) << unused;
    // The float of the bounds that is not read may hold anything.
    WriteModel("odd.tm", TmBytes("model\nbounds 0 0 0 1 1 1 0 0 0 nan 1\n" + std::string(kTriangle).substr(6)));
    EXPECT_NE(g_ModelManager.GetModel(g_ModelManager.Load("odd.tm")), nullptr);

    // The length of an animation is the latest last position key of its bones; scale and rotation keys and
    // bones without position keys do not count, and the frame count stored in the file is replaced.
    WriteModel("walk.tm", TmBytes("model\nframes 5\nbone \"Hips\"\nkeys rotation\n20000 0 0 0 1\nend\n"
                                  "keys position\n0 0 0 0 0\n4800 0 1 0 0\n9600 0 0 0 0\nend\nbone \"Leg\"\n"
                                  "keys scale\n30000 1 1 1 0\nend\nkeys position\n100 0 0 0 0\nend\nend\nend\n"
                                  "bone \"Tail\"\nhaskeys 1\nend\nend\n"));
    const uint32_t walk = g_ModelManager.Load("walk.tm");
    ASSERT_NE(g_ModelManager.GetModel(walk), nullptr);
    EXPECT_TRUE(g_ModelManager.GetModel(walk)->m_uFrameCount == 9600u &&
                g_ModelManager.GetOptModel(walk)->m_uFrameCount == 9600u && TakeBoxes().empty());

    // Handles are the lowest free numbers, through every bit of the bitmap's words; a full table refuses new models
    // and still finds the ones it has.
    Start(false, 40);
    const std::vector<uint8_t> triangle = TmBytes(kTriangle);
    for (uint32_t i = 1; i <= 40; ++i)
    {
        const std::string name = "m" + std::to_string(i) + ".tm";
        WriteModel(name, triangle);
        ASSERT_EQ(g_ModelManager.Load(name.c_str()), i < 40 ? i : 0u);
    }
    EXPECT_EQ(g_ModelManager.Load("m1.tm"), 1u);
}

// Files the loader cannot take as models give the placeholder with the message of what was wrong; the failed
// name keeps no model, so asking again says so again. A placeholder that is missing gives 0; one that cannot be
// read itself gives 0 after its own message instead of asking for itself again.
TEST_F(ModelManagerTest, UnreadableFilesGiveThePlaceholderWithTheirMessage)
{
    std::vector<uint8_t> oldVersion = TmBytes(kTriangle);
    oldVersion[2] = 9;
    WriteModel("old.tm", oldVersion);
    EXPECT_TRUE(g_ModelManager.Load("old.tm") == 0u && TakeBoxes().size() == 1u);
    Write("gamedata/gameart/TM Files/test/Alert.tm", oldVersion);
    EXPECT_TRUE(g_ModelManager.Load("old.tm") == 0u && TakeBoxes().size() == 2u);
    WritePlaceholder();
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
        EXPECT_TRUE(handle == PlaceholderHandle() && TakeBoxes() == std::vector<std::string>{c.box} &&
                    g_ModelManager.Load(c.name) == handle && TakeBoxes().size() == 1u);
    }
    EXPECT_STREQ(g_ModelManager.GetName(PlaceholderHandle()), ModelManager::kPlaceholderName);
}

// Each place the bone tree can stop: the message shown, and the model kept with what was read before it (never
// the placeholder). The file: one bone with a wave and three key lists of one key, a child bone and a submodel.
TEST_F(ModelManagerTest, EveryBoneTreeMessageKeepsWhatWasReadBefore)
{
    WritePlaceholder();
    const std::vector<uint8_t> full =
        TmBytes("model\nbone \"B\"\nwave 0x1 0 0 0 0 0 0 0 0 0 0\nkeys rotation\n1 0 0 0 1\nend\nkeys scale\n"
                "1 1 1 1 0\nend\nkeys position\n1 0 0 0 0\nend\nbone \"C\"\nend\n" +
                std::string(kTriangle).substr(std::string(kTriangle).find("submodel")));
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
    } cases[] = {{kFirstBone + 300, "Failed to read in Bones", 0},
                 {wave + 10, "Failed to read in Bone Waves", 0},
                 {rotation + 2, "Failed to read in RTS Rotation Num Keys", 0},
                 {rotation + 10, "Failed to read in RTS Rotation Key List", 0},
                 {scale + 3, "Failed to read in RTS Scale Num Keys", 0},
                 {scale + 23, "Failed to read in RTS Scale Key List", 0},
                 {position + 1, "Failed to read in RTS Pos Num Keys", 0},
                 {position + 5, "Failed to read in RTS Pos Key List", 0},
                 {child + 5, "Failed to read in Bones", 0},
                 {subModel + 5, "Failed to read in SubModels", 1},
                 {full.size() - 1, "Failed to read in SubModels", 1}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.cut);
        const std::string name = "cut" + std::to_string(c.cut) + ".tm";
        WriteModel(name, std::vector<uint8_t>(full.begin(), full.begin() + static_cast<ptrdiff_t>(c.cut)));
        const uint32_t handle = g_ModelManager.Load(name.c_str());
        EXPECT_TRUE(handle != PlaceholderHandle() &&
                    TakeBoxes() == std::vector<std::string>{std::string("ERROR LOADING MODEL!|") + c.message});
        const SModel* model = g_ModelManager.GetModel(handle);
        ASSERT_NE(model, nullptr);
        const size_t bones = c.cut < wave ? 0 : 1;
        ASSERT_EQ(model->m_bones.size(), bones);
        if (bones)
        {
            EXPECT_TRUE(model->m_bones[0].m_children.size() == c.childrenKept && model->m_bones[0].m_subModels.empty());
        }
    }
}

// Submodels that read but must not be used, and records that do not fit their fields (more than five levels, names
// without a terminator, bone trees nested deeper than any model): the message, and the rest of the level (later
// submodels included) left out; the model keeps what came before.
TEST_F(ModelManagerTest, SubModelsAndRecordsThatDoNotFitStopTheTree)
{
    // A file of three submodels, the second changed.
    auto withBad = [](auto change)
    {
        SubModel bad = MakeGrid("Bad", 1, 1);
        change(bad);
        return tmtool::WriteTmModel(ModelOf({MakeGrid("Good", 1, 1), std::move(bad), MakeGrid("After", 1, 1)}));
    };
    auto sized = [&](uint32_t n)
    {
        return withBad(
            [n](SubModel& s)
            {
                s.m_positions.resize(n);
                s.m_normals.resize(n);
                s.m_uvs.resize(n);
                s.m_levels[0].m_uVertexCount = n;
            });
    };
    std::vector<uint8_t> sixLevels = tmtool::WriteTmModel(ModelOf({MakeGrid("G", 1, 1)}));
    sixLevels[kFirstBone + kBoneRecord + 98] = 6; // the level count after the name, a value and the bounds
    std::vector<uint8_t> longName = tmtool::WriteTmModel(ModelOf({}));
    std::memset(&longName[kFirstBone], 'A', 50);
    // Built in code: the model text's own reader refuses nesting this deep.
    const auto nested = [](int depth)
    {
        const std::string oneBone = "model\nbone \"D\"\nend\nend\n";
        SModel model = ParseModel(oneBone);
        SBone* inner = &model.m_bones[0];
        for (int i = 1; i < depth; ++i)
        {
            inner->m_children.push_back(std::move(ParseModel(oneBone).m_bones[0]));
            inner = &inner->m_children[0];
        }
        return tmtool::WriteTmModel(model);
    };
    const struct
    {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* message;
        int kept; // -1: no bone; else the submodels the root keeps
    } cases[] = {
        {"suspect.tm", sized(65001), "Number of vertices for submodel is suspect: 65001", 1},
        // Kind 7 has no layout: nothing follows for the vertices.
        {"kind7.tm", withBad([](SubModel& s) { s.m_uVertexKind = 7, s.m_levels[0].m_indices.clear(); }),
         "Failed to allocate memory for SubModel Vertices", 1},
        {"range.tm", withBad([](SubModel& s) { s.m_levels[0].m_indices[4] = 4; }), "SubModel indices are out of range",
         1},
        {"half.tm", withBad([](SubModel& s) { s.m_levels[0].m_indices.pop_back(); }),
         "SubModel indices are out of range", 1},
        {"second.tm",
         withBad([](SubModel& s) { s.m_levels.push_back(s.m_levels[0]), s.m_levels[1].m_uVertexCount = 5; }),
         "SubModel indices are out of range", 1},
        {"inf.tm", withBad([](SubModel& s) { s.m_uvs[2].y = INFINITY; }), "SubModel texture coordinates are not finite",
         1},
        {"unbounded.tm", withBad([](SubModel& s) { s.m_bounds.m_af[6] = -INFINITY; }), "SubModel bounds are not finite",
         1},
        {"six.tm", sixLevels, "Failed to read in SubModels", 0},
        {"long.tm", longName, "Failed to read in Bones", -1}, // the bone whose name does not end is not kept
        {"deep.tm", nested(258), "Failed to read in Bones", 0},
        {"large.tm", sized(65000), "", 3}, // 65,000 vertices are not suspect
        {"deepest.tm", nested(257), "", 0} // bones nested 257 deep still load
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        WriteModel(c.name, c.bytes);
        const SModel* model = g_ModelManager.GetModel(g_ModelManager.Load(c.name));
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(TakeBoxes(), *c.message ? std::vector<std::string>{std::string("ERROR LOADING MODEL!|") + c.message}
                                          : std::vector<std::string>{});
        ASSERT_EQ(model->m_bones.size(), c.kept < 0 ? 0u : 1u);
        if (c.kept > 0)
        {
            ASSERT_TRUE(model->m_bones[0].m_subModels.size() == static_cast<size_t>(c.kept) &&
                        model->m_bones[0].m_subModels[0].m_name == "Good");
        }
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

// A data maker's textured quad with coordinates below 0, made by tmtool both as a .tm file and in the optimised
// layout: loaded either way, its vertices take the same places in the texture's part of the shared page (u from
// -0.75 moves by 1, v from -1.5 by 2).
TEST_F(ModelManagerTest, ToolsOptimisedModelsTakeTheirTextureWhereTheTmFileDoes)
{
    texturetest::DDTSpec spec;
    spec.ownPage = 0;
    spec.format = 4;
    Write("tex/shared.ddt", texturetest::MakeDDT(spec, texturetest::ChainPixels(8, 8, {0xFF00FF00})));
    testsupport::WriteText(
        dir.File("quad.txt"),
        std::string("model\nbone \"B\"\nsubmodel \"Q\"\nvertex 0 0 0 0 0 -1 -0.75 -1.5\n"
                    "vertex 1 0 0 0 0 -1 -0.25 0.5\nvertex 1 1 0 0 0 -1 0 0\n"
                    "vertex 0 1 0 0 0 -1 -0.5 -1\nlevel 0\nindices 0 1 2 0 2 3\nmaterial\n"
                    "layer 0 mode 1 sampling 0 bias 0 colourop 2 alphaop 2 texture \"tex\\\\shared.ddt\"\n"
                    "end\nend\nend\nend\nend\n"));
    std::string out, err;
    ASSERT_EQ(tmtool::RunTmTool({"write", dir.File("quad.txt"), dir.File("quad.tm")}, &out, &err), 0) << err;
    ASSERT_EQ(tmtool::RunTmTool({"optimise", dir.File("quad.txt"), dir.File("quad.opt")}, &out, &err), 0) << err;
    const std::pair<float, float> shifted[4] = {{0.25f, 0.5f}, {0.75f, 2.5f}, {1.0f, 2.0f}, {0.5f, 1.0f}};
    for (const char* file : {"quad.tm", "quad.opt"})
    {
        SCOPED_TRACE(file);
        const OptModel* opt = g_ModelManager.GetOptModel(g_ModelManager.Load(file));
        ASSERT_TRUE(opt != nullptr && opt->m_bones.size() == 1 && opt->m_bones[0].m_meshes.size() == 1);
        const OptMesh& mesh = opt->m_bones[0].m_meshes[0];
        const int32_t slot = mesh.m_levels.at(0).m_aiTexture[0];
        ASSERT_GT(slot, 0);
        const TexturePlacement page = g_TextureManager.GetPlacement(static_cast<uint32_t>(slot));
        ASSERT_LT(page.m_fUScale, 0.5f); // a part of the shared page
        ASSERT_EQ(mesh.m_vertices.size(), 4u);
        // Vertices are kept in their order whatever the triangles' order.
        for (size_t i = 0; i < 4; ++i)
        {
            EXPECT_FLOAT_EQ(mesh.m_vertices[i].m_fU, shifted[i].first * page.m_fUScale + page.m_fUOffset) << i;
            EXPECT_FLOAT_EQ(mesh.m_vertices[i].m_fV, shifted[i].second * page.m_fVScale + page.m_fVOffset) << i;
        }
    }
}

// With the optimised form the vertices go to the mesh manager's shared buffers in the 40-byte layout (vertex
// colour times the diffuse colour, alpha 0), level 0 with its indices; a further level sharing them registers its
// indices only, a level with vertices of its own nothing.
TEST_F(ModelManagerTest, StaticVerticesAreRegisteredInSharedBuffers)
{
    SModel model = ModelOf({MakeGrid("G", 1, 1)});
    SubModel& sub = model.m_bones[0].m_subModels[0];
    sub.m_uColourFlag = 1, sub.m_colours = {0xFF804020, 0xFFFFFFFF, 0x00000000, 0x10203040};
    sub.m_levels[0].m_material.m_uDiffuse = 0xFF808080;
    sub.m_levels.push_back(sub.m_levels[0]);
    sub.m_levels.push_back(sub.m_levels[0]);
    sub.m_levels[1].m_fSwitchDistance = 10.0f;
    sub.m_levels[1].m_indices.resize(3);
    sub.m_levels[2].m_fSwitchDistance = 20.0f, sub.m_levels[2].m_uRegistration = 1;
    WriteModel("reg.tm", tmtool::WriteTmModel(model));
    const uint32_t handle = g_ModelManager.Load("reg.tm");
    const SubModel& loaded = g_ModelManager.GetModel(handle)->m_bones[0].m_subModels[0];
    EXPECT_TRUE(TakeBoxes().empty());

    const MeshRecord* vertices = g_MeshManager.GetMesh(loaded.m_levels[0].m_uMeshHandle);
    ASSERT_TRUE(vertices != nullptr &&
                (vertices->m_uVertexKind == 4u && vertices->m_uVertexCount == 4u && vertices->m_uIndexCount == 6u));
    D3DRenderer& r = Renderer();
    const auto* v = static_cast<const LitTexVertex*>(r.LockMeshVertices(loaded.m_levels[0].m_uMeshHandle, 4));
    ASSERT_NE(v, nullptr);
    // (0x80 x 0x80) / 256 = 0x40, (0x40 x 0x80) / 256 = 0x20, (0xFF x 0x80) / 256 = 0x7F, ...
    const uint32_t colours[4] = {0x00402010, 0x007F7F7F, 0x00000000, 0x00101820};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(v[i].diffuse == colours[i] && v[i].x == i % 2 && v[i].nz == -1.0f && v[i].u == i % 2) << i;
    r.UnlockMeshVertices();
    const uint16_t* indices = r.LockMeshIndices(loaded.m_levels[0].m_uMeshHandle, 6);
    ASSERT_TRUE(indices != nullptr && std::equal(indices, indices + 6, loaded.m_levels[0].m_indices.begin()));
    r.UnlockMeshIndices();

    const MeshRecord* shared = g_MeshManager.GetMesh(loaded.m_levels[1].m_uMeshHandle);
    ASSERT_TRUE(shared != nullptr && (shared->m_uVertexCount == 0u && shared->m_uIndexCount == 3u &&
                                      loaded.m_levels[2].m_uMeshHandle == 0u));
    EXPECT_EQ(g_ModelManager.GetOptModel(handle)->m_bones[0].m_meshes[0].m_uVertexHandle,
              loaded.m_levels[0].m_uMeshHandle);

    // With the mesh manager closed the registration fails, and says so twice (levels 0 and 1).
    g_MeshManager.Close();
    WriteModel("closed.tm", tmtool::WriteTmModel(model));
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
    EXPECT_TRUE(plain.m_levels[0].m_uMeshHandle == 0u && g_ModelManager.GetOptModel(1) == nullptr);

    // Loading reorders level 0's triangles for the vertex cache (the same triangles, each wound as before) and gives
    // every such submodel a colour array, zeros when the file had none.
    {
        SModel model = ModelOf({MakeGrid("G", 6, 6)});
        std::vector<uint16_t>& indices = model.m_bones[0].m_subModels[0].m_levels[0].m_indices;
        std::reverse(indices.begin(), indices.end());
        const std::vector<uint16_t> written = indices;
        WriteModel("grid.tm", tmtool::WriteTmModel(model));
        const SubModel& sub = g_ModelManager.GetModel(g_ModelManager.Load("grid.tm"))->m_bones[0].m_subModels[0];
        EXPECT_TRUE(sub.m_levels[0].m_bIndicesReplaced && sub.m_levels[0].m_indices != written &&
                    Triangles(sub.m_levels[0].m_indices) == Triangles(written) &&
                    sub.m_colours == std::vector<uint32_t>(49, 0));
        EXPECT_FLOAT_EQ(sub.m_fArea, 36.0f); // 36 cells of one square unit
        EXPECT_EQ(sub.m_uColourFlag, 0u);

        // Two levels at distance 0 become one.
        for (float second : {0.0f, 10.0f})
        {
            SModel model = ModelOf({MakeGrid("G", 1, 1)});
            SubModel& sub = model.m_bones[0].m_subModels[0];
            sub.m_levels.push_back(sub.m_levels[0]);
            sub.m_levels[1].m_fSwitchDistance = second;
            const std::string name = second == 0.0f ? "zero.tm" : "ten.tm";
            WriteModel(name, tmtool::WriteTmModel(model));
            const SModel* loaded = g_ModelManager.GetModel(g_ModelManager.Load(name.c_str()));
            ASSERT_TRUE(loaded != nullptr &&
                        loaded->m_bones[0].m_subModels[0].m_levels.size() == (second == 0.0f ? 1u : 2u));
        }
    }
}

// The toggle bit of a bone by name in any letter case, searched through children; bones that cannot be toggled
// (0 or 0xFFFFFFFF) are reported and give 0, as does a name no bone has, silently. Both forms of the model.
TEST_F(ModelManagerTest, FindBoneMaskIgnoresCaseAndReportsUntoggleableBones)
{
    WriteModel("bones.tm",
               TmBytes("model\nbone \"Body\"\ntoggle 0x1\nbone \"Head\"\ntoggle 0x2\nend\nbone \"Arm\"\nend\nend\n"
                       "bone \"Leg\"\ntoggle 0\nbone \"Hat\"\ntoggle 0x8\nend\nend\nend\n"));
    for (bool optimised : {true, false})
    {
        SCOPED_TRACE(optimised);
        Start(optimised);
        const uint32_t h = g_ModelManager.Load("bones.tm");
        const std::tuple<uint32_t, const char*, uint32_t, const char*> cases[] = {
            {h, "head", 2, ""},   {h, "HAT", 8, ""},  {h, "body", 1, ""},    {h, "ARM", 0, "Arm"},
            {h, "Leg", 0, "Leg"}, {h, "Tail", 0, ""}, {h + 1, "Head", 0, ""}};
        for (const auto& [handle, name, bit, reported] : cases)
        {
            EXPECT_EQ(g_ModelManager.FindBoneMask(handle, name), bit) << name;
            EXPECT_EQ(TakeBoxes(), *reported
                                       ? std::vector<std::string>{std::string("Error|IterateFindModelBone - Bone ") +
                                                                  reported + " is not toggleable\n"}
                                       : std::vector<std::string>{})
                << name;
        }
    }
}

// A model with every part cut at every byte: the reader never calls a short file complete, and loading each cut
// gives the placeholder or a partial model, never a crash or a read past the bytes. The same file with huge counts
// in each count field is refused or cut short without making anything of that size.
TEST_F(ModelManagerTest, HostileFilesCutAtEveryByteOrWithHugeCounts)
{
    WritePlaceholder();
    SModel model =
        ParseModel("model\nattachment 1 2 3 4 5 6\ntable 1 1 7\nbox 1 0 0 0 1 1 1 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
                   "link \"L\" 0 0 0 1 1 1\nlocator \"P\" 0 0 0 0 0 1\nbone \"B\"\nwave 0x1 0 0 0 0 0 0 0 0 0 0\n"
                   "keys position\n5 0 0 0 0\nend\nbone \"C\"\nend\nend\nend\n");
    SubModel grid = MakeGrid("G", 1, 1);
    grid.m_uColourFlag = 1;
    grid.m_colours.assign(4, 0xFF808080);
    grid.m_uBoxFlag = 1, grid.m_box.m_halfSize = {1, 1, 1};
    grid.m_levels[0].m_material.m_channels.resize(1);
    grid.m_levels.push_back(grid.m_levels[0]);
    grid.m_levels[1].m_fSwitchDistance = 5.0f;
    SubModel strip = MakeGrid("K", 1, 1);
    strip.m_uVertexKind = 1, strip.m_uRecordCount = 4;
    strip.m_records.assign(128, 1);
    strip.m_positions.clear();
    strip.m_normals.clear();
    strip.m_uvs.clear();
    strip.m_levels[0].m_uVertexCount = 0, model.m_bones[0].m_subModels = {grid, strip};
    const std::vector<uint8_t> full = tmtool::WriteTmModel(model);
    ASSERT_EQ(ReadTmModel(full.data(), full.size()).m_status, TmReadStatus::Ok);

    for (size_t cut = 0; cut < full.size(); ++cut)
    {
        const TmReadResult read = ReadTmModel(full.data(), cut);
        ASSERT_TRUE(read.m_status != TmReadStatus::Ok &&
                    (read.m_pModel == nullptr) == (read.m_status != TmReadStatus::Partial))
            << cut;
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
            texturetest::Put32(bytes, at, huge);
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
    EXPECT_TRUE(sub.GetLevel(1) == (&sub.m_levels[1]) && sub.GetLevel(2) == nullptr && sub.GetLevel(-1) == nullptr &&
                LevelsEqual(sub.m_levels[0], sub.m_levels[1]));
    const uint16_t three[3] = {2, 1, 0};
    EXPECT_TRUE(sub.SetIndices(1, three, 3) && !(LevelsEqual(sub.m_levels[0], sub.m_levels[1])));
    sub.m_levels[1].m_indices = sub.m_levels[0].m_indices, sub.m_levels[1].m_uVertexCount = 3;
    EXPECT_TRUE(!(LevelsEqual(sub.m_levels[0], sub.m_levels[1])) && !(sub.SetIndices(5, three, 3)) &&
                !(sub.SetIndices(0, nullptr, 3)) && !(sub.SetIndices(0, three, 0)));

    const platform::Vec3 points[2] = {{1, 2, 3}, {4, 5, 6}};
    EXPECT_TRUE(!(sub.SetPositions(nullptr, 2)) && !(sub.SetPositions(points, 0)) && sub.GetVertexCount() == 4u &&
                sub.SetPositions(points, 2) && sub.GetVertexCount() == 2u && sub.m_positions[1].y == 5.0f &&
                !(sub.SetNormals(points, 0)) && sub.SetNormals(points, 2) && sub.m_normals.size() == 2u);
    const platform::Vec2 uv[1] = {{0.5f, 0.25f}};
    EXPECT_TRUE(!(sub.SetTexCoords(nullptr, 1)) && sub.SetTexCoords(uv, 1) && sub.m_uvs.size() == 1u);
    const uint32_t colours[2] = {1, 2};
    EXPECT_TRUE(!(sub.SetColours(colours, 0)) && sub.SetColours(colours, 2) && sub.m_colours[1] == 2u);

    SBone bone;
    bone.m_subModels.push_back(sub);
    EXPECT_TRUE(bone.GetSubModel(0) == (&bone.m_subModels[0]) && bone.GetSubModel(1) == nullptr);
    bone.m_uFixedPositionValue = 1;
    EXPECT_TRUE(bone.HasFixedPosition());
    bone.m_uFixedPositionValue = 0;
    EXPECT_FALSE(bone.HasFixedPosition());

    const uint8_t tm[4] = {0, 0, 10, 0};
    const uint8_t old[4] = {0, 0, 9, 0};
    EXPECT_TRUE(IsTmFile(tm, 4) && !(IsTmFile(tm, 3)) && !(IsTmFile(old, 4)));
}

} // namespace

// Shut down, the manager is as before its first start: no name gives a model and no handle holds one; started
// again, it numbers from 1.
TEST_F(ModelManagerTest, ShutDownItForgetsEveryModelUntilStartedAgain)
{
    WriteModel("a.tm", TmBytes(kTriangle));
    const uint32_t a = g_ModelManager.Load("a.tm");
    ASSERT_NE(a, 0u);
    g_ModelManager.Shutdown();
    EXPECT_EQ(std::make_tuple(g_ModelManager.GetCapacity(), g_ModelManager.Load("a.tm"), g_ModelManager.GetModel(a),
                              g_ModelManager.IsInUse(a), std::string(g_ModelManager.GetName(a))),
              std::make_tuple(0u, 0u, nullptr, false, std::string()));
    Start(false, 8);
    EXPECT_EQ(g_ModelManager.Load("a.tm"), 1u);
}
