// Object states and message types: the two numberings that scripts, saved games and every object class share,
// and the decode table that turns their script names into numbers.
#pragma once

#include <cstdint>

// X(name): the states in value order, from 0.
#define TW_OBJECT_STATES(X)                                                                                            \
    X(STATE_NULL)                                                                                                      \
    X(STATE_DO_NOTHING)                                                                                                \
    X(STATE_STARTUP)                                                                                                   \
    X(STATE_DEMOLISHING)                                                                                               \
    X(STATE_DEMOLISHED)                                                                                                \
    X(STATE_OCCUPIED)                                                                                                  \
    X(STATE_PART_OF_GROUP)                                                                                             \
    X(STATE_DEAD)                                                                                                      \
    X(STATE_GUEST_SEARCH_DESIRE)                                                                                       \
    X(STATE_GUEST_HEADING_DESIRE)                                                                                      \
    X(STATE_GUEST_REACHED_DESIRE)                                                                                      \
    X(STATE_GUEST_WAITING_DESIRE)                                                                                      \
    X(STATE_GUEST_WAITING_ANIMATION)                                                                                   \
    X(STATE_GUEST_EATING)                                                                                              \
    X(STATE_GUEST_ENTER_BUILDING)                                                                                      \
    X(STATE_GUEST_EXIT_BUILDING)                                                                                       \
    X(STATE_GUEST_DELAY_EXIT_BUILDING)                                                                                 \
    X(STATE_GUEST_ENTERING_WORLD)                                                                                      \
    X(STATE_GUEST_LEAVING_WORLD)                                                                                       \
    X(STATE_GUEST_AT_TABLE)                                                                                            \
    X(STATE_GUEST_ON_BENCH)                                                                                            \
    X(STATE_GUEST_PATH_BLOCKED)                                                                                        \
    X(STATE_GUEST_WALK_AROUND)                                                                                         \
    X(STATE_GUEST_JOIN_QUEUE)                                                                                          \
    X(STATE_GUEST_EXIT_QUEUE)                                                                                          \
    X(STATE_GUEST_LEFT_BUILDING)                                                                                       \
    X(STATE_GUEST_MOVE_VIEWPOINT)                                                                                      \
    X(STATE_GUEST_ENTER_WORLD)                                                                                         \
    X(STATE_GUEST_WALKTHRU_BUILDING)                                                                                   \
    X(STATE_GUEST_MOVE_VIEWPOINT_2)                                                                                    \
    X(STATE_GUEST_HEADING_FOR_BENCH)                                                                                   \
    X(STATE_GUEST_HEADING_FOR_BIN)                                                                                     \
    X(STATE_STARTUP_NO_ENTRANCE)                                                                                       \
    X(STATE_STAFF_WORKING)                                                                                             \
    X(STATE_STAFF_FALLING_ON_SWORD)                                                                                    \
    X(STATE_STAFF_GO_REST)                                                                                             \
    X(STATE_STAFF_RESTING)                                                                                             \
    X(STATE_STAFF_RESTING_OUTSIDE)                                                                                     \
    X(STATE_STAFF_ENTER_ROOM)                                                                                          \
    X(STATE_STAFF_LEAVE_ROOM)                                                                                          \
    X(STATE_STAFF_BEING_PICKED)                                                                                        \
    X(STATE_MECHANIC_REPAIR)                                                                                           \
    X(STATE_MECHANIC_CHOOSE_JOB)                                                                                       \
    X(STATE_MECHANIC_GO_REPAIR)                                                                                        \
    X(STATE_MECHANIC_IDLE)                                                                                             \
    X(STATE_CLEANER_CHOOSE_TASK)                                                                                       \
    X(STATE_CLEANER_GO_LITTER)                                                                                         \
    X(STATE_CLEANER_CLEAN_LITTER)                                                                                      \
    X(STATE_CLEANER_GO_TOILET)                                                                                         \
    X(STATE_CLEANER_GO_BIN)                                                                                            \
    X(STATE_CLEANER_CLEAN_BIN)                                                                                         \
    X(STATE_CLEANER_ENTER_TOILET)                                                                                      \
    X(STATE_CLEANER_CLEAN_TOILET)                                                                                      \
    X(STATE_CLEANER_LEAVE_TOILET)                                                                                      \
    X(STATE_CLEANER_IDLE)                                                                                              \
    X(STATE_ANIMAL_EAT)                                                                                                \
    X(STATE_ANIMAL_PLAY)                                                                                               \
    X(STATE_ANIMAL_REST)                                                                                               \
    X(STATE_ANIMAL_MOVEAROUND)                                                                                         \
    X(STATE_ANIMAL_GO_EAT)                                                                                             \
    X(STATE_ANIMAL_GO_SHOW)

// X(name): the message types in value order, from 0.
#define TW_MESSAGE_TYPES(X)                                                                                            \
    X(MT_KILLOBJECT)                                                                                                   \
    X(MT_OBJECTCREATED)                                                                                                \
    X(MT_DISASTER_FINISHED)                                                                                            \
    X(MT_UPDATERATING)                                                                                                 \
    X(MT_UPDATEAVERAGES)                                                                                               \
    X(MT_STATECHANGE)                                                                                                  \
    X(MT_MOVE2POINT)                                                                                                   \
    X(MT_MOVE2OBJECT)                                                                                                  \
    X(MT_CANT_MOVE)                                                                                                    \
    X(MT_NO_SCENERY_PATH)                                                                                              \
    X(MT_PAVEMENT2POINT)                                                                                               \
    X(MT_PAVEMENT2OBJECT)                                                                                              \
    X(MT_PATH_THROUGH_SCENERY)                                                                                         \
    X(MT_PATH_THROUGH_SCENERY2OBJECT)                                                                                  \
    X(MT_MOVE_DIRECT_2POINT)                                                                                           \
    X(MT_MOVE_DIRECT_2OBJECT)                                                                                          \
    X(MT_PATHBLOCKED)                                                                                                  \
    X(MT_MOVESTOP)                                                                                                     \
    X(MT_MOVEIMHERE)                                                                                                   \
    X(MT_MOVE_CARRY_ON)                                                                                                \
    X(MT_LAST_POINT)                                                                                                   \
    X(MT_FOLLOWOBJECT)                                                                                                 \
    X(MT_REACHED_FOLLOW_DISTANCE)                                                                                      \
    X(MT_MOVE_INSIDE_BUILDING)                                                                                         \
    X(MT_MOVE_THRU_BUILDING)                                                                                           \
    X(MT_MOVE_NEW_GRID_SQUARE)                                                                                         \
    X(MT_MOVE_ALONG_QUEUE)                                                                                             \
    X(MT_FINISHED_QUEUE)                                                                                               \
    X(MT_IM_READY)                                                                                                     \
    X(MT_BUILDING_FULL)                                                                                                \
    X(MT_REQUEST_COMMOD)                                                                                               \
    X(MT_SERVE_GUEST)                                                                                                  \
    X(MT_STAFF_CREATED)                                                                                                \
    X(MT_NEW_DAY)                                                                                                      \
    X(MT_REPAIR)                                                                                                       \
    X(MT_REPAIR_STARTING)                                                                                              \
    X(MT_CONSTRUCT)                                                                                                    \
    X(MT_START_EVENT)                                                                                                  \
    X(MT_BUILDING_BEING_REMOVED)                                                                                       \
    X(MT_BUILDING_CLOSING)                                                                                             \
    X(MT_DEMOLISH)                                                                                                     \
    X(MT_UPDATE_BREAKDOWN)                                                                                             \
    X(MT_RIDE_COMPLETE)                                                                                                \
    X(MT_QUEUE_REMOVED)                                                                                                \
    X(MT_BUILDING_BAD_QUEUE)                                                                                           \
    X(MT_PATH_PLACED)                                                                                                  \
    X(MT_QUEUE_PLACED)                                                                                                 \
    X(MT_PATH_REMOVED)                                                                                                 \
    X(MT_SERVED_COMMOD)                                                                                                \
    X(MT_COMMOD_PRICE)                                                                                                 \
    X(MT_COMMOD_QUALITY)                                                                                               \
    X(MT_FINISH_ACTION)                                                                                                \
    X(MT_DO_NEXT_ACTION)                                                                                               \
    X(MT_EVENT_STARTING)                                                                                               \
    X(MT_EVENT_FINISHED)                                                                                               \
    X(MT_PLAYANIMATION)                                                                                                \
    X(MT_IMDEAD)                                                                                                       \
    X(MT_MY_WORST_OPINION)                                                                                             \
    X(MT_MY_BEST_OPINION)                                                                                              \
    X(MT_IMPROVE_OPINIONS)                                                                                             \
    X(MT_PRICE_OK)                                                                                                     \
    X(MT_PRICE_NOT_OK)                                                                                                 \
    X(MT_BAD_WEATHER)                                                                                                  \
    X(MT_SPOT_OPINION)                                                                                                 \
    X(MT_PUT_ON_RIDE)                                                                                                  \
    X(MT_ADVANCE_QUEUE)                                                                                                \
    X(MT_ENTER_BUILDING)                                                                                               \
    X(MT_THUMBS_DOWN)                                                                                                  \
    X(MT_THUMBS_UP)                                                                                                    \
    X(MT_ANIMAL_CREATED)                                                                                               \
    X(MT_CALL_ZOO)                                                                                                     \
    X(MT_SUPPLY_FOOD)                                                                                                  \
    X(MT_ANIMAL_MOVE_PATH)                                                                                             \
    X(MT_ANIMAL_EAT_PATH)                                                                                              \
    X(MT_ANIMAL_REST_PATH)                                                                                             \
    X(MT_ANIMAL_PLAY_PATH)                                                                                             \
    X(MT_ANIMAL_PATH_FINISHED)                                                                                         \
    X(MT_ANIMAL_FEEDING_TIME)                                                                                          \
    X(MT_ANIMAL_EAT_NOW)                                                                                               \
    X(MT_ANIMAL_SHOW_FINISHED)                                                                                         \
    X(MT_SHOW_ANIMAL_PATHS)                                                                                            \
    X(MT_HIDE_ANIMAL_PATHS)                                                                                            \
    X(MT_ANIMAL_PLAY_SOUND)                                                                                            \
    X(MT_SHOW_STARTING)                                                                                                \
    X(MT_SHOW_MOVE_FINISHED)                                                                                           \
    X(MT_SHOW_FINISHED)                                                                                                \
    X(MT_ANIMAL_ZOO_VISITED)                                                                                           \
    X(MT_ANIMAL_MECHANIC_VISITED)                                                                                      \
    X(MT_SCENERY_ENTER_CREATED)                                                                                        \
    X(MT_BENCH_ADD_GUEST)                                                                                              \
    X(MT_BENCH_BEING_REMOVED)                                                                                          \
    X(MT_BIN_BEING_REMOVED)                                                                                            \
    X(MT_TABLE_CREATED)                                                                                                \
    X(MT_STAFF_BUSY)                                                                                                   \
    X(MT_GUEST_SERVED)                                                                                                 \
    X(MT_NEW_HOUR)                                                                                                     \
    X(MT_MORE_REPAIRS)                                                                                                 \
    X(MT_REPAIRS_FINISHED)                                                                                             \
    X(MT_LOOK_FOR_BETTER_JOB)                                                                                          \
    X(MT_DIALOG_CLOSED)                                                                                                \
    X(MT_PLAY_ANIM_SEQ)                                                                                                \
    X(MT_UNLOCK_SCENARIO)                                                                                              \
    X(MT_LEAVE_BUILDING)

#define TW_ENUM_ENTRY(name) name,

enum ObjectState : uint32_t
{
    TW_OBJECT_STATES(TW_ENUM_ENTRY)
    // One past the last state; shown as "STATE_NUM_STATES".
    STATE_NUM_STATES
};

enum MessageType : uint32_t
{
    TW_MESSAGE_TYPES(TW_ENUM_ENTRY)
    // One past the last message type: "no message" in an object's end-of-animation message.
    MT_NUM_MESSAGES
};

#undef TW_ENUM_ENTRY

// One row of the decode table: a value and its script name.
struct DecodeRow
{
    uint32_t value;
    const char* name;
};

// The decode table: rows 0 to 60 the states in value order, then rows 61 to 163 the message types in value order.
constexpr uint32_t kDecodeTableSize = uint32_t{STATE_NUM_STATES} + uint32_t{MT_NUM_MESSAGES};
extern const DecodeRow g_DecodeTable[kDecodeTableSize];

// The value of a state name or message name (exact, case-sensitive); each searches only its own rows. False,
// with the value untouched, for a name that is not in the table.
bool DecodeStateName(const char* name, uint32_t* value);
bool DecodeMessageName(const char* name, uint32_t* value);

// The script name of a state: its name for 0 to 60, "STATE_NUM_STATES" for 61, "UNKNOWN_STATE" otherwise.
const char* StateName(uint32_t state);
