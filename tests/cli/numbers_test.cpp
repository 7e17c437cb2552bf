// Numbers on the command line: decimal or 0x hex as the help says, one word each.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "cli/numbers.h"

using namespace dvdsp::cli;

TEST(CliNumbers, WholeNumbersAreDecimalOrHex) {
    // The largest number is the system's (a long is 32 bits on Windows, 64 on Linux).
    const std::string largest = std::to_string(std::numeric_limits<long>::max());
    const std::string tooLarge = std::to_string(static_cast<unsigned long>(std::numeric_limits<long>::max()) + 1);
    const struct {
        const char* text;
        long value;
    } good[] = {{"0", 0},    {"10", 10},       {"010", 10},    {"08", 8},   {"+7", 7},
                {"-12", -12}, {"0x1F", 31},    {"0XbB", 0xBB}, {"-0x10", -16},
                {largest.c_str(), std::numeric_limits<long>::max()}};
    for (const auto& g : good) {
        long v = -999;
        EXPECT_TRUE(ParseInt(g.text, v)) << g.text;
        EXPECT_EQ(v, g.value) << g.text;
    }
    for (const char* bad : {"", " 5", "5 ", "\t5", "0x", "0x-5", "+-5", "--5", "5a", "0b1", "1.0",
                            tooLarge.c_str(), "0x1g"}) {
        long v = -999;
        EXPECT_FALSE(ParseInt(bad, v)) << '"' << bad << '"';
        EXPECT_EQ(v, -999) << bad;
    }
    long v = -999;
    EXPECT_FALSE(ParseInt(std::string("5\0" "1", 3), v));
}

TEST(CliNumbers, ValuesAreOneWord) {
    double v = 0;
    EXPECT_TRUE(ParseDouble("-3.25", v));
    EXPECT_EQ(v, -3.25);
    EXPECT_TRUE(ParseDouble("1e3", v));
    EXPECT_EQ(v, 1000);
    for (const char* bad : {"", " 1", "\n1", "1 ", "1,5", "abc", "1e999"}) EXPECT_FALSE(ParseDouble(bad, v)) << bad;
}

TEST(CliNumbers, IndexesStayInsideTheirSynopsis) {
    double at = -1;
    EXPECT_TRUE(ParseIndex("CH", "9", at));
    EXPECT_EQ(at, 9);
    EXPECT_FALSE(ParseIndex("CH", "10", at));
    EXPECT_FALSE(ParseIndex("CH", "010", at));  // ten, not channel 8
    EXPECT_FALSE(ParseIndex("CH", "-1", at));
    EXPECT_TRUE(ParseIndex("BAND", "0x1e", at));
    EXPECT_EQ(at, 30);
    EXPECT_TRUE(ParseIndex("hp|lp", "lp", at));
    EXPECT_EQ(at, 1);
    EXPECT_FALSE(ParseIndex("hp|lp", "2", at));
    EXPECT_TRUE(ParseIndex("MASK", "255", at));
    EXPECT_FALSE(ParseIndex("MASK", "256", at));
}
