// The park's chords in the running program, typed on the keyboard of its private X server: the money chord adds
// to the cash, and the debug chords switch the debug keys on and off, the overlay key working only between them.
#include "game/Game.h"
#include "tests/game/GameHarness.h"
#include "tests/game/PointerGameTest.h"
#include "world/Player.h"
#include "world/World.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <initializer_list>

namespace
{

class ParkKeysInGameTest : public gametest::PointerGameTest
{
protected:
    void Prepare() override
    {
        harness.EnterPark(0);
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(3);
    }
    // Holds the modifiers, types the key, lets everything go.
    void Chord(std::initializer_list<unsigned long> held, unsigned long key)
    {
        for (unsigned long k : held)
            pointer->Key(k, true);
        Settle();
        pointer->Key(key, true);
        Settle();
        pointer->Key(key, false);
        for (unsigned long k : held)
            pointer->Key(k, false);
        Settle();
    }
};

TEST_F(ParkKeysInGameTest, TheMoneyAndDebugChordsWorkFromTheKeyboard)
{
    // Right Control + M: 5000 more.
    g_pWorld->GetPlayer()->Cash = 1000.0f;
    Chord({XK_Control_R}, XK_m);
    EXPECT_NEAR(g_pWorld->GetPlayer()->Cash, 6000.0f, 100.0f);

    // F9 does nothing while the debug keys are off.
    Chord({}, XK_F9);
    EXPECT_FALSE(g_pWorld->IsDebugDisplayOn(0));
    // One modifier is not the chord.
    Chord({XK_Control_R}, XK_d);
    EXPECT_FALSE(g_pWorld->AreDebugKeysOn());
    Chord({XK_Control_R, XK_Shift_R}, XK_d);
    ASSERT_TRUE(g_pWorld->AreDebugKeysOn());
    Chord({}, XK_F9);
    EXPECT_TRUE(g_pWorld->IsDebugDisplayOn(0));
    Chord({XK_Control_R, XK_Shift_R}, XK_f);
    EXPECT_FALSE(g_pWorld->AreDebugKeysOn());
    Chord({}, XK_F9);
    EXPECT_TRUE(g_pWorld->IsDebugDisplayOn(0)) << "the overlay stays as it was once the keys are off";
    EXPECT_TRUE(running);
}

} // namespace
