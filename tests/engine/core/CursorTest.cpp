// Tests of the game's cursor object: mode to shape, hiding and locking through the game input.
#include "engine/core/Cursor.h"
#include "engine/core/GameInput.h"
#include "platform/Cursor.h"
#include "tests/platform/SdlTestEvents.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

class CursorTest : public sdltest::HeadlessWindowTest
{
protected:
    void SetUp() override
    {
        HeadlessWindowTest::SetUp();
        m_input = std::make_unique<GameInput>(800, 600, false);
        ASSERT_TRUE(m_input->Init(nullptr, nullptr));
    }

    void TearDown() override
    {
        m_input.reset();
        HeadlessWindowTest::TearDown();
    }

    std::unique_ptr<GameInput> m_input;
    platform::Rect m_clip;
};

TEST_F(CursorTest, ModesZeroToSixHandTheirShapeToTheGameInputOthersAreOnlyStored)
{
    {
        Cursor cursor;
        EXPECT_EQ(g_pCursor, &cursor);
        // Mode 0 at construction hands shape id 1, which shows the arrow.
        EXPECT_EQ(m_input->GetCursorShape(), 1);
        EXPECT_EQ(platform::GetCursorShape(), platform::CursorShape::Arrow);
        // Modes outside 0 to 6 leave the shape of the last mode inside (3).
        const std::pair<int, int> modeToShape[] = {{6, 7}, {3, 4}, {9, 4}, {-1, 4}, {7, 4}};
        for (auto [mode, shape] : modeToShape)
        {
            cursor.SetMode(mode);
            EXPECT_EQ(cursor.GetMode(), mode);
            EXPECT_EQ(m_input->GetCursorShape(), shape) << mode;
        }
    }
    EXPECT_EQ(g_pCursor, nullptr);
}

TEST_F(CursorTest, HiddenAndLockedGoThroughToTheSystemCursor)
{
    Cursor cursor;
    cursor.SetHidden(true);
    EXPECT_TRUE(cursor.IsHidden() && !platform::IsCursorVisible());
    cursor.SetHidden(false);
    EXPECT_TRUE(!cursor.IsHidden() && platform::IsCursorVisible());

    m_input->Update();
    cursor.SetLocked(true);
    EXPECT_TRUE(m_input->IsLocked());
    EXPECT_TRUE(platform::GetCursorClip(&m_clip));
    cursor.SetLocked(false);
    EXPECT_FALSE(m_input->IsLocked());
    EXPECT_FALSE(platform::GetCursorClip(&m_clip));

    // Without the game input the cursor only records.
    m_input.reset();
    cursor.SetMode(2);
    cursor.SetLocked(true);
    EXPECT_EQ(cursor.GetMode(), 2);
    EXPECT_TRUE(cursor.IsLocked());
    EXPECT_FALSE(platform::GetCursorClip(&m_clip));
}

} // namespace
