#include "toolkit/scale.h"

#include <QGuiApplication>
#include <QScreen>
#include <vector>

#include "platform/settings.h"

namespace dvdsp::tk {

namespace {
int gDefaultDpi = kBaseDpi;
}

void SetDefaultDpi(int dpi) {
    gDefaultDpi = dpi > 0 ? dpi : kBaseDpi;
}
int DefaultDpi() {
    return gDefaultDpi;
}

int Scaled(int n, int dpi) {
    long long v = static_cast<long long>(n) * dpi;
    long long half = kBaseDpi / 2;
    return static_cast<int>(v >= 0 ? (v + half) / kBaseDpi : -((-v + half) / kBaseDpi));
}

QString ImageSuffix(int dpi) {
    if (dpi <= 77) return QStringLiteral("@80");
    if (dpi <= 96) return QString();
    if (dpi <= 120) return QStringLiteral("@125");
    if (dpi <= 144) return QStringLiteral("@150");
    if (dpi <= 192) return QStringLiteral("@200");
    return QStringLiteral("@300");
}

QString ImageVariantName(const QString& name, int dpi) {
    QString suffix = ImageSuffix(dpi);
    if (suffix.isEmpty()) return name;
    qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (dot < 0 || dot < slash) return name + suffix;
    return name.left(dot) + suffix + name.mid(dot);
}

int ScreenDisplayScale() {
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return kBaseDpi;
    auto toRect = [](const QRect& r) {
        return ScreenRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    };
    QRect p = primary->geometry();
    ScreenRect primaryRect{0, 0, p.width(), p.height()};
    std::vector<ScreenRect> monitors;
    for (QScreen* s : QGuiApplication::screens()) monitors.push_back(toRect(s->geometry()));
    return ChooseDisplayScale(primaryRect, toRect(primary->virtualGeometry()), monitors);
}

}  // namespace dvdsp::tk
