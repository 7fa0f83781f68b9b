// Tests for the sample bank: index records, lookups, on-demand loads, the idle unloading and damaged banks.
#include "engine/media/SampleBank.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// One 40-byte index record; the name is cut or zero-filled to 32 bytes.
void PutRecord(std::vector<uint8_t>& index, uint32_t offset, uint32_t size, const std::string& name)
{
    Put32(index, offset);
    Put32(index, size);
    uint8_t field[32] = {};
    std::memcpy(field, name.data(), std::min<size_t>(name.size(), 32));
    index.insert(index.end(), field, field + 32);
}

// Builds a bank of named payloads laid one after another in the data file.
struct BankFiles
{
    std::vector<uint8_t> index;
    std::vector<uint8_t> data;

    void Add(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        PutRecord(index, static_cast<uint32_t>(data.size()), static_cast<uint32_t>(bytes.size()), name);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }

    void Write(const testsupport::TempDir& dir) const
    {
        testsupport::WriteBytes(dir.File("bank.hdr"), index);
        testsupport::WriteBytes(dir.File("bank.spf"), data);
    }
};

std::vector<uint8_t> Payload(size_t size, uint8_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

class SampleBankTest : public ::testing::Test
{
protected:
    std::unique_ptr<SampleBank> Open()
    {
        return std::make_unique<SampleBank>(m_dir.File("bank.hdr").c_str(), m_dir.File("bank.spf").c_str());
    }

    testsupport::TempDir m_dir;
};

} // namespace

TEST_F(SampleBankTest, ReadsRecordsAndHandsOutTheirBytes)
{
    BankFiles files;
    files.Add("click.wav", Payload(100, 1));
    files.Add("crowdbigloop.wav", Payload(3000, 2));
    files.Add("pop.wav", Payload(1, 3));
    files.Write(m_dir);
    auto bank = Open();
    EXPECT_EQ(bank->GetSampleCount(), 3u);
    EXPECT_TRUE(bank->HasSample("click.wav"));
    EXPECT_TRUE(bank->HasSample("pop.wav"));
    EXPECT_FALSE(bank->HasSample("click"));
    EXPECT_EQ(bank->GetLoadedBytes(), 0u); // nothing is read before it is asked for

    uint32_t size = 0;
    const uint8_t* data = bank->GetSample("crowdbigloop.wav", &size);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(size, 3000u);
    EXPECT_EQ(std::vector<uint8_t>(data, data + size), Payload(3000, 2));
    EXPECT_EQ(bank->GetLoadedBytes(), 3000u);
    data = bank->GetSample("pop.wav", &size);
    ASSERT_EQ(size, 1u);
    EXPECT_EQ(data[0], 3);
    EXPECT_EQ(bank->GetLoadedBytes(), 3001u);

    size = 99;
    EXPECT_EQ(bank->GetSample("missing.wav", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(bank->GetSample(nullptr, &size), nullptr);
    bank->ReleaseSample("missing.wav"); // harmless
}

TEST_F(SampleBankTest, LookupIgnoresLetterCase)
{
    BankFiles files;
    files.Add("thunder_roll.wav", Payload(10, 5));
    files.Write(m_dir);
    auto bank = Open();
    EXPECT_TRUE(bank->HasSample("THUNDER_ROLL.WAV"));
    uint32_t size = 0;
    const uint8_t* data = bank->GetSample("Thunder_Roll.Wav", &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 10u);
}

TEST_F(SampleBankTest, StrayBytesAndPartialRecordsAtTheEndAreNotEntered)
{
    BankFiles files;
    files.Add("a.wav", Payload(4, 1));
    files.Add("b.wav", Payload(4, 2));
    files.Add("c.wav", Payload(4, 3));
    files.index.push_back(0x11);
    files.index.push_back(0x22);
    files.Write(m_dir);
    EXPECT_EQ(Open()->GetSampleCount(), 3u);

    // A record cut after its size field: the name was never there, so the record is dropped.
    std::vector<uint8_t> partial;
    PutRecord(partial, 0, 4, "d.wav");
    files.index.resize(files.index.size() - 2);
    files.index.insert(files.index.end(), partial.begin(), partial.begin() + 20);
    files.Write(m_dir);
    auto bank = Open();
    EXPECT_EQ(bank->GetSampleCount(), 3u);
    EXPECT_FALSE(bank->HasSample("d.wav"));
}

TEST_F(SampleBankTest, NameFillingAll32BytesIsReadWithoutRunningOver)
{
    const std::string longName = "abcdefghijklmnopqrstuvwxyz01.wav"; // 32 characters, no terminator in the record
    ASSERT_EQ(longName.size(), 32u);
    BankFiles files;
    files.Add(longName, Payload(8, 1));
    files.Add("next.wav", Payload(8, 2)); // its offset bytes follow the name directly
    files.Write(m_dir);
    auto bank = Open();
    ASSERT_EQ(bank->GetSampleCount(), 2u);
    EXPECT_TRUE(bank->HasSample(longName.c_str()));
    const SampleEntry* entry = bank->FindEntry(longName.c_str());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::strlen(entry->m_szName), 32u);
    uint32_t size = 0;
    const uint8_t* data = bank->GetSample(longName.c_str(), &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[0], 1);
}

TEST_F(SampleBankTest, RecordsOutsideTheDataFileCountAsMissing)
{
    BankFiles files;
    files.Add("good.wav", Payload(50, 1));
    PutRecord(files.index, 40, 11, "pastend.wav");         // 40 + 11 > 50
    PutRecord(files.index, 60, 0, "offsetpast.wav");       // starts beyond the file
    PutRecord(files.index, 0xFFFFFFF0u, 0x20, "wrap.wav"); // offset + size wraps 32 bits
    PutRecord(files.index, 0, 0xFFFFFFFFu, "huge.wav");
    PutRecord(files.index, 50, 0, "empty.wav"); // an empty sample at the very end is in range
    PutRecord(files.index, 10, 40, "tail.wav"); // ends exactly at the end
    files.Write(m_dir);
    auto bank = Open();
    EXPECT_TRUE(bank->HasSample("good.wav"));
    EXPECT_TRUE(bank->HasSample("tail.wav"));
    EXPECT_TRUE(bank->HasSample("empty.wav"));
    for (const char* name : {"pastend.wav", "offsetpast.wav", "wrap.wav", "huge.wav"})
    {
        EXPECT_FALSE(bank->HasSample(name)) << name;
        uint32_t size = 7;
        EXPECT_EQ(bank->GetSample(name, &size), nullptr) << name;
        EXPECT_EQ(size, 0u) << name;
    }
    uint32_t size = 0;
    const uint8_t* tail = bank->GetSample("tail.wav", &size);
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(size, 40u);
    EXPECT_EQ(std::vector<uint8_t>(tail, tail + 40), std::vector<uint8_t>(files.data.begin() + 10, files.data.end()));
}

TEST_F(SampleBankTest, MissingFilesLeaveTheBankEmptyOrSilent)
{
    // No index: nothing is known.
    auto none = std::make_unique<SampleBank>(m_dir.File("nothere.hdr").c_str(), m_dir.File("nothere.spf").c_str());
    EXPECT_EQ(none->GetSampleCount(), 0u);
    EXPECT_FALSE(none->HasSample("click.wav"));
    none->Update(10.0f);

    // An index without its data file: every sample counts as missing rather than handing out unread bytes.
    BankFiles files;
    files.Add("click.wav", Payload(20, 1));
    testsupport::WriteBytes(m_dir.File("bank.hdr"), files.index);
    auto noData = Open();
    EXPECT_FALSE(noData->HasSample("click.wav"));
    uint32_t size = 5;
    EXPECT_EQ(noData->GetSample("click.wav", &size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST_F(SampleBankTest, IdleSamplesUnloadAfterMoreThanFiveSeconds)
{
    BankFiles files;
    files.Add("step.wav", Payload(64, 9));
    files.Add("other.wav", Payload(16, 4));
    files.Write(m_dir);
    auto bank = Open();
    uint32_t size = 0;
    ASSERT_NE(bank->GetSample("step.wav", &size), nullptr);
    ASSERT_NE(bank->GetSample("step.wav", &size), nullptr);
    ASSERT_NE(bank->GetSample("other.wav", &size), nullptr);
    EXPECT_EQ(bank->GetLoadedBytes(), 80u);

    // While anyone holds it, time does not count.
    bank->ReleaseSample("step.wav");
    bank->Update(30.0f);
    EXPECT_EQ(bank->GetLoadedBytes(), 80u);
    bank->ReleaseSample("step.wav");
    for (int i = 0; i < 50; ++i)
        bank->Update(0.1f); // 5.0 s: not yet more than five
    EXPECT_NE(bank->FindEntry("step.wav")->m_pData, nullptr);
    EXPECT_EQ(bank->GetLoadedBytes(), 80u);
    bank->Update(0.05f);
    EXPECT_EQ(bank->FindEntry("step.wav")->m_pData, nullptr);
    EXPECT_EQ(bank->GetLoadedBytes(), 16u); // the one still held stays

    // Asked for again, it is read again.
    const uint8_t* again = bank->GetSample("step.wav", &size);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again[1], static_cast<uint8_t>(9 + 7));
    EXPECT_EQ(bank->GetLoadedBytes(), 80u);
}

TEST_F(SampleBankTest, SampleWantedAgainWithinTheIdleTimeIsNotReadAgain)
{
    BankFiles files;
    files.Add("click.wav", Payload(32, 1));
    files.Write(m_dir);
    auto bank = Open();
    uint32_t size = 0;
    const uint8_t* first = bank->GetSample("click.wav", &size);
    ASSERT_NE(first, nullptr);
    bank->ReleaseSample("click.wav");
    bank->Update(4.9f);

    // Change the bytes on disk: a second read would see them.
    std::vector<uint8_t> changed = files.data;
    changed[0] = 0xEE;
    testsupport::WriteBytes(m_dir.File("bank.spf"), changed);
    const uint8_t* second = bank->GetSample("click.wav", &size);
    EXPECT_EQ(second, first);
    EXPECT_EQ(second[0], 1);
    EXPECT_EQ(bank->GetLoadedBytes(), 32u);

    // The release restarts the idle time: another 4.9 s keeps it.
    bank->ReleaseSample("click.wav");
    bank->Update(4.9f);
    EXPECT_NE(bank->FindEntry("click.wav")->m_pData, nullptr);
}

TEST_F(SampleBankTest, ExtraReleasesNeverDriveTheUserCountBelowZero)
{
    BankFiles files;
    files.Add("click.wav", Payload(32, 1));
    files.Write(m_dir);
    auto bank = Open();
    uint32_t size = 0;
    bank->GetSample("click.wav", &size);
    bank->ReleaseSample("click.wav");
    bank->ReleaseSample("click.wav"); // one too many
    bank->ReleaseSample("click.wav");
    EXPECT_EQ(bank->FindEntry("click.wav")->m_iUsers, 0);

    // A new user holds it: it must not be freed under them however long the frames run.
    ASSERT_NE(bank->GetSample("click.wav", &size), nullptr);
    EXPECT_EQ(bank->FindEntry("click.wav")->m_iUsers, 1);
    bank->Update(60.0f);
    EXPECT_NE(bank->FindEntry("click.wav")->m_pData, nullptr);
    EXPECT_EQ(bank->GetLoadedBytes(), 32u);
}

TEST_F(SampleBankTest, HoldsAt389SamplesAndDuplicatesFindTheFirst)
{
    BankFiles files;
    for (int i = 0; i < 390; ++i)
        files.Add("s" + std::to_string(i) + ".wav", Payload(2, static_cast<uint8_t>(i)));
    files.Write(m_dir);
    auto bank = Open();
    EXPECT_EQ(bank->GetSampleCount(), 389u);
    EXPECT_TRUE(bank->HasSample("s0.wav"));
    EXPECT_TRUE(bank->HasSample("s388.wav"));
    EXPECT_FALSE(bank->HasSample("s389.wav"));

    BankFiles dup;
    dup.Add("same.wav", Payload(4, 10));
    dup.Add("same.wav", Payload(4, 20));
    dup.Write(m_dir);
    auto twice = Open();
    EXPECT_EQ(twice->GetSampleCount(), 2u);
    uint32_t size = 0;
    const uint8_t* data = twice->GetSample("same.wav", &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data[0], 10);
}
