#pragma once
// Builds controls from layout XML. See docs/SKIN.md for the tags and attributes.

#include <QDomElement>
#include <QHash>
#include <QString>

namespace dvdsp::tk {

class Control;
class Container;
class Window;

class Builder {
  public:
    explicit Builder(Window* owner) : owner_(owner) {}

    // Builds every child element of `parent` into `into` (nullptr: the first one becomes
    // the result and is not added anywhere). Returns the first control built.
    Control* BuildChildren(const QDomElement& parent, Container* into);

    // The control for a standard tag (compared without regard to case); nullptr when the
    // toolkit does not know the tag.
    static Control* CreateStandard(const QString& tag);
    // Replaces "{n}", "{n+1}", "{n*2+1}" forms of the repeat variables in a value.
    static QString Substitute(const QString& value, const QHash<QString, int>& vars);

  private:
    Control* BuildElement(const QDomElement& e, Container* into);
    void BuildItems(const QDomElement& e, Control* control);

    Window* owner_;
    QHash<QString, int> vars_;
};

}  // namespace dvdsp::tk
