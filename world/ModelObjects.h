// Model-only scene objects: animated models in the park's scene that are not game objects (no id, state, messages
// or script). Each is owned by the park component that shows it: ModelObject (an animal path model), CrowdPerson
// (a seated spectator), RideObject (a part of a ride) and ShowModel (the actor of an animal show).
#pragma once

#include "engine/render/AnimatedObject.h"

#include <cstdint>
#include <vector>

class AnimationScheduler;

// The park objects carried on a model's attachment points, kept by id: they are looked up and put on their points
// only while the model draws, so an object that has gone is never drawn from a stale pointer.
class CarriedObjects
{
public:
    // Puts the object on the first free attachment point of `model`; false when every point carries one.
    bool Attach(const SceneObject& model, uint32_t id);
    // Takes the object off its point (every point that carries it).
    void Detach(uint32_t id);
    void Clear() { m_Ids.clear(); }
    bool Carries(uint32_t id) const;
    uint32_t Count() const;
    // The id carried on a point, or 0xFFFFFFFF.
    uint32_t At(uint32_t point) const { return point < m_Ids.size() ? m_Ids[point] : 0xFFFFFFFF; }
    // Fills the model's attachment slots with the carried objects that still exist; `show` makes them visible.
    void Place(SceneObject& model, bool show) const;
    // Empties the model's slots again; `hide` makes the carried objects invisible.
    void Unplace(SceneObject& model, bool hide) const;

private:
    std::vector<uint32_t> m_Ids;
};

// An animated model that carries park objects (the animal path models of animal buildings).
class ModelObject : public AnimatedObject
{
public:
    static constexpr uint32_t kKind = 8;

    ModelObject();
    ~ModelObject() override;

    // Draws only while an animation is current and the model is visible: the carried objects are shown for the
    // draw and hidden again afterwards.
    bool Render() override;
    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void StopAnimation() override;

    // The model from the file, and the same file as its one animation.
    void LoadModel(const char* name);
    // Plays the animation once from the start.
    void PlayAnimation();
    bool HasAnimationEnded() const { return m_bAnimationEnded; }
    void SetVisible(bool visible) { m_Visible = visible; }
    bool IsVisible() const { return m_Visible; }
    CarriedObjects& Carried() { return m_Carried; }
    const CarriedObjects& Carried() const { return m_Carried; }

private:
    bool m_bAnimationEnded = false;
    bool m_Visible = true;
    CarriedObjects m_Carried;
};

// A spectator of a show building's stands: it switches between two animations on two timers.
class CrowdPerson : public AnimatedObject
{
public:
    static constexpr uint32_t kKind = 8;

    CrowdPerson();
    ~CrowdPerson() override;

    bool Render() override;

    // Plays an animation of the table, looping or once; the timers stop.
    void PlayAnimation(uint32_t index, bool loop);
    // The first animation is to play after `firstDelay` seconds and the second after a further `secondDelay`;
    // the timers start.
    void ScheduleAnimations(uint32_t firstIndex, uint32_t secondIndex, float secondDelay, float firstDelay);
    // Advances the timers (while they run) by the elapsed game seconds.
    void UpdateTimers(float elapsed);
    bool AreTimersRunning() const { return m_bTimersRunning; }

private:
    void Play(uint32_t index, bool loop);

    uint32_t m_SecondAnimation = 0;
    uint32_t m_FirstAnimation = 0;
    float m_fSecondDelay = 0.0f;
    float m_fFirstDelay = 0.0f;
    bool m_bTimersRunning = false;
    // The first animation of the schedule has started: the second delay counts down.
    bool m_bFirstPlayed = false;
};

// A part of a ride: hidden until the ride component shows it.
class RideObject : public AnimatedObject
{
public:
    static constexpr uint32_t kKind = 8;

    RideObject();
    ~RideObject() override;

    // Draws only while visible and while an animation is current, with the riders it carries.
    bool Render() override;
    void Dump(SerialStream& stream) override;
    bool Load(SerialStream& stream) override;
    void StopAnimation() override;

    // The model and its one animation from the file, played looping.
    void LoadModel(const char* name);
    // Plays the animation from the start, looping or once.
    void PlayAnimation(bool loop);
    bool HasAnimationEnded() const { return m_bAnimationEnded; }
    void SetVisible(bool visible) { m_bVisible = visible; }
    bool IsVisible() const { return m_bVisible; }
    CarriedObjects& Carried() { return m_Carried; }
    const CarriedObjects& Carried() const { return m_Carried; }

private:
    bool m_bAnimationEnded = false;
    bool m_bVisible = false;
    CarriedObjects m_Carried;
};

// The actor of an animal show (and of the show-training screen).
class ShowModel : public AnimatedObject
{
public:
    static constexpr uint32_t kKind = 8;

    ShowModel();
    ~ShowModel() override;

    bool Render() override;
    // The record of AnimatedObject; an animation saved after its end has ended.
    bool Load(SerialStream& stream) override;
    void StopAnimation() override;

    // The model and its one animation from the file, not played.
    void LoadModel(const char* name);
    // The model and its one animation from the file, played once at once.
    void LoadAndPlay(const char* name);
    // The same through the given animation scheduler, looping or once.
    void LoadAndPlayOn(const char* name, AnimationScheduler& scheduler, bool loop);
    bool HasAnimationEnded() const { return m_bAnimationEnded; }

private:
    bool m_bAnimationEnded = false;
    // The scheduler the animation was last played on, told when the actor goes.
    AnimationScheduler* m_pScheduler = nullptr;
};
