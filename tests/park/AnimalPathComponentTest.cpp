// Tests of the animal path component: slots for one type's animals, putting an animal on the path model of an
// action and its slot, the paths' restarts and what the animal hears, showing and hiding, the model file names and
// the preload lists, and the save record.
#include "park/AnimalPathComponent.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/park/AnimalTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/ModelObjects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

using namespace animaltest;

namespace
{

using std::tuple;

// The sample dolphin paths last 4 s: 240 ticks of the animation scheduler.
constexpr uint32_t kPathTicks = 240;

class Paths : public testing::Test
{
protected:
    Paths() : path(park.params->FindAnimal("DOLPHIN")) {}
    PathStub* Animal(const char* type = "DOLPHIN") { return static_cast<PathStub*>(park.Make(OBJECT_ANIMAL, type)); }
    // The path model's file name without the folder.
    std::string ModelFile(int32_t action, uint32_t slot) const
    {
        const ModelObject* model = path.GetPathModel(action, slot);
        const std::string name = model ? g_ModelManager.GetName(model->GetModel()) : "";
        return name.substr(name.find_last_of('/') + 1);
    }
    void EndPaths() { g_AnimationScheduler.Update(g_AnimationScheduler.GetTime() + kPathTicks); }

    AnimalPark park;
    AnimalPathComponent path;
};

} // namespace

TEST(AnimalModelNames, NameThePathsAndMeshesOfATypeAndListThemForThePreload)
{
    EXPECT_EQ(AnimalPathModelName("DOLPHIN", ANIMAL_ACTION_EAT, 7),
              "Data/Models/D_Ezize/Characters/Animals/DOLPHIN/DOLPHIN_EAT_07.tm");
    EXPECT_EQ(AnimalMeshName("SEAL", ANIMAL_ACTION_REST, 12),
              "Data/Models/D_Ezize/Characters/Animals/SEAL/SEAL_mesh_REST_12.tm");
    EXPECT_EQ(tuple(std::string(AnimalActionWord(0)), std::string(AnimalActionWord(2)),
                    std::string(AnimalActionWord(4)), std::string(AnimalActionWord(-1))),
              tuple("MOVE", "PLAY", "", ""));
    AnimalInfo seal{};
    std::strcpy(seal.keyword, "SEAL");
    seal.iNumPaths = 2;
    seal.iMoveAnims = 2;
    seal.iEatAnims = 3;
    seal.iPlayAnims = 1;
    seal.iRestAnims = -4;
    const auto files = [](const std::vector<std::string>& names)
    {
        std::vector<std::string> out;
        for (const std::string& name : names)
            out.push_back(name.substr(name.find_last_of('/') + 1));
        return out;
    };
    // Paths: each action in order, each slot; meshes: move, play, rest, eat.
    EXPECT_EQ(files(AnimalPathModelNames(seal)),
              (std::vector<std::string>{"SEAL_MOVE_00.tm", "SEAL_MOVE_01.tm", "SEAL_EAT_00.tm", "SEAL_EAT_01.tm",
                                        "SEAL_PLAY_00.tm", "SEAL_PLAY_01.tm", "SEAL_REST_00.tm", "SEAL_REST_01.tm"}));
    EXPECT_EQ(files(AnimalMeshNames(seal)),
              (std::vector<std::string>{"SEAL_mesh_MOVE_00.tm", "SEAL_mesh_MOVE_01.tm", "SEAL_mesh_PLAY_00.tm",
                                        "SEAL_mesh_EAT_00.tm", "SEAL_mesh_EAT_01.tm", "SEAL_mesh_EAT_02.tm"}));
    // No more paths than the slots of a building.
    seal.iNumPaths = 500;
    EXPECT_EQ(AnimalPathModelNames(seal).size(), 4u * AnimalPathComponent::kSlots);
}

TEST_F(Paths, GiveEachAnimalOfTheirTypeASlotUpToTwenty)
{
    std::vector<PathStub*> animals;
    for (uint32_t i = 0; i < AnimalPathComponent::kSlots; ++i)
    {
        animals.push_back(Animal());
        path.AddAnimal(animals.back()->GetID());
    }
    PathStub* shark = Animal("SHARK");
    path.AddAnimal(shark->GetID());
    PathStub* extra = Animal();
    path.AddAnimal(extra->GetID());
    // The first free slot each, in order; the other type's animal and the 21st get none and keep theirs.
    for (uint32_t i = 0; i < animals.size(); ++i)
        EXPECT_EQ(tuple(animals[i]->pathSlot, path.GetSlot(animals[i]->GetID())), tuple(i, static_cast<int32_t>(i)));
    EXPECT_EQ(tuple(shark->pathSlot, extra->pathSlot, path.GetSlot(extra->GetID()), path.GetAnimals().size()),
              tuple(0xFFFFFFFFu, 0xFFFFFFFFu, -1, size_t{20}));
    // A freed slot is the next taken; an animal is not given a second one.
    path.RemoveAnimal(animals[5]->GetID());
    path.AddAnimal(animals[6]->GetID());
    path.AddAnimal(extra->GetID());
    EXPECT_EQ(tuple(extra->pathSlot, path.GetSlotAnimal(5), path.GetSlot(animals[6]->GetID())),
              tuple(5u, extra->GetID(), 6));
}

TEST_F(Paths, PutAnAnimalOnThePathOfItsSlotTakingItOffTheOneItRode)
{
    Scene& scene = *park.world->m_pScene;
    path.SetPosition(530.0f, 0.0f, 540.0f);
    path.SetOrientation(0.0f, 1.25f, 0.0f);
    PathStub* first = Animal();
    PathStub* second = Animal();
    path.AddAnimal(first->GetID());
    path.AddAnimal(second->GetID());
    path.PutOnPath(AnimalPathComponent::ACTION_MOVE, second->GetID());
    const ModelObject* move = path.GetPathModel(AnimalPathComponent::ACTION_MOVE, 1);
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(tuple(ModelFile(AnimalPathComponent::ACTION_MOVE, 1), move->GetScene() == &scene, move->GetPosition().z,
                    move->GetOrientation().y, move->Carried().Carries(second->GetID()), move->IsAnimating(),
                    path.GetPath(second->GetID())),
              tuple("DOLPHIN_MOVE_01.tm", true, 540.0f, 1.25f, true, true, 0));
    // On the eat path the move path of its slot is gone.
    path.PutOnPath(AnimalPathComponent::ACTION_EAT, second->GetID());
    EXPECT_EQ(tuple(path.GetPathModel(AnimalPathComponent::ACTION_MOVE, 1),
                    ModelFile(AnimalPathComponent::ACTION_EAT, 1), path.GetPath(second->GetID())),
              tuple(nullptr, "DOLPHIN_EAT_01.tm", 1));
    // Another type's animal, or an action that is none, changes nothing; an animal of the type without a slot is
    // reported and stays put.
    PathStub* shark = Animal("SHARK");
    PathStub* late = Animal();
    path.PutOnPath(AnimalPathComponent::ACTION_PLAY, shark->GetID());
    path.PutOnPath(4, first->GetID());
    path.PutOnPath(-1, first->GetID());
    path.PutOnPath(AnimalPathComponent::ACTION_PLAY, late->GetID());
    for (int32_t action = 0; action < 4; ++action)
        EXPECT_EQ(path.GetPathModel(action, 0), nullptr) << action;
    EXPECT_EQ(tuple(path.GetPath(first->GetID()), park.CountReports("holds no path slot")), tuple(-1, size_t{1}));
    // Removed, the animal leaves its path and its slot.
    path.RemoveAnimal(second->GetID());
    EXPECT_EQ(tuple(path.GetPathModel(AnimalPathComponent::ACTION_EAT, 1), path.GetSlot(second->GetID())),
              tuple(nullptr, -1));
}

TEST_F(Paths, TellTheirAnimalWhenAPathEndsAndStartItAgain)
{
    PathStub* animal = Animal();
    path.AddAnimal(animal->GetID());
    path.PutOnPath(AnimalPathComponent::ACTION_REST, animal->GetID());
    const ModelObject* rest = path.GetPathModel(AnimalPathComponent::ACTION_REST, 0);
    path.Update();
    EXPECT_TRUE(Taken(MT_ANIMAL_PATH_FINISHED).empty());
    EndPaths();
    ASSERT_TRUE(rest->HasAnimationEnded());
    path.Update();
    const std::vector<Received> told = Taken(MT_ANIMAL_PATH_FINISHED);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(tuple(told[0].sender, told[0].receiver, told[0].data, rest->HasAnimationEnded(),
                    path.GetPathModel(AnimalPathComponent::ACTION_REST, 0)),
              tuple(animal->GetID(), animal->GetID(), 0u, false, rest));
    // An animal that answers by asking for another path is put on it; the path it left is not started again.
    animal->onMessage = [&](PathStub& self, const MessageRecord& record)
    {
        if (record.dwType == MT_ANIMAL_PATH_FINISHED)
            path.PutOnPath(AnimalPathComponent::ACTION_PLAY, self.GetID());
    };
    EndPaths();
    path.Update();
    const ModelObject* play = path.GetPathModel(AnimalPathComponent::ACTION_PLAY, 0);
    EXPECT_EQ(tuple(path.GetPathModel(AnimalPathComponent::ACTION_REST, 0), play != nullptr,
                    Taken(MT_ANIMAL_PATH_FINISHED).size()),
              tuple(nullptr, true, size_t{2}));
    EXPECT_TRUE(play->IsAnimating() && !play->HasAnimationEnded());
}

TEST_F(Paths, ShowAndHideTheirPathsNewOnesAsTheOthers)
{
    PathStub* first = Animal();
    PathStub* second = Animal();
    path.AddAnimal(first->GetID());
    path.AddAnimal(second->GetID());
    path.PutOnPath(AnimalPathComponent::ACTION_MOVE, first->GetID());
    path.SetVisible(false);
    path.PutOnPath(AnimalPathComponent::ACTION_PLAY, second->GetID());
    EXPECT_EQ(tuple(path.IsVisible(), path.GetPathModel(0, 0)->IsVisible(), path.GetPathModel(2, 1)->IsVisible()),
              tuple(false, false, false));
    path.SetVisible(true);
    EXPECT_EQ(tuple(path.GetPathModel(0, 0)->IsVisible(), path.GetPathModel(2, 1)->IsVisible()), tuple(true, true));
}

TEST_F(Paths, PreloadTheirTypesPathsAndMeshes)
{
    // The sample data has two paths of each action.
    park.params->GetAnimalInfo(park.params->FindAnimal("DOLPHIN")).iNumPaths = 2;
    g_ModelManager.Init(256, false);
    AnimalPathComponent::PreloadAnimations(park.params->FindAnimal("DOLPHIN"));
    AnimalPathComponent::PreloadMeshes(park.params->FindAnimal("DOLPHIN"));
    AnimalPathComponent::PreloadMeshes(99);
    // Two paths of each action and five meshes, each loaded once: a second load of any is only counted.
    const AnimalInfo& dolphin = park.params->GetAnimalInfo(park.params->FindAnimal("DOLPHIN"));
    for (const std::vector<std::string>& names : {AnimalPathModelNames(dolphin), AnimalMeshNames(dolphin)})
    {
        for (const std::string& name : names)
        {
            const uint32_t handle = g_ModelManager.Load(name.c_str());
            EXPECT_EQ(g_ModelManager.GetRefCount(handle), 2u) << name;
        }
    }
}

TEST_F(Paths, SaveTheirSlotsPathsAndPlacesAndRideThemAgainAfterALoad)
{
    path.SetPosition(1.0f, 2.0f, 3.0f);
    path.SetOrientation(0.0f, 0.5f, 0.0f);
    PathStub* first = Animal();
    PathStub* second = Animal();
    path.AddAnimal(first->GetID());
    path.AddAnimal(second->GetID());
    path.PutOnPath(AnimalPathComponent::ACTION_PLAY, first->GetID());
    path.PutOnPath(AnimalPathComponent::ACTION_MOVE, second->GetID());
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { path.Dump(s); });
    // The slots, then the four actions' entries, each an array of 20 words.
    savebytes::Bytes expected;
    const auto array = [&](std::vector<uint32_t> values)
    {
        values.resize(20, 0xFFFFFFFF);
        savebytes::Tagged(expected, 10, 20);
        for (uint32_t v : values)
            savebytes::U32(expected, v);
    };
    array({first->GetID(), second->GetID()});
    array({kNoObjectID, second->GetID()});
    array({});
    array({first->GetID()});
    array({});
    EXPECT_EQ(savebytes::Bytes(saved.begin(), saved.begin() + expected.size()), expected);

    AnimalPathComponent copy(park.params->FindAnimal("DOLPHIN"));
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return copy.Load(s); }));
    copy.PostLoad();
    EXPECT_EQ(savebytes::Saved([&](SerialStream& s) { copy.Dump(s); }), saved);
    EXPECT_EQ(tuple(copy.GetAnimals(), copy.GetPath(first->GetID()), copy.GetPath(second->GetID()),
                    copy.GetPathModel(2, 0)->Carried().Carries(first->GetID()),
                    copy.GetPathModel(0, 1)->Carried().Carries(second->GetID()), copy.GetPosition().z,
                    copy.GetOrientation().y, copy.GetPathModel(0, 1)->GetScene() == park.world->m_pScene.get()),
              tuple(path.GetAnimals(), 2, 0, true, true, 3.0f, 0.5f, true));
    // Cut short: refused and left empty.
    AnimalPathComponent damaged(park.params->FindAnimal("DOLPHIN"));
    EXPECT_FALSE(savebytes::LoadFrom(savebytes::Bytes(saved.begin(), saved.end() - 7),
                                     [&](SerialStream& s) { return damaged.Load(s); }));
    EXPECT_EQ(tuple(damaged.GetAnimals().size(), damaged.GetPathModel(2, 0)), tuple(size_t{0}, nullptr));
}

TEST(PathTypes, AreKnownByTheAnimalsNamesEvenCutShortAndWithoutTablesNoAnimalIsOfTheirType)
{
    // A type's keyword longer than an object's name: its animals carry the keyword's first 15 characters.
    const std::string longType = "LEOPARDSEALCALVES";
    AnimalPark park(AnimalTables() + tablestest::Record("ANIMAL", longType.c_str(), "COST=1|MOVE_ANIMS=1|NUM_PATHS=2"));
    const int32_t longId = park.params->FindAnimal(longType.c_str());
    ASSERT_GE(longId, 0);
    const uint32_t calf = park.Make(OBJECT_ANIMAL, longType.c_str())->GetID();
    const uint32_t dolphin = park.Make(OBJECT_ANIMAL, "DOLPHIN")->GetID();
    const struct
    {
        const char* what;
        int32_t type;
        uint32_t animal;
        bool tables;
        int32_t slot;
    } rows[] = {
        {"a long-named type's animal", longId, calf, true, 0},
        {"another type's animal", longId, dolphin, true, -1},
        {"a type the tables lack", 99, dolphin, true, -1},
        {"a negative type", -1, dolphin, true, -1},
        {"no tables", park.params->FindAnimal("DOLPHIN"), dolphin, false, -1},
    };
    for (const auto& row : rows)
    {
        AnimalPathComponent path(row.type);
        WorldParams* const tables = g_pWorldParams;
        if (!row.tables)
            g_pWorldParams = nullptr;
        path.AddAnimal(row.animal);
        path.PutOnPath(AnimalPathComponent::ACTION_MOVE, row.animal);
        g_pWorldParams = tables;
        EXPECT_EQ(tuple(path.GetSlot(row.animal), path.GetPathModel(0, 0) != nullptr), tuple(row.slot, row.slot == 0))
            << row.what;
    }
}

namespace
{

// A damaged record whose slots and paths disagree (a path of a slot carrying an animal that is not the slot's, or an
// animal named in two slots) loads what holds together: once every animal has left, no path model is left behind,
// nor a slot taken.
TEST_F(Paths, LeaveNoPathBehindTheirAnimalsAfterLoadingSlotsAndPathsThatDisagree)
{
    PathStub* first = Animal();
    PathStub* second = Animal();
    path.AddAnimal(first->GetID());
    path.AddAnimal(second->GetID());
    path.PutOnPath(AnimalPathComponent::ACTION_PLAY, first->GetID());
    path.PutOnPath(AnimalPathComponent::ACTION_MOVE, second->GetID());
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& s) { path.Dump(s); });
    // The slots' array, then the four actions' (MOVE, EAT, PLAY, REST): each a tag and a count (5 bytes) and 20
    // words.
    const auto word = [](size_t array, size_t index) { return array * 85 + 5 + index * 4; };
    struct Case
    {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const Case cases[] = {
        {"the first animal's slot is free, its play path still carries it", word(0, 0), kNoObjectID},
        {"the second animal holds two slots", word(0, 0), second->GetID()},
        {"the second animal's move path carries the first", word(1, 1), first->GetID()},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        savebytes::Bytes bytes = saved;
        std::memcpy(&bytes[c.at], &c.value, 4);
        AnimalPathComponent copy(park.params->FindAnimal("DOLPHIN"));
        ASSERT_TRUE(savebytes::LoadFrom(bytes, [&](SerialStream& s) { return copy.Load(s); }));
        copy.PostLoad();
        copy.RemoveAnimal(first->GetID());
        copy.RemoveAnimal(second->GetID());
        EXPECT_TRUE(copy.GetAnimals().empty());
        int models = 0;
        for (int32_t action = 0; action < AnimalPathComponent::ACTION_COUNT; ++action)
        {
            for (uint32_t slot = 0; slot < AnimalPathComponent::kSlots; ++slot)
                models += copy.GetPathModel(action, slot) != nullptr ? 1 : 0;
        }
        EXPECT_EQ(models, 0);
    }
}

} // namespace
