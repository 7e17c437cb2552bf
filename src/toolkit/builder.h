#pragma once
// Builds controls from layout XML. See docs/SKIN.md for the tags and attributes.

#include <QDomElement>
#include <QHash>
#include <QString>
#include <functional>

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

    // Controls, list items and Repeat rounds of one layout at most: a runaway Repeat stops
    // there instead of taking every byte of memory and all the time there is.
    static constexpr int kMaxBuilt = 20000;

  private:
    Control* BuildElement(const QDomElement& e, Container* into);
    void BuildItems(const QDomElement& e, Control* control);
    static bool IsRepeat(const QDomElement& e);
    // Runs `body` once for each value of a Repeat's variable.
    void Repeat(const QDomElement& e, const std::function<void()>& body);
    // Takes one control, item or round from the budget; false once it is spent.
    bool Spend();

    Window* owner_;
    QHash<QString, int> vars_;
    int budget_ = kMaxBuilt;
};

}  // namespace dvdsp::tk
