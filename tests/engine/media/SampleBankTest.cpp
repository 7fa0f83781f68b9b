// Tests for the sample bank: index records, lookups, on-demand loads, the idle unloading and damaged banks.
#include "engine/media/SampleBank.h"
#include "tests/platform/audio/AudioTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using audiotest::BankFiles;

namespace
{

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
    std::unique_ptr<SampleBank> Open(const BankFiles& files)
    {
        files.Write(m_dir.File("bank.hdr"), m_dir.File("bank.spf"));
        return std::make_unique<SampleBank>(m_dir.File("bank.hdr").c_str(), m_dir.File("bank.spf").c_str());
    }

    // The bytes handed out for a name, empty when none.
    static std::vector<uint8_t> Get(SampleBank& bank, const char* name)
    {
        uint32_t size = 99;
        const uint8_t* data = bank.GetSample(name, &size);
        EXPECT_EQ(size == 0, data == nullptr) << name;
        return data != nullptr ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>{};
    }

    testsupport::TempDir m_dir;
};

} // namespace

TEST_F(SampleBankTest, ReadsRecordsOnDemandWhateverTheLetterCase)
{
    BankFiles files;
    files.Add("click.wav", Payload(100, 1));
    files.Add("Thunder_Roll.wav", Payload(3000, 2));
    files.index.insert(files.index.end(), {0x11, 0x22}); // stray bytes after the last record: not a record
    auto bank = Open(files);
    EXPECT_EQ(bank->GetSampleCount(), 2u);
    EXPECT_FALSE(bank->HasSample("click"));
    EXPECT_EQ(bank->GetLoadedBytes(), 0u); // nothing is read before it is asked for
    EXPECT_EQ(Get(*bank, "thunder_roll.WAV"), Payload(3000, 2));
    EXPECT_EQ(bank->GetLoadedBytes(), 3000u);
    EXPECT_TRUE(Get(*bank, "missing.wav").empty());
}

TEST_F(SampleBankTest, DamagedRecordsAndMissingFilesAreReadSafely)
{
    // A name filling all 32 bytes without a terminator, followed directly by the next record's offset.
    const std::string longName = "abcdefghijklmnopqrstuvwxyz01.wav";
    BankFiles files;
    files.Add(longName, Payload(50, 1));
    // Records whose bytes do not lie inside the 50-byte data file count as missing.
    audiotest::PutBankRecord(files.index, 40, 11, "pastend.wav");
    audiotest::PutBankRecord(files.index, 0xFFFFFFF0u, 0x20, "wrap.wav"); // offset + size wraps 32 bits
    audiotest::PutBankRecord(files.index, 10, 40, "tail.wav");            // ends exactly at the end
    // A record cut after its size field: its name was never there.
    std::vector<uint8_t> partial;
    audiotest::PutBankRecord(partial, 0, 4, "cut.wav");
    files.index.insert(files.index.end(), partial.begin(), partial.begin() + 20);
    auto bank = Open(files);
    EXPECT_EQ(bank->GetSampleCount(), 2u);
    ASSERT_NE(bank->FindEntry(longName.c_str()), nullptr);
    EXPECT_EQ(std::strlen(bank->FindEntry(longName.c_str())->m_szName), 32u);
    EXPECT_EQ(Get(*bank, longName.c_str()), Payload(50, 1));
    EXPECT_EQ(Get(*bank, "tail.wav"), std::vector<uint8_t>(files.data.begin() + 10, files.data.end()));
    for (const char* name : {"pastend.wav", "wrap.wav", "cut.wav"})
        EXPECT_TRUE(Get(*bank, name).empty()) << name;
    // Without its data file every sample counts as missing rather than handing out unread bytes.
    SampleBank noData(m_dir.File("bank.hdr").c_str(), m_dir.File("nothere.spf").c_str());
    EXPECT_TRUE(Get(noData, longName.c_str()).empty());
}

TEST_F(SampleBankTest, IdleSamplesUnloadAfterMoreThanFiveSecondsWithoutUsersAndUsersNeverGoBelowZero)
{
    BankFiles files;
    files.Add("step.wav", Payload(64, 9));
    files.Add("other.wav", Payload(16, 4));
    auto bank = Open(files);
    Get(*bank, "step.wav");
    Get(*bank, "step.wav");
    Get(*bank, "other.wav");
    // While anyone holds it, time does not count.
    bank->ReleaseSample("step.wav");
    bank->Update(30.0f);
    EXPECT_EQ(bank->GetLoadedBytes(), 80u);
    bank->ReleaseSample("step.wav");
    for (int i = 0; i < 50; ++i)
        bank->Update(0.1f); // 5.0 s: not yet more than five
    EXPECT_EQ(bank->GetLoadedBytes(), 80u);
    bank->Update(0.2f);
    EXPECT_EQ(bank->FindEntry("step.wav")->m_pData, nullptr);
    EXPECT_EQ(bank->GetLoadedBytes(), 16u); // the one still held stays
    // Extra releases never drive the user count below 0: two new users hold it however long the frames run.
    for (int i = 0; i < 3; ++i)
        bank->ReleaseSample("step.wav");
    EXPECT_EQ(bank->FindEntry("step.wav")->m_iUsers, 0);
    Get(*bank, "step.wav");
    Get(*bank, "step.wav");
    bank->ReleaseSample("step.wav");
    bank->Update(60.0f);
    EXPECT_NE(bank->FindEntry("step.wav")->m_pData, nullptr);
}

TEST_F(SampleBankTest, HoldsAt389SamplesAndDuplicatesFindTheFirst)
{
    BankFiles files;
    files.Add("same.wav", Payload(4, 10));
    files.Add("same.wav", Payload(4, 20));
    for (int i = 2; i < 390; ++i)
        files.Add("s" + std::to_string(i) + ".wav", Payload(2, static_cast<uint8_t>(i)));
    auto bank = Open(files);
    EXPECT_EQ(bank->GetSampleCount(), 389u);
    EXPECT_FALSE(bank->HasSample("s389.wav"));
    EXPECT_EQ(Get(*bank, "same.wav"), Payload(4, 10));
}

TEST_F(SampleBankTest, BanksCutAtEveryByteHoldTheWholeRecordsWhoseBytesAreThere)
{
    BankFiles files;
    const std::vector<std::pair<std::string, size_t>> samples = {{"one.wav", 7}, {"two.wav", 13}, {"three.wav", 5}};
    for (size_t i = 0; i < samples.size(); ++i)
        files.Add(samples[i].first, Payload(samples[i].second, static_cast<uint8_t>(i)));
    // The index cut at every byte: only its whole 40-byte records are read.
    for (size_t cut = 0; cut <= files.index.size(); ++cut)
    {
        BankFiles shorter = files;
        shorter.index.resize(cut);
        auto bank = Open(shorter);
        const size_t whole = cut / SampleBank::kRecordSize;
        EXPECT_EQ(bank->GetSampleCount(), whole) << cut;
        for (size_t i = 0; i < samples.size(); ++i)
            EXPECT_EQ(Get(*bank, samples[i].first.c_str()).size(), i < whole ? samples[i].second : 0u) << cut;
    }
    // The data cut at every byte: a sample is there only while all its bytes are.
    for (size_t cut = 0; cut <= files.data.size(); ++cut)
    {
        BankFiles shorter = files;
        shorter.data.resize(cut);
        auto bank = Open(shorter);
        size_t end = 0;
        for (size_t i = 0; i < samples.size(); ++i)
        {
            end += samples[i].second;
            const std::vector<uint8_t> got = Get(*bank, samples[i].first.c_str());
            if (end <= cut)
                EXPECT_EQ(got, Payload(samples[i].second, static_cast<uint8_t>(i))) << cut;
            else
                EXPECT_TRUE(got.empty()) << cut;
        }
    }
    // Sizes and offsets counting past the data: the largest values, each alone and with the other.
    const std::pair<uint32_t, uint32_t> pastTheData[] = {
        {0, 26}, {25, 1}, {0, 0xFFFFFFFFu}, {0xFFFFFFFFu, 0}, {0xFFFFFFFFu, 0xFFFFFFFFu}, {1, 0xFFFFFFFFu}};
    for (const auto& [offset, size] : pastTheData)
    {
        BankFiles bad = files;
        audiotest::PutBankRecord(bad.index, offset, size, "bad.wav");
        auto bank = Open(bad);
        EXPECT_FALSE(bank->HasSample("bad.wav")) << offset << " " << size;
        EXPECT_EQ(bank->GetSampleCount(), samples.size());
    }
}
