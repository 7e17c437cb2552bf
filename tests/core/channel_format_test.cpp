// The texts of the main page's volume, trim and delay values and the delay units.
#include <gtest/gtest.h>

#include "core/channel_format.h"

using namespace dvdsp::core;

TEST(ChannelFormat, MainVolumeIsWholeDecibelsOrOff) {
    EXPECT_EQ(MainVolumeText(-60), "${off}");
    EXPECT_EQ(MainVolumeText(-59), "-59dB");
    EXPECT_EQ(MainVolumeText(0), "0dB");
}

TEST(ChannelFormat, TrimIsTruncatedTowardZeroToHalfDecibels) {
    EXPECT_EQ(TrimText(-3.7f, false), "-3.5dB");
    EXPECT_EQ(TrimText(-3.5f, false), "-3.5dB");
    EXPECT_EQ(TrimText(-0.4f, false), "0.0dB");
    EXPECT_EQ(TrimText(-59.9f, false), "-59.5dB");
    EXPECT_EQ(TrimText(-60.0f, true), "${off}");
    EXPECT_EQ(TrimTenths(-3.7f), -37);
}

TEST(ChannelFormat, DelayUnitsConvertClampAndRound) {
    EXPECT_EQ(DelayText(15.0f, kDelayCm), "519 cm");
    EXPECT_EQ(DelayText(15.0f, kDelayInch), "204 in");
    EXPECT_EQ(DelayText(15.0f, kDelayMs), "15.000 ms");
    EXPECT_EQ(DelayText(15.0f, kDelayCm, true), "519");
    EXPECT_FLOAT_EQ(DelayFromText("519 cm", kDelayCm), 15.0f);
    EXPECT_FLOAT_EQ(DelayFromText("204", kDelayInch), 15.0f);
    EXPECT_FLOAT_EQ(DelayFromText("600", kDelayCm), 15.0f);
    EXPECT_FLOAT_EQ(DelayFromText("-5", kDelayInch), 0.0f);
    EXPECT_FLOAT_EQ(DelayFromText("99", kDelayMs), 15.0f);
    EXPECT_FLOAT_EQ(DelayFromText("rubbish", kDelayMs), 0.0f);
    EXPECT_FLOAT_EQ(NormalizeDelay(1.0f, kDelayCm), 35.0f * 15.0f / 519.0f);
    EXPECT_FLOAT_EQ(NormalizeDelay(1.2346f, kDelayMs), 1.235f);
    EXPECT_FLOAT_EQ(NormalizeDelay(-1.0f, kDelayMs), 0.0f);
    EXPECT_FLOAT_EQ(NormalizeDelay(16.0f, kDelayInch), 15.0f);
    // Every whole centimetre shows as itself again.
    for (int cm = 0; cm <= kMaxDelayCm; ++cm)
        ASSERT_EQ(DelayText(DelayFromText(std::to_string(cm), kDelayCm), kDelayCm), std::to_string(cm) + " cm");
    for (int in = 0; in <= kMaxDelayInch; ++in)
        ASSERT_EQ(DelayText(DelayFromText(std::to_string(in), kDelayInch), kDelayInch), std::to_string(in) + " in");
}
