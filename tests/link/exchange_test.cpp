// Exchanges inside a sequence: a command is sent again when its reply does not come, a
// split reply is read on, a late reply is not taken for a later command, and a device
// that went away closes the link at once.
#include <gtest/gtest.h>

#include "link/commands.h"
#include "support/link_fixture.h"

namespace dvdsp::link {
namespace {

using dvdsp::testing::LinkFixture;
using Fault = emu::VirtualHidBackend::Fault;

ExchangeOutcome HandShake(DspDevice& d) { return d.Exchange(CMD_MCU, MCU_HANDSHAKE, OP_SET, {}, kDefaultReadTimeoutMs); }

TEST(ExchangeRetry, ADroppedReplyIsAskedForAgain) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    ExchangeSequence seq(f.device, "test");
    f.backend.DropReplies(1);
    const uint64_t written = f.backend.ReportsWritten();
    const ExchangeOutcome o = HandShake(f.device);
    EXPECT_TRUE(o.Answered());
    EXPECT_EQ(o.attempts, 2);
    EXPECT_EQ(f.backend.ReportsWritten() - written, 2u);
    EXPECT_TRUE(seq.Complete());
    EXPECT_EQ(seq.Resent(), 1);
}

TEST(ExchangeRetry, OnItsOwnAnExchangeReadsOneReportAndDoesNotResend) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    f.backend.DropReplies(1);
    const uint64_t written = f.backend.ReportsWritten();
    const ExchangeOutcome o = HandShake(f.device);
    EXPECT_EQ(o.result, ExchangeResult::Unanswered);
    EXPECT_EQ(f.backend.ReportsWritten() - written, 1u);
}

TEST(ExchangeRetry, ASplitReplyIsReadOnNotSentAgain) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    ExchangeSequence seq(f.device, "test");
    f.backend.SplitReplies(1);
    const uint64_t written = f.backend.ReportsWritten();
    const ExchangeOutcome o = HandShake(f.device);
    EXPECT_TRUE(o.Answered());
    EXPECT_EQ(o.attempts, 1);
    EXPECT_EQ(f.backend.ReportsWritten() - written, 1u);
}

TEST(ExchangeRetry, AReplyThatNeverComesIsNamedAfterThreeAttempts) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    ExchangeSequence seq(f.device, "test");
    f.backend.DropReplies(kExchangeAttempts);
    const uint64_t t0 = f.manual.NowMs();
    const ExchangeOutcome o = f.device.Exchange(CMD_DSP, DSP_TRIM_CH, OP_GET, {0, 0, 0, 9}, kDefaultReadTimeoutMs);
    EXPECT_EQ(o.result, ExchangeResult::Unanswered);
    EXPECT_EQ(o.attempts, kExchangeAttempts);
    EXPECT_EQ(f.manual.NowMs() - t0, static_cast<uint64_t>(kExchangeAttempts * kDefaultReadTimeoutMs));
    EXPECT_FALSE(seq.Complete());
    EXPECT_NE(seq.Summary().find("1 of 1 commands unanswered"), std::string::npos) << seq.Summary();
    EXPECT_NE(seq.Summary().find("DSP_TRIM_CH get [00 00 00 09]"), std::string::npos) << seq.Summary();
    EXPECT_TRUE(f.device.IsConnected());
}

TEST(ExchangeRetry, ALateReplyIsNotTakenForTheNextCommandOfItsKind) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    ExchangeSequence seq(f.device, "test");
    f.backend.StallFor(15000);  // longer than the read time-out: the first band block is asked twice
    f.device.Get_EQ(0, 0, 1, 0, 6);
    f.device.Get_EQ(0, 0, 1, 7, 13);
    EXPECT_TRUE(seq.Complete()) << seq.Summary();
    EXPECT_EQ(seq.Resent(), 1);
    EXPECT_EQ(f.backend.PendingReports(), 0u) << "the second block's reply was left unread";
}

TEST(ExchangeRetry, AnArmedFaultHitsOnlyTheReplyItWasArmedFor) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    f.backend.ArmFault(Fault::Drop, 1);
    EXPECT_TRUE(HandShake(f.device).Answered());
    EXPECT_EQ(HandShake(f.device).result, ExchangeResult::Unanswered);
    EXPECT_TRUE(HandShake(f.device).Answered());
}

TEST(DeviceGone, AFailedWriteClosesTheLinkAtOnce) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    f.backend.Unplug();
    const uint64_t t0 = f.manual.NowMs();
    EXPECT_EQ(HandShake(f.device).result, ExchangeResult::Gone);
    EXPECT_FALSE(f.device.IsConnected());
    EXPECT_EQ(HandShake(f.device).result, ExchangeResult::NotSent);
    EXPECT_LT(f.manual.NowMs() - t0, static_cast<uint64_t>(kDefaultReadTimeoutMs));
}

TEST(DeviceGone, AFailedReadClosesTheLinkAtOnce) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    f.backend.ArmFault(Fault::Unplug, 0);  // the command gets through, its reply never comes
    const uint64_t t0 = f.manual.NowMs();
    f.device.Get_Trim(0, 0, 0, 9);
    EXPECT_FALSE(f.device.IsConnected());
    EXPECT_LT(f.manual.NowMs() - t0, static_cast<uint64_t>(kDefaultReadTimeoutMs));
}

TEST(DeviceGone, QueuedCommandsAfterAnUnplugDoNotWaitTheirTimeOut) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    f.device.EnableCmdQueue();
    f.backend.Unplug();
    const uint64_t t0 = f.manual.NowMs();
    for (int i = 0; i < 5; ++i) f.device.Trim_Ctrl(0, 0, 1, 1, {-1.0f}, false);
    ASSERT_TRUE(f.device.WaitQueueIdle(10000));
    EXPECT_FALSE(f.device.IsConnected());
    EXPECT_LT(f.manual.NowMs() - t0, static_cast<uint64_t>(kDefaultReadTimeoutMs));
}

TEST(DeviceGone, ASequenceEndsAndSaysWhereTheUnitWent) {
    LinkFixture f;
    ASSERT_TRUE(f.Connect());
    ExchangeSequence seq(f.device, "restore");
    f.backend.ArmFault(Fault::Unplug, 1);
    const uint64_t written = f.backend.ReportsWritten();
    for (uint8_t ch = 0; ch < 5; ++ch) f.device.Trim_Ctrl(0, 0, ch, ch, {-2.0f}, true);
    EXPECT_EQ(f.backend.ReportsWritten() - written, 2u) << "nothing is written after the unit went";
    EXPECT_TRUE(seq.DeviceGone());
    EXPECT_NE(seq.Summary().find("restore: the unit went away at DSP_TRIM_CH set [00 00 01 01"), std::string::npos)
        << seq.Summary();
    EXPECT_NE(seq.Summary().find("3 later commands were not sent"), std::string::npos) << seq.Summary();
}

}  // namespace
}  // namespace dvdsp::link
