// Tests of message delivery: immediate and nested sends, delayed messages in posting order, the pause rule,
// deliveries to the World, dropping pending messages, the nesting limit and broadcasts to sets of objects.
#include "tests/world/WorldTestSupport.h"
#include "world/CreationRequests.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(park.messages->GetPendingMessages().empty());
}

TEST(MessageDelivery, DelayedMessagesDueInOneFrameArriveInPostingOrder)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    const uint32_t id = p->GetID();
    park.messages->SendDelayed(Record(kNoObjectID, id, 70), 2.0f); // A
    park.messages->SendDelayed(Record(kNoObjectID, id, 71), 1.0f); // B
    park.messages->SendDelayed(Record(kNoObjectID, id, 72), 3.5f); // not due yet
    park.messages->SendDelayed(Record(kNoObjectID, id, 73), 0.0f); // next Update
    EXPECT_FLOAT_EQ(park.messages->GetPendingMessages()[0].fTime, 2.0f);
    park.Frame(0.5f);
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{73}));
    park.Frame(2.0f); // game time 2.5: A and B both due, A posted first
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{73, 70, 71}));
    park.Frame(0.9f); // 3.4
    EXPECT_EQ(TypesSeen().size(), 3u);
    park.Frame(0.1f); // 3.5: due exactly at its time
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{73, 70, 71, 72}));
    EXPECT_TRUE(park.messages->GetPendingMessages().empty());
}

TEST(MessageDelivery, DelayedMessagePostedDuringDeliveryWaitsForTheNextFrame)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    p->onMessage = [](Probe& self, const MessageRecord& r)
    {
        if (r.dwType == 80)
        {
            self.PostDelayedMessage(Record(self.GetID(), self.GetID(), 81), 0.0f);
            // An immediate send from the same handler still goes at once.
            self.PostMessage(Record(self.GetID(), self.GetID(), 82));
        }
        return true;
    };
    park.messages->SendDelayed(Record(kNoObjectID, p->GetID(), 80), 0.0f);
    park.Frame(0.0f);
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{80, 82}));
    EXPECT_EQ(park.messages->GetPendingMessages().size(), 1u);
    park.Frame(0.0f);
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{80, 82, 81}));
}

TEST(MessageDelivery, AnUpdateFromInsideADeliveryDeliversNothingTwice)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    p->onMessage = [&](Probe&, const MessageRecord&)
    {
        park.messages->Update();
        return true;
    };
    park.messages->SendDelayed(Record(kNoObjectID, p->GetID(), 30), 0.0f);
    park.messages->SendDelayed(Record(kNoObjectID, p->GetID(), 31), 0.0f);
    park.Frame(0.0f);
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{30, 31}));
}

TEST(MessageDelivery, PauseDelaysEverySendButThePlayersDemolition)
{
    Park park;
    Probe* p = park.Make(OBJECT_SCENERY);
    const uint32_t id = p->GetID();
    park.Frame(1.0f);
    park.world->SetPaused(true);
    EXPECT_TRUE(park.messages->Send(Record(id, id, 90)));
    EXPECT_TRUE(park.messages->Send(Record(kWorldID, id, 91)));
    EXPECT_TRUE(park.messages->Send(Record(kPlayerDemolishID, id, MT_STATECHANGE, STATE_DEMOLISHED)));
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{MT_STATECHANGE}));
    EXPECT_EQ(p->GetState(), uint32_t{STATE_DEMOLISHED});
    ASSERT_EQ(park.messages->GetPendingMessages().size(), 2u);
    EXPECT_FLOAT_EQ(park.messages->GetPendingMessages()[0].fTime, 1.0001f);
    // A delayed message keeps its own delay while paused.
    park.messages->SendDelayed(Record(id, id, 92), 0.5f);
    EXPECT_FLOAT_EQ(park.messages->GetPendingMessages()[2].fTime, 1.5f);
    // The stopped clock holds them, frame after frame.
    park.Frame(1.0f);
    park.Frame(1.0f);
    EXPECT_EQ(TypesSeen().size(), 1u);
    park.world->SetPaused(false);
    park.Frame(0.00005f); // not yet 0.0001 s past
    EXPECT_EQ(TypesSeen().size(), 1u);
    park.Frame(0.00006f);
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{MT_STATECHANGE, 90, 91}));
}

TEST(MessageDelivery, SendToWorldReachesOnlyTheWorldWithItsPayload)
{
    Park park;
    park.world.reset();
    auto* world = new RecordingWorld;
    park.world.reset(world);
    Probe* p = park.Make(OBJECT_SCENERY);
    world->AdvanceClock(3.0f);
    const ServerCreationRequest payload{};
    // To an object id: nothing is delivered anywhere.
    EXPECT_FALSE(park.messages->SendToWorld(Record(kNoObjectID, p->GetID(), 60), &payload));
    EXPECT_TRUE(Probe::Delivered().empty());
    ASSERT_TRUE(world->received.empty());
    // To the World: at once, stamped, with the payload, even while paused.
    world->SetPaused(true);
    park.messages->SendToWorld(Record(p->GetID(), kWorldID, 33, 5), &payload);
    ASSERT_EQ(world->received.size(), 1u);
    EXPECT_EQ(world->payloads[0], &payload);
    EXPECT_EQ(world->received[0].dwData, 5u);
    EXPECT_FLOAT_EQ(world->received[0].fTime, 3.0f);
    // An ordinary Send to the World goes to the same entry without a payload once play resumes.
    park.messages->Send(Record(p->GetID(), kWorldID, 34));
    EXPECT_EQ(world->received.size(), 1u);
    world->SetPaused(false);
    world->AdvanceClock(1.0f);
    park.messages->Update();
    ASSERT_EQ(world->received.size(), 2u);
    EXPECT_EQ(world->payloads[1], nullptr);
    EXPECT_EQ(world->received[1].dwType, 34u);
}

TEST(MessageDelivery, WorldKillsTheObjectNamedInAKillMessage)
{
    Park park;
    Probe* a = park.Make(OBJECT_SCENERY);
    Probe* b = park.Make(OBJECT_SCENERY);
    park.messages->Send(Record(a->GetID(), kWorldID, MT_KILLOBJECT, b->GetID()));
    park.messages->Send(Record(a->GetID(), kWorldID, MT_KILLOBJECT, 999)); // names no object
    EXPECT_TRUE(b->IsWaitingForDeath());
    EXPECT_FALSE(a->IsWaitingForDeath());
}

TEST(MessageDelivery, MessagesForRemovedObjectsAreDroppedQuietly)
{
    Park park;
    Probe* a = park.Make(OBJECT_SCENERY);
    Probe* b = park.Make(OBJECT_SCENERY);
    const uint32_t gone = a->GetID();
    park.messages->SendDelayed(Record(b->GetID(), gone, 40), 1.0f);
    park.messages->SendDelayed(Record(gone, b->GetID(), 41), 1.0f);
    ASSERT_TRUE(park.objects->RemoveObject(gone));
    park.messages->Send(Record(b->GetID(), gone, 42));
    park.Frame(1.0f);
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{41}));
    EXPECT_TRUE(park.TakeReports().empty());
    EXPECT_TRUE(park.messages->GetPendingMessages().empty());
}

TEST(MessageDelivery, RemoveMessagesForSparesFinishActionAndMoveImHere)
{
    Park park;
    Probe* a = park.Make(OBJECT_SCENERY);
    Probe* b = park.Make(OBJECT_SCENERY);
    const uint32_t ia = a->GetID(), ib = b->GetID();
    for (uint32_t type : {10u, uint32_t{MT_FINISH_ACTION}, 11u, uint32_t{MT_MOVEIMHERE}})
        park.messages->SendDelayed(Record(ib, ia, type), 1.0f);
    park.messages->SendDelayed(Record(ia, ib, 12), 1.0f);
    park.messages->RemoveMessagesFor(ia);
    park.Frame(1.0f);
    EXPECT_EQ(TypesSeen(), (std::vector<uint32_t>{MT_FINISH_ACTION, MT_MOVEIMHERE, 12}));
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
    EXPECT_EQ(park.CountReports("nested too deeply"), 1u);
    // The send past the limit was not lost: it waits for the next Update, and the ping-pong goes on from there.
    ASSERT_EQ(park.messages->GetPendingMessages().size(), 1u);
    park.Frame(0.0f);
    EXPECT_EQ(calls, 2 * int{MessageHandler::kMaxSendDepth});
    // A creation request past the limit cannot wait for its payload, so it is refused.
    int depth = 0;
    b->onMessage = [&](Probe& self, const MessageRecord&)
    {
        ++depth;
        if (depth < int{MessageHandler::kMaxSendDepth})
            return self.PostMessage(Record(kNoObjectID, self.GetID(), 51));
        return park.messages->SendToWorld(Record(kNoObjectID, kWorldID, 1), &calls);
    };
    park.TakeReports();
    park.messages->Send(Record(kNoObjectID, b->GetID(), 51));
    EXPECT_EQ(park.CountReports("SendToWorld - messages nested too deeply"), 1u);
}

TEST(MessageBroadcast, EveryObjectOfTheSetGetsItsOwnCopy)
{
    Park park;
    Probe* building1 = park.Make(OBJECT_BUILDING);
    Probe* mechanic = park.Make(OBJECT_MECHANIC);
    Probe* server = park.Make(OBJECT_SERVER);
    Probe* building2 = park.Make(OBJECT_BUILDING);
    Probe* cleaner = park.Make(OBJECT_CLEANER);
    Probe* keeper = park.Make(OBJECT_ZOOKEEPER);
    Probe* guest = park.Make(OBJECT_GUEST);

    auto receivers = []
    {
        std::vector<uint32_t> ids;
        for (const Seen& s : Probe::Delivered())
            ids.push_back(s.receiver);
        Probe::Delivered().clear();
        return ids;
    };
    SendToAllBuildings(*park.messages, Record(kWorldID, kNoObjectID, MT_NEW_DAY, 3));
    EXPECT_EQ(receivers(), (std::vector<uint32_t>{building1->GetID(), building2->GetID()}));
    SendToHourlyObjects(*park.messages, Record(kWorldID, kNoObjectID, MT_NEW_HOUR));
    EXPECT_EQ(receivers(), (std::vector<uint32_t>{mechanic->GetID(), cleaner->GetID(), keeper->GetID()}));
    SendToAllOfKind(*park.messages, OBJECT_SERVER, Record(kWorldID, kNoObjectID, 20));
    EXPECT_EQ(receivers(), (std::vector<uint32_t>{server->GetID()}));
    SendToAllOfKind(*park.messages, OBJECT_GUEST, Record(kWorldID, kNoObjectID, 20));
    EXPECT_EQ(receivers(), (std::vector<uint32_t>{guest->GetID()}));
}

TEST(MessageBroadcast, HandlersThatQueryCreateAndRemoveDoNotDisturbTheRecipients)
{
    Park park;
    std::vector<Probe*> cleaners;
    for (int i = 0; i < 4; ++i)
        cleaners.push_back(park.Make(OBJECT_CLEANER));
    Probe* mechanic = park.Make(OBJECT_MECHANIC);
    Probe* building = park.Make(OBJECT_BUILDING);
    // Each cleaner, on the broadcast, asks for the buildings and for the staff again, and hires one more
    // cleaner; the first also fires the second.
    for (Probe* c : cleaners)
    {
        c->onMessage = [&, c](Probe&, const MessageRecord& r)
        {
            if (r.dwType != 95)
                return false;
            EXPECT_EQ(park.objects->GetObjectsOfKind(OBJECT_BUILDING).size(), 1u);
            EXPECT_GE(park.objects->GetStaffObjects().size(), 4u);
            park.Make(OBJECT_CLEANER);
            if (c == cleaners[0])
                park.objects->RemoveObject(cleaners[1]->GetID());
            return true;
        };
    }
    const std::vector<uint32_t> before = {cleaners[0]->GetID(), cleaners[1]->GetID(), cleaners[2]->GetID(),
                                          cleaners[3]->GetID()};
    const uint32_t removed = before[1];
    SendToAllOfKind(*park.messages, OBJECT_CLEANER, Record(kWorldID, kNoObjectID, 95));
    std::vector<uint32_t> got;
    for (const Seen& s : Probe::Delivered())
        got.push_back(s.receiver);
    // Each cleaner that existed at the start heard it once; the one fired on the way did not; new ones did not.
    EXPECT_EQ(got, (std::vector<uint32_t>{before[0], before[2], before[3]}));
    EXPECT_EQ(park.objects->GetObject(removed), nullptr);
    EXPECT_EQ(park.objects->CountObjectsOfKind(OBJECT_CLEANER), 6u);
    (void)mechanic;
    (void)building;
}
