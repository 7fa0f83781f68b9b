// Many parks entered, left and loaded in one run of the program: every finite pool and growing store the engine,
// the GUI and the park keep comes back to the same use after each park.
#include "engine/core/KeyPool.h"
#include "engine/core/TextTable.h"
#include "engine/media/Jukebox.h"
#include "engine/media/SampleBank.h"
#include "engine/media/SoundEventManager.h"
#include "engine/media/SoundManager.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/BillboardList.h"
#include "engine/render/Display.h"
#include "engine/render/EffectScheduler.h"
#include "engine/render/MaterialParts.h"
#include "engine/render/MaterialTable.h"
#include "engine/render/MeshManager.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "engine/render/TextureManager.h"
#include "game/Game.h"
#include "game/Mp3Player.h"
#include "gui/DialogItem.h"
#include "gui/GUIManager.h"
#include "gui/SpriteManager.h"
#include "platform/gfx/GLCallCount.h"
#include "scripts/ScriptManager.h"
#include "tests/game/GameHarness.h"
#include "world/MessageHandler.h"
#include "world/ObjectKinds.h"
#include "world/ObjectManager.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

using gametest::GameHarness;

namespace
{

using Levels = std::map<std::string, long long>;

long long OpenFiles()
{
    long long n = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++n;
    return n;
}

Levels Measure(Game& game)
{
    Levels levels;
    uint32_t pagesInUse = 0;
    for (uint32_t page = 1; page <= g_TextureManager.GetPagesUsed(); ++page)
        if (const TexturePage* p = g_TextureManager.GetPage(page); p && p->IsInUse())
            ++pagesInUse;
    levels["texture slots"] = g_TextureManager.GetTextureCount();
    levels["texture pages in use"] = pagesInUse;
    levels["mesh handles"] = g_MeshManager.GetMeshCount();
    levels["mesh vertices"] = g_MeshManager.GetVerticesRegistered();
    levels["mesh vertex buffers"] = g_MeshManager.GetVertexBufferCount();
    levels["mesh index buffers"] = g_MeshManager.GetIndexBufferCount();
    uint32_t models = 0;
    for (uint32_t h = 1; h < g_ModelManager.GetCapacity(); ++h)
        models += g_ModelManager.IsInUse(h) ? 1 : 0;
    levels["models"] = models;
    levels["animations"] = g_AnimationScheduler.GetCount();
    levels["effects"] = g_EffectScheduler.GetCount();
    levels["billboards"] = g_BillboardList.GetCount();
    levels["crossfades"] = g_CrossfadeList.GetCount();
    levels["extra materials"] = g_MaterialTable.GetExtraCount();
    levels["channels"] = g_ChannelStore.GetCount();
    levels["state sets"] = g_StateSetTable.GetCount();
    levels["transform sets"] = g_TextureTransformSetTable.GetCount();
    levels["lighting sets"] = g_LightingSetTable.GetCount();
    levels["keys"] = g_KeyPool.Count();
    SpriteManager& sprites = GetSpriteManager();
    levels["sprite banks"] = sprites.GetBankCount();
    levels["live sprites"] = sprites.GetLiveSprites();
    levels["sprite frames cached"] = static_cast<long long>(sprites.GetCachedFrameCount());
    SoundManager& sound = game.GetSoundManager();
    int slots = 0;
    for (int i = 0; i < SoundManager::kSlotCount; ++i)
        slots += sound.GetSlot(i).m_bInUse ? 1 : 0;
    levels["sound slots"] = slots;
    levels["sound memory"] = sound.GetMemoryUsed();
    levels["samples"] = sound.GetSampleBank() ? sound.GetSampleBank()->GetSampleCount() : 0;
    levels["sound queue"] = static_cast<long long>(game.GetSoundEvents().GetQueue().size());
    levels["object sounds"] = static_cast<long long>(game.GetSoundEvents().GetObjectSounds().size());
    levels["open dialogs"] = game.GetGUIManager().GetOpenDialogCount();
    levels["scripts"] = g_pScriptManager ? g_pScriptManager->GetNumScripts() : -1;
    levels["text pairs"] = g_pTextTable ? g_pTextTable->GetPairCount() : -1;
    levels["text ids"] = g_pTextTable ? g_pTextTable->GetMappedCount() : -1;
    levels["open files"] = OpenFiles();
    int surfaces = 0;
    if (g_pDisplay)
        for (int32_t i = 0; i < g_pDisplay->GetSurfaceCount(); ++i)
            surfaces += g_pDisplay->GetSurface(i) && g_pDisplay->GetSurface(i)->m_bInUse ? 1 : 0;
    levels["surfaces"] = g_pDisplay ? g_pDisplay->GetSurfaceCount() : -1;
    levels["surfaces in use"] = surfaces;
    levels["tracks"] = game.GetMp3Player().GetJukebox().GetTrackCount();
    levels["gui items"] = static_cast<long long>(game.GetGUIManager().GetItems().size());
    return levels;
}

// The sample memory is not a level of use: it follows what played lately.
bool IsLevel(const std::string& name)
{
    return name != "sound memory";
}

// The textures, texture pages and sprite frames kept by name fill as the scenarios and the dialogs are first seen,
// and the surface records (free ones kept for reuse) fill to the most layers shown at once; then they stay.
bool IsWarmedByName(const std::string& name)
{
    return name == "texture slots" || name == "texture pages in use" || name == "sprite frames cached" ||
           name == "surfaces";
}

Levels MeasurePark(Game& game)
{
    Levels levels = Measure(game);
    if (g_pWorld && g_pWorld->GetScene())
        if (auto* tree = dynamic_cast<SceneTree*>(g_pWorld->GetScene()->GetIndex()))
            levels["scene objects"] = tree->GetObjectCount();
    if (g_pObjectManager)
    {
        levels["objects"] = g_pObjectManager->GetNumActiveObjects();
        levels["next id"] = g_pObjectManager->GetNextFreeObjectID();
    }
    if (g_pMessageHandler)
        levels["delayed messages"] = static_cast<long long>(g_pMessageHandler->GetPendingCount());
    if (g_pWorld)
        levels["world scripts"] = g_pWorld->GetScriptManager().GetNumScripts();
    return levels;
}

// Share of the pixels of two frames of one size whose channels all lie within `tolerance`.
double SameShare(const gametest::Frame& a, const gametest::Frame& b, int tolerance)
{
    if (a.pixels.empty() || a.pixels.size() != b.pixels.size())
        return 0.0;
    size_t same = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        same += gametest::NearRgb(a.pixels[i], b.pixels[i] & 0xFFFFFF, tolerance) ? 1 : 0;
    return static_cast<double>(same) / static_cast<double>(a.pixels.size());
}

void ExpectSameLevels(const Levels& now, const Levels& before, bool warmed, const std::string& where)
{
    for (const auto& [name, value] : before)
    {
        if (!IsLevel(name) || (!warmed && IsWarmedByName(name)))
            continue;
        const auto it = now.find(name);
        ASSERT_NE(it, now.end()) << name;
        EXPECT_EQ(it->second, value) << name << " " << where;
    }
}

// Opens every dialog of the screen's script, each for a frame, and leaves them open.
void OpenEveryDialog(GameHarness& harness)
{
    GUIManager& gui = harness.GetGame().GetGUIManager();
    std::vector<std::string> names;
    for (Widget* widget : gui.GetTopLevel())
        if (const auto* dialog = dynamic_cast<const DialogItem*>(widget))
            names.emplace_back(dialog->GetName());
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names)
    {
        gui.OpenDialog(name.c_str(), nullptr);
        harness.RunFrames(1);
    }
    EXPECT_GT(gui.GetOpenDialogCount(), 1);
}

// Every scenario and sandbox row is played once, which fills what is kept by name (the first park with every dialog
// of the park opened); then each is played again the same way and a saved park is loaded after each. Every park of
// the second round starts with the pools the same park started with in the first, and every return to the menu
// leaves them as the first round left them at its end, with every device texture made in the round deleted again.
// The last park looks as the first one did through the same camera. Under the sanitizers and in unoptimised builds
// the second round takes fewer rows.
TEST(ManyParksInGame, ParksEnteredLeftAndLoadedLeaveEveryPoolAsTheFirstRoundLeftIt)
{
    GameHarness harness;
    if (!harness.XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    std::string why;
    ASSERT_TRUE(harness.Start(&why)) << why;
    Game& game = harness.GetGame();
    constexpr int kRows = 15;
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
    constexpr int kSecondRoundStep = 4;
#else
    constexpr int kSecondRoundStep = 1;
#endif
    const auto look = [&harness]
    {
        // The park's entrance and its paths seen from above, after the frames settle.
        GameHarness::PlaceCamera({640.0f, 220.0f, 420.0f}, {640.0f, 0.0f, 640.0f});
        harness.RunFrames(3);
        return harness.Screenshot();
    };
    const auto play = [&harness](int row)
    {
        harness.RunFrames(10);
        if (row == 0)
            OpenEveryDialog(harness);
        harness.SelectScreen(Game::kMainMenuScreen);
    };

    Levels entered[kRows];
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    const gametest::Frame first = look();
    ASSERT_FALSE(first.pixels.empty());
    ASSERT_TRUE(game.SaveToSlot(0));
    harness.SelectScreen(Game::kMainMenuScreen);
    for (int row = 0; row < kRows; ++row)
    {
        harness.EnterPark(row);
        ASSERT_NE(g_pWorld, nullptr) << row;
        entered[row] = MeasurePark(game);
        play(row);
    }
    const Levels menu = Measure(game);
    // The device textures made from here on, and those deleted.
    const platform::GLCallCount calls;

    for (int row = 0; row < kRows; row += kSecondRoundStep)
    {
        SCOPED_TRACE(row);
        harness.EnterPark(row);
        ASSERT_NE(g_pWorld, nullptr);
        ExpectSameLevels(MeasurePark(game), entered[row], false, "on entering the park");
        play(row);
        ExpectSameLevels(Measure(game), menu, true, "after leaving the park");

        game.ScanSaveGames();
        game.RequestLoad(0);
        game.LoadGame();
        ASSERT_NE(g_pWorld, nullptr);
        harness.RunFrames(10);
        harness.SelectScreen(Game::kMainMenuScreen);
        ExpectSameLevels(Measure(game), menu, true, "after leaving the loaded park");
    }
    // Every device texture made for the parks of the round has been deleted again with the menu back.
    EXPECT_GT(calls.Of("GenTextures"), 0u);
    EXPECT_EQ(calls.Of("DeleteTextures"), calls.Of("GenTextures"));
    harness.EnterPark(0);
    ASSERT_NE(g_pWorld, nullptr);
    const gametest::Frame last = look();
    GameHarness::Keep(first, "many-parks-first");
    GameHarness::Keep(last, "many-parks-last");
    // The ground, the paths and the buildings as they were: nothing the park draws with has run out.
    EXPECT_GT(SameShare(first, last, 24), 0.9);
    for (const auto& box : harness.Reports().boxes)
        ADD_FAILURE() << box.text;
}

} // namespace
