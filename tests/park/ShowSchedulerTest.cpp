// Tests of the show scheduler: the default programme and its rating, the panel's buttons, rows and values, the
// performance from the opening to the closing move with each move reported, programmes and shows that cannot be
// performed, and the save record of an idle and of a running show, also loaded in a run that numbers models
// otherwise.
#include "park/ShowScheduler.h"
#include "engine/core/TextTable.h"
#include "engine/render/AnimationScheduler.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Scene.h"
#include "scripts/ObjectStates.h"
#include "scripts/WorldParams.h"
#include "tests/park/AnimalTestSupport.h"
#include "tests/world/SaveBytes.h"
#include "world/ModelObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

using namespace animaltest;

namespace
{

using std::tuple;
using tablestest::Record;

// Each of the sample show's animations lasts 2 s: 120 ticks of the animation scheduler.
constexpr uint32_t kAnimationTicks = 120;

std::string Move(const std::string& keyword, const std::string& show, const std::string& fields)
{
    return Record("MOVE", keyword, "TITLE=T_" + keyword + "|DESCRIPTION=D_" + keyword + "|SHOW=" + show + "|" + fields);
}

// The SPLASH show: its opening and closing moves, HOP (one animation), TWIRL (two), DIVE (to unlock) and EMPTY
// (no animation); the FLOP show has only FLIP. The SPLASH programme lists HOP, TWIRL and DIVE; FLOP's lists FLIP,
// HOP (another show's) and an unknown move.
std::string ShowTables()
{
    return AnimalTables() +
           Move("SPLASHSTART", "SPLASH", "UNLOCKING=Yes|MOVE_SPRITE=NONE|ANIM1=show_start|DIFFICULTY=Easy") +
           Move("HOP", "SPLASH", "UNLOCKING=No|MOVE_SPRITE=UI_hop|ANIM1=jump|DIFFICULTY=Easy") +
           Move("TWIRL", "SPLASH", "UNLOCKING=No|MOVE_SPRITE=none|ANIM1=spin_start|ANIM2=spin_end|DIFFICULTY=Medium") +
           Move("DIVE", "SPLASH", "UNLOCKING=Yes|MOVE_SPRITE=UI_dive|ANIM1=wave|DIFFICULTY=Hard") +
           Move("EMPTY", "SPLASH", "UNLOCKING=No|MOVE_SPRITE=NONE|ANIM1=NONE") +
           Move("SPLASHEND", "SPLASH", "UNLOCKING=Yes|MOVE_SPRITE=NONE|ANIM1=show_end|DIFFICULTY=Easy") +
           Move("FLIP", "FLOP", "UNLOCKING=No|MOVE_SPRITE=NONE|ANIM1=wave");
}

class Shows : public testing::Test
{
protected:
    Shows() : park(ShowTables())
    {
        testsupport::WriteBytes(park.dir.File("shows.ble"), tablestest::Scrambled(tablestest::Quoted(
                                                                {"SPLASH", "HOP", "SPLASH", "TWIRL", "SPLASH", "DIVE",
                                                                 "FLOP", "FLIP", "FLOP", "HOP", "FLOP", "GONE"})));
        park.params->LoadShowList(park.dir.File("shows.pis").c_str());
        texts = jobstest::MakeTexts(park.dir, u"SS_SLOT_INFO=%d of %d|SS_OVERALL_RATING_FORMAT=Rating: %s %d|"
                                              u"SS_MOVE_EXCELLENT=excellent|SS_MOVE_GOOD=good|SS_MOVE_AV=average|"
                                              u"SS_MOVE_BELOW_AV=below|SS_MOVE_POOR=poor");
        owner = park.Make(OBJECT_SCENERY, "ARENA")->GetID();
        gui.lists["ShowAvailMoves"];
        gui.lists["CurrentMoves"];
    }
    int32_t Id(const char* move) const { return park.params->FindShowMove(move); }
    std::unique_ptr<ShowScheduler> Show(const char* name = "SPLASH", int32_t least = 1, int32_t most = 5)
    {
        auto show = std::make_unique<ShowScheduler>(name, least, most);
        show->SetOwner(owner);
        return show;
    }
    std::vector<int32_t> Ids(std::initializer_list<const char*> moves) const
    {
        std::vector<int32_t> ids;
        for (const char* move : moves)
            ids.push_back(Id(move));
        return ids;
    }
    // The file name (without its folder) of the actor's animation now.
    std::string Playing(const ShowScheduler& show) const
    {
        if (!show.GetActor())
            return "";
        const std::string name = g_ModelManager.GetName(show.GetActor()->GetModel());
        return name.substr(name.find_last_of('/') + 1);
    }
    // Plays `count` of the show's animations to their ends.
    void PlayAnimations(ShowScheduler& show, int count)
    {
        for (int i = 0; i < count; ++i)
        {
            g_AnimationScheduler.Update(g_AnimationScheduler.GetTime() + kAnimationTicks);
            show.UpdateShow();
        }
    }
    // Runs the show: each animation to its end and the scheduler's update; the animations played, in order.
    std::vector<std::string> Perform(ShowScheduler& show)
    {
        std::vector<std::string> played;
        for (int i = 0; i < 50 && show.IsShowRunning(); ++i)
        {
            played.push_back(Playing(show));
            g_AnimationScheduler.Update(g_AnimationScheduler.GetTime() + kAnimationTicks);
            show.UpdateShow();
        }
        return played;
    }
    RowList& Available() { return gui.lists["ShowAvailMoves"]; }
    RowList& Programme() { return gui.lists["CurrentMoves"]; }
    platform::WString Get(ShowScheduler& show, const char* keyword)
    {
        platform::WString text = u"stale";
        show.GetVariable(keyword, text);
        return text;
    }

    AnimalPark park;
    ListGui gui;
    std::unique_ptr<TextTable> texts;
    uint32_t owner = kNoObjectID;
};

} // namespace

TEST_F(Shows, StartWithTheDefaultProgrammeEveryMoveScoredThreeQuartersAndRatedByTheScores)
{
    std::unique_ptr<ShowScheduler> show = Show();
    std::vector<int32_t> moves;
    std::vector<float> scores;
    show->GetMoveList(moves);
    show->GetScoreList(scores);
    EXPECT_EQ(tuple(moves, scores, show->IsShowRunning(), show->GetActor()),
              tuple(Ids({"HOP", "TWIRL", "DIVE"}), std::vector<float>(3, 0.75f), false, nullptr));
    EXPECT_FLOAT_EQ(show->GetRating(), 0.083f * 0.75f * 3);
    // The show's own records, in table order.
    std::vector<int32_t> records;
    for (const ShowMoveInfo& record : show->GetMoveRecords())
        records.push_back(record.ID);
    EXPECT_EQ(records, Ids({"SPLASHSTART", "HOP", "TWIRL", "DIVE", "EMPTY", "SPLASHEND"}));
    // The rating: 0.083 for each point of every score from 0.5 up, at most 1.
    const struct
    {
        std::vector<float> scores;
        float rating;
    } cases[] = {{{1.0f, 1.0f, 1.0f}, 0.249f},
                 {{0.4f, 0.5f, 0.49f}, 0.0415f},
                 {{0.0f, 0.0f, 0.0f}, 0.0f},
                 {{0.9f, 0.6f, 0.3f}, 0.1245f}};
    for (const auto& c : cases)
    {
        show->SetScoreList(c.scores);
        EXPECT_NEAR(show->GetRating(), c.rating, 1e-6f) << c.scores[0];
    }
    // Thirteen perfect moves pass 1: the rating holds at 1.
    std::unique_ptr<ShowScheduler> long_ = Show("SPLASH", 1, 20);
    Available().rows.resize(1);
    Available().selected = 0;
    for (int i = 0; i < 10; ++i)
        long_->HandleButton(ShowScheduler::BUTTON_ADD);
    long_->SetScoreList(std::vector<float>(13, 1.0f));
    EXPECT_EQ(long_->GetRating(), 1.0f);
    // Scores that do not match the programme or lie outside 0 to 1 are refused.
    for (const std::vector<float>& bad :
         {std::vector<float>(12, 1.0f), std::vector<float>(13, 1.5f), std::vector<float>(13, std::nanf(""))})
        long_->SetScoreList(bad);
    long_->GetScoreList(scores);
    EXPECT_EQ(tuple(scores, park.CountReports("SetScoreList")), tuple(std::vector<float>(13, 1.0f), size_t{3}));
}

TEST_F(Shows, FillThePanelsListsWithTheirRows)
{
    std::unique_ptr<ShowScheduler> show = Show();
    show->SetScoreList({0.95f, 0.45f, 0.7f});
    show->RefreshPanel();
    // Available: every move not to unlock, in record order: title, description, the difficulty label and text,
    // the sprite unless NONE; all black.
    const auto texts = [](const PanelRow& row)
    {
        std::vector<std::string> out;
        for (const PanelItem& item : row.items)
            out.push_back(item.kind == PanelItem::TEXT ? item.textId : "sprite " + item.sprite);
        return out;
    };
    ASSERT_EQ(Available().rows.size(), 3u);
    EXPECT_EQ(texts(Available().rows[0]),
              (std::vector<std::string>{"T_HOP", "D_HOP", "SS_MOVE_DIFFICULTY", "SS_MOVE_EASY", "sprite UI_hop"}));
    EXPECT_EQ(texts(Available().rows[1]),
              (std::vector<std::string>{"T_TWIRL", "D_TWIRL", "SS_MOVE_DIFFICULTY", "SS_MOVE_MEDIUM"}));
    EXPECT_EQ(texts(Available().rows[2]),
              (std::vector<std::string>{"T_EMPTY", "D_EMPTY", "SS_MOVE_DIFFICULTY", "SS_MOVE_EASY"}));
    const PanelRow& hop = Available().rows[0];
    EXPECT_EQ(tuple(std::vector<int32_t>(hop.rect, hop.rect + 4),
                    std::vector<int32_t>(hop.items[0].rect, hop.items[0].rect + 4),
                    std::vector<int32_t>(hop.items[1].rect, hop.items[1].rect + 4),
                    std::vector<int32_t>(hop.items[2].rect, hop.items[2].rect + 4),
                    std::vector<int32_t>(hop.items[3].rect, hop.items[3].rect + 4),
                    std::vector<int32_t>(hop.items[4].rect, hop.items[4].rect + 4), hop.items[0].colour,
                    Available().selected),
              tuple(std::vector<int32_t>{0, 0, 232, 58}, std::vector<int32_t>{56, 2, 216, 17},
                    std::vector<int32_t>{56, 15, 216, 45}, std::vector<int32_t>{56, 42, 136, 57},
                    std::vector<int32_t>{140, 42, 216, 57}, std::vector<int32_t>{4, 5, 232, 58}, 0xFF000000u, 0));
    // The programme: the number sprite's frame i, the title and the score's grade, black from 0.5 up, else red.
    const struct
    {
        const char* title;
        const char* grade;
        uint32_t colour;
    } rows[] = {{"T_HOP", "SS_RATING_EXCELLENT", 0xFF000000u},
                {"T_TWIRL", "SS_RATING_NOT_TRAINED", 0xFFFF0000u},
                {"T_DIVE", "SS_RATING_GOOD", 0xFF000000u}};
    ASSERT_EQ(Programme().rows.size(), 3u);
    for (int i = 0; i < 3; ++i)
    {
        const PanelRow& row = Programme().rows[i];
        ASSERT_EQ(row.items.size(), 3u);
        const auto rect = [](const int32_t* r) { return std::vector<int32_t>(r, r + 4); };
        EXPECT_EQ(tuple(rect(row.rect), row.items[0].sprite, row.items[0].frame, rect(row.items[0].rect),
                        row.items[1].textId, rect(row.items[1].rect), row.items[2].textId, row.items[2].colour,
                        rect(row.items[2].rect)),
                  tuple(std::vector<int32_t>{0, 0, 243, 29}, "UIS_SS_Numbers", i, std::vector<int32_t>{3, 3, 243, 29},
                        rows[i].title, std::vector<int32_t>{36, 7, 180, 22}, rows[i].grade, rows[i].colour,
                        std::vector<int32_t>{118, 7, 228, 22}))
            << i;
    }
    // The score grades at their edges.
    const tuple<float, const char*> grades[] = {{0.9f, "SS_RATING_EXCELLENT"}, {0.8999f, "SS_RATING_GOOD"},
                                                {0.7f, "SS_RATING_GOOD"},      {0.6999f, "SS_RATING_AVERAGE"},
                                                {0.5f, "SS_RATING_AVERAGE"},   {0.4999f, "SS_RATING_NOT_TRAINED"}};
    for (const auto& [score, grade] : grades)
        EXPECT_STREQ(ShowScheduler::ScoreGrade(score), grade) << score;
}

TEST_F(Shows, EditTheProgrammeFromThePanel)
{
    std::unique_ptr<ShowScheduler> show = Show("SPLASH", 2, 4);
    show->RefreshPanel();
    // Added: the second available move (TWIRL) at 0.4, not performed, so the rating stays.
    const float rating = show->GetRating();
    Available().SelectItem(1);
    Programme().SelectItem(2);
    show->HandleButton(ShowScheduler::BUTTON_ADD);
    std::vector<float> scores;
    show->GetScoreList(scores);
    EXPECT_EQ(tuple(show->GetMoves(), scores, show->GetRating(), Programme().rows.size(), Programme().selected),
              tuple(Ids({"HOP", "TWIRL", "DIVE", "TWIRL"}), (std::vector<float>{0.75f, 0.75f, 0.75f, 0.4f}), rating,
                    size_t{4}, 2));
    // Full at four: nothing more is added; the state says so.
    EXPECT_EQ(Get(*show, "SHOW_ADD_STATE"), u"0");
    show->HandleButton(ShowScheduler::BUTTON_ADD);
    EXPECT_EQ(show->GetMoves().size(), 4u);
    // Moved up and down: the selection follows, the top row stays and the row is shown; the ends do not move.
    Programme().top = 1;
    show->HandleButton(ShowScheduler::BUTTON_UP);
    show->GetScoreList(scores);
    EXPECT_EQ(tuple(show->GetMoves(), scores, Programme().selected, Programme().top, Programme().visible),
              tuple(Ids({"HOP", "DIVE", "TWIRL", "TWIRL"}), (std::vector<float>{0.75f, 0.75f, 0.75f, 0.4f}), 1, 1, 1));
    Programme().SelectItem(0);
    show->HandleButton(ShowScheduler::BUTTON_UP);
    Programme().SelectItem(3);
    show->HandleButton(ShowScheduler::BUTTON_DOWN);
    EXPECT_EQ(show->GetMoves(), Ids({"HOP", "DIVE", "TWIRL", "TWIRL"}));
    Programme().SelectItem(2);
    show->HandleButton(ShowScheduler::BUTTON_DOWN);
    show->GetScoreList(scores);
    EXPECT_EQ(tuple(show->GetMoves(), scores, Programme().selected),
              tuple(Ids({"HOP", "DIVE", "TWIRL", "TWIRL"}), (std::vector<float>{0.75f, 0.75f, 0.4f, 0.75f}), 3));
    // The first entry moves down and back up like any other.
    Programme().SelectItem(0);
    show->HandleButton(ShowScheduler::BUTTON_DOWN);
    EXPECT_EQ(tuple(show->GetMoves(), Programme().selected), tuple(Ids({"DIVE", "HOP", "TWIRL", "TWIRL"}), 1));
    show->HandleButton(ShowScheduler::BUTTON_UP);
    EXPECT_EQ(tuple(show->GetMoves(), Programme().selected), tuple(Ids({"HOP", "DIVE", "TWIRL", "TWIRL"}), 0));
    // Removed: the selected entry; the rating follows; down to the fewest the programme may hold.
    Programme().SelectItem(1);
    show->HandleButton(ShowScheduler::BUTTON_REMOVE);
    show->GetScoreList(scores);
    EXPECT_EQ(tuple(show->GetMoves(), scores, Programme().selected),
              tuple(Ids({"HOP", "TWIRL", "TWIRL"}), (std::vector<float>{0.75f, 0.4f, 0.75f}), 1));
    EXPECT_NEAR(show->GetRating(), 0.083f * 1.5f, 1e-6f);
    show->HandleButton(ShowScheduler::BUTTON_REMOVE);
    EXPECT_EQ(Get(*show, "SHOW_REMOVE_STATE"), u"0");
    show->HandleButton(ShowScheduler::BUTTON_REMOVE);
    EXPECT_EQ(show->GetMoves().size(), 2u);
    // Reset: the default programme at 0.75 again, row 0 selected.
    show->HandleButton(ShowScheduler::BUTTON_RESET);
    show->GetScoreList(scores);
    EXPECT_EQ(tuple(show->GetMoves(), scores, Programme().selected, Get(*show, "SHOW_ADD_STATE"),
                    Get(*show, "SHOW_REMOVE_STATE"), Get(*show, "SHOW_UP_STATE")),
              tuple(Ids({"HOP", "TWIRL", "DIVE"}), std::vector<float>(3, 0.75f), 0, u"1", u"1", u"1"));
    // Training and preview: the building and the kind in the GUI's slots, then the training mode.
    show->HandleButton(ShowScheduler::BUTTON_TRAIN);
    EXPECT_EQ(tuple(gui.selections[15], gui.selections[16]), tuple(static_cast<int32_t>(owner), 1));
    show->HandleButton(ShowScheduler::BUTTON_PREVIEW);
    EXPECT_EQ(tuple(gui.selections[16], gui.modes), tuple(0, std::vector<int32_t>{11, 11}));
    // Another button is reported.
    show->HandleButton(7);
    EXPECT_EQ(park.CountReports("ShowScheduler, unhandled button"), 1u);
}

TEST_F(Shows, DoNothingFromThePanelWithoutAMoveToAddOrAnEntryChosen)
{
    std::unique_ptr<ShowScheduler> show = Show("SPLASH", 0, 9);
    // Lists with no rows: nothing chosen.
    for (int32_t button : {0, 1, 2, 3})
        show->HandleButton(button);
    // A choice beyond the rows, or lists the GUI does not have loaded.
    Available().rows.resize(9);
    Available().selected = 5;
    Programme().rows.resize(9);
    Programme().selected = 7;
    for (int32_t button : {0, 1, 2, 3})
        show->HandleButton(button);
    gui.lists.clear();
    for (int32_t button : {0, 1, 2, 3, 4})
        show->HandleButton(button);
    show->RefreshPanel();
    EXPECT_EQ(show->GetMoves(), Ids({"HOP", "TWIRL", "DIVE"}));
    // And a show with no moves at all to add.
    std::unique_ptr<ShowScheduler> none = Show("NOSHOW", 0, 9);
    gui.lists["ShowAvailMoves"];
    none->RefreshPanel();
    Available().rows.resize(1);
    Available().selected = 0;
    none->HandleButton(ShowScheduler::BUTTON_ADD);
    EXPECT_TRUE(none->GetMoves().empty());
}

TEST_F(Shows, AnswerThePanelsKeywordsThroughTheirTexts)
{
    std::unique_ptr<ShowScheduler> show = Show("SPLASH", 1, 5);
    EXPECT_EQ(Get(*show, "SLOT_INFO"), u"3 of 5");
    // The grade of the rating at its edges.
    const tuple<float, const char*> grades[] = {{0.8f, "SS_MOVE_EXCELLENT"}, {0.7999f, "SS_MOVE_GOOD"},
                                                {0.6f, "SS_MOVE_GOOD"},      {0.5999f, "SS_MOVE_AV"},
                                                {0.4f, "SS_MOVE_AV"},        {0.3999f, "SS_MOVE_BELOW_AV"},
                                                {0.2f, "SS_MOVE_BELOW_AV"},  {0.1999f, "SS_MOVE_POOR"}};
    for (const auto& [rating, grade] : grades)
        EXPECT_STREQ(ShowScheduler::MoveGrade(rating), grade) << rating;
    // Three perfect moves rate 0.249, below average; the rating's text has a %d with no number to take, which is
    // shown as it stands.
    show->SetScoreList({1.0f, 1.0f, 1.0f});
    EXPECT_EQ(Get(*show, "SHOW_RATING"), u"Rating: below %d");
    // SetVariable takes nothing; another keyword is reported and the text left alone.
    const int32_t value = 1;
    show->SetVariable("SLOT_INFO", &value);
    EXPECT_EQ(tuple(Get(*show, "SLOT_INFO"), Get(*show, "SHOW_TRAIN_STATE"), Get(*show, "SHOW_DOWN_STATE"),
                    Get(*show, "SHOW_NAME")),
              tuple(u"3 of 5", u"1", u"1", u"stale"));
    EXPECT_EQ(park.CountReports("ShowScheduler::GetVariable - data keyword not recognised - SHOW_NAME"), 1u);
}

TEST_F(Shows, PerformTheOpeningTheTrainedMovesAndTheClosingReportingEachMoveAndTheEnd)
{
    std::unique_ptr<ShowScheduler> show = Show();
    show->SetPosition(530.0f, 0.0f, 540.0f);
    show->SetOrientation(0.0f, 1.0f, 0.0f);
    // TWIRL is not trained enough: it is left out.
    show->SetScoreList({0.5f, 0.49f, 1.0f});
    show->StartShow();
    ASSERT_TRUE(show->IsShowRunning());
    EXPECT_EQ(tuple(show->GetCurrentMoveList(), show->GetActor()->GetScene() == park.world->m_pScene.get(),
                    show->GetActor()->GetPosition().z, show->GetActor()->GetOrientation().y),
              tuple(Ids({"SPLASHSTART", "HOP", "DIVE", "SPLASHEND"}), true, 540.0f, 1.0f));
    // A second start while it runs changes nothing: the show goes on.
    g_AnimationScheduler.Update(g_AnimationScheduler.GetTime() + kAnimationTicks);
    show->UpdateShow();
    const ShowModel* actor = show->GetActor();
    show->StartShow();
    EXPECT_EQ(tuple(show->GetCurrentMoveIndex(), Playing(*show), show->GetActor()), tuple(1, "jump.tm", actor));
    EXPECT_EQ(Perform(*show), (std::vector<std::string>{"jump.tm", "wave.tm", "show_end.tm"}));
    // Each move finished is reported (the opening and closing ones too), then the end, from the building to itself.
    const std::vector<Received> moves = Taken(MT_SHOW_MOVE_FINISHED, owner), ends = Taken(MT_SHOW_FINISHED, owner);
    ASSERT_EQ(tuple(moves.size(), ends.size()), tuple(size_t{4}, size_t{1}));
    EXPECT_EQ(tuple(moves[0].sender, ends[0].sender, show->IsShowRunning(), show->GetActor(),
                    show->GetCurrentMoveList().size()),
              tuple(owner, owner, false, nullptr, size_t{0}));
    // Nothing more happens once it is over.
    show->UpdateShow();
    EXPECT_EQ(Taken(MT_SHOW_MOVE_FINISHED, owner).size(), 4u);

    // A move of two animations plays both; a show whose every score is below 0.5 still opens and closes.
    show->SetScoreList({0.2f, 0.9f, 0.1f});
    show->StartShow();
    EXPECT_EQ(Perform(*show),
              (std::vector<std::string>{"show_start.tm", "spin_start.tm", "spin_end.tm", "show_end.tm"}));
    show->SetScoreList({0.0f, 0.0f, 0.0f});
    show->StartShow();
    EXPECT_EQ(Perform(*show), (std::vector<std::string>{"show_start.tm", "show_end.tm"}));
    EXPECT_EQ(Taken(MT_SHOW_FINISHED, owner).size(), 3u);
}

TEST_F(Shows, LeaveOutWhatCannotBePerformedAndEndAShowWithNothingToPerformAtOnce)
{
    // FLOP has no opening or closing move, and its programme lists another show's move and an unknown one (which
    // the list takes as move 0, the SPLASH opening): reported once, when the programme is made.
    std::unique_ptr<ShowScheduler> flop = Show("FLOP");
    EXPECT_EQ(tuple(park.CountReports("has no move FLOPSTART"), park.CountReports("has no move FLOPEND"),
                    park.CountReports("cannot be performed")),
              tuple(size_t{1}, size_t{1}, size_t{2}));
    flop->StartShow();
    EXPECT_EQ(flop->GetCurrentMoveList(), Ids({"FLIP"}));
    EXPECT_EQ(Perform(*flop), std::vector<std::string>{"wave.tm"});
    // A programme of moves that cannot be performed only: the show is over as it starts.
    flop->SetScoreList({0.0f, 1.0f, 1.0f});
    const size_t ends = Taken(MT_SHOW_FINISHED, owner).size();
    flop->StartShow();
    EXPECT_EQ(tuple(flop->IsShowRunning(), flop->GetActor(), Taken(MT_SHOW_FINISHED, owner).size()),
              tuple(false, nullptr, ends + 1));
    // A move without animations is left out of SPLASH's shows too.
    std::unique_ptr<ShowScheduler> splash = Show("SPLASH", 1, 9);
    gui.lists["ShowAvailMoves"];
    splash->RefreshPanel();
    Available().SelectItem(2);
    splash->HandleButton(ShowScheduler::BUTTON_ADD);
    splash->SetScoreList({0.0f, 0.0f, 0.0f, 1.0f});
    splash->StartShow();
    EXPECT_EQ(splash->GetCurrentMoveList(), Ids({"SPLASHSTART", "SPLASHEND"}));
    EXPECT_EQ(park.CountReports("cannot be performed"), 2u);
}

TEST_F(Shows, SaveIdleAndRunningShowsAndResumeARunningShowAfterALoad)
{
    std::unique_ptr<ShowScheduler> show = Show();
    show->SetPosition(1.0f, 2.0f, 3.0f);
    show->SetScoreList({0.6f, 0.9f, 0.2f});
    const auto bytes = [](const ShowScheduler& s) { return savebytes::Saved([&](SerialStream& out) { s.Dump(out); }); };
    // Idle: the programme count and ids open the record; no actor at its end.
    const savebytes::Bytes idle = bytes(*show);
    savebytes::Bytes opening;
    savebytes::Tagged(opening, 11, 3);
    for (int32_t id : Ids({"HOP", "TWIRL", "DIVE"}))
        savebytes::Tagged(opening, 5, static_cast<uint32_t>(id));
    savebytes::Tagged(opening, 11, 6);
    EXPECT_EQ(savebytes::Bytes(idle.begin(), idle.begin() + opening.size()), opening);
    savebytes::Bytes noActor;
    savebytes::Tagged(noActor, 11, 0);
    EXPECT_EQ(savebytes::Bytes(idle.end() - 5, idle.end()), noActor);

    // Running, in the second animation of TWIRL.
    show->StartShow();
    Perform(*show);
    show->StartShow();
    PlayAnimations(*show, 3);
    ASSERT_EQ(tuple(show->GetCurrentMoveIndex(), show->GetCurrentAnimIndex(), Playing(*show)),
              tuple(2, 1, "spin_end.tm"));
    const savebytes::Bytes running = bytes(*show);
    for (const savebytes::Bytes* saved : {&idle, &running})
    {
        std::unique_ptr<ShowScheduler> copy = Show("SPLASH");
        ASSERT_TRUE(savebytes::LoadFrom(*saved, [&](SerialStream& s) { return copy->Load(s); }));
        EXPECT_EQ(bytes(*copy), *saved);
        EXPECT_NEAR(copy->GetRating(), 0.083f * 1.5f, 1e-6f);
    }
    // The loaded show goes on from where it was, with its actor in the scene.
    std::unique_ptr<ShowScheduler> resumed = Show("SPLASH");
    ASSERT_TRUE(savebytes::LoadFrom(running, [&](SerialStream& s) { return resumed->Load(s); }));
    show.reset();
    const size_t finished = Taken(MT_SHOW_MOVE_FINISHED, owner).size();
    EXPECT_EQ(tuple(resumed->IsShowRunning(), resumed->GetActor()->GetScene() == park.world->m_pScene.get()),
              tuple(true, true));
    EXPECT_EQ(Perform(*resumed), (std::vector<std::string>{"spin_end.tm", "show_end.tm"}));
    EXPECT_EQ(Taken(MT_SHOW_MOVE_FINISHED, owner).size(), finished + 2);

    // Refused, the show idle with its default programme: a score that is no number, a programme count beyond any
    // show, more move records than the tables can hold (the count after the programme's three ids), a record cut
    // short.
    const auto edited = [&](const savebytes::Bytes& from, size_t at, uint32_t value)
    {
        savebytes::Bytes b = from;
        std::memcpy(&b[at], &value, 4);
        return b;
    };
    // The first score, 0.6, is the first float item of that value.
    float six = 0.6f;
    savebytes::Bytes item = {3};
    item.resize(5);
    std::memcpy(&item[1], &six, 4);
    const size_t firstScore = std::search(idle.begin(), idle.end(), item.begin(), item.end()) - idle.begin() + 1;
    ASSERT_LT(firstScore, idle.size());
    for (const savebytes::Bytes& bad : {edited(idle, firstScore, 0x7FC00000), edited(idle, 1, 5000),
                                        edited(idle, opening.size() - 4, WorldParams::kMaxShowMoves + 1),
                                        savebytes::Bytes(running.begin(), running.end() - 4)})
    {
        std::unique_ptr<ShowScheduler> damaged = Show("SPLASH");
        damaged->SetScoreList({0.1f, 0.1f, 0.1f});
        EXPECT_FALSE(savebytes::LoadFrom(bad, [&](SerialStream& s) { return damaged->Load(s); }));
        std::vector<float> scores;
        damaged->GetScoreList(scores);
        EXPECT_EQ(tuple(damaged->IsShowRunning(), damaged->GetActor(), damaged->GetMoves(), scores),
                  tuple(false, nullptr, Ids({"HOP", "TWIRL", "DIVE"}), std::vector<float>(3, 0.75f)));
    }
}

TEST_F(Shows, SavedDuringTheirOpeningResumeFromItsFirstAnimation)
{
    std::unique_ptr<ShowScheduler> show = Show();
    show->SetScoreList({0.6f, 0.9f, 0.2f});
    show->StartShow();
    ASSERT_EQ(tuple(show->GetCurrentMoveIndex(), show->GetCurrentAnimIndex(), Playing(*show)),
              tuple(0, 0, "show_start.tm"));
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& out) { show->Dump(out); });
    show.reset();
    std::unique_ptr<ShowScheduler> resumed = Show();
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return resumed->Load(s); }));
    // The opening, HOP and TWIRL (scored 0.5 or more; DIVE is not) and the closing.
    EXPECT_EQ(Perform(*resumed),
              (std::vector<std::string>{"show_start.tm", "jump.tm", "spin_start.tm", "spin_end.tm", "show_end.tm"}));
    EXPECT_EQ(Taken(MT_SHOW_FINISHED, owner).size(), 1u);
}

// Model handles are numbered in the order models are first loaded, which differs from one run of the game to the
// next: the numbers a save holds for the actor's model and animation may stand for other models in the run that
// loads it. The loaded show's actor still shows and plays the animation it was performing.
TEST_F(Shows, ResumeWithTheActorTheyWereShowingWhateverItsSavedHandlesNameNow)
{
    std::unique_ptr<ShowScheduler> show = Show();
    show->SetScoreList({0.6f, 0.9f, 0.2f});
    show->StartShow();
    ASSERT_EQ(Playing(*show), "show_start.tm");
    const uint32_t otherModel = show->GetActor()->GetModel();
    PlayAnimations(*show, 3);
    ASSERT_EQ(Playing(*show), "spin_end.tm");
    ASSERT_NE(show->GetActor()->GetModel(), otherModel);
    savebytes::Bytes saved = savebytes::Saved([&](SerialStream& out) { show->Dump(out); });
    show.reset();

    // The actor's record ends the show's: its animation handle is the fourth item of its animated part, its model
    // handle the last item. In the run that loads, both numbers stand for the opening's model.
    const size_t animationAt = saved.size() - 54;
    const size_t modelAt = saved.size() - 4;
    const auto fileOf = [](uint32_t handle)
    {
        const std::string name = g_ModelManager.GetName(handle);
        return name.substr(name.find_last_of('/') + 1);
    };
    for (size_t at : {animationAt, modelAt})
    {
        uint32_t handle = 0;
        std::memcpy(&handle, &saved[at], 4);
        ASSERT_EQ(fileOf(handle), "spin_end.tm");
        std::memcpy(&saved[at], &otherModel, 4);
    }

    std::unique_ptr<ShowScheduler> resumed = Show();
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return resumed->Load(s); }));
    ASSERT_TRUE(resumed->GetActor());
    EXPECT_EQ(Playing(*resumed), "spin_end.tm");
    EXPECT_EQ(fileOf(resumed->GetActor()->GetCurrentAnimation()), "spin_end.tm");
    EXPECT_EQ(Perform(*resumed), (std::vector<std::string>{"spin_end.tm", "show_end.tm"}));
}

// A running show's save names the move it performs by its place in the run and the animation by its place in the
// move: a damaged save may name a move the run's records lack, or an animation past the move's last. The show
// loads, keeps the actor it was showing and goes on to its closing move.
TEST_F(Shows, ResumeFromARunNamingAMoveOrAnimationItsRecordsLack)
{
    std::unique_ptr<ShowScheduler> show = Show();
    show->SetScoreList({0.6f, 0.9f, 0.2f});
    show->StartShow();
    PlayAnimations(*show, 3);
    ASSERT_EQ(tuple(show->GetCurrentMoveIndex(), show->GetCurrentAnimIndex(), Playing(*show)),
              tuple(2, 1, "spin_end.tm"));
    const savebytes::Bytes saved = savebytes::Saved([&](SerialStream& out) { show->Dump(out); });
    show.reset();
    const auto find = [&](const savebytes::Bytes& pattern)
    {
        const auto at = std::search(saved.begin(), saved.end(), pattern.begin(), pattern.end());
        return static_cast<size_t>(at - saved.begin());
    };
    // The run: its count, then the opening, HOP, TWIRL and the closing.
    savebytes::Bytes run;
    savebytes::Tagged(run, 11, 4);
    for (int32_t id : Ids({"SPLASHSTART", "HOP", "TWIRL", "SPLASHEND"}))
        savebytes::Tagged(run, 5, static_cast<uint32_t>(id));
    // Running, at the third move of the run, its second animation.
    savebytes::Bytes place;
    savebytes::Tagged(place, 11, 1);
    savebytes::Tagged(place, 5, 2);
    savebytes::Tagged(place, 5, 1);
    const size_t runAt = find(run), placeAt = find(place);
    ASSERT_LT(runAt, saved.size());
    ASSERT_LT(placeAt, saved.size());
    const auto edited = [&](size_t at, uint32_t value)
    {
        savebytes::Bytes b = saved;
        std::memcpy(&b[at], &value, 4);
        return b;
    };
    // TWIRL's place in the run taken by FLIP, another show's move; the animation after TWIRL's second; one past
    // the most a move has.
    const savebytes::Bytes damaged[] = {edited(runAt + 5 + 10 + 1, static_cast<uint32_t>(Id("FLIP"))),
                                        edited(placeAt + 10 + 1, 2),
                                        edited(placeAt + 10 + 1, static_cast<uint32_t>(ShowMoveInfo::kMaxAnims - 1))};
    for (const savebytes::Bytes& bytes : damaged)
    {
        std::unique_ptr<ShowScheduler> resumed = Show();
        ASSERT_TRUE(savebytes::LoadFrom(bytes, [&](SerialStream& s) { return resumed->Load(s); }));
        ASSERT_TRUE(resumed->GetActor());
        EXPECT_EQ(Playing(*resumed), "spin_end.tm");
        const std::vector<std::string> played = Perform(*resumed);
        ASSERT_FALSE(played.empty());
        EXPECT_EQ(tuple(played.back(), resumed->IsShowRunning()), tuple("show_end.tm", false));
    }
}

namespace
{

// The show actor stands in the arena only while a show runs. A damaged record of an idle show that carries an actor
// loads the show idle, with its programme and scores, and no actor stands in the park.
TEST_F(Shows, LoadIdleWithoutAnActorFromARecordOfAnIdleShowCarryingOne)
{
    std::unique_ptr<ShowScheduler> show = Show();
    show->SetScoreList({0.6f, 0.9f, 0.2f});
    show->StartShow();
    PlayAnimations(*show, 2);
    ASSERT_TRUE(show->IsShowRunning());
    savebytes::Bytes saved = savebytes::Saved([&](SerialStream& out) { show->Dump(out); });
    show.reset();
    // The owner's id, then the state 1 (running): made 0 (idle).
    savebytes::Bytes running;
    savebytes::Tagged(running, 11, owner);
    savebytes::Tagged(running, 11, 1);
    const auto at = std::search(saved.begin(), saved.end(), running.begin(), running.end());
    ASSERT_NE(at, saved.end());
    const uint32_t idle = 0;
    std::memcpy(&*(at + 6), &idle, 4);

    std::unique_ptr<ShowScheduler> loaded = Show();
    testsupport::RecordingReportSink reports;
    ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return loaded->Load(s); }));
    EXPECT_EQ(tuple(loaded->IsShowRunning(), loaded->GetActor()), tuple(false, nullptr));
    // The damage is told to the player.
    ASSERT_EQ(reports.boxes.size(), 1u);
    EXPECT_NE(reports.boxes[0].text.find("saved with an actor"), std::string::npos);
    EXPECT_EQ(loaded->GetScores(), (std::vector<float>{0.6f, 0.9f, 0.2f}));
    // Its next show starts as any idle show's does.
    loaded->StartShow();
    EXPECT_EQ(Perform(*loaded),
              (std::vector<std::string>{"show_start.tm", "jump.tm", "spin_start.tm", "spin_end.tm", "show_end.tm"}));
}

} // namespace
