// Tests of the renderer's screen capture on the recording device: the front buffer copied into a caller's block
// as far as it holds, back-buffer read-back, and images copied onto the render target with the colour key.
#include "engine/render/D3DRenderer.h"

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace
{

using Op = platform::RecordingDevice::Op;

class RendererCaptureTest : public rendertest::RecordingTest
{
protected:
    static constexpr uint32_t kWidth = 8;
    static constexpr uint32_t kHeight = 6;
    static constexpr uint32_t kSentinel = 0x5EA15EA1;

    void SetUp() override
    {
        RecordingTest::SetUp();
        RendererSettings settings;
        settings.m_uWidth = kWidth;
        settings.m_uHeight = kHeight;
        CreateRenderer(settings);
        ASSERT_NE(Device(), nullptr);
    }

    // Pixel i of the frame is 0xFF000000 + i.
    std::vector<uint32_t> Frame() const
    {
        std::vector<uint32_t> frame(kWidth * kHeight);
        for (uint32_t i = 0; i < frame.size(); ++i)
            frame[i] = 0xFF000000u + i;
        return frame;
    }
};

TEST_F(RendererCaptureTest, FrontBufferFillsTheDestinationAsFarAsItsSizeHoldsWholeRows)
{
    Device()->frontBuffer = Frame();
    // Room for the frame and then some: the rows of the frame alone are written.
    std::vector<uint32_t> block(kWidth * (kHeight + 2), kSentinel);
    EXPECT_TRUE(renderer->CaptureFrontBuffer(block.data(), static_cast<uint32_t>(block.size() * 4)));
    std::vector<uint32_t> expected = Frame();
    expected.resize(block.size(), kSentinel);
    EXPECT_EQ(block, expected);

    // A size of 1.8 rows takes the first row only: no row is cut, none written past the size.
    std::fill(block.begin(), block.end(), kSentinel);
    EXPECT_TRUE(renderer->CaptureFrontBuffer(block.data(), kWidth * 4 * 9 / 5));
    expected.assign(block.size(), kSentinel);
    const std::vector<uint32_t> frame = Frame();
    std::copy(frame.begin(), frame.begin() + kWidth, expected.begin());
    EXPECT_EQ(block, expected);

    // No destination: nothing is written, and the capture still reports success.
    EXPECT_TRUE(renderer->CaptureFrontBuffer(nullptr, 64));
}

TEST_F(RendererCaptureTest, BackBufferReadsBackAndImagesAreCopiedOntoTheTargetWithTheKeyTransparent)
{
    std::vector<uint32_t> image(kWidth * kHeight, 0x00123456);
    image[3] = 0xFFFF00FF; // the colour key
    renderer->BlitToRenderTarget(image.data(), kWidth, kHeight);
    uint32_t width = 0, height = 0;
    std::unique_ptr<uint32_t[]> back = renderer->ReadBackBuffer(&width, &height);
    ASSERT_TRUE(back && width == kWidth && height == kHeight);
    EXPECT_TRUE(back[3] == 0u && back[4] == 0xFF123456u);

    // No pixels: the device is not asked to copy anything.
    Device()->ClearLog();
    renderer->BlitToRenderTarget(nullptr, kWidth, kHeight);
    EXPECT_EQ(std::count(Device()->ops.begin(), Device()->ops.end(), Op::WriteBackBuffer), 0);
}

} // namespace

namespace
{

// A front buffer that holds fewer pixels than the frame's size is a failed capture: the destination is left as it
// was (and the capture, as every capture, reports success), instead of being filled from past the pixels held.
TEST_F(RendererCaptureTest, FrontBufferShorterThanTheFrameCapturesNothing)
{
    struct Case
    {
        const char* name;
        uint32_t pixelsHeld;
    };
    const Case cases[] = {
        {"one pixel short", kWidth * kHeight - 1},
        {"half the rows", kWidth * kHeight / 2},
        {"one row", kWidth},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> frame = Frame();
        frame.resize(c.pixelsHeld);
        Device()->frontBuffer = frame;
        std::vector<uint32_t> block(kWidth * kHeight, kSentinel);
        EXPECT_TRUE(renderer->CaptureFrontBuffer(block.data(), static_cast<uint32_t>(block.size() * 4)));
        EXPECT_EQ(std::count(block.begin(), block.end(), kSentinel), static_cast<std::ptrdiff_t>(block.size()));
    }
}

} // namespace
