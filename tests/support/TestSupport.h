// Shared test helpers: temporary folders, file bytes, a recording report sink, a driven time source, the corpus.
#pragma once

#include "platform/Report.h"
#include "platform/Time.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport
{

// A fresh directory under the system's temporary folder, removed with everything in it on destruction.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Path of a file inside the folder.
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Changes the working directory for the lifetime of the object.
class ScopedCurrentDir
{
public:
    explicit ScopedCurrentDir(const std::string& dir);
    ~ScopedCurrentDir();

private:
    std::string m_previous;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
// Writes a scrambled text table of "id=text|id=text" pairs, in the order given, as "text_uk.ble" in the folder and
// returns the name the game opens it by ("text_uk.uni").
std::string WriteTextTable(const TempDir& dir, const std::u16string& texts);

// Records message boxes and debugger output instead of showing them; installed for its lifetime.
class RecordingReportSink : public platform::ReportSink
{
public:
    RecordingReportSink();
    ~RecordingReportSink() override;

    void ShowMessageBox(const char* title, const char* text) override;
    void DebugOutput(const char* text) override;

    struct Box
    {
        std::string title;
        std::string text;
    };
    std::vector<Box> boxes;
    std::string debug;

private:
    platform::ReportSink* m_previous;
};

// A clock the test moves by hand; installed for its lifetime.
class ManualTimeSource : public platform::TimeSource
{
public:
    ManualTimeSource();
    ~ManualTimeSource() override;

    uint32_t TickCount() override { return ticks; }
    uint64_t CycleCounter() override;

    uint32_t ticks = 0;
    uint64_t cycles = 0;
    // Added to `cycles` after every read, to model the cost of reading the counter.
    uint64_t cyclesPerRead = 0;

private:
    platform::TimeSource* m_previous;
};

// Runs `body` in a child process whose files may grow to at most `bytes` (writes past it fail, as on a full
// disk) and answers what it returned; false when the child could not run or did not finish normally.
bool RunWithFileSizeLimit(uint64_t bytes, bool (*body)(const std::string&), const std::string& argument);

// The shared folder of real third-party files, or empty when it is absent (tests then skip).
std::string CorpusDir();

} // namespace testsupport
