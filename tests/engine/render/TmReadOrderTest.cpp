// Tests of the order a model's triangles are read in: reordered for the vertex cache only when the reader is asked
// to.
#include "ModelTestFiles.h"
#include "engine/render/TmFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{

using namespace modeltest;

TEST(TmReadOrderTest, TrianglesAreReorderedOnlyWhenAsked)
{
    const struct
    {
        const char* what;
        bool optimise;
        bool reordered;
    } cases[] = {
        {"asked", true, true},
        {"not asked", false, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        SubModel sub = MakeGrid("G", 1, 1);
        // Read in the cache's order, the two triangles would come out the other way round.
        std::vector<uint16_t>& indices = sub.m_levels[0].m_indices;
        std::rotate(indices.begin(), indices.begin() + 3, indices.end());
        const std::vector<uint16_t> written = indices;
        const std::vector<uint8_t> bytes = tmtool::WriteTmModel(ModelOf({sub}));
        TmReadOptions options;
        options.m_bOptimise = c.optimise;
        const TmReadResult read = ReadTmModel(bytes.data(), bytes.size(), options);
        ASSERT_TRUE(read.m_pModel != nullptr);
        ASSERT_EQ(read.m_status, TmReadStatus::Ok) << (read.m_messages.empty() ? "" : read.m_messages[0]);
        const SubModelLOD& level = read.m_pModel->m_bones[0].m_subModels.at(0).m_levels.at(0);
        EXPECT_EQ(level.m_bIndicesReplaced, c.reordered);
        EXPECT_EQ(Triangles(level.m_indices), Triangles(written));
        if (!c.reordered)
        {
            EXPECT_EQ(level.m_indices, written);
        }
    }
}

} // namespace
