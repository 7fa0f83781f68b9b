// Tests of the research, rescue, show move and training records, the anim list, the show list, the training
// sounds and a show move in the save stream.
#include "engine/core/SerialStream.h"
#include "tests/scripts/TablesTestSupport.h"

#include <gmock/gmock.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <tuple>

using tablestest::Quoted;
using tablestest::Record;
using tablestest::S;
using testing::ElementsAre;
using testing::IsEmpty;

namespace
{
class Research : public tablestest::Tables
{
};
class Shows : public tablestest::Tables
{
protected:
    // Writes the scrambled list file into a fresh folder and loads it through the given step.
    void LoadList(void (WorldParams::*step)(const char*), const std::string& text)
    {
        testsupport::TempDir dir;
        testsupport::WriteBytes(dir.File("list.ble"), tablestest::Scrambled(text));
        (params.get()->*step)(dir.File("list.pis").c_str());
    }
};
} // namespace

TEST_F(Research, EveryResearchAndRescueFieldReadsBack)
{
    Process(Record("RESEARCH", "FASTCLEAN",
                   "EFFECT_KEYWORD=CLEANERT1|COMPLETEMESS=RD_FASTCLEAN|COST=1500.5|TYPE=Staff Training|"
                   "ARGUMENT=1.25|ARGUMENT2=-2") +
            Record("RESCUE", "REEF",
                   "LOCATION_X=120|LOCATION_Y=-40|COST=800|INIT_DESCRIPTION=RS_REEF_INIT|REPORT_1=RS_REEF_R1|"
                   "REPORT_2=RS_REEF_R2|RECOVERY_MESSAGE=RS_REEF_DONE|LOCATION=RS_REEF_LOC|ANIMAL_NAME=RS_TURTLE|"
                   "DANGER_SPRITE=danger_net|TRANS_DELAY=3|RECOVER_DELAY=4|SITE_DELAY=5|ANIMAL_COST=250.25|"
                   "TYPE=BACKTOBASE"));
    EXPECT_THAT(Reports(), IsEmpty());
    const ResearchInfo& r = params->GetResearchInfo(0);
    EXPECT_EQ(std::tuple(S(r.keyword), S(r.szEffectKeyword), S(r.szCompleteMess), r.fCost, r.iType, r.fArgument,
                         r.fArgument2),
              std::tuple("FASTCLEAN", "CLEANERT1", "RD_FASTCLEAN", 1500.5f, 2, 1.25f, -2.0f));
    const RescueInfo& s = params->GetRescueInfo(0);
    EXPECT_EQ(std::tuple(S(s.keyword), s.iLocationX, s.iLocationY, s.fCost, S(s.szInitDescription), S(s.szReport1),
                         S(s.szReport2), S(s.szRecoveryMessage), S(s.szLocation), S(s.szAnimalName)),
              std::tuple("REEF", 120, -40, 800.0f, "RS_REEF_INIT", "RS_REEF_R1", "RS_REEF_R2", "RS_REEF_DONE",
                         "RS_REEF_LOC", "RS_TURTLE"));
    EXPECT_EQ(std::tuple(S(s.szDangerSprite), s.iTransDelay, s.iRecoverDelay, s.iSiteDelay, s.fAnimalCost, s.iType),
              std::tuple("danger_net", 3, 4, 5, 250.25f, 2));
}

TEST_F(Research, TypeWords)
{
    const char* research[] = {"Scenery",    "Staff Recovery", "Staff Training",
                              "Attraction", "Rescue Teams",   "Unlock Animal"};
    const char* rescue[] = {"INSITU", "ONLOCATION", "BACKTOBASE"};
    std::string text;
    for (int i = 0; i < 6; ++i)
        text += Record("RESEARCH", "R" + std::to_string(i), {{"TYPE", "Attraction"}, {"TYPE", research[i]}});
    for (int i = 0; i < 3; ++i)
        text += Record("RESCUE", "S" + std::to_string(i), {{"TYPE", "ONLOCATION"}, {"TYPE", rescue[i]}});
    Process(text);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(params->GetResearchInfo(i).iType, i) << research[i];
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(params->GetRescueInfo(i).iType, i) << rescue[i];
    EXPECT_THAT(Reports(), IsEmpty());

    // A research TYPE in another case is reported and keeps the field; a rescue TYPE is kept silently.
    Process(Record("RESEARCH", "X", {{"TYPE", "Staff Recovery"}, {"TYPE", "staff recovery"}, {"SPEED", "2"}}) +
            Record("RESCUE", "Y", {{"TYPE", "INSITU"}, {"TYPE", "Backtobase"}, {"DEPTH", "3"}}));
    EXPECT_EQ(params->GetResearchInfo(6).iType, 1);
    EXPECT_EQ(params->GetRescueInfo(3).iType, 0);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddResearchData - unrecognised research TYPE - staff recovery",
                                       "WorldParams::AddResearchData - unrecognised research keyword - SPEED",
                                       "WorldParams::AddRescueData - unrecognised rescue keyword - DEPTH"));
}

TEST_F(Shows, EveryMoveAndTrainingFieldReadsBackAndMoveWordsAndLimits)
{
    // Difficulty words are exact and an unknown one keeps the level silently; UNLOCKING wants "Yes" exactly; a
    // sixth animation is refused with a report; NONE (in any case) is no animation; a move with no lines is an
    // easy, unlocked move without animations.
    Process(Record("MOVE", "FLIP",
                   "TITLE=SM_FLIP|DESCRIPTION=SM_FLIP_D|SHOW=SEALSHOW|UNLOCKING=Yes|MOVE_SPRITE=flip_icon|ANIM1=NONE|"
                   "ANIM2=flip_a|ANIM3=flip_b|ANIM4=none|DIFFICULTY=Medium") +
            Record("TRAINING", "TRAINFLIP", "TRAIN_MOVE=FLIP|KEY_SEQUENCE=1234x4321") +
            Record("MOVE", "A",
                   "DIFFICULTY=Hard|DIFFICULTY=easy|UNLOCKING=yes|ANIM1=a1|ANIM1=a2|ANIM5=a3|ANIM2=a4|ANIM3=a5|"
                   "ANIM4=a6|ANIM9=x") +
            Record("MOVE", "B", "DIFFICULTY=Easy") + Record("TRAINING", "T", "KEY=1") + Quoted({"MOVE_BARE"}));
    auto move = [&](int32_t id)
    {
        const ShowMoveInfo& m = params->GetShowMoveInfo(id);
        std::string anims;
        for (int i = 0; i < m.NumAnims && i < ShowMoveInfo::kMaxAnims; ++i)
            anims += std::string(i ? " " : "") + m.cMoveAnims[i];
        return std::tuple(m.ID, S(m.Keyword), S(m.cTitle), S(m.cDescription), S(m.cShowName), m.bNeedsUnlocking,
                          S(m.cSprite), m.NumAnims, anims, m.DiffcultyLevel);
    };
    EXPECT_EQ(move(0),
              std::tuple(0, "FLIP", "SM_FLIP", "SM_FLIP_D", "SEALSHOW", true, "flip_icon", 2, "flip_a flip_b", 1));
    EXPECT_EQ(move(1), std::tuple(1, "A", "", "", "", false, "", 5, "a1 a2 a3 a4 a5", 2));
    EXPECT_EQ(move(2), std::tuple(2, "B", "", "", "", false, "", 0, "", 0));
    EXPECT_EQ(move(3), std::tuple(3, "BARE", "", "", "", false, "", 0, "", 0));
    const TrainingInfo& t = params->GetTrainingInfo(0);
    EXPECT_EQ(std::tuple(S(t.keyword), S(t.szTrainMove), S(t.szKeySequence), params->GetTrainingID("TRAINFLIP")),
              std::tuple("TRAINFLIP", "FLIP", "1234x4321", 0));
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::AddShowMoveData - more than 5 animations - a6",
                                       "WorldParams::AddShowMoveData - unrecognised showmove keyword - ANIM9",
                                       "WorldParams::AddTrainingData - unrecognised training keyword - KEY"));
}

TEST_F(Shows, ShowMovesAndShowList)
{
    Process(Record("MOVE", "JUMP", "SHOW=SEALSHOW|ANIM1=j") + Record("MOVE", "SPIN", "SHOW=OTHER") +
            Record("MOVE", "WAVE", "SHOW=SEALSHOW|ANIM1=w1|ANIM2=w2"));
    std::vector<ShowMoveInfo> moves;
    params->GetShowMoves("SEALSHOW", moves);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(std::tuple(S(moves[0].Keyword), S(moves[1].Keyword), moves[1].NumAnims, S(moves[1].cMoveAnims[1])),
              std::tuple("JUMP", "WAVE", 2, "w2"));
    // The copies are the caller's: changing one leaves the table alone; show names compare in any case.
    moves[0].NumAnims = 0;
    params->GetShowMoves("sealshow", moves);
    EXPECT_EQ(std::tuple(params->GetShowMoveInfo(0).NumAnims, moves.size()), std::tuple(1, size_t{2}));

    // Pairs of show name and move; a move listed twice stands twice; an unknown move gives id 0 with the lookup's
    // report; a last unpaired token is dropped.
    LoadList(&WorldParams::LoadShowList, Quoted({"SEALSHOW", "WAVE", "OTHER", "SPIN", "SEALSHOW", "JUMP", "SEALSHOW",
                                                 "WAVE", "SEALSHOW", "HOP", "SEALSHOW"}));
    std::vector<int32_t> ids;
    params->GetShowMoveIDs("SEALSHOW", ids);
    EXPECT_THAT(ids, ElementsAre(2, 0, 2, 0));
    ids.clear();
    params->GetShowMoveIDs("OTHER", ids);
    EXPECT_THAT(ids, ElementsAre(1));
    EXPECT_EQ(params->GetShowListEntries().size(), 5u);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::GetShowMoveID - keyword not found - HOP"));
}

TEST_F(Shows, AnimList)
{
    // Groups of four: owner, animation name, file stem, file count; an incomplete last group is dropped; a count
    // outside 0 to 100 is reported and held to the range.
    LoadList(&WorldParams::LoadAnimList,
             "// anims\n" + Quoted({"SEAL", "swim", "seal_swim", "3",  "OTTER", "eat",  "otter_eat", "2",
                                    "SEAL", "rest", "seal_rest", "1",  "SEAL",  "huge", "seal_huge", "5000",
                                    "SEAL", "neg",  "seal_neg",  "-2", "SEAL",  "most", "seal_most", "100",
                                    "SEAL", "cut",  "seal_cut"}));
    const std::vector<AnimListEntry>& entries = params->GetAnimListEntries();
    ASSERT_EQ(entries.size(), 6u);
    std::vector<const AnimListEntry*> seal;
    params->GetAnimList("SEAL", seal);
    std::vector<std::tuple<std::string, std::string, int32_t>> read;
    for (const AnimListEntry* entry : seal)
        read.emplace_back(entry->szAnimName, entry->szFileStem, entry->iFileCount);
    EXPECT_EQ(read, (std::vector<std::tuple<std::string, std::string, int32_t>>{{"swim", "seal_swim", 3},
                                                                                {"rest", "seal_rest", 1},
                                                                                {"huge", "seal_huge", 100},
                                                                                {"neg", "seal_neg", 0},
                                                                                {"most", "seal_most", 100}}));
    EXPECT_EQ(seal[0], &entries[0]);
    std::vector<const AnimListEntry*> none;
    params->GetAnimList("seal", none);
    params->GetAnimList(nullptr, none);
    EXPECT_THAT(none, IsEmpty());
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::LoadAnimList - file count out of range (0 to 100) - SEAL 5000",
                                       "WorldParams::LoadAnimList - file count out of range (0 to 100) - SEAL -2"));
    // A missing list file adds nothing and says nothing.
    sink.boxes.clear();
    params->LoadAnimList("data\\script\\nothing_here.pis");
    EXPECT_EQ(params->GetAnimListEntries().size(), 6u);
    EXPECT_THAT(Reports(), IsEmpty());
}

TEST_F(Shows, AnOwnersAnimationFilesStopAtWhatAnObjectLoads)
{
    // An object loads at most 1024 animation files. Eleven entries of 100 files for one owner name 1100: the
    // entries keep their files up to 1024 in all (the eleventh keeps 24, any later one none), said once for the
    // owner; another owner's entries are not touched.
    std::vector<std::string> tokens;
    for (int i = 0; i < 12; ++i)
        tokens.insert(tokens.end(), {"GUEST1", "anim" + std::to_string(i), "g_" + std::to_string(i), "100"});
    tokens.insert(tokens.end(), {"GUEST2", "walk", "g2_walk", "100"});
    std::string text;
    for (const std::string& token : tokens)
        text += "\"" + token + "\"\n";
    LoadList(&WorldParams::LoadAnimList, text);
    std::vector<const AnimListEntry*> first, second;
    params->GetAnimList("GUEST1", first);
    params->GetAnimList("GUEST2", second);
    std::vector<int32_t> counts;
    int32_t total = 0;
    for (const AnimListEntry* entry : first)
    {
        counts.push_back(entry->iFileCount);
        total += entry->iFileCount;
    }
    EXPECT_EQ(counts, (std::vector<int32_t>{100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 24, 0}));
    EXPECT_EQ(total, 1024);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0]->iFileCount, 100);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::LoadAnimList - more than 1024 animation files for GUEST1 - g_10 "
                                       "cut to 24 files"));
}

TEST_F(Shows, TrainingSounds)
{
    // The two shows' sounds, by name in any case; an unknown show leaves the record as it was.
    auto sounds = [](const TrainingSoundInfo& i)
    {
        std::string keys;
        for (int k = 0; k < i.iNumKeySounds && k < TrainingSoundInfo::kKeySounds; ++k)
            keys += std::string(k ? "|" : "") + i.szKeySounds[k];
        return std::tuple(S(i.szCountdown), keys, S(i.szWrongKey), S(i.szLose), S(i.szWin), S(i.szTraining),
                          S(i.szRide));
    };
    TrainingSoundInfo info;
    ASSERT_TRUE(params->GetTrainingSoundInfo("dolphin", info));
    EXPECT_EQ(sounds(info), std::tuple("COUNTDOWN OPEN", "SD 1a|SD 2a|SD 3a|SD 4a|SD 5a", "SD BADA", "KAIKO LOSE",
                                       "KAIKO WIN", "Dolphin Training", "Dolphin Ride"));
    ASSERT_TRUE(params->GetTrainingSoundInfo("Kaiko", info));
    const auto kaiko = std::tuple("COUNTDOWN OPEN", "SD 1|SD 2|SD 3|SD 4|SD 5", "SD BAD", "KAIKO LOSE", "KAIKO WIN",
                                  "KAIKO TRAINING", "KAIKO RIDE");
    EXPECT_EQ(sounds(info), kaiko);
    EXPECT_THAT(Reports(), IsEmpty());
    EXPECT_FALSE(params->GetTrainingSoundInfo("SEALSHOW", info));
    EXPECT_EQ(sounds(info), kaiko);
    EXPECT_THAT(Reports(), ElementsAre("WorldParams::GetTrainingSoundInfo - show not found - SEALSHOW"));
}

namespace
{

// A show move record saved by `write` (then an int 99) and loaded back, the saved file's last `cut` bytes dropped:
// the load's result, the record, and whether the int after it was read where it stands.
std::tuple<bool, ShowMoveInfo, bool> SaveAndLoad(const std::function<void(SerialStream&)>& write, size_t cut = 0)
{
    testsupport::TempDir dir;
    const std::string file = dir.File("move.dat");
    {
        BinarySerialStream out(true, file.c_str());
        write(out);
        out.WriteInt("after", 99);
        EXPECT_TRUE(out.Close());
    }
    if (cut)
    {
        const std::vector<uint8_t> bytes = testsupport::ReadBytes(file);
        EXPECT_LT(cut + 25, bytes.size());
        testsupport::WriteBytes(file, std::vector<uint8_t>(bytes.begin(), bytes.end() - static_cast<long>(cut)));
    }
    BinarySerialStream in(false, file.c_str());
    ShowMoveInfo back;
    const bool loaded = back.Load(in);
    int32_t after = 0;
    const bool read = in.ReadInt(&after) && after == 99;
    return {loaded, back, read};
}

} // namespace

TEST_F(Shows, MoveRecordsInTheSaveStream)
{
    ShowMoveInfo move;
    move.ID = 4;
    std::strcpy(move.Keyword, "FLIP");
    std::strcpy(move.cTitle, "SM_FLIP");
    std::strcpy(move.cDescription, "SM_FLIP_D");
    std::strcpy(move.cShowName, "SEALSHOW");
    std::strcpy(move.cSprite, "flip_icon");
    move.bNeedsUnlocking = true;
    move.NumAnims = 2;
    std::strcpy(move.cMoveAnims[0], "a");
    std::strcpy(move.cMoveAnims[1], "b");
    std::strcpy(move.cMoveAnims[2], "never saved");
    move.DiffcultyLevel = 2;
    auto [loaded, back, after] = SaveAndLoad([&](SerialStream& s) { move.Dump(s); });
    EXPECT_EQ(std::tuple(loaded, back.ID, S(back.Keyword), S(back.cTitle), S(back.cDescription), S(back.cShowName),
                         S(back.cSprite), back.bNeedsUnlocking, back.NumAnims, S(back.cMoveAnims[1]),
                         S(back.cMoveAnims[2]), back.DiffcultyLevel, after),
              std::tuple(true, 4, "FLIP", "SM_FLIP", "SM_FLIP_D", "SEALSHOW", "flip_icon", true, 2, "b", "", 2, true));

    // A record whose count was pushed past its five names saves five and loads back whole.
    ShowMoveInfo many;
    many.NumAnims = 9;
    for (int i = 0; i < 5; ++i)
        many.cMoveAnims[i][0] = static_cast<char>('a' + i);
    std::tie(loaded, back, after) = SaveAndLoad([&](SerialStream& s) { many.Dump(s); });
    EXPECT_EQ(std::tuple(loaded, back.NumAnims, S(back.cMoveAnims[4]), after), std::tuple(true, 5, "e", true));
    EXPECT_THAT(Reports(), IsEmpty());

    // A difficulty outside the three levels is damage, read as Easy.
    ShowMoveInfo hard;
    hard.DiffcultyLevel = 3;
    std::tie(loaded, back, after) = SaveAndLoad([&](SerialStream& s) { hard.Dump(s); });
    EXPECT_EQ(std::tuple(loaded, back.DiffcultyLevel, after), std::tuple(false, int32_t{kMoveEasy}, true));
    EXPECT_THAT(Reports(), ElementsAre("ShowMoveInfo::Load - difficulty out of range - 3"));
}

TEST_F(Shows, DamagedMoveRecordsLoadSafely)
{
    // A stored record claiming seven animations keeps five, reads past the other two and reports; a difficulty
    // outside the three levels is reported and read as Easy.
    const auto write = [](SerialStream& out)
    {
        out.WriteInt("ID", 1);
        for (const char* text : {"K", "t", "d", "s", "p"})
            out.WriteString("text", text);
        out.WriteBool("bNeedsUnlocking", false);
        out.WriteUInt("NumAnims", 7);
        out.WriteUInt("DiffcultyLevel", 9);
        for (int i = 0; i < 7; ++i)
            out.WriteString("cMoveAnims", ("m" + std::to_string(i)).c_str());
    };
    auto [loaded, back, after] = SaveAndLoad(write);
    EXPECT_EQ(std::tuple(loaded, back.NumAnims, S(back.cMoveAnims[4]), back.DiffcultyLevel, after),
              std::tuple(false, 5, "m4", 0, true));
    EXPECT_THAT(Reports(), ElementsAre("ShowMoveInfo::Load - difficulty out of range - 9",
                                       "ShowMoveInfo::Load - more than 5 animations - 7"));
    // A stream cut short: the load fails and keeps only the names it read.
    for (size_t cut : {size_t{12}, size_t{50}, size_t{90}})
    {
        std::tie(loaded, back, after) = SaveAndLoad(write, cut);
        EXPECT_EQ(std::tuple(loaded, back.NumAnims <= 5, back.DiffcultyLevel), std::tuple(false, true, 0)) << cut;
    }
}
