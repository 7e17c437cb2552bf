// dvdsp-cli response with a measurement and a target, run as a program: the measured,
// target and predicted columns, the plot alone printing nothing, refused files and options.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_cli.h"
#include "support/test_folder.h"

namespace {

class ResponseOverlay : public dvdsp::testing::FolderTest {
protected:
    ResponseOverlay() : FolderTest("dvdsp_overlay_") {}
    std::string Write(const char* name, const std::string& text) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path) << text;
        return path;
    }
};

// The rows of a CSV answer; an empty cell is NaN.
std::vector<std::vector<double>> Rows(const std::string& out, std::string& header) {
    std::stringstream in(out);
    std::getline(in, header);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<double> row;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) row.push_back(cell.empty() ? NAN : std::stod(cell));
        if (!line.empty() && line.back() == ',') row.push_back(NAN);
        rows.push_back(row);
    }
    return rows;
}

TEST_F(ResponseOverlay, MeasurementTargetAndPredictionBesideTheChannel) {
    const std::string m = Write("m.txt", "* Freq(Hz) SPL(dB) Phase(degrees)\n20 90 0\n200 84 0\n1000 80 0\n20000 74 0\n");
    const dvdsp::testing::CliResult r = dvdsp::testing::RunCli(
        "response --band 1000,1,6 --hp lr,4,80 --measurement " + m + " --target-lift 6,80,-1 --smooth 1/6", "", {}, false);
    ASSERT_EQ(r.code, 0) << r.out;
    std::string header;
    const auto rows = Rows(r.out, header);
    EXPECT_EQ(header, "frequency_hz,level_db,measured_db,target_db,predicted_db");
    ASSERT_EQ(rows.size(), 512u);
    int inside = 0;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 5u);
        if (row[0] < 20 || row[0] > 20000) {
            EXPECT_TRUE(std::isnan(row[2]) && std::isnan(row[4])) << row[0];
            continue;
        }
        ++inside;
        EXPECT_NEAR(row[4], row[2] + row[1], 2e-6) << row[0];  // the measurement with the channel on it
        if (std::fabs(std::log2(row[0] / 1000)) < 0.01) {
            EXPECT_NEAR(row[2], 0.0, 0.1);  // brought to 0 dB at 1 kHz
            EXPECT_NEAR(row[3], 0.0, 0.1);
        }
    }
    EXPECT_GT(inside, 300);

    // --plot alone prints nothing; the picture is written.
    const std::string png = (dir_ / "p.png").string();
    const dvdsp::testing::CliResult plotted = dvdsp::testing::RunCli(
        "response --band 1000,1,6 --measurement " + m + " --target-lift 3,100 --plot " + png, "", {}, false);
    EXPECT_EQ(plotted.code, 0);
    EXPECT_EQ(plotted.out, "");
    EXPECT_GT(std::filesystem::file_size(png), 1000u);
}

TEST_F(ResponseOverlay, RefusedFilesAndOptionsChangeNothing) {
    const std::string bad = Write("bad.txt", "20 90\n1000 80\n500 70\n");
    const dvdsp::testing::CliResult r = dvdsp::testing::RunCli("response --measurement " + bad, "", {});
    EXPECT_EQ(r.code, 5);
    EXPECT_NE(r.out.find("line 3: frequency 500 Hz is not above the one before it"), std::string::npos) << r.out;
    const std::string good = Write("good.txt", "20 90\n1000 80\n");
    EXPECT_EQ(dvdsp::testing::RunCli("response --measurement " + dir_.string()).code, 5);
    for (const std::string& args :
         {"response --measurement " + good + " --smooth 1/5", "response --sum 0,1 --measurement " + good,
          "response --calibration " + good, "response --target " + good + " --target-lift 3,100",
          "response --measurement " + good + " --align 2000-500"})
        EXPECT_EQ(dvdsp::testing::RunCli(args).code, 1) << args;
}

}  // namespace
