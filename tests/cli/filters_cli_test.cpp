// dvdsp-cli filters import and export against the virtual unit: an import reaches the unit
// as the window sets it (the bridged neighbour follows), a refused file changes nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_cli.h"

namespace fs = std::filesystem;
using dvdsp::testing::RunCli;

namespace {

struct Folder {
    fs::path path = fs::temp_directory_path() / ("dvdsp_cli_filters_" + std::to_string(::getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
    std::string Write(const char* name, const std::string& text) const {
        std::ofstream(path / name, std::ios::binary) << text;
        return (path / name).string();
    }
};

TEST(CliFilters, AnImportReachesTheUnitAsTheWindowSetsItAndARefusedOneChangesNothing) {
    Folder dir;
    const std::string unit = "--virtual-unit=" + (dir.path / "unit.json").string();
    ASSERT_EQ(RunCli(unit + " set bridge 1 1").code, 0);
    const std::string good = dir.Write("good.txt",
                                       "Preamp: -6 dB\n"
                                       "Filter 1: ON PK Fc 120 Hz Gain -12 dB Q 1\n"
                                       "Filter 2: ON HP Fc 60 Hz\n");
    auto r = RunCli(unit + " filters import 2 " + good + " --preamp");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Worst difference from the file's filters: 0.0"), std::string::npos) << r.out;
    // The cookbook's Q 1 at -12 dB is the unit's Q 2.0; channel 3 is bridged to 2.
    r = RunCli(unit + " get eq 2 0 -- get eq 3 0 -- get filter 2 hp -- get trim 2");
    EXPECT_EQ(r.out, "120 2.00 -12.0\n120 2.00 -12.0\n1 60 2\n-6.00\n");

    const std::string bad = dir.Write("bad.txt",
                                      "Filter 1: ON PK Fc 300 Hz Gain -3 dB Q 1\n"
                                      "Filter 2: ON PK Fc 400 Hz Gain 20 dB Q 1\n");
    r = RunCli(unit + " filters import 2 " + bad);
    EXPECT_EQ(r.code, 5) << r.out;
    EXPECT_NE(r.out.find("line 2: a gain of 20 dB is outside the unit's -18 to 12 dB"), std::string::npos) << r.out;
    EXPECT_EQ(RunCli(unit + " get eq 2 0").out, "120 2.00 -12.0\n");
    EXPECT_EQ(RunCli(unit + " filters import 2 " + (dir.path).string()).code, 5) << "a folder";

    // Export, then import into another channel: the same bands and crossover.
    const std::string out = (dir.path / "ch2.txt").string();
    ASSERT_EQ(RunCli(unit + " filters export 2 " + out).code, 0);
    ASSERT_EQ(RunCli(unit + " filters import 6 " + out).code, 0);
    EXPECT_EQ(RunCli(unit + " get eq 6 0 -- get filter 6 hp").out, "120 2.00 -12.0\n1 60 2\n");
    EXPECT_EQ(RunCli(unit + " filters import 10 " + out).code, 1);
}

}  // namespace
