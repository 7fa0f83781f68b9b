// Test helpers for the 2D drawing: the global graphics manager in an open 2D frame on the recording device,
// recorded draws decoded back into vertices and relative indices, and headless OpenGL graphics.
#pragma once

#include "RenderTestSupport.h"
#include "engine/render/GraphicsManager.h"
#include "engine/render/TextureManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace rendertest
{

template <class Vertex> struct DecodedDraw
{
    std::vector<Vertex> vertices; // numbered from the draw's first vertex
    std::vector<uint32_t> indices;
};

template <class Vertex> DecodedDraw<Vertex> Decode(const platform::RecordingDevice::DrawRecord& draw)
{
    DecodedDraw<Vertex> out;
    out.vertices.resize(draw.numVertices);
    for (size_t i = 0; i < draw.vertexNumbers.size() && (i + 1) * sizeof(Vertex) <= draw.vertexBytes.size(); ++i)
    {
        out.indices.push_back(draw.vertexNumbers[i] - draw.baseVertexIndex - draw.minIndex);
        if (out.indices.back() < out.vertices.size())
            std::memcpy(&out.vertices[out.indices.back()], &draw.vertexBytes[i * sizeof(Vertex)], sizeof(Vertex));
    }
    return out;
}

// Vertex lists equal word by word: the colour (the fourth word of both layouts) exactly, the floats closely.
template <class Vertex>
testing::AssertionResult SameVertices(const std::vector<Vertex>& actual, const std::vector<Vertex>& expected)
{
    const size_t words = sizeof(Vertex) / 4;
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << actual.size() << " vertices, expected " << expected.size();
    for (size_t i = 0; i < actual.size() * words; ++i)
    {
        float a, e;
        std::memcpy(&a, reinterpret_cast<const char*>(actual.data()) + 4 * i, 4);
        std::memcpy(&e, reinterpret_cast<const char*>(expected.data()) + 4 * i, 4);
        if (i % words == 3 ? std::memcmp(&a, &e, 4) != 0 : !(std::fabs(a - e) <= 1e-4f))
            return testing::AssertionFailure() << "vertex " << i / words << " word " << i % words << " differs";
    }
    return testing::AssertionSuccess();
}

// The global graphics manager (the texture manager draws through it) on the recording device, 800 x 600, with a
// frame open in 2D and the device log empty.
class DrawTest : public RecordingTest
{
protected:
    void SetUp() override
    {
        RecordingTest::SetUp();
        gm.Create(RendererSettings{}, nullptr);
        ASSERT_TRUE(gm.BeginFrame(0));
        gm.Begin2D();
        Dev()->ClearLog();
    }
    void TearDown() override
    {
        gm.Shutdown();
        RecordingTest::TearDown();
    }
    platform::RecordingDevice* Dev()
    {
        return static_cast<platform::RecordingDevice*>(static_cast<D3DRenderer*>(gm.GetRenderer())->GetDevice());
    }
    const std::vector<platform::RecordingDevice::DrawRecord>& Draws() { return Dev()->draws; }
    // Eye (0, 10, 0) looking along +z; 90 degrees high, aspect 4/3, near 1, far 101: a view-space point (x, y, z)
    // reaches the screen at 400 + 300 x / z, 300 - 300 y / z with depth 1.01 (z - 1) / z.
    void LookAlongZ()
    {
        gm.SetProjection(90.0f, 4.0f / 3.0f, 1.0f, 101.0f);
        gm.SetViewMatrix(platform::MatrixTranslation(0.0f, -10.0f, 0.0f), true);
        gm.ApplyProjection();
        gm.SetEyePosition({0.0f, 10.0f, 0.0f});
    }

    GraphicsManager& gm = g_GraphicsManager;
};

// Headless OpenGL in a temporary folder: a side x side device is probed (Ready() is false without a context) and,
// with `start`, the graphics manager made at that size and the texture manager started; both end with the object.
class GLGraphics
{
public:
    explicit GLGraphics(uint32_t side, bool start = true)
    {
        platform::SetGraphicsSystemFactory({});
        ResetDeviceEnumeration();
        platform::GraphicsSystemPtr system = platform::CreateOpenGLSystem();
        platform::PresentParams params;
        params.backBufferWidth = params.backBufferHeight = side;
        platform::DevicePtr probe;
        m_bReady = system && !platform::GfxFailed(system->CreateDevice(0, platform::DeviceType::Hal, nullptr,
                                                                       platform::CreateFlags::SoftwareVertexProcessing,
                                                                       &params, &probe));
        probe.reset();
        if (!m_bReady || !start)
            return;
        RendererSettings settings;
        settings.m_uWidth = settings.m_uHeight = side;
        g_GraphicsManager.Create(settings, nullptr);
        g_TextureManager.Init();
    }
    ~GLGraphics()
    {
        g_TextureManager.Shutdown();
        g_GraphicsManager.Shutdown();
        ResetDeviceEnumeration();
    }
    bool Ready() const { return m_bReady; }

    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd{dir.Path()};

private:
    bool m_bReady = false;
};

// Whether each channel of the pixel lies within `tolerance` of rgb's.
inline bool NearRgb(uint32_t pixel, uint32_t rgb, int tolerance = 3)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int(pixel >> shift & 0xFF) - int(rgb >> shift & 0xFF)) > tolerance)
            return false;
    return true;
}

} // namespace rendertest
