// Tests of the engine root: the five services, the order they start and stop in, and reports during shut-down.
#include "engine/core/EngineCore.h"

#include "engine/core/EngineInput.h"
#include "engine/core/EngineTimer.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/core/TextSystem.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

std::vector<std::string> g_events;

// Each service writes "init X", "shutdown X" and "delete X" into the shared event list.
template <typename Base> class Recorded : public Base
{
public:
    explicit Recorded(const char* name, int32_t initResult = 0) : m_name(name), m_initResult(initResult) {}
    ~Recorded() override { g_events.push_back(std::string("delete ") + m_name); }

    int32_t Init() override
    {
        g_events.push_back(std::string("init ") + m_name);
        return m_initResult;
    }

    void Shutdown() override
    {
        g_events.push_back(std::string("shutdown ") + m_name);
        OnShutdown();
    }

    virtual void OnShutdown() {}

private:
    const char* m_name;
    int32_t m_initResult;
};

// The input service reports through the log while it stops.
class ReportingInput : public Recorded<EngineInput>
{
public:
    using Recorded<EngineInput>::Recorded;
    void OnShutdown() override
    {
        m_pLoggerSeen = GetLogger();
        GetLogger()->Report(0, "input stopped");
    }
    static inline Logger* m_pLoggerSeen = nullptr;
};

class EngineCoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_events.clear();
        m_saved = g_pEngineCore;
        g_pEngineCore = &m_core;
    }

    void TearDown() override
    {
        m_core.ShutdownServices();
        g_pEngineCore = m_saved;
    }

    // Gives the root recording services in place of CreateServices.
    void UseRecordedServices(int32_t inputResult)
    {
        m_core.m_pLogger = new Recorded<Logger>("log");
        m_core.m_pTextSystem = new Recorded<TextSystem>("text");
        m_core.m_pTimer = new Recorded<EngineTimer>("timer");
        m_core.m_pInput = new ReportingInput("input", inputResult);
        m_core.m_pFileSystem = new Recorded<FileSystem>("files");
    }

    EngineCore m_core;
    EngineCore* m_saved = nullptr;
};

TEST_F(EngineCoreTest, CreateServicesMakesAllFiveServices)
{
    m_core.CreateServices();
    ASSERT_NE(m_core.m_pLogger, nullptr);
    ASSERT_NE(m_core.m_pTextSystem, nullptr);
    ASSERT_NE(m_core.m_pTimer, nullptr);
    ASSERT_NE(m_core.m_pInput, nullptr);
    ASSERT_NE(m_core.m_pFileSystem, nullptr);
    // Once created, the root's services are what the rest of the program reaches.
    EXPECT_EQ(GetLogger(), m_core.m_pLogger);
    EXPECT_EQ(GetFileSystem(), m_core.m_pFileSystem);
}

TEST_F(EngineCoreTest, StartServicesRunsInitInOrderAndLeavesTextSystemAlone)
{
    UseRecordedServices(0);
    EXPECT_EQ(m_core.StartServices(), 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"init log", "init files", "init timer", "init input"}));
}

TEST_F(EngineCoreTest, StartServicesReturnsTheInputsResult)
{
    UseRecordedServices(-7);
    EXPECT_EQ(m_core.StartServices(), -7);
}

TEST_F(EngineCoreTest, ShutdownStopsAndDeletesEachServiceInOrder)
{
    UseRecordedServices(0);
    m_core.StartServices();
    g_events.clear();
    testsupport::RecordingReportSink sink;
    m_core.ShutdownServices();
    EXPECT_EQ(g_events, (std::vector<std::string>{"shutdown input", "delete input", "shutdown timer", "delete timer",
                                                  "shutdown text", "delete text", "shutdown files", "delete files",
                                                  "shutdown log", "delete log"}));
    EXPECT_EQ(m_core.m_pLogger, nullptr);
    EXPECT_EQ(m_core.m_pTextSystem, nullptr);
    EXPECT_EQ(m_core.m_pTimer, nullptr);
    EXPECT_EQ(m_core.m_pInput, nullptr);
    EXPECT_EQ(m_core.m_pFileSystem, nullptr);
}

TEST_F(EngineCoreTest, ReportDuringInputShutdownGoesThroughTheRootsLog)
{
    UseRecordedServices(0);
    Logger* rootLogger = m_core.m_pLogger;
    ReportingInput::m_pLoggerSeen = nullptr;
    testsupport::RecordingReportSink sink;
    m_core.ShutdownServices();
    // The log still belonged to the root while the input stopped.
    EXPECT_EQ(ReportingInput::m_pLoggerSeen, rootLogger);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].title, "Error");
    EXPECT_EQ(sink.boxes[0].text, "input stopped");
}

TEST_F(EngineCoreTest, ShutdownTwiceIsHarmless)
{
    UseRecordedServices(0);
    testsupport::RecordingReportSink sink;
    m_core.ShutdownServices();
    g_events.clear();
    m_core.ShutdownServices();
    EXPECT_TRUE(g_events.empty());
    // With the root's log gone, reports fall back to the stand-alone log.
    EXPECT_NE(GetLogger(), nullptr);
    GetLogger()->Report(1, "after");
    EXPECT_EQ(sink.debug, "after\n");
}

} // namespace
