// A file held by one holder at a time, whatever name reaches it, also while its content is
// replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/locked_file.h"
#include "support/file_size_limit.h"

namespace dvdsp::platform {
namespace {

namespace fs = std::filesystem;
using Result = LockedFile::Result;

class Locked : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::path(::testing::TempDir()) /
                  ("dvdsp_locked_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "sub");
        path_ = (folder_ / "unit.json").string();
    }
    void TearDown() override { fs::remove_all(folder_); }
    static std::string Read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    Result Take(LockedFile& f, const std::string& p, bool* created = nullptr) {
        std::string error;
        const Result r = f.Acquire(p, "new", created, &error);
        if (r == Result::Failed) ADD_FAILURE() << error;
        return r;
    }
    fs::path folder_;
    std::string path_;
};

TEST_F(Locked, AMissingFileIsCreatedWholeAndHeldUntilLetGo) {
    LockedFile a, b;
    bool created = false;
    ASSERT_EQ(Take(a, path_, &created), Result::Locked);
    EXPECT_TRUE(created);
    EXPECT_EQ(Read(path_), "new");  // complete from the start
    EXPECT_EQ(Take(b, path_, &created), Result::InUse);
    a.Release();
    EXPECT_EQ(Take(b, path_, &created), Result::Locked);
    EXPECT_FALSE(created);
}

TEST_F(Locked, EveryNameOfTheFileMeetsTheSameLock) {
    { std::ofstream(path_) << "x"; }
    // (A file with a second name, a hard link, is refused: file_access_test.cpp.)
    const std::string roundabout = (folder_ / "sub" / ".." / "unit.json").string();
    std::vector<std::string> names{roundabout};
    // A symbolic link where the system lets anyone make one (Windows asks for a privilege).
    const std::string symlink = (folder_ / "link.json").string();
    std::error_code ec;
    fs::create_symlink(path_, symlink, ec);
    if (!ec) names.push_back(symlink);
#ifndef _WIN32
    EXPECT_FALSE(ec) << ec.message();
#endif

    LockedFile holder;
    ASSERT_EQ(Take(holder, path_), Result::Locked);
    for (const std::string& name : names) {
        LockedFile other;
        EXPECT_EQ(Take(other, name), Result::InUse) << name;
    }
}

TEST_F(Locked, TheLockPassesToTheNewContentWithoutAGap) {
    LockedFile holder;
    ASSERT_EQ(Take(holder, path_), Result::Locked);
    std::string error;
    for (const char* content : {"first", "second"}) {
        ASSERT_TRUE(holder.Replace(content, &error)) << error;
        EXPECT_EQ(Read(path_), content);
        LockedFile other;
        EXPECT_EQ(Take(other, path_), Result::InUse);
        std::string got;
        ASSERT_TRUE(holder.Read(&got, &error)) << error;
        EXPECT_EQ(got, content);
    }
    // Nothing is left beside the file.
    int files = 0;
    for (const auto& e : fs::directory_iterator(folder_)) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST_F(Locked, AFailedReplaceKeepsTheOldContentAndTheLock) {
    DVDSP_NEEDS_FILE_SIZE_LIMIT();
    LockedFile holder;
    ASSERT_EQ(Take(holder, path_), Result::Locked);
    std::string error;
    ASSERT_TRUE(holder.Replace("kept", &error)) << error;
    {
        testing::FileSizeLimit full(2);  // a disk with room for two bytes
        EXPECT_FALSE(holder.Replace("longer than the room", &error));
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Read(path_), "kept");
    LockedFile other;
    EXPECT_EQ(Take(other, path_), Result::InUse);
}

TEST_F(Locked, AFileMovedAsideIsReplacedByANewOneStillHeld) {
    { std::ofstream(path_) << "damaged"; }
    LockedFile holder;
    ASSERT_EQ(Take(holder, path_), Result::Locked);
    std::string error;
    const std::string aside = path_ + ".bad.1";
    ASSERT_TRUE(holder.MoveAside(aside, &error)) << error;
    ASSERT_TRUE(holder.Replace("fresh", &error)) << error;
    EXPECT_EQ(Read(aside), "damaged");
    EXPECT_EQ(Read(path_), "fresh");
    LockedFile other;
    EXPECT_EQ(Take(other, path_), Result::InUse);
}

TEST_F(Locked, AFileThatCannotBeOpenedIsAFailureWithTheReason) {
    LockedFile f;
    std::string error;
    EXPECT_EQ(f.Acquire((folder_ / "missing-folder" / "unit.json").string(), "new", nullptr, &error),
              Result::Failed);
    EXPECT_NE(error.find("missing-folder"), std::string::npos) << error;
    EXPECT_FALSE(f.Held());
}

}  // namespace
}  // namespace dvdsp::platform
