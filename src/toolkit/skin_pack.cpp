#include "toolkit/skin_pack.h"

#include <quazip/quacrc32.h>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>

namespace dvdsp::tk {
namespace {

struct Variant {
    const char* suffix;
    double factor;
};
constexpr Variant kVariants[] = {{"@80", 0.8},  {"", 1.0},     {"@125", 1.25},
                                 {"@150", 1.5}, {"@200", 2.0}, {"@300", 3.0}};

bool AddMember(QuaZip& zip, const QString& name, const QByteArray& data, const QByteArray& password,
               QString* error) {
    QuaZipNewInfo info(name);
    // A fixed time keeps the archive identical from build to build.
    info.dateTime = QDateTime(QDate(2024, 1, 1), QTime(0, 0));
    QuaCrc32 crc;
    crc.update(data);
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::WriteOnly, info, password.constData(), crc.value())) {
        *error = QStringLiteral("cannot add %1 (%2)").arg(name).arg(file.getZipError());
        return false;
    }
    if (file.write(data) != data.size()) {
        *error = QStringLiteral("cannot write %1").arg(name);
        return false;
    }
    file.close();
    if (file.getZipError() != 0) {
        *error = QStringLiteral("cannot close %1 (%2)").arg(name).arg(file.getZipError());
        return false;
    }
    return true;
}

}  // namespace

QByteArray RenderSvgToPng(const QByteArray& svg, double factor) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    QSize base = renderer.defaultSize();
    QSize size(std::max(1, static_cast<int>(std::lround(base.width() * factor))),
               std::max(1, static_cast<int>(std::lround(base.height() * factor))));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

bool PackSkin(const QString& folder, const QString& zipPath, const QString& password,
              QString* error) {
    QDir root(folder);
    if (!root.exists()) {
        *error = QStringLiteral("no folder %1").arg(folder);
        return false;
    }
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QString rel = root.relativeFilePath(it.next());
        if (!rel.startsWith(QLatin1String("tools/")))
            files.append(rel);  // authoring scripts stay out
    }
    files.sort();
    QuaZip zip(zipPath);
    // Without data descriptors the password check byte is the usual one (from the CRC),
    // so common tools can read the archive too.
    zip.setDataDescriptorWritingEnabled(false);
    if (!zip.open(QuaZip::mdCreate)) {
        *error = QStringLiteral("cannot create %1").arg(zipPath);
        return false;
    }
    QByteArray pw = password.toUtf8();
    for (const QString& rel : files) {
        QFile f(root.filePath(rel));
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1").arg(rel);
            return false;
        }
        QByteArray data = f.readAll();
        if (rel.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
            QString stem = rel.left(rel.size() - 4);
            for (const Variant& v : kVariants) {
                QByteArray png = RenderSvgToPng(data, v.factor);
                if (png.isEmpty()) {
                    *error = QStringLiteral("cannot render %1").arg(rel);
                    return false;
                }
                if (!AddMember(zip, stem + QLatin1String(v.suffix) + QStringLiteral(".png"), png,
                               pw, error))
                    return false;
            }
        } else if (!AddMember(zip, rel, data, pw, error)) {
            return false;
        }
    }
    zip.close();
    if (zip.getZipError() != 0) {
        *error = QStringLiteral("cannot finish %1").arg(zipPath);
        return false;
    }
    return true;
}

}  // namespace dvdsp::tk
