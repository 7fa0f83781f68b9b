// Tests of the graphics manager on the recording device: video settings, projection and view matrices against
// hand-computed values, the frame cycle, fog, the light with its flat-shadow projection, and shutdown.
#include "engine/render/GraphicsManager.h"

#include "RenderTestSupport.h"
#include "engine/render/EffectSchedulerBase.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/MeshManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace
{

using platform::Matrix;
using platform::Vec3;
using rendertest::RecordingTest;

class GraphicsManagerTest : public RecordingTest
{
protected:
    void TearDown() override
    {
        gm.Shutdown();
        RecordingTest::TearDown();
    }

    void Create()
    {
        gm.Create(RendererSettings{}, nullptr);
        Device()->ClearLog();
    }
    D3DRenderer& Renderer() { return *static_cast<D3DRenderer*>(gm.GetRenderer()); }
    platform::RecordingDevice* Device() { return static_cast<platform::RecordingDevice*>(Renderer().GetDevice()); }
    Matrix DeviceTransform(platform::TransformType type)
    {
        Matrix m;
        Device()->GetTransform(type, &m);
        return m;
    }

    GraphicsManager gm;
};

void ExpectMatrixNear(const Matrix& actual, const float (&expected)[4][4])
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual.m[r][c], expected[r][c], 1e-5f) << "m[" << r << "][" << c << "]";
}

TEST_F(GraphicsManagerTest, VideoSettingsDeriveRangeDetailAndShadows)
{
    // clang-format off
    const struct
    {
        float draw, detail, shadow;
        bool stencil;
        float viewRange, detailFactor;
        bool shadowsOn;
        float shadowFactor;
    } cases[] = {
        {0.0f, 0.0f, 0.05f, true, 0.12f, 0.6f, false, 0.0025f}, {1.0f, 1.0f, 0.5f, true, 0.85f, 4.6f, true, 0.25f},
        {0.5f, 0.5f, 0.5f, false, 0.485f, 1.6f, false, 0.25f}, // no stencil, no shadows
    };
    // clang-format on
    for (const auto& c : cases)
    {
        hook.config.adapters[0].depthFormats = {c.stencil ? platform::PixelFormat::D24S8 : platform::PixelFormat::D16};
        Create();
        VideoSettings video;
        video.m_fDrawDist = c.draw;
        video.m_fObjectDetail = c.detail;
        video.m_fShadowDrawDist = c.shadow;
        gm.ApplyVideoSettings(video);
        EXPECT_NEAR(gm.GetViewRangeFactor(), c.viewRange, 1e-6f);
        EXPECT_NEAR(gm.GetDetailFactor(), c.detailFactor, 1e-6f);
        EXPECT_EQ(gm.AreShadowsOn(), c.shadowsOn);
        EXPECT_NEAR(gm.GetShadowFactor(), c.shadowFactor, 1e-6f);
        gm.Shutdown();
    }
}

TEST_F(GraphicsManagerTest, ProjectionAndViewMatricesMatchHandComputedValues)
{
    Create();
    gm.SetProjection(90.0f, 4.0f / 3.0f, 1.0f, 101.0f);
    // A camera at (-7, -6, 5) in world space looking along +x: rows are the rotation, the last the translation.
    gm.SetViewMatrix({{{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {5, 6, 7, 1}}}, true);
    gm.ApplyProjection();
    gm.SendViewMatrix();
    // Half height 1 and half width 4/3 at the near plane: 2n/(r-l) = 0.75, 2n/(t-b) = 1, f/(f-n) = 1.01.
    const float projection[4][4] = {{0.75f, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1.01f, 1}, {0, 0, -1.01f, 0}};
    ExpectMatrixNear(DeviceTransform(platform::TransformType::Projection), projection);
    const float inverse[4][4] = {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {-7, -6, 5, 1}};
    ExpectMatrixNear(gm.GetInverseViewMatrix(), inverse);
    EXPECT_EQ(DeviceTransform(platform::TransformType::View).m[3][0], 5.0f);
    EXPECT_EQ(g_ViewCache.m_view.m[3][2], 7.0f); // the view sent is also the one the model code reads
    // The camera axes are the view's columns, whatever the matrix holds.
    gm.SetViewMatrix({{{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 10, 0}, {0, 0, 0, 1}}}, false);
    const Vec3 right = gm.GetRightAxis(), up = gm.GetUpAxis(), forward = gm.GetForwardAxis();
    EXPECT_TRUE(right.x == 1 && right.y == 4 && right.z == 7 && up.x == 2 && up.y == 5 && up.z == 8);
    EXPECT_TRUE(forward.x == 3 && forward.y == 6 && forward.z == 10);
    gm.SetViewMatrix({{{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {5, 6, 7, 1}}}, true);
    // Culling factors with t = tan 45 = 1: 1/(aspect t), 1/t, 1/sin(atan(4/3)) = 1/0.8, 1/sin 45.
    const float cull[4] = {0.75f, 1.0f, 1.25f, std::sqrt(2.0f)};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(gm.GetCullFactors()[i], cull[i], 1e-5f) << i;

    // A frame start re-applies the stored view with its inverse, even one stored without.
    gm.SetViewMatrix(platform::MatrixTranslation(1, 2, 3), false);
    ASSERT_TRUE(gm.BeginFrame(0));
    EXPECT_EQ(gm.GetInverseViewMatrix().m[3][1], -2.0f);
    gm.EndFrame();
    // A view that cannot be inverted leaves the identity as its inverse, not the last camera's.
    const Matrix flat = {{{1, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    gm.SetViewMatrix(flat, true);
    EXPECT_TRUE(platform::MatrixIsIdentity(gm.GetInverseViewMatrix()));
    gm.SetViewMatrix({{{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {5, 6, 7, 1}}}, true);

    // The right half of the screen: the frustum runs from the centre line to the right edge.
    gm.SetViewFractions(0.5f, 1.0f, 0.0f, 1.0f);
    gm.ApplyProjection();
    const Matrix half = DeviceTransform(platform::TransformType::Projection);
    EXPECT_NEAR(half.m[0][0], 1.5f, 1e-5f);
    EXPECT_NEAR(half.m[2][0], -1.0f, 1e-5f);

    // The upper quarter of the lower half by the top and bottom fractions 0.25 and 0.5: the frustum's bottom
    // at -1 + 2 x 0.25 = -0.5 and its top at -1 + 2 x 0.5 = 0, so 2n/(t-b) = 4 and (t+b)/(b-t) = 1.
    gm.SetViewFractions(0.0f, 1.0f, 0.25f, 0.5f);
    gm.ApplyProjection();
    const Matrix band = DeviceTransform(platform::TransformType::Projection);
    EXPECT_NEAR(band.m[1][1], 4.0f, 1e-5f);
    EXPECT_NEAR(band.m[2][1], 1.0f, 1e-5f);
    EXPECT_NEAR(band.m[0][0], 0.75f, 1e-5f);
    EXPECT_NEAR(band.m[2][0], 0.0f, 1e-5f);

    // 2D maps pixels from the top left: x / 400 - 1, 1 - y / 300, depth unchanged, with no view transform.
    gm.SetViewFractions(0.0f, 1.0f, 0.0f, 1.0f);
    gm.Begin2D();
    EXPECT_FALSE(gm.Is3DMode());
    gm.ApplyProjection();
    EXPECT_TRUE(gm.Is3DMode());
    gm.Begin2D();
    const float ortho[4][4] = {{1 / 400.0f, 0, 0, 0}, {0, -1 / 300.0f, 0, 0}, {0, 0, 1, 0}, {-1, 1, 0, 1}};
    ExpectMatrixNear(DeviceTransform(platform::TransformType::Projection), ortho);
    EXPECT_TRUE(platform::MatrixIsIdentity(DeviceTransform(platform::TransformType::View)));
}

TEST_F(GraphicsManagerTest, FrameCycleClearsOpensAndClosesTheScene)
{
    Create();
    gm.SetClearMode(true, 0xFF0000FF);
    ASSERT_TRUE(gm.BeginFrame(0));
    EXPECT_TRUE(gm.IsSceneOpen());
    ASSERT_EQ(Device()->clears.size(), 1u);
    EXPECT_TRUE(Device()->clears[0].colour == 0xFF0000FFu && Device()->clears[0].flags & platform::ClearFlags::Target);
    gm.EndFrame();
    gm.EndFrame();
    EXPECT_EQ(Device()->CountOps(platform::RecordingDevice::Op::EndScene), 1u);
    gm.Present();
    EXPECT_EQ(Device()->presentCount, 1u);

    // Highlight grey: 255 x (0.5 + 0.2 sin(0.2 x 5)) = 170.4.
    gm.SetClearMode(false, 0);
    ASSERT_TRUE(gm.BeginFrame(5));
    EXPECT_EQ(gm.GetHighlightColour(), 0xFFAAAAAAu);
    EXPECT_FALSE(Device()->clears.back().flags & platform::ClearFlags::Target);
    gm.EndFrame();

    // A lost device skips the frame and leaves everything as it was.
    Device()->InjectDeviceLost(1);
    Device()->ClearLog();
    EXPECT_TRUE(!gm.BeginFrame(9) && gm.GetFrameTime() == 5u && Device()->clears.empty() && !gm.IsSceneOpen());
}

TEST_F(GraphicsManagerTest, FogIsTintedScaledAndResent)
{
    Create();
    gm.SetFog(10.0f, 20.0f, 0x00FF8040);
    // Each channel x base colour A (white) / 256, plus base colour B (black); the range is taken x 8.
    EXPECT_TRUE(gm.GetFogColour() == 0x00FE7F3Fu && Renderer().GetFogEnd() == 160.0f);

    VideoSettings video;
    video.m_fDrawDist = 1.0f;
    video.m_fShadowDrawDist = 0.5f;
    gm.ApplyVideoSettings(video);
    gm.SetFog(-1.0f, 999.0f, 0x00FFFFFF); // keeps the stored fog, sends it with the new view range
    EXPECT_NEAR(Renderer().GetFogStart(), 8.5f, 1e-5f);
    EXPECT_NEAR(Renderer().GetFogEnd(), 136.0f, 1e-4f);
    EXPECT_EQ(Renderer().GetFogColour(), 0x00FE7F3Fu);

    gm.ApplyFogScale(5.0f);
    EXPECT_NEAR(Renderer().GetFogEnd(), 680.0f, 1e-3f);
    EXPECT_EQ(Renderer().GetFogColour(), 0u);
    gm.ApplyShadowFog();
    EXPECT_NEAR(Renderer().GetFogStart(), 2.125f, 1e-5f);
    EXPECT_EQ(Renderer().GetFogColour(), 0xFFFFFFFFu);
}

TEST_F(GraphicsManagerTest, LightBuildsTheFlatShadowAndDarkness)
{
    Create();
    // clang-format off
    const struct { Vec3 direction; float slopeX; uint32_t darkness; float length; } cases[] = {
        {{0.0f, -1.0f, 0.0f}, 0.0f, 127, 1.0f}, {{0.96f, -0.28f, 0.0f}, 0.96f * 0.96f / 0.28f, 68, 1.0f / 0.28f},
        {{1.0f, 0.0f, 0.0f}, 0.0f, 0, 0.0f}, // level light: no shadow, and no division by its height
        // Exactly 0.1 below the horizon (0.994987428 makes the length exactly 1): a shadow offset, no darkness.
        {{0.0f, -0.1f, 0.994987428f}, 0.0f, 0, 10.0f},
    };
    // clang-format on
    for (const auto& c : cases)
    {
        gm.SetLight(c.direction, 0x00202020, 0x00804020, 0x00101010, 0x00FFFFFF);
        EXPECT_NEAR(gm.GetShadowMatrix().m[1][0], c.slopeX, 1e-4f) << c.direction.y;
        // k dir.z with k = -sqrt(1 - y^2) / y: dir.z^2 / -y for a light without x.
        if (c.direction.x == 0.0f)
        {
            EXPECT_NEAR(gm.GetShadowMatrix().m[1][2], c.direction.z * c.direction.z / -c.direction.y, 1e-4f);
        }
        EXPECT_EQ(gm.GetShadowDarkness(), c.darkness) << c.direction.y;
        EXPECT_NEAR(gm.GetShadowLengthFactor(), c.length, 1e-4f) << c.direction.y;
        EXPECT_EQ(Renderer().GetAmbientArgument(), (c.darkness << 24) | 0x00101010u);
        for (int r = 0; r < 16; ++r)
            EXPECT_TRUE(std::isfinite(gm.GetLightViewMatrix().m[r / 4][r % 4]));
    }
    // The light colour reaches the renderer as its emissive scale: 0x81, 0x41, 0x21 and alpha 0x11 of 255.
    gm.SetLight({0.0f, -1.0f, 0.0f}, 0x11814121, 0, 0, 0x00FFFFFF);
    const float emissive[4] = {129 / 255.0f, 65 / 255.0f, 33 / 255.0f, 17 / 255.0f};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(Renderer().GetEmissiveScale()[i], emissive[i]) << i;
    // A point (1, 2, 3) under a light along (0.6, -0.8, 0) falls to (1 + 0.45 x 2, 0.025, 3).
    gm.SetLight({0.6f, -0.8f, 0.0f}, 0, 0, 0, 0x00FFFFFF);
    const Vec3 p = platform::Vec3TransformCoord({1, 2, 3}, gm.GetShadowMatrix());
    EXPECT_NEAR(p.x, 1.9f, 1e-5f);
    EXPECT_NEAR(p.y, 0.025f, 1e-6f);
    EXPECT_NEAR(p.z, 3.0f, 1e-6f);
    // Along (0, -0.6, 0.8) it moves along z instead: k = 0.8 / 0.6, so z grows by 2 x 0.8 x 0.8 / 0.6.
    gm.SetLight({0.0f, -0.6f, 0.8f}, 0, 0, 0, 0x00FFFFFF);
    const Vec3 q = platform::Vec3TransformCoord({1, 2, 3}, gm.GetShadowMatrix());
    EXPECT_NEAR(q.x, 1.0f, 1e-6f);
    EXPECT_NEAR(q.z, 3.0f + 2.0f * 0.64f / 0.6f, 1e-5f);
    // A full-bright colour mask shows the lower crossfade image (factor 0), a black one the upper.
    EXPECT_EQ(g_CrossfadeList.GetLastFactor(), 0.0f);
    gm.SetLight({0.6f, -0.8f, 0.0f}, 0, 0, 0, 0);
    EXPECT_EQ(g_CrossfadeList.GetLastFactor(), 1.0f);
    gm.SetLight({0.6f, -0.8f, 0.0f}, 0, 0, 0, 0x00FF0000); // red alone: a third of the way
    EXPECT_NEAR(g_CrossfadeList.GetLastFactor(), 2.0f / 3.0f, 1e-6f);

    // Lit colours add the diffuse by angle to the ambient: 0x80 x 0.8 = 102.4, 0x40 x 0.8 = 51.2, 0x20 x 0.8 = 25.6.
    gm.SetLight({0.0f, 2.0f, 0.0f}, 0, 0x00804020, 0x00101010, 0x00FFFFFF);
    EXPECT_TRUE(gm.GetLitColour({0.6f, 0.8f, 0}) == 0x00764329u && gm.GetLitColour({0, -1, 0}) == 0x00101010u);
}

TEST_F(GraphicsManagerTest, LightWithoutAUsableDirectionKeepsTheLastOne)
{
    Create();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const Vec3& bad : {Vec3{nan, -1.0f, 0.0f}, Vec3{0.0f, nan, 0.0f}, Vec3{inf, -1.0f, 0.0f},
                            Vec3{0.0f, 0.0f, 0.0f}, Vec3{0.0f, -1e30f, 1e30f}})
    {
        // Down and sideways at (0.6, -0.8, 0): darkness (0.8 - 0.1) x 381 = 266.7, limited to 127.
        gm.SetLight({0.6f, -0.8f, 0.0f}, 0, 0x00804020, 0x00101010, 0x00FFFFFF);
        gm.SetLight(bad, 0, 0x00804020, 0x00202020, 0x00FFFFFF);
        const Vec3 dir = gm.GetLightDirection();
        EXPECT_NEAR(dir.x, 0.6f, 1e-6f);
        EXPECT_NEAR(dir.y, -0.8f, 1e-6f);
        EXPECT_TRUE(dir.z == 0.0f && gm.GetShadowDarkness() == 127u);
        EXPECT_NEAR(gm.GetShadowMatrix().m[1][0], 0.6f * 0.6f / 0.8f, 1e-5f);
        EXPECT_NEAR(gm.GetShadowLengthFactor(), 1.25f, 1e-5f);
        EXPECT_NEAR(gm.GetFarSunPoint().x, 60000.0f, 0.1f);
        // The colours of the second call are taken: the ambient 0x202020 under the darkness.
        EXPECT_EQ(Renderer().GetAmbientArgument(), 0x7F202020u);
    }

    // A normal too long to measure: a full channel saturates, a channel without light stays dark, not undefined.
    gm.SetLight({1.0f, 0.0f, 0.0f}, 0, 0x00800000, 0x00000010, 0x00FFFFFF);
    EXPECT_TRUE(gm.GetLitColour({inf, 0.0f, 0.0f}) == 0x00FF0010u && gm.GetLitColour({nan, 0.0f, 0.0f}) == 0x00000010u);
}

TEST_F(GraphicsManagerTest, CreateBuildsTheTablesAndDropsQueuedBoxes)
{
    Create();
    EXPECT_TRUE(g_MaterialTable.AreDefaultsBuilt());
    // Boxes and texts queued for a device that went away are not drawn on the next one.
    EXPECT_TRUE(gm.QueueDebugBox({0, 0, 0, 1, 1, 1, ~0u}));
    gm.BeginTextQueue({0, 0, 5}, ~0u, -1);
    gm.AddTextQuad(0, 0, 1, 1, 0, 0, 1, 1);
    gm.EndTextQueue();
    ASSERT_EQ(gm.GetTextQueue().runCount, 1);
    gm.SetViewFractions(0.5f, 1.0f, 0.0f, 0.5f);
    gm.SetFog(1.0f, 10.0f, 0);
    gm.Shutdown();
    Create();
    gm.ApplyProjection();
    EXPECT_EQ(gm.GetDrawDistance(), 0.0f); // no fog yet: nothing is in range
    EXPECT_EQ(gm.GetDebugBoxCount(), 0u);
    // The new device views the whole screen again: a symmetric frustum.
    const Matrix projection = DeviceTransform(platform::TransformType::Projection);
    EXPECT_TRUE(projection.m[2][0] == 0.0f && projection.m[2][1] == 0.0f);
    EXPECT_EQ(gm.GetTextQueue().runCount + gm.GetTextQueue().quadCount, 0);
}

class CountingScheduler : public EffectSchedulerBase
{
public:
    bool Open(EffectSoundCallback) override { return false; }
    bool Reserved3() override { return false; }
    Firework* Spawn(const FireworkDesc&) override { return nullptr; }
    bool Remove(Firework*) override { return false; }
    bool Tick() override { return false; }
    uint32_t GetCount() const override { return 0; }
    bool Close() override
    {
        ++closes;
        deviceWasLive = g_MeshManager.IsOpen();
        return false;
    }
    int closes = 0;
    bool deviceWasLive = false;
};

TEST_F(GraphicsManagerTest, ShutdownClosesEffectsThenReleasesTheDevice)
{
    Create();
    CountingScheduler scheduler;
    EffectSchedulerBase* const previous = g_pEffectScheduler;
    g_pEffectScheduler = &scheduler;
    g_CrossfadeList.Add("fade", std::make_unique<uint8_t[]>(2 * 4 * 4), 2, 4, 1, 4);
    ASSERT_EQ(g_CrossfadeList.GetCount(), 1u);
    gm.Shutdown();
    EXPECT_EQ(g_CrossfadeList.GetCount(), 0u);
    g_pEffectScheduler = previous;
    EXPECT_EQ(scheduler.closes, 1);
    EXPECT_TRUE(scheduler.deviceWasLive); // the mesh manager (opened with the device) was still open
    EXPECT_TRUE(gm.GetRenderer() == nullptr && !g_MeshManager.IsOpen() && !g_MaterialTable.AreDefaultsBuilt());
}

// Writes message boxes and debugger output to the error stream, marked, for death tests.
class MarkingSink : public platform::ReportSink
{
public:
    void ShowMessageBox(const char*, const char* text) override { std::fprintf(stderr, "BOX[%s]", text); }
    void DebugOutput(const char* text) override { std::fprintf(stderr, "DEBUG[%s]", text); }
};

TEST_F(GraphicsManagerTest, UnknownRendererKindEndsTheProgramWithABox)
{
    RendererSettings settings;
    settings.m_uKind = 1;
    EXPECT_EXIT(
        {
            MarkingSink sink;
            platform::SetReportSink(&sink);
            GraphicsManager local;
            local.Create(settings, nullptr);
        },
        ::testing::ExitedWithCode(1), "BOX\\[Failed to create D3D renderer\\]");
}

} // namespace
