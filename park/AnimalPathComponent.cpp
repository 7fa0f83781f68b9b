// AnimalPathComponent: slots, putting animals on their paths, the paths' restarts and the component's save
// record.
#include "park/AnimalPathComponent.h"

#include "engine/core/Logger.h"
#include "engine/core/SerialStream.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "world/BaseObject.h"
#include "world/MessageHandler.h"
#include "world/ModelObjects.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{

const AnimalInfo* TypeOf(int32_t id)
{
    if (!g_pWorldParams || id < 0 || static_cast<uint32_t>(id) >= g_pWorldParams->GetAnimalCount())
        return nullptr;
    return &g_pWorldParams->GetAnimalInfo(id);
}

BaseObject* FindObject(uint32_t id)
{
    return g_pObjectManager ? g_pObjectManager->GetObject(id) : nullptr;
}

} // namespace

AnimalPathComponent::AnimalPathComponent(int32_t animalType) : m_iAnimalType(animalType)
{
    std::fill(std::begin(m_PathAnimals), std::end(m_PathAnimals), kNoAnimal);
    for (auto& action : m_AnimalsOnPath)
        std::fill(std::begin(action), std::end(action), kNoAnimal);
    SetVisible(true);
}

AnimalPathComponent::~AnimalPathComponent() = default;

void AnimalPathComponent::SetPosition(float x, float y, float z)
{
    m_Position = {x, y, z};
}

void AnimalPathComponent::SetOrientation(float x, float y, float z)
{
    m_Orientation = {x, y, z};
}

bool AnimalPathComponent::IsOwnType(uint32_t animal) const
{
    const AnimalInfo* type = TypeOf(m_iAnimalType);
    const BaseObject* object = FindObject(animal);
    if (!type || !object)
        return false;
    // An object's name is its type's keyword, cut to the length a name holds.
    const std::string keyword = std::string(type->keyword).substr(0, BaseObject::MAX_NAMESIZE - 1);
    return keyword == object->GetName();
}

int32_t AnimalPathComponent::GetSlot(uint32_t animal) const
{
    if (animal == kNoAnimal)
        return -1;
    for (uint32_t slot = 0; slot < kSlots; ++slot)
    {
        if (m_PathAnimals[slot] == animal)
            return static_cast<int32_t>(slot);
    }
    return -1;
}

std::vector<uint32_t> AnimalPathComponent::GetAnimals() const
{
    std::vector<uint32_t> animals;
    for (uint32_t id : m_PathAnimals)
    {
        if (id != kNoAnimal)
            animals.push_back(id);
    }
    return animals;
}

int32_t AnimalPathComponent::GetPath(uint32_t animal) const
{
    const int32_t slot = GetSlot(animal);
    for (int32_t action = 0; slot >= 0 && action < ACTION_COUNT; ++action)
    {
        if (m_AnimalsOnPath[action][slot] == animal)
            return action;
    }
    return -1;
}

const ModelObject* AnimalPathComponent::GetPathModel(int32_t action, uint32_t slot) const
{
    return action >= 0 && action < ACTION_COUNT && slot < kSlots ? m_Models[action][slot].get() : nullptr;
}

void AnimalPathComponent::AddAnimal(uint32_t animal)
{
    if (!IsOwnType(animal) || GetSlot(animal) >= 0)
        return;
    for (uint32_t slot = 0; slot < kSlots; ++slot)
    {
        if (m_PathAnimals[slot] == kNoAnimal)
        {
            m_PathAnimals[slot] = animal;
            if (auto* pathAnimal = dynamic_cast<PathAnimal*>(FindObject(animal)))
                pathAnimal->SetPathSlot(slot);
            return;
        }
    }
}

void AnimalPathComponent::DeleteModel(int32_t action, uint32_t slot)
{
    if (ModelObject* model = m_Models[action][slot].get())
    {
        if (Scene* scene = g_pWorld ? g_pWorld->GetScene() : nullptr)
            scene->RemoveObject(model);
    }
    m_Models[action][slot].reset();
    m_AnimalsOnPath[action][slot] = kNoAnimal;
}

void AnimalPathComponent::TakeOffPaths(uint32_t slot, uint32_t animal)
{
    for (int32_t action = 0; action < ACTION_COUNT; ++action)
    {
        if (m_AnimalsOnPath[action][slot] != animal)
            continue;
        if (ModelObject* model = m_Models[action][slot].get())
            model->Carried().Detach(animal);
        DeleteModel(action, slot);
    }
}

void AnimalPathComponent::RemoveAnimal(uint32_t animal)
{
    // Only this type's animals hold its slots.
    const int32_t slot = GetSlot(animal);
    if (slot < 0)
        return;
    TakeOffPaths(static_cast<uint32_t>(slot), animal);
    m_PathAnimals[slot] = kNoAnimal;
}

std::unique_ptr<ModelObject> AnimalPathComponent::MakeModel(int32_t action, uint32_t slot) const
{
    const AnimalInfo* type = TypeOf(m_iAnimalType);
    auto model = std::make_unique<ModelObject>();
    model->LoadModel(AnimalPathModelName(type ? type->keyword : "", action, static_cast<int32_t>(slot)).c_str());
    model->SetPosition(m_Position.x, m_Position.y, m_Position.z);
    model->SetOrientation(m_Orientation.x, m_Orientation.y, m_Orientation.z);
    model->SetVisible(m_bVisible);
    if (Scene* scene = g_pWorld ? g_pWorld->GetScene() : nullptr)
        scene->AddObject(model.get());
    return model;
}

void AnimalPathComponent::PutOnPath(int32_t action, uint32_t animal)
{
    if (action < 0 || action >= ACTION_COUNT)
        return;
    const int32_t slot = GetSlot(animal);
    if (slot < 0)
    {
        // Another type's animal is another component's; one of this type without a slot has no path to ride.
        if (IsOwnType(animal))
            GetLogger()->Report(1, "AnimalPathComponent::PutOnPath - animal %u holds no path slot: it stays put",
                                animal);
        return;
    }
    TakeOffPaths(static_cast<uint32_t>(slot), animal);
    std::unique_ptr<ModelObject>& model = m_Models[action][slot];
    model = MakeModel(action, static_cast<uint32_t>(slot));
    model->Carried().Attach(*model, animal);
    m_AnimalsOnPath[action][slot] = animal;
    model->PlayAnimation();
}

void AnimalPathComponent::SetVisible(bool visible)
{
    m_bVisible = visible;
    for (auto& action : m_Models)
    {
        for (std::unique_ptr<ModelObject>& model : action)
        {
            if (model)
                model->SetVisible(visible);
        }
    }
}

void AnimalPathComponent::Update()
{
    for (int32_t action = 0; action < ACTION_COUNT; ++action)
    {
        for (uint32_t slot = 0; slot < kSlots; ++slot)
        {
            ModelObject* model = m_Models[action][slot].get();
            if (!model || !model->HasAnimationEnded())
                continue;
            const uint32_t animal = m_AnimalsOnPath[action][slot];
            if (animal != kNoAnimal && g_pMessageHandler)
                g_pMessageHandler->Send({animal, animal, MT_ANIMAL_PATH_FINISHED});
            // The animal may have been put on another path meanwhile, which replaced this one.
            model = m_Models[action][slot].get();
            if (model && model->HasAnimationEnded())
                model->PlayAnimation();
        }
    }
}

void AnimalPathComponent::PostLoad()
{
    for (int32_t action = 0; action < ACTION_COUNT; ++action)
    {
        for (uint32_t slot = 0; slot < kSlots; ++slot)
        {
            ModelObject* model = m_Models[action][slot].get();
            const uint32_t animal = m_AnimalsOnPath[action][slot];
            if (model && animal != kNoAnimal && !model->Carried().Carries(animal))
                model->Carried().Attach(*model, animal);
        }
    }
}

void AnimalPathComponent::Dump(SerialStream& stream) const
{
    stream.WriteUIntArray("m_PathAnimals", m_PathAnimals, kSlots);
    for (const auto& action : m_AnimalsOnPath)
        stream.WriteUIntArray("m_AnimalsOnPath", action, kSlots);
    for (int32_t action = 0; action < ACTION_COUNT; ++action)
    {
        for (uint32_t slot = 0; slot < kSlots; ++slot)
        {
            if (m_AnimalsOnPath[action][slot] != kNoAnimal && m_Models[action][slot])
                m_Models[action][slot]->Dump(stream);
        }
    }
    stream.WriteFloat("m_Position.vx", m_Position.x);
    stream.WriteFloat("m_Position.vy", m_Position.y);
    stream.WriteFloat("m_Position.vz", m_Position.z);
    stream.WriteFloat("m_Orientation.vx", m_Orientation.x);
    stream.WriteFloat("m_Orientation.vy", m_Orientation.y);
    stream.WriteFloat("m_Orientation.vz", m_Orientation.z);
}

bool AnimalPathComponent::Load(SerialStream& stream)
{
    for (int32_t action = 0; action < ACTION_COUNT; ++action)
    {
        for (uint32_t slot = 0; slot < kSlots; ++slot)
            DeleteModel(action, slot);
    }
    stream.ReadUIntArray(m_PathAnimals, kSlots);
    for (auto& action : m_AnimalsOnPath)
        stream.ReadUIntArray(action, kSlots);
    bool good = stream.Good();
    for (int32_t action = 0; good && action < ACTION_COUNT; ++action)
    {
        for (uint32_t slot = 0; good && slot < kSlots; ++slot)
        {
            if (m_AnimalsOnPath[action][slot] == kNoAnimal)
                continue;
            m_Models[action][slot] = MakeModel(action, slot);
            good = m_Models[action][slot]->Load(stream);
        }
    }
    platform::Vec3 position, orientation;
    stream.ReadFloat(&position.x);
    stream.ReadFloat(&position.y);
    stream.ReadFloat(&position.z);
    stream.ReadFloat(&orientation.x);
    stream.ReadFloat(&orientation.y);
    stream.ReadFloat(&orientation.z);
    if (!good || !stream.Good())
    {
        GetLogger()->Report(0, "AnimalPathComponent::Load - the saved paths are damaged or cut short");
        for (int32_t action = 0; action < ACTION_COUNT; ++action)
        {
            for (uint32_t slot = 0; slot < kSlots; ++slot)
                DeleteModel(action, slot);
        }
        std::fill(std::begin(m_PathAnimals), std::end(m_PathAnimals), kNoAnimal);
        return false;
    }
    // An animal holds one slot, and a slot's paths carry only its animal: what a damaged record says beyond that is
    // let go, or the animal would ride paths its leaving never takes away, or keep a slot for good.
    bool mended = false;
    for (uint32_t slot = 0; slot < kSlots; ++slot)
    {
        const uint32_t animal = m_PathAnimals[slot];
        if (animal != kNoAnimal && std::find(m_PathAnimals, m_PathAnimals + slot, animal) != m_PathAnimals + slot)
        {
            m_PathAnimals[slot] = kNoAnimal;
            mended = true;
        }
        for (int32_t action = 0; action < ACTION_COUNT; ++action)
        {
            if (m_AnimalsOnPath[action][slot] != kNoAnimal && m_AnimalsOnPath[action][slot] != m_PathAnimals[slot])
            {
                DeleteModel(action, slot);
                mended = true;
            }
        }
    }
    if (mended)
        GetLogger()->Report(0, "AnimalPathComponent::Load - the saved slots and paths disagree: the paths of animals "
                               "without their slot are left out");
    m_Position = position;
    m_Orientation = orientation;
    return true;
}

void AnimalPathComponent::PreloadAnimations(int32_t animalType)
{
    if (const AnimalInfo* type = TypeOf(animalType))
    {
        for (const std::string& name : AnimalPathModelNames(*type))
            g_ModelManager.Load(name.c_str());
    }
}

void AnimalPathComponent::PreloadMeshes(int32_t animalType)
{
    if (const AnimalInfo* type = TypeOf(animalType))
    {
        for (const std::string& name : AnimalMeshNames(*type))
            g_ModelManager.Load(name.c_str());
    }
}
