#pragma once
// The one QApplication of a window benchmark: offscreen, the program's skin, theme and
// English texts at scale 96.
#include <QApplication>

#include "toolkit/language.h"
#include "toolkit/scale.h"
#include "toolkit/skin.h"
#include "ui/main/startup.h"
#include "ui/skin_resource.h"

namespace dvdsp::bench {

inline QApplication& BenchApp() {
    static int argc = 1;
    static char name[] = "dvdsp_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
        auto* a = new QApplication(argc, argv);
        ui::RegisterSkinResource();
        ui::LoadSkinFromResource();
        a->setStyleSheet(tk::CurrentSkin().StyleSheet());
        ui::RegisterLanguages();
        tk::CurrentLanguages().Select(QStringLiteral("en"));
        tk::SetDefaultDpi(96);
        return a;
    }();
    return *app;
}

}  // namespace dvdsp::bench
