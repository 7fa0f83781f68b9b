// The sample text table holds every text the program and the sample data ask for: each format the program fills has
// its text, with conversions that take the arguments the program gives in their order; each plain text the program
// shows has its text; and each text a sample world script, scenario file or GUI script names is there.
#include "engine/core/TextTable.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const std::string kSampleData = std::string(TW_SOURCE_DIR) + "/sample-data";

// The arguments a format's conversions take, in order: 'd' a whole number (d i u x X o c), 'f' a real number
// (f F e E g G), 's' a text (s S). Flags, a width, a precision and the length letters h, l, L and w may stand
// between the '%' and its letter; "%%" takes nothing. Anything else is marked '?'.
std::string Conversions(const std::u16string& text)
{
    std::string kinds;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != u'%')
            continue;
        ++i;
        if (i < text.size() && text[i] == u'%')
            continue;
        while (i < text.size() && std::u16string_view(u"-+ #0").find(text[i]) != std::u16string_view::npos)
            ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        if (i < text.size() && text[i] == u'.')
            for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
            {
            }
        while (i < text.size() && std::u16string_view(u"hlLw").find(text[i]) != std::u16string_view::npos)
            ++i;
        const char16_t letter = i < text.size() ? text[i] : u'\0';
        if (std::u16string_view(u"diuxXoc").find(letter) != std::u16string_view::npos)
            kinds += 'd';
        else if (std::u16string_view(u"fFeEgG").find(letter) != std::u16string_view::npos)
            kinds += 'f';
        else if (letter == u's' || letter == u'S')
            kinds += 's';
        else
            kinds += '?';
    }
    return kinds;
}

class SampleTextKeys : public ::testing::Test
{
protected:
    // The text of an id in the table the game reads; null when the id has no text or an empty one.
    const char16_t* Find(const std::string& id) const
    {
        const char16_t* text = texts.GetText(id.c_str());
        return text && *text ? text : nullptr;
    }

    testsupport::ScopedCurrentDir cwd{kSampleData};
    TextTable texts{"data/text_uk.uni"};
};

TEST(SampleTextConversions, TheConversionsOfAFormatAreReadInOrder)
{
    const struct
    {
        const char16_t* text;
        const char* kinds;
    } cases[] = {
        {u"plain", ""},       {u"100%%", ""},           {u"%d of %d", "dd"},  {u"$%.0f", "f"}, {u"%-5s|%05.2f", "sf"},
        {u"%02d:%02d", "dd"}, {u"%ld %hu %lls", "dds"}, {u"%d%% - %s", "ds"}, {u"%q", "?"},    {u"end %", "?"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Conversions(c.text), c.kinds)
            << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
}

// Each format the park and its panels fill, with the arguments they give (as the panels' rows describe them). A format
// may leave arguments at its end unused (the guest pairs show only their sum), but each conversion it has takes the
// argument of its place, of its kind.
TEST_F(SampleTextKeys, EveryFormatTheProgramFillsHasConversionsForItsArguments)
{
    const struct
    {
        const char* id;
        const char* arguments;
    } formats[] = {
        {"DAY_TITLE", "d"},                   // the game day
        {"GUESTS_TITLE", "d"},                // guests in the park
        {"CASH_TITLE", "f"},                  // the player's cash, a real number
        {"IS_LITTER_ITEMS", "d"},             // litter lying about
        {"IS_SCENERY_OBJECTS", "d"},          // scenery objects
        {"PM_5_UNIQUE_FORMAT", "d"},          // kinds of building put up
        {"PM_BUILD_TREE_FORMAT", "dd"},       // buildings put up since the start, of those to put up
        {"MAINMENU_VERSION", "f"},            // the program's version
        {"FP_GUEST_FORMAT", "ddd"},           // a guest pair: sum, first, second
        {"FP_UNHAPPY_FORMAT", "dddd"},        // the same and the unhappy share in percent
        {"IS_GUEST_COUNT", "ddd"},            // guests, men, women
        {"OB_NUM_GUESTS", "d"},               // rows of the browser's list
        {"OB_NUM_BUILDINGS", "d"},            //
        {"OB_NUM_ANIMALS", "d"},              //
        {"OB_NUM_STAFF", "d"},                //
        {"GP_HOURS", "d"},                    // hours a guest has spent in the park
        {"GP_INVENTORY_JUSTSOUVENIRS", "d"},  // souvenirs carried
        {"GP_INVENTORY_SOUVENIRS", "d"},      //
        {"ANIMAL_CONFIRM_SELL", "d"},         // the sale value in whole dollars
        {"ADOPT_CONFIRM", "d"},               // an animal's cost in whole dollars
        {"SS_SLOT_INFO", "dd"},               // moves in the show, most moves
        {"SS_OVERALL_RATING_FORMAT", "s"},    // the grade's text
        {"AR_DAY_TIME", "ddd"},               // day, hour, minute
        {"AR_TEAM_ENROUTE_DETAILS", "dsd"},   // team number, where to, hours away
        {"AR_TEAM_ENROUTE_DETAILS_1", "dsd"}, //
        {"RESEARCH_TICKER_FORMAT", "s"},      // the item's name
        {"RNP_COMPLETE", ""},                 // used as a format with nothing
        {"STAFF_DAY_TEXT", "d"},              // the day a staff member was hired on
        {"STAFFB_DISMISS_CONFIRM", "d"},      // what dismissing costs
        {"BI_INSTANCE_ADDON", "d"},           // a building's number among those of its type
        {"BI_BUILD_AGE_N", "d"},              // a building's age in days
        {"BI_LAST_INSPECT_FORMAT", "ddd"},    // hour, minute, day of the last inspection
        {"BI_LAST_FAULT_FORMAT", "dddd"},     // faults, and hour, minute, day of the last
        {"BI_REPAIR_FORMAT", "ds"},           // condition in percent, the repair text
        {"BI_CONFIRM_DEMOLISH", "d"},         // the refund
        {"BI_STAFF_RESTING_FORMAT", "dd"},    // staff resting, room for
        {"FEEDBACK_BUILDING_BROKEN", "s"},    // the building type's name
        {"FEEDBACK_BUILDING_REPAIRED", "s"},  //
        {"LOADSAVE_INFO_CONTENTS", "df"},     // day, cash
        {"LOADSAVE_TIME_CONTENTS", "ddddd"},  // hour, minute, month, day, year saved
        {"LOADSAVE_DAYTIME_CONTENTS", "ddd"}, // day, hour, minute
        {"LOADSAVE_CASH_CONTENTS", "f"},      // cash
        {"LOADSAVE_INFO_TIME_CONTENTS", "ddddd"},
        {"LOADSAVE_GUESTS_CONTENTS", "d"},
    };
    for (const auto& format : formats)
    {
        SCOPED_TRACE(format.id);
        const char16_t* text = Find(format.id);
        ASSERT_NE(text, nullptr) << "no text";
        const std::string kinds = Conversions(text);
        const std::string given = format.arguments;
        EXPECT_LE(kinds.size(), given.size()) << "more conversions than arguments: " << kinds;
        EXPECT_EQ(kinds, given.substr(0, kinds.size())) << "a conversion of the wrong kind";
    }
}

// The plain texts the panels, the guests' thoughts and the options show by their ids; each has a text with no
// conversion in it (nothing fills one).
TEST_F(SampleTextKeys, EveryPlainTextThePanelsShowIsThere)
{
    const char* const ids[] = {"BI_LAST_INSPECT_NONE",
                               "BI_LAST_FAULT_NONE",
                               "BI_BUILD_AGE_NEW",
                               "BI_BUILD_AGE_1",
                               "BI_UPGRADE_YES",
                               "BI_UPGRADE_NO",
                               "BI_ROOF_OPTION",
                               "OPEN",
                               "CLOSED",
                               "GUEST_DESIRE_LEAVING",
                               "GP_HOUR",
                               "GP_INVENTORY_NONE",
                               "GP_INVENTORY_MAP",
                               "AP_DESIRE_REST",
                               "AP_DESIRE_PLAY",
                               "AR_POPUP_MESSAGE",
                               "AR_TEAM_NOT_RESEARCHED",
                               "AR_TEAM_COST_NOWT",
                               "AR_COST",
                               "AR_REMAINING_TIME",
                               "AR_TIME_HOURS",
                               "AR_TIME_HOUR1",
                               "AR_USING_POOL",
                               "AR_ANIMAL_DANGER",
                               "AR_TEAMS_BUSY",
                               "AR_RESCUE_FEE",
                               "AR_TEAMS_BUSY_DETAIL",
                               "TRAINING_READY",
                               "LOADSAVE_NO_GAMES",
                               "LOADSAVE_SAVESLOT_EMPTY",
                               "RESEARCH_NONE_DONE",
                               "TICKER_DAY",
                               "SP_SCENERY_RANDOM",
                               "BUILDMENU_REQUIRES_NOTHING",
                               "OBJ_SCENARIO_PROGRESS",
                               "OBJ_SCENARIO_DESCRIPTION",
                               "OBJ_SCENARIO_OBJECTIVES",
                               "FEEDBACK_NO_CLEANERS",
                               "FEEDBACK_NO_MECHANICS",
                               "ERROR_DIRECTX",
                               "CELL_LAND_TEXT",
                               "CELL_STRUCTURE_TEXT",
                               "CELL_ROCK_TEXT",
                               "IGOPT_MAT_MED",
                               "IGOPT_MAT_HIGH",
                               "IGOPT_FILTER_BI",
                               "IGOPT_FILTER_TRI"};
    for (const char* id : ids)
    {
        const char16_t* text = Find(id);
        ASSERT_NE(text, nullptr) << id << " has no text";
        EXPECT_EQ(Conversions(text), "") << id;
    }
}

// The lines of a file read plain, or of a sample script source.
std::vector<std::string> Lines(const fs::path& path)
{
    std::vector<std::string> lines;
    std::istringstream in(testsupport::ReadText(path.string()));
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The words of a world script statement "Keyword a b ... ;" whose first word is the keyword, after it.
std::vector<std::string> StatementWords(const std::string& line, const std::string& keyword)
{
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word != keyword)
        return {};
    std::vector<std::string> rest;
    while (words >> word && word != ";")
        rest.push_back(word);
    return rest;
}

// Every world script of the sample data: the texts its ticker lines and its menus (the one value a ShowMenu passes
// after the dialog's name) show.
TEST_F(SampleTextKeys, EveryTextASampleWorldScriptShowsIsThere)
{
    int named = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kSampleData + "/src/data"))
    {
        if (!entry.is_regular_file() || entry.path().extension() != ".pis")
            continue;
        const std::vector<std::string> lines = Lines(entry.path());
        for (size_t n = 0; n < lines.size(); ++n)
        {
            std::vector<std::string> ids = StatementWords(lines[n], "EmitTicker");
            const std::vector<std::string> menu = StatementWords(lines[n], "ShowMenu");
            if (menu.size() >= 2)
                ids.push_back(menu[1]);
            for (const std::string& id : ids)
            {
                ++named;
                EXPECT_NE(Find(id), nullptr)
                    << entry.path().lexically_relative(kSampleData) << ":" << n + 1 << " " << id;
            }
        }
    }
    EXPECT_GE(named, 15) << "the walk found too few texts to mean anything";
}

// Every scenario's parameter file (read plain): its status title, its objectives' heading, description and title,
// and the text of each objective it counts.
TEST_F(SampleTextKeys, EveryTextAScenarioFileNamesIsThere)
{
    const std::regex pair(R"(^\s*'([A-Za-z0-9_]+)'\s+(\"([^\"]*)\"|[-0-9.]+))");
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kSampleData + "/data/Scenario"))
    {
        const fs::path file = entry.path() / (entry.path().filename().string() + ".pis");
        if (!fs::exists(file))
            continue;
        ++files;
        SCOPED_TRACE(file.filename().string());
        std::vector<std::pair<std::string, std::string>> values;
        for (const std::string& line : Lines(file))
        {
            std::smatch m;
            if (std::regex_search(line, m, pair))
                values.emplace_back(m[1], m[3].matched ? m[3].str() : m[2].str());
        }
        const auto value = [&](const std::string& key) -> std::string
        {
            for (const auto& [k, v] : values)
                if (k == key)
                    return v;
            return {};
        };
        const int objectives = std::atoi(value("SCENARIO_OBJ_NUMBER").c_str());
        std::vector<std::string> keys = {"WORLD_STATUS_TITLE"};
        if (objectives > 0)
            keys.insert(keys.end(), {"SCENARIO_OBJ_DESCRIPTION", "SCENARIO_OBJ_OBJECTIVES", "SCENARIO_OBJ_TITLE"});
        for (int n = 0; n < objectives; ++n)
            keys.push_back("SCENARIO_OBJ_" + std::to_string(n));
        for (const std::string& key : keys)
        {
            const std::string id = value(key);
            EXPECT_FALSE(id.empty()) << key;
            if (!id.empty())
            {
                EXPECT_NE(Find(id), nullptr) << key << " " << id;
            }
        }
    }
    EXPECT_GE(files, 15);
}

// Every text a sample GUI script names: a static text's id, a button's label (one that names no variable), the
// label of a radio button and the tooltip any widget may end with.
TEST_F(SampleTextKeys, EveryTextASampleGuiScriptNamesIsThere)
{
    // The statement and the places (0-based, after the four bounds) of the text ids among its arguments.
    const struct
    {
        const char* statement;
        std::vector<size_t> places;
    } statements[] = {
        {"Text", {4}},      {"Button", {6, 9}},     {"Slider", {8}}, {"CheckBox", {7}},     {"Variable", {8}},
        {"ComboBox", {10}}, {"VariableImage", {5}}, {"Image", {6}},  {"NumberAdjust", {8}}, {"RadioButton", {7, 8}},
    };
    const std::regex call(R"(^\s*([A-Za-z]+)\((.*)\)\s*$)");
    int named = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kSampleData + "/src/data/script/gui"))
    {
        if (entry.path().extension() != ".pis")
            continue;
        const std::vector<std::string> lines = Lines(entry.path());
        for (size_t n = 0; n < lines.size(); ++n)
        {
            std::smatch m;
            if (!std::regex_match(lines[n], m, call))
                continue;
            std::vector<std::string> args;
            std::istringstream parts(m[2].str());
            std::string part;
            while (std::getline(parts, part, ','))
            {
                const size_t a = part.find_first_not_of(' '), b = part.find_last_not_of(' ');
                args.push_back(a == std::string::npos ? "" : part.substr(a, b - a + 1));
            }
            for (const auto& s : statements)
            {
                if (m[1] != s.statement)
                    continue;
                for (const size_t place : s.places)
                {
                    if (place >= args.size())
                        continue;
                    const std::string& id = args[place];
                    std::string upper = id;
                    for (char& c : upper)
                        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                    const bool variable = upper.rfind("BUTVAR_", 0) == 0 || upper.rfind("BUTSTATEVAR_", 0) == 0 ||
                                          upper.rfind("BUTSTATENTVAR_", 0) == 0 ||
                                          upper.rfind("BUTSTATEVISVAR_", 0) == 0;
                    if (upper == "NONE" || variable)
                        continue;
                    ++named;
                    EXPECT_NE(Find(id), nullptr) << entry.path().filename() << ":" << n + 1 << " " << id;
                }
            }
        }
    }
    EXPECT_GE(named, 150) << "the walk found too few texts to mean anything";
}

} // namespace
