// Tests of show training: key scores and grades against the beat, the average and the threshold for adding a move,
// the game driven frame by frame (count-in, keys on and off the beat, 'x' beats, wrong and missed keys, the end
// and its scores), the preview's order, and the refusal of a programme that cannot be trained.
#include "game/ShowTraining.h"
#include "scripts/WorldParamsRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace showtraining;

namespace
{

// The beat's numbers worked out by hand: 96 sixtieths of a second make 1.6 beats a second.
constexpr float kBeat = 0.625f;
constexpr float kBar = 2.5f;
// Frames of 1/64 s: a beat is 40 frames.
constexpr float kDt = 1.0f / 64.0f;

TEST(ShowTrainingRules, KeyScoreByDistanceFromTheBeat)
{
    struct Case
    {
        float off;
        float expected;
    };
    // 1 within 0.0625 s; then 1 - |off| / 0.3125 (half a beat), never below 0.
    const Case cases[] = {
        {0.0f, 1.0f},    {0.03f, 1.0f}, {-0.0625f, 1.0f}, {0.0625f, 1.0f}, {0.125f, 0.6f},
        {-0.125f, 0.6f}, {0.25f, 0.2f}, {-0.25f, 0.2f},   {0.3125f, 0.0f}, {0.5f, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(KeyScore(10.0f, 10.0f + c.off), c.expected, 1e-4f) << "off " << c.off;
}

TEST(ShowTrainingRules, GradeFrames)
{
    const std::pair<float, int> cases[] = {{1.0f, 3}, {0.8f, 3},  {0.79f, 2}, {0.6f, 2}, {0.59f, 1},
                                           {0.4f, 1}, {0.39f, 0}, {0.2f, 0},  {0.0f, 0}};
    for (const auto& [score, frame] : cases)
        EXPECT_EQ(GradeFrame(score), frame) << score;
}

TEST(ShowTrainingRules, SequenceCharactersAndArrowCodes)
{
    const std::pair<char, int> cases[] = {{'1', 0}, {'2', 1}, {'3', 2}, {'4', 3},
                                          {'x', 4}, {'0', 4}, {'5', 4}, {'X', 4}};
    for (const auto& [c, key] : cases)
        EXPECT_EQ(KeyOfChar(c), key) << c;
    EXPECT_EQ(kArrowCodes[0], 200);
    EXPECT_EQ(kArrowCodes[1], 203);
    EXPECT_EQ(kArrowCodes[2], 208);
    EXPECT_EQ(kArrowCodes[3], 205);
}

TEST(ShowTrainingRules, AFramesArrowIsTheFirstOfUpLeftDownRight)
{
    struct Case
    {
        std::vector<int> down; // key codes that went down
        int arrow;
    };
    const Case cases[] = {
        {{}, -1},        {{200}, 0},      {{203}, 1},      {{208}, 2}, {{205}, 3},
        {{205, 208}, 2}, {{203, 200}, 0}, {{205, 203}, 1}, {{1}, -1},  {{57, 205}, 3},
    };
    for (const Case& c : cases)
    {
        const auto pressed = [&c](int key) { return std::find(c.down.begin(), c.down.end(), key) != c.down.end(); };
        for (bool any : {false, true})
            for (bool ended : {false, true})
            {
                const FrameInput input = ReadFrame(pressed, any, ended);
                EXPECT_EQ(input.arrow, c.arrow);
                EXPECT_EQ(input.anyKey, any);
                EXPECT_EQ(input.actorEnded, ended);
            }
    }
}

TEST(ShowTrainingRules, SoundNamesBySlot)
{
    TrainingSoundInfo info;
    info.szCountdown = "go";
    info.iNumKeySounds = 3;
    const char* good[] = {"g1", "g2", "g3", "g4", "g5"};
    for (int i = 0; i < 5; ++i)
        info.szKeySounds[i] = good[i];
    info.szWrongKey = "bad";
    info.szLose = "lose";
    info.szWin = "win";
    info.szTraining = "music";
    // no performance music
    const std::vector<std::string> expected = {"go", "g1", "g2", "g3", "", "", "bad", "lose", "win", "music", ""};
    EXPECT_EQ(SoundNames(info), expected);
    EXPECT_EQ(SoundNames(TrainingSoundInfo{}), std::vector<std::string>(11));
}

TEST(ShowTrainingRules, AverageAndThreshold)
{
    EXPECT_EQ(AverageScore(0.0f, 0), 0.0f);
    EXPECT_FALSE(std::isnan(AverageScore(0.0f, 0)));
    EXPECT_FLOAT_EQ(AverageScore(1.5f, 3), 0.5f);
    const std::pair<float, bool> cases[] = {{0.5f, true}, {0.49f, false}, {1.0f, true}, {0.0f, false}};
    for (const auto& [average, added] : cases)
        EXPECT_EQ(IsAdded(average), added) << average;
}

TEST(ShowTrainingRules, Timing)
{
    EXPECT_NEAR(kBeatLength, kBeat, 1e-6f);
    EXPECT_NEAR(kBarLength, kBar, 1e-6f);
    EXPECT_NEAR(kPerfectWindow, 0.0625f, 1e-6f);
    EXPECT_NEAR(kFadeTime, 0.625f, 1e-6f);
}

// A stage that writes down what the game asks of it.
class Recorder : public TrainingStage
{
public:
    void PlayAnimation(const std::string& file) override { animations.push_back(file); }
    void PlaySound(Sound sound, int32_t index) override { sounds.push_back({sound, index}); }
    void PlayMusic(Music cue) override { music.push_back(cue); }
    void CameraToArena() override { ++cameraToArena; }
    void CameraOnward() override { ++cameraOnward; }
    void SubmitScores(const std::vector<float>& s) override { submitted.push_back(s); }
    void Leave() override { ++left; }

    int Count(Sound sound) const
    {
        int n = 0;
        for (const auto& s : sounds)
            n += s.first == sound;
        return n;
    }

    std::vector<std::string> animations;
    std::vector<std::pair<Sound, int32_t>> sounds;
    std::vector<Music> music;
    std::vector<std::vector<float>> submitted;
    int cameraToArena = 0, cameraOnward = 0, left = 0;
};

TrainingMove MakeMove(const std::string& keys, std::vector<std::string> animations = {"anim"})
{
    TrainingMove move;
    move.keys = keys;
    move.animations = std::move(animations);
    return move;
}

const ShowAnimations kShow = {"start", "sloop", "loop", "eloop", "end"};

// Drives a training game through its set-up and count-in to the first frame of scoring.
class Training : public testing::Test
{
protected:
    void Start(std::vector<TrainingMove> moves, std::vector<float> scores = {})
    {
        if (scores.empty())
            scores.assign(moves.size(), 0.75f);
        game = std::make_unique<TrainingGame>(stage, std::move(moves), std::move(scores), kShow, false);
        game->Begin();
        ASSERT_EQ(game->GetState(), kSetup);
        game->Update(kDt, {-1, false, true}); // the opening animation ends
        ASSERT_EQ(game->GetState(), kReady);
        countInFrames = 0;
        for (; countInFrames < 64 * 6 && game->GetState() == kReady; ++countInFrames)
            game->Update(kDt, {});
        ASSERT_EQ(game->GetState(), kScoring);
        start = game->GetTime();
    }
    // Runs frames until the game's time reaches `until` (seconds since scoring began), the arrow pressed in the
    // frame that first reaches `pressAt` (when given).
    void RunTo(float until, int arrow = -1, float pressAt = -1.0f)
    {
        bool pressed = arrow < 0;
        while (game->GetTime() - start < until - kDt / 2 && game->GetState() == kScoring)
        {
            FrameInput input;
            if (!pressed && game->GetTime() + kDt - start >= pressAt - kDt / 2)
            {
                input.arrow = arrow;
                pressed = true;
            }
            game->Update(kDt, input);
        }
    }
    // Presses the arrows of a sequence, each `off` seconds after its beat ('x' and ' ' press nothing), then runs on
    // until the move has ended.
    void Play(const std::string& presses, float off)
    {
        for (size_t i = 0; i < presses.size(); ++i)
        {
            const int key = KeyOfChar(presses[i]);
            RunTo(static_cast<float>(i) * kBeat + off + kDt, key < 4 ? key : -1, static_cast<float>(i) * kBeat + off);
        }
        RunTo(static_cast<float>(presses.size() + 1) * kBeat);
    }

    Recorder stage;
    std::unique_ptr<TrainingGame> game;
    float start = 0.0f;
    int countInFrames = 0;
};

TEST_F(Training, CountInPlaysThreeLowAndOneHighThenTheStartSound)
{
    Start({MakeMove("1")});
    std::vector<Sound> order;
    for (const auto& s : stage.sounds)
        order.push_back(s.first);
    const std::vector<Sound> expected = {Sound::CountLow, Sound::CountLow, Sound::CountLow, Sound::CountHigh,
                                         Sound::Start};
    EXPECT_EQ(order, expected);
    // The first count comes at once, one a second after it, scoring a second after the fourth: 4 s of frames.
    EXPECT_NEAR(countInFrames, 1 + 4 * 64, 2);
    // The scoring clock starts at 0 with the first move.
    EXPECT_EQ(start, 0.0f);
    EXPECT_EQ(stage.animations.front(), "start");
    EXPECT_EQ(stage.animations[1], "sloop");
}

// Whole moves played on or off the beat: the keys judged, the average stored, added or not.
TEST_F(Training, MovesScoredFromTheirKeys)
{
    struct Case
    {
        const char* keys;
        const char* presses; // what is pressed each beat
        float off;           // seconds after each beat
        int judged;
        float average;
        int32_t state;
    };
    const Case cases[] = {
        // On the beat: every key 1.0; the 'x' beat is neither scored nor missed.
        {"12x4", "12x4", 0.0f, 3, 1.0f, kAdded},
        {"1234", "1234", 0.0625f, 4, 1.0f, kAdded},
        // 0.25 s late: 0.2 each.
        {"12", "12", 0.25f, 2, 0.2f, kFailed},
        // 0.125 s late: 0.6 each.
        {"13", "13", 0.125f, 2, 0.6f, kAdded},
        // One perfect key and one wrong: exactly 0.5, added.
        {"12", "13", 0.0f, 2, 0.5f, kAdded},
        // Nothing pressed: both keys missed.
        {"12", "xx", 0.0f, 2, 0.0f, kFailed},
        // Only 'x' beats: nothing judged, an average of 0, never a number that is none.
        {"xxx", "xxx", 0.0f, 0, 0.0f, kFailed},
        // A key pressed on an 'x' beat is wrong.
        {"x1", "11", 0.0f, 2, 0.5f, kAdded},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.keys) + " / " + c.presses);
        stage = Recorder{};
        Start({MakeMove(c.keys)});
        const size_t before = stage.sounds.size();
        Play(c.presses, c.off);
        EXPECT_EQ(game->GetState(), c.state);
        EXPECT_EQ(game->GetKeysJudged(), c.judged);
        ASSERT_EQ(game->GetScores().size(), 1u);
        EXPECT_FALSE(std::isnan(game->GetScores()[0]));
        EXPECT_NEAR(game->GetScores()[0], c.average, 1e-3f);
        EXPECT_EQ(stage.Count(c.state == kAdded ? Sound::Win : Sound::Lose), 1);
        (void)before;
    }
}

TEST_F(Training, ASecondKeyInTheSameBeatIsIgnored)
{
    Start({MakeMove("1")});
    game->Update(kDt, {0, true, false});
    game->Update(kDt, {1, true, false});
    EXPECT_EQ(game->GetKeysJudged(), 1);
    EXPECT_EQ(stage.Count(Sound::Bad), 0);
    RunTo(2 * kBeat);
    EXPECT_NEAR(game->GetScores()[0], 1.0f, 1e-4f);
}

TEST_F(Training, AKeyAfterTheWindowClosedCountsForTheNextBeat)
{
    Start({MakeMove("12")});
    // Half a beat and a little after the first beat, the second key (left): 0.625 - 0.35 = 0.275 s early, so it
    // scores 1 - 0.275 / 0.3125 = 0.12; the first beat was missed.
    RunTo(0.36f, 1, 0.35f);
    RunTo(3 * kBeat);
    EXPECT_EQ(game->GetKeysJudged(), 2);
    EXPECT_NEAR(game->GetScores()[0], 0.12f / 2.0f, 0.03f);
}

// Slot i shows the key at sequence index i mod 4: each slot fades out at its beat and fades in the key four
// beats on, an 'x' leaving its slot empty; past the end of the sequence a slot is emptied.
TEST_F(Training, KeySlotsShowTheKeysOfTheirBeats)
{
    Start({MakeMove("x234123x")});
    const auto keys = [this]
    {
        std::vector<int32_t> k;
        for (const KeySlot& slot : game->GetSlots())
            k.push_back(slot.key);
        return k;
    };
    EXPECT_EQ(keys(), (std::vector<int32_t>{kNoKey, 1, 2, 3}));
    // Beat 0's slot fades out over 0.625 s, then shows index 4 ('1').
    RunTo(kFadeTime + 2 * kDt);
    EXPECT_EQ(keys(), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(game->GetSlots()[0].status, KeySlot::kFadingIn);
    // Four beats on, every slot holds the second bar: '1', '2', '3', 'x'.
    RunTo(3 * kBeat + kFadeTime + 2 * kDt);
    EXPECT_EQ(keys(), (std::vector<int32_t>{0, 1, 2, kNoKey}));
    // Past the last beat no key is left to show (the time runs on in the failed move's wait).
    RunTo(8 * kBeat);
    ASSERT_EQ(game->GetState(), kFailed);
    for (int i = 0; i < 64; ++i)
        game->Update(kDt, {});
    EXPECT_EQ(keys(), (std::vector<int32_t>{kNoKey, kNoKey, kNoKey, kNoKey}));
}

TEST_F(Training, AGoodKeyShowsItsGradeAndCyclesTheGoodSounds)
{
    Start({MakeMove("111111")});
    Play("111111", 0.0f);
    std::vector<int32_t> good;
    for (const auto& s : stage.sounds)
        if (s.first == Sound::Good)
            good.push_back(s.second);
    EXPECT_EQ(good, (std::vector<int32_t>{0, 1, 2, 3, 4, 0}));
}

TEST_F(Training, AddedMoveIsPerformedThenTheNextMoveScoresAtOnce)
{
    Start({MakeMove("1", {"a", "b"}), MakeMove("2")});
    Play("1", 0.0f);
    ASSERT_EQ(game->GetState(), kAdded);
    EXPECT_EQ(stage.music.front(), Music::TrainingFadeOut);
    stage.animations.clear();
    // Each time the actor's animation ends: ELOOP, the move's animations, SLOOP, LOOP.
    for (int i = 0; i < 5; ++i)
        game->Update(kDt, {-1, false, true});
    EXPECT_EQ(stage.animations, (std::vector<std::string>{"eloop", "a", "b", "sloop", "loop"}));
    EXPECT_EQ(game->GetSubState(), 4);
    for (int i = 0; i < 64 * 3 && game->GetState() == kAdded; ++i)
        game->Update(kDt, {});
    EXPECT_EQ(game->GetState(), kScoring);
    EXPECT_EQ(game->GetMoveIndex(), 1);
    EXPECT_EQ(stage.music.back(), Music::PerformanceToTraining);
}

TEST_F(Training, AFailedMoveWaitsThreeBarsThenAllDoneSubmitsTheScoresOnAKey)
{
    Start({MakeMove("1")}, {0.9f});
    Play("x", 0.0f);
    ASSERT_EQ(game->GetState(), kFailed);
    const float failedAt = game->GetTime();
    while (game->GetState() == kFailed)
        game->Update(kDt, {});
    EXPECT_EQ(game->GetState(), kAllDone);
    // The third new bar after the failure: within three bars, more than two.
    EXPECT_GT(game->GetTime() - failedAt, 2 * kBar - kDt);
    EXPECT_LE(game->GetTime() - failedAt, 3 * kBar + kDt);
    game->Update(kDt, {});
    EXPECT_TRUE(stage.submitted.empty());
    game->Update(kDt, {-1, true, false});
    ASSERT_EQ(stage.submitted.size(), 1u);
    EXPECT_EQ(stage.submitted[0], std::vector<float>{0.0f});
    EXPECT_EQ(stage.left, 1);
}

TEST(ShowTrainingPreview, PlaysEveryMoveInProgrammeOrderThenTheEnd)
{
    Recorder stage;
    TrainingGame game(stage, {MakeMove("", {"a", "b"}), MakeMove("", {"c"}), MakeMove("", {"d", "e", "f"})}, {}, kShow,
                      true);
    game.Begin();
    EXPECT_EQ(game.GetState(), kPreview);
    EXPECT_EQ(stage.cameraToArena, 1);
    for (int i = 0; i < 20 && stage.left == 0; ++i)
    {
        game.Update(kDt, {-1, false, false}); // nothing happens while an animation plays
        game.Update(kDt, {-1, false, true});
    }
    EXPECT_EQ(stage.animations, (std::vector<std::string>{"start", "a", "b", "c", "d", "e", "f", "end"}));
    EXPECT_EQ(stage.left, 1);
    EXPECT_TRUE(stage.submitted.empty());
}

ShowMoveInfo Record(int32_t id, const char* keyword, std::vector<const char*> anims)
{
    ShowMoveInfo info;
    info.ID = id;
    std::strncpy(info.Keyword, keyword, sizeof info.Keyword - 1);
    std::strncpy(info.cSprite, "NONE", sizeof info.cSprite - 1);
    info.NumAnims = static_cast<int32_t>(anims.size());
    for (size_t i = 0; i < anims.size(); ++i)
        std::strncpy(info.cMoveAnims[i], anims[i], sizeof info.cMoveAnims[i] - 1);
    return info;
}

TEST(ShowTrainingMoves, RefusedWithoutMovesOrTrainingRecords)
{
    const std::vector<ShowMoveInfo> records = {Record(3, "JUMP", {"jump"}), Record(5, "SPIN", {"s1", "s2"})};
    const std::map<std::string, std::string> training = {{"TRAINJUMP", "1234"}, {"TRAINSPIN", ""}};
    const auto keysOf = [&](const std::string& k) -> const char*
    {
        auto it = training.find(k);
        return it == training.end() ? nullptr : it->second.c_str();
    };
    struct Case
    {
        std::vector<int32_t> ids;
        bool preview;
        bool ok;
    };
    const Case cases[] = {
        {{}, false, false},     // no scheduled move
        {{}, true, false},      // nor for a preview
        {{3}, false, true},     // JUMP trains
        {{3, 5}, false, false}, // SPIN has no keys
        {{3, 5}, true, true},   // but can be previewed
        {{3, 9}, true, false},  // a move with no record
    };
    for (const Case& c : cases)
    {
        std::vector<TrainingMove> moves;
        std::string why;
        EXPECT_EQ(CollectMoves(c.ids, records, keysOf, c.preview, moves, &why), c.ok) << c.ids.size();
        EXPECT_EQ(why.empty(), c.ok);
        EXPECT_EQ(moves.size(), c.ok ? c.ids.size() : 0u);
    }
    const std::vector<ShowMoveInfo> noTraining = {Record(7, "WAVE", {"wave"})};
    std::vector<TrainingMove> moves;
    EXPECT_FALSE(CollectMoves({7}, noTraining, keysOf, false, moves, nullptr));
    ASSERT_TRUE(CollectMoves({3, 5}, records, keysOf, true, moves, nullptr));
    EXPECT_EQ(moves[1].animations, (std::vector<std::string>{"s1", "s2"}));
    EXPECT_TRUE(moves[0].sprite.empty());
}

} // namespace

namespace
{

TEST(ShowTrainingCamera, ArenaPointsNegateTheThirdCoordinateThenTurnAndMove)
{
    const platform::Vec3 position = {100.0f, 2.0f, 50.0f};
    const platform::Vec3 eye = ArenaPoint({1.0f, 9.0f, 16.0f}, position, {0.0f, 0.0f, 0.0f});
    EXPECT_NEAR(eye.x, 101.0f, 1e-4f);
    EXPECT_NEAR(eye.y, 11.0f, 1e-4f);
    EXPECT_NEAR(eye.z, 34.0f, 1e-4f);
    // A quarter turn about the vertical keeps the height and the distance from the building, and moves the point.
    const platform::Vec3 turned = ArenaPoint({1.0f, 9.0f, 16.0f}, position, {0.0f, 1.5707964f, 0.0f});
    EXPECT_NEAR(turned.y, 11.0f, 1e-4f);
    const float dx = turned.x - position.x, dz = turned.z - position.z;
    EXPECT_NEAR(dx * dx + dz * dz, 1.0f + 256.0f, 1e-2f);
    EXPECT_GT(std::fabs(dx), 15.0f);
}

} // namespace

namespace
{

// A move's icon is its record's sprite; the word NONE, written in any case, names no sprite (as it does in the
// scheduler's list of moves), so the banner shows no icon for it.
TEST(ShowTrainingMoves, TheWordNoneInAnyCaseNamesNoIcon)
{
    struct Case
    {
        const char* sprite;
        const char* icon;
    };
    const Case cases[] = {{"NONE", ""}, {"none", ""}, {"None", ""}, {"UI_hop", "UI_hop"}, {"NONEXT", "NONEXT"}};
    for (const Case& c : cases)
    {
        ShowMoveInfo info = Record(3, "JUMP", {"jump"});
        std::memset(info.cSprite, 0, sizeof info.cSprite);
        std::strncpy(info.cSprite, c.sprite, sizeof info.cSprite - 1);
        std::vector<TrainingMove> moves;
        ASSERT_TRUE(CollectMoves({3}, {info}, nullptr, true, moves, nullptr)) << c.sprite;
        ASSERT_EQ(moves.size(), 1u);
        EXPECT_EQ(moves[0].sprite, c.icon) << c.sprite;
    }
}

} // namespace
