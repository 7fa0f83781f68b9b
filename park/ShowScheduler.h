// ShowScheduler: the programme of an animal show building (an ordered list of trained show moves, each with a
// training score), its rating, the scheduler panel that edits it, and the performance: the moves played one after
// another on a show actor, each finished move and the show's end reported to the building.
#pragma once

#include "gui/DialogListener.h"
#include "park/ParkGui.h"
#include "platform/gfx/Math.h"
#include "scripts/WorldParamsRecords.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SerialStream;
class ShowModel;

class ShowScheduler : public DialogListener
{
public:
    // The panel's buttons.
    enum Button : int32_t
    {
        BUTTON_ADD = 0,
        BUTTON_REMOVE = 1,
        BUTTON_UP = 2,
        BUTTON_DOWN = 3,
        BUTTON_TRAIN = 4,
        BUTTON_RESET = 5,
        BUTTON_PREVIEW = 6,
    };
    // The score of a move of the default programme and of a move added from the panel; a move is performed from
    // kPerformScore up. The rating gives kRatingPerMove for each point of a performed move's score.
    static constexpr float kDefaultScore = 0.75f;
    static constexpr float kAddedScore = 0.4f;
    static constexpr float kPerformScore = 0.5f;
    static constexpr float kRatingPerMove = 0.083f;
    // The GUI's selection slots of the show building and of training (1) or preview (0), and the show-training
    // tool mode.
    static constexpr int32_t kBuildingSelection = 15;
    static constexpr int32_t kTrainSelection = 16;
    static constexpr int32_t kTrainingMode = 11;
    static constexpr const char* kAvailableList = "ShowAvailMoves";
    static constexpr const char* kProgrammeList = "CurrentMoves";
    static constexpr const char* kNumberSprite = "UIS_SS_Numbers";
    // The show's opening and closing moves are named by the show's name and these.
    static constexpr const char* kStartSuffix = "START";
    static constexpr const char* kEndSuffix = "END";
    // Most entries a saved programme or run may hold.
    static constexpr int32_t kMostEntries = 1000;

    // The show's move records and its default programme (every score kDefaultScore) from the tables; a programme
    // entry or an opening or closing move that cannot be performed is reported here, once, and skipped by every
    // show.
    ShowScheduler(const char* showName, int32_t minMoves, int32_t maxMoves);
    ~ShowScheduler() override;
    ShowScheduler(const ShowScheduler&) = delete;
    ShowScheduler& operator=(const ShowScheduler&) = delete;

    void SetOwner(uint32_t owner) { m_OwnerID = owner; }
    // Where the show actor stands and how it is turned.
    void SetPosition(float x, float y, float z) { m_Position = {x, y, z}; }
    void SetOrientation(float x, float y, float z) { m_Orientation = {x, y, z}; }

    // The show starts: the opening move, every move scored kPerformScore or more in programme order, the closing
    // move; moves that cannot be performed are left out, and a show with nothing to perform is over at once. A
    // show already running goes on.
    void StartShow();
    // Each building update: once the actor's animation has ended, the move's next animation, else the next move
    // (the finished one reported to the building), else the end of the show (reported).
    void UpdateShow();

    // The panel: both lists filled, row 0 selected in each.
    void RefreshPanel();
    // A button of the panel (BUTTON_ADD to BUTTON_PREVIEW); other codes are reported.
    void HandleButton(int32_t button);

    // 0 to 1; the World takes the mean of its show buildings' ratings into the park's rating.
    float GetRating() const { return m_fRating; }
    void GetMoveList(std::vector<int32_t>& moves) const { moves = m_MoveList; }
    void GetScoreList(std::vector<float>& scores) const { scores = m_ScoreList; }
    // New scores for the programme (the training mode's); a list that does not match the programme or holds a
    // value outside 0 to 1 is refused with a report.
    void SetScoreList(const std::vector<float>& scores);

    // Keyword interface: the panel's values.
    void GetVariable(const char* keyword, platform::WString& text) override;
    void SetVariable(const char* keyword, const int32_t* value) override;
    void ResetPanelState() override {}

    void Dump(SerialStream& stream) const;
    // False, with a report, when the record is cut short or does not hold together (counts beyond a programme,
    // scores that do not match the moves or are no number, a move being performed that is not in the run): the
    // scheduler is then left idle with the show's default programme. An actor saved with an idle show is left out.
    bool Load(SerialStream& stream);

    // The grade texts of the show's rating (the panel's overall rating) and of one move's score.
    static const char* MoveGrade(float rating);
    static const char* ScoreGrade(float score);
    // The colour of a score's grade: black from kPerformScore up, red below.
    static uint32_t ScoreColour(float score);
    // The rows of the two lists as the panel shows them.
    std::vector<PanelRow> AvailableRows() const;
    std::vector<PanelRow> ProgrammeRows() const;

    uint32_t GetOwner() const { return m_OwnerID; }
    const std::string& GetShowName() const { return m_ShowName; }
    bool IsShowRunning() const { return m_CurrentState == kRunning; }
    const platform::Vec3& GetPosition() const { return m_Position; }
    const platform::Vec3& GetOrientation() const { return m_Orientation; }
    const std::vector<int32_t>& GetMoves() const { return m_MoveList; }
    const std::vector<float>& GetScores() const { return m_ScoreList; }
    const std::vector<ShowMoveInfo>& GetMoveRecords() const { return m_ShowMoveInfo; }
    const std::vector<int32_t>& GetCurrentMoveList() const { return m_CurrentMoveList; }
    int32_t GetCurrentMoveIndex() const { return m_CurrentMoveIndex; }
    int32_t GetCurrentAnimIndex() const { return m_CurrentAnimIndex; }
    const ShowModel* GetActor() const { return m_pActor.get(); }

private:
    static constexpr uint32_t kIdle = 0;
    static constexpr uint32_t kRunning = 1;

    void ComputeRating();
    // The show's default programme, every score kDefaultScore.
    void ResetProgramme();
    // A move record of a list by id; null when the list has none.
    static const ShowMoveInfo* FindRecord(const std::vector<ShowMoveInfo>& records, int32_t id);
    // Whether a move can be performed: its record is among the show's and names 1 to 5 animations.
    bool CanPerform(int32_t id) const;
    // The id of the show's opening or closing move, or -1 when the tables have none.
    int32_t SpecialMove(const char* suffix) const;
    // The file of a move's animation: of the move at moveIndex of the list, its animation animIndex. Empty when
    // there is none.
    static std::string AnimationFile(const std::vector<ShowMoveInfo>& records, const std::vector<int32_t>& moves,
                                     int32_t moveIndex, int32_t animIndex);
    void PlayCurrentAnimation();
    void EndShow();
    void Post(uint32_t type) const;
    // The moves available to add, in record order.
    std::vector<const ShowMoveInfo*> AvailableMoves() const;
    // Refills the programme list and selects a row again.
    void RefillProgramme(int32_t select);
    void Swap(int32_t from, int32_t to);

    std::string m_ShowName;
    int32_t m_iMinMoves;
    int32_t m_iMaxMoves;
    std::vector<int32_t> m_MoveList;
    std::vector<ShowMoveInfo> m_ShowMoveInfo;
    std::vector<float> m_ScoreList;
    uint32_t m_OwnerID = 0xFFFFFFFF;
    uint32_t m_CurrentState = kIdle;
    int32_t m_CurrentMoveIndex = 0;
    int32_t m_CurrentAnimIndex = 0;
    platform::Vec3 m_Position = {};
    platform::Vec3 m_Orientation = {};
    std::vector<ShowMoveInfo> m_CurrentShowMoveInfo;
    std::vector<int32_t> m_CurrentMoveList;
    float m_fRating = 0.0f;
    std::unique_ptr<ShowModel> m_pActor;
};
