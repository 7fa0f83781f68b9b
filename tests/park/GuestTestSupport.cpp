// Shared pieces of the guest, scenery, litter and table tests.
#include "tests/park/GuestTestSupport.h"

#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "park/CleaningManager.h"
#include "park/FeedbackManager.h"
#include "scripts/ObjectStates.h"

namespace guesttest
{

using tablestest::Record;

std::vector<MessageRecord> WatchedGuest::Got(uint32_t type) const
{
    std::vector<MessageRecord> found;
    for (const MessageRecord& record : got)
    {
        if (record.dwType == type)
            found.push_back(record);
    }
    return found;
}

std::string GuestType(const std::string& name, const char* gender, float litter)
{
    std::vector<std::pair<std::string, std::string>> fields = {{"GENDER", gender},
                                                               {"MODEL", "visitor_a"},
                                                               {"ANIM_NAME", "VISITOR"},
                                                               {"MONEY", "60"},
                                                               {"LITTER", std::to_string(litter)},
                                                               {"BLADDER", "0.25"}};
    for (const char* desire : {"MEALS", "SNACKS", "REST", "ANIMAL_SHOW", "ANIMAL_ATTRAC", "AMUSE", "RIDE", "RETAIL"})
    {
        fields.push_back({std::string(desire) + "_DESIRE_MIN", "0.25"});
        fields.push_back({std::string(desire) + "_DESIRE_MAX", "0.75"});
    }
    for (const char* desire : {"MEALS", "SNACKS", "ANIMAL_ATTRACT", "ANIMAL_SHOW", "AMUSE", "RIDE", "RETAIL"})
        fields.push_back({std::string(desire) + "_PREF_INTEN", "0.5"});
    for (const char* opinion : {"BEAUTY", "CROWD", "ANIMAL", "PRICE", "VARIETY", "CLEAN"})
    {
        fields.push_back({std::string(opinion) + "_EFFECT_BAD", "0.05"});
        fields.push_back({std::string(opinion) + "_EFFECT_GOOD", "0.04"});
    }
    const std::pair<const char*, const char*> tolerances[] = {
        {"BEAUTY", "0.2"}, {"BEAUTY_HIGH", "0.6"}, {"ANIMAL", "0.3"}, {"ANIMAL_HIGH", "0.7"},
        {"PRICE", "80"},   {"PRICE_HIGH", "120"},  {"CLEAN", "0.5"},  {"CLEAN_HIGH", "0.9"}};
    for (const auto& [what, value] : tolerances)
    {
        std::string field = what;
        const size_t high = field.find("_HIGH");
        field = high == std::string::npos ? field + "_TOL_LOW" : field.substr(0, high) + "_TOL_HIGH";
        fields.push_back({field, value});
    }
    return Record("GUEST", name, fields);
}

namespace
{

// A building type on a one-cell map grid served from its west.
std::string OneCell(const std::string& name, std::vector<std::pair<std::string, std::string>> fields)
{
    fields.insert(fields.end(), {{"RIDE_MODEL", "NONE"}, {"GUESTCAPACITY", "4"}, {"ATTRACT_PRICE_1", "5"}});
    const char* const rows[] = {"000", "IQ0", "000"};
    std::vector<std::pair<std::string, std::string>> grid = {{"WIDTH", "1"}, {"HEIGHT", "1"}};
    for (int r = 0; r < 3; ++r)
    {
        grid.push_back({"FLAGROW" + std::to_string(r), rows[r]});
        grid.push_back({"BASEPLATEROW" + std::to_string(r), r == 1 ? "0T0" : "000"});
    }
    for (const auto& [field, value] : std::vector<std::pair<std::string, std::string>>{{"NUM_OUTWALKPOINTS", "1"},
                                                                                       {"OUTWALKPOINTX", "-16"},
                                                                                       {"OUTWALKPOINTY", "32"},
                                                                                       {"NUM_VIEWPOINTS", "2"},
                                                                                       {"VIEWPOINTX", "8"},
                                                                                       {"VIEWPOINTY", "8"},
                                                                                       {"VIEWPOINTX", "24"},
                                                                                       {"VIEWPOINTY", "56"},
                                                                                       {"NUM_2VIEWPOINTS", "2"},
                                                                                       {"2VIEWPOINTX", "24"},
                                                                                       {"2VIEWPOINTY", "8"},
                                                                                       {"2VIEWPOINTX", "8"},
                                                                                       {"2VIEWPOINTY", "56"},
                                                                                       {"NUM_INTERESTPOINTS", "2"},
                                                                                       {"INTERESTPOINTX", "0"},
                                                                                       {"INTERESTPOINTY", "0"},
                                                                                       {"INTERESTPOINTX", "32"},
                                                                                       {"INTERESTPOINTY", "64"}})
        grid.push_back({field, value});
    return Record("BUILD", name, fields) + Record("MAPGRID", "MAP" + name, grid);
}

std::string Tables(float litter)
{
    std::string text = GuestType("MAN", "M", litter) + GuestType("WOMAN", "F", litter) +
                       "\"MALENAME_NAME_M_ARLO\" \"FEMALENAME_NAME_F_DALIA\" \"SURNAME_NAME_S_HOLT\"\n";
    const std::pair<const char*, const char*> types[] = {
        {"FOOD", "MEALS"},       {"SNACK", "SNACKS"}, {"ZOO", "ANIMAL"},   {"SHOW", "SHOW"},
        {"FUN", "AMUSEMENT"},    {"RIDE", "RIDE"},    {"GIFTS", "RETAIL"}, {"INFORMATION", "RETAIL"},
        {"RESTSMALL", "TOILET"}, {"BANK", "CASH"},    {"ENTRANCE", "PARK"}};
    for (const auto& [name, category] : types)
    {
        std::vector<std::pair<std::string, std::string>> fields = {
            {"ATTRACT_CAT_1", category}, {"ATTRACT_BASE_INTEN_1", "0.5"}, {"TABLE_MODEL", "NONE"},
            {"RIDE_ANIM", "NONE"},       {"VIEWPOINT", "watch"},          {"VIEWPOINT_COUNT", "2"}};
        if (std::string(name) == "ZOO")
        {
            fields.push_back({"ANIMAL_1", "FISH"});
            fields.push_back({"MAXIMUM_ANIMAL_IN", "5"});
        }
        text += OneCell(name, fields);
    }
    text += OneCell("CAFE", {{"ATTRACT_CAT_1", "MEALS"}, {"TABLE_MODEL", "table_round"}});
    // The cafe's grid with two table points.
    text += "\"MAPCAFE_NUM_TABLEPOINTS\" \"2\" \"MAPCAFE_TABLEPOINTX\" \"8\" \"MAPCAFE_TABLEPOINTY\" \"16\" "
            "\"MAPCAFE_TABLEPOINTX\" \"24\" \"MAPCAFE_TABLEPOINTY\" \"48\"\n";
    text += Record("ANIMAL", "FISH", {{"COST", "100"}, {"INTENSITY", "1"}, {"NUM_PATHS", "3"}});
    text += Record(
        "SCENERY", "BENCH",
        {{"MODEL", "bench_wood"}, {"ISBENCH", "Yes"}, {"BEAUTY", "0.9"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}});
    text += Record("SCENERY", "Bin",
                   {{"CAPACITY", "10"}, {"CLEAN", "Yes"}, {"MENU", "Yes"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}});
    text += Record(
        "SCENERY", "BinSeat",
        {{"MODEL", "bench_wood"}, {"CAPACITY", "2"}, {"ISBENCH", "Yes"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}});
    text += Record("SCENERY", "WIDE",
                   {{"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "3"}, {"SET_FLAGS", "Yes"}, {"COST2BUILD", "50"}});
    text += Record("SCENERY", "AUTO", {{"GRIDWIDTH", "2"}, {"GRIDHEIGHT", "2"}, {"PLACE_MODE", "Auto"}});
    text += Record("SCENERY", "BIG", {{"GRIDWIDTH", "2"}, {"GRIDHEIGHT", "2"}});
    text += Record("SCENERY", "PLANT", {{"BEAUTY", "0.45"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}});
    for (int i = 1; i <= 5; ++i)
        text += Record("SCENERY", "Litter0" + std::to_string(i),
                       {{"ISLITTER", "Yes"}, {"GRIDWIDTH", "1"}, {"GRIDHEIGHT", "1"}});
    return text;
}

// Every thought with its three variants (but NEED_CASH with one), and the panel's texts.
std::u16string Texts()
{
    std::u16string texts = u"NAME_M_ARLO=Arlo|NAME_F_DALIA=Dalia|NAME_S_HOLT=Holt|GP_HOUR=one hour|GP_HOURS=%d hours|"
                           u"GP_INVENTORY_NONE=nothing|GP_INVENTORY_JUSTSOUVENIRS=%d souvenirs|"
                           u"GP_INVENTORY_SOUVENIRS=a map and %d souvenirs|GP_INVENTORY_MAP=a map|"
                           u"GUEST_DESIRE_LEAVING=home|BUILDING_NAME=?|GUEST_THOUGHT_NEED_CASH_1=broke|"
                           u"BI_CLEAN_NO_CLEANERS=no cleaners|BI_CLEAN_NOT_NEEDED=clean|BI_CLEAN_REQUIRED=wanted|"
                           u"BI_CLEAN_ONROUTE=coming|BI_CLEAN_CLEANING=being cleaned";
    for (const char16_t* state : {u"HEADING", u"VISITING", u"DRINK", u"EXIT", u"LEAVE", u"EATING", u"WALK", u"QUEUE",
                                  u"ENTER", u"BENCH", u"GO_BENCH", u"BIN", u"NONE"})
        texts += u"|GP_ACTIVITY_" + std::u16string(state) + u"=" + state;
    for (const char16_t* desire : {u"MEALS", u"SNACKS", u"ANIMAL_ATTRACT", u"ANIMAL_SHOW", u"AMUSEMENT", u"RIDE",
                                   u"RETAIL", u"TOILET", u"REST", u"CASH"})
        texts += u"|GUEST_DESIRE_" + std::u16string(desire) + u"=want " + desire;
    for (const char16_t* base : {u"DESIRE_MEALS",       u"DESIRE_SNACKS",    u"DESIRE_ANIMAL_ATTRACT",
                                 u"DESIRE_ANIMAL_SHOW", u"DESIRE_AMUSEMENT", u"DESIRE_RIDE",
                                 u"DESIRE_RETAIL",      u"DESIRE_TOILET",    u"DESIRE_REST",
                                 u"DESIRE_CASH",        u"DESIRE_MAP",       u"DESIRE_LEAVE",
                                 u"DESIRE_LEAVE_EARLY", u"MISSED_DESIRE",    u"CROWDING_LOOKS_BAD",
                                 u"PRICE_IS_BAD",       u"PRICE_WAS_BAD",    u"PRICE_GOOD",
                                 u"WELFARE_GOOD",       u"WELFARE_BAD",      u"ACTIVITY_GOOD",
                                 u"ACTIVITY_AVERAGE",   u"ACTIVITY_BAD"})
    {
        for (const char16_t* n : {u"1", u"2", u"3"})
            texts += u"|GUEST_THOUGHT_" + std::u16string(base) + u"_" + n + u"=" + base + u" " + n;
    }
    return texts;
}

} // namespace

GuestPark::GuestPark(int size, float litter) : BuildingPark(Tables(litter), size)
{
    for (int i = 0; i < size; ++i)
    {
        Footpath(i, 7);
        Footpath(1, i);
    }
    g_ModelManager.Init(1000, false);
    RegisterObjectKind(OBJECT_GUEST, []() -> BaseObject* { return new WatchedGuest; });
    RegisterObjectKind(OBJECT_SCENERY, []() -> BaseObject* { return new Scenery; });
    RegisterObjectKind(OBJECT_TABLE, []() -> BaseObject* { return new TableObject; });
    RegisterObjectKind(OBJECT_LITTER, []() -> BaseObject* { return new LitterObject; });
    RegisterObjectKind(OBJECT_ANIMAL, []() -> BaseObject* { return new jobstest::Animal; });
    world->m_Managers.feedback = std::make_unique<FeedbackManager>();
    world->m_pScene = std::make_unique<Scene>(Scene::kTreeIndex);
    world->m_pScene->Open({0.0f, 0.0f, 0.0f},
                          {static_cast<float>(size) * 16.0f, 500.0f, static_cast<float>(size) * 64.0f});
    texts = jobstest::MakeTexts(dir, Texts());
    path = std::make_unique<Path>(*map);
}

GuestPark::~GuestPark()
{
    // The objects go before the scene they stand in.
    objects.reset();
    path.reset();
    world->m_pScene.reset();
}

WatchedGuest* GuestPark::Guest(float x, float y, const char* type)
{
    auto* guest = static_cast<WatchedGuest*>(objects->CreateObject(type, OBJECT_GUEST));
    guest->SetType(OBJECT_GUEST);
    guest->SetWorldPosition({x, y, 0.0f});
    guest->SetScript(&script);
    return guest;
}

WatchedGuest* GuestPark::GuestRunning(const std::string& commands)
{
    const std::string text =
        "State STATE_NULL\n Message MT_SPOT_OPINION\n  OnReceipt " + commands + " End\n End\nEnd\n";
    script.Compile(text.c_str(), static_cast<uint32_t>(text.size()));
    return Guest(40.0f, 480.0f);
}

Scenery* GuestPark::Item(const char* type, int x, int y, int direction)
{
    const uint32_t before = objects->GetNextFreeObjectID();
    world->RequestScenery(OBJECT_SCENERY, type, x, y, static_cast<uint8_t>(direction));
    return objects->GetNextFreeObjectID() > before ? dynamic_cast<Scenery*>(objects->GetObject(before)) : nullptr;
}

LitterObject* GuestPark::Litter(int x, int y, const char* type)
{
    const uint32_t before = objects->GetNextFreeObjectID();
    world->RequestScenery(OBJECT_LITTER, type, x, y, 0);
    return objects->GetNextFreeObjectID() > before ? dynamic_cast<LitterObject*>(objects->GetObject(before)) : nullptr;
}

CleaningManager& GuestPark::Cleaning() const
{
    return *static_cast<CleaningManager*>(world->m_Managers.cleaning.get());
}

FeedbackManager& GuestPark::Feedback() const
{
    return *static_cast<FeedbackManager*>(world->m_Managers.feedback.get());
}

} // namespace guesttest
