// A fixture over the sample scenario's park: the park layer registered, a model manager and a fixed seed for the
// test's life, the sample data as the current folder with its game parameters, a folder of the test's own, and a
// park saved to bytes and loaded back from them.
#pragma once

#include "engine/core/GameParameters.h"
#include "engine/core/SerialStream.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "park/ParkLayer.h"
#include "platform/Random.h"
#include "tests/support/TestSupport.h"
#include "world/ObjectKinds.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SampleParkTest : public ::testing::Test
{
protected:
    static constexpr const char* kScenario = "data/Scenario/QuietPark/QuietPark.pis";

    void SetUp() override
    {
        ClearObjectKinds();
        RegisterParkLayer();
        g_ModelManager.Init(1000, false);
        g_AnimationScheduler.Clear();
        platform::SRand(7);
    }
    void TearDown() override
    {
        UnregisterParkLayer();
        g_ModelManager.Shutdown();
        ClearObjectKinds();
    }

    std::vector<uint8_t> Save(const World& world)
    {
        const std::string file = dir.File("park.sav");
        {
            BinarySerialStream out(true, file.c_str());
            EXPECT_TRUE(world.Save(out));
            EXPECT_TRUE(out.Close());
        }
        return testsupport::ReadBytes(file);
    }
    std::unique_ptr<World> Load(const std::vector<uint8_t>& bytes, const char* scenario = kScenario)
    {
        const std::string file = dir.File("load.sav");
        testsupport::WriteBytes(file, bytes);
        BinarySerialStream in(false, file.c_str());
        return World::LoadSaved(nullptr, nullptr, scenario, in);
    }

    testsupport::ScopedCurrentDir cwd{std::string(TW_SOURCE_DIR) + "/sample-data"};
    GameParameters parameters{"data/script/gameparameters.pis"};
    testsupport::TempDir dir;
};
