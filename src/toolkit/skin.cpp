#include "toolkit/skin.h"

#include <quazip/quacrc32.h>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QPainter>

#include "base/log.h"
#include "toolkit/scale.h"

namespace dvdsp::tk {
namespace {

QString NormalName(QString name) {
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (name.startsWith(QLatin1Char('/'))) name.remove(0, 1);
    return name;
}

}  // namespace

Skin& CurrentSkin() {
    static Skin skin;
    return skin;
}

void Skin::Clear() {
    members_.clear();
    layouts_.clear();
    fonts_.clear();
    defaults_.clear();
    styleSheet_.clear();
    imageCache_.clear();
}

bool Skin::LoadArchive(const QByteArray& zip, const QString& password) {
    Clear();
    if (zip.isEmpty()) return false;
    QByteArray copy = zip;
    QBuffer buffer(&copy);
    QuaZip archive(&buffer);
    if (!archive.open(QuaZip::mdUnzip)) {
        LogWriteNarrow("skin: not a zip archive (%d)\n", archive.getZipError());
        return false;
    }
    QByteArray pw = password.toUtf8();
    QMap<QString, QByteArray> members;
    for (bool more = archive.goToFirstFile(); more; more = archive.goToNextFile()) {
        // A folder entry ends in a separator of either kind; it is no member.
        const QString name = NormalName(archive.getCurrentFileName());
        if (name.isEmpty() || name.endsWith(QLatin1Char('/'))) continue;
        QuaZipFile file(&archive);
        if (!file.open(QIODevice::ReadOnly, pw.constData())) {
            LogWriteNarrow("skin: cannot open member %s\n", name.toUtf8().constData());
            return false;
        }
        QByteArray data = file.readAll();
        QuaZipFileInfo64 info;
        bool haveInfo = archive.getCurrentFileInfo(&info);
        file.close();
        QuaCrc32 crc;
        crc.update(data);
        // A wrong password decrypts to garbage: a short read or a checksum mismatch.
        if (file.getZipError() != 0 || !haveInfo ||
            static_cast<quint64>(data.size()) != info.uncompressedSize || crc.value() != info.crc) {
            LogWriteNarrow("skin: member %s unreadable (%d)\n", name.toUtf8().constData(),
                           file.getZipError());
            return false;
        }
        members.insert(name, data);
    }
    archive.close();
    members_ = std::move(members);
    return !members_.isEmpty();
}

bool Skin::LoadFolder(const QString& folder) {
    Clear();
    QDir root(folder);
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            members_.insert(NormalName(root.relativeFilePath(path)), f.readAll());
    }
    return !members_.isEmpty();
}

bool Skin::Has(const QString& name) const {
    return members_.contains(NormalName(name));
}

QByteArray Skin::Read(const QString& name) const {
    return members_.value(NormalName(name));
}

bool Skin::LoadRoot(const QString& file) {
    QDomDocument doc;
    if (!doc.setContent(Read(file))) return false;
    QDomElement root = doc.documentElement();
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        QString tag = e.tagName().toLower();
        if (tag == QLatin1String("layout")) {
            layouts_.insert(e.attribute(QStringLiteral("key")),
                            e.attribute(QStringLiteral("file")));
        } else if (tag == QLatin1String("font")) {
            SkinFont f;
            f.family = e.attribute(QStringLiteral("name"), defaultFont_.family);
            f.size = e.attribute(QStringLiteral("size"), QStringLiteral("12")).toInt();
            f.bold = e.attribute(QStringLiteral("bold")) == QLatin1String("true");
            f.italic = e.attribute(QStringLiteral("italic")) == QLatin1String("true");
            int id = e.attribute(QStringLiteral("id"), QStringLiteral("-1")).toInt();
            if (e.attribute(QStringLiteral("default")) == QLatin1String("true")) defaultFont_ = f;
            if (id >= 0) fonts_.insert(id, f);
        } else if (tag == QLatin1String("default")) {
            QList<QPair<QString, QString>> attrs;
            QDomNamedNodeMap map = e.attributes();
            for (int i = 0; i < map.count(); ++i) {
                QDomAttr a = map.item(i).toAttr();
                if (a.name() != QLatin1String("tag")) attrs.append({a.name(), a.value()});
            }
            defaults_.insert(e.attribute(QStringLiteral("tag")).toLower(), attrs);
        } else if (tag == QLatin1String("style")) {
            styleSheet_ = QString::fromUtf8(Read(e.attribute(QStringLiteral("file"))));
        }
    }
    return true;
}

QString Skin::LayoutFile(const QString& key) const {
    return layouts_.value(key, key);
}

QFont Skin::Font(int id, int dpi) const {
    const SkinFont& f = fonts_.contains(id) ? fonts_[id] : defaultFont_;
    QFont font(f.family);
    font.setPixelSize(std::max(1, Scaled(f.size, dpi)));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    return font;
}

QList<QPair<QString, QString>> Skin::Defaults(const QString& tag) const {
    return defaults_.value(tag.toLower());
}

QPixmap Skin::Image(const QString& name, int dpi) const {
    if (name.isEmpty()) return {};
    QString key = name + QLatin1Char('|') + QString::number(dpi);
    auto it = imageCache_.find(key);
    if (it != imageCache_.end()) return *it;
    QPixmap pix;
    QByteArray variant = Read(ImageVariantName(name, dpi));
    if (!variant.isEmpty()) {
        pix.loadFromData(variant);
    } else {
        QByteArray plain = Read(name);
        if (!plain.isEmpty() && pix.loadFromData(plain) && dpi != kBaseDpi)
            pix = pix.scaled(Scaled(pix.width(), dpi), Scaled(pix.height(), dpi),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    imageCache_.insert(key, pix);
    return pix;
}

}  // namespace dvdsp::tk
