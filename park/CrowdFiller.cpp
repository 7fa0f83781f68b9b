// CrowdFiller: seating and unseating the figures, their cheers, and the crowd's save record.
#include "park/CrowdFiller.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/render/ModelManager.h"
#include "platform/Random.h"
#include "scripts/WorldParams.h"
#include "world/BaseObject.h"
#include "world/ModelObjects.h"
#include "world/ObjectManager.h"

#include <cstdio>
#include <strings.h>

namespace
{

constexpr const char* kFamilyMeshes[CrowdFiller::kFamilyCount] = {"mother_mesh", "retired_f_mesh", "child_f_mesh",
                                                                  "father_mesh", "retired_m_mesh", "child_m_mesh"};

float Random01()
{
    return static_cast<float>(platform::Rand()) / static_cast<float>(platform::kRandMax);
}

// How a cheer goes: its chance and the shortest and longest time before the figure sits back.
struct Cheer
{
    float chance;
    float shortest;
    float longest;
};

bool CheerOf(int32_t code, Cheer& cheer)
{
    switch (code)
    {
    case CrowdFiller::REACT_SHOW_STARTING:
        cheer = {0.75f, 5.5f, 10.5f};
        return true;
    case CrowdFiller::REACT_MOVE_FINISHED:
        cheer = {0.75f, 3.0f, 7.5f};
        return true;
    case CrowdFiller::REACT_SHOW_FINISHED:
        cheer = {0.95f, 7.5f, 15.0f};
        return true;
    default:
        return false;
    }
}

} // namespace

CrowdFiller::CrowdFiller()
{
    if (!g_pWorldParams)
        return;
    std::vector<const AnimListEntry*> entries;
    g_pWorldParams->GetAnimList(kAnimListKey, entries);
    for (const AnimListEntry* entry : entries)
    {
        for (int32_t j = 0; j < entry->iFileCount && j < AnimListEntry::kMaxFiles; ++j)
        {
            char path[256];
            std::snprintf(path, sizeof path, "%s%s_%02d%s", WorldParams::GetCrowdModelPath(), entry->szFileStem, j,
                          WorldParams::GetModelExtension());
            m_Animations.emplace_back(entry->szAnimName, g_ModelManager.Load(path));
        }
    }
}

CrowdFiller::~CrowdFiller()
{
    SceneObject* stands = Stands();
    for (const std::unique_ptr<CrowdPerson>& figure : m_Figures)
    {
        if (stands)
            stands->RemoveAttachment(figure.get());
    }
}

std::string CrowdFiller::FamilyModel(int32_t family)
{
    char path[256];
    std::snprintf(path, sizeof path, "%s%s%s", WorldParams::GetCrowdModelPath(),
                  family >= 0 && family < kFamilyCount ? kFamilyMeshes[family] : "", WorldParams::GetModelExtension());
    return path;
}

SceneObject* CrowdFiller::Stands() const
{
    return g_pObjectManager ? g_pObjectManager->GetObject(m_Owner) : nullptr;
}

int32_t CrowdFiller::FindAnimation(const char* name) const
{
    std::vector<int32_t> matches;
    for (size_t i = 0; i < m_Animations.size(); ++i)
    {
        if (name && strcasecmp(m_Animations[i].first.c_str(), name) == 0)
            matches.push_back(static_cast<int32_t>(i));
    }
    if (matches.empty())
        return -1;
    return matches[static_cast<size_t>(platform::Rand()) % matches.size()];
}

int32_t CrowdFiller::ChooseSeat(const SceneObject& stands) const
{
    const int32_t seats = static_cast<int32_t>(stands.GetAttachmentCount());
    int32_t firstFree = -1;
    for (int32_t s = 0; s < seats && firstFree < 0; ++s)
        firstFree = stands.HasAttachment(static_cast<uint32_t>(s)) ? -1 : s;
    // Every seat taken, or none at all: nobody more sits down.
    if (firstFree < 0)
        return -1;
    for (int32_t draw = 0; draw < kSeatDraws; ++draw)
    {
        for (int32_t s = platform::Rand() % seats; s < seats; ++s)
        {
            if (!stands.HasAttachment(static_cast<uint32_t>(s)))
                return s;
        }
    }
    return firstFree;
}

bool CrowdFiller::Seat(SceneObject& stands, int32_t seat, int32_t family)
{
    if (seat < 0 || static_cast<uint32_t>(seat) >= stands.GetAttachmentCount() ||
        stands.HasAttachment(static_cast<uint32_t>(seat)))
        return false;
    auto figure = std::make_unique<CrowdPerson>();
    figure->SetModel(FamilyModel(family).c_str());
    figure->SetAnimationCount(static_cast<uint32_t>(m_Animations.size()));
    for (size_t i = 0; i < m_Animations.size(); ++i)
        figure->SetAnimation(static_cast<uint32_t>(i), m_Animations[i].second);
    const int32_t sitting = FindAnimation(kSitNormal);
    if (sitting >= 0)
        figure->PlayAnimation(static_cast<uint32_t>(sitting), true);
    stands.SetAttachment(static_cast<uint32_t>(seat), figure.get());
    m_Figures.push_back(std::move(figure));
    return true;
}

void CrowdFiller::AddPeople()
{
    SceneObject* stands = Stands();
    if (!stands)
        return;
    for (int32_t i = 0; i < kFiguresPerGuest; ++i)
    {
        const int32_t seat = ChooseSeat(*stands);
        if (seat < 0)
            return;
        const int32_t family = platform::Rand() % kFamilyCount;
        if (!Seat(*stands, seat, family))
            return;
        m_SlotList.push_back(seat);
        m_ModelIDList.push_back(family);
    }
}

void CrowdFiller::RemoveFigure(size_t i)
{
    if (SceneObject* stands = Stands())
        stands->RemoveAttachment(m_Figures[i].get());
    m_Figures.erase(m_Figures.begin() + static_cast<std::ptrdiff_t>(i));
    m_SlotList.erase(m_SlotList.begin() + static_cast<std::ptrdiff_t>(i));
    m_ModelIDList.erase(m_ModelIDList.begin() + static_cast<std::ptrdiff_t>(i));
}

void CrowdFiller::RemovePeople()
{
    for (int32_t i = 0; i < kFiguresPerGuest && !m_Figures.empty(); ++i)
        RemoveFigure(0);
}

void CrowdFiller::React(int32_t code)
{
    Cheer cheer;
    if (!CheerOf(code, cheer))
        return;
    for (const std::unique_ptr<CrowdPerson>& figure : m_Figures)
    {
        if (Random01() > cheer.chance)
            continue;
        const int32_t cheering = FindAnimation(kSitCheer);
        const int32_t sitting = FindAnimation(kSitNormal);
        const float start = Random01() * kCheerStartSpread;
        const float length = cheer.shortest + Random01() * (cheer.longest - cheer.shortest);
        // A crowd without the animations has nothing to show.
        if (cheering >= 0 && sitting >= 0)
            figure->ScheduleAnimations(static_cast<uint32_t>(cheering), static_cast<uint32_t>(sitting), length, start);
    }
}

void CrowdFiller::Update(float delta)
{
    for (const std::unique_ptr<CrowdPerson>& figure : m_Figures)
        figure->UpdateTimers(delta);
}

void CrowdFiller::PostLoad()
{
    SceneObject* stands = Stands();
    const std::vector<int32_t> slots = std::move(m_SlotList), families = std::move(m_ModelIDList);
    m_SlotList.clear();
    m_ModelIDList.clear();
    bool lost = false;
    for (size_t i = 0; i < slots.size(); ++i)
    {
        if (stands && Seat(*stands, slots[i], families[i]))
        {
            m_SlotList.push_back(slots[i]);
            m_ModelIDList.push_back(families[i]);
        }
        else
        {
            lost = true;
        }
    }
    if (lost)
        GetLogger()->Report(1, "CrowdFiller::PostLoad - saved figures of building %u have no seat: they are left out",
                            m_Owner);
}

void CrowdFiller::Dump(SerialStream& stream) const
{
    stream.WriteUInt("m_Owner", m_Owner);
    stream.WriteInt("m_State", m_State);
    stream.WriteInt("m_SlotSize.size", static_cast<int32_t>(m_SlotList.size()));
    for (int32_t slot : m_SlotList)
        stream.WriteInt("m_SlotList", slot);
    stream.WriteInt("m_ModelIDList.size", static_cast<int32_t>(m_ModelIDList.size()));
    for (int32_t family : m_ModelIDList)
        stream.WriteInt("m_ModelIDList", family);
}

bool CrowdFiller::Load(SerialStream& stream)
{
    while (!m_Figures.empty())
        RemoveFigure(m_Figures.size() - 1);
    uint32_t owner = 0;
    int32_t state = 0;
    stream.ReadUInt(&owner);
    stream.ReadInt(&state);
    std::vector<int32_t> lists[2];
    bool good = true;
    for (std::vector<int32_t>& list : lists)
    {
        int32_t count = 0;
        stream.ReadInt(&count);
        if (count < 0 || count > kMostFigures)
        {
            good = false;
            break;
        }
        list.resize(static_cast<size_t>(count));
        for (int32_t& value : list)
            stream.ReadInt(&value);
    }
    good = good && stream.Good() && lists[0].size() == lists[1].size();
    for (size_t i = 0; good && i < lists[0].size(); ++i)
        good = lists[0][i] >= 0 && lists[1][i] >= 0 && lists[1][i] < kFamilyCount;
    if (!good)
    {
        GetLogger()->Report(0, "CrowdFiller::Load - the saved crowd is damaged or cut short");
        return false;
    }
    m_Owner = owner;
    m_State = state;
    m_SlotList = std::move(lists[0]);
    m_ModelIDList = std::move(lists[1]);
    return true;
}
