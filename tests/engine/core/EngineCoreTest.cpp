// Tests of the engine root: the five services and the order they start and stop in.
#include "engine/core/EngineCore.h"

#include "engine/core/EngineInput.h"
#include "engine/core/EngineTimer.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Logger.h"
#include "engine/core/TextSystem.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

std::string g_events;

// Each service notes " init X", " shutdown X" and " delete X"; a service that stops after the log is gone notes
// that too, since it could no longer report.
template <typename Base> class Recorded : public Base
{
public:
    explicit Recorded(const char* name, int32_t initResult = 0) : m_name(name), m_initResult(initResult) {}
    ~Recorded() override { g_events += std::string(" delete ") + m_name; }
    int32_t Init() override
    {
        g_events += std::string(" init ") + m_name;
        return m_initResult;
    }
    void Shutdown() override
    {
        g_events += std::string(" shutdown ") + m_name + (g_pEngineCore->m_pLogger ? "" : " without log");
        GetLogger()->Report(1, "%s stopped", m_name);
    }

private:
    const char* m_name;
    int32_t m_initResult;
};

class EngineCoreTest : public ::testing::Test
{
protected:
    void SetUp() override { g_pEngineCore = &m_core; }
    void TearDown() override
    {
        m_core.ShutdownServices();
        g_pEngineCore = nullptr;
    }
    EngineCore m_core;
};

TEST_F(EngineCoreTest, CreateServicesMakesAllFiveAndTheProgramReachesThemThroughTheRoot)
{
    m_core.CreateServices();
    EXPECT_TRUE(m_core.m_pTextSystem && m_core.m_pTimer && m_core.m_pInput);
    EXPECT_TRUE(m_core.m_pLogger && GetLogger() == m_core.m_pLogger);
    EXPECT_TRUE(m_core.m_pFileSystem && GetFileSystem() == m_core.m_pFileSystem);
}

TEST_F(EngineCoreTest, ServicesStartAndStopInTheirOrdersWithTheLogLast)
{
    testsupport::RecordingReportSink sink;
    m_core.m_pLogger = new Recorded<Logger>("log");
    m_core.m_pTextSystem = new Recorded<TextSystem>("text");
    m_core.m_pTimer = new Recorded<EngineTimer>("timer");
    m_core.m_pInput = new Recorded<EngineInput>("input", -7);
    m_core.m_pFileSystem = new Recorded<FileSystem>("files");
    // The input's result is returned; the text system is not started by the root.
    EXPECT_EQ(m_core.StartServices(), -7);
    EXPECT_EQ(g_events, " init log init files init timer init input");

    g_events.clear();
    m_core.ShutdownServices();
    EXPECT_EQ(g_events, " shutdown input delete input shutdown timer delete timer shutdown text delete text"
                        " shutdown files delete files shutdown log delete log");
    EXPECT_EQ(sink.debug, "input stopped\ntimer stopped\ntext stopped\nfiles stopped\nlog stopped\n");

    // Each pointer was cleared, so a second shut-down deletes nothing and reports fall back to the stand-alone log.
    g_events.clear();
    m_core.ShutdownServices();
    EXPECT_EQ(g_events, "");
    GetLogger()->Report(1, "after");
    EXPECT_EQ(sink.debug.substr(sink.debug.size() - 6), "after\n");
}

} // namespace
