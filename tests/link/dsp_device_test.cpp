// The link against the virtual unit: opening, hand-shake, queue, keep-alive, unplugging.
#include <gtest/gtest.h>

#include <thread>

#include "link/commands.h"
#include "support/link_fixture.h"
#include "support/wait_until.h"

using namespace dvdsp;
using namespace dvdsp::link;
using dvdsp::testing::LinkFixture;
using dvdsp::testing::WaitUntil;

TEST(LinkOpen, HandshakeAccepted) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    EXPECT_EQ(f.device.Model(), 98);
    EXPECT_EQ(f.device.MasterVersion(), 2);
    EXPECT_EQ(f.device.SlaveVersion(), 27);
    EXPECT_TRUE(f.unit.PcAttached());
    auto msgs = f.sink.Take();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].msg, WM_READ_MCU_VALUE);
    EXPECT_EQ(msgs[0].wparam, MCU_HANDSHAKE);
    const auto* hs = msgs[0].As<HandshakeValue>();
    ASSERT_NE(hs, nullptr);
    EXPECT_EQ(hs->model, 98);
    EXPECT_EQ(hs->slave, 27);
}

TEST(LinkOpen, RefusedHandshakeLeavesModelAndPostsUnnormal) {
    LinkFixture f;
    f.unit.Identity().refuseHandshake = true;
    EXPECT_FALSE(f.Connect());
    EXPECT_EQ(f.device.Model(), -1);
    auto msgs = f.sink.Take();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].msg, WM_DEVICE_STATUS_UNNORMAL);
}

TEST(LinkOpen, StringFailureRule) {
    for (int failures = 0; failures <= 4; ++failures) {
        LinkFixture f;
        f.backend.FailStrings(failures);
        f.device.OpenHIDDevice();
        EXPECT_EQ(f.device.IsConnected(), failures < 3) << failures << " string failures";
    }
}

TEST(LinkOpen, NoUnitPluggedIn) {
    LinkFixture f;
    f.backend.Unplug();
    EXPECT_NE(f.device.OpenHIDDevice(), 0);
    EXPECT_FALSE(f.device.IsConnected());
}

TEST(LinkClose, NotifyWritesTheDetachCommandFirst) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    uint64_t before = f.backend.ReportsWritten();
    f.device.CloseHIDDevice(true);
    EXPECT_EQ(f.backend.ReportsWritten(), before + 1);
    EXPECT_FALSE(f.unit.PcAttached());
    EXPECT_FALSE(f.device.IsConnected());

    LinkFixture g;
    ASSERT_TRUE(g.Connect());
    before = g.backend.ReportsWritten();
    g.device.CloseHIDDevice(false);
    EXPECT_EQ(g.backend.ReportsWritten(), before);
    EXPECT_TRUE(g.unit.PcAttached());
}

TEST(LinkQueue, TenQueuedCommandsArriveInOrder) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    f.sink.Take();
    f.device.EnableCmdQueue();
    // Codes the unit does not know: it only counts them, in the order they came.
    for (uint8_t i = 0; i < 10; ++i)
        f.device.Send(CMD_DSP, static_cast<uint8_t>(0x60 + i), OP_GET, {i}, false);
    ASSERT_TRUE(f.device.WaitQueueIdle(60000));
    auto unknown = f.unit.UnknownCommandList();
    ASSERT_EQ(unknown.size(), 10u);
    for (uint8_t i = 0; i < 10; ++i) EXPECT_EQ(unknown[i].cmd, 0x60 + i);
    EXPECT_EQ(f.backend.ReportsWritten(), 2u + 10u);
}

TEST(LinkQueue, DisabledQueueDropsWithoutWriting) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    uint64_t before = f.backend.ReportsWritten();
    EXPECT_FALSE(f.device.Send(CMD_MCU, MCU_PING, OP_SET, {}, false));
    EXPECT_EQ(f.backend.ReportsWritten(), before);
    // Had the command been kept, it would go out with the next one once the queue runs.
    f.device.EnableCmdQueue();
    EXPECT_TRUE(f.device.Send(CMD_DSP, 0x60, OP_GET, {7}, false));
    ASSERT_TRUE(f.device.WaitQueueIdle(60000));
    EXPECT_EQ(f.backend.ReportsWritten(), before + 1);
    EXPECT_EQ(f.unit.PingCount(), 0);
    ASSERT_EQ(f.unit.UnknownCommandList().size(), 1u);
    EXPECT_EQ(f.unit.UnknownCommandList()[0].cmd, 0x60);
}

TEST(LinkQueue, ManyCommandsCrossStorageBlocks) {
    SpscQueue<int> q;
    for (int i = 0; i < 2000; ++i) q.Push(i);
    int v = -1;
    for (int i = 0; i < 2000; ++i) {
        ASSERT_TRUE(q.Pop(v));
        ASSERT_EQ(v, i);
    }
    EXPECT_FALSE(q.Pop(v));
    EXPECT_TRUE(q.Empty());
}

TEST(LinkQueue, ProducerAndConsumerOnTwoThreads) {
    SpscQueue<int> q;
    constexpr int kCount = 100000;
    std::thread producer([&] {
        for (int i = 0; i < kCount; ++i) q.Push(i);
    });
    int expect = 0, v = 0;
    while (expect < kCount) {
        if (q.Pop(v)) {
            ASSERT_EQ(v, expect);
            ++expect;
        }
    }
    producer.join();
}

TEST(LinkPing, SkippedWithin400msOfAWrite) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    uint64_t before = f.backend.ReportsWritten();
    f.manual.Advance(399);
    EXPECT_TRUE(f.device.PingMsg());
    EXPECT_EQ(f.backend.ReportsWritten(), before);
    f.manual.Advance(2);
    EXPECT_TRUE(f.device.PingMsg());
    EXPECT_EQ(f.backend.ReportsWritten(), before + 1);
    EXPECT_EQ(f.unit.PingCount(), 1);
}

TEST(LinkPing, UnreadAnswerJoinsTheNextReport) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    f.manual.Advance(1000);
    f.device.PingMsg();
    f.sink.Take();
    // The next exchange reads the keep-alive answer together with its own reply.
    f.device.Hand_Connect();
    auto msgs = f.sink.Take();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].wparam, MCU_PING);
    EXPECT_EQ(msgs[1].wparam, MCU_HANDSHAKE);
    EXPECT_TRUE(f.device.HandshakeOk());
}

TEST(LinkFaults, LostReplyTimesOutAndNextExchangeWorks) {
    LinkFixture f;
    ASSERT_TRUE(f.device.OpenHIDDevice() == 0 && f.device.IsConnected());
    f.backend.DropReplies(1);
    uint64_t t0 = f.manual.NowMs();
    EXPECT_FALSE(f.device.Hand_Connect());
    EXPECT_GE(f.manual.NowMs() - t0, 10000u);  // the whole read time-out passed (manual clock)
    EXPECT_TRUE(f.device.Hand_Connect());
    EXPECT_TRUE(f.device.HandshakeOk());
}

TEST(LinkFaults, CorruptedReplyIsNotDecoded) {
    LinkFixture f;
    f.device.OpenHIDDevice();
    f.backend.CorruptReplies(1);
    f.device.Hand_Connect();
    EXPECT_FALSE(f.device.HandshakeOk());
    EXPECT_EQ(f.sink.Count(), 0u);
    f.device.Hand_Connect();
    EXPECT_TRUE(f.device.HandshakeOk());
}

TEST(LinkFaults, SplitReplyCompletesOnTheNextRead) {
    LinkFixture f;
    f.device.OpenHIDDevice();
    f.backend.SplitReplies(1);
    EXPECT_TRUE(f.device.Hand_Connect());  // bytes arrived, but only half a packet
    EXPECT_FALSE(f.device.HandshakeOk());
    EXPECT_TRUE(f.device.ReadHIDData(100));
    EXPECT_TRUE(f.device.HandshakeOk());
}

TEST(LinkFaults, MergedRepliesBothDecoded) {
    LinkFixture f;
    f.device.OpenHIDDevice();
    f.backend.MergeReplies(1);
    f.device.Hand_Connect();  // its answer waits for the next one
    EXPECT_EQ(f.sink.Count(), 0u);
    f.device.Hand_Connect();
    EXPECT_EQ(f.sink.Count(), 2u);
}

TEST(LinkFaults, StalledUnitAnswersLate) {
    LinkFixture f;
    f.device.OpenHIDDevice();
    f.backend.StallFor(20000);
    EXPECT_FALSE(f.device.Hand_Connect());  // 10 s read time-out passes first
    EXPECT_TRUE(f.device.ReadHIDData(20000));
    EXPECT_TRUE(f.device.HandshakeOk());
}

TEST(LinkUnplug, DuringSendFailsAndStaysQuiet) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    f.sink.Take();
    f.backend.Unplug();
    EXPECT_FALSE(f.device.SendCtrlCommand(CMD_MCU, MCU_HANDSHAKE, OP_SET, nullptr, 0));
    EXPECT_FALSE(f.device.Hand_Connect());
    EXPECT_EQ(f.sink.Count(), 0u);
    f.device.CloseHIDDevice(true);  // the detach notice fails quietly
    EXPECT_FALSE(f.device.IsConnected());
    f.backend.Plug();
    EXPECT_TRUE(f.Connect());
}

TEST(LinkUnplug, DuringReadReturnsWithoutData) {
    link::SystemClock clock;
    LinkFixture f(&clock);
    ASSERT_TRUE(f.Connect());
    f.backend.StallFor(5000);
    bool result = true;
    std::thread t([&] { result = f.device.Exchange(CMD_MCU, MCU_HANDSHAKE, OP_SET, {}, 300).reportRead; });
    EXPECT_TRUE(WaitUntil([&] { return f.backend.ReadsInProgress() > 0; }));  // the read is waiting
    f.backend.Unplug();
    t.join();
    EXPECT_FALSE(result);
}

TEST(LinkUnplug, CloseDuringReadStopsTheRead) {
    link::SystemClock clock;
    LinkFixture f(&clock);
    ASSERT_TRUE(f.Connect());
    f.backend.StallFor(60000);
    bool result = true;
    std::thread t([&] { result = f.device.Exchange(CMD_MCU, MCU_HANDSHAKE, OP_SET, {}, 30000).reportRead; });
    EXPECT_TRUE(WaitUntil([&] { return f.backend.ReadsInProgress() > 0; }));  // the read is waiting
    f.device.CloseHIDDevice(false);
    t.join();
    EXPECT_FALSE(result);
    EXPECT_FALSE(f.device.IsConnected());
}

TEST(LinkSend, BusyExchangeTimesOutAWaitingWriter) {
    link::SystemClock clock;
    LinkFixture f(&clock);
    ASSERT_TRUE(f.Connect());
    f.backend.StallFor(60000);
    std::thread t([&] { f.device.Exchange(CMD_MCU, MCU_HANDSHAKE, OP_SET, {}, 3000); });
    EXPECT_TRUE(WaitUntil([&] { return f.backend.ReadsInProgress() > 0; }));  // the read is waiting
    uint64_t before = f.backend.ReportsWritten();
    // The other exchange holds the link beyond the write wait: this command is dropped.
    EXPECT_FALSE(f.device.SendCtrlCommand(CMD_MCU, MCU_PING, OP_SET, nullptr, 0));
    EXPECT_EQ(f.backend.ReportsWritten(), before);
    f.device.CloseHIDDevice(false);
    t.join();
}

TEST(LinkLifetime, DestroyedRightAfterConstruction) {
    for (int i = 0; i < 50; ++i) {
        LinkFixture f;
    }
}

TEST(LinkLifetime, QueuedCommandsDiscardedAtDestruction) {
    link::SystemClock clock;
    auto f = std::make_unique<LinkFixture>(&clock);
    ASSERT_TRUE(f->Connect());
    f->backend.StallFor(60000);
    f->device.EnableCmdQueue();
    for (int i = 0; i < 5; ++i) f->device.Send(CMD_MCU, MCU_HANDSHAKE, OP_SET, {}, false);
    // The worker sent the first one and waits for its answer.
    ASSERT_TRUE(WaitUntil([&] { return f->backend.ReadsInProgress() > 0; }));
    EXPECT_EQ(f->backend.ReportsWritten(), 3u);
    f->device.CloseHIDDevice(false);  // ends the read in progress
    f.reset();                        // the rest are freed unsent
}
