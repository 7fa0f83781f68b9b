// Variable and VariableImage: the named values, their formats and pictures.
#include "gui/VariableWidgets.h"

#include "engine/core/TextFormat.h"
#include "engine/core/TextTable.h"
#include "engine/core/WholeNumbers.h"
#include "engine/render/TextWriter.h"
#include "gui/GUIManager.h"
#include "gui/MainItem.h"
#include "gui/ObjectBrowser.h"
#include "gui/PanelData.h"
#include "gui/Sprite.h"
#include "gui/SpriteManager.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
// The decimal number after a prefix; false when the name does not start with it or no digits follow.
bool Indexed(const std::string& name, const char* prefix, int32_t* n)
{
    const size_t length = std::strlen(prefix);
    if (name.compare(0, length, prefix) != 0 || name.size() == length || name.size() > length + 9)
        return false;
    int32_t value = 0;
    for (size_t i = length; i < name.size(); ++i)
    {
        if (name[i] < '0' || name[i] > '9')
            return false;
        value = value * 10 + (name[i] - '0');
    }
    *n = value;
    return true;
}

double Figure(PanelData* data, PanelFigure figure, bool* known = nullptr)
{
    double value = 0.0;
    const bool got = data && data->GetFigure(figure, &value) && std::isfinite(value);
    if (known)
        *known = got;
    return got ? value : 0.0;
}

} // namespace

// ---- VariableImage

namespace varimage
{
int32_t StarDirection(int32_t value, int32_t star)
{
    if (value >= 20 * (star + 1))
        return 2;
    if (value >= 20 * star + 10)
        return 1;
    return 0;
}

int32_t SmileyFrame(float happiness)
{
    if (!(happiness > 0.0f))
        return 0;
    // Capped before the conversion: a happiness far past 1 is the happiest face, not a number out of range.
    return static_cast<int32_t>(std::trunc(std::min(happiness * 5.0f, 4.0f)));
}

int32_t UnhappyShare(int32_t unhappy, int32_t departed)
{
    // No departures: a share of 0, not a division by zero. Whole numbers: 7 of 7 is 100, not 99.99.
    return departed > 0 ? static_cast<int32_t>(static_cast<int64_t>(unhappy) * 100 / departed) : 0;
}
} // namespace varimage

VariableImage::VariableImage(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* name)
    : Widget(left, top, right, bottom), m_name(std::string(name ? name : "").substr(0, kMaxName))
{
    m_iType = WT_VARIABLEIMAGE;
}

void VariableImage::SetActive(bool active)
{
    if (active)
    {
        // A name the object did not answer is asked no more only while the picture stays shown.
        m_value.Forget();
        SetDirty();
    }
    Widget::SetActive(active);
}

DialogListener* VariableImage::Object() const
{
    return m_pObject ? m_pObject : CurrentDialogObject();
}

void VariableImage::AddRating(std::vector<Step>& steps, const char* sprite, int32_t value)
{
    Sprite* measure = GetSpriteManager().CreateSprite(sprite);
    const int32_t width = measure ? measure->GetWidth() : 0;
    GetSpriteManager().ReleaseSprite(measure);
    for (int32_t i = 0; i < 5; ++i)
        steps.push_back({sprite, 0, varimage::StarDirection(value, i), m_rect.left + i * width, m_rect.top});
}

std::vector<VariableImage::Step> VariableImage::PlanDraw()
{
    std::vector<Step> steps;
    PanelData* data = GetPanelData();
    const int32_t left = m_rect.left, top = m_rect.top;
    int32_t n = 0;
    auto percent = [&](PanelFigure figure, bool capAt94)
    {
        int32_t value = TruncateToInt(Figure(data, figure) * 100.0);
        if (capAt94 && value > 94)
            value = 100;
        return value;
    };
    auto happiness = [&]
    {
        DialogListener* object = Object();
        return object ? m_value.ReadNumber(object, "GUEST_HAPPY_VALUE") : 0.0f;
    };
    if (m_name == "STAR_RATING_UI2")
        AddRating(steps, "UIS_BAR_STARS", TruncateToInt(Figure(data, PF_PARK_RATING)));
    else if (m_name == "ANIMAL_BOOST_STARS")
    {
        DialogListener* object = Object();
        if (object)
            AddRating(steps, "UIS_BAR_STARS",
                      TruncateToInt(m_value.ReadNumber(object, "BUILDING_ANIMAL_LOAD") * 100.0));
    }
    else if (m_name == "STAR_RATING_SMALL")
        AddRating(steps, "UIS_intensity_blocks", TruncateToInt(Figure(data, PF_PARK_RATING)));
    else if (m_name == "BEAUTY_STARS")
        AddRating(steps, "UIS_intensity_blocks", percent(PF_BEAUTY, true));
    else if (m_name == "WELFARE_STARS")
        AddRating(steps, "UIS_intensity_blocks", percent(PF_WELFARE, true));
    else if (m_name == "AV_ANIMAL_HAPPY")
        AddRating(steps, "UIS_intensity_blocks", percent(PF_ANIMAL_HAPPY, false));
    else if (m_name == "GUEST_SMILEY" || m_name == "BROWSER_SMILEY")
    {
        if (Object())
            steps.push_back({m_name == "GUEST_SMILEY" ? "UIS_smiles" : "UI3_ob_listsmiles",
                             varimage::SmileyFrame(happiness()), -1, left, top});
    }
    else if (m_name == "ANIMAL_SMILEY")
    {
        // An animal answers its happiness as "ANIMAL_HEALTH".
        if (DialogListener* object = Object())
            steps.push_back(
                {"UIS_smiles", varimage::SmileyFrame(m_value.ReadNumber(object, "ANIMAL_HEALTH")), -1, left, top});
    }
    else if (m_name == "SP_ITEM_RATING")
    {
        // Nothing at all for no scenery or a rating of 0 or less.
        const int32_t index = g_pGUIManager ? g_pGUIManager->GetSelection(5) : -1;
        SceneryRecord record;
        if (data && index != -1 && data->GetSceneryRecord(index, &record) && record.rating > 0.0f)
            AddRating(steps, "UIS_intensity_blocks", TruncateToInt(record.rating * 100.0));
    }
    else if (m_name == "BUILD_INTEN_STARS")
    {
        const int32_t index = g_pGUIManager ? g_pGUIManager->GetSelection(0) : -1;
        BuildRecord record;
        if (data && data->GetBuildingRecord(index, &record))
            AddRating(steps, "UIS_intensity_blocks", TruncateToInt(record.intensity * 100.0));
    }
    else if (Indexed(m_name, "PROGRESS_BACK_", &n))
    {
        // An objective that does not exist has no state (the unchecked index is refused).
        if (data && data->GetObjectiveState(n) == 1)
            steps.push_back({"UIS_scanner_progressbacking", 0, -1, left, top});
    }
    else if (Indexed(m_name, "PROGRESS_TICK_", &n))
    {
        if (data && data->GetObjectiveState(n) == 1)
            steps.push_back({"UIS_progress_done", 0, -1, left, top});
    }
    else if (m_name == "BAR_CASH_BACKING")
    {
        if (Figure(data, PF_CASH) < 0.0)
            steps.push_back({"UIS_bar_debt_backing", 0, -1, left, top});
    }
    else if (m_name == "AR_RESCUE_ANIMAL" || Indexed(m_name, "AR_RD_TEAM_", &n))
    {
        // Teams are numbered from 1: "AR_RD_TEAM_0" names no team (and not the offer).
        const bool offer = m_name == "AR_RESCUE_ANIMAL";
        const std::string sprite = data && (offer || n >= 1) ? data->GetRescueSprite(offer ? -1 : n - 1) : "";
        if (!sprite.empty())
            steps.push_back({sprite, 0, -1, left, top});
    }
    else if (m_name == "AR_LOC")
    {
        int32_t x = 0, y = 0;
        if (data && data->GetRescueLocation(&x, &y))
        {
            Sprite* measure = GetSpriteManager().CreateSprite("UIS_rs_blob");
            const int32_t w = measure ? measure->GetWidth() : 0, h = measure ? measure->GetHeight() : 0;
            GetSpriteManager().ReleaseSprite(measure);
            steps.push_back({"UIS_rs_blob", 0, -1, left - w / 2 + x, top - h / 2 + y});
        }
    }
    return steps;
}

std::vector<VariableImage::Step> VariableImage::PlanDrawCached()
{
    std::vector<Step> steps;
    PanelData* data = GetPanelData();
    int32_t n = 0;
    if (m_name == "UIS_BAR_ENDCAP")
    {
        if (g_pGUIManager && g_pGUIManager->GetScreenWidth() > 800)
            steps.push_back({"uis_bar_endcap", 0, -1, m_rect.left, m_rect.top});
    }
    else if (Indexed(m_name, "OBJ_ICON_", &n))
    {
        double count = 0.0;
        if (data && data->GetFigure(PF_OBJECTIVE_COUNT, &count) && n < count)
        {
            const int32_t state = data->GetObjectiveState(n);
            int32_t offset = 10;
            if (TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(1) : nullptr)
                offset += writer->GetTextWidth(TableText("OBJ_SCENARIO_PROGRESS"));
            steps.push_back(
                {"UI3_obj_checks", state >= 0 && state <= 2 ? state : 0, -1, m_rect.left + offset, m_rect.top});
        }
    }
    else if (m_name == "BUILD_THUMB" || m_name == "BUILD_LARGE_PREVIEW")
    {
        const bool thumb = m_name == "BUILD_THUMB";
        DialogListener* object = Object();
        const int32_t index = thumb ? (object ? m_value.ReadInt(object, "BUILDING_TYPE_INDEX") : -1)
                                    : (g_pGUIManager ? g_pGUIManager->GetSelection(0) : -1);
        BuildRecord record;
        if (data && index >= 0 && data->GetBuildingRecord(index, &record))
            steps.push_back(
                {thumb ? "UI3_bp_thumb" : "UI3_bp_preview", record.thumbFrame, -1, m_rect.left, m_rect.top});
    }
    else if (m_name == "STAFF_PHOTO")
    {
        DialogListener* object = Object();
        const int32_t kind = data && object ? data->GetObjectKind(object) : -1;
        // Mechanic, cleaner, zookeeper; nothing for any other object.
        const int32_t frame = kind == 6 ? 2 : kind == 7 ? 0 : kind == 8 ? 3 : -1;
        if (frame >= 0)
            steps.push_back({"uis_staff_photos", frame, -1, m_rect.left, m_rect.top, true});
    }
    else if (m_name == "GUEST_PHOTO" || m_name == "ANIMAL_PHOTO")
    {
        DialogListener* object = Object();
        const bool guest = m_name == "GUEST_PHOTO";
        const int32_t frame =
            data && object ? (guest ? data->GetGuestPhotoFrame(object) : data->GetAnimalPhotoFrame(object)) : -1;
        if (frame >= 0)
            steps.push_back(
                {guest ? "uis_guest_photos" : "uis_animal_photos", frame, -1, m_rect.left, m_rect.top, true});
    }
    else if (m_name == "GAZ_PICTURE" || m_name == "GAZ_MAP")
    {
        char sprite[48];
        std::snprintf(sprite, sizeof sprite, m_name == "GAZ_MAP" ? "UIS_GZ_MAP_%d" : "UIS_GZ_%d",
                      g_pGUIManager ? g_pGUIManager->GetSelection(13) : 0);
        steps.push_back({sprite, 0, -1, m_rect.left, m_rect.top});
    }
    else if (m_name == "BUILD_SCENERY_PREVIEW")
    {
        const int32_t index = g_pGUIManager ? g_pGUIManager->GetSelection(5) : -1;
        SceneryRecord record;
        if (data && index >= 0 && data->GetSceneryRecord(index, &record))
            steps.push_back({"UI3_bp_preview", record.thumbFrame, -1, m_rect.left, m_rect.top});
    }
    return steps;
}

void VariableImage::DrawSteps(const std::vector<Step>& steps, bool toSurface)
{
    for (const Step& step : steps)
    {
        Sprite* sprite = GetSpriteManager().CreateSprite(step.sprite.c_str());
        if (!sprite)
            continue;
        // A photo the banks do not hold (no bank of its name, or no such frame) leaves its place empty.
        if (step.photo && (platform::StrICmp(sprite->GetBankName().c_str(), step.sprite.c_str()) != 0 ||
                           step.frame >= sprite->GetFrameCount()))
        {
            GetSpriteManager().ReleaseSprite(sprite);
            continue;
        }
        sprite->SetPlayMode(Sprite::PLAY_MANUAL);
        if (step.direction >= 0)
            sprite->SetDirection(step.direction);
        else
            sprite->SetFrame(step.frame);
        if (toSurface)
            sprite->DrawToSurface(step.x, step.y, GuiNow());
        else
            sprite->Draw(static_cast<float>(step.x), static_cast<float>(step.y), GuiNow());
        GetSpriteManager().ReleaseSprite(sprite);
    }
}

void VariableImage::DrawCached()
{
    if (!m_bDirty)
        return;
    DrawSteps(PlanDrawCached(), true);
    m_bDirty = false;
}

void VariableImage::Draw()
{
    DrawSteps(PlanDraw(), false);
}

// ---- Variable

Variable::Variable(int32_t left, int32_t top, int32_t right, int32_t bottom, const char* name, int32_t font,
                   uint32_t colour, int32_t flags)
    : Widget(left, top, right, bottom), m_name(std::string(name ? name : "").substr(0, kMaxName)), m_uColour(colour),
      m_iFont(font), m_iFlags(flags)
{
    m_iType = WT_VARIABLE;
}

void Variable::SetActive(bool active)
{
    // A name the object did not answer is asked no more only while the text stays shown.
    if (active)
        m_value.Forget();
    Widget::SetActive(active);
}

namespace
{
struct MoneyName
{
    const char* name;
    PanelFigure figure;
    bool redWhenNegative;
};
constexpr MoneyName kMoney[] = {
    {"PlayerMoney$", PF_CASH, true},
    {"WORLD_INCOME_$", PF_INCOME_TODAY, true},
    {"WORLD_INCOME_DEMOLISH_$", PF_DEMOLISH_INCOME_TODAY, false},
    {"WORLD_INCOME_ATTRACT_$", PF_ATTRACT_INCOME_TODAY, true},
    {"WORLD_INCOME_RETAIL_$", PF_RETAIL_INCOME_TODAY, true},
    {"WORLD_COST_$", PF_COSTS_TODAY, false},
    {"WORLD_COST_CON_$", PF_CONSTRUCT_COST_TODAY, false},
    {"WORLD_COST_WAGES_$", PF_WAGES_COST_TODAY, false},
    {"WORLD_COST_STOCK_$", PF_STOCK_COST_TODAY, false},
    {"WORLD_COST_SCEN_$", PF_SCENERY_COST_TODAY, false},
    {"WORLD_PROFIT_AVG_$", PF_AVERAGE_PROFIT, true},
    {"WORLD_COST_AVG_$", PF_AVERAGE_COST, false},
    {"WORLD_INCOME_AVG_$", PF_AVERAGE_INCOME, true},
};

struct CountName
{
    const char* name;
    PanelFigure figure;
    const char* format; // a text id used as the format, or null for "%d"
};
constexpr CountName kCounts[] = {
    {"NumGuests", PF_NUM_GUESTS, nullptr},
    {"NumGuestsTitle", PF_NUM_GUESTS, "GUESTS_TITLE"},
    {"LITTER_COUNT", PF_LITTER_COUNT, "IS_LITTER_ITEMS"},
    {"LITTER_COUNT_NOFORMAT", PF_LITTER_COUNT, nullptr},
    {"BUILDING_COUNT", PF_BUILDING_COUNT, nullptr},
    {"STAFF_COUNT", PF_STAFF_COUNT, nullptr},
    {"SCENERY_COUNT", PF_SCENERY_COUNT, "IS_SCENERY_OBJECTS"},
    {"BUILDING_CONSTRUCTED", PF_BUILDINGS_CONSTRUCTED, nullptr},
    {"BUILDING_DIFF_CONSTRUCTED", PF_DIFF_BUILDINGS_CONSTRUCTED, nullptr},
    {"PM_5_UNIQUE", PF_DIFF_BUILDINGS_CONSTRUCTED, "PM_5_UNIQUE_FORMAT"},
    {"MECHANIC_COUNT", PF_MECHANIC_COUNT, nullptr},
    {"CLEANER_COUNT", PF_CLEANER_COUNT, nullptr},
    {"NUM_STAFFROOMS", PF_STAFFROOMS, nullptr},
    {"NUM_ANIMAL_EXHIBITS", PF_ANIMAL_EXHIBITS, nullptr},
    {"KAIKOADV_VISITS", PF_KAIKOADV_VISITS, nullptr},
    {"WORLD_RIDES_BUILT", PF_RIDES_BUILT, nullptr},
    {"WORLD_AMUSEMENT_BUILT", PF_AMUSEMENT_BUILT, nullptr},
};

constexpr const char* kCategoryWords[] = {"NONE",   "AMUSE", "ANIMAL", "SNACKS", "MEALS", "PARK",
                                          "RETAIL", "RIDE",  "TOILET", "SHOW",   "CASH"};
} // namespace

bool Variable::Compose(platform::WString& text, uint32_t* colour, int32_t* indent)
{
    text.clear();
    *colour = m_uColour;
    *indent = 0;
    PanelData* data = GetPanelData();
    int32_t n = 0;
    for (const MoneyName& money : kMoney)
        if (m_name == money.name)
        {
            const double value = Figure(data, money.figure);
            text = FormatChecked(u"$%.f", {value});
            if (money.redWhenNegative && value < 0.0)
                *colour = kRed;
            return true;
        }
    for (const CountName& count : kCounts)
        if (m_name == count.name)
        {
            const int32_t value = TruncateToInt(Figure(data, count.figure));
            text = count.format ? FormatTableText(count.format, {value}) : FormatChecked(u"%d", {value});
            return true;
        }
    if (m_name == "PlayerMoney")
        text = FormatChecked(u"%.f", {Figure(data, PF_CASH)});
    else if (m_name == "PlayerMoneyTitle")
        text = FormatTableText("CASH_TITLE", {Figure(data, PF_CASH)});
    else if (m_name == "Time")
    {
        const double time = Figure(data, PF_DAY_TIME);
        const int32_t hour = TruncateToInt(time);
        const int32_t minutes = TruncateToInt((time - std::trunc(time)) * 60.0);
        text = FormatChecked(u"%d:%02d", {hour, minutes / 15 * 15});
    }
    else if (m_name == "GameDay")
        text = FormatChecked(u"%d", {TruncateToInt(Figure(data, PF_GAME_DAY)) + 1});
    else if (m_name == "GameDayTitle")
        text = FormatTableText("DAY_TITLE", {TruncateToInt(Figure(data, PF_GAME_DAY)) + 1});
    else if (m_name == "WORLD_PROFIT_$")
    {
        const double profit = Figure(data, PF_INCOME_TODAY) - Figure(data, PF_COSTS_TODAY);
        text = FormatChecked(u"$%.f", {profit});
        if (profit < 0.0)
            *colour = kRed;
    }
    else if (m_name == "ARRIVALS_TODAY" || m_name == "ARRIVALS_TOTAL" || m_name == "DEPART_TODAY" ||
             m_name == "DEPART_TOTAL")
    {
        const PanelFigure first = m_name == "ARRIVALS_TODAY"   ? PF_ARRIVE_TODAY_0
                                  : m_name == "ARRIVALS_TOTAL" ? PF_ARRIVE_TOTAL_0
                                  : m_name == "DEPART_TODAY"   ? PF_DEPART_TODAY_0
                                                               : PF_DEPART_TOTAL_0;
        const int32_t a = TruncateToInt(Figure(data, first)),
                      b = TruncateToInt(Figure(data, static_cast<PanelFigure>(first + 1)));
        text = FormatTableText("FP_GUEST_FORMAT", {a + b, a, b});
    }
    else if (m_name == "UN_DEPART_TOTAL" || m_name == "UN_DEPART_TODAY")
    {
        const bool total = m_name == "UN_DEPART_TOTAL";
        const PanelFigure unhappy = total ? PF_UNHAPPY_TOTAL_0 : PF_UNHAPPY_TODAY_0;
        const PanelFigure departed = total ? PF_DEPART_TOTAL_0 : PF_DEPART_TODAY_0;
        const int32_t a = TruncateToInt(Figure(data, unhappy)),
                      b = TruncateToInt(Figure(data, static_cast<PanelFigure>(unhappy + 1)));
        const double all = Figure(data, departed) + Figure(data, static_cast<PanelFigure>(departed + 1));
        text = FormatTableText("FP_UNHAPPY_FORMAT", {a + b, a, b, varimage::UnhappyShare(a + b, TruncateToInt(all))});
    }
    else if (m_name == "UNHAPPY_LEAVERS")
        text =
            FormatChecked(u"%d", {TruncateToInt(Figure(data, PF_UNHAPPY_TOTAL_0) + Figure(data, PF_UNHAPPY_TOTAL_1))});
    else if (Indexed(m_name, "MessageText_", &n))
    {
        // A slot outside the dialog values, or a value outside the text table, shows nothing.
        const int32_t entry =
            g_pGUIManager && n < GUIManager::kDialogValueCount ? g_pGUIManager->GetDialogValue(n) : -1;
        const char16_t* found = entry >= 0 && g_pTextTable ? g_pTextTable->GetTextByIndex(entry) : nullptr;
        text = found ? found : u"";
    }
    else if (m_name == "ANIMAL_HAPPINESS")
        text = FormatChecked(u"%.2f", {Figure(data, PF_ANIMAL_HAPPY)});
    else if (m_name == "ANIMAL_ATTRACT_TOTAL")
        text = FormatChecked(u"$%d", {TruncateToInt(Figure(data, PF_ANIMAL_INCOME_TOTAL))});
    else if (m_name == "LOWEST_GUEST_AV")
        text = FormatChecked(u"%.1f", {Figure(data, PF_LOWEST_GUEST_AVERAGE) * 5.0});
    else if (m_name == "OBJECTIVES_DONE")
    {
        const int32_t count = TruncateToInt(Figure(data, PF_OBJECTIVE_COUNT));
        int32_t done = 0;
        for (int32_t i = 0; data && i < count; ++i)
            done += data->GetObjectiveState(i) == 1 ? 1 : 0;
        text = FormatChecked(u"%d", {done});
    }
    else if (m_name == "OB_FILTER_HEADING")
    {
        if (const char* key = browser::FilterTextKey(browser::GetCurrentFilter()))
            text = TableText(key);
    }
    else if (m_name == "OB_GUEST_NUM" || m_name == "OB_BUILDING_NUM" || m_name == "OB_ANIMAL_NUM" ||
             m_name == "OB_STAFF_NUM")
    {
        const char* format = m_name == "OB_GUEST_NUM"      ? "OB_NUM_GUESTS"
                             : m_name == "OB_BUILDING_NUM" ? "OB_NUM_BUILDINGS"
                             : m_name == "OB_ANIMAL_NUM"   ? "OB_NUM_ANIMALS"
                                                           : "OB_NUM_STAFF";
        text = FormatTableText(format, {g_pGUIManager ? g_pGUIManager->GetSelection(6) : 0});
    }
    else if (m_name == "GUEST_BREAKDOWN")
        text = FormatTableText("IS_GUEST_COUNT", {TruncateToInt(Figure(data, PF_NUM_GUESTS)),
                                                  TruncateToInt(Figure(data, PF_GUESTS_GENDER_0)),
                                                  TruncateToInt(Figure(data, PF_GUESTS_GENDER_1))});
    else if (m_name == "ANIMAL_ATTRACT_INCOME")
        text = FormatChecked(u"$%d", {TruncateToInt(Figure(data, PF_ANIMAL_INCOME_TODAY))});
    else if (m_name == "BUILDING_TREE_COMPELETED")
    {
        const int32_t unbuilt = TruncateToInt(Figure(data, PF_UNBUILT_AFTER_STARTUP));
        text = FormatTableText("PM_BUILD_TREE_FORMAT",
                               {unbuilt - TruncateToInt(Figure(data, PF_BUILDINGS_LEFT_TO_BUILD)), unbuilt});
    }
    else if (m_name == "MAIN_VERSION")
        text = FormatTableText("MAINMENU_VERSION", {Figure(data, PF_VERSION)});
    else if (m_name == "ScriptText")
    {
        // A parameter outside the text table shows nothing.
        const int32_t entry = g_pGUIManager ? g_pGUIManager->GetMenuParam() : -1;
        const char16_t* found = entry >= 0 && g_pTextTable ? g_pTextTable->GetTextByIndex(entry) : nullptr;
        text = found ? found : u"";
    }
    else if (m_name == "ISLAND_TITLE" || m_name == "SCENARIO_DESCRIPTION" || m_name == "SCENARIO_OBJECTIVES" ||
             m_name == "SCENARIO_TITLE" || Indexed(m_name, "SCENARIO_OBJ_", &n))
    {
        // The scenario's texts are used as their own formats, with no arguments: the checked formatter shows any
        // conversion in them as text rather than reading an argument that is not there.
        std::string id;
        const char* label = nullptr;
        int32_t extra = 0;
        if (m_name == "ISLAND_TITLE")
            id = data ? data->GetTextId(PT_PARK_TITLE, 0) : "";
        else if (m_name == "SCENARIO_DESCRIPTION")
            id = data ? data->GetTextId(PT_SCENARIO_DESCRIPTION, 0) : "", label = "OBJ_SCENARIO_DESCRIPTION";
        else if (m_name == "SCENARIO_OBJECTIVES")
            id = data ? data->GetTextId(PT_SCENARIO_OBJECTIVES, 0) : "", label = "OBJ_SCENARIO_OBJECTIVES";
        else if (m_name == "SCENARIO_TITLE")
        {
            if (Figure(data, PF_SANDBOX) != 0.0)
            {
                char key[48];
                std::snprintf(key, sizeof key, "MAINSS_SANDBOX%d_TITLE",
                              TruncateToInt(Figure(data, PF_SCENARIO_NUMBER)) + 1);
                id = key;
            }
            else if (data)
                id = data->GetTextId(PT_SCENARIO_TITLE, 0);
        }
        else
        {
            label = "OBJ_SCENARIO_PROGRESS", extra = 35;
            if (data && n < TruncateToInt(Figure(data, PF_OBJECTIVE_COUNT)))
                id = data->GetTextId(PT_OBJECTIVE, n);
        }
        if (!id.empty())
            text = FormatTableText(id.c_str(), {});
        if (label)
        {
            TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(1) : nullptr;
            *indent = (writer ? writer->GetTextWidth(TableText(label)) : 0) + extra;
        }
    }
    else if (Indexed(m_name, "GAZ_TEXT_", &n) || m_name == "GAZ_ANIMAL")
    {
        const int32_t animal = g_pGUIManager ? g_pGUIManager->GetSelection(13) : 0;
        char key[48];
        if (m_name == "GAZ_ANIMAL")
            std::snprintf(key, sizeof key, "GAZ_ANIMAL_%d", animal);
        else
            std::snprintf(key, sizeof key, "GAZ_TEXT_%d_%d", animal, n);
        text = TableText(key);
    }
    else if (m_name == "SP_SCENERY_DESC" || m_name == "SP_SCENERY_COST")
    {
        const int32_t index = g_pGUIManager ? g_pGUIManager->GetSelection(5) : -1;
        SceneryRecord record;
        const bool selected = index != -1 && data && data->GetSceneryRecord(index, &record);
        if (m_name == "SP_SCENERY_DESC")
        {
            std::string key = "SP_DESC_" + record.keyword;
            for (char& c : key)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            text = TableText(selected ? key.c_str() : "SP_SCENERY_RANDOM");
        }
        else
        {
            if (!selected)
                return false;
            text = FormatChecked(u"%d", {record.cost});
            if (Figure(data, PF_CASH) - record.cost < 0.0)
                *colour = kRed;
        }
    }
    else if (m_name == "BUILD_BUILDING_TREE")
    {
        const int32_t index = g_pGUIManager ? g_pGUIManager->GetSelection(0) : -1;
        BuildRecord record;
        if (!data || index < 0 || !data->GetBuildingRecord(index, &record))
            return true;
        std::string required = record.requirement;
        for (char& c : required)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        // A type that needs nothing first ("NONE" or no name, as the build rules read them) is no missing building.
        if (required == "ENTRANCE" || required == "NONE" || required.empty())
            text = TableText("BUILDMENU_REQUIRES_NOTHING");
        else
        {
            text = TableText(("FAN_" + required).c_str());
            // Refused, or the building that must stand first is missing.
            if (!data->CanBuildType(index) || data->CheckBuildRequirement(index))
                *colour = kRed;
        }
    }
    else if (m_name == "BUILD_COST_AMOUNT" || m_name == "BUILD_NAME_TEXT" || m_name == "BUILD_BUILDING_DESC" ||
             m_name == "BUILD_INTEN_DESC")
    {
        const int32_t index = g_pGUIManager ? g_pGUIManager->GetSelection(0) : -1;
        BuildRecord record;
        if (!data || index < 0 || !data->GetBuildingRecord(index, &record))
            return true;
        std::string upper = record.keyword;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (m_name == "BUILD_NAME_TEXT")
            text = TableText(("FAN_" + upper).c_str());
        else if (m_name == "BUILD_BUILDING_DESC")
            text = FormatChecked(u"%s", {TableText(("FAD_" + upper).c_str())});
        else if (m_name == "BUILD_COST_AMOUNT")
        {
            const int32_t cost = record.cost;
            text = FormatChecked(u"$%d", {cost});
            if (Figure(data, PF_CASH) - cost < 0.0)
                *colour = kRed;
        }
        else
        {
            const int32_t category = record.category >= 0 && record.category <= 10 ? record.category : 0;
            const char* level = record.intensity >= 0.7f ? "2" : record.intensity >= 0.4f ? "1" : "0";
            text = TableText((std::string("BUILDMENU_") + kCategoryWords[category] + "_" + level).c_str());
        }
    }
    else
    {
        DialogListener* object = CurrentDialogObject();
        if (!object)
            return false;
        return m_value.Read(object, m_name, text);
    }
    return true;
}

void Variable::Draw()
{
    platform::WString text;
    uint32_t colour = m_uColour;
    int32_t indent = 0;
    if (!Compose(text, &colour, &indent))
        return;
    TextWriter* writer = g_pGUIManager ? g_pGUIManager->GetTextWriter(m_iFont) : nullptr;
    if (!writer)
        return;
    if (m_iFlags & ALIGN_RIGHT)
        writer->SetAlignment(TextWriter::kAlignRight);
    else if (m_iFlags & ALIGN_LEFT)
        writer->SetAlignment(TextWriter::kAlignLeft);
    else if (m_iFlags & ALIGN_CENTRE)
        writer->SetAlignment(TextWriter::kAlignCentre);
    writer->SetColour(colour);
    writer->SetRect(m_rect.left + indent, m_rect.top, GetWidth() - indent, GetHeight());
    writer->DrawText(0, 0, text.c_str());
}
