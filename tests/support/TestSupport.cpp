// Shared test helpers.
#include "tests/support/TestSupport.h"

#include "platform/Report.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport
{

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "twtest-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!::mkdtemp(buf.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = buf.data();
}

namespace
{

// A test binary that the code under test ends with exit code 0 would read as passed: such an end (outside a death
// test's own child) is turned into a failure that says what happened.
const bool g_exitHookInstalled = []
{
    platform::SetExitHook(
        [](int code)
        {
            if (code != 0 || testing::internal::InDeathTestChild())
                return;
            const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
            std::fprintf(stderr,
                         "\nThe process was ended with exit code 0 during %s.%s: a test binary that stops early "
                         "fails.\n",
                         test ? test->test_suite_name() : "(no test)", test ? test->name() : "");
            std::fflush(nullptr);
            std::_Exit(70);
        });
    return true;
}();

// With TW_FUZZ_SEEDS naming a folder, every file a test leaves in its temporary folder is copied there as a fuzz
// seed (tools/fuzz.sh --seeds), named by its content's hash and its own name so repeats fold together. Small files
// only, and a bounded number from each folder: seeds are for variety, not bulk.
void KeepAsSeeds(const std::string& folder)
{
    const char* seeds = std::getenv("TW_FUZZ_SEEDS");
    if (!seeds || !*seeds)
        return;
    std::error_code ec;
    int kept = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec))
    {
        if (!entry.is_regular_file(ec) || entry.file_size(ec) > (256u << 10) || ++kept > 64)
            continue;
        const std::string bytes = ReadText(entry.path().string());
        const size_t hash = std::hash<std::string>{}(bytes);
        char prefix[32];
        std::snprintf(prefix, sizeof(prefix), "%016zx-", hash);
        std::filesystem::copy_file(entry.path(),
                                   std::filesystem::path(seeds) / (prefix + entry.path().filename().string()),
                                   std::filesystem::copy_options::skip_existing, ec);
    }
}

} // namespace

TempDir::~TempDir()
{
    KeepAsSeeds(m_path);
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

ScopedCurrentDir::ScopedCurrentDir(const std::string& dir) : m_previous(std::filesystem::current_path().string())
{
    std::filesystem::current_path(dir);
}

ScopedCurrentDir::~ScopedCurrentDir()
{
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string WriteTextTable(const TempDir& dir, const std::u16string& texts)
{
    std::u16string file = u"\uFEFF\"";
    for (char16_t c : texts)
        file += c == u'=' ? u"\" \"" : c == u'|' ? u"\"\r\n\"" : std::u16string(1, c);
    file += u"\"\r\n";
    std::vector<uint8_t> bytes;
    for (char16_t c : file)
    {
        bytes.push_back(static_cast<uint8_t>(~(c & 0xFF)));
        bytes.push_back(static_cast<uint8_t>(~(c >> 8)));
    }
    WriteBytes(dir.File("text_uk.ble"), bytes);
    return dir.File("text_uk.uni");
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RecordingReportSink::RecordingReportSink() : m_previous(platform::SetReportSink(this)) {}

RecordingReportSink::~RecordingReportSink()
{
    platform::SetReportSink(m_previous);
}

void RecordingReportSink::ShowMessageBox(const char* title, const char* text)
{
    boxes.push_back({title, text});
}

void RecordingReportSink::DebugOutput(const char* text)
{
    debug += text;
}

ManualTimeSource::ManualTimeSource() : m_previous(platform::SetTimeSource(this)) {}

ManualTimeSource::~ManualTimeSource()
{
    platform::SetTimeSource(m_previous);
}

uint64_t ManualTimeSource::CycleCounter()
{
    uint64_t now = cycles;
    cycles += cyclesPerRead;
    return now;
}

bool RunWithFileSizeLimit(uint64_t bytes, bool (*body)(const std::string&), const std::string& argument)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0)
    {
        // A write past the limit fails with EFBIG instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = bytes;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(2);
        ::_exit(body(argument) ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string CorpusDir()
{
    if (const char* env = std::getenv("TW_CORPUS_DIR"))
        return std::filesystem::is_directory(env) ? env : "";
    std::filesystem::path dir = std::filesystem::path(TW_SOURCE_DIR) / ".." / "shared" / "corpus";
    return std::filesystem::is_directory(dir) ? std::filesystem::canonical(dir).string() : "";
}

} // namespace testsupport
