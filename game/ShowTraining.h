// Show training: the beat and scoring rules, the training game's states (count-in, scoring each key against the
// beat, the performance of an added move, the preview) and the tool mode that stages them in a scene of their own.
#pragma once

#include "game/ToolModes.h"
#include "gui/DialogListener.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class AnimationScheduler;
class ModelInstance;
class Scene;
class ShowModel;
class ShowScheduler;
class WorldParams;
struct ShowMoveInfo;
struct TrainingSoundInfo;

namespace showtraining
{

// One key per beat, four beats to a bar; the clock hand turns once a bar. Worked out in double precision so that
// the beat is 0.625 s and the perfect window 0.0625 s to the last bit.
constexpr double kBeatSourceExact = 96.0 * (1.0 / 60.0);
constexpr float kBeatSource = static_cast<float>(kBeatSourceExact);
constexpr float kBarLength = static_cast<float>(4.0 / kBeatSourceExact);
constexpr float kBeatLength = static_cast<float>(1.0 / kBeatSourceExact);
// A key within this many seconds of its beat scores 1.
constexpr float kPerfectWindow = static_cast<float>(1.0 / kBeatSourceExact * 0.01 * 10.0);
// A key on the window's edge counts as within it, whatever the rounding of the sums of frame times.
constexpr float kEdgeTolerance = 1e-5f;
constexpr float kFadeTime = static_cast<float>(4.0 / kBeatSourceExact * 0.25);
// A beat's window closes half a beat after it.
constexpr float kHalfBeat = kBeatLength * 0.5f;
// A move whose average key score reaches this is added to the show.
constexpr float kAddThreshold = 0.5f;
constexpr float kCountInAlphaTime = 0.75f;
constexpr float kCameraDelay = 2.5f;
constexpr float kGradeRise = 50.0f;

// The arrow keys' codes and their directions 0 to 3 (up, left, down, right); 4 is a beat with no key.
constexpr int kKeyUp = 200, kKeyLeft = 203, kKeyDown = 208, kKeyRight = 205, kKeyEscape = 1;
constexpr int kNoKey = 4;
constexpr std::array<int, 4> kArrowCodes = {kKeyUp, kKeyLeft, kKeyDown, kKeyRight};

// '1' to '4' give directions 0 to 3; 'x' and anything else a beat with no key.
int KeyOfChar(char c);
// The score of a matching key pressed at `pressTime` for the beat at `beatTime`: 1 within the perfect window, then
// falling linearly to 0 half a beat away (never below 0).
float KeyScore(float beatTime, float pressTime);
// The grade sprite's frame: 3 from 0.8 up, 2 from 0.6, 1 from 0.4, else 0.
int GradeFrame(float score);
// The move's average: the sum over the keys judged, 0 when none was judged.
float AverageScore(float sum, int32_t judged);
bool IsAdded(float average);

// One scheduled move as the game trains and performs it.
struct TrainingMove
{
    int32_t id = -1;
    std::string keyword;
    std::string title;  // text id of its name
    std::string sprite; // icon sprite, empty for none
    std::string keys;   // the key sequence
    std::vector<std::string> animations;
};

// The show's own animations (files without folder or extension; empty when the show has none).
struct ShowAnimations
{
    std::string start, sloop, loop, eloop, end;
};

enum class Sound
{
    CountLow,
    CountHigh,
    Start,
    Good, // with the good sound's index 0 to 4
    Bad,
    Lose,
    Win,
};

enum class Music
{
    TrainingFadeOut,       // the training music fades out over 1 s
    PerformanceStart,      // the performance music starts
    PerformanceToTraining, // the performance music fades out, the training music starts again
};

// What the game asks of its stage: the actor, the sounds, the camera and the end.
class TrainingStage
{
public:
    virtual ~TrainingStage() = default;
    // Plays an animation file once on the actor; an empty name plays nothing (the actor counts as finished).
    virtual void PlayAnimation(const std::string& file) = 0;
    virtual void PlaySound(Sound sound, int32_t index) = 0;
    virtual void PlayMusic(Music cue) = 0;
    // The camera looks at the arena from its first point; `Onward` moves the look-at to its second.
    virtual void CameraToArena() = 0;
    virtual void CameraOnward() = 0;
    // The scores reach the scheduler (only after every move was trained).
    virtual void SubmitScores(const std::vector<float>& scores) = 0;
    // The mode ends (the select tool comes back).
    virtual void Leave() = 0;
};

// What a frame brings: the arrow key that went down (0 to 3, the first of up, left, down, right; -1 for none),
// whether any key went down, and whether the actor's animation has ended.
struct FrameInput
{
    int32_t arrow = -1;
    bool anyKey = false;
    bool actorEnded = false;
};

// A frame's input from the keys that went down (`pressed` by key code): the first arrow of up, left, down and right.
FrameInput ReadFrame(const std::function<bool(int)>& pressed, bool anyKey, bool actorEnded);

// The training sounds by slot: the start sound, the five good sounds (empty past the record's count), the bad, lose
// and win sounds, the training music and the performance music; empty for one the record leaves out.
std::vector<std::string> SoundNames(const TrainingSoundInfo& info);

enum State : int32_t
{
    kSetup = 0,
    kReady = 1,
    kScoring = 2,
    kFailed = 3,
    kAdded = 4,
    kAllDone = 5,
    kPreview = 6,
};

struct KeySlot
{
    enum Status : int32_t
    {
        kFadingIn = 0,
        kFadingOut = 1,
        kShown = 2,
    };
    int32_t key = kNoKey; // direction shown, kNoKey for an empty slot
    int32_t status = kShown;
    float fadeStart = 0.0f;
    float alpha = 255.0f;
    bool feedback = false;
    float feedbackStart = 0.0f;
    float feedbackAlpha = 0.0f;
    int32_t grade = -1; // grade frame shown, -1 for none
    float gradeRise = 0.0f;
};

// The training game's rules, without drawing: the mode feeds it frames and stages what it asks for.
class TrainingGame
{
public:
    // The moves in programme order with their current scores (one per move).
    TrainingGame(TrainingStage& stage, std::vector<TrainingMove> moves, std::vector<float> scores, ShowAnimations show,
                 bool preview);

    // Enters state 0 (training) or 6 (preview).
    void Begin();
    void Update(float dt, const FrameInput& input);

    int32_t GetState() const { return m_State; }
    int32_t GetSubState() const { return m_SubState; }
    bool IsPreview() const { return m_bPreview; }
    int32_t GetMoveIndex() const { return m_MoveIndex; }
    int32_t GetMoveCount() const { return static_cast<int32_t>(m_Moves.size()); }
    const TrainingMove* GetCurrentMove() const;
    const std::vector<float>& GetScores() const { return m_Scores; }
    int32_t GetKeyIndex() const { return m_KeyIndex; }
    int32_t GetKeysJudged() const { return m_Judged; }
    float GetScoreSum() const { return m_ScoreSum; }
    bool IsAwaitingKey() const { return m_bAwaiting; }
    float GetTime() const { return m_Time; }
    float GetNextBeatTime() const { return m_NextBeat; }
    float GetClockAngle() const { return m_ClockAngle; }
    bool IsNewBar() const { return m_bNewBar; }
    const std::array<KeySlot, 4>& GetSlots() const { return m_Slots; }
    int32_t GetCountIn() const { return m_CountIn; }
    float GetCountInAlpha() const { return m_CountAlpha; }
    int32_t GetAnimationIndex() const { return m_AnimIndex; }

private:
    void EnterState(int32_t state);
    void PrepareMove();
    void CountIn(float dt);
    void Advance(float dt);
    void Score(const FrameInput& input);
    void FinishMove();
    void Perform(const FrameInput& input);
    void Preview(const FrameInput& input);
    void NextMove();
    void PlayMoveAnimation(int32_t index);
    int32_t KeyAt(int32_t index) const;

    TrainingStage& m_Stage;
    std::vector<TrainingMove> m_Moves;
    std::vector<float> m_Scores;
    ShowAnimations m_Show;
    bool m_bPreview;

    int32_t m_State = kSetup;
    int32_t m_SubState = 0;
    int32_t m_MoveIndex = 0;
    int32_t m_KeyIndex = 0;
    int32_t m_NextKeyToShow = 0;
    int32_t m_Judged = 0;
    float m_ScoreSum = 0.0f;
    bool m_bAwaiting = false;
    float m_Time = 0.0f;
    float m_NextBeat = 0.0f;
    float m_ClockAngle = 0.0f;
    bool m_bNewBar = false;
    std::array<KeySlot, 4> m_Slots{};
    int32_t m_CountIn = 0;
    float m_CountTimer = 0.0f;
    bool m_bCounting = false;
    float m_CountAlpha = 255.0f;
    float m_CountAlphaTimer = 0.0f;
    float m_CameraTimer = 0.0f;
    bool m_bCameraMoved = false;
    int32_t m_AnimIndex = 0;
    int32_t m_GoodSound = 0;
};

// The moves of a scheduler as the game trains them: each move's record and training record ("TRAIN" and the
// move's keyword). False, with the reason, when there is no move, a move has no record, or (for training) a move
// has no training record or an empty key sequence.
// `keysOf` gives a training record's key sequence by its keyword, null when there is no such record.
bool CollectMoves(const std::vector<int32_t>& ids, const std::vector<ShowMoveInfo>& records,
                  const std::function<const char*(const std::string&)>& keysOf, bool preview,
                  std::vector<TrainingMove>& moves, std::string* why);
// The same over a scheduler's programme and the game's tables.
bool CollectMoves(const WorldParams& params, const ShowScheduler& scheduler, bool preview,
                  std::vector<TrainingMove>& moves, std::string* why);
// The show's START, SLOOP, LOOP, ELOOP and END animations: each the first animation of the move record named by
// the show's keyword and the suffix.
ShowAnimations CollectShowAnimations(const WorldParams& params, const std::string& show);

// A named point of the arena model in the scene: its third coordinate negated, turned by the building's
// orientation and added to its position.
platform::Vec3 ArenaPoint(const platform::Vec3& local, const platform::Vec3& position,
                          const platform::Vec3& orientation);

} // namespace showtraining

// The show-training tool mode (mode 11): the park paused and hidden, the arena and its actor in a scene of their
// own, the training game fed with the arrow keys, and its clock, keys and texts drawn over the picture. It listens
// to the quit-confirm dialog.
class TrainingMode : public ParkToolMode, public DialogListener, public showtraining::TrainingStage
{
public:
    static constexpr const char* kQuitDialog = "TrainQuitConfirm";

    explicit TrainingMode(GUIManager& owner);
    ~TrainingMode() override;
    void Enter() override;
    void Exit() override;
    void Update(float dt) override;
    void PreRender() override;
    void Render() override;

    // The quit-confirm dialog's answer: quit ends the mode (the scheduler keeps its old scores); otherwise the game
    // goes on where it stopped.
    void AnswerQuit(bool quit);

    // Keyword interface: the mode answers no variables.
    void GetVariable(const char*, platform::WString&) override {}
    void SetVariable(const char*, const int32_t*) override {}
    void ResetPanelState() override {}

    bool IsQuitPending() const { return m_bQuitPending; }
    bool IsStarted() const { return m_pGame != nullptr; }
    const showtraining::TrainingGame* GetGame() const { return m_pGame.get(); }
    const ShowModel* GetActor() const { return m_pActor.get(); }
    Scene* GetTrainingScene() const { return m_pScene.get(); }

private:
    void PlayAnimation(const std::string& file) override;
    void PlaySound(showtraining::Sound sound, int32_t index) override;
    void PlayMusic(showtraining::Music cue) override;
    void CameraToArena() override;
    void CameraOnward() override;
    void SubmitScores(const std::vector<float>& scores) override;
    void Leave() override;
    ShowScheduler* Scheduler() const;
    void StopSamples();
    void DrawHud();
    // The arena model's named point in the scene; false when the model has none of that name.
    bool FindArenaPoint(const char* name, platform::Vec3& out) const;

    struct HudSprites;
    std::unique_ptr<HudSprites> m_pHud;
    float m_fHudTime = 0.0f;
    std::unique_ptr<showtraining::TrainingGame> m_pGame;
    uint32_t m_BuildingId = 0xFFFFFFFFu;
    bool m_bPreview = false;
    bool m_bQuitPending = false;
    bool m_bEntered = false;
    bool m_bActorPlaying = false;
    std::string m_ShowName;
    platform::Vec3 m_Position{};
    platform::Vec3 m_Orientation{};
    std::string m_BuildingModel;
    int32_t m_SavedCamera = -1;
    std::unique_ptr<Scene> m_pScene;
    std::unique_ptr<AnimationScheduler> m_pAnimations;
    std::unique_ptr<ModelInstance> m_pArena;
    std::unique_ptr<ShowModel> m_pActor;
    std::vector<std::string> m_Sounds; // countdown, 5 good, bad, lose, win, training music, performance music
    int m_WaterSample = -1, m_MusicSample = -1, m_PerformSample = -1, m_EndSample = -1;
    // The park's music was paused (by the player) when the training began: its end leaves it paused.
    bool m_bStreamWasPaused = false;
};
