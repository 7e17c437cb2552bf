// The session's decisions that need no window: firmware versions against the built-in
// one, the filling of language texts, resource extraction, and the worker threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "core/firmware_upgrade.h"
#include "core/workers.h"
#include "platform/resources.h"

using namespace dvdsp::core;

TEST(FirmwarePolicy, VersionsAgainstTheBuiltInOne) {
    EXPECT_EQ(DecideFirmware(98, 2, 27, false), FirmwareAction::None);
    EXPECT_EQ(DecideFirmware(98, 2, 28, false), FirmwareAction::Newer);
    EXPECT_EQ(DecideFirmware(98, 3, 0, false), FirmwareAction::Newer);
    EXPECT_EQ(DecideFirmware(98, 2, 26, false), FirmwareAction::ForceUpdate);
    EXPECT_EQ(DecideFirmware(98, 1, 99, false), FirmwareAction::ForceUpdate);
    // The marker only silences the forced update.
    EXPECT_EQ(DecideFirmware(98, 2, 26, true), FirmwareAction::None);
    EXPECT_EQ(DecideFirmware(98, 2, 28, true), FirmwareAction::Newer);
    EXPECT_EQ(DecideFirmware(97, 2, 27, false), FirmwareAction::WrongModel);
    EXPECT_EQ(DecideFirmware(-1, 2, 27, false), FirmwareAction::WrongModel);
}

TEST(FirmwarePolicy, LanguageTextsAreFilledOnlyWithTheirNumbers) {
    EXPECT_EQ(FormatInts("v%d.%d is older than v%d.%d", {2, 26, 2, 27}), "v2.26 is older than v2.27");
    // Conversions other than %d stay as they are: a translation cannot make the program
    // read arguments it was not given.
    EXPECT_EQ(FormatInts("%s %n %x %d", {5}), "%s %n %x 5");
    EXPECT_EQ(FormatInts("%d %d %d", {1}), "1 %d %d");
    EXPECT_EQ(FormatInts("100%% %d", {7}), "100% 7");
    EXPECT_EQ(FormatInts("trailing %", {}), "trailing %");
    EXPECT_EQ(FormatInts(std::string(3000, 'x'), {}).size(), 1023u);
}

TEST(FirmwarePolicy, ResourceExtractionReportsEachFailure) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "dvdsp_extract_test";
    fs::create_directories(dir);
    const std::string file = (dir / "MCU_UPG.bin").string();
    dvdsp::platform::UnregisterResource("IDR_TEST_BIN", "BIN");
    EXPECT_EQ(ExtractResourceToFile("IDR_TEST_BIN", "BIN", file), 1);
    static const uint8_t bytes[] = {1, 2, 3, 4, 5};
    dvdsp::platform::RegisterResource("IDR_TEST_BIN", "BIN", bytes, sizeof bytes);
    EXPECT_EQ(ExtractResourceToFile("IDR_TEST_BIN", "BIN", (dir / "no" / "such" / "x.bin").string()), 5);
    ASSERT_EQ(ExtractResourceToFile("IDR_TEST_BIN", "BIN", file), 0);
    EXPECT_EQ(fs::file_size(file), sizeof bytes);
    dvdsp::platform::UnregisterResource("IDR_TEST_BIN", "BIN");
    fs::remove_all(dir);
}

TEST(Workers, EveryWorkerIsJoinedAndNoneOutlivesTheSet) {
    std::atomic<int> finished{0};
    {
        // The workers hold on until released, so that the set is gone with them still
        // running unless it joins them.
        std::mutex m;
        std::condition_variable cv;
        bool release = false;
        WorkerSet set;
        for (int i = 0; i < 5; ++i)
            set.Start("test worker", [&] {
                std::unique_lock lock(m);
                cv.wait(lock, [&] { return release; });
                ++finished;
            });
        EXPECT_EQ(set.Running(), 5);
        {
            std::lock_guard lock(m);
            release = true;
        }
        cv.notify_all();
    }
    EXPECT_EQ(finished.load(), 5);

    WorkerSet set;
    set.Start("quick", [&] { ++finished; });
    set.JoinAll();
    EXPECT_EQ(set.Running(), 0);
    set.Start("after", [&] { ++finished; });  // finished ones are reaped on the next start
    set.JoinAll();
    EXPECT_EQ(finished.load(), 7);
}
