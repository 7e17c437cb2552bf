#include "toolkit/accessible.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QLineEdit>

#include "toolkit/edit.h"

namespace dvdsp::tk {
namespace {

class SpinEditAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit SpinEditAccessible(Edit* edit) : QAccessibleWidget(edit, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return edit()->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !edit()->isReadOnly();
        return s;
    }

    QVariant currentValue() const override { return edit()->NumericValue(); }
    void setCurrentValue(const QVariant& value) override { edit()->SetByAssistant(value.toDouble()); }
    QVariant maximumValue() const override { return edit()->SpinMaximum(); }
    QVariant minimumValue() const override { return edit()->SpinMinimum(); }
    QVariant minimumStepSize() const override { return edit()->SpinStep(); }

  private:
    Edit* edit() const { return static_cast<Edit*>(widget()); }
};

std::function<void(QAccessibleEvent&)>& AccessibleObserver() {
    static std::function<void(QAccessibleEvent&)> observer;
    return observer;
}

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    (void)className;
    auto* w = qobject_cast<QLineEdit*>(object);
    if (!w) return nullptr;
    auto* edit = dynamic_cast<Edit*>(Control::From(w));
    if (edit && edit->HasSpin() && static_cast<QWidget*>(edit) == w) return new SpinEditAccessible(edit);
    return nullptr;
}

}  // namespace

void InstallAccessibleFactory() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(&Factory);
}

void AnnounceValue(Edit& edit) {
    if (!edit.HasSpin()) return;
    QAccessibleValueChangeEvent event(&edit, edit.NumericValue());
    Announce(event);
}

void Announce(QAccessibleEvent& event) {
    if (AccessibleObserver()) AccessibleObserver()(event);
    QAccessible::updateAccessibility(&event);
}

void testing::ObserveAccessibleEvents(std::function<void(QAccessibleEvent&)> observer) {
    AccessibleObserver() = std::move(observer);
}

}  // namespace dvdsp::tk
