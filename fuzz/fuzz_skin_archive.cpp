// Fuzz target for the skin archive: any bytes as the password-protected ZIP archive the
// program carries, read with its password and then its root definitions, as at start-up.
// A refused archive leaves the skin empty; an accepted one holds only files, under names
// in the skin's own form, each readable by its name.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "toolkit/skin.h"

using namespace dvdsp::tk;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray zip(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Skin skin;
    if (!skin.LoadArchive(zip, QString::fromLatin1(kSkinPassword))) {
        Check(!skin.Loaded() && skin.Members().isEmpty());
        return 0;
    }
    Check(skin.Loaded());
    for (const QString& name : skin.Members()) {
        Check(!name.contains(QLatin1Char('\\')) && !name.startsWith(QLatin1Char('/')) &&
              !name.endsWith(QLatin1Char('/')));
        Check(skin.Has(name));
        QString windowsName = name;
        windowsName.replace(QLatin1Char('/'), QLatin1Char('\\'));
        Check(skin.Read(windowsName) == skin.Read(name));
    }
    skin.LoadRoot();
    return 0;
}
