// Shared pieces of the tests of a whole park: the files a scenario needs, written into a fresh folder, a park layer
// whose managers and objects record what the World asks of them, and objects that log their updates.
#pragma once

#include "engine/core/GameParameters.h"
#include "tests/world/WorldTestSupport.h"
#include "world/CreationRequests.h"
#include "world/ParkServices.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace parktest
{

using worldtest::Probe;

// A probe that also logs its updates ("update <id>") in the shared journal.
class Walker : public Probe
{
public:
    bool Update() override
    {
        Journal().push_back("update " + std::to_string(m_dwID));
        return Probe::Update();
    }
};

// Managers and object answers that log what the World asks ("research", "rescue", "feedback", "forget <id>").
class RecordingPark : public ParkServices
{
public:
    struct Feedback : FeedbackService
    {
        ~Feedback() override { Probe::Journal().push_back("gone feedback"); }
        void SuppressMessageType(const char* type) override { suppressed.push_back(type); }
        void AddMessage(const char* id, uint32_t, uint32_t) override { Probe::Journal().push_back(id); }
        void Update() override { Probe::Journal().push_back("feedback"); }
        void ForgetObject(uint32_t id) override { Probe::Journal().push_back("forget " + std::to_string(id)); }
        std::vector<std::string> suppressed;
    };
    struct Research : ResearchService
    {
        ~Research() override { Probe::Journal().push_back("gone research"); }
        float Update(float delta) override
        {
            Probe::Journal().push_back("research");
            return spendPerSecond * delta;
        }
        float GetBudgetPerDay() const override { return budget; }
        float GetSliderValue() const override { return budget / 250.0f; }
        void SetSliderValue(float value) override { budget = 250.0f * value; }
        float spendPerSecond = 0.0f;
        float budget = 0.0f;
    };
    // A manager that logs its going ("gone <name>").
    struct Owned : OwnedParkManager
    {
        explicit Owned(std::string n) : name(std::move(n)) {}
        ~Owned() override { Probe::Journal().push_back("gone " + name); }
        std::string name;
    };
    struct Rescue : RescueService
    {
        ~Rescue() override { Probe::Journal().push_back("gone rescue"); }
        void ScheduleFirstOffer() override
        {
            ++scheduled;
            if (onSchedule)
                onSchedule();
        }
        std::function<void()> onSchedule;
        void Update() override { Probe::Journal().push_back("rescue"); }
        float GetAcceptanceRatio() const override { return ratio; }
        int scheduled = 0;
        float ratio = 0.0f;
    };

    RecordingPark() { SetParkServices(this); }
    // Run when the park schedules its first rescue offer, in the middle of its build.
    std::function<void()> onSchedule;
    ~RecordingPark() override { SetParkServices(nullptr); }

    ParkManagers CreateManagers() override
    {
        ParkManagers m;
        m.mechanicsRepair = std::make_unique<Owned>("mechanics");
        m.zooRepair = std::make_unique<Owned>("zookeepers");
        m.cleaning = std::make_unique<Owned>("cleaning");
        auto f = std::make_unique<Feedback>();
        feedback = f.get();
        m.feedback = std::move(f);
        m.construction = std::make_unique<Owned>("construction");
        auto r = std::make_unique<Research>();
        research = r.get();
        m.research = std::move(r);
        auto s = std::make_unique<Rescue>();
        s->onSchedule = onSchedule;
        rescue = s.get();
        m.rescue = std::move(s);
        return m;
    }
    GuestFigures GetGuestFigures(BaseObject& guest) override
    {
        auto it = guests.find(guest.GetID());
        return it != guests.end() ? it->second : GuestFigures{};
    }
    float GetShowRating(BaseObject& building) override { return showRatings[building.GetID()]; }
    bool IsBuildingOpen(BaseObject& /*building*/) override { return entranceOpen; }
    bool SetUpCreated(BaseObject& object, uint8_t kind, const void* /*request*/) override
    {
        setUps.push_back({object.GetID(), kind});
        return acceptSetUp;
    }

    Feedback* feedback = nullptr;
    Research* research = nullptr;
    Rescue* rescue = nullptr;
    std::map<uint32_t, GuestFigures> guests;
    std::map<uint32_t, float> showRatings;
    bool entranceOpen = true;
    bool acceptSetUp = true;
    std::vector<std::pair<uint32_t, uint8_t>> setUps;
};

// A text with every byte complemented, as the scrambled data files store it, under the folder.
inline void WriteScrambled(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::vector<uint8_t> bytes(text.begin(), text.end());
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(~b);
    testsupport::WriteBytes(path, bytes);
}

// A folder holding what one scenario needs, made the working folder: the game parameters (day length), a
// 128 x 128 grid of walkable ground, the three path tile tables, and small data tables: the building types
// ENTRANCE and KIOSK (a 2 x 3 footprint), the guest types MAN (gender M, two walk animation files) and WOMAN (F),
// the scenery type BENCH, the animal DOLPHIN. Every object kind is made as a Walker.
class Scenario
{
public:
    explicit Scenario(int dayLength = 240, bool withParameters = true) : m_cwd(m_dir.Path())
    {
        Probe::Journal().clear();
        Probe::Delivered().clear();
        ClearObjectKinds();
        for (uint8_t kind = kFirstObjectKind; kind <= kLastObjectKind; ++kind)
            RegisterObjectKind(kind, []() -> BaseObject* { return new Walker; });
        if (withParameters)
        {
            testsupport::WriteText(m_dir.File("gameparameters.pis"),
                                   "'iDAY_LENGTH_IN_SECONDS' " + std::to_string(dayLength) + "\r\n");
            m_params = std::make_unique<GameParameters>(m_dir.File("gameparameters.pis").c_str());
        }
        std::filesystem::create_directories(m_dir.File("data/maps"));
        std::vector<uint8_t> grid(128 * 128 * 4);
        for (size_t i = 0; i < grid.size(); i += 4)
        {
            grid[i] = 0x01;
            grid[i + 3] = 0x80;
        }
        testsupport::WriteBytes(m_dir.File("data/maps/BaycrestGrid.dat"), grid);
        for (const char* table : {"data/pathtiles.ble", "data/queuetiles.ble", "data/queuepath.ble"})
            WriteScrambled(m_dir.File(table), "0 0 0 0 0 0 0 0 1\n");
        WriteScrambled(m_dir.File("data/script/mrvbuildings.ble"),
                       "\"BUILD_ENTRANCE\"\n\"ENTRANCE_RIDE_MODEL\" \"NONE\"\n\"ENTRANCE_TABLE_MODEL\" \"NONE\"\n"
                       "\"BUILD_KIOSK\"\n\"KIOSK_RIDE_MODEL\" \"NONE\"\n\"KIOSK_TABLE_MODEL\" \"NONE\"\n"
                       "\"BUILD_KAIKOADV\"\n\"BUILD_AQUAGALA\"\n");
        WriteScrambled(m_dir.File("data/script/mrvmapgrids.ble"),
                       "\"MAPGRID_MAPKIOSK\"\n\"MAPKIOSK_WIDTH\" \"2\"\n\"MAPKIOSK_HEIGHT\" \"3\"\n");
        WriteScrambled(m_dir.File("data/script/guestextra.ble"),
                       "\"GUEST_MAN\"\n\"MAN_GENDER\" \"M\"\n\"MAN_ANIM_NAME\" \"MANANIM\"\n"
                       "\"GUEST_WOMAN\"\n\"WOMAN_GENDER\" \"F\"\n");
        WriteScrambled(m_dir.File("data/script/mrvanimlist.ble"), "\"MANANIM\" \"walk\" \"man_walk\" \"2\"\n");
        WriteScrambled(m_dir.File("data/script/mrvscenery.ble"), "\"SCENERY_BENCH\"\n");
        WriteScrambled(m_dir.File("data/script/mrvanimals.ble"), "\"ANIMAL_DOLPHIN\"\n");
        WriteScrambled(m_dir.File("data/script/world.ble"), "State STATE_WORLD_STARTUP\n OnEntry\n End\nEnd\n");
    }
    ~Scenario() { ClearObjectKinds(); }

    // Writes the world file from its entries (string values quoted, others as they stand) and returns its path.
    std::string WriteWorldFile(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        std::string text;
        for (const auto& [key, value] : entries)
            text += "'" + key + "' " + value + "\r\n";
        testsupport::WriteText(m_dir.File("park.pis"), text);
        return m_dir.File("park.pis");
    }
    // The usual keys of a small scenario, with more entries after them.
    std::string WriteStandardWorldFile(const std::vector<std::pair<std::string, std::string>>& more = {})
    {
        std::vector<std::pair<std::string, std::string>> entries = {
            {"WORLD_SCRIPT", "\"data/script/world.pis\""},
            {"WORLD_GUESTLIST", "\"data/script/guestnames.pis\""},
            {"WORLD_LEVEL", "\"BAYCREST\""},
            {"WORLD_PATHTILEINFO", "\"data/pathtiles.dat\""},
            {"WORLD_PAVEMENT_TILESET", "\"tdpathtile\""},
        };
        entries.insert(entries.end(), more.begin(), more.end());
        return WriteWorldFile(entries);
    }
    const testsupport::TempDir& Dir() const { return m_dir; }

private:
    testsupport::TempDir m_dir;
    testsupport::ScopedCurrentDir m_cwd;
    std::unique_ptr<GameParameters> m_params;
};

// The index of the first journal line equal to `line`, or -1.
inline int JournalIndex(const std::string& line)
{
    const auto& journal = Probe::Journal();
    for (size_t i = 0; i < journal.size(); ++i)
    {
        if (journal[i] == line)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace parktest
