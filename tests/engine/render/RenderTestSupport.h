// Test helpers for the renderer: a renderer (or graphics manager) on the recording device, in a temporary folder.
#pragma once

#include "engine/render/D3DRenderer.h"
#include "engine/render/DeviceEnum.h"
#include "platform/gfx/RecordingDevice.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace rendertest
{

// The recording back end installed for CreateGraphicsSystem, the enumeration forgotten, and the working
// directory a temporary folder (the enumeration writes its log there).
class RecordingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The device creation measures texture memory by filling the default pool: keep that small.
        hook.config.defaultPoolTextureLimit = 9;
        if (hook.config.adapters.empty())
            hook.config.adapters.push_back(platform::DefaultRecordingAdapter());
        ResetDeviceEnumeration();
        platform::InstallRecordingSystemFactory(&hook);
    }

    void TearDown() override
    {
        if (renderer)
            renderer->Release();
        renderer.reset();
        platform::SetGraphicsSystemFactory({});
        ResetDeviceEnumeration();
    }

    // A renderer with its device on the recording back end; the device's log starts empty.
    D3DRenderer& CreateRenderer(const RendererSettings& settings = RendererSettings{})
    {
        renderer = std::make_unique<D3DRenderer>();
        renderer->CreateDevice(nullptr, settings);
        Device()->ClearLog();
        return *renderer;
    }

    platform::RecordingDevice* Device() const
    {
        return static_cast<platform::RecordingDevice*>(renderer ? renderer->GetDevice() : nullptr);
    }

    testsupport::TempDir dir;
    testsupport::ScopedCurrentDir cwd{dir.Path()};
    platform::RecordingSystemHook hook;
    std::unique_ptr<D3DRenderer> renderer;
};

} // namespace rendertest
