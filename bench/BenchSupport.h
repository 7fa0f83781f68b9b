// Shared pieces of the benchmarks: keeping reports off the console while a park is set up, and the calling
// thread's processor time (which other programs on a busy machine do not add to, as they do to the wall clock).
#pragma once

#include "platform/Report.h"

#include <ctime>

// Microseconds of processor time the calling thread has used.
inline double ThreadMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

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
