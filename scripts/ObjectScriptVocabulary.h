// The vocabulary of object scripts: the script functions by index and the object variable names by id.
#pragma once

#include <cstdint>

// X(name): the script functions in index order, from 0.
#define TW_SCRIPT_FUNCTIONS(X)                                                                                         \
    X(SearchDesire)                                                                                                    \
    X(GetConsumePoint)                                                                                                 \
    X(SetInvisible)                                                                                                    \
    X(SetVisible)                                                                                                      \
    X(CreateLitter)                                                                                                    \
    X(HeadForBin)                                                                                                      \
    X(MissedDesire)                                                                                                    \
    X(AlterPriceOpinion)                                                                                               \
    X(WalkAlongPath)                                                                                                   \
    X(ShowThumbsOverlay)                                                                                               \
    X(DoSpotOpinion)                                                                                                   \
    X(GetonPath)                                                                                                       \
    X(ShowThumbsDown)                                                                                                  \
    X(AddVisit)                                                                                                        \
    X(CheckQueue)                                                                                                      \
    X(FinishedQueueing)                                                                                                \
    X(PriceTooHigh)                                                                                                    \
    X(LeaveQueue)                                                                                                      \
    X(PostActivityScore)                                                                                               \
    X(WelfareOpinion)                                                                                                  \
    X(CleanUpBuilding)                                                                                                 \
    X(EarlyCleanUpBuilding)                                                                                            \
    X(FindViewPoint)                                                                                                   \
    X(FindViewPoint2)                                                                                                  \
    X(FindEntrance)                                                                                                    \
    X(FindExit)                                                                                                        \
    X(FreeViewPoint)                                                                                                   \
    X(FreeViewPoint2)                                                                                                  \
    X(FaceInterestPoint)                                                                                               \
    X(CheckForPathTurn)                                                                                                \
    X(FinishEating)                                                                                                    \
    X(AddToBladder)                                                                                                    \
    X(OutOfCash)                                                                                                       \
    X(WithdrawCash)                                                                                                    \
    X(PutMeOnRide)                                                                                                     \
    X(RemoveEarlyFromRide)                                                                                             \
    X(AddToCrowd)                                                                                                      \
    X(RemoveFromCrowd)                                                                                                 \
    X(DontWatchMe)                                                                                                     \
    X(LookAtMe)                                                                                                        \
    X(SetViewPointCount)                                                                                               \
    X(SetViewPointCount2)                                                                                              \
    X(FindUrgentClean)                                                                                                 \
    X(RemoveLitter)                                                                                                    \
    X(GoToBinFront)                                                                                                    \
    X(FaceBin)                                                                                                         \
    X(FaceAfterBin)                                                                                                    \
    X(CleanBin)                                                                                                        \
    X(CleanToilet)                                                                                                     \
    X(FaceLitter)                                                                                                      \
    X(FindWanderPos)                                                                                                   \
    X(DidNotClean)                                                                                                     \
    X(StartedCleaning)                                                                                                 \
    X(IdleThought)                                                                                                     \
    X(StrollThought)                                                                                                   \
    X(CleanToiletTime)                                                                                                 \
    X(FindBestScoredJob)                                                                                               \
    X(FindJob)                                                                                                         \
    X(LookForBetterJob)                                                                                                \
    X(LookWatering)                                                                                                    \
    X(ForgetWatering)                                                                                                  \
    X(FinishedRepairs)                                                                                                 \
    X(Repairing)                                                                                                       \
    X(GetWateringPos)                                                                                                  \
    X(FacePlant)                                                                                                       \
    X(StartShift)                                                                                                      \
    X(EndShift)                                                                                                        \
    X(RestingInRoom)                                                                                                   \
    X(RestingOutside)                                                                                                  \
    X(FindStaffRoom)                                                                                                   \
    X(LeaveStaffRoom)                                                                                                  \
    X(AnimalCheckDesires)                                                                                              \
    X(FindEatPoint)                                                                                                    \
    X(FindWanderPoint)                                                                                                 \
    X(FreeEatPoint)                                                                                                    \
    X(DoMoveDelay)                                                                                                     \
    X(FindEatNode)                                                                                                     \
    X(NextEatNode)                                                                                                     \
    X(SetEatCount)                                                                                                     \
    X(SetPlayCount)                                                                                                    \
    X(SetRestCount)                                                                                                    \
    X(PlayAnimalSound)                                                                                                 \
    X(KillMe)                                                                                                          \
    X(ClearMyDelayedMsgs)                                                                                              \
    X(Debug)

// X(name, id): the object variable names and their ids.
#define TW_OBJECT_VARIABLES(X)                                                                                         \
    X(Sender, 0)                                                                                                       \
    X(Walkanimation, 1)                                                                                                \
    X(MessData, 2)                                                                                                     \
    X(MessFloatData, 3)                                                                                                \
    X(Cash, 4)                                                                                                         \
    X(CommodPrice, 5)                                                                                                  \
    X(AttractionIndex, 6)                                                                                              \
    X(MessFlags, 7)                                                                                                    \
    X(Happiness, 8)                                                                                                    \
    X(MaxPrice, 9)                                                                                                     \
    X(MyDir, 11)                                                                                                       \
    X(ActionState, 12)                                                                                                 \
    X(WorstOpinion, 13)                                                                                                \
    X(WorstOpinionVal, 14)                                                                                             \
    X(BestOpinion, 15)                                                                                                 \
    X(BestOpinionVal, 16)                                                                                              \
    X(ActionPerson, 17)                                                                                                \
    X(WalkSpeed, 18)                                                                                                   \
    X(QueueSpeed, 19)                                                                                                  \
    X(WaitingForDeath, 20)                                                                                             \
    X(IceDropScore, 21)                                                                                                \
    X(MsgChar, 22)                                                                                                     \
    X(LitterInBin, 23)                                                                                                 \
    X(DestDir, 24)                                                                                                     \
    X(MessState, 25)                                                                                                   \
    X(NumTimesBlocked, 26)                                                                                             \
    X(NotOnPath, 27)                                                                                                   \
    X(MissedPurchase, 28)                                                                                              \
    X(QueuePos, 29)                                                                                                    \
    X(DestObjectExitX, 30)                                                                                             \
    X(DestObjectExitY, 31)                                                                                             \
    X(DesiredCommodText, 32)                                                                                           \
    X(QueueOutOfBuilding, 33)                                                                                          \
    X(CoveredDesireBuilding, 34)                                                                                       \
    X(DesireViewPoints, 35)                                                                                            \
    X(CanLeaveBuilding, 36)                                                                                            \
    X(ShouldLeavePark, 37)                                                                                             \
    X(FoundLitter, 38)                                                                                                 \
    X(FoundBin, 39)                                                                                                    \
    X(BinFull, 40)                                                                                                     \
    X(FoundToilet, 41)                                                                                                 \
    X(EmptyBinAnimation, 42)                                                                                           \
    X(StaticBinAnimation, 43)                                                                                          \
    X(WanderPosX, 44)                                                                                                  \
    X(WanderPosY, 45)                                                                                                  \
    X(BinPosX, 46)                                                                                                     \
    X(BinPosY, 47)                                                                                                     \
    X(UrgentClean, 48)                                                                                                 \
    X(UrgentType, 49)                                                                                                  \
    X(LitterEnergy, 50)                                                                                                \
    X(BinEnergy, 51)                                                                                                   \
    X(ToiletEnergy, 52)                                                                                                \
    X(MechInsEnergy, 53)                                                                                               \
    X(MechRepEnergy, 54)                                                                                               \
    X(MechWaterEnergy, 55)                                                                                             \
    X(ZooInsEnergy, 56)                                                                                                \
    X(StaffWalkpoint, 57)                                                                                              \
    X(AtWork, 58)                                                                                                      \
    X(LastAction, 59)                                                                                                  \
    X(EnergyLevel, 60)                                                                                                 \
    X(FoundRepair, 61)                                                                                                 \
    X(FoundBetterJob, 62)                                                                                              \
    X(IsBuilding, 63)                                                                                                  \
    X(RepairType, 64)                                                                                                  \
    X(WateringPosX, 65)                                                                                                \
    X(WateringPosY, 66)                                                                                                \
    X(Home, 67)                                                                                                        \
    X(EatCount, 68)                                                                                                    \
    X(PlayCount, 69)                                                                                                   \
    X(RestCount, 70)                                                                                                   \
    X(WorldX, 79)                                                                                                      \
    X(WorldY, 80)                                                                                                      \
    X(ViewPointCount, 104)                                                                                             \
    X(ViewPointCount2, 105)                                                                                            \
    X(WorldStarted, 106)                                                                                               \
    X(Me, 107)                                                                                                         \
    X(NO_OBJECT, 110)                                                                                                  \
    X(true, 111)                                                                                                       \
    X(false, 112)                                                                                                      \
    X(State, 114)                                                                                                      \
    X(GameTime, 115)                                                                                                   \
    X(Default, 116)                                                                                                    \
    X(Moving, 120)                                                                                                     \
    X(DestObject, 121)                                                                                                 \
    X(DestObjectEntranceX, 122)                                                                                        \
    X(DestObjectEntranceY, 123)                                                                                        \
    X(DebugInfo, 124)                                                                                                  \
    X(Owner, 125)

#define TW_SCRIPT_FUNCTION_ENTRY(name) SF_##name,

enum ScriptFunction : uint32_t
{
    TW_SCRIPT_FUNCTIONS(TW_SCRIPT_FUNCTION_ENTRY)
    // One past the last function: a name that is not in the table.
    SF_NotFound
};

#undef TW_SCRIPT_FUNCTION_ENTRY

#define TW_OBJECT_VARIABLE_ENTRY(name, id) SV_##name = id,

enum ObjectVariable : uint32_t
{
    TW_OBJECT_VARIABLES(TW_OBJECT_VARIABLE_ENTRY)
};

#undef TW_OBJECT_VARIABLE_ENTRY

// The index of a function name, compared without regard to case; SF_NotFound when it is not one.
uint32_t FindScriptFunction(const char* name);
// The name of a function index, or null.
const char* ScriptFunctionName(uint32_t function);
// The id of an object variable name, compared without regard to case; false when it is not one.
bool FindObjectVariable(const char* name, uint32_t* id);
