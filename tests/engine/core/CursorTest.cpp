// Tests of the game's cursor object: mode to shape, hiding and locking through the game input.
#include "engine/core/Cursor.h"
#include "engine/core/GameInput.h"
#include "platform/Cursor.h"
#include "tests/platform/SdlTestEvents.h"

#include <gtest/gtest.h>

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
};

TEST_F(CursorTest, ConstructionSetsNormalModeAndTheGlobalPointer)
{
    {
        Cursor cursor;
        EXPECT_EQ(g_pCursor, &cursor);
        EXPECT_EQ(cursor.GetMode(), 0);
        EXPECT_FALSE(cursor.IsHidden());
        EXPECT_FALSE(cursor.IsLocked());
        // Mode 0 hands shape id 1 to the game input.
        EXPECT_EQ(m_input->GetCursorShape(), 1);
        EXPECT_EQ(platform::GetCursorShape(), platform::CursorShape::Arrow);
    }
    EXPECT_EQ(g_pCursor, nullptr);
}

TEST_F(CursorTest, ModesZeroToSixSetTheShapeOthersAreOnlyStored)
{
    Cursor cursor;
    for (int mode = 0; mode <= 6; ++mode)
    {
        cursor.SetMode(mode);
        EXPECT_EQ(cursor.GetMode(), mode);
        EXPECT_EQ(m_input->GetCursorShape(), mode + 1);
    }
    cursor.SetMode(3);
    cursor.SetMode(9);
    EXPECT_EQ(cursor.GetMode(), 9);
    EXPECT_EQ(m_input->GetCursorShape(), 4);
    cursor.SetMode(-1);
    EXPECT_EQ(cursor.GetMode(), -1);
    EXPECT_EQ(m_input->GetCursorShape(), 4);
    cursor.SetMode(7);
    EXPECT_EQ(m_input->GetCursorShape(), 4);
}

TEST_F(CursorTest, HiddenAndLockedGoThroughToTheSystemCursor)
{
    Cursor cursor;
    cursor.SetHidden(true);
    EXPECT_TRUE(cursor.IsHidden());
    EXPECT_FALSE(platform::IsCursorVisible());
    cursor.SetHidden(false);
    EXPECT_FALSE(cursor.IsHidden());
    EXPECT_TRUE(platform::IsCursorVisible());

    m_input->Update();
    cursor.SetLocked(true);
    EXPECT_TRUE(cursor.IsLocked());
    EXPECT_TRUE(m_input->IsLocked());
    platform::Rect clip;
    EXPECT_TRUE(platform::GetCursorClip(&clip));
    cursor.SetLocked(false);
    EXPECT_FALSE(m_input->IsLocked());
    EXPECT_FALSE(platform::GetCursorClip(&clip));
}

TEST_F(CursorTest, WithoutGameInputTheCursorOnlyRecords)
{
    m_input.reset();
    Cursor cursor;
    cursor.SetMode(2);
    cursor.SetLocked(true);
    EXPECT_EQ(cursor.GetMode(), 2);
    EXPECT_TRUE(cursor.IsLocked());
    platform::Rect clip;
    EXPECT_FALSE(platform::GetCursorClip(&clip));
}

} // namespace
