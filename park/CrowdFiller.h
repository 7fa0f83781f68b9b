// CrowdFiller: the seated spectators of a show building's stands. Three figures sit down on free seats (the
// attachment points of the building's model) for every guest who joins the audience and three leave with each
// guest who goes; the figures cheer when the show starts, after each move and at its end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CrowdPerson;
class SceneObject;
class SerialStream;

class CrowdFiller
{
public:
    // What the crowd reacts to.
    enum Reaction : int32_t
    {
        REACT_SHOW_STARTING = 0,
        REACT_MOVE_FINISHED = 3,
        REACT_SHOW_FINISHED = 4,
    };
    static constexpr int32_t kFiguresPerGuest = 3;
    // Family meshes: 0 mother, 1 retired woman, 2 girl, 3 father, 4 retired man, 5 boy.
    static constexpr int32_t kFamilyCount = 6;
    // Draws of a random seat before the first free seat from 0 is taken.
    static constexpr int32_t kSeatDraws = 10;
    // The anim-list key of the crowd's animations and the animation names the figures play.
    static constexpr const char* kAnimListKey = "CROWDFILLER";
    static constexpr const char* kSitNormal = "SIT_NORMAL";
    static constexpr const char* kSitCheer = "SIT_CHEER";
    // A cheer starts within this many seconds of its cause.
    static constexpr float kCheerStartSpread = 0.3f;
    // Most figures a saved crowd may hold: three for each guest a park holds.
    static constexpr int32_t kMostFigures = 4500;

    // The crowd's animations from the anim list (each entry's files "<stem>_NN" in the crowd model folder).
    CrowdFiller();
    // Every figure leaves its seat and goes.
    ~CrowdFiller();
    CrowdFiller(const CrowdFiller&) = delete;
    CrowdFiller& operator=(const CrowdFiller&) = delete;

    void SetOwner(uint32_t owner) { m_Owner = owner; }
    // Three figures sit down: as many as there are free seats.
    void AddPeople();
    // Three figures leave, the oldest first: as many as there are.
    void RemovePeople();
    // Some figures cheer for a while: 0 show starting, 3 a move finished, 4 show finished; other codes nothing.
    void React(int32_t code);
    // Moves the figures' animation timers on by the frame's game time.
    void Update(float delta);
    // Seats the saved figures again, with their family meshes, once the building exists.
    void PostLoad();

    void Dump(SerialStream& stream) const;
    // False, with a report, when the record is cut short or holds more figures than a park's audience, or a family
    // mesh or a seat that does not exist: the crowd is then left empty.
    bool Load(SerialStream& stream);

    uint32_t GetOwner() const { return m_Owner; }
    int32_t GetFigureCount() const { return static_cast<int32_t>(m_Figures.size()); }
    const std::vector<int32_t>& GetSlots() const { return m_SlotList; }
    const std::vector<int32_t>& GetFamilies() const { return m_ModelIDList; }
    const CrowdPerson* GetFigure(size_t i) const { return i < m_Figures.size() ? m_Figures[i].get() : nullptr; }
    // The animations every figure is given, in order: (name, model handle).
    const std::vector<std::pair<std::string, uint32_t>>& GetAnimations() const { return m_Animations; }
    // The index of an animation of that name (case ignored), one at random among several; -1 when there is none.
    int32_t FindAnimation(const char* name) const;
    // The family mesh file of a family index.
    static std::string FamilyModel(int32_t family);

private:
    // The building whose model holds the seats, or null.
    SceneObject* Stands() const;
    // A free seat, or -1 when every seat is taken (or there are none).
    int32_t ChooseSeat(const SceneObject& stands) const;
    // Makes the figure of a family and seats it; false when the seat is not free.
    bool Seat(SceneObject& stands, int32_t seat, int32_t family);
    void RemoveFigure(size_t i);

    uint32_t m_Owner = 0xFFFFFFFF;
    int32_t m_State = 0;
    std::vector<int32_t> m_SlotList;
    std::vector<int32_t> m_ModelIDList;
    std::vector<std::unique_ptr<CrowdPerson>> m_Figures;
    std::vector<std::pair<std::string, uint32_t>> m_Animations;
};
