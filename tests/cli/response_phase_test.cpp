// dvdsp-cli response with --phase, --group-delay and --sum, run as a program: a channel's
// phase and group delay, and the sum of two channels of a virtual unit and of its profile.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/test_folder.h"

namespace {

// The rows of a CSV answer, numbers only (the header is checked apart).
struct Table {
    int code = -1;
    std::string header;
    std::vector<std::vector<double>> rows;
    // The row nearest to `hz`.
    const std::vector<double>& At(double hz) const {
        size_t best = 0;
        for (size_t i = 0; i < rows.size(); ++i)
            if (std::fabs(std::log(rows[i][0] / hz)) < std::fabs(std::log(rows[best][0] / hz))) best = i;
        return rows[best];
    }
};

Table Respond(const std::string& args) {
    const dvdsp::testing::CliResult r = dvdsp::testing::RunCli(args, "", {}, false);
    Table t;
    t.code = r.code;
    std::stringstream in(r.out);
    std::getline(in, t.header);
    for (std::string line; std::getline(in, line);) {
        std::vector<double> row;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) row.push_back(std::stod(cell));
        t.rows.push_back(row);
    }
    return t;
}

TEST(ResponsePhase, PhaseAndGroupDelayOfAChannel) {
    // A Linkwitz-Riley low-pass of order 2 at 1 kHz: -90 degrees there.
    const Table t = Respond("response --lp lr,2,1000 --phase --group-delay");
    ASSERT_EQ(t.code, 0);
    EXPECT_EQ(t.header, "frequency_hz,level_db,phase_deg,phase_unwrapped_deg,group_delay_ms");
    ASSERT_EQ(t.rows.size(), 512u);
    const std::vector<double>& at = t.At(1000.0);
    EXPECT_NEAR(at[0], 1000.0, 1.0);
    EXPECT_NEAR(at[2], -90.0, 0.1);
    EXPECT_GT(at[4], 0.1);  // well above a tenth of a millisecond
    EXPECT_LT(at[4], 0.5);
    // The unwrapped phase keeps falling where the wrapped one jumps.
    EXPECT_LT(t.At(20000.0)[3], -170.0);
}

TEST(ResponsePhase, RefusesWhatASumCannotTake) {
    for (const char* args : {"response --sum 0", "response --sum 0,0", "response --sum 0,10",
                             "response --sum 0,1 --hp 1,2,100", "response --sum 0,1 --group-delay",
                             "response --profile x.spf"})
        EXPECT_EQ(Respond(args).code, 1) << args;
}

class ResponseSum : public dvdsp::testing::FolderTest {
protected:
    ResponseSum() : FolderTest("dvdsp_sum_") {}
};

TEST_F(ResponseSum, SumsChannelsOfTheUnitAndOfItsProfile) {
    const std::string unit = "--virtual-unit=" + (dir_ / "unit.json").string() + " ";
    // Channel 0 below, channel 1 above a Linkwitz-Riley crossover of order 2 at 1 kHz.
    ASSERT_EQ(Respond(unit + "set filter 0 lp 2 1000 2 -- set filter 1 hp 2 1000 2 -- set filter 0 hp 1 20 0 -- "
                         "set filter 1 lp 1 20000 0").code, 0);
    const Table inPhase = Respond(unit + "response --sum 0,1");
    ASSERT_EQ(inPhase.code, 0);
    EXPECT_EQ(inPhase.header, "frequency_hz,ch0_level_db,ch1_level_db,sum_level_db");
    EXPECT_NEAR(inPhase.At(1000.0)[1], -6.02, 0.05);
    EXPECT_LT(inPhase.At(1000.0)[3], -40.0) << "in phase they cancel at the crossover";

    ASSERT_EQ(Respond(unit + "set phase 1 1").code, 0);
    const std::string profile = (dir_ / "car.spf").string();
    ASSERT_EQ(Respond(unit + "backup " + profile).code, 0);
    // From the profile, without a unit: one side inverted, the sum is flat.
    const Table inverted = Respond("response --sum 0,1 --profile " + profile + " --phase");
    ASSERT_EQ(inverted.code, 0);
    EXPECT_EQ(inverted.header, "frequency_hz,ch0_level_db,ch1_level_db,sum_level_db,sum_phase_deg");
    for (const std::vector<double>& row : inverted.rows)
        if (row[0] <= 20000.0) {
            ASSERT_NEAR(row[3], 0.0, 0.01) << row[0];
        }
    EXPECT_EQ(Respond("response --sum 0,1 --profile " + (dir_ / "none.spf").string()).code, 5);
}

}  // namespace
