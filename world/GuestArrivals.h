// GuestArrivals: brings guests into the park through the entrance at intervals, up to a target that follows the
// park rating and the number of buildings.
#pragma once

#include <cstdint>

class GuestArrivals
{
public:
    static constexpr float kFirstArrival = 8.0f;
    static constexpr int32_t kMinTarget = 20;
    static constexpr int32_t kMaxTarget = 1490;
    // Where arriving guests are placed, in map units.
    static constexpr float kArrivalX = 2048.0f;
    static constexpr float kArrivalY = 2048.0f;

    // Counts down `delta` game seconds; when the countdown runs out: Spawn, Recompute, and the countdown starts
    // again at the interval.
    void Update(float delta);
    // Asks the World for a guest of a random type when the entrance is open and the park holds fewer guests than
    // the target. No guest types, no guest.
    void Spawn();
    // The target from the park rating, the buildings and today's unhappy departures; the interval from the day
    // length and the target.
    void Recompute();

    float GetCountdown() const { return m_fCountdown; }
    int32_t GetTarget() const { return m_iTarget; }
    float GetInterval() const { return m_fInterval; }

private:
    float m_fCountdown = kFirstArrival;
    int32_t m_iTarget = kMinTarget;
    float m_fInterval = 0.0f;
};
