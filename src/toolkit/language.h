#pragma once
// Language texts: "${key}" parts of any shown text are replaced by the current language
// file's text for the key. Switching the language re-resolves every open window.

#include <QHash>
#include <QString>
#include <QVector>

namespace dvdsp::tk {

class Languages {
  public:
    // Adds a language; the first registered one is the default.
    void Register(const QString& code, const QString& file);
    // Loads the language's file from the skin and re-resolves every open window. False
    // for an unknown code or an unreadable file (the language stays as it was).
    bool Select(const QString& code);
    const QString& Current() const { return current_; }
    bool Has(const QString& code) const;

    // The text of one key; the key written as "${key}" when the language lacks it, so a
    // missing text shows visibly.
    QString Text(const QString& key) const;
    // Replaces every "${key}" part of a text.
    QString Resolve(const QString& raw) const;

    // Loads key/value pairs from a language file's XML (tests and Select).
    static bool Parse(const QByteArray& xml, QHash<QString, QString>* out);
    void ClearForTest();

  private:
    struct Entry {
        QString code, file;
    };
    QVector<Entry> entries_;
    QString current_;
    QHash<QString, QString> texts_;
};

Languages& CurrentLanguages();
// Shorthand for CurrentLanguages().Resolve(raw).
QString Lang(const QString& raw);

}  // namespace dvdsp::tk
