// Settings file, display scale and the single-instance lock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/settings.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "support/env.h"

namespace fs = std::filesystem;
using namespace dvdsp;

namespace {
#ifdef _WIN32
// The settings file lives in the machine's application-data folder: whatever is there is
// kept aside for the test and put back afterwards.
struct TempConfigHome {
    fs::path file = platform::PathFromUtf8(SettingsPath());
    fs::path kept = fs::path(file).concat(L".test-" + std::to_wstring(::getpid()));
    bool had = false;
    TempConfigHome() {
        std::error_code ec;
        had = fs::exists(file, ec);
        if (had) fs::rename(file, kept);
    }
    ~TempConfigHome() {
        std::error_code ec;
        fs::remove(file, ec);
        if (had) fs::rename(kept, file, ec);
    }
};
#else
struct TempConfigHome {
    fs::path dir = fs::temp_directory_path() / ("dvdsp_cfg_" + std::to_string(::getpid()));
    std::string old;
    TempConfigHome() {
        if (const char* o = std::getenv("XDG_CONFIG_HOME")) old = o;
        fs::create_directories(dir);
        dvdsp::testing::SetEnv("XDG_CONFIG_HOME", dir.string());
    }
    ~TempConfigHome() {
        if (old.empty())
            dvdsp::testing::UnsetEnv("XDG_CONFIG_HOME");
        else
            dvdsp::testing::SetEnv("XDG_CONFIG_HOME", old);
        fs::remove_all(dir);
    }
};
#endif
}  // namespace

TEST(Settings, PathIsInTheUsersConfigFolder) {
    TempConfigHome home;
#ifdef _WIN32
    EXPECT_EQ(SettingsPath(), platform::EnvironmentValue("ProgramData") + "\\dravik.ini");
#else
    EXPECT_EQ(SettingsPath(), (home.dir / "dvdsp" / "dravik.ini").string());
#endif
}

TEST(Settings, LanguageDefaultsAndRoundTrip) {
    TempConfigHome home;
    EXPECT_EQ(ReadLanguageSetting(), 0);
    ASSERT_TRUE(WriteSettingInt("lan", 2));
    EXPECT_EQ(ReadLanguageSetting(), 2);
    ASSERT_TRUE(WriteSettingInt("mem_addr", 4660));
    EXPECT_EQ(ReadSettingInt("mem_addr", 0), 4660);
    EXPECT_EQ(ReadLanguageSetting(), 2);
}

TEST(Settings, KeepsForeignLinesAndSections) {
    TempConfigHome home;
    fs::create_directories(platform::PathFromUtf8(SettingsFolder()));
    std::ofstream(platform::PathFromUtf8(SettingsPath())) << "; note\r\n[other]\r\nlan=9\r\n[config]\r\nfactoryEQ=1\r\n";
    ASSERT_TRUE(WriteSettingInt("lan", 1));
    IniFile ini;
    ASSERT_TRUE(ini.Load(SettingsPath()));
    EXPECT_EQ(ini.GetInt("config", "lan", -1), 1);
    EXPECT_EQ(ini.GetInt("other", "lan", -1), 9);
    EXPECT_EQ(ini.GetInt("config", "factoryEQ", -1), 1);
    EXPECT_EQ(ReadLanguageSetting(), 1);
}

TEST(Settings, GarbageValueGivesTheDefault) {
    TempConfigHome home;
    fs::create_directories(platform::PathFromUtf8(SettingsFolder()));
    std::ofstream(platform::PathFromUtf8(SettingsPath())) << "[config]\nlan=abc\n";
    EXPECT_EQ(ReadLanguageSetting(), 0);
    // Too large for the program's numbers: not read as what is left of it once cut short.
    std::ofstream(platform::PathFromUtf8(SettingsPath())) << "[config]\nlan=4294967297\nfactoryEQ=-99999999999999999999\n";
    EXPECT_EQ(ReadLanguageSetting(), 0);
    EXPECT_EQ(ReadSettingInt("factoryEQ", 7), 7);
    std::ofstream(platform::PathFromUtf8(SettingsPath())) << "[config]\nlan=2147483647\nfactoryEQ=-2147483648\n";
    EXPECT_EQ(ReadSettingInt("lan", 0), 2147483647);
    EXPECT_EQ(ReadSettingInt("factoryEQ", 0), -2147483647 - 1);
}

TEST(DisplayScale, FromTheWidestMonitor) {
    struct Row {
        const char* what;
        int w, h, expect;
    } rows[] = {
        {"full HD is 1.5", 1920, 1080, 144}, {"720p is 1.0", 1280, 720, 96},
        {"XGA is 0.8", 1024, 768, 77},       {"4K is 3.0", 3840, 2160, 288},
        {"1.25 exactly", 1600, 900, 120},    {"QHD", 2560, 1440, 192},
        {"empty screen", 0, 0, 96},
    };
    for (const Row& r : rows) {
        ScreenRect primary{0, 0, r.w, r.h};
        EXPECT_EQ(ChooseDisplayScale(primary, primary, {primary}), r.expect) << r.what;
    }
}

TEST(DisplayScale, SecondMonitorWinsOnlyWhenStrictlyWider) {
    ScreenRect primary{0, 0, 1280, 720};
    ScreenRect wide{1280, 0, 1280 + 3840, 2160};
    ScreenRect same{-1280, 0, 0, 2000};
    EXPECT_EQ(ChooseDisplayScale(primary, primary, {primary, wide}), 288);
    EXPECT_EQ(ChooseDisplayScale(primary, primary, {primary, same}), 96);
    EXPECT_EQ(ScaleFromFactor(1.9999f), 144);
    EXPECT_EQ(ScaleFromFactor(2.0f), 192);
}

TEST(InstanceLock, SecondHolderIsRefusedUntilReleased) {
    std::string name = "dvdsp_test_lock_" + std::to_string(::getpid());
    platform::NamedMutex a, b;
    ASSERT_TRUE(a.Acquire(name));
    EXPECT_FALSE(b.Acquire(name));
    EXPECT_TRUE(b.AlreadyExists());
    a.Release();
    EXPECT_TRUE(b.Acquire(name));
}

#ifndef _WIN32
TEST(InstanceLock, ProcessesWithAnotherRuntimeFolderMeetTheSameLock) {
    const std::string name = "dvdsp_test_lock_env_" + std::to_string(::getpid());
    const char* had = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = had ? had : "";
    const auto dir = std::filesystem::temp_directory_path() / ("dvdsp_runtime_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    platform::NamedMutex a, b, c;
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    ASSERT_TRUE(a.Acquire(name)) << a.Error();
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_FALSE(b.Acquire(name));
    EXPECT_TRUE(b.AlreadyExists());
    ::setenv("XDG_RUNTIME_DIR", "/", 1);
    EXPECT_FALSE(c.Acquire(name));
    EXPECT_TRUE(c.AlreadyExists());
    if (had) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
    a.Release();
    std::filesystem::remove_all(dir);
    EXPECT_EQ(platform::InstanceLockFolder(), "/tmp/dvdsp-" + std::to_string(::geteuid()));
}
#endif

TEST(InstanceLock, NameCarriesTheModel) {
    EXPECT_EQ(platform::InstanceMutexName(), "DRAVIKUNIT_VTR50");
}
