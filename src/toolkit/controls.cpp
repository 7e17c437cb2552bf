#include "toolkit/controls.h"

#include <QFocusEvent>
#include <QIcon>
#include <QListView>
#include <QPainter>
#include <QStyleOption>

#include "toolkit/language.h"
#include "toolkit/skin.h"
#include "toolkit/window.h"

namespace dvdsp::tk {
namespace {

int ParseAlign(const QString& value) {
    int a = 0;
    if (value.contains(QLatin1String("left")))
        a |= Qt::AlignLeft;
    else if (value.contains(QLatin1String("right")))
        a |= Qt::AlignRight;
    else
        a |= Qt::AlignHCenter;
    if (value.contains(QLatin1String("top")))
        a |= Qt::AlignTop;
    else if (value.contains(QLatin1String("bottom")))
        a |= Qt::AlignBottom;
    else
        a |= Qt::AlignVCenter;
    return a;
}

void DrawBkImage(QWidget* w, const QString& image, int dpi) {
    if (image.isEmpty()) return;
    QPixmap pix = CurrentSkin().Image(image, dpi);
    if (pix.isNull()) return;
    QPainter p(w);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(w->rect(), pix);
}

}  // namespace

// ---- Label ---------------------------------------------------------------------

Label::Label(QWidget* parent) : QLabel(parent), Control(this) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

bool Label::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("align"))
        setAlignment(Qt::Alignment(ParseAlign(value)));
    else if (name == QLatin1String("wordwrap"))
        setWordWrap(ParseBool(value));
    else
        return Control::SetAttribute(name, value);
    return true;
}

void Label::paintEvent(QPaintEvent* e) {
    DrawBkImage(this, BkImage(), Dpi());
    QLabel::paintEvent(e);
}

// ---- Button --------------------------------------------------------------------

Button::Button(QWidget* parent) : QPushButton(parent), Control(this) {
    // Reached by Tab; a mouse click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QPushButton::clicked, this, [this] { OnClicked(); });
}

void Button::OnClicked() {
    Emit(notify::kClick);
    // The window decides the state; the click alone does not toggle it.
    if (isCheckable()) setChecked(selected_);
}

void Button::OnSelectedChanged() {
    if (isCheckable()) setChecked(selected_);
}

bool Button::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("normalimage"))
        normalImage_ = value;
    else if (name == QLatin1String("hotimage"))
        hotImage_ = value;
    else if (name == QLatin1String("pushedimage"))
        pushedImage_ = value;
    else if (name == QLatin1String("selectedimage")) {
        selectedImage_ = value;
        setCheckable(true);
        setChecked(selected_);
    } else if (name == QLatin1String("toggle")) {
        setCheckable(ParseBool(value));
        setChecked(selected_);
    }
    else if (name == QLatin1String("disabledimage"))
        disabledImage_ = value;
    else if (name == QLatin1String("foreimage"))
        foreImage_ = value;
    else if (name == QLatin1String("align"))
        textAlign_ = ParseAlign(value);
    else
        return Control::SetAttribute(name, value);
    update();
    return true;
}

void Button::paintEvent(QPaintEvent* e) {
    bool images = !normalImage_.isEmpty() || !selectedImage_.isEmpty() || !foreImage_.isEmpty();
    if (!images) {
        QPushButton::paintEvent(e);
        return;
    }
    QString bk = normalImage_;
    if (!isEnabled() && !disabledImage_.isEmpty())
        bk = disabledImage_;
    else if (isDown() && !pushedImage_.isEmpty())
        bk = pushedImage_;
    else if (IsSelected() && !selectedImage_.isEmpty())
        bk = selectedImage_;
    else if (underMouse() && !hotImage_.isEmpty())
        bk = hotImage_;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!bk.isEmpty()) {
        QPixmap pix = CurrentSkin().Image(bk, Dpi());
        if (!pix.isNull()) p.drawPixmap(rect(), pix);
    }
    if (!foreImage_.isEmpty()) {
        QPixmap fore = CurrentSkin().Image(foreImage_, Dpi());
        if (!fore.isNull()) {
            QSize s = fore.size().scaled(size(), Qt::KeepAspectRatio);
            QRect r(QPoint(0, 0), s);
            r.moveCenter(rect().center());
            p.drawPixmap(r, fore);
        }
    }
    if (!text().isEmpty()) {
        p.setFont(font());
        p.setPen(TextColor() ? ToQColor(TextColor()) : palette().color(QPalette::ButtonText));
        p.drawText(rect().adjusted(4, 0, -4, 0), textAlign_, text());
    }
}

// ---- Option --------------------------------------------------------------------

Option::Option(QWidget* parent) : Button(parent) {
    setCheckable(true);
}

bool Option::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("group")) {
        group_ = value;
        return true;
    }
    return Button::SetAttribute(name, value);
}

void Option::MarkSelected(bool selected) {
    alone_ = true;
    SetSelected(selected);
    alone_ = false;
}

void Option::OnSelectedChanged() {
    setChecked(selected_);
    if (!selected_ || alone_ || group_.isEmpty() || !Owner()) return;
    for (QWidget* w : Owner()->findChildren<QWidget*>()) {
        auto* other = dynamic_cast<Option*>(Control::From(w));
        if (other && other != this && other->group_ == group_ && other->IsSelected())
            other->SetSelected(false);
    }
}

void Option::OnClicked() {
    bool wasSelected = selected_;
    bool now = isChecked();
    if (!group_.isEmpty() && wasSelected) now = true;  // a group keeps one selected
    Emit(notify::kClick);
    if (now != wasSelected)
        SetSelected(now, true);
    else
        setChecked(selected_);
}

// ---- CheckBox ------------------------------------------------------------------

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent), Control(this) {
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        Emit(notify::kClick);
        SetSelected(checked, true);
    });
}

void CheckBox::OnSelectedChanged() {
    setChecked(selected_);
}

// ---- Slider --------------------------------------------------------------------

Slider::Slider(QWidget* parent) : QSlider(Qt::Horizontal, parent), Control(this) {
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QSlider::valueChanged, this, [this](int) {
        if (fromCode_) return;
        Emit(isSliderDown() ? notify::kMoveValueChanged : notify::kValueChanged);
    });
    connect(this, &QSlider::sliderReleased, this, [this] { Emit(notify::kValueChanged); });
}

void Slider::focusInEvent(QFocusEvent* e) {
    QSlider::focusInEvent(e);
    if (e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason) Emit(notify::kSetFocus);
}

bool Slider::SetAttribute(const QString& name, const QString& value) {
    // Attributes come in any order: keep the three and apply them together.
    if (name == QLatin1String("min"))
        layoutMin_ = value.toInt();
    else if (name == QLatin1String("max"))
        layoutMax_ = value.toInt();
    else if (name == QLatin1String("value"))
        layoutValue_ = value.toInt();
    if (name == QLatin1String("min") || name == QLatin1String("max") ||
        name == QLatin1String("value")) {
        SetRange(std::min(layoutMin_, layoutMax_), layoutMax_);
        SetValue(layoutValue_);
    } else if (name == QLatin1String("step"))
        setSingleStep(value.toInt());
    else if (name == QLatin1String("vertical"))
        setOrientation(ParseBool(value) ? Qt::Vertical : Qt::Horizontal);
    else
        return Control::SetAttribute(name, value);
    return true;
}

void Slider::SetValue(int v) {
    fromCode_ = true;
    setValue(v);
    fromCode_ = false;
}

void Slider::SetRange(int min, int max) {
    fromCode_ = true;
    setRange(min, max);
    fromCode_ = false;
}

// ---- Progress ------------------------------------------------------------------

Progress::Progress(QWidget* parent) : QProgressBar(parent), Control(this) {
    setTextVisible(false);
}

bool Progress::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("min"))
        layoutMin_ = value.toInt();
    else if (name == QLatin1String("max"))
        layoutMax_ = value.toInt();
    else if (name == QLatin1String("value"))
        layoutValue_ = value.toInt();
    if (name == QLatin1String("min") || name == QLatin1String("max") ||
        name == QLatin1String("value")) {
        setRange(std::min(layoutMin_, layoutMax_), layoutMax_);
        setValue(layoutValue_);
    } else if (name == QLatin1String("showtext"))
        setTextVisible(ParseBool(value));
    else if (name == QLatin1String("vertical"))
        setOrientation(ParseBool(value) ? Qt::Vertical : Qt::Horizontal);
    else
        return Control::SetAttribute(name, value);
    return true;
}

// ---- Combo ---------------------------------------------------------------------

Combo::Combo(QWidget* parent) : QComboBox(parent), Control(this) {
    setFocusPolicy(Qt::TabFocus);
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (!fromCode_) Emit(notify::kItemSelect, index);
    });
}

void Combo::AddItem(const QString& rawText, const QString& userData, const QString& name) {
    items_.push_back({rawText, userData, name, QString()});
    fromCode_ = true;
    addItem(Lang(rawText), userData);
    fromCode_ = false;
}

int Combo::FindItem(const QString& name) const {
    for (int i = 0; i < items_.size(); ++i)
        if (items_[i].name == name) return i;
    return -1;
}

void Combo::SetItemText(int index, const QString& rawText) {
    if (index < 0 || index >= items_.size()) return;
    items_[index].text = rawText;
    setItemText(index, Lang(rawText));
}

void Combo::SelectItem(int index) {
    fromCode_ = true;
    setCurrentIndex(index);
    fromCode_ = false;
}

void Combo::SetItemVisible(int index, bool visible) {
    if (auto* v = qobject_cast<QListView*>(view())) v->setRowHidden(index, !visible);
}

bool Combo::IsItemVisible(int index) const {
    auto* v = qobject_cast<QListView*>(view());
    return v ? !v->isRowHidden(index) : true;
}

void Combo::SetItemImage(int index, const QString& image) {
    if (index < 0 || index >= items_.size() || index >= count()) return;
    items_[index].image = image;
    setItemIcon(index, image.isEmpty() ? QIcon() : QIcon(CurrentSkin().Image(image, Dpi())));
}

void Combo::ApplyScale(int dpi) {
    Control::ApplyScale(dpi);
    for (int i = 0; i < items_.size() && i < count(); ++i)
        if (!items_[i].image.isEmpty()) setItemIcon(i, QIcon(CurrentSkin().Image(items_[i].image, Dpi())));
}

void Combo::ApplyLanguage() {
    Control::ApplyLanguage();
    for (int i = 0; i < items_.size() && i < count(); ++i) setItemText(i, Lang(items_[i].text));
}

// ---- List ----------------------------------------------------------------------

List::List(QWidget* parent) : QListWidget(parent), Control(this) {
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!fromCode_ && row >= 0) Emit(notify::kItemSelect, row);
    });
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Emit(notify::kItemActivate, row(item)); });
}

void List::AddRow(const QString& rawText, const QString& userData) {
    rows_.push_back({rawText, userData, QString(), QString()});
    fromCode_ = true;
    addItem(Lang(rawText));
    fromCode_ = false;
}

void List::RemoveAll() {
    fromCode_ = true;
    clear();
    rows_.clear();
    fromCode_ = false;
}

void List::SelectItem(int index) {
    fromCode_ = true;
    setCurrentRow(index);
    fromCode_ = false;
}

void List::ApplyLanguage() {
    Control::ApplyLanguage();
    for (int i = 0; i < rows_.size() && i < count(); ++i) item(i)->setText(Lang(rows_[i].text));
}

}  // namespace dvdsp::tk
