// Shared pieces of the guest, scenery, litter and table tests: a park of real guests, scenery, tables and litter
// beside the park's buildings, small building types of every attraction category, a guest type whose numbers the
// tests know, the thoughts and panel texts of a text table, and views and a GUI that record what they are asked.
#pragma once

#include "engine/core/TextTable.h"
#include "park/GuestObject.h"
#include "park/LitterObject.h"
#include "park/ParkViews.h"
#include "park/SceneryObject.h"
#include "park/TableObject.h"
#include "scripts/ObjectScript.h"
#include "tests/park/JobsTestSupport.h"
#include "world/Path.h"

#include <memory>
#include <string>
#include <vector>

namespace guesttest
{

using bldtest::Stub;

// Records the camera moves and voices the park asks for; registered for its lifetime.
class Views : public ParkViews
{
public:
    Views() { SetParkViews(this); }
    ~Views() override { SetParkViews(nullptr); }
    void LookAt(const platform::Vec3& at) override { lookedAt.push_back(at); }
    void PauseFollowing(uint32_t id) override { paused.push_back(id); }
    void ResumeFollowing(uint32_t id) override { resumed.push_back(id); }
    void PlayOpinionSound(int32_t sound, const platform::Vec3&) override { sounds.push_back(sound); }

    std::vector<platform::Vec3> lookedAt;
    std::vector<uint32_t> paused;
    std::vector<uint32_t> resumed;
    std::vector<int32_t> sounds;
};

// A guest that keeps every message delivered to it.
class WatchedGuest : public GuestObject
{
public:
    bool Message(const MessageRecord& record) override
    {
        got.push_back(record);
        return GuestObject::Message(record);
    }
    // The messages of a type it received, oldest first.
    std::vector<MessageRecord> Got(uint32_t type) const;

    std::vector<MessageRecord> got;
};

// The guest type MAN (and WOMAN, its female twin): 60 dollars, LITTER and BLADDER as given, the growth of each
// desire between 0.25 and 0.75 a day, preferred intensity 0.5 for every desire, effects of 0.05 bad and 0.04
// good on every opinion, tolerances beauty 0.2-0.6, animal 0.3-0.7, price 80-120 (%), clean 0.5-0.9.
std::string GuestType(const std::string& name, const char* gender, float litter);

// A park of size x size cells with a footpath along the row y = 7 and the column x = 1, every manager (with a
// feedback manager), real guests, scenery, tables and litter, stand-ins for staff, animals whose happiness the test
// sets (jobstest::Animal), the sample data's models, a text table holding every thought (the variant "_2" of a base is
// missing for the base GUEST_THOUGHT_NEED_CASH, which has "_1" only) and the panel's texts, and a scene for the
// objects' models. Building types, each one cell served from the footpath cell to its west, with two view points in
// either set: FOOD (MEALS), SNACK, ZOO
// (ANIMAL, up to three FISH), SHOW, FUN (AMUSEMENT), RIDE, GIFTS (RETAIL), INFORMATION (RETAIL), RESTSMALL (TOILET),
// BANK (CASH); CAFE, a MEALS building with two tables and no server. Scenery: BENCH (two seats, beauty 0.9), Bin
// (capacity 10, wants emptying), BinSeat (a bin one sits on, capacity 2), WIDE (1 x 3, marks the ground, costs 50),
// AUTO and BIG (2 x 2, placed automatically and not), PLANT (beauty 0.45), Litter01 to Litter05.
class GuestPark : public bldtest::BuildingPark
{
public:
    explicit GuestPark(int size = 48, float litter = 0.5f);
    ~GuestPark();

    // A guest made as the World makes one (its kind, state STATE_NULL) at a map position, with a script of no
    // states, so that what it posts is posted.
    WatchedGuest* Guest(float x, float y, const char* type = "MAN");
    // A guest as above at (40, 480) on a script whose one state runs the commands when it is sent MT_SPOT_OPINION.
    WatchedGuest* GuestRunning(const std::string& commands);
    // Scenery requested through the World and started.
    Scenery* Item(const char* type, int x, int y, int direction = 0);
    LitterObject* Litter(int x, int y, const char* type = "Litter01");
    // A one-cell building at (x, y), served from (x - 1, y).
    BuildingObject* Shop(const char* type, int x, int y) { return Build(type, x, y); }
    // The objects of a kind, in pool order.
    std::vector<BaseObject*> All(uint8_t kind) const { return objects->GetObjectsOfKind(kind); }
    CleaningManager& Cleaning() const;
    FeedbackManager& Feedback() const;

    // The models of the sample data are loaded (the bench's seats are its attachment points).
    testsupport::ScopedCurrentDir cwd{TW_SOURCE_DIR "/sample-data"};
    std::unique_ptr<TextTable> texts;
    // The path search the guests walk by.
    std::unique_ptr<Path> path;
    ObjectScript script;
    jobstest::Gui gui;
    Views views;
};

} // namespace guesttest
