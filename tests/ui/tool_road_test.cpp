// The tool road of the firmware update: unpacking the password-protected archives into the
// working folder, the checks of the prepared folder, running the hidden tool and reading
// its output.
#include <gtest/gtest.h>

#include <quazip/quacrc32.h>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <utility>
#include <vector>

#include "core/builtin_firmware.h"
#include "platform/resources.h"
#include "ui/update/tool_road.h"
#include "support/firmware_zip.h"
#include "ui_fixture.h"

using namespace dvdsp;

namespace {

using dvdsp::testing::kPassword;
using dvdsp::testing::MakeZip;
using dvdsp::testing::Members;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

Members ToolMembers() {
    return {{"tool/isd_download.exe", "exe"},
            {"tool/br23loader.bin", "loader"},
            {"uboot.boot", "boot"},
            {"download.bat", "isd_download.exe -tonorflash\r\n"}};
}

Members FirmwareMembers() {
    return {{"app.bin", "app"},          {"cfg_tool.bin", "cfg"},        {"CS4953.bin", "isd-bin"},
            {"CS4953.fw", "isd-fw"},     {"dsp_image.bin", "dsp"},       {"isd_config.ini", "[cfg]"}};
}

Members Without(Members members, const QString& name) {
    std::erase_if(members, [&](const auto& m) { return m.first.endsWith(name); });
    return members;
}

class ToolRoadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::App();
        ASSERT_TRUE(tmp_.isValid());
        hadTmp_ = qEnvironmentVariableIsSet("TMP");
        oldTmp_ = qgetenv("TMP");
        qputenv("TMP", tmp_.path().toLocal8Bit());
        platform::UnregisterResource(core::kFirmwareToolsResource, core::kFirmwareResourceType);
    }
    void TearDown() override {
        platform::UnregisterResource(core::kFirmwareToolsResource, core::kFirmwareResourceType);
        platform::UnregisterResource(core::kFirmwareResource, core::kFirmwareResourceType);
        if (hadTmp_)
            qputenv("TMP", oldTmp_);
        else
            qunsetenv("TMP");
    }

    QString Path(const QString& name) const { return QDir(tmp_.path()).filePath(name); }

    // Registers an archive of `members` as the tool resource, as the build would.
    void RegisterTools(const Members& members, const QByteArray& password = kPassword) {
        QString zip = Path(QStringLiteral("tools.zip"));
        MakeZip(zip, members, password);
        toolsBytes_ = ReadAll(zip);
        QFile::remove(zip);
        platform::RegisterResource(core::kFirmwareToolsResource, core::kFirmwareResourceType,
                                   reinterpret_cast<const uint8_t*>(toolsBytes_.constData()),
                                   static_cast<size_t>(toolsBytes_.size()));
    }

    QString Firmware(const Members& members, const QByteArray& password = kPassword) {
        QString zip = Path(QStringLiteral("fw_archive.zip"));
        QFile::remove(zip);
        MakeZip(zip, members, password);
        return zip;
    }

    QTemporaryDir tmp_;
    QByteArray toolsBytes_;
    bool hadTmp_ = false;
    QByteArray oldTmp_;
};

TEST_F(ToolRoadTest, EachUpdateGetsANewPrivateFolderUnderTmp) {
    QString a, b;
    ASSERT_TRUE(ui::MakeWorkFolder(&a));
    ASSERT_TRUE(ui::MakeWorkFolder(&b));
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.startsWith(Path(QStringLiteral("dvdsp-upgrade-")))) << a.toStdString();
    EXPECT_EQ(QFileInfo(a).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::ExeOther),
              QFileDevice::Permissions());
}

TEST_F(ToolRoadTest, UnzipFlattensMembersAndLaterOnesReplaceEarlier) {
    QString out = Path(QStringLiteral("out"));
    QString zip = Path(QStringLiteral("a.zip"));
    MakeZip(zip, {{"sub/", {}}, {"sub/app.bin", "first"}, {"deep/er\\cfg.ini", "x"}, {"other/app.bin", "second"}});
    QString before = QDir::currentPath();
    ASSERT_TRUE(ui::UnzipToWorkFolder(zip, out));
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_EQ(Entries(out), (QStringList{"app.bin", "cfg.ini"}));
    EXPECT_EQ(ReadAll(QDir(out).filePath("app.bin")), "second");

    // An existing folder is fine; its other files stay.
    QString zip2 = Path(QStringLiteral("b.zip"));
    MakeZip(zip2, {{"more.bin", "m"}});
    ASSERT_TRUE(ui::UnzipToWorkFolder(zip2, out));
    EXPECT_EQ(Entries(out), (QStringList{"app.bin", "cfg.ini", "more.bin"}));
}

TEST_F(ToolRoadTest, UnzipSkipsNamesThatLeaveTheFolder) {
    QString out = Path(QStringLiteral("deep/out"));
    QString zip = Path(QStringLiteral("a.zip"));
    MakeZip(zip, {{"..", "up"}, {"sub/..", "up"}, {"sub\\.", "dot"}, {"ok.bin", "ok"}});
    ASSERT_TRUE(ui::UnzipToWorkFolder(zip, out));
    EXPECT_EQ(Entries(out), QStringList{"ok.bin"});
    EXPECT_EQ(Entries(Path(QStringLiteral("deep"))), QStringList{"out"});
}

TEST_F(ToolRoadTest, UnzipWithWrongPasswordFailsAndLeavesNoGarbage) {
    QString out = Path(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    QFile keep(QDir(out).filePath("app.bin"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("earlier");
    keep.close();
    QString zip = Path(QStringLiteral("a.zip"));
    MakeZip(zip, {{"app.bin", QByteArray(5000, 'a') + "tail"}, {"new.bin", "n"}});
    EXPECT_FALSE(ui::UnzipToWorkFolder(zip, out, QStringLiteral("not-the-password")));
    EXPECT_EQ(Entries(out), QStringList{"app.bin"});
    EXPECT_EQ(ReadAll(QDir(out).filePath("app.bin")), "earlier");

    EXPECT_FALSE(ui::UnzipToWorkFolder(Path(QStringLiteral("missing.zip")), out));
    QString notZip = Path(QStringLiteral("plain.zip"));
    QFile f(notZip);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not an archive");
    f.close();
    EXPECT_FALSE(ui::UnzipToWorkFolder(notZip, out));
}

TEST_F(ToolRoadTest, PrepareCompleteFolder) {
    RegisterTools(ToolMembers());
    QString folder, batch;
    ASSERT_EQ(ui::PrepareDownloadFolder(Firmware(FirmwareMembers()), &folder, &batch), ui::kPrepareOk);
    EXPECT_TRUE(folder.startsWith(Path(QStringLiteral("dvdsp-upgrade-")))) << folder.toStdString();
    EXPECT_EQ(batch, QDir(folder).filePath(QStringLiteral("download.bat")));
    EXPECT_EQ(ReadAll(QDir(folder).filePath("jl_isd.bin")), "isd-bin");
    EXPECT_EQ(ReadAll(QDir(folder).filePath("jl_isd.fw")), "isd-fw");
    EXPECT_EQ(Entries(folder), (QStringList{"app.bin", "br23loader.bin", "cfg_tool.bin", "download.bat",
                                            "dsp_image.bin", "isd_config.ini", "isd_download.exe",
                                            "jl_isd.bin", "jl_isd.fw", "uboot.boot"}));
    // (The tool archive written out for unpacking is gone: the list above is complete.)

    // A firmware file picked from inside an earlier working folder is read as it is.
    QString picked = QDir(folder).filePath(QStringLiteral("picked.zip"));
    ASSERT_TRUE(QFile::copy(Firmware(FirmwareMembers()), picked));
    QString second;
    ASSERT_EQ(ui::PrepareDownloadFolder(picked, &second, nullptr), ui::kPrepareOk);
    EXPECT_NE(second, folder);
    EXPECT_TRUE(QFileInfo::exists(picked));
    EXPECT_EQ(ReadAll(QDir(second).filePath("app.bin")), "app");
}

TEST_F(ToolRoadTest, WhatOthersPlacedInTheTemporaryFolderIsNeverTouched) {
    // A link at the name a working folder once had, leading to someone's folder.
    QString victim = Path(QStringLiteral("victim"));
    ASSERT_TRUE(QDir().mkpath(victim));
    QFile keep(QDir(victim).filePath("keep.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("mine");
    keep.close();
    ASSERT_TRUE(QFile::link(victim, Path(QStringLiteral("MCU_UPG"))));
    RegisterTools(ToolMembers());
    QString folder;
    ASSERT_EQ(ui::PrepareDownloadFolder(Firmware(FirmwareMembers()), &folder, nullptr), ui::kPrepareOk);
    EXPECT_FALSE(QFileInfo(folder).isSymLink());
    // A link inside the working folder is removed as a link.
    ASSERT_TRUE(QFile::link(victim, QDir(folder).filePath(QStringLiteral("planted"))));
    ui::DeleteWorkFolder(folder);
    EXPECT_FALSE(QFileInfo::exists(folder));
    ui::DeleteWorkFolder(Path(QStringLiteral("MCU_UPG")));  // not of the update's making: left alone
    EXPECT_EQ(Entries(victim), QStringList{"keep.txt"});
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("MCU_UPG"))).isSymLink());
}

TEST_F(ToolRoadTest, PrepareNamesTheMissingPiece) {
    RegisterTools(ToolMembers());
    const std::pair<const char*, int> cases[] = {{"CS4953.bin", ui::kPrepareNoIsdBin},
                                                 {"CS4953.fw", ui::kPrepareNoIsdFw},
                                                 {"app.bin", ui::kPrepareNoApp},
                                                 {"dsp_image.bin", ui::kPrepareNoDspImage}};
    for (const auto& [missing, result] : cases) {
        // Each run has a folder of its own: files of the previous one do not count.
        ASSERT_EQ(ui::PrepareDownloadFolder(Firmware(FirmwareMembers()), nullptr, nullptr), 0);
        EXPECT_EQ(ui::PrepareDownloadFolder(Firmware(Without(FirmwareMembers(), missing)), nullptr, nullptr),
                  result)
            << missing;
    }
    RegisterTools(Without(ToolMembers(), QStringLiteral("download.bat")));
    QString batch, folder;
    EXPECT_EQ(ui::PrepareDownloadFolder(Firmware(FirmwareMembers()), &folder, &batch), ui::kPrepareNoBatch);
    EXPECT_EQ(batch, QDir(folder).filePath(QStringLiteral("download.bat")));
}

TEST_F(ToolRoadTest, PrepareRefusesUnreadableArchives) {
    // No tool resource at all.
    QString folder;
    EXPECT_EQ(ui::PrepareDownloadFolder(Firmware(FirmwareMembers()), &folder, nullptr), ui::kPrepareNoTools);
    EXPECT_EQ(Entries(folder), QStringList());

    // A tool archive under another password.
    RegisterTools(ToolMembers(), "other-password");
    EXPECT_EQ(ui::PrepareDownloadFolder(Firmware(FirmwareMembers()), &folder, nullptr), ui::kPrepareNoTools);
    EXPECT_EQ(Entries(folder), QStringList());

    // A picked firmware file under another password: refused, none of its files unpacked.
    RegisterTools(ToolMembers());
    EXPECT_EQ(ui::PrepareDownloadFolder(Firmware(FirmwareMembers(), "other-password"), &folder, nullptr),
              ui::kPrepareNoIsdBin);
    for (const auto& [name, data] : FirmwareMembers())
        EXPECT_FALSE(QFileInfo::exists(QDir(folder).filePath(name))) << name.toStdString();
    EXPECT_NE(ui::PrepareDownloadFolder(Path(QStringLiteral("no_such.zip")), nullptr, nullptr), 0);
}

TEST_F(ToolRoadTest, CsFileReplacesAnIsdFileOfTheToolArchive) {
    Members tools = ToolMembers();
    tools.push_back({"jl_isd.bin", "from-tools"});
    RegisterTools(tools);
    QString folder;
    ASSERT_EQ(ui::PrepareDownloadFolder(Firmware(FirmwareMembers()), &folder, nullptr), 0);
    EXPECT_EQ(ReadAll(QDir(folder).filePath("jl_isd.bin")), "isd-bin");
    EXPECT_FALSE(QFileInfo::exists(QDir(folder).filePath("CS4953.bin")));
}

TEST_F(ToolRoadTest, DeleteWorkFolderRemovesNestedContent) {
    QString folder;
    ASSERT_TRUE(ui::MakeWorkFolder(&folder));
    ASSERT_TRUE(QDir().mkpath(QDir(folder).filePath("a/b/c")));
    for (const char* name : {"top.bin", "a/mid.bin", "a/b/c/low.bin", "a/.hidden"}) {
        QFile f(QDir(folder).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    ui::DeleteWorkFolder(folder);
    EXPECT_FALSE(QFileInfo::exists(folder));
    ui::DeleteWorkFolder(folder);  // a missing folder is fine
    ui::DeleteWorkFolder(QString());
    EXPECT_TRUE(QFileInfo::exists(tmp_.path()));
}

TEST_F(ToolRoadTest, RunHiddenToolCollectsBothStreamsInTheWorkFolder) {
    QString work = Path(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(work));
    QString out = ui::RunHiddenTool(QStringLiteral("sh -c \"echo to-out; echo to-err 1>&2; pwd\""), 30000, work);
    EXPECT_TRUE(out.contains(QLatin1String("to-out"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QLatin1String("to-err"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QFileInfo(work).canonicalFilePath())) << out.toStdString();

    EXPECT_TRUE(ui::RunHiddenTool(QStringLiteral("/no/such/program --flag"), 30000, work).isEmpty());
    EXPECT_TRUE(ui::RunHiddenTool(QString(), 30000, work).isEmpty());
}

TEST_F(ToolRoadTest, RunHiddenToolKillsAToolPastTheLimit) {
    QString out = ui::RunHiddenTool(QStringLiteral("sh -c \"echo before-sleep; exec sleep 30\""), 1500, tmp_.path());
    EXPECT_TRUE(out.contains(QLatin1String("before-sleep"))) << out.toStdString();
}

TEST_F(ToolRoadTest, ToolCanRunOnlyWhatThisSystemRuns) {
    QString bat = Path(QStringLiteral("download.bat"));
    QString script = Path(QStringLiteral("download.sh"));
    for (const QString& p : {bat, script}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho download ok\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }
#ifdef Q_OS_WIN
    EXPECT_TRUE(ui::ToolCanRun(bat));
#else
    EXPECT_FALSE(ui::ToolCanRun(bat));
    EXPECT_TRUE(ui::ToolCanRun(script));
    QFile(script).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_FALSE(ui::ToolCanRun(script));
#endif
    EXPECT_FALSE(ui::ToolCanRun(Path(QStringLiteral("missing.bat"))));
    EXPECT_FALSE(ui::ToolCanRun(tmp_.path()));
    EXPECT_EQ(ui::ToolCommandLine(QStringLiteral("/a b/download.bat")),
              QStringLiteral("\"") + QDir::toNativeSeparators(QStringLiteral("/a b/download.bat")) + "\"");
}

TEST(ToolOutput, SuccessNeedsTheLastLineAndNoFailure) {
    EXPECT_TRUE(ui::ToolOutputSucceeded("erasing...\r\nwriting 100%\r\nDownload OK\r\n\r\n"));
    EXPECT_TRUE(ui::ToolOutputSucceeded("flash: Succeeded"));
    EXPECT_TRUE(ui::ToolOutputSucceeded("update success\n"));
    EXPECT_FALSE(ui::ToolOutputSucceeded(""));
    EXPECT_FALSE(ui::ToolOutputSucceeded("\r\n  \n"));
    EXPECT_FALSE(ui::ToolOutputSucceeded("download ok\nverifying...\n"));
    EXPECT_FALSE(ui::ToolOutputSucceeded("chip not found: FAILED\ndownload ok\n"));
    EXPECT_FALSE(ui::ToolOutputSucceeded("Error 5: port busy\nsucceed\n"));
}

TEST_F(ToolRoadTest, BuiltInFirmwareNeedsBothArchives) {
    platform::UnregisterResource(core::kFirmwareResource, core::kFirmwareResourceType);
    EXPECT_FALSE(core::BuiltInFirmwarePresent());
    RegisterTools(ToolMembers());
    EXPECT_FALSE(core::BuiltInFirmwarePresent());
    static const uint8_t bytes[] = {'P', 'K'};
    platform::RegisterResource(core::kFirmwareResource, core::kFirmwareResourceType, bytes, sizeof bytes);
    EXPECT_TRUE(core::BuiltInFirmwarePresent());
    platform::UnregisterResource(core::kFirmwareToolsResource, core::kFirmwareResourceType);
    EXPECT_FALSE(core::BuiltInFirmwarePresent());
    EXPECT_STREQ(core::kNoBuiltInFirmwareText, "this build carries no built-in firmware");
}

}  // namespace
