#include "toolkit/builder.h"

#include <QRegularExpression>
#include <algorithm>
#include <limits>

#include "base/log.h"
#include "toolkit/containers.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "toolkit/skin.h"
#include "toolkit/window.h"

namespace dvdsp::tk {

Control* Builder::CreateStandard(const QString& tag) {
    QString t = tag.toLower();
    if (t == QLatin1String("verticallayout") || t == QLatin1String("vbox")) return new Box(true);
    if (t == QLatin1String("horizontallayout") || t == QLatin1String("hbox")) return new Box(false);
    if (t == QLatin1String("container") || t == QLatin1String("absolute")) return new Container;
    if (t == QLatin1String("tablayout") || t == QLatin1String("tabs")) return new Tabs;
    if (t == QLatin1String("control")) return new Block;
    if (t == QLatin1String("label") || t == QLatin1String("text")) return new Label;
    if (t == QLatin1String("button")) return new Button;
    if (t == QLatin1String("option")) return new Option;
    if (t == QLatin1String("checkbox")) return new CheckBox;
    if (t == QLatin1String("edit")) return new Edit;
    if (t == QLatin1String("slider")) return new Slider;
    if (t == QLatin1String("combo")) return new Combo;
    if (t == QLatin1String("progress")) return new Progress;
    if (t == QLatin1String("list")) return new List;
    return nullptr;
}

QString Builder::Substitute(const QString& value, const QHash<QString, int>& vars) {
    if (vars.isEmpty() || !value.contains(QLatin1Char('{'))) return value;
    static const QRegularExpression re(
        QStringLiteral(R"(\{([A-Za-z_]\w*)(?:\*(-?\d+))?(?:([+-])(\d+))?\})"));
    QString out;
    qsizetype last = 0;
    auto it = re.globalMatch(value);
    while (it.hasNext()) {
        QRegularExpressionMatch m = it.next();
        auto var = vars.find(m.captured(1));
        if (var == vars.end()) continue;
        long long v = *var;
        // Arithmetic past what a number can hold leaves the form as it is written.
        bool overflow = false;
        if (m.capturedLength(2)) {
            bool ok = false;
            const long long factor = m.captured(2).toLongLong(&ok);
            overflow = !ok || __builtin_mul_overflow(v, factor, &v);
        }
        if (!overflow && m.capturedLength(3)) {
            bool ok = false;
            const long long offset = m.captured(4).toLongLong(&ok);
            overflow = !ok || (m.captured(3) == QLatin1String("-") ? __builtin_sub_overflow(v, offset, &v)
                                                                   : __builtin_add_overflow(v, offset, &v));
        }
        if (overflow) continue;
        out += value.mid(last, m.capturedStart() - last);
        out += QString::number(v);
        last = m.capturedEnd();
    }
    out += value.mid(last);
    return out;
}

Control* Builder::BuildChildren(const QDomElement& parent, Container* into) {
    Control* first = nullptr;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (IsRepeat(e)) {
            Repeat(e, [&] {
                Control* c = BuildChildren(e, into);
                if (!first) first = c;
            });
            continue;
        }
        Control* c = BuildElement(e, into);
        if (!first) first = c;
        if (!into && c) break;
    }
    return first;
}

void Builder::BuildItems(const QDomElement& e, Control* control) {
    auto* combo = dynamic_cast<Combo*>(control);
    auto* list = dynamic_cast<List*>(control);
    for (QDomElement item = e.firstChildElement(); !item.isNull();
         item = item.nextSiblingElement()) {
        if (IsRepeat(item)) {
            Repeat(item, [&] { BuildItems(item, control); });
            continue;
        }
        if (!Spend()) return;
        QString text = Substitute(item.attribute(QStringLiteral("text")), vars_);
        QString data = Substitute(item.attribute(QStringLiteral("userdata")), vars_);
        if (combo)
            combo->AddItem(text, data, Substitute(item.attribute(QStringLiteral("name")), vars_));
        if (list) list->AddRow(text, data);
    }
}

bool Builder::IsRepeat(const QDomElement& e) {
    return e.tagName().compare(QLatin1String("Repeat"), Qt::CaseInsensitive) == 0;
}

void Builder::Repeat(const QDomElement& e, const std::function<void()>& body) {
    QString var = e.attribute(QStringLiteral("var"), QStringLiteral("n"));
    int from = Substitute(e.attribute(QStringLiteral("from"), QStringLiteral("0")), vars_).toInt();
    int count = Substitute(e.attribute(QStringLiteral("count"), QStringLiteral("0")), vars_).toInt();
    bool had = vars_.contains(var);
    int old = vars_.value(var);
    // The last value stays a number the attributes can hold.
    const long long end = std::min<long long>(static_cast<long long>(from) + count,
                                              std::numeric_limits<int>::max() + 1LL);
    for (long long i = from; i < end && Spend(); ++i) {
        vars_[var] = static_cast<int>(i);
        body();
    }
    if (had)
        vars_[var] = old;
    else
        vars_.remove(var);
}

bool Builder::Spend() {
    if (budget_ > 0) {
        --budget_;
        return true;
    }
    if (budget_ == 0) {
        LogWriteNarrow("layout: more than %d controls, items and repeats; the rest is left out\n", kMaxBuilt);
        budget_ = -1;
    }
    return false;
}

Control* Builder::BuildElement(const QDomElement& e, Container* into) {
    if (!Spend()) return nullptr;
    QString tag = e.tagName();
    Control* c = CreateStandard(tag);
    if (!c && owner_) c = owner_->CreateControl(tag);
    if (!c) {
        LogWriteNarrow("layout: unknown tag %s\n", tag.toUtf8().constData());
        return nullptr;
    }
    c->SetOwner(owner_);
    for (const auto& [name, value] : CurrentSkin().Defaults(tag))
        c->SetAttribute(name, Substitute(value, vars_));
    QDomNamedNodeMap attrs = e.attributes();
    for (int i = 0; i < attrs.count(); ++i) {
        QDomAttr a = attrs.item(i).toAttr();
        QString value = Substitute(a.value(), vars_);
        if (!c->SetAttribute(a.name().toLower(), value))
            c->Widget()->setProperty(a.name().toUtf8().constData(), value);
    }
    if (auto* container = dynamic_cast<Container*>(c))
        BuildChildren(e, container);
    else
        BuildItems(e, c);
    if (into) into->AddChild(c);
    return c;
}

}  // namespace dvdsp::tk
