// Test helpers for the models: model text and .tm bytes made with tmtool's library, grid submodels built in code,
// and the model manager with the graphics manager and the texture manager on the recording device.
#pragma once

#include "TextureTestFiles.h"
#include "engine/render/MeshManager.h"
#include "engine/render/ModelManager.h"
#include "tools/tmtool/TmText.h"
#include "tools/tmtool/TmWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace modeltest
{

inline SModel ParseModel(const std::string& text)
{
    SModel model;
    std::string error;
    EXPECT_TRUE(tmtool::ParseModelText(text, &model, &error)) << error;
    return model;
}

inline std::vector<uint8_t> TmBytes(const std::string& text)
{
    return tmtool::WriteTmModel(ParseModel(text));
}

// A flat grid on z = 0 of (cols + 1) x (rows + 1) vertices, two clockwise triangles a cell, uv = (x, y).
inline SubModel MakeGrid(const std::string& name, uint32_t cols, uint32_t rows)
{
    SubModel sub;
    sub.m_name = name;
    sub.m_levels.resize(1);
    SubModelLOD& level = sub.m_levels[0];
    for (uint32_t y = 0; y <= rows; ++y)
    {
        for (uint32_t x = 0; x <= cols; ++x)
        {
            sub.m_positions.push_back({static_cast<float>(x), static_cast<float>(y), 0.0f});
            sub.m_normals.push_back({0.0f, 0.0f, -1.0f});
            sub.m_uvs.push_back({static_cast<float>(x), static_cast<float>(y)});
        }
    }
    for (uint32_t y = 0; y < rows; ++y)
    {
        for (uint32_t x = 0; x < cols; ++x)
        {
            const uint16_t a = static_cast<uint16_t>(y * (cols + 1) + x);
            const uint16_t b = static_cast<uint16_t>(a + 1);
            const uint16_t c = static_cast<uint16_t>(a + cols + 1);
            const uint16_t d = static_cast<uint16_t>(c + 1);
            level.m_indices.insert(level.m_indices.end(), {c, d, b, c, b, a});
        }
    }
    level.m_uVertexCount = static_cast<uint32_t>(sub.m_positions.size());
    return sub;
}

// The triangles of a list, each turned to start at its smallest index (the winding kept), sorted: equal for two
// orders of the same triangles.
inline std::vector<std::array<uint16_t, 3>> Triangles(const std::vector<uint16_t>& indices)
{
    std::vector<std::array<uint16_t, 3>> out;
    for (size_t i = 0; i + 2 < indices.size(); i += 3)
    {
        std::array<uint16_t, 3> t = {indices[i], indices[i + 1], indices[i + 2]};
        std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
        out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// A model of one root bone holding the submodels.
inline SModel ModelOf(std::vector<SubModel> subModels)
{
    SModel model;
    model.m_bones.resize(1);
    model.m_bones[0].m_name = "Root";
    model.m_bones[0].m_subModels = std::move(subModels);
    return model;
}

// The placeholder: a root bone with one triangle.
constexpr const char* kPlaceholderText = "model\nbone \"Placeholder\"\nsubmodel \"Tri\"\nvertex 0 0 0 0 0 -1 0 0\n"
                                         "vertex 0 1 0 0 0 -1 0 1\nvertex 1 0 0 0 0 -1 1 0\nlevel 0\nindices 0 1 2\n"
                                         "material\nend\nend\nend\nend\nend\n";

// The graphics manager and the texture manager on the recording device, the model manager started for 16
// models (with or without the optimised form), message boxes recorded, files under the test's folder.
class ModelTest : public texturetest::TextureTest
{
protected:
    void SetUp() override
    {
        TextureTest::SetUp();
        g_ModelManager.Init(16, true);
    }

    void Start(bool buildOptimised, uint32_t capacity = 16) { g_ModelManager.Init(capacity, buildOptimised); }
    void WriteModel(const std::string& path, const std::vector<uint8_t>& bytes) { Write(path, bytes); }
    // Writes the model text as a .tm file and loads it.
    uint32_t LoadText(const std::string& name, const std::string& text)
    {
        WriteModel(name, TmBytes(text));
        const uint32_t handle = g_ModelManager.Load(name.c_str());
        EXPECT_NE(handle, 0u) << name;
        return handle;
    }
    void WritePlaceholder() { Write("gamedata/gameart/TM Files/test/Alert.tm", TmBytes(kPlaceholderText)); }
    uint32_t PlaceholderHandle() { return g_ModelManager.Load(ModelManager::kPlaceholderName); }

    // The texts of the message boxes shown so far, and forgets them.
    std::vector<std::string> TakeBoxes()
    {
        std::vector<std::string> texts;
        for (const auto& box : sink.boxes)
            texts.push_back(box.title + "|" + box.text);
        sink.boxes.clear();
        return texts;
    }

    testsupport::RecordingReportSink sink;
};

} // namespace modeltest
