#include "ui/processing/proc_common.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "toolkit/edit.h"

namespace dvdsp::ui::proc {

double ParseDecimal(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    const double v = std::strtod(bytes.constData(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

int ParseInteger(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    const long long v = std::strtoll(bytes.constData(), nullptr, 10);
    // Far beyond any value of the windows, and room for a step either way.
    constexpr long long kBound = 1000000000;
    return static_cast<int>(std::clamp(v, -kBound, kBound));
}

bool IsInteger(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    char* end = nullptr;
    (void)std::strtoll(bytes.constData(), &end, 10);
    return end != bytes.constData();
}

uint32_t ParseLiteral(const QString& text) {
    const QString t = text.trimmed();
    int base = 10;
    qsizetype at = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        at = 2;
    } else if (t.startsWith(QLatin1Char('0'))) {
        base = 8;
        at = 1;
    }
    const auto digit = [base](QChar c) {
        const char16_t u = c.unicode();
        int d = -1;
        if (u >= u'0' && u <= u'9') d = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f') d = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F') d = u - u'A' + 10;
        return d < base ? d : -1;
    };
    qsizetype end = at;
    while (end < t.size() && digit(t[end]) >= 0) ++end;
    // The digits are weighed by the powers of the base from the last one up.
    double value = 0;
    double weight = 1;
    for (qsizetype i = end - 1; i >= at; --i) {
        value += digit(t[i]) * weight;
        weight *= base;
    }
    // A number beyond the word keeps its low 32 bits.
    return static_cast<uint32_t>(std::fmod(value, 4294967296.0));
}

// The formats are the fixed ones of the table of limits and the windows.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
QString Format(const char* format, double value) { return QString::asprintf(format, value); }
QString Format(const char* format, int value) { return QString::asprintf(format, value); }
#pragma GCC diagnostic pop

void FocusEdit(tk::Edit* edit) {
    if (!edit) return;
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

}  // namespace dvdsp::ui::proc
