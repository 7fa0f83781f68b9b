// Tests of the scene and its quadtree: cell layout and filing by box, insert, move and remove across cells, the
// top heights, culling against a known view, drawing grouped by model with effects last, ray picking through
// moved and turned instances, and the radius count and collection.
#include "engine/render/Scene.h"

#include "ModelTestFiles.h"
#include "engine/render/BillboardList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace
{

using platform::Vec3;

// An object without a model that records the order it was drawn in.
class Probe : public SceneObject
{
public:
    Probe(uint32_t kind, Vec3 position, uint32_t model = kNoModel, std::vector<const Probe*>* log = nullptr)
        : SceneObject(kind), m_pLog(log)
    {
        m_hModel = model;
        SetPositionVec(position);
    }
    bool Render() override
    {
        if (m_pLog)
            m_pLog->push_back(this);
        return true;
    }
    void SetRadius(float r) { m_fRadius = r; }
    void SetCentreY(float y) { m_Centre.y = y; }

private:
    std::vector<const Probe*>* m_pLog;
};

// Level-L cell of column cx, row rz, worked out from the level sizes 1, 4, 16, 64, 256, 1024.
uint32_t CellAt(uint32_t level, uint32_t cx, uint32_t rz)
{
    static const uint32_t kBase[] = {0, 1, 5, 21, 85, 341};
    return kBase[level] + rz * (1u << level) + cx;
}

TEST(SceneTree, LayoutAndFilingByBox)
{
    // Sizes round up to the power of two above their highest bit, and to at least 32, so that the finest of the
    // 32 columns is a whole unit.
    const struct
    {
        float size;
        uint32_t rounded;
    } sizes[] = {{0.5f, 32}, {10, 32}, {31, 32}, {32, 64}, {64, 128}, {1000, 1024}, {1024, 2048}};
    for (const auto& c : sizes)
    {
        SceneTree sized;
        ASSERT_TRUE(sized.Open({3, 4, 5}, {c.size, 1, 7}));
        EXPECT_TRUE(sized.GetRoundedSizeX() == c.rounded && sized.GetFineCellX() == (c.rounded / 32)) << c.size;
        EXPECT_TRUE(sized.GetFineCellZ() == 1u && sized.GetOrigin().z == 5.0f);
    }
    SceneTree tree;
    ASSERT_TRUE(tree.Open({0, 0, 0}, {1000, 500, 1000}));
    EXPECT_TRUE(!(tree.Open({0, 0, 0}, {1000, 500, 1000})) && tree.GetExtent().y == 100.0f);
    EXPECT_EQ(tree.GetExtent().x, 1000.0f);
    for (uint32_t level = 0; level <= 5; ++level)
        EXPECT_EQ(SceneTree::LevelBase(level), CellAt(level, 0, 0));
    EXPECT_TRUE(SceneTree::LevelOf(1364) == 5u && SceneTree::LevelOf(340) == 4u);

    // clang-format off
    const struct { Vec3 min, max; uint32_t cell; } cases[] = {
        {{0, 0, 0}, {31, 5, 31}, CellAt(5, 0, 0)}, {{40, 0, 70}, {50, 5, 80}, CellAt(5, 1, 2)},
        {{1000, 0, 1000}, {1020, 5, 1020}, CellAt(5, 31, 31)},
        // Rounded to the nearest whole unit: 31.6 is 32, the next column.
        {{31.6f, 0, 0}, {40, 5, 10}, CellAt(5, 1, 0)}, {{30, 0, 0}, {40, 5, 10}, CellAt(4, 0, 0)},
        {{100, 0, 100}, {200, 5, 120}, CellAt(2, 0, 0)}, {{500, 0, 10}, {520, 5, 20}, 0}, // crosses x = 512
        {{10, 0, 10}, {20, 129, 20}, 0}, // top above 128
        {{10, 0, 10}, {20, 128.4f, 20}, CellAt(5, 0, 0)},
        {{-1, 0, 10}, {20, 5, 20}, 0},                         // below x = 0
        {{10, 0, 10}, {1025, 5, 20}, 0},                       // beyond the rounded size
        {{1010, 0, 1010}, {1024, 5, 1024}, CellAt(5, 31, 31)}, // touching the far edges
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(tree.FindCell(c.min, c.max), c.cell) << c.min.x << " " << c.max.x;

    SceneTree exact;
    ASSERT_TRUE(exact.Open({0, 0, 0}, {1024, 500, 1024}));
    EXPECT_EQ(exact.FindCell({40, 0, 70}, {50, 5, 80}), CellAt(5, 0, 1));
    SceneTree small;
    ASSERT_TRUE(small.Open({0, 0, 0}, {10, 500, 10}));
    EXPECT_TRUE(small.FindCell({3.4f, 0, 5.6f}, {3.4f, 1, 5.6f}) == CellAt(5, 3, 6) && exact.Close() && !exact.Close());
}

TEST(Scene, InsertMoveAndRemoveAcrossCells)
{
    Scene scene, other;
    EXPECT_FALSE(scene.AddObject(nullptr));
    ASSERT_TRUE(scene.Open({0, 0, 0}, {1000, 500, 1000}) && other.Open({0, 0, 0}, {1000, 500, 1000}));
    EXPECT_FALSE(scene.Open({0, 0, 0}, {1000, 500, 1000}));
    auto& tree = *static_cast<SceneTree*>(scene.GetIndex());

    Probe a(3, {16, 0, 16});
    ASSERT_TRUE(scene.AddObject(&a));
    EXPECT_TRUE(a.GetScene() == &scene && a.GetIndexCell() == CellAt(5, 0, 0));
    EXPECT_TRUE(!(scene.AddObject(&a) || other.AddObject(&a)) && scene.GetAdditions() == 1u);

    // Moving re-files it: a fine cell further on, then across the middle into the root; turning does not.
    a.SetPosition(100, 0, 70);
    EXPECT_EQ(a.GetIndexCell(), CellAt(5, 3, 2));
    EXPECT_TRUE(tree.GetCellObjectCount(CellAt(5, 0, 0)) == 0 && tree.GetCellObjectCount(CellAt(5, 3, 2)) == 1);
    a.SetPosition(512, 0, 70);
    a.SetOrientation(0, 1, 0);
    EXPECT_TRUE(a.GetIndexCell() == 0 && tree.GetObjectCount() == 1);

    // Effects always go to the root, wherever they are.
    Probe effect(kSceneEffectKind, {16, 0, 16});
    ASSERT_TRUE(scene.AddObject(&effect));
    EXPECT_EQ(effect.GetIndexCell(), 0u);

    // Removing: not from another scene; then the cell and the scene are cleared.
    EXPECT_TRUE(!other.RemoveObject(&a) && a.GetScene() == (&scene));
    ASSERT_TRUE(scene.RemoveObject(&a));
    EXPECT_TRUE(a.GetScene() == nullptr && a.GetIndexCell() == SceneObject::kNoCell && !scene.RemoveObject(&a));
    EXPECT_TRUE(scene.GetRemovals() == 1u && other.AddObject(&a));
    {
        // An object that is destroyed leaves its scene.
        Probe gone(3, {50, 0, 50});
        ASSERT_TRUE(scene.AddObject(&gone));
        EXPECT_EQ(tree.GetObjectCount(), 2u);
    }
    EXPECT_EQ(tree.GetObjectCount(), 1u);
    // Closing lets go of every object.
    EXPECT_TRUE(scene.Close() && effect.GetScene() == nullptr && effect.GetIndexCell() == SceneObject::kNoCell);
    EXPECT_FALSE(scene.AddObject(&effect));
}

// Inserting raises the top heights from the object's cell up through its parents; a lower object changes none.
TEST(SceneTree, InsertRaisesTopHeightsUpTheTree)
{
    SceneTree tree;
    ASSERT_TRUE(tree.Open({0, 0, 0}, {1024, 100, 1024}));
    Probe tall(3, {40, 0, 40}), low(3, {40, 0, 40}), huge(3, {40, 0, 40});
    tall.SetRadius(4);
    tall.SetCentreY(30);
    ASSERT_TRUE(tree.Insert(tall));
    const uint32_t cell = tall.GetIndexCell();
    ASSERT_EQ(cell, CellAt(5, 0, 0));
    for (uint32_t c : {cell, CellAt(4, 0, 0), CellAt(3, 0, 0), CellAt(2, 0, 0), CellAt(1, 0, 0), 0u})
        EXPECT_EQ(tree.GetCellTopHeight(c), 34u) << c;
    EXPECT_EQ(tree.GetCellTopHeight(CellAt(5, 1, 0)), 10u);
    low.SetCentreY(2);
    huge.SetCentreY(1000);
    ASSERT_TRUE(tree.Insert(low));
    EXPECT_EQ(tree.GetCellTopHeight(cell), 34u);
    ASSERT_TRUE(tree.Insert(huge));
    EXPECT_TRUE(tree.GetCellTopHeight(0) == 255u && tree.Remove(tall) && tree.Remove(low) && tree.Remove(huge));
    EXPECT_FALSE(tree.Remove(huge));
}

// The eye 10 above the ground at (0, 10, 0) looking along +z, 90 degrees high, aspect 4/3, drawing out to between
// 30 and 100.
class SceneViewTest : public modeltest::ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        gm.SetFog(0.0f, 10.0f, 0);
        gm.SetProjection(90.0f, 4.0f / 3.0f, 1.0f, 101.0f);
        gm.SetViewMatrix(platform::MatrixTranslation(0.0f, -10.0f, 0.0f), true);
        gm.ApplyProjection();
        gm.SetEyePosition({0.0f, 10.0f, 0.0f});
        gm.SetFrustumRange(true);
        ASSERT_GT(gm.GetDrawDistance(), 30.0f); // scaled by the video settings
        ASSERT_LT(gm.GetDrawDistance(), 100.0f);
        ASSERT_TRUE(scene.Open({0, 0, 0}, {1000, 500, 1000}));
    }
    void TearDown() override
    {
        scene.Close();
        ModelTest::TearDown();
    }

    std::set<const SceneObject*> Visible()
    {
        SpatialIndex* index = scene.GetIndex();
        return {index->GetVisibleObjects(), index->GetVisibleObjects() + index->GetVisibleCount()};
    }

    GraphicsManager& gm = g_GraphicsManager;
    Scene scene;
};

TEST_F(SceneViewTest, CullingKeepsWhatTheViewSees)
{
    // Under is below the view's bottom edge.
    Probe ahead(3, {5, 0, 20}), aside(3, {12, 0, 15}), far(3, {5, 0, 300}), right(3, {500, 0, 40});
    Probe under(3, {5, 0, 5}), behind(3, {5, 0, -30}), back(3, {5, 0, 80});
    for (Probe* p : {&ahead, &aside, &far, &right, &under, &behind, &back})
        ASSERT_TRUE(scene.AddObject(p));
    ASSERT_TRUE(scene.GetIndex()->Cull());
    EXPECT_EQ(Visible(), (std::set<const SceneObject*>{&ahead, &aside}));
    // Codes of objects that were tested are stored in them: inside the view, outside the footprint (not asked).
    EXPECT_EQ(ahead.GetVisibility() & ClipCode::kOutside, 0u);
    EXPECT_NE(scene.GetIndex()->GetStatistics()[SceneTree::kCellsSkipped], 0u);

    // From (0, 10, 100) looking back along -z only the far one is seen; the root cell's box starts at z = 0, so
    // the object behind the tree's start is culled with it.
    gm.SetViewMatrix(platform::MatrixTranslation(0.0f, -10.0f, -100.0f) * platform::MatrixRotationY(3.14159265f), true);
    gm.SetFrustumRange(true);
    ASSERT_TRUE(scene.GetIndex()->Cull());
    EXPECT_EQ(Visible(), (std::set<const SceneObject*>{&back}));
}

// The render pass draws visible objects by ascending model handle (equal handles in filing order), then the
// after-models drawer, then the effects; a lone visible object too; with none, only the model pass runs.
TEST_F(SceneViewTest, RenderDrawsGroupedByModelAndEffectsLast)
{
    std::vector<const Probe*> log;
    Probe m9(3, {5, 0, 20}, 9, &log), m2a(3, {6, 0, 20}, 2, &log), m0x100(3, {8, 0, 20}, 0x100, &log);
    Probe m2b(3, {9, 0, 20}, 2, &log), hidden(3, {500, 0, 40}, 1, &log), leaving(3, {10, 0, 20}, 3, &log);
    Probe effect(kSceneEffectKind, {7, 0, 20}, SceneObject::kNoModel, &log);
    for (Probe* p : {&m9, &m2a, &effect, &m0x100, &m2b, &hidden, &leaving})
        ASSERT_TRUE(scene.AddObject(p));
    ASSERT_TRUE(scene.RemoveObject(&leaving));
    EXPECT_EQ(scene.GetRemovals(), 1u);
    static std::vector<const Probe*>* s_log;
    s_log = &log;
    void (*const billboards)() = Scene::s_pAfterModels;
    Scene::s_pAfterModels = [] { s_log->push_back(nullptr); };
    ASSERT_TRUE(gm.BeginFrame(0));
    // A shadow pass left open would draw the scene in the shadow material: the render ends it.
    gm.GetRenderer()->BeginShadowPass(true, false);
    EXPECT_TRUE(scene.Render() && !(static_cast<D3DRenderer*>(gm.GetRenderer())->IsShadowPass()));
    Scene::s_pAfterModels = billboards;
    EXPECT_EQ(log, (std::vector<const Probe*>{&m2a, &m2b, &m9, &m0x100, nullptr, &effect}));
    EXPECT_EQ(scene.GetAdditions() + scene.GetRemovals(), 0u);
    // By default the billboard list is drawn and emptied, also in a frame with no object in view.
    for (Probe* p : {&m9, &m2a, &effect, &m0x100, &m2b})
        ASSERT_TRUE(scene.RemoveObject(p));
    log.clear();
    g_BillboardList.Add({0.0f, 0.0f, 0.0f}, 1.0f, ~0u, 0, 0);
    EXPECT_TRUE(scene.Render() && g_BillboardList.GetCount() == 0 && log.empty());
    ASSERT_TRUE(scene.AddObject(&m9));
    EXPECT_TRUE(scene.Render());
    EXPECT_EQ(log, std::vector<const Probe*>{&m9});
    gm.EndFrame();
}

// A model of one panel 4 wide and `height` high on its z = 0 plane, facing -z; its bounds round it, the sphere's
// centre and radius as given.
std::string PanelModel(const char* name, const char* height, const char* sphere)
{
    const std::string h = height;
    return "model\n bounds -2 0 -0.1 2 " + h + " 0.1 " + sphere + "\n bone \"Root\"\n  submodel \"" + name +
           "\"\n   vertex -2 " + h + " 0 0 0 -1 0 0\n   vertex 2 " + h +
           " 0 0 0 -1 1 0\n   vertex 2 0 0 0 0 -1 1 1\n   vertex -2 0 0 0 0 -1 0 1\n"
           "   level 0\n    indices 0 1 2 0 2 3\n    material\n    end\n   end\n  end\n end\nend\n";
}

// A square panel 4 wide and 4 high.
const std::string kPanel = PanelModel("Panel", "4", "0 2 0 0 3");

// Rays through moved and turned instances: every hit along the ray nearest first, never an effect, the ray
// parameter that of the world ray whatever its length.
TEST_F(SceneViewTest, PickingFindsInstancesAlongTheRayNearestFirst)
{
    Start(false);
    WriteModel("panel.tm", modeltest::TmBytes(kPanel));
    const uint32_t panel = g_ModelManager.Load("panel.tm");
    ASSERT_NE(panel, 0u);
    // Turned is yawed a right angle: it faces -x, its plane at x = 200.
    ModelInstance front(panel, {100, 0, 100}, {0, 0, 0}), back(panel, {100, 0, 120}, {0, 0, 0});
    ModelInstance turned(panel, {200, 0, 100}, {0, 1.5707963f, 0}), atOrigin(panel, {0, 0, 0}, {0, 0, 0});
    Probe effect(kSceneEffectKind, {100, 0, 110}, panel);
    for (SceneObject* o : std::initializer_list<SceneObject*>{&front, &back, &turned, &effect, &atOrigin})
        ASSERT_TRUE(scene.AddObject(o));
    auto& tree = *static_cast<SceneTree*>(scene.GetIndex());

    SceneResultList list;
    // The hits of the queries since the last check, nearest first.
    const auto hits = [&list](std::vector<std::pair<const SceneObject*, float>> expected)
    {
        ASSERT_EQ(list.GetCount(), expected.size());
        for (uint32_t i = 0; i < expected.size(); ++i)
            EXPECT_TRUE(list.Get(i).m_pObject == expected[i].first &&
                        std::fabs(list.Get(i).m_fKey - expected[i].second) < 1e-3f)
                << i << ": " << list.Get(i).m_fKey;
        list.Clear();
    };
    tree.RayQuery(&list, {100.5f, 2, 50}, {0, 0, 1});
    hits({{&front, 50}, {&back, 70}});
    tree.RayQuery(&list, {150, 2, 101}, {2, 0, 0});
    hits({{&turned, 25}});
    tree.RayQuery(&list, {0.5f, 2, -10}, {0, 0, 1}); // placed at the origin, unturned
    hits({{&atOrigin, 10}});
    // From behind (one-sided) and beside: nothing.
    tree.RayQuery(&list, {250, 2, 101}, {-1, 0, 0});
    tree.RayQuery(&list, {150, 2, 105}, {1, 0, 0});
    hits({});
    // Turned back it faces -z at z = 100 again; moved, the front panel is met sooner. Rays follow both changes.
    turned.SetOrientation(0, 0, 0);
    front.SetPosition(100, 0, 90);
    tree.RayQuery(&list, {150, 2, 101}, {1, 0, 0});
    tree.RayQuery(&list, {200.5f, 2, 50}, {0, 0, 1});
    tree.RayQuery(&list, {100.5f, 2, 50}, {0, 0, 1});
    hits({{&front, 40}, {&turned, 50}, {&back, 70}});
    front.SetPosition(100, 0, 100);
    turned.SetOrientation(0, 1.5707963f, 0);

    // From the eye towards a point on the front panel.
    gm.SetEyePosition({100, 2, 0});
    EXPECT_EQ(tree.PickNearestAtPoint({100, 2, 100}), &front);
    scene.PickAtPoint(&list, {100, 3, 100});
    EXPECT_TRUE(list.First() == (&front) && tree.PickNearestAtPoint({0, 2, 100}) == nullptr);
    // Through the middle of the screen, looking along +z from there.
    gm.SetViewMatrix(platform::MatrixTranslation(-100.5f, -2.0f, 0.0f), true);
    gm.SetEyePosition({100.5f, 2, 0});
    const int16_t cx = static_cast<int16_t>(gm.GetSettings().m_uWidth / 2);
    const int16_t cy = static_cast<int16_t>(gm.GetSettings().m_uHeight / 2);
    list.Clear();
    scene.PickAtScreen(&list, cx, cy);
    ASSERT_EQ(list.GetCount(), 2u);
    EXPECT_NEAR(list.Get(0).m_fKey, 100.0f, 0.05f);
    EXPECT_EQ(tree.PickNearestAtScreen(cx, cy), &front);
    for (SceneObject* o : std::initializer_list<SceneObject*>{&front, &back, &turned, &effect, &atOrigin})
        scene.RemoveObject(o);
}

// A panel 4 wide and 30 high: taller than a cell's starting top height.
const std::string kTower = PanelModel("Tower", "30", "0 15 0 0 15.2");

// The park files its objects where they are made, at the origin, and only then moves them to their places; an
// animal takes the model of what it does next where it stands. A tall object must be found however it came to be
// tall where it is: picked through its upper part from the side, and kept in view when only its upper part is in
// the view.
TEST_F(SceneViewTest, TallObjectsArePickedAndSeenByTheirTopsHoweverTheyGotThere)
{
    Start(false);
    const uint32_t tower = LoadText("tower.tm", kTower);
    const uint32_t panel = LoadText("panel.tm", kPanel);
    ASSERT_TRUE(tower != 0 && panel != 0);
    const Vec3 place = {48, 0, 48}; // a fine cell of its own: x and z 32 to 64
    const struct
    {
        const char* how;
        Vec3 added;
        uint32_t model;
    } cases[] = {
        {"added in place", place, tower},
        {"added at the origin, then moved", {0, 0, 0}, tower},
        {"added in place as a low panel, then given the tower", place, panel},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.how);
        Scene local;
        ASSERT_TRUE(local.Open({0, 0, 0}, {1000, 500, 1000}));
        auto& tree = *static_cast<SceneTree*>(local.GetIndex());
        ModelInstance object(c.model, c.added, {0, 0, 0});
        ASSERT_TRUE(local.AddObject(&object));
        object.SetPosition(place.x, place.y, place.z);
        if (c.model != tower)
        {
            ASSERT_EQ(object.SetModel("tower.tm"), tower);
        }
        ASSERT_EQ(object.GetIndexCell(), CellAt(5, 1, 1));

        // A level ray 25 above the ground: it meets the panel at z = 48.
        SceneResultList list;
        tree.RayQuery(&list, {48.5f, 25, 0}, {0, 0, 1});
        EXPECT_EQ(list.GetCount(), 1u);
        EXPECT_TRUE(list.First() == &object && std::fabs(list.Get(0).m_fKey - 48.0f) < 1e-3f);

        // The eye 75 up at (48, 75, 0) looking level along +z: the ground below z = 64 and anything lower than 10
        // there is under the view's bottom edge, the panel's top (30 high at z = 48) is inside it.
        gm.SetFog(0.0f, 20.0f, 0); // drawing out to beyond z = 64
        gm.SetViewMatrix(platform::MatrixTranslation(-48.0f, -75.0f, 0.0f), true);
        gm.SetEyePosition({48.0f, 75.0f, 0.0f});
        gm.SetFrustumRange(true);
        ASSERT_GT(gm.GetDrawDistance(), 64.0f);
        ASSERT_EQ(gm.TestObject(object, 0x403F) & ClipCode::kOutside, 0u);
        ASSERT_TRUE(local.GetIndex()->Cull());
        EXPECT_EQ(local.GetIndex()->GetVisibleCount(), 1u);
        local.RemoveObject(&object);
    }
}

// Radius queries: exact counts under a large limit, a limit of 0 stopping at the first cell with a match,
// collection by ascending distance with the object at the point itself last.
TEST(SceneTree, RadiusCountsAndCollections)
{
    SceneTree tree;
    ASSERT_TRUE(tree.Open({0, 0, 0}, {1024, 100, 1024}));
    std::vector<std::unique_ptr<Probe>> probes;
    const Vec3 centre = {300, 0, 300};
    // Kind 3 at distances 0, 5, 12, 30 and 90 from the centre; kind 4 at 3; one kind 3 in the root cell at 20.
    for (float d : {0.0f, 5.0f, 12.0f, 30.0f, 90.0f})
        probes.push_back(std::make_unique<Probe>(3, Vec3{centre.x + d, 0, centre.z}));
    probes.push_back(std::make_unique<Probe>(4, Vec3{centre.x, 0, centre.z + 3}));
    auto root = std::make_unique<Probe>(3, Vec3{centre.x, 0, centre.z - 20});
    root->SetRadius(300); // its box reaches past x = 0: the root cell
    for (auto& p : probes)
        ASSERT_TRUE(tree.Insert(*p));
    ASSERT_TRUE(tree.Insert(*root) && root->GetIndexCell() == 0u);

    EXPECT_TRUE(tree.CountInRadius(centre, 25, 3, 1000) == 4u && tree.CountInRadius(centre, 31, 3, 1000) == 5u);
    EXPECT_TRUE(tree.CountInRadius(centre, 1000, 3, 1000) == 6u && tree.CountInRadius(centre, 25, 4, 1000) == 1u);
    EXPECT_EQ(tree.CountInRadius(centre, 25, 5, 1000), 0u);
    // Limit 0: the root cell holds one match, so the walk stops there.
    EXPECT_EQ(tree.CountInRadius(centre, 25, 3, 0), 1u);

    SceneResultList list;
    tree.CollectInRadius(centre, 31, 3, &list);
    ASSERT_EQ(list.GetCount(), 5u);
    const float keys[] = {25, 144, 400, 900, 0};
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(list.Get(i).m_fKey, keys[i]) << i;
    EXPECT_TRUE(list.Get(4).m_pObject == probes[0].get() && list.Get(2).m_pObject == root.get());

    list.Clear();
    tree.CollectAll(&list);
    EXPECT_EQ(list.GetCount(), 7u);
    EXPECT_EQ(list.Get(0).m_pObject, root.get()); // cell 0 comes first
    EXPECT_TRUE(tree.Close() && probes[0]->GetIndexCell() == SceneObject::kNoCell);
}

// A count with a limit is exact up to the limit and above the limit past it: checked against a plain count over
// clusters of objects of two kinds, random points, radii and limits.
TEST(SceneTree, CountWithALimitAnswersMoreThanTheLimitRightly)
{
    SceneTree tree;
    ASSERT_TRUE(tree.Open({0, 0, 0}, {1000, 100, 1000}));
    uint32_t seed = 7;
    const auto next = [&seed](uint32_t n)
    {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    std::vector<std::unique_ptr<Probe>> probes;
    for (uint32_t i = 0; i < 400; ++i)
    {
        const float x = 300.0f + static_cast<float>(next(300)), z = 300.0f + static_cast<float>(next(300));
        probes.push_back(std::make_unique<Probe>(3 + next(2), Vec3{x, 0, z}));
        ASSERT_TRUE(tree.Insert(*probes.back()));
    }
    uint32_t wrong = 0, over = 0;
    for (uint32_t i = 0; i < 3000; ++i)
    {
        const Vec3 point = {250.0f + static_cast<float>(next(400)), 0, 250.0f + static_cast<float>(next(400))};
        const float radius = 5.0f + static_cast<float>(next(120));
        const uint32_t kind = 3 + next(2), limit = next(25);
        uint32_t inside = 0;
        for (const auto& p : probes)
        {
            const float dx = p->GetPosition().x - point.x, dz = p->GetPosition().z - point.z;
            inside += p->GetKind() == kind && dx * dx + dz * dz < radius * radius ? 1 : 0;
        }
        const uint32_t count = tree.CountInRadius(point, radius, kind, limit);
        over += inside > limit ? 1 : 0;
        wrong += (inside <= limit ? count != inside : count <= limit) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(over, 500u); // both answers are well represented
    EXPECT_LT(over, 2500u);
    tree.Close();
}

// The result list: ascending keys, an equal key in front of the first, keys of 0 kept at the end.
TEST(SceneResultList, KeepsAscendingKeysWithZerosLast)
{
    Probe a(3, {}), b(3, {}), c(3, {}), d(3, {}), e(3, {});
    SceneResultList list;
    EXPECT_EQ(list.GetHighestCount(), 0u);
    list.Insert(&a, 5);
    list.Insert(&b, 0);
    list.Insert(&c, 2);
    list.Insert(&d, 2);
    list.Insert(&e, 9);
    const SceneObject* order[] = {&d, &c, &a, &e, &b};
    ASSERT_EQ(list.GetCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(list.Get(i).m_pObject, order[i]) << i;
    EXPECT_TRUE(list.First() == (&d) && list.GetHighestCount() == 5u);
    list.Clear();
    EXPECT_TRUE(list.First() == nullptr && list.GetHighestCount() == 5u);
}

} // namespace
