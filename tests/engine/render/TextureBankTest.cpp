// Tests for the texture bank: lookups by name, DDT textures served from the data, and damaged indexes.
#include "engine/render/TextureBank.h"

#include "engine/core/Stream.h"
#include "engine/render/ImageReaders.h"
#include "tests/engine/render/TextureTestFiles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace
{

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, uint32_t v)
{
    out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// Index records (offset, size, 32 name bytes cut or zero-filled) and the data file they point into.
struct Bank
{
    testsupport::TempDir dir;
    Bytes index, data;
    uint32_t count = 0;

    void Record(uint32_t offset, uint32_t size, std::string name)
    {
        ++count;
        Put32(index, offset);
        Put32(index, size);
        name.resize(32, '\0');
        index.insert(index.end(), name.begin(), name.end());
    }
    void Add(const std::string& name, const Bytes& bytes)
    {
        Record(static_cast<uint32_t>(data.size()), static_cast<uint32_t>(bytes.size()), name);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    std::unique_ptr<TextureBank> Open(uint32_t countField, const char* dataName = "MRV2TEX.GTB")
    {
        Bytes file;
        Put32(file, countField);
        file.insert(file.end(), index.begin(), index.end());
        testsupport::WriteBytes(dir.File("MRV2TEX.HDR"), file);
        testsupport::WriteBytes(dir.File("MRV2TEX.GTB"), data);
        return std::make_unique<TextureBank>(dir.File("mrv2tex.hdr").c_str(), dir.File(dataName).c_str());
    }
};

std::string Found(const TextureBank& bank, const std::string& name)
{
    uint32_t size = 99;
    const uint8_t* bytes = bank.Find(name.c_str(), &size);
    EXPECT_TRUE(bytes || size == 0) << name;
    return bytes ? std::string(reinterpret_cast<const char*>(bytes), size) : "<none>";
}

} // namespace

TEST(TextureBankTest, ServesDdtTexturesByNameWithoutRegardToCase)
{
    // A one-level 32-bit DDT of 2 x 2 texels (16 pixel bytes 10..25).
    Bytes texels(16);
    for (uint8_t i = 0; i < 16; ++i)
        texels[i] = static_cast<uint8_t>(10 + i);
    const Bytes ddt = texturetest::MakeDDT({.width = 2, .height = 2}, texels);
    Bank bank;
    bank.Add("grass.ddt", ddt);
    bank.Add("Rock.DDT", {'r', 'o', 'c', 'k'});
    bank.Add("grass.ddt", {'s', 'e', 'c', 'o', 'n', 'd'}); // the same name again: the first record wins
    std::unique_ptr<TextureBank> textures = bank.Open(bank.count);
    EXPECT_EQ(textures->GetRecordCount(), 3u);

    uint32_t size = 0;
    const uint8_t* bytes = textures->Find("GRASS.DDT", &size);
    ASSERT_TRUE(bytes && size == ddt.size());
    FileStream stream(bytes, size);
    uint32_t pixelBytes = 0;
    std::unique_ptr<uint8_t[]> pixels = LoadDDT("GRASS.DDT", stream, nullptr, 0, &pixelBytes);
    ASSERT_TRUE(pixels && pixelBytes == 16);
    EXPECT_TRUE(pixels[0] == 10 && pixels[15] == 25 && Found(*textures, "ROCK.ddt") == "rock");
    EXPECT_EQ(Found(*textures, "sand.ddt"), "<none>");
    EXPECT_EQ(Found(*textures, "GAMEDATA\\ROCK.DDT"), "<none>"); // names are kept without their directory
}

TEST(TextureBankTest, DamagedIndexesServeOnlyRecordsInsideTheData)
{
    Bank bank;
    bank.Add("good.ddt", {'g', 'o', 'o', 'd'});
    bank.Record(2, 10, "pastend.ddt");      // runs past the data
    bank.Record(100, 0, "offset.ddt");      // starts past the data
    bank.Record(0xFFFFFFFF, 2, "wrap.ddt"); // offset + size wraps at 32 bits
    const std::string longName(32, 'L');    // fills its field: no terminator inside the record
    bank.Record(1, 3, longName);
    std::unique_ptr<TextureBank> textures = bank.Open(bank.count);
    EXPECT_TRUE(textures->GetRecordCount() == 2u && Found(*textures, "good.ddt") == "good");
    EXPECT_EQ(Found(*textures, longName), "ood");
    for (const std::string& name : std::vector<std::string>{"pastend.ddt", "offset.ddt", "wrap.ddt", longName + "X"})
        EXPECT_EQ(Found(*textures, name), "<none>");

    // A count that promises more than the index holds: reading stops at its end and a cut record is dropped.
    bank.index.resize(bank.index.size() + 20, 'x');
    EXPECT_TRUE(bank.Open(1000000)->GetRecordCount() == 2u && Found(*bank.Open(0), "good.ddt") == "<none>");
    EXPECT_EQ(Found(*bank.Open(bank.count, "none.gtb"), "good.ddt"), "<none>");

    // The map holds NextHashPrime(1000) = 1543 names; records beyond that are not entered.
    Bank full;
    full.data = {1};
    for (int i = 0; i < 1600; ++i)
        full.Record(0, 1, "t" + std::to_string(i));
    std::unique_ptr<TextureBank> crowded = full.Open(full.count);
    EXPECT_TRUE(crowded->GetRecordCount() == 1543 && Found(*crowded, "t1542") == "\1" &&
                Found(*crowded, "t1543") == "<none>");
}
