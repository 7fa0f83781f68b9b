// Device draw throughput: 10,000 small screen-space quads per frame, on the OpenGL device and on the recording device.
//
// The GL cases need a GL context: run headless with SDL_VIDEODRIVER=offscreen and LIBGL_ALWAYS_SOFTWARE=1 (Mesa's
// llvmpipe), or on a desktop as they are. Without a context they are skipped with a message. Every GL frame ends with
// a read-back of the frame, so the time includes the rasterisation and not only the calls.
#include "platform/gfx/Device.h"
#include "platform/gfx/GLCallCount.h"
#include "platform/gfx/RecordingDevice.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

using namespace platform;

namespace
{

constexpr uint32_t kQuads = 10000;
constexpr uint32_t kWidth = 320, kHeight = 240;

struct ScreenVertex
{
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
constexpr uint32_t kFvf = Fvf::XYZRHW | Fvf::Diffuse | Fvf::Tex1;

// What the quads of a frame are drawn with.
enum class Mix
{
    Untextured, // vertex colours only, one state set for the whole frame
    Textured,   // every quad textured from one texture and blended, as text and icons from one atlas
    Switching,  // textured, the texture and the blending changing every ten quads
};

TexturePtr MakeTexture(IDevice& device, uint32_t colour)
{
    TexturePtr texture;
    if (device.CreateTexture(8, 8, 1, 0, PixelFormat::A8R8G8B8, Pool::Managed, &texture) != GfxResult::Ok)
        return nullptr;
    LockedRect locked;
    if (texture->LockRect(0, &locked, nullptr, 0) != GfxResult::Ok)
        return nullptr;
    for (uint32_t y = 0; y < 8; ++y)
    {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch);
        for (uint32_t x = 0; x < 8; ++x)
            row[x] = (x + y) % 2 ? colour : 0x80FFFFFFu;
    }
    texture->UnlockRect(0);
    return texture;
}

void DrawFrames(benchmark::State& state, IDevice& device, Mix mix, bool gl)
{
    TexturePtr textures[2] = {MakeTexture(device, 0xFFFF8000u), MakeTexture(device, 0xFF0080FFu)};
    if (!textures[0] || !textures[1])
    {
        state.SkipWithError("textures could not be made");
        return;
    }
    // 4 x 4 quads on a grid over the screen, each with its own colour.
    std::vector<ScreenVertex> quads(static_cast<size_t>(kQuads) * 4);
    for (uint32_t i = 0; i < kQuads; ++i)
    {
        float x = static_cast<float>(i * 7 % (kWidth - 4)), y = static_cast<float>(i * 13 % (kHeight - 4));
        uint32_t colour = 0xFF000000u | (i * 2654435761u >> 8);
        ScreenVertex* v = &quads[static_cast<size_t>(i) * 4];
        v[0] = {x, y, 0.5f, 1, colour, 0, 0};
        v[1] = {x + 4, y, 0.5f, 1, colour, 1, 0};
        v[2] = {x, y + 4, 0.5f, 1, colour, 0, 1};
        v[3] = {x + 4, y + 4, 0.5f, 1, colour, 1, 1};
    }
    device.SetRenderState(RenderState::Lighting, 0);
    device.SetRenderState(RenderState::ZEnable, 0);
    device.SetRenderState(RenderState::SrcBlend, BlendFactor::SrcAlpha);
    device.SetRenderState(RenderState::DestBlend, BlendFactor::InvSrcAlpha);
    device.SetVertexShader(kFvf);
    const bool textured = mix != Mix::Untextured;
    device.SetTexture(0, textured ? textures[0].get() : nullptr);
    device.SetRenderState(RenderState::AlphaBlendEnable, textured ? 1 : 0);
    device.SetTextureStageState(0, TextureStageState::ColourOp, textured ? TextureOp::Modulate : TextureOp::SelectArg1);
    device.SetTextureStageState(0, TextureStageState::ColourArg1, textured ? TextureArg::Texture : TextureArg::Diffuse);
    device.SetTextureStageState(0, TextureStageState::ColourArg2, TextureArg::Diffuse);
    device.SetTextureStageState(0, TextureStageState::AlphaOp, textured ? TextureOp::Modulate : TextureOp::SelectArg1);
    device.SetTextureStageState(0, TextureStageState::AlphaArg1, textured ? TextureArg::Texture : TextureArg::Diffuse);
    device.SetTextureStageState(0, TextureStageState::AlphaArg2, TextureArg::Diffuse);
    std::vector<uint32_t> pixels;
    auto frame = [&]
    {
        device.BeginScene();
        device.Clear(0, nullptr, ClearFlags::Target, 0xFF000000u, 1.0f, 0);
        for (uint32_t i = 0; i < kQuads; ++i)
        {
            if (mix == Mix::Switching && i % 10 == 0)
            {
                device.SetTexture(0, textures[i / 10 % 2].get());
                device.SetRenderState(RenderState::AlphaBlendEnable, i / 20 % 2);
            }
            device.DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, &quads[static_cast<size_t>(i) * 4],
                                   sizeof(ScreenVertex));
        }
        device.EndScene();
        device.Present();
        if (gl)
        {
            uint32_t w = 0, h = 0;
            device.ReadBackBuffer(&pixels, &w, &h);
            benchmark::DoNotOptimize(pixels.data());
        }
        else if (auto* recording = dynamic_cast<RecordingDevice*>(&device))
        {
            recording->ClearLog(); // what a frame logged, as a test would read it
        }
    };
    if (gl)
    {
        // GL calls per draw in a frame after the first (the frame's own clear, present and read-back included).
        frame();
        GLCallCount calls;
        frame();
        state.counters["calls/draw"] = static_cast<double>(calls.Total()) / kQuads;
    }
    for (auto _ : state)
        frame();
    state.counters["draws/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kQuads, benchmark::Counter::kIsRate);
}

PresentParams Params()
{
    PresentParams params;
    params.backBufferWidth = kWidth;
    params.backBufferHeight = kHeight;
    params.backBufferFormat = PixelFormat::A8R8G8B8;
    return params;
}

void BM_GLDeviceQuads(benchmark::State& state)
{
    GraphicsSystemPtr system = CreateOpenGLSystem();
    PresentParams params = Params();
    DevicePtr device;
    if (!system || system->CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &params,
                                        &device) != GfxResult::Ok)
    {
        state.SkipWithError("no OpenGL context (set SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1)");
        return;
    }
    DrawFrames(state, *device, static_cast<Mix>(state.range(0)), true);
}

void BM_RecordingDeviceQuads(benchmark::State& state)
{
    RecordingSystem system;
    PresentParams params = Params();
    DevicePtr device;
    if (system.CreateDevice(0, DeviceType::Hal, nullptr, CreateFlags::HardwareVertexProcessing, &params, &device) !=
        GfxResult::Ok)
    {
        state.SkipWithError("the recording device could not be made");
        return;
    }
    DrawFrames(state, *device, static_cast<Mix>(state.range(0)), false);
}

} // namespace

BENCHMARK(BM_GLDeviceQuads)
    ->ArgName("mix")
    ->Arg(static_cast<int>(Mix::Untextured))
    ->Arg(static_cast<int>(Mix::Textured))
    ->Arg(static_cast<int>(Mix::Switching))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordingDeviceQuads)
    ->ArgName("mix")
    ->Arg(static_cast<int>(Mix::Untextured))
    ->Arg(static_cast<int>(Mix::Textured))
    ->Arg(static_cast<int>(Mix::Switching))
    ->Unit(benchmark::kMillisecond);
