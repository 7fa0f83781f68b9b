// The renderer's render-state memory: the value last written of every often-changed device state, so that a state
// is written to the device only when it changes.
#pragma once

#include "platform/gfx/Device.h"

#include <cstdint>

class RenderStateCache
{
public:
    // Texture stages whose states are remembered.
    static constexpr uint32_t kStages = 4;

    // Binds the cache to a device (or none) and forgets every remembered value.
    void Attach(platform::IDevice* device);
    // Forgets every remembered value: the next write of each state goes to the device.
    void Forget();

    // Whether the renderer remembers this state (the others are written every time).
    static bool IsRemembered(platform::RenderState state);
    static bool IsRemembered(uint32_t stage, platform::TextureStageState state);

    // Writes the state when it is not remembered or its value differs from the remembered one; returns whether
    // the device was written.
    bool Set(platform::RenderState state, uint32_t value);
    bool SetFloat(platform::RenderState state, float value) { return Set(state, platform::FloatBits(value)); }
    bool SetStage(uint32_t stage, platform::TextureStageState state, uint32_t value);

    // Writes the state to the device whatever was remembered, and remembers it when it is one of the remembered.
    void Write(platform::RenderState state, uint32_t value);
    void WriteStage(uint32_t stage, platform::TextureStageState state, uint32_t value);

    // The remembered value; false when nothing is remembered for the state.
    bool Get(platform::RenderState state, uint32_t* value) const;
    bool GetStage(uint32_t stage, platform::TextureStageState state, uint32_t* value) const;

private:
    platform::IDevice* m_pDevice = nullptr;
    uint32_t m_auRender[platform::kRenderStateCount] = {};
    bool m_abRenderKnown[platform::kRenderStateCount] = {};
    uint32_t m_auStage[kStages][platform::kTextureStageStateCount] = {};
    bool m_abStageKnown[kStages][platform::kTextureStageStateCount] = {};
};
