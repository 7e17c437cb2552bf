// Files replaced in one step: the old file stays whole until the new one is complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/atomic_file.h"
#include "support/file_size_limit.h"

namespace dvdsp::platform {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::path(::testing::TempDir()) /
                  ("dvdsp_atomic_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        path_ = (folder_ / "backup.wpf").string();
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string Read() {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    size_t FilesInFolder() { return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {})); }
    fs::path folder_;
    std::string path_;
};

TEST_F(AtomicFile, WritesAndReplaces) {
    ASSERT_TRUE(WriteFileAtomically(path_, "first"));
    EXPECT_EQ(Read(), "first");
    ASSERT_TRUE(WriteFileAtomically(path_, std::string(100000, 'x')));
    EXPECT_EQ(Read(), std::string(100000, 'x'));
    EXPECT_EQ(FilesInFolder(), 1u);  // no temporary file left behind
}

TEST_F(AtomicFile, AFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    DVDSP_NEEDS_FILE_SIZE_LIMIT();
    ASSERT_TRUE(WriteFileAtomically(path_, "the good backup"));
    std::string error;
    {
        dvdsp::testing::FileSizeLimit full(64);
        EXPECT_FALSE(WriteFileAtomically(path_, std::string(4096, 'y'), &error));
    }
    EXPECT_NE(error.find(path_), std::string::npos);
    EXPECT_EQ(Read(), "the good backup");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(AtomicFile, AMissingFolderOrADirectoryIsAnError) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically((folder_ / "no" / "such.spf").string(), "x", &error));
    EXPECT_FALSE(error.empty());
    fs::create_directory(path_);
    EXPECT_FALSE(WriteFileAtomically(path_, "x", &error));
    EXPECT_TRUE(fs::is_directory(path_));
    EXPECT_EQ(FilesInFolder(), 1u);
}

}  // namespace
}  // namespace dvdsp::platform
