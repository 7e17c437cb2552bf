#include "toolkit/language.h"

#include <QDomDocument>

#include "base/log.h"
#include "toolkit/skin.h"
#include "toolkit/window.h"

namespace dvdsp::tk {

Languages& CurrentLanguages() {
    static Languages languages;
    return languages;
}

QString Lang(const QString& raw) {
    return CurrentLanguages().Resolve(raw);
}

void Languages::Register(const QString& code, const QString& file) {
    for (Entry& e : entries_)
        if (e.code == code) {
            e.file = file;
            return;
        }
    entries_.push_back({code, file});
}

bool Languages::Has(const QString& code) const {
    for (const Entry& e : entries_)
        if (e.code == code) return true;
    return false;
}

bool Languages::Parse(const QByteArray& xml, QHash<QString, QString>* out) {
    QDomDocument doc;
    if (!doc.setContent(xml)) return false;
    out->clear();
    QDomElement root = doc.documentElement();
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        QString key = e.attribute(QStringLiteral("key"));
        if (!key.isEmpty()) out->insert(key, e.text());
    }
    return true;
}

bool Languages::Select(const QString& code) {
    for (const Entry& e : entries_) {
        if (e.code != code) continue;
        QHash<QString, QString> texts;
        if (!Parse(CurrentSkin().Read(e.file), &texts)) {
            LogWriteNarrow("language %s: cannot read %s\n", code.toUtf8().constData(),
                           e.file.toUtf8().constData());
            return false;
        }
        texts_ = std::move(texts);
        current_ = code;
        Window::ApplyLanguageToAll();
        return true;
    }
    return false;
}

QString Languages::Text(const QString& key) const {
    auto it = texts_.find(key);
    if (it != texts_.end()) return *it;
    return QStringLiteral("${") + key + QLatin1Char('}');
}

QString Languages::Resolve(const QString& raw) const {
    if (!raw.contains(QLatin1String("${"))) return raw;
    QString out;
    out.reserve(raw.size());
    qsizetype i = 0;
    while (i < raw.size()) {
        qsizetype start = raw.indexOf(QLatin1String("${"), i);
        if (start < 0) break;
        qsizetype end = raw.indexOf(QLatin1Char('}'), start + 2);
        if (end < 0) break;
        out += raw.mid(i, start - i);
        out += Text(raw.mid(start + 2, end - start - 2));
        i = end + 1;
    }
    out += raw.mid(i);
    return out;
}

void Languages::ClearForTest() {
    entries_.clear();
    current_.clear();
    texts_.clear();
}

}  // namespace dvdsp::tk
