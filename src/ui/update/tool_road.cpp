#include "ui/update/tool_road.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>

#include "core/builtin_firmware.h"
#include "core/firmware_upgrade.h"
#include "platform/file_access.h"
#include "platform/paths.h"


namespace dvdsp::ui {
namespace {

constexpr quint32 kDirectoryAttribute = 0x10;
constexpr qint64 kChunk = 64 * 1024;

constexpr const char* kWorkFolderPrefix = "dvdsp-upgrade-";
// The tool archive as written out for unpacking, inside the working folder.
constexpr const char* kToolArchiveName = "~dvdsp-tools.zip";

// The member's name without any folder part, or empty when nothing usable is left.
QString FlatName(const QString& memberName) {
    qsizetype cut = std::max(memberName.lastIndexOf(QLatin1Char('/')), memberName.lastIndexOf(QLatin1Char('\\')));
    QString name = memberName.mid(cut + 1);
    if (name == QLatin1String(".") || name == QLatin1String("..")) return {};
    return name;
}

// Copies the current member to `target`; the file is only replaced when the member was
// read whole and its checksum matched.
bool UnpackMember(QuaZip& zip, const QByteArray& password, const QString& target) {
    QuaZipFile member(&zip);
    if (!member.open(QIODevice::ReadOnly, password.isEmpty() ? nullptr : password.constData()))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        member.close();
        return false;
    }
    bool ok = true;
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (;;) {
        qint64 n = member.read(buffer.data(), kChunk);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        if (out.write(buffer.constData(), n) != n) {
            ok = false;
            break;
        }
    }
    member.close();
    // A wrong password reads as garbage that fails the checksum when the member is closed.
    if (member.getZipError() != UNZ_OK) ok = false;
    if (!ok) {
        out.cancelWriting();
        out.commit();
        return false;
    }
    return out.commit();
}

bool IsFile(const QDir& dir, const char* name) {
    return QFileInfo(dir.filePath(QString::fromLatin1(name))).isFile();
}

// Renames `from` to `to` in the folder when `from` is there; the firmware archive's file
// takes the place of one the tool archive may have brought.
void RenameOver(const QDir& dir, const char* from, const char* to) {
    QString source = dir.filePath(QString::fromLatin1(from));
    if (!QFileInfo(source).isFile()) return;
    QString target = dir.filePath(QString::fromLatin1(to));
    QFile::remove(target);
    QFile::rename(source, target);
}

// Unpacks the tool archive from the resources, then the firmware archive, into the folder.
int FillFolder(const QString& archive, const QString& folder) {
    const QString tools = QDir(folder).filePath(QString::fromLatin1(kToolArchiveName));
    int code = core::ExtractResourceToFile(core::kFirmwareToolsResource, core::kFirmwareResourceType,
                                           QFile::encodeName(tools).toStdString());
    bool toolsUnpacked = code == 0 && UnzipToWorkFolder(tools, folder);
    QFile::remove(tools);
    if (!toolsUnpacked) return kPrepareNoTools;
    return UnzipToWorkFolder(archive, folder) ? kPrepareOk : kPrepareNoIsdBin;
}

}  // namespace

bool MakeWorkFolder(QString* folder) {
    std::string made;
    if (!platform::MakePrivateFolder(core::TempFolder(), kWorkFolderPrefix, &made)) return false;
    *folder = QFile::decodeName(QByteArray::fromStdString(made));
    return true;
}

bool UnzipToWorkFolder(const QString& archivePath, const QString& outFolder, const QString& password) {
    QDir dir(outFolder);
    if (!dir.mkpath(QStringLiteral("."))) return false;
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip)) return false;
    QByteArray pass = password.toLatin1();
    bool ok = true;
    for (bool more = zip.goToFirstFile(); more && ok; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info)) {
            ok = false;
            break;
        }
        if ((info.externalAttr & kDirectoryAttribute) != 0 || info.name.endsWith(QLatin1Char('/')) ||
            info.name.endsWith(QLatin1Char('\\')))
            continue;
        QString name = FlatName(info.name);
        if (name.isEmpty()) continue;
        ok = UnpackMember(zip, pass, dir.filePath(name));
    }
    if (ok && zip.getZipError() != UNZ_OK) ok = false;
    zip.close();
    return ok;
}

int PrepareDownloadFolder(const QString& archivePath, QString* outFolder, QString* outBatchPath) {
    if (outFolder) outFolder->clear();
    if (outBatchPath) outBatchPath->clear();
    // A new folder of this run: nothing an earlier run (or anyone else) left can stand in
    // for a piece this archive lacks, and nothing outside it is touched.
    QString folder;
    if (!MakeWorkFolder(&folder)) return kPrepareNoTools;
    if (outFolder) *outFolder = folder;
    const int unpacked = FillFolder(archivePath, folder);
    if (unpacked != kPrepareOk) return unpacked;

    QDir dir(folder);
    RenameOver(dir, "CS4953.bin", "jl_isd.bin");
    if (!IsFile(dir, "jl_isd.bin")) return kPrepareNoIsdBin;
    RenameOver(dir, "CS4953.fw", "jl_isd.fw");
    if (!IsFile(dir, "jl_isd.fw")) return kPrepareNoIsdFw;
    if (!IsFile(dir, "app.bin")) return kPrepareNoApp;
    if (!IsFile(dir, "dsp_image.bin")) return kPrepareNoDspImage;
    QString batch = dir.filePath(QStringLiteral("download.bat"));
    if (outBatchPath) *outBatchPath = batch;
    return QFileInfo(batch).isFile() ? kPrepareOk : kPrepareNoBatch;
}

void DeleteWorkFolder(const QString& folder) {
    // Only a folder of the update's own making; a link inside goes as a link.
    if (folder.isEmpty() || !QFileInfo(folder).fileName().startsWith(QLatin1String(kWorkFolderPrefix))) return;
    platform::RemovePrivateFolder(QFile::encodeName(folder).toStdString());
}

QString RunHiddenTool(const QString& commandLine, int limitMs, const QString& workFolder) {
    QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty()) return {};
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(workFolder);
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments* args) { args->flags |= platform::HiddenConsoleFlags(); });
#endif
    QString program = parts.takeFirst();
    process.start(program, parts);
    if (!process.waitForStarted(30000)) return {};
    // The tool gets no input: a prompt in the batch file reads the end of input at once.
    process.closeWriteChannel();
    QByteArray output;
    if (!process.waitForFinished(limitMs > 0 ? limitMs : 0)) {
        output += process.readAll();
        process.kill();
        process.waitForFinished(-1);
    }
    output += process.readAll();
    return QString::fromLocal8Bit(output);
}

QString ToolCommandLine(const QString& batchPath) {
    return QLatin1Char('"') + QDir::toNativeSeparators(batchPath) + QLatin1Char('"');
}

bool ToolCanRun(const QString& batchPath) {
    QFileInfo info(batchPath);
    if (!info.isFile()) return false;
    if (info.suffix().compare(QLatin1String("bat"), Qt::CaseInsensitive) == 0) {
#ifdef Q_OS_WIN
        return true;
#else
        return false;
#endif
    }
    return info.isExecutable();
}

bool ToolOutputSucceeded(const QString& output) {
    const QStringList lines = output.split(QLatin1Char('\n'));
    QString last;
    for (const QString& raw : lines) {
        QString line = raw.trimmed();
        if (line.isEmpty()) continue;
        if (line.contains(QLatin1String("fail"), Qt::CaseInsensitive) ||
            line.contains(QLatin1String("error"), Qt::CaseInsensitive))
            return false;
        last = line;
    }
    return last.contains(QLatin1String("download ok"), Qt::CaseInsensitive) ||
           last.contains(QLatin1String("succeed"), Qt::CaseInsensitive) ||
           last.contains(QLatin1String("success"), Qt::CaseInsensitive);
}

}  // namespace dvdsp::ui
