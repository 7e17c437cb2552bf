#pragma once
// Password-protected firmware archives as the update reads them, written with QuaZip.

#include <gtest/gtest.h>
#include <quazip/quacrc32.h>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

namespace dvdsp::testing {

using Members = std::vector<std::pair<QString, QByteArray>>;

inline const QByteArray kPassword = QByteArrayLiteral("vorpal-tesk-fwzp");

// Writes a ZIP archive with traditional encryption; a name ending in "/" is a folder.
inline void MakeZip(const QString& path, const Members& members, const QByteArray& password = kPassword) {
    QuaZip zip(path);
    ASSERT_TRUE(zip.open(QuaZip::mdCreate)) << path.toStdString();
    for (const auto& [name, data] : members) {
        QuaZipNewInfo info(name);
        QuaZipFile file(&zip);
        if (name.endsWith(QLatin1Char('/'))) {
            info.externalAttr = 0x10;
            ASSERT_TRUE(file.open(QIODevice::WriteOnly, info));
        } else {
            QuaCrc32 crc;
            crc.update(data);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly, info, password.constData(), crc.value()));
            ASSERT_EQ(file.write(data), data.size());
        }
        file.close();
        ASSERT_EQ(file.getZipError(), 0) << name.toStdString();
    }
    zip.close();
    ASSERT_EQ(zip.getZipError(), 0);
}


}  // namespace dvdsp::testing
