// Fuzz target: a sprite file pair. The input's first two bytes give the length of the index file, which follows;
// the rest is the data file. Every animation of every bank is then decoded frame by frame and direction by
// direction, pixel-tested and animated in each play mode.
#include "fuzz/FuzzSupport.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    if (size < 2)
        return 0;
    const size_t indexSize = std::min<size_t>(data[0] | (data[1] << 8), size - 2);
    SpriteManager sprites;
    sprites.LoadSpriteData(data + 2, indexSize, std::vector<uint8_t>(data + 2 + indexSize, data + size), "fuzz.hdr");
    std::vector<uint32_t> pixels(64 * 64);
    int budget = 4096; // frames decoded per input, so a file of huge counts still ends quickly
    for (int32_t b = 0; b < sprites.GetBankCount() && budget > 0; ++b)
    {
        Sprite* sprite = sprites.CreateSprite(sprites.GetBank(b)->m_name.c_str());
        for (int32_t a = 0; a < sprite->GetAnimationCount() && budget > 0; ++a)
        {
            sprite->SetAnimation(a);
            for (int32_t d = 0; d <= sprite->GetDirectionCount(a) && budget > 0; ++d)
                for (int32_t f = 0; f <= sprite->GetFrameCount() && budget > 0; ++f, --budget)
                {
                    sprite->SetDirection(d);
                    sprite->SetPlayMode(f % 4);
                    sprite->SetFrame(f);
                    sprite->UpdateFrame(0.1f * static_cast<float>(f));
                    sprite->DecodeFrameARGB(pixels.data(), 64, 64);
                    sprite->IsOpaqueAt(f % 70, d % 70);
                    sprite->IsOpaqueAt(sprite->GetWidth(), sprite->GetHeight() - 1);
                }
            sprite->PlayAnimation(sprite->GetAnimationInfo(a)->m_szName, 1.0f);
        }
        sprites.ReleaseSprite(sprite);
    }
    sprites.UnloadBanks();
    return 0;
}
