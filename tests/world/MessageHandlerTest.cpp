// Tests of message delivery: immediate and nested sends, delayed messages in posting order, the pause rule early
// and late in a game and across a save, deliveries to the World, dropping pending messages, the limits on nesting, on
// each sender's posts and on the pending list, and broadcasts to sets of objects.
#include "tests/world/SaveBytes.h"
#include "tests/world/WorldTestSupport.h"
#include "world/CreationRequests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace worldtest;

namespace
{

std::vector<uint32_t> TypesSeen()
{
    std::vector<uint32_t> types;
    for (const Seen& s : Probe::Delivered())
        types.push_back(s.type);
    return types;
}

// A World that keeps what reaches its message entry.
class RecordingWorld : public World
{
public:
    bool HandleMessage(const MessageRecord& record, const void* payload) override
    {
        received.push_back(record);
        payloads.push_back(payload);
        return World::HandleMessage(record, payload);
    }
    std::vector<MessageRecord> received;
    std::vector<const void*> payloads;
};

} // namespace

TEST(MessageDelivery, ImmediateSendsNestInsideTheCallerAndAreStampedWithTheGameTime)
{
    Park park;
    Probe* a = park.Make(OBJECT_SCENERY);
    Probe* b = park.Make(OBJECT_SCENERY);
    park.Frame(2.5f);
    // a answers 60 with 61 to b, and b answers 61 with 62 back to a, all inside the first Send.
    a->onMessage = [&](Probe& self, const MessageRecord& r)
    {
        if (r.dwType == 60)
            self.PostMessage(Record(self.GetID(), b->GetID(), 61));
        Probe::Journal().push_back("a done " + std::to_string(r.dwType));
        return true;
    };
    b->onMessage = [&](Probe& self, const MessageRecord& r)
    {
        if (r.dwType == 61)
            self.PostMessage(Record(self.GetID(), a->GetID(), 62));
        return true;
    };
    Probe::Journal().clear();
    EXPECT_TRUE(park.messages->Send(Record(kNoObjectID, a->GetID(), 60)));
    const std::string ida = std::to_string(a->GetID()), idb = std::to_string(b->GetID());
    EXPECT_EQ(Probe::Journal(), (std::vector<std::string>{"msg " + ida + " 60", "msg " + idb + " 61",
                                                          "msg " + ida + " 62", "a done 62", "a done 60"}));
    for (const Seen& s : Probe::Delivered())
        EXPECT_FLOAT_EQ(s.time, 2.5f);
    EXPECT_EQ(park.messages->GetPendingCount(), 0u);
}

TEST(MessageDelivery, DelayedMessagesArriveInPostingOrderAndThoseOfADeliveryWaitAFrame)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    const uint32_t id = p->GetID();
    p->onMessage = [&](Probe& self, const MessageRecord& r)
    {
        if (r.dwType == 80)
        {
            // Delayed by 0 from a delivery: the next Update; an immediate send still goes at once; an Update from
            // inside a delivery delivers nothing twice.
            self.PostDelayedMessage(Record(id, id, 81), 0.0f);
            self.PostMessage(Record(id, id, 82));
            park.messages->Update();
        }
        return true;
    };
    park.messages->SendDelayed(Record(kNoObjectID, id, 70), 2.0f); // A
    park.messages->SendDelayed(Record(kNoObjectID, id, 71), 1.0f); // B
    park.messages->SendDelayed(Record(kNoObjectID, id, 72), 3.5f); // not due yet
    park.messages->SendDelayed(Record(kNoObjectID, id, 80), 0.0f); // next Update
    park.messages->SendDelayed(Record(kNoObjectID, id, 73), NAN);  // a delay that is no number: next Update
    EXPECT_FLOAT_EQ(park.messages->GetPendingMessages()[0].fTime, 2.0f);
    park.Frame(0.5f);
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{80, 82, 73}));
    park.Frame(2.0f); // game time 2.5: A and B both due, A posted first
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{80, 82, 73, 70, 71, 81}));
    park.Frame(0.75f); // 3.25
    EXPECT_EQ(TypesSeen().size(), 6u);
    park.Frame(0.25f); // 3.5: due exactly at its time
    EXPECT_EQ(TypesSeen().back(), 72u);
    EXPECT_EQ(park.messages->GetPendingCount(), 0u);
}

TEST(MessageDelivery, ThePauseHoldsEverySendButThePlayersDemolitionEarlyAndLateInAGame)
{
    // Late in a game a float cannot tell now from now + 0.0001 s: the pause must hold all the same.
    for (const double start : {1.0, 2048.0, 1.0e6, 8.64e8})
    {
        Park park;
        Probe* p = park.Make(OBJECT_SCENERY);
        const uint32_t id = p->GetID();
        park.world->SetGameTime(start);
        park.world->SetPaused(true);
        EXPECT_TRUE(park.messages->Send(Record(id, id, 90)));
        EXPECT_TRUE(park.messages->Send(Record(kWorldID, id, 91)));
        EXPECT_TRUE(park.messages->Send(Record(kPlayerDemolishID, id, MT_STATECHANGE, STATE_DEMOLISHED)));
        EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{MT_STATECHANGE})) << start;
        EXPECT_EQ(p->GetState(), uint32_t{STATE_DEMOLISHED});
        ASSERT_EQ(park.messages->GetPendingCount(), 2u);
        // A delayed message keeps its own delay while paused.
        park.messages->SendDelayed(Record(id, id, 92), 0.5f);
        // The stopped clock holds them, frame after frame.
        for (int i = 0; i < 3; ++i)
            park.Frame(1.0f);
        EXPECT_EQ(TypesSeen().size(), 1u) << start;
        park.world->SetPaused(false);
        park.Frame(0.00005f); // not yet 0.0001 s past
        EXPECT_EQ(TypesSeen().size(), 1u) << start;
        park.Frame(0.00006f);
        EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{MT_STATECHANGE, 90, 91})) << start;
        park.Frame(0.5f);
        EXPECT_EQ(TypesSeen().back(), 92u) << start;
    }
}

TEST(MessageDelivery, MessagesHeldByThePauseAreStillHeldInAPausedParkLoadedFromASave)
{
    // The save keeps the clock and the due times in single precision; a paused park saved and loaded must still
    // hold what its pause holds, however late in the game, and let it through once the game goes on.
    for (const double start : {1.0, 2048.5, 40000.25, 250000.75})
    {
        savebytes::Bytes saved;
        float clock = 0.0f;
        {
            Park park;
            const uint32_t id = park.Make(OBJECT_SCENERY)->GetID();
            park.world->SetGameTime(start);
            park.world->SetPaused(true);
            EXPECT_TRUE(park.messages->Send(Record(id, id, 90)));
            ASSERT_EQ(park.messages->GetPendingCount(), 1u);
            saved = savebytes::Saved([&](SerialStream& s) { park.messages->Dump(s); });
            clock = park.world->GetGameTime();
        }
        Park park;
        const uint32_t id = park.Make(OBJECT_SCENERY)->GetID();
        park.world->SetGameTime(clock);
        park.world->SetPaused(true);
        ASSERT_TRUE(savebytes::LoadFrom(saved, [&](SerialStream& s) { return park.messages->Load(s); }));
        ASSERT_EQ(park.messages->GetPendingMessages().at(0).dwReciever, id);
        for (int i = 0; i < 3; ++i)
            park.Frame(1.0f);
        EXPECT_EQ(TypesSeen(), std::vector<uint32_t>{}) << start;
        park.world->SetPaused(false);
        park.Frame(1.0f / 60.0f);
        EXPECT_EQ(TypesSeen(), std::vector<uint32_t>{90}) << start;
    }
}

TEST(MessageDelivery, SendToWorldReachesOnlyTheWorldWithItsPayload)
{
    Park park;
    auto* world = new RecordingWorld;
    park.world.reset(world);
    Probe* p = park.Make(OBJECT_SCENERY);
    world->AdvanceClock(3.0f);
    const ServerCreationRequest payload{};
    // To an object id: nothing is delivered anywhere. To the World: at once, stamped, with the payload, even while
    // paused; an ordinary Send to the World goes to the same entry without a payload once play resumes.
    EXPECT_FALSE(park.messages->SendToWorld(Record(kNoObjectID, p->GetID(), 60), &payload));
    world->SetPaused(true);
    park.messages->SendToWorld(Record(p->GetID(), kWorldID, 33, 5), &payload);
    park.messages->Send(Record(p->GetID(), kWorldID, 34));
    EXPECT_TRUE(Probe::Delivered().empty());
    ASSERT_EQ(world->received.size(), 1u);
    EXPECT_EQ(std::tuple(world->payloads[0], world->received[0].dwData, world->received[0].fTime),
              std::tuple(static_cast<const void*>(&payload), 5u, 3.0f));
    world->SetPaused(false);
    park.Frame(1.0f);
    ASSERT_EQ(world->received.size(), 2u);
    EXPECT_EQ(std::tuple(world->payloads[1], world->received[1].dwType), std::tuple(nullptr, 34u));
}

TEST(MessageDelivery, MessagesForRemovedObjectsAreDroppedQuietlyAndRemoveMessagesForSparesTwoTypes)
{
    Park park;
    Probe* a = park.Make(OBJECT_SCENERY);
    Probe* b = park.Make(OBJECT_SCENERY);
    Probe* c = park.Make(OBJECT_SCENERY);
    const uint32_t gone = a->GetID(), ib = b->GetID(), ic = c->GetID();
    park.messages->SendDelayed(Record(ib, gone, 40), 1.0f);
    park.messages->SendDelayed(Record(gone, ib, 41), 1.0f);
    for (uint32_t type : {10u, uint32_t{MT_FINISH_ACTION}, 11u, uint32_t{MT_MOVEIMHERE}})
        park.messages->SendDelayed(Record(ib, ic, type), 1.0f);
    ASSERT_TRUE(park.objects->RemoveObject(gone));
    park.messages->Send(Record(ib, gone, 42));
    park.messages->RemoveMessagesFor(ic);
    park.Frame(1.0f);
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{41, MT_FINISH_ACTION, MT_MOVEIMHERE}));
    EXPECT_TRUE(park.TakeReports().empty());
    EXPECT_EQ(park.messages->GetPendingCount(), 0u);
}

TEST(MessageDelivery, RunawayNestedSendsAreCutOffAndWaitForTheNextFrame)
{
    Park park;
    Probe* a = park.Make(OBJECT_SCENERY);
    Probe* b = park.Make(OBJECT_SCENERY);
    // Two objects that answer every message at once: without a limit this never ends.
    int calls = 0;
    auto echo = [&](Probe& self, const MessageRecord& r)
    {
        ++calls;
        self.PostMessage(Record(self.GetID(), r.dwSender, 50));
        return true;
    };
    a->onMessage = echo;
    b->onMessage = echo;
    park.messages->Send(Record(a->GetID(), b->GetID(), 50));
    EXPECT_EQ(calls, int{MessageHandler::kMaxSendDepth});
    // The send past the limit was not lost: it waits for the next Update, and the ping-pong goes on from there,
    // reported once.
    ASSERT_EQ(park.messages->GetPendingCount(), 1u);
    park.Frame(0.0f);
    EXPECT_EQ(calls, 2 * int{MessageHandler::kMaxSendDepth});
    EXPECT_EQ(park.CountReports("nested too deeply"), 1u);
    // A creation request past the limit cannot wait for its payload, so it is refused.
    int depth = 0;
    b->onMessage = [&](Probe& self, const MessageRecord&)
    {
        if (++depth < int{MessageHandler::kMaxSendDepth})
            return self.PostMessage(Record(kNoObjectID, self.GetID(), 51));
        return park.messages->SendToWorld(Record(kNoObjectID, kWorldID, 1), &calls);
    };
    park.messages->Send(Record(kNoObjectID, b->GetID(), 51));
    EXPECT_EQ(park.CountReports("SendToWorld - messages nested too deeply"), 1u);
}

TEST(MessageDelivery, EachSenderHasAShareOfPostsPerFrameAndThePendingListABound)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    const uint32_t id = p->GetID();
    // One sender's share of a frame, immediate and delayed posts together; the World's share is larger.
    int accepted = 0;
    for (uint32_t i = 0; i < MessageHandler::kMaxPostsPerFrame + 10; ++i)
        accepted += park.messages->SendDelayed(Record(id, id, 7), 5.0f) ? 1 : 0;
    EXPECT_FALSE(park.messages->Send(Record(id, id, 8)));
    EXPECT_EQ(accepted, int{MessageHandler::kMaxPostsPerFrame});
    for (uint32_t i = 0; i < MessageHandler::kMaxPostsPerFrame + 10; ++i)
        EXPECT_TRUE(park.messages->Send(Record(kWorldID, id, 9)));
    EXPECT_EQ(park.CountReports("posted more than"), 1u);
    // A new frame, a new share; the report is not made again.
    park.Frame(0.0f);
    EXPECT_TRUE(park.messages->SendDelayed(Record(id, id, 7), 5.0f));
    // The pending list fills up to its bound from many senders; the World's messages to itself keep a reserve.
    for (uint32_t sender = 1; park.messages->GetPendingCount() < MessageHandler::kMaxDelayedMessages; ++sender)
        ASSERT_TRUE(park.messages->SendDelayed(Record(100000 + sender, id, 7), 5.0f));
    EXPECT_FALSE(park.messages->SendDelayed(Record(5, id, 7), 5.0f));
    park.Frame(0.0f); // still no room: no new report
    EXPECT_FALSE(park.messages->SendDelayed(Record(kWorldID, id, 7), 5.0f));
    EXPECT_TRUE(park.messages->SendDelayed(Record(kWorldID, kWorldID, MT_UPDATERATING), 5.0f));
    EXPECT_EQ(std::tuple(park.CountReports("messages are waiting"), park.CountReports("posted more than")),
              std::tuple(1u, 1u));
    EXPECT_EQ(park.messages->GetPendingCount(), MessageHandler::kMaxDelayedMessages + 1);
}

TEST(MessageBroadcast, EveryObjectOfTheSetGetsItsOwnCopy)
{
    Park park;
    std::vector<uint32_t> ids;
    for (uint8_t kind : {OBJECT_BUILDING, OBJECT_MECHANIC, OBJECT_SERVER, OBJECT_BUILDING, OBJECT_CLEANER,
                         OBJECT_ZOOKEEPER, OBJECT_GUEST})
        ids.push_back(park.Make(kind)->GetID());
    const std::pair<std::function<void()>, std::vector<uint32_t>> sets[] = {
        {[&] { SendToAllBuildings(*park.messages, Record(kWorldID, kNoObjectID, MT_NEW_DAY, 3)); }, {ids[0], ids[3]}},
        {[&] { SendToHourlyObjects(*park.messages, Record(kWorldID, kNoObjectID, MT_NEW_HOUR)); },
         {ids[1], ids[4], ids[5]}},
        {[&] { SendToAllOfKind(*park.messages, OBJECT_SERVER, Record(kWorldID, kNoObjectID, 20)); }, {ids[2]}},
        {[&] { SendToAllOfKind(*park.messages, OBJECT_GUEST, Record(kWorldID, kNoObjectID, 20)); }, {ids[6]}},
    };
    for (const auto& [send, expected] : sets)
    {
        Probe::Delivered().clear();
        send();
        std::vector<uint32_t> receivers;
        for (const Seen& s : Probe::Delivered())
            receivers.push_back(s.receiver);
        EXPECT_EQ(receivers, expected);
    }
}

TEST(MessageBroadcast, HandlersThatQueryCreateAndRemoveDoNotDisturbTheRecipients)
{
    Park park;
    std::vector<Probe*> cleaners;
    for (int i = 0; i < 4; ++i)
        cleaners.push_back(park.Make(OBJECT_CLEANER));
    park.Make(OBJECT_MECHANIC);
    park.Make(OBJECT_BUILDING);
    // Each cleaner, on the broadcast, asks for the buildings and for the staff again, and hires one more
    // cleaner; the first also fires the second.
    for (Probe* c : cleaners)
    {
        c->onMessage = [&, c](Probe&, const MessageRecord&)
        {
            EXPECT_EQ(park.objects->GetObjectsOfKind(OBJECT_BUILDING).size(), 1u);
            EXPECT_GE(park.objects->GetStaffObjects().size(), 4u);
            park.Make(OBJECT_CLEANER);
            if (c == cleaners[0])
                park.objects->RemoveObject(cleaners[1]->GetID());
            return true;
        };
    }
    const std::vector<uint32_t> heard = {cleaners[0]->GetID(), cleaners[2]->GetID(), cleaners[3]->GetID()};
    SendToAllOfKind(*park.messages, OBJECT_CLEANER, Record(kWorldID, kNoObjectID, 95));
    std::vector<uint32_t> got;
    for (const Seen& s : Probe::Delivered())
        got.push_back(s.receiver);
    // Each cleaner that existed at the start heard it once; the one fired on the way did not; new ones did not.
    EXPECT_EQ(got, heard);
    EXPECT_EQ(park.objects->CountObjectsOfKind(OBJECT_CLEANER), 6u);
}

TEST(MessageBroadcast, AnObjectsBroadcastToAFullParkIsOnePostAndReachesEveryone)
{
    Park park;
    const uint32_t shop = park.Make(OBJECT_BUILDING)->GetID();
    const uint32_t guests = MessageHandler::kMaxPostsPerFrame + 100;
    for (uint32_t i = 0; i < guests; ++i)
        park.Make(OBJECT_GUEST);
    // The first guest to hear the shop close tells every building in turn, from inside the shop's broadcast.
    bool told = false;
    Probe* first = static_cast<Probe*>(park.objects->GetPoolObject(ObjectManager::POOL_GUEST, 0));
    first->onMessage = [&](Probe& self, const MessageRecord& r)
    {
        if (r.dwType == 80 && !told)
        {
            told = true;
            SendToAllBuildings(*park.messages, Record(self.GetID(), kNoObjectID, 81));
        }
        return true;
    };
    Probe::Delivered().clear();
    SendToAllOfKind(*park.messages, OBJECT_GUEST, Record(shop, kNoObjectID, 80));
    uint32_t heard = 0, relayed = 0;
    for (const Seen& s : Probe::Delivered())
    {
        heard += s.type == 80 ? 1 : 0;
        relayed += s.type == 81 && s.receiver == shop ? 1 : 0;
    }
    EXPECT_EQ(std::tuple(heard, relayed, park.CountReports("posted more than")), std::tuple(guests, 1u, size_t{0}));
    // The shop has its share of the frame left but for the one broadcast.
    int accepted = 0;
    for (uint32_t i = 0; i < MessageHandler::kMaxPostsPerFrame; ++i)
        accepted += park.messages->Send(Record(shop, shop, 7)) ? 1 : 0;
    EXPECT_EQ(accepted, int{MessageHandler::kMaxPostsPerFrame} - 1);
}
