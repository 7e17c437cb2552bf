// Files reached through links, files others may plant, read-only files, leftovers of a
// killed run and files that are no regular files. POSIX only: links, FIFOs and modes are
// made with its calls.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/log.h"
#include "platform/atomic_file.h"
#include "platform/file_access.h"
#include "platform/locked_file.h"
#include "support/test_folder.h"

namespace dvdsp::platform {
namespace {

namespace fs = std::filesystem;

std::string Content(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Put(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

class FileAccess : public dvdsp::testing::FolderTest {
  protected:
    FileAccess() : FolderTest("dvdsp_file_access_") {}
    std::string P(const char* name) const { return (dir_ / name).string(); }
};

TEST_F(FileAccess, AReplacementThroughASymbolicLinkReplacesTheFileItLeadsTo) {
    fs::create_directory(dir_ / "real");
    Put(dir_ / "real" / "unit.state", "old");
    fs::create_symlink("real/unit.state", dir_ / "link.state");
    ASSERT_TRUE(WriteFileAtomically(P("link.state"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.state"));
    EXPECT_EQ(Content(dir_ / "real" / "unit.state"), "new");

    // A locked file held through the link: both names keep meeting one file and one lock.
    LockedFile byLink, byName;
    std::string error;
    ASSERT_EQ(byLink.Acquire(P("link.state"), "", nullptr, &error), LockedFile::Result::Locked) << error;
    EXPECT_EQ(byName.Acquire(P("real/unit.state"), "", nullptr, &error), LockedFile::Result::InUse);
    ASSERT_TRUE(byLink.Replace("newer", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.state"));
    EXPECT_EQ(Content(dir_ / "real" / "unit.state"), "newer");
}

TEST_F(FileAccess, AFileWithTwoNamesIsRefusedAndKeptAsItIs) {
    Put(dir_ / "a.wpf", "old");
    fs::create_hard_link(dir_ / "a.wpf", dir_ / "b.wpf");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(P("a.wpf"), "new", &error));
    EXPECT_NE(error.find("hard links"), std::string::npos) << error;
    EXPECT_EQ(Content(dir_ / "a.wpf"), "old");
    EXPECT_EQ(fs::hard_link_count(dir_ / "b.wpf"), 2u);
    LockedFile f;
    EXPECT_EQ(f.Acquire(P("b.wpf"), "", nullptr, &error), LockedFile::Result::Failed);
    EXPECT_NE(error.find("hard links"), std::string::npos) << error;
}

TEST_F(FileAccess, AReadOnlyFileIsRefusedAndAReplacedOneKeepsItsMode) {
    Put(dir_ / "ro.spf", "kept");
    fs::permissions(dir_ / "ro.spf", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(P("ro.spf"), "new", &error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(Content(dir_ / "ro.spf"), "kept");

    Put(dir_ / "private.spf", "old");
    fs::permissions(dir_ / "private.spf", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteFileAtomically(P("private.spf"), "new", &error)) << error;
    EXPECT_EQ(fs::status(dir_ / "private.spf").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileAccess, LeftoversOfADeadWriterGoWithTheNextWriteOthersStay) {
    // 2147483647 is above any process number the system gives.
    const std::string dead = ".dvdsp-tmp-2147483647-", mine = ".dvdsp-tmp-" + std::to_string(::getpid()) + "-";
    const fs::path stale = dir_ / ("a.wpf" + dead + "Ab12Cd"), fresh = dir_ / ("b.wpf" + dead + "Ef34Gh"),
                   live = dir_ / ("c.wpf" + mine + "Ij56Kl"), foreign = dir_ / "d.wpf.Mn78Op";
    for (const fs::path& p : {stale, fresh, live, foreign}) Put(p, "part");
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const fs::path& p : {stale, live, foreign}) fs::last_write_time(p, hourAgo);
    ASSERT_TRUE(WriteFileAtomically(P("e.wpf"), "x"));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh)) << "a recent one may belong to a writer elsewhere";
    EXPECT_TRUE(fs::exists(live)) << "its writer is alive";
    EXPECT_TRUE(fs::exists(foreign)) << "not of this program's pattern";
}

TEST_F(FileAccess, OnlyRegularFilesAreReadAndNoMoreThanTheLimit) {
    std::string out, error;
    EXPECT_EQ(ReadRegularFile("/dev/zero", 1024, &out, &error), ReadStatus::NotRegular);
    EXPECT_TRUE(out.empty());
    ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadRegularFile(P("fifo"), 1024, &out), ReadStatus::NotRegular);  // returns, no writer needed
    EXPECT_EQ(ReadRegularFile(dir_.string(), 1024, &out), ReadStatus::NotRegular);
    EXPECT_EQ(ReadRegularFile(P("missing"), 1024, &out), ReadStatus::Missing);
    Put(dir_ / "f", std::string(1025, 'x'));
    EXPECT_EQ(ReadRegularFile(P("f"), 1024, &out, &error), ReadStatus::TooLarge);
    EXPECT_NE(error.find("larger than 1024 bytes"), std::string::npos) << error;
    ASSERT_EQ(ReadRegularFile(P("f"), 1025, &out), ReadStatus::Ok);
    EXPECT_EQ(out.size(), 1025u);
}

TEST_F(FileAccess, APrivateFolderIsNewAndItsRemovalNeverFollowsALink) {
    fs::create_directory(dir_ / "victim");
    Put(dir_ / "victim" / "keep.txt", "mine");
    std::string a, b;
    ASSERT_TRUE(MakePrivateFolder(dir_.string(), "work-", &a));
    ASSERT_TRUE(MakePrivateFolder(dir_.string(), "work-", &b));
    EXPECT_NE(a, b);
    EXPECT_EQ(fs::status(a).permissions() & fs::perms::all, fs::perms::owner_all);
    fs::create_directory_symlink(dir_ / "victim", fs::path(a) / "planted");
    RemovePrivateFolder(a);
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(Content(dir_ / "victim" / "keep.txt"), "mine");
}

TEST_F(FileAccess, TheLogAppendsAndRefusesALinkOrAForeignFile) {
    LogCloseForTest();
    const fs::path old = fs::current_path();
    fs::current_path(dir_);
    EXPECT_FALSE(StartLogIfEnabled());
    EXPECT_FALSE(fs::exists(dir_ / "save.log"));
    Put(dir_ / "savelog.ini", "\n");
    Put(dir_ / "save.log", "earlier run\n");
    EXPECT_TRUE(StartLogIfEnabled());
    LogCloseForTest();
    const std::string text = Content(dir_ / "save.log");
    EXPECT_EQ(text.rfind("earlier run\n", 0), 0u) << "appended, not cut";
    EXPECT_NE(text.find("MODEL_NAME: VTR50\n"), std::string::npos);
    EXPECT_NE(text.find("VERSION: v6.8.7\n"), std::string::npos);

    // A link planted as "save.log" is not followed; its target stays as it was.
    fs::remove(dir_ / "save.log");
    Put(dir_ / "target", "precious");
    fs::create_symlink(dir_ / "target", dir_ / "save.log");
    EXPECT_FALSE(StartLogIfEnabled());
    EXPECT_EQ(Content(dir_ / "target"), "precious");
    fs::remove(dir_ / "save.log");
    ::mkfifo((dir_ / "save.log").c_str(), 0600);
    EXPECT_FALSE(StartLogIfEnabled());
    fs::current_path(old);
    EXPECT_FALSE(LogIsOpen());
}

}  // namespace
}  // namespace dvdsp::platform
#endif  // _WIN32
