#pragma once
// Shared by the Qt fuzz targets: the application object without a display, and a scratch
// folder of this process (in memory when the machine has a memory file system) that goes
// at exit.
#include <unistd.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdlib>

namespace fuzzqt {

inline void Check(bool ok) {
    if (!ok) __builtin_trap();
}

inline void StartApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(*argc, *argv);
    (void)app;
}

inline QString ScratchPath() {
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return base + QStringLiteral("/dvdsp_fuzz_") + QString::number(getpid());
}

inline const QString& ScratchFolder() {
    static const QString folder = [] {
        QString f = ScratchPath();
        QDir().mkpath(f);
        std::atexit([] { QDir(ScratchPath()).removeRecursively(); });
        return f;
    }();
    return folder;
}

inline void WriteScratch(const QString& name, const QByteArray& data) {
    const QString path = ScratchFolder() + QLatin1Char('/') + name;
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    QFile f(path);
    Check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    Check(f.write(data) == data.size());
}

}  // namespace fuzzqt
