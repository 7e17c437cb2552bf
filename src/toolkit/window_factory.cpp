#include "toolkit/window_factory.h"

#include <map>

namespace dvdsp::tk {
namespace {
std::map<QString, WindowFactory>& Factories() {
    static std::map<QString, WindowFactory> factories;
    return factories;
}
}  // namespace

void RegisterWindowFactory(const QString& className, WindowFactory factory) {
    Factories()[className] = std::move(factory);
}

bool OpenWindowByClass(const QString& className, Window& owner) {
    auto it = Factories().find(className);
    if (it == Factories().end() || !it->second) return false;
    WindowFactory factory = it->second;  // a copy: the call may register again
    factory(owner);
    return true;
}

QStringList RegisteredWindowClasses() {
    QStringList names;
    for (const auto& [name, factory] : Factories()) names.append(name);
    return names;
}

}  // namespace dvdsp::tk
