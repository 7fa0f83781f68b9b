// Tests that a level of detail is only taken when its indices stay within its own vertex count, in .tm files and
// in optimised streams alike (a level is drawn from the first of its own vertex count of the mesh's vertices).
#include "ModelTestFiles.h"
#include "engine/render/OptModel.h"
#include "engine/render/TmFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

using namespace modeltest;

// A 2 x 2 grid (vertices 0 to 8) whose second level is either the whole grid or only its first cell, drawn from
// the given number of vertices.
struct LevelCase
{
    const char* name;
    bool firstCellOnly;
    uint32_t levelVertexCount;
};

// The cases, each with its largest index worked out by hand from the grid's layout (the first cell uses vertices
// 0, 1, 3 and 4; the whole grid reaches vertex 8), and whether a level drawn from that many vertices can draw it.
struct Expected
{
    LevelCase level;
    uint16_t largestIndex;
    bool taken;
};

const Expected kCases[] = {
    {{"whole grid over all nine", false, 9}, 8, true}, {{"whole grid over eight", false, 8}, 8, false},
    {{"whole grid over one", false, 1}, 8, false},     {{"first cell over five", true, 5}, 4, true},
    {{"first cell over nine", true, 9}, 4, true},      {{"first cell over four", true, 4}, 4, false},
};

SubModel GridWithSecondLevel(const LevelCase& c)
{
    SubModel sub = MakeGrid("Grid", 2, 2);
    SubModelLOD second = sub.m_levels[0];
    second.m_fSwitchDistance = 10.0f;
    if (c.firstCellOnly)
        second.m_indices = {3, 4, 1, 3, 1, 0};
    else // the same triangles in another order, so that the level is not folded into level 0
        std::rotate(second.m_indices.begin(), second.m_indices.begin() + 3, second.m_indices.end());
    second.m_uVertexCount = c.levelVertexCount;
    sub.m_levels.push_back(second);
    return sub;
}

TEST(LevelVertexRangeTest, TmLevelsWhoseIndicesPassTheirOwnVertexCountAreRefused)
{
    for (const Expected& e : kCases)
    {
        SCOPED_TRACE(e.level.name);
        const SubModel sub = GridWithSecondLevel(e.level);
        ASSERT_EQ(*std::max_element(sub.m_levels[1].m_indices.begin(), sub.m_levels[1].m_indices.end()),
                  e.largestIndex);
        const std::vector<uint8_t> bytes = tmtool::WriteTmModel(ModelOf({sub}));
        TmReadOptions options;
        options.m_bOptimise = false;
        const TmReadResult read = ReadTmModel(bytes.data(), bytes.size(), options);
        ASSERT_TRUE(read.m_pModel != nullptr);
        ASSERT_EQ(read.m_pModel->m_bones.size(), 1u);
        const std::vector<SubModel>& kept = read.m_pModel->m_bones[0].m_subModels;
        if (e.taken)
        {
            EXPECT_EQ(read.m_status, TmReadStatus::Ok);
            EXPECT_TRUE(read.m_messages.empty());
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(kept[0].m_levels.size(), 2u);
        }
        else
        {
            EXPECT_EQ(read.m_status, TmReadStatus::Partial);
            EXPECT_EQ(read.m_messages, std::vector<std::string>{"SubModel indices are out of range"});
            EXPECT_TRUE(kept.empty());
        }
    }
}

TEST(LevelVertexRangeTest, OptimisedLevelsWhoseIndicesPassTheirOwnVertexCountAreRefused)
{
    OptReadOptions options;
    options.m_bLoadTextures = false;
    options.m_bValidate = false;
    for (const Expected& e : kCases)
    {
        SCOPED_TRACE(e.level.name);
        // Built with the second level drawing from all nine vertices, then given the case's count as a stream
        // written elsewhere could carry it.
        LevelCase whole = e.level;
        whole.levelVertexCount = 9;
        SModel source = ModelOf({GridWithSecondLevel(whole)});
        std::unique_ptr<OptModel> built = BuildOptModel(source);
        ASSERT_EQ(built->m_bones.size(), 1u);
        ASSERT_EQ(built->m_bones[0].m_meshes.size(), 1u);
        OptMesh& mesh = built->m_bones[0].m_meshes[0];
        ASSERT_EQ(mesh.m_levels.size(), 2u);
        mesh.m_levels[1].m_uVertexCount = e.level.levelVertexCount;
        const std::vector<uint8_t> bytes = tmtool::WriteOptModel(*built);
        const std::unique_ptr<OptModel> read = ReadOptModel(bytes.data(), bytes.size(), options);
        EXPECT_EQ(read != nullptr, e.taken);
        if (read)
        {
            EXPECT_EQ(read->m_bones[0].m_meshes[0].m_levels[1].m_uVertexCount, e.level.levelVertexCount);
        }
    }
}

} // namespace
