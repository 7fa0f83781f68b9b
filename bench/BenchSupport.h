// Shared pieces of the benchmarks: keeping reports off the console while a park is set up.
#pragma once

#include "platform/Report.h"

// Swallows reports for its lifetime.
class QuietReports : public platform::ReportSink
{
public:
    QuietReports() : m_previous(platform::SetReportSink(this)) {}
    ~QuietReports() override { platform::SetReportSink(m_previous); }
    void ShowMessageBox(const char*, const char*) override {}
    void DebugOutput(const char*) override {}

private:
    platform::ReportSink* m_previous;
};
