#pragma once
// The skin: a ZIP archive (members protected with a traditional ZIP password) or a
// folder, holding the root definitions "xml/res.xml", the layouts, the language files,
// the style sheet and the images.

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QMap>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace dvdsp::tk {

inline constexpr const char* kSkinPassword = "vorpal-tesk-skinzp";

struct SkinFont {
    QString family;
    int size = 12;  // pixels at scale 96
    bool bold = false;
    bool italic = false;
};

class Skin {
  public:
    // Reads every member of a ZIP archive held in memory. False (and the skin stays
    // empty) when the bytes are not an archive or a member cannot be read with the
    // password.
    bool LoadArchive(const QByteArray& zip, const QString& password);
    // Reads the members from a folder instead (development and tests).
    bool LoadFolder(const QString& folder);
    // Parses the root definitions (layout keys, fonts, defaults, style sheet).
    bool LoadRoot(const QString& file = QStringLiteral("xml/res.xml"));
    void Clear();

    bool Loaded() const { return !members_.isEmpty(); }
    bool Has(const QString& name) const;
    // A member's bytes; empty when missing. "xml\res.xml" and "xml/res.xml" are the same.
    QByteArray Read(const QString& name) const;
    QStringList Members() const { return members_.keys(); }

    // File of a layout key ("XML_MSG" -> "xml/msg.xml"); the key itself when unknown.
    QString LayoutFile(const QString& key) const;
    // Font of an id at a display scale; the default font (id -1 or unknown) otherwise.
    QFont Font(int id, int dpi) const;
    // Default attributes of a tag (compared without regard to case), in layout order.
    QList<QPair<QString, QString>> Defaults(const QString& tag) const;
    const QString& StyleSheet() const { return styleSheet_; }
    // An image at a display scale: its variant when present, else the plain image
    // scaled; a null pixmap when neither exists.
    QPixmap Image(const QString& name, int dpi) const;

  private:
    QMap<QString, QByteArray> members_;
    QHash<QString, QString> layouts_;
    QHash<int, SkinFont> fonts_;
    SkinFont defaultFont_{QStringLiteral("DejaVu Sans"), 12, false, false};
    QHash<QString, QList<QPair<QString, QString>>> defaults_;
    QString styleSheet_;
    mutable QHash<QString, QPixmap> imageCache_;
};

// The process's skin, used by every window.
Skin& CurrentSkin();

}  // namespace dvdsp::tk
