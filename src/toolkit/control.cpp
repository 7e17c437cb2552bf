#include "toolkit/control.h"

#include <QLabel>
#include <QStyle>
#include <QVariant>
#include <QWidget>

#include "toolkit/language.h"
#include "toolkit/scale.h"
#include "toolkit/skin.h"
#include "toolkit/window.h"

namespace dvdsp::tk {
namespace {
const char* const kControlProperty = "dvdsp_control";

QString Rgba(uint32_t argb) {
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg((argb >> 16) & 0xFF)
        .arg((argb >> 8) & 0xFF)
        .arg(argb & 0xFF)
        .arg(((argb >> 24) & 0xFF));
}
}  // namespace

uint32_t ParseColor(const QString& text) {
    QString t = text.trimmed();
    bool ok = false;
    uint32_t v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        v = t.mid(2).toUInt(&ok, 16);
        if (ok && t.size() <= 8) v |= 0xFF000000u;
    } else if (t.startsWith(QLatin1Char('#'))) {
        v = t.mid(1).toUInt(&ok, 16);
        if (ok && t.size() == 7) v |= 0xFF000000u;
    }
    return ok ? v : 0;
}

QColor ToQColor(uint32_t argb) {
    return QColor(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                  static_cast<int>(argb & 0xFF), static_cast<int>((argb >> 24) & 0xFF));
}

bool ParseBool(const QString& text) {
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
           text == QLatin1String("1");
}

Control::Control(QWidget* self) : self_(self) {
    self_->setProperty(kControlProperty,
                       QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(this)));
}

Control::~Control() {
    // Every control derives from its Qt widget first, so the widget outlives this part by
    // its own destructor: what asks for the control meanwhile (assistive technology on a
    // focus change) must find none.
    self_->setProperty(kControlProperty, QVariant());
}

Control* Control::From(QWidget* widget) {
    if (!widget) return nullptr;
    QVariant v = widget->property(kControlProperty);
    if (!v.isValid()) return nullptr;
    return reinterpret_cast<Control*>(v.value<quintptr>());
}

void Control::SetName(const std::string& name) {
    name_ = name;
    self_->setObjectName(QString::fromStdString(name));
}

void Control::SetText(const QString& raw) {
    text_ = raw;
    ShowText(Lang(raw));
    UpdateAccessible();
}

void Control::SetAccessibleText(const QString& rawName, const QString& rawDescription) {
    accName_ = rawName;
    accDesc_ = rawDescription;
    UpdateAccessible();
}

QString Control::AccessibleName() const {
    if (!accName_.isEmpty()) return Lang(accName_);
    const QString shown = TextNamesControl() ? Lang(text_) : QString();
    int letters = 0;
    for (QChar ch : shown)
        if (ch.isLetter()) ++letters;
    if (letters >= 2) return shown;
    if (!toolTip_.isEmpty()) return Lang(toolTip_);
    if (!caption_.isEmpty()) return Lang(caption_);
    // The window's common buttons draw a sign.
    if (name_ == "closebtn") return Lang(QStringLiteral("${close}"));
    return shown;
}

void Control::SetCaption(const QString& raw) {
    caption_ = raw;
    UpdateAccessible();
}

void NameByCaptions(QWidget* root) {
    QString caption;
    bool used = false;
    for (QObject* o : root->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        Control* c = w ? Control::From(w) : nullptr;
        if (!c) continue;
        if (w->focusPolicy() == Qt::NoFocus) {
            if (dynamic_cast<QLabel*>(w) && !c->Text().isEmpty()) {
                caption = c->Text();
                used = false;
            }
            NameByCaptions(w);
            continue;
        }
        if (!caption.isEmpty() && c->AccessibleName().isEmpty()) {
            c->SetCaption(used ? caption + QStringLiteral(" ${acc_value}") : caption);
            used = true;
        }
        NameByCaptions(w);
    }
}

void Control::UpdateAccessible() {
    const QString name = AccessibleName();
    if (self_->accessibleName() != name) self_->setAccessibleName(name);
    QString desc = Lang(accDesc_);
    if (desc.isEmpty() && !toolTip_.isEmpty() && Lang(toolTip_) != name) desc = Lang(toolTip_);
    if (self_->accessibleDescription() != desc) self_->setAccessibleDescription(desc);
}

QString Control::ShownText() const {
    return Lang(text_);
}

void Control::SetToolTip(const QString& raw) {
    toolTip_ = raw;
    self_->setToolTip(Lang(raw));
    UpdateAccessible();
}

void Control::SetVisible(bool visible) {
    visible_ = visible;
    // A widget not yet placed in its window would become a window of its own.
    if (self_->parentWidget() || !visible) self_->setVisible(visible);
}
void Control::SetEnabled(bool enabled) {
    self_->setEnabled(enabled);
}
bool Control::IsEnabled() const {
    return self_->isEnabled();
}

void Control::SetSelected(bool selected, bool notify) {
    if (selected_ == selected) return;
    selected_ = selected;
    self_->setProperty("selected", selected);
    OnSelectedChanged();
    self_->style()->unpolish(self_);
    self_->style()->polish(self_);
    KeepSkinFont();
    self_->update();
    if (notify) Emit(notify::kSelectChanged);
}

void Control::SetTextColor(uint32_t argb) {
    textColor_ = argb;
    UpdateStyle();
}
void Control::SetBkColor(uint32_t argb) {
    bkColor_ = argb;
    UpdateStyle();
}
void Control::SetBorderColor(uint32_t argb) {
    borderColor_ = argb;
    UpdateStyle();
}
void Control::SetBkImage(const QString& image) {
    bkImage_ = image;
    self_->update();
}

void Control::UpdateStyle() {
    self_->update();
    if (PaintsOwnColors()) return;
    QString css;
    if (textColor_) css += QStringLiteral("color:%1;").arg(Rgba(textColor_));
    if (bkColor_) css += QStringLiteral("background-color:%1;").arg(Rgba(bkColor_));
    if (borderColor_) css += QStringLiteral("border:1px solid %1;").arg(Rgba(borderColor_));
    self_->setStyleSheet(css);
    KeepSkinFont();
}

void Control::KeepSkinFont() {
    // Polishing with a style sheet gives the widget the sheet's font back; the skin's font
    // at the current scale is the control's own.
    self_->setFont(CurrentSkin().Font(base_.font, dpi_));
}

void Control::ShowText(const QString& shown) {
    (void)shown;
}

bool Control::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("name"))
        SetName(value.toStdString());
    else if (name == QLatin1String("text"))
        SetText(value);
    else if (name == QLatin1String("tooltip"))
        SetToolTip(value);
    else if (name == QLatin1String("accname"))
        SetAccessibleText(value, accDesc_);
    else if (name == QLatin1String("accdesc"))
        SetAccessibleText(accName_, value);
    else if (name == QLatin1String("userdata"))
        SetUserData(value);
    else if (name == QLatin1String("visible"))
        SetVisible(ParseBool(value));
    else if (name == QLatin1String("enabled"))
        SetEnabled(ParseBool(value));
    else if (name == QLatin1String("selected"))
        SetSelected(ParseBool(value));
    else if (name == QLatin1String("textcolor"))
        SetTextColor(ParseColor(value));
    else if (name == QLatin1String("bkcolor"))
        SetBkColor(ParseColor(value));
    else if (name == QLatin1String("bordercolor"))
        SetBorderColor(ParseColor(value));
    else if (name == QLatin1String("bkimage"))
        SetBkImage(value);
    else if (name == QLatin1String("width"))
        base_.width = value.toInt();
    else if (name == QLatin1String("height"))
        base_.height = value.toInt();
    else if (name == QLatin1String("font"))
        base_.font = value.toInt();
    else if (name == QLatin1String("style"))
        self_->setProperty("skin", value);
    else if (name == QLatin1String("pos")) {
        QStringList p = value.split(QLatin1Char(','));
        if (p.size() >= 2) {
            base_.x = p[0].trimmed().toInt();
            base_.y = p[1].trimmed().toInt();
            base_.positioned = true;
        }
        if (p.size() >= 4) {
            base_.width = p[2].trimmed().toInt();
            base_.height = p[3].trimmed().toInt();
        }
    } else {
        return false;
    }
    return true;
}

void Control::ApplyScale(int dpi) {
    dpi_ = dpi;
    // Placed controls scale their edges, so neighbours that touch at 96 touch at any scale.
    int x0 = base_.positioned ? base_.x : 0, y0 = base_.positioned ? base_.y : 0;
    if (base_.width >= 0) self_->setFixedWidth(Scaled(x0 + base_.width, dpi) - Scaled(x0, dpi));
    if (base_.height >= 0) self_->setFixedHeight(Scaled(y0 + base_.height, dpi) - Scaled(y0, dpi));
    if (base_.positioned) self_->move(Scaled(base_.x, dpi), Scaled(base_.y, dpi));
    self_->setFont(CurrentSkin().Font(base_.font, dpi));
    self_->update();
}

void Control::ApplyLanguage() {
    ShowText(Lang(text_));
    if (!toolTip_.isEmpty()) self_->setToolTip(Lang(toolTip_));
    UpdateAccessible();
}

void Control::Emit(const char* type, int64_t wparam, int64_t lparam) {
    if (!owner_) return;
    TNotify n;
    n.type = type;
    n.name = name_;
    n.sender = this;
    n.wparam = wparam;
    n.lparam = lparam;
    owner_->DispatchNotify(n);
}

}  // namespace dvdsp::tk
