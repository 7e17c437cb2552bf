// File names as UTF-8 on every system, the temporary folder, the program's arguments.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/atomic_file.h"
#include "platform/locked_file.h"
#include "platform/paths.h"
#include "support/env.h"

namespace fs = std::filesystem;
using namespace dvdsp::platform;

namespace {

class Paths : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("dvdsp_paths_" + std::to_string(::getpid())) /
                  fs::path(u8"中文 Русский");
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_.parent_path(), ec);
    }
    fs::path folder_;
};

TEST_F(Paths, UnicodeNamesGoBothWays) {
    const std::string text = Utf8FromPath(folder_ / fs::path(u8"配置.spf"));
    EXPECT_NE(text.find("\xE4\xB8\xAD\xE6\x96\x87 \xD0\xA0\xD1\x83\xD1\x81"), std::string::npos) << text;
    EXPECT_EQ(PathFromUtf8(text), folder_ / fs::path(u8"配置.spf"));
}

TEST_F(Paths, FilesUnderUnicodeNamesAreWrittenReadAndLocked) {
    const std::string name = Utf8FromPath(folder_ / fs::path(u8"профиль.spf"));
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(name, "{\"a\":1}\n", &error)) << error;
    EXPECT_TRUE(fs::is_regular_file(folder_ / fs::path(u8"профиль.spf")));
    std::FILE* f = OpenFile(name, "rb");
    ASSERT_NE(f, nullptr);
    char buf[16] = {};
    EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 8u);  // no line ending added on the way
    std::fclose(f);
    EXPECT_EQ(std::string(buf), "{\"a\":1}\n");

    LockedFile a, b;
    bool created = false;
    ASSERT_EQ(a.Acquire(Utf8FromPath(folder_ / fs::path(u8"状态.state")), "x", &created, &error),
              LockedFile::Result::Locked)
        << error;
    EXPECT_TRUE(created);
    EXPECT_EQ(b.Acquire(Utf8FromPath(folder_ / fs::path(u8"状态.state")), "x", &created, &error),
              LockedFile::Result::InUse);
}

TEST(TempFolder, TmpComesFirst) {
    const std::string old = EnvironmentValue("TMP");
    const std::string mine = Utf8FromPath(fs::temp_directory_path() / fs::path(u8"tmp-临时"));
    dvdsp::testing::SetEnv("TMP", mine);
    EXPECT_EQ(TempFolder(), mine);
    if (old.empty())
        dvdsp::testing::UnsetEnv("TMP");
    else
        dvdsp::testing::SetEnv("TMP", old);
    EXPECT_FALSE(TempFolder().empty());
}

TEST(Arguments, AreTheProgramsOwnInOrder) {
    char program[] = "dvdsp-cli", first[] = "info";
    char* argv[] = {program, first, nullptr};
    // On Windows they come from the test program's own command line: only the count is known.
    EXPECT_EQ(Utf8Arguments(2, argv).size(), 2u);
#ifndef _WIN32
    EXPECT_EQ(Utf8Arguments(2, argv), (std::vector<std::string>{"dvdsp-cli", "info"}));
#endif
}

}  // namespace
